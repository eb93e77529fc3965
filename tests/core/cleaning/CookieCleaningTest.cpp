#include "core/plans/CleaningPlans.h"

#include "core/plans/CleaningOperations.h"

#include "core/cleaning/CookieSelection.h"
#include "core/settings/CleaningSettings.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

namespace tidorax::test {
namespace {

TEST(CookieSiteNameTest, TakesThePartBetweenTheFirstAtAndTheCounter) {
    // "path|site"
    for (const std::string c :
         {"/home/u/Cookies/user@www.example.com[1].txt|www.example.com", "user@site.txt|site",
          "/c/no-at[3].txt|/c/no-at", "a@b@c[1].txt|b@c", "/home/a@b/C/user@s[1].txt|b/C/user@s",
          "user@site[2]|sit", "user@.txt|", "ab|", "|"}) {
        EXPECT_EQ(CookieSiteName(c.substr(0, c.find('|'))), c.substr(c.find('|') + 1)) << c;
    }
}

class CookieCleaningTest : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        makeDirs(cookies);
        ASSERT_TRUE(setCookiesFolder(cookies));
    }
    std::string path(const std::string& name) const { return cookies + "/" + name; }

    std::string cookies = tmp / "Cookies";
};

// Saved cookies, ".dat" files and what no listing shows (below a folder named with a
// leading ".") stay; counted only, the numbers are the same.
TEST_F(CookieCleaningTest, DeletesEveryCookieButTheKeptOnes) {
    const FileList saved = {path("user@b[1].txt"), path("sub/deeper/user@d[1].txt")};
    ASSERT_TRUE(StoreSavedCookiesAndSites(saved, {}));
    const FileList left =
        below(cookies, {"index.dat", "sub/deeper/user@d[1].txt", "sub/keep.dat", "user@b[1].txt"});
    for (const Listing listing : {Listing::Keep, Listing::CountOnly}) {
        writeFiles(cookies, {"user@a[1].txt", "user@b[1].txt", "index.dat", "INDEX.DAT", "sub/user@c[1].txt",
                             "sub/deeper/user@d[1].txt", "sub/keep.dat", ".hid/user@e[1].txt"});

        const CleaningReport report = engineOperations().Clean(TargetKind::Cookies, listing);

        EXPECT_EQ(report.filesBefore(), 7u);
        EXPECT_EQ(report.filesAfter(), left.size());
        EXPECT_EQ(sorted(ListFilesBelow(cookies)), left);
        EXPECT_TRUE(exists(path(".hid/user@e[1].txt")));
    }
    // Without special sites the saved list is not rewritten.
    EXPECT_EQ(SavedCookies(), saved);
    EXPECT_EQ(ListCookieFiles(cookies).saved, saved);
}

// Each special site takes its saved entries out of the saved list and appends its
// current files; the other saved entries keep their order. The clean stores that list.
TEST_F(CookieCleaningTest, SpecialSitesKeepTheirCurrentFilesUnderNewNames) {
    writeFiles(cookies, {"user@site[2].txt", "user@kept[1].txt", "user@other[1].txt", "user@site[3].txt"});
    ASSERT_TRUE(StoreSavedCookiesAndSites({path("user@site[1].txt"), path("user@kept[1].txt"),
                                           path("user@site[9].txt"), path("user@gone[1].txt")},
                                          {"site", "kept", "site", "gone-is-not-special"}));

    const CookieSelection selection =
        SelectCookiesToDelete(SavedCookies(), SpecialCookieSites(), ListFilesBelow(cookies));

    ASSERT_EQ(selection.saved.size(), 4u);
    EXPECT_EQ(FileList(selection.saved.begin(), selection.saved.begin() + 2),
              (FileList{path("user@gone[1].txt"), path("user@kept[1].txt")}));
    EXPECT_EQ(sorted({selection.saved[2], selection.saved[3]}),
              below(cookies, {"user@site[2].txt", "user@site[3].txt"}));
    EXPECT_EQ(selection.toDelete, FileList{path("user@other[1].txt")});
    EXPECT_TRUE(selection.savedChanged);

    const CleaningReport report = engineOperations().Clean(TargetKind::Cookies, Listing::CountOnly);
    EXPECT_EQ(report.filesAfter(), 3u);
    EXPECT_FALSE(exists(path("user@other[1].txt")));
    EXPECT_EQ(SavedCookies(), selection.saved);
}

} // namespace
} // namespace tidorax::test

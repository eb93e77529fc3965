#include "core/cleaning/CookieCleaning.h"

#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/WorkingLists.h"
#include "core/settings/SettingsStore.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <unistd.h>

namespace tidorax {
namespace {

using test::below;
using test::ChildHoldingFile;
using test::exists;
using test::makeDirs;
using test::sorted;
using test::Tree;
using test::treeEntries;
using test::writeFile;

void saveList(const std::string& section, const std::vector<std::string>& values) {
    Settings.DeleteSetting(section);
    for (std::size_t i = 0; i < values.size(); ++i) {
        Settings.SaveSetting(section, "Cookie" + std::to_string(i), values[i]);
    }
}

TEST(CookieSiteNameTest, TakesThePartBetweenTheFirstAtAndTheCounter) {
    const struct {
        std::string path;
        std::string site;
    } cases[] = {
        {"/home/u/Cookies/user@site[2].txt", "site"},
        {"/home/u/Cookies/user@www.example.com[1].txt", "www.example.com"},
        {"user@site.txt", "site"},
        {"user@site[12].txt", "site"},
        {"/c/no-at-sign.txt", "/c/no-at-sign"},
        {"/c/no-at[3].txt", "/c/no-at"},
        {"a@b@c[1].txt", "b@c"},
        {"/home/a@b/Cookies/user@site[1].txt", "b/Cookies/user@site"},
        {"user@site[2]", "sit"},
        {"user@.txt", ""},
        {".txt", ""},
        {"ab", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CookieSiteName(c.path), c.site) << c.path;
    }
}

class CookieCleaningTest : public test::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        makeDirs(cookies);
        ASSERT_TRUE(test::setCookiesFolder(cookies));
    }

    std::string path(const std::string& name) const { return cookies + "/" + name; }

    std::string cookies = tmp / "Cookies";
};

// Saved cookies, ".dat" files and a cookie in use stay; a link goes as a link.
TEST_F(CookieCleaningTest, DeletesEveryCookieButSavedOnesInUseOnesAndDatFiles) {
    for (const char* name : {"user@a[1].txt", "user@b[1].txt", "index.dat", "INDEX.DAT", "old.Dat",
                             "sub/user@c[1].txt", "sub/deeper/user@d[1].txt", "sub/keep.dat"}) {
        writeFile(path(name));
    }
    writeFile(path("user@held[1].txt"), "held");
    ChildHoldingFile holder(path("user@held[1].txt"), ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());
    writeFile(tmp / "outside/user@a[1].txt", "precious");
    ::symlink((tmp / "outside/user@a[1].txt").c_str(), path("user@link[1].txt").c_str());
    saveList("SavedCookies", {path("user@b[1].txt"), path("sub/deeper/user@d[1].txt")});
    Form2Lists().Label12 = "untouched";

    CleanCookieFiles("Form1");

    EXPECT_EQ(Form1Lists().List7.size(), 10u);
    EXPECT_EQ(sorted(Form1Lists().List6),
              below(cookies, {"index.dat", "sub/deeper/user@d[1].txt", "sub/keep.dat", "user@b[1].txt",
                              "user@held[1].txt"}));
    EXPECT_EQ(treeEntries(cookies), (Tree{{"index.dat", "f:x"},
                                          {"sub", "d"},
                                          {"sub/deeper", "d"},
                                          {"sub/deeper/user@d[1].txt", "f:x"},
                                          {"sub/keep.dat", "f:x"},
                                          {"user@b[1].txt", "f:x"},
                                          {"user@held[1].txt", "f:held"}}));
    EXPECT_EQ(treeEntries(tmp / "outside"), (Tree{{"user@a[1].txt", "f:precious"}}));
    EXPECT_EQ(Form2Lists().Label12, "untouched");
    // Without special sites the saved list is not rewritten.
    EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie"),
              (std::vector<std::string>{path("user@b[1].txt"), path("sub/deeper/user@d[1].txt")}));
}

TEST_F(CookieCleaningTest, SpecialSitesKeepTheirCurrentFilesUnderNewNames) {
    writeFile(path("user@site[2].txt"));
    writeFile(path("user@site[3].txt"));
    writeFile(path("user@other[1].txt"));
    writeFile(path("user@kept[1].txt"));
    // Saved: an old file of the special site (gone), a second old one of it, a cookie of
    // another site that still exists, and one whose file vanished.
    saveList("SavedCookies", {path("user@site[1].txt"), path("user@kept[1].txt"), path("user@site[9].txt"),
                              path("user@gone[1].txt")});
    saveList("SpecialCookies", {"site", "kept", "site", "gone-is-not-special"});

    CleanCookieFiles("Form2");

    // The entries of no special site first, then each special site's current files.
    const std::vector<std::string> saved = ReadSettingsList("SavedCookies", "Cookie");
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0], path("user@gone[1].txt"));
    EXPECT_EQ(saved[1], path("user@kept[1].txt"));
    EXPECT_EQ(sorted({saved[2], saved[3]}), sorted({path("user@site[2].txt"), path("user@site[3].txt")}));
    EXPECT_EQ(ReadSettingsList("SpecialCookies", "Cookie"),
              (std::vector<std::string>{"site", "kept", "site", "gone-is-not-special"}));
    EXPECT_EQ(treeEntries(cookies),
              (Tree{{"user@kept[1].txt", "f:x"}, {"user@site[2].txt", "f:x"}, {"user@site[3].txt", "f:x"}}));
    EXPECT_EQ(Form2Lists().List4.size(), 4u);
    EXPECT_EQ(Form2Lists().Label14, "You Have 4 Cookies Saved");
    EXPECT_EQ(sorted(Form2Lists().List3),
              sorted({path("user@kept[1].txt"), path("user@site[2].txt"), path("user@site[3].txt")}));
    EXPECT_EQ(Form2Lists().Label12, "Cookie Folder Contains 2 Cookies");
}

// Removes the first entry that matches and scans again from the start, until none does.
void removeRescanning(FileList& list, const std::function<bool(const std::string&)>& matches) {
    for (auto it = std::find_if(list.begin(), list.end(), matches); it != list.end();
         it = std::find_if(list.begin(), list.end(), matches)) {
        list.erase(it);
    }
}

TEST_F(CookieCleaningTest, SelectionAgreesWithARescanningSelectionOnRandomFolders) {
    const std::vector<std::string> sites = {"a", "b", "c", "d", "e", "f"};
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        const std::string folder = tmp / ("round" + std::to_string(seed));
        makeDirs(folder);
        FileList existing;
        for (int i = 0; i < 30; ++i) {
            const std::string name = (pick(4) == 0 ? "sub/" : "") + std::string("user@") +
                                     sites[pick(sites.size())] + "[" + std::to_string(i) + "].txt";
            writeFile(folder + "/" + name);
            existing.push_back(folder + "/" + name);
        }
        FileList saved;
        for (int i = 0; i < 6; ++i) {
            saved.push_back(pick(3) == 0 ? folder + "/user@" + sites[pick(sites.size())] + "[gone" +
                                               std::to_string(i) + "].txt"
                                         : existing[pick(existing.size())]);
        }
        FileList specials;
        for (std::size_t i = pick(5); i > 0; --i) {
            specials.push_back(sites[pick(sites.size())]);
        }
        saveList("SavedCookies", saved);
        saveList("SpecialCookies", specials);

        SearchFolder = folder + "/";
        SearchPattern = "*.*";
        SearchSubFolders = true;
        FileList found;
        WalkInto(SearchFolder, found);
        // The selection as loops that scan again after every removal, one special site after
        // the other, for comparison.
        FileList expectedSaved = saved;
        for (const std::string& site : specials) {
            removeRescanning(expectedSaved, [&](const std::string& e) { return CookieSiteName(e) == site; });
            std::copy_if(found.begin(), found.end(), std::back_inserter(expectedSaved),
                         [&](const std::string& f) { return CookieSiteName(f) == site; });
        }
        removeRescanning(found, [&](const std::string& f) {
            return std::find(expectedSaved.begin(), expectedSaved.end(), f) != expectedSaved.end();
        });

        SelectCookiesToDelete(SearchFolder);

        EXPECT_EQ(Form1Lists().List1, expectedSaved) << "seed " << seed;
        EXPECT_EQ(Form1Lists().List2, found) << "seed " << seed;
        EXPECT_EQ(Form1Lists().List5, specials) << "seed " << seed;
        EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie"), expectedSaved) << "seed " << seed;
    }
}

} // namespace
} // namespace tidorax

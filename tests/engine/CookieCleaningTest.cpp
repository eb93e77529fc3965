#include "engine/CookieCleaning.h"

#include "engine/CookieSelection.h"
#include "engine/FileWalk.h"
#include "engine/WorkingLists.h"
#include "platform/FakePlatform.h"
#include "startup/CRegSettings.h"
#include "startup/modRegistry.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace tidorax {
namespace {

using test::ChildHoldingFile;
using test::exists;
using test::makeDirs;
using test::TempDir;
using test::treeEntries;
using test::writeFile;

using Tree = std::map<std::string, std::string>;

FileList sorted(FileList list) {
    std::sort(list.begin(), list.end());
    return list;
}

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

class CookieCleaningTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakePlatform().reset(dir.path());
        Form1Lists() = MainWindowLists{};
        Form2Lists() = OptionsWindowLists{};
        cookies = dir / "Cookies";
        makeDirs(cookies);
        ASSERT_EQ(modRegistry::SetRegValue(
                      "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                      "Cookies", "S", cookies),
                  0);
    }

    std::string path(const std::string& name) const { return cookies + "/" + name; }

    TempDir dir;
    std::string cookies;
};

TEST_F(CookieCleaningTest, DeletesEveryCookieButSavedOnesAndDatFiles) {
    for (const char* name : {"user@a[1].txt", "user@b[1].txt", "index.dat", "INDEX.DAT", "old.Dat",
                             "sub/user@c[1].txt", "sub/deeper/user@d[1].txt", "sub/keep.dat"}) {
        writeFile(path(name));
    }
    saveList("SavedCookies", {path("user@b[1].txt"), path("sub/deeper/user@d[1].txt")});
    Form2Lists().Label12 = "untouched";

    CleanCookieFiles("Form1");

    EXPECT_EQ(Form1Lists().List7.size(), 8u);
    EXPECT_EQ(sorted(Form1Lists().List6), sorted({path("index.dat"), path("sub/deeper/user@d[1].txt"),
                                                  path("sub/keep.dat"), path("user@b[1].txt")}));
    EXPECT_EQ(treeEntries(cookies), (Tree{{"index.dat", "f:x"},
                                          {"sub", "d"},
                                          {"sub/deeper", "d"},
                                          {"sub/deeper/user@d[1].txt", "f:x"},
                                          {"sub/keep.dat", "f:x"},
                                          {"user@b[1].txt", "f:x"}}));
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

TEST_F(CookieCleaningTest, ASpecialSiteWithoutFilesLosesItsSavedEntries) {
    writeFile(path("user@other[1].txt"));
    saveList("SavedCookies", {path("user@site[1].txt"), path("user@stay[1].txt")});
    saveList("SpecialCookies", {"site"});

    CleanCookieFiles("Form1");

    EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie"),
              (std::vector<std::string>{path("user@stay[1].txt")}));
    EXPECT_EQ(ReadSettingsList("SpecialCookies", "Cookie"), (std::vector<std::string>{"site"}));
    EXPECT_EQ(treeEntries(cookies), Tree{});
}

TEST_F(CookieCleaningTest, ACookieInUseStaysAndIsCounted) {
    writeFile(path("user@a[1].txt"), "held");
    writeFile(path("user@b[1].txt"));
    ChildHoldingFile holder(path("user@a[1].txt"), ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    CleanCookieFiles("Form1");

    EXPECT_EQ(Form1Lists().List7.size(), 2u);
    EXPECT_EQ(Form1Lists().List6, FileList{path("user@a[1].txt")});
}

TEST_F(CookieCleaningTest, ALinkInTheCookiesFolderIsRemovedAsALink) {
    writeFile(dir / "outside/user@a[1].txt", "precious");
    makeDirs(cookies + "/sub");
    ::symlink((dir / "outside/user@a[1].txt").c_str(), path("user@link[1].txt").c_str());
    ::symlink((dir / "outside").c_str(), path("linked-folder").c_str());

    CleanCookieFiles("Form1");

    EXPECT_EQ(treeEntries(dir / "outside"), (Tree{{"user@a[1].txt", "f:precious"}}));
    EXPECT_FALSE(exists(path("user@link[1].txt")));
}

TEST_F(CookieCleaningTest, NoCookiesFolderListsAndDeletesNothing) {
    for (const std::string value : {"", "/", "relative"}) {
        ASSERT_EQ(modRegistry::SetRegValue(
                      "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                      "Cookies", "S", value),
                  0);
        writeFile(path("user@a[1].txt"));
        saveList("SavedCookies", {path("user@b[1].txt")});
        Form1Lists() = MainWindowLists{};

        CleanCookieFiles("Form2");

        EXPECT_TRUE(Form1Lists().List7.empty()) << value;
        EXPECT_TRUE(Form1Lists().List2.empty()) << value;
        EXPECT_TRUE(exists(path("user@a[1].txt"))) << value;
        EXPECT_TRUE(Form2Lists().List3.empty()) << value;
        EXPECT_EQ(Form2Lists().Label12, "Cookie Folder Contains 0 Cookies") << value;
        EXPECT_EQ(Form2Lists().Label14, "You Have 1 Cookies Saved") << value;
    }
}

TEST_F(CookieCleaningTest, TheCookiesTabCountsOneEntryLessThanItLists) {
    const struct {
        int files;
        const char* label;
    } cases[] = {{0, "Cookie Folder Contains 0 Cookies"},
                 {1, "Cookie Folder Contains 0 Cookies"},
                 {3, "Cookie Folder Contains 2 Cookies"}};
    for (const auto& c : cases) {
        for (int i = 0; i < c.files; ++i) {
            writeFile(path("user@s" + std::to_string(i) + "[1].txt"));
        }
        ListCookieFiles(cookies + "/");
        EXPECT_EQ(Form2Lists().List3.size(), static_cast<std::size_t>(c.files));
        EXPECT_EQ(Form2Lists().Label12, c.label);
    }
}

// The selection as a scan that starts again after every removal, for comparison.
struct Selection {
    FileList saved;
    FileList toDelete;
};
Selection rescanningSelection(FileList saved, FileList found, const FileList& specials) {
    for (const std::string& X : specials) {
        for (bool removed = true; removed;) {
            removed = false;
            for (std::size_t i = 0; i < saved.size(); ++i) {
                if (CookieSiteName(saved[i]) == X) {
                    saved.erase(saved.begin() + static_cast<std::ptrdiff_t>(i));
                    removed = true;
                    break;
                }
            }
        }
        for (const std::string& F : found) {
            if (CookieSiteName(F) == X) {
                saved.push_back(F);
            }
        }
    }
    for (bool removed = true; removed;) {
        removed = false;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (std::find(saved.begin(), saved.end(), found[i]) != saved.end()) {
                found.erase(found.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
                break;
            }
        }
    }
    return {saved, found};
}

TEST_F(CookieCleaningTest, SelectionAgreesWithARescanningSelectionOnRandomFolders) {
    const std::vector<std::string> sites = {"a", "b", "c", "d", "e", "f"};
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
        TempDir round;
        const std::string folder = round / "Cookies";
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
        const Selection expected = rescanningSelection(saved, found, specials);

        SelectCookiesToDelete(SearchFolder);

        EXPECT_EQ(Form1Lists().List1, expected.saved) << "seed " << seed;
        EXPECT_EQ(Form1Lists().List2, expected.toDelete) << "seed " << seed;
        EXPECT_EQ(Form1Lists().List5, specials) << "seed " << seed;
        EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie"), expected.saved) << "seed " << seed;
    }
}

} // namespace
} // namespace tidorax

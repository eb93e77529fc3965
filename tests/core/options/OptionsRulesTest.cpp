#include "core/options/OptionsRules.h"
#include "core/options/SystemFolderCheck.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tidorax::test {
namespace {

using OptionsRulesTest = PlatformFixture;

TEST_F(OptionsRulesTest, QuestionsAndPathsReadAsDesigned) {
    const std::pair<std::string, std::string> paths[] = {
        {"", "/"}, {"/a", "/a/"}, {"/a/", "/a/"}, {"/", "/"}};
    for (auto [path, expected] : paths) {
        AddBackslashInPlace(path);
        EXPECT_EQ(path, expected);
    }
    EXPECT_EQ(CleanQuestion("You Are About To Clean Your Temp Files"),
              "You Are About To Clean Your Temp Files\r\n\r\n          Do You Want To Continue?");
    const std::string blanks(20, ' ');
    EXPECT_EQ(ViriRererQuestion(false, false, true, false),
              "You Are About To Clean The Following Folders \r\n\r\n" + blanks + "\r\n\r\n" + blanks +
                  "\r\n\r\n" + blanks + "Cookie\r\n\r\n" + blanks +
                  "\r\n\r\n          Do You Want To Continue?");
    EXPECT_EQ(ViriRererQuestion(true, true, true, true),
              "You Are About To Clean The Following Folders \r\n\r\n" + blanks + "Internet\r\n\r\n" + blanks +
                  "Temp\r\n\r\n" + blanks + "Cookie\r\n\r\n" + blanks +
                  "Your Folders\r\n\r\n          Do You Want To Continue?");
    EXPECT_EQ(
        SaveFolderQuestion("/home/ann/Old Stuff"),
        "You Have Selected\r\n\r\n\r\n\"/HOME/ANN/OLD STUFF\"\r\n\r\n\r\nIs This The Folder You Wanted?");
}

TEST_F(OptionsRulesTest, SavedCookiesAreRewrittenWholeWithTheirSites) {
    RewriteSavedCookies({"/c/ann@site.example[1].txt", "/c/bob@other.example[2].txt", "/c/plain.txt"});
    RewriteSavedCookies({"/c/bob@other.example[2].txt", "/c/plain.txt"});
    EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie"),
              (std::vector<std::string>{"/c/bob@other.example[2].txt", "/c/plain.txt"}));
    EXPECT_EQ(ReadSettingsList("SpecialCookies", "Cookie"),
              (std::vector<std::string>{"other.example", "/c/plain"}));
    EXPECT_EQ(Settings.GetSetting("SavedCookies", "Cookie2", "0"), "0");
    EXPECT_EQ(Settings.GetSetting("SpecialCookies", "Cookie2", "0"), "0");
    RewriteSavedCookies({});
    EXPECT_FALSE(Settings.GetAllSettings("SavedCookies"));
}

TEST_F(OptionsRulesTest, UserFoldersAreAddedOnceAndRenumberedOnRemoval) {
    EXPECT_EQ(AddUserFolder("/data/a"), UserFolderSave::Stored);
    EXPECT_EQ(AddUserFolder("/data/b"), UserFolderSave::Stored);
    EXPECT_EQ(AddUserFolder("/data/a"), UserFolderSave::AlreadyListed);
    // Case matters: another folder.
    EXPECT_EQ(AddUserFolder("/data/A"), UserFolderSave::Stored);
    EXPECT_EQ(ReadSettingsList("UserFolder", "File"),
              (std::vector<std::string>{"/data/a", "/data/b", "/data/A"}));
    RewriteUserFolders({"/data/a", "/data/A"});
    EXPECT_EQ(ReadSettingsList("UserFolder", "File"), (std::vector<std::string>{"/data/a", "/data/A"}));
    EXPECT_EQ(Settings.GetSetting("UserFolder", "File2", "0"), "0");
    RewriteUserFolders({});
    EXPECT_FALSE(Settings.GetAllSettings("UserFolder"));
}

TEST_F(OptionsRulesTest, AFullListTakesNoMoreFolders) {
    std::vector<std::string> folders;
    for (std::size_t k = 0; k < kMaxListEntries; ++k) {
        folders.push_back("/data/" + std::to_string(k));
    }
    RewriteUserFolders(folders);
    EXPECT_EQ(AddUserFolder("/data/new"), UserFolderSave::ListFull);
    EXPECT_EQ(ReadSettingsList("UserFolder", "File"), folders);
}

TEST_F(OptionsRulesTest, SystemFoldersAreRefusedWholeResolvedAndAsAncestors) {
    const std::string home = fake().env["HOME"];
    makeDirs(home + "/projects/old");
    makeDirs(tmp / "elsewhere/data");
    ASSERT_EQ(::symlink(home.c_str(), (tmp / "elsewhere/to-home").c_str()), 0);
    ASSERT_EQ(::symlink((home + "/projects").c_str(), (tmp / "elsewhere/to-projects").c_str()), 0);
    const std::string cache = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    ASSERT_FALSE(cache.empty());
    struct Case {
        std::string folder;
        bool refused;
    };
    const Case cases[] = {
        {"/", true},
        {"/USR", true}, // case ignored
        {"/usr/", true},
        {SpecialFolderPath(20), true}, // the fonts folder
        {"/usr/lib/../bin", true},
        {home, true},
        {home + "/", true},
        {home + "/projects/..", true},
        {home + "/./", true},
        {tmp / "elsewhere/to-home", true},
        {tmp.path(), true}, // holds the home folder
        {"/home", true},
        {cache, true},
        {"relative/folder", true},
        {home + "/projects", false},
        {home + "/projects/old/", false},
        {tmp / "elsewhere/to-projects", false},
        {tmp / "elsewhere/data", false},
        {"/usr/share/doc/tidorax-test-none", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSystemFolder(c.folder), c.refused) << c.folder;
    }
    const std::vector<std::string> list = SystemFolderList();
    ASSERT_EQ(list.size(), 46u);
    EXPECT_EQ(list.front(), "/");
}

} // namespace
} // namespace tidorax::test

#include "core/options/OptionsRules.h"
#include "core/options/SystemFolderCheck.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "tests/support/PlatformFixture.h"

#include <unistd.h>

namespace tidorax::test {
namespace {

using OptionsRulesTest = PlatformFixture;

// The questions, the user folder list and its limit are checked through the options
// window's tabs (tests/desktop/options).
TEST_F(OptionsRulesTest, AddTrailingSlashEndsAPathWithOneSeparator) {
    for (auto [path, expected] :
         std::vector<std::pair<std::string, std::string>>{{"", "/"}, {"/a", "/a/"}, {"/a/", "/a/"}}) {
        AddTrailingSlashInPlace(path);
        EXPECT_EQ(path, expected);
    }
}

TEST_F(OptionsRulesTest, SavedCookiesAreRewrittenWholeWithTheirSites) {
    RewriteSavedCookies({"/c/ann@site.example[1].txt", "/c/bob@other.example[2].txt", "/c/plain.txt"});
    RewriteSavedCookies({"/c/bob@other.example[2].txt", "/c/plain.txt"});
    EXPECT_EQ(ReadSettingsList("SpecialCookies", "Cookie"),
              (std::vector<std::string>{"other.example", "/c/plain"}));
    EXPECT_EQ(Settings.GetSetting("SpecialCookies", "Cookie2", "0"), "0");
    RewriteSavedCookies({});
    EXPECT_FALSE(Settings.GetAllSettings("SavedCookies"));
}

TEST_F(OptionsRulesTest, SystemFoldersAreRefusedWholeResolvedAndAsAncestors) {
    const std::string home = fake().env["HOME"];
    makeDirs(home + "/projects");
    makeDirs(tmp / "elsewhere");
    ASSERT_EQ(::symlink((home + "/projects").c_str(), (tmp / "elsewhere/to-projects").c_str()), 0);
    const std::string cache = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    ASSERT_FALSE(cache.empty());
    const std::pair<std::string, bool> cases[] = {
        {"/USR", true},                // case ignored
        {SpecialFolderPath(20), true}, // the fonts folder
        {"/usr/lib/../bin", true},
        {home, true},
        {cache, true},
        {home + "/projects", false},
        {tmp / "elsewhere/to-projects", false},
        {"/usr/share/doc/tidorax-test-none", false},
    };
    for (const auto& [folder, refused] : cases) {
        EXPECT_EQ(IsSystemFolder(folder), refused) << folder;
    }
}

} // namespace
} // namespace tidorax::test

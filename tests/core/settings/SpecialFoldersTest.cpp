#include "core/settings/SpecialFolders.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

namespace tidorax::test {
namespace {

using SpecialFoldersTest = PlatformFixture;

TEST_F(SpecialFoldersTest, TheCacheFolderIsXdgsUnlessTheUserPointsItElsewhere) {
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "cache");
    EXPECT_EQ(SpecialFolderPath(CSIDL_COOKIES), ""); // no folder of cookie files on Linux
    const HKEY shellFolders =
        createKey(fake().registry(), HKEY_CURRENT_USER,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
    const std::tuple<DWORD, std::string, std::string> cases[] = {
        {REG_SZ, "/mnt/cache/", "/mnt/cache"},
        {REG_EXPAND_SZ, "~/c", tmp / "home/c"},
        {REG_SZ, "not/absolute", ""},
        {REG_SZ, "", tmp / "cache"},
        {REG_BINARY, "/mnt/cache", tmp / "cache"},
    };
    for (const auto& [type, data, expected] : cases) {
        setValue(fake().registry(), shellFolders, "cache", type, sz(data));
        EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), expected) << data;
    }
}

TEST_F(SpecialFoldersTest, WithoutAnAbsoluteXdgCacheHomeTheHomeFolderServes) {
    fake().env["XDG_CACHE_HOME"] = "relative";
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "home/.cache");
    fake().env.erase("HOME");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), "");
}

} // namespace
} // namespace tidorax::test

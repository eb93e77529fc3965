#include "core/settings/SpecialFolders.h"
#include "core/settings/RegistryAccess.h"
#include "tests/support/PlatformFixture.h"

namespace tidorax {
namespace {

const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class SpecialFoldersTest : public test::PlatformFixture {
protected:
    void setOverride(const std::string& name, const std::string& path) {
        ASSERT_EQ(
            RegistryAccess::SetRegValue("HKCU", kShellFolders, name, "S", RegistryAccess::RegValue{path}), 0);
    }
    std::string home() const { return tmp / "home"; }
};

TEST_F(SpecialFoldersTest, DefaultsComeFromTheXdgFolders) {
    test::writeFile(tmp / "config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                                   "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                   "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n"
                                                   "XDG_PICTURES_DIR=relative\n");
    const std::pair<int, std::string> cases[] = {
        {0, home() + "/Schreibtisch"},
        {16, home() + "/Schreibtisch"},
        {5, "/srv/docs"},
        {39, home() + "/Pictures"}, // an unusable entry falls back
        {21, home() + "/Templates"},
        {7, tmp / "config/autostart"},
        {10, tmp / "data/Trash"},
        {20, home() + "/.local/share/fonts"},
        {26, tmp / "config"},
        {28, tmp / "data"},
        {32, tmp / "cache"},
        {33, ""},
        {36, "/usr"},
        {37, "/usr/bin"},
        {38, "/opt"},
        {40, home()},
        {1, ""},
        {12, ""},
        {17, ""},
        {4711, ""},
        {-1, ""},
    };
    for (const auto& [csidl, expected] : cases) {
        EXPECT_EQ(SpecialFolderPath(csidl), expected) << "CSIDL " << csidl;
    }
}

TEST_F(SpecialFoldersTest, XdgVariablesUnsetOrRelativeFallBackToTheHomeFolder) {
    fake().env.erase("XDG_CACHE_HOME");
    fake().env["XDG_CONFIG_HOME"] = "relative/config";
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), home() + "/.cache");
    EXPECT_EQ(SpecialFolderPath(26), home() + "/.config");
    fake().env.erase("HOME");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), "");
    EXPECT_EQ(SpecialFolderPath(40), "");
}

TEST_F(SpecialFoldersTest, UserShellFolderValuesPointFoldersElsewhere) {
    setOverride("Cache", "/mnt/cache/");
    setOverride("COOKIES", "~/cookies");
    setOverride("Personal", "not/absolute");
    setOverride("Desktop", "/");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), "/mnt/cache");
    EXPECT_EQ(SpecialFolderPath(CSIDL_COOKIES), home() + "/cookies");
    EXPECT_EQ(SpecialFolderPath(5), ""); // a relative folder is no folder
    EXPECT_EQ(SpecialFolderPath(0), "/");
    EXPECT_EQ(SpecialFolderPath(16), "/");
    // An empty value leaves the default in place.
    setOverride("Cache", "");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "cache");
}

TEST_F(SpecialFoldersTest, EveryCheckedFolderNumberAnswersWithoutFailing) {
    for (int csidl = 0; csidl <= 48; ++csidl) {
        const std::string path = SpecialFolderPath(csidl);
        if (!path.empty()) {
            EXPECT_EQ(path.front(), '/') << csidl;
            EXPECT_TRUE(path == "/" || path.back() != '/') << csidl;
        }
    }
}

} // namespace
} // namespace tidorax

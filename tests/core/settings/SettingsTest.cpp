#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "core/settings/WindowsVersion.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/VersionRecord.h"

#include <algorithm>

namespace tidorax::test {
namespace {

const std::string kTidora = "Software\\Quillon Software\\Tidora";
using RegistryAccess::RegValue;

using SettingsStoreTest = PlatformFixture;

TEST_F(SettingsStoreTest, SettingsAreTextWithItsZeroByteAndMissingOnesReadAsTheDefault) {
    EXPECT_TRUE(Settings.SaveSetting("S", "Text", "abc"));
    EXPECT_TRUE(Settings.SaveSetting("S", "*", "unnamed"));
    EXPECT_EQ(storedValue(fake().registry(), HKEY_CURRENT_USER, kTidora + "\\S", ""),
              (StoredValue{REG_SZ, sz("unnamed")}));
    const HKEY section = openKey(fake().registry(), HKEY_CURRENT_USER, kTidora + "\\S");
    setValue(fake().registry(), section, "Empty", REG_SZ, sz(""));
    setValue(fake().registry(), section, "NoData", REG_SZ, "");
    setValue(fake().registry(), section, "Unterminated", REG_SZ, "abc");
    const std::pair<std::string, std::string> cases[] = {
        {"Text", "abc"},         {"*", "unnamed"},
        {"Missing", "dflt"},     {"Empty", ""}, // the empty text is a value, not a missing one
        {"NoData", "dflt"},                     // no data bytes at all
        {"Unterminated", "abc"},                // only a zero byte at the end is dropped
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Settings.GetSetting("S", name, "dflt"), expected) << name;
    }
    EXPECT_EQ(Settings.GetSetting("NeverWritten", "Text", "dflt"), "dflt");
    const auto rows = Settings.GetAllSettings("S").value();
    EXPECT_NE(std::find(rows.begin(), rows.end(), SettingsStore::Row{"Unterminated", "abc"}), rows.end());
}

TEST_F(SettingsStoreTest, FlagsAreSetOnlyByTheExactTextYesAndGoWithTheirSection) {
    for (const auto& [text, set] : {std::pair{"yes", false}, {"Yes ", false}, {"1", false}, {"Yes", true}}) {
        Settings.SaveSetting("CleanPath", "TempFiles", text);
        EXPECT_EQ(IsFlagSet("TempFiles"), set) << '"' << text << '"';
    }
    Settings.SaveSetting("UserFolder", "File0", "/data");
    EXPECT_TRUE(Settings.DeleteSetting("CleanPath"));
    EXPECT_FALSE(IsFlagSet("TempFiles"));
    EXPECT_EQ(Settings.GetSetting("UserFolder", "File0"), "/data");
    EXPECT_FALSE(Settings.DeleteSetting("CleanPath"));
}

TEST_F(SettingsStoreTest, ListsEndAtTheFirstMissingZeroOrEmptyEntryAndAtIndex1000) {
    // Each list is written from File0 on, then one entry after a gap that is never read.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"a", "0", "c"}, {"a"}},
        {{"a", "", "c"}, {"a"}},
        {{"00", "0 "}, {"00", "0 "}},
    };
    for (const auto& [stored, expected] : cases) {
        Settings.DeleteSetting("UserFolder");
        for (std::size_t i = 0; i < stored.size(); ++i) {
            Settings.SaveSetting("UserFolder", "File" + std::to_string(i), stored[i]);
        }
        Settings.SaveSetting("UserFolder", "File" + std::to_string(stored.size() + 1), "after the gap");
        EXPECT_EQ(ReadSettingsList("UserFolder", "File"), expected) << stored.size();
    }
    for (int i = 0; i <= 1001; ++i) {
        Settings.SaveSetting("SavedCookies", "Cookie" + std::to_string(i), "c" + std::to_string(i));
    }
    EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie").size(), 1001u); // Cookie0 to Cookie1000
}

TEST_F(SettingsStoreTest, RegistryModuleAnswersWithTheWindowsCodes) {
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\T", "V", "S", std::string("text")), 0);
    // An unknown root changes nothing.
    EXPECT_EQ(RegistryAccess::SetRegValue("HKXX", "Software\\T", "V", "S", std::string("x")), 99);
    EXPECT_EQ(RegistryAccess::DeleteRegValue("", "Software\\T", "V"), 99);
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HK", "Software", "T"), 99);
    const std::tuple<const char*, const char*, LONG, std::string> cases[] = {
        {"hkcu", "V", 0, "text"}, // the text without its zero byte
        {"HKCU", "Absent", ERROR_FILE_NOT_FOUND, "default"},
        {"HKEY_CURRENT_USER", "V", RegistryAccess::UNKNOWN_ROOT, "default"},
    };
    for (const auto& [root, name, code, read] : cases) {
        RegValue value;
        EXPECT_EQ(RegistryAccess::GetRegValue(root, "Software\\T", name, "S", std::string("default"), value),
                  code);
        EXPECT_EQ(value, RegValue{read}) << root << " " << name;
    }
    // Removing what is not there is success.
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(RegistryAccess::DeleteRegValue("HKCU", "Software\\T", "V"), 0);
        EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software", "T"), 0);
    }
}

TEST_F(SettingsStoreTest, TheCacheFolderIsXdgsUnlessTheUserPointsItElsewhere) {
    EXPECT_EQ(SpecialFolderPath(CSIDL_COOKIES), ""); // no folder of cookie files on Linux
    const HKEY shellFolders =
        createKey(fake().registry(), HKEY_CURRENT_USER,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
    // The type and text of the user's value ("-" for none), then the folder.
    const std::tuple<DWORD, std::string, std::string> cases[] = {
        {REG_SZ, "-", tmp / "cache"},
        {REG_SZ, "/mnt/cache/", "/mnt/cache"},
        {REG_EXPAND_SZ, "~/c", tmp / "home/c"},
        {REG_SZ, "not/absolute", ""},
        {REG_SZ, "", tmp / "cache"},
        {REG_BINARY, "/mnt/cache", tmp / "cache"},
    };
    for (const auto& [type, data, expected] : cases) {
        if (data != "-") {
            setValue(fake().registry(), shellFolders, "cache", type, sz(data));
        }
        EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), expected) << data;
    }
    // Without an absolute XDG_CACHE_HOME the home folder serves.
    fake().env["XDG_CACHE_HOME"] = "relative";
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "home/.cache");
    fake().env.erase("HOME");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), "");
}

TEST(WindowsVersionTest, EachVersionFallsInTheRightGroup) {
    // major, minor, platform id (1 the 9x family, 2 NT); in the 98/ME group, in the 2000/XP group
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, bool, bool> cases[] = {
        {4, 0, 1, false, false}, {4, 10, 1, true, false}, {4, 90, 1, true, false},
        {5, 0, 1, true, false},  {4, 0, 2, false, false}, {5, 0, 2, false, true},
        {5, 1, 2, false, true},  {5, 2, 2, false, true},  {6, 0, 2, false, false},
    };
    for (const auto& [major, minor, platformId, group98Me, groupNt5] : cases) {
        const OsVersionInfo v = versionRecord(major, minor, platformId);
        EXPECT_EQ(std::pair(IsWin98MeGroup(v), IsNT5Group(v)), std::pair(group98Me, groupNt5))
            << major << "." << minor << " on " << platformId;
    }
}

} // namespace
} // namespace tidorax::test

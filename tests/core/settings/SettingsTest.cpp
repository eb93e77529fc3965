#include "core/settings/CleaningSettings.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <algorithm>

namespace tidorax::test {
namespace {

const std::string kTidora = "Software\\Quillon Software\\Tidora";
using RegistryAccess::RegValue;

using SettingsStoreTest = PlatformFixture;

TEST_F(SettingsStoreTest, SettingsAreTextWithItsZeroByte) {
    EXPECT_TRUE(Settings.SaveSetting("S", "Text", "abc"));
    EXPECT_TRUE(Settings.SaveSetting("S", "*", "unnamed"));
    const std::string longText(300, 'p'); // more than the first read makes room for
    EXPECT_TRUE(Settings.SaveSetting("S", "Long", longText));
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
        {"Long", longText},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Settings.GetSetting("S", name, "dflt"), expected) << name;
    }
    const auto rows = Settings.GetAllSettings("S").value();
    EXPECT_NE(std::find(rows.begin(), rows.end(), SettingsStore::Row{"Unterminated", "abc"}), rows.end());
}

TEST_F(SettingsStoreTest, FlagsAreSetOnlyByTheExactTextYes) {
    for (const auto& [text, set] : {std::pair{"yes", false}, {"Yes ", false}, {"1", false}, {"Yes", true}}) {
        Settings.SaveSetting("CleanPath", "TempFiles", text);
        EXPECT_EQ(IsFlagSet(CleaningFlag::TempFiles), set) << '"' << text << '"';
    }
    Settings.SaveSetting("UserFolder", "File0", "/data");
    EXPECT_TRUE(Settings.DeleteSetting("CleanPath"));
    EXPECT_EQ(std::tuple(IsFlagSet(CleaningFlag::TempFiles), Settings.GetSetting("UserFolder", "File0"),
                         Settings.DeleteSetting("CleanPath")),
              std::tuple(false, "/data", false));
}

TEST_F(SettingsStoreTest, ListsEndAtTheFirstMissingZeroOrEmptyEntry) {
    // Each list is written from File0 on, then one entry after a gap that is never read.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"a", "0", "c"}, {"a"}},
        {{"a", "", "c"}, {"a"}},
        {{"00", "0 "}, {"00", "0 "}},
    };
    for (const auto& [stored, expected] : cases) {
        ASSERT_TRUE(WriteSettingsList("UserFolder", "File", stored));
        Settings.SaveSetting("UserFolder", "File" + std::to_string(stored.size() + 1), "after the gap");
        EXPECT_EQ(ReadSettingsList("UserFolder", "File"), expected) << stored.size();
    }
}

TEST_F(SettingsStoreTest, RegistryModuleAnswersWithTheWindowsCodes) {
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\T", "V", "S", std::string("text")), 0);
    // An unknown root changes nothing.
    EXPECT_EQ(RegistryAccess::SetRegValue("HKXX", "Software\\T", "V", "S", std::string("x")), 99);
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
    EXPECT_EQ(std::vector<LONG>({RegistryAccess::DeleteRegValue("HKCU", "Software\\T", "V"),
                                 RegistryAccess::DeleteRegKey("HKCU", "Software", "T"),
                                 RegistryAccess::DeleteRegValue("HKCU", "Software\\T", "V"),
                                 RegistryAccess::DeleteRegKey("HKCU", "Software", "T")}),
              std::vector<LONG>(4, 0));
}

TEST_F(SettingsStoreTest, TheCacheFolderIsXdgsUnlessTheUserPointsItElsewhere) {
    EXPECT_EQ(SpecialFolderPath(CSIDL_COOKIES), ""); // no folder of cookie files on Linux
    const HKEY shellFolders =
        createKey(fake().registry(), HKEY_CURRENT_USER,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "cache");
    // The type and text of the user's value, then the folder.
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
    // Without an absolute XDG_CACHE_HOME the home folder serves.
    fake().env["XDG_CACHE_HOME"] = "relative";
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), tmp / "home/.cache");
    fake().env.erase("HOME");
    EXPECT_EQ(SpecialFolderPath(CSIDL_INTERNET_CACHE), "");
}

} // namespace
} // namespace tidorax::test

#include "core/settings/SettingsStore.h"
#include "core/settings/RegistryAccess.h"
#include "platform/Win32Types.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

namespace tidorax::test {
namespace {

const std::string kTidora = "Software\\Quillon Software\\Tidora";
using RegistryAccess::RegValue;

class SettingsStoreTest : public PlatformFixture {
protected:
    // Writes raw bytes of any type into a HKCU key, as another program might.
    void writeRaw(const std::string& keyPath, const std::string& name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(setValue(fake().registry(), createKey(fake().registry(), HKEY_CURRENT_USER, keyPath), name,
                           type, bytes),
                  ERROR_SUCCESS);
    }
    std::optional<StoredValue> stored(const std::string& keyPath, const std::string& name) {
        return storedValue(fake().registry(), HKEY_CURRENT_USER, keyPath, name);
    }
};

TEST_F(SettingsStoreTest, SaveWritesTextWithItsZeroByteUnderTheSectionKey) {
    EXPECT_TRUE(Settings.SaveSetting("CleanPath", "TempFiles", "Yes"));
    EXPECT_EQ(stored(kTidora + "\\CleanPath", "TempFiles"), (StoredValue{REG_SZ, sz("Yes")}));
    EXPECT_TRUE(Settings.SaveSetting("CleanPath", "*", "default text"));
    EXPECT_EQ(stored(kTidora + "\\CleanPath", ""), (StoredValue{REG_SZ, sz("default text")}));
    EXPECT_TRUE(Settings.SaveSetting("", "Top", "t"));
    EXPECT_EQ(stored(kTidora, "Top"), (StoredValue{REG_SZ, sz("t")}));
}

TEST_F(SettingsStoreTest, GetSettingReadsTextOrFallsBackToTheDefault) {
    writeRaw(kTidora + "\\S", "Empty", REG_SZ, std::string("\0", 1));
    writeRaw(kTidora + "\\S", "NoData", REG_SZ, "");
    writeRaw(kTidora + "\\S", "Text", REG_SZ, std::string("abc\0", 4));
    writeRaw(kTidora + "\\S", "Binary", REG_BINARY, std::string("xy\0", 3));
    writeRaw(kTidora + "\\S", "Unterminated", REG_SZ, "abc");
    struct Case {
        std::string section, key, expected;
    } cases[] = {
        {"S", "Empty", ""},              // the empty text is a value, not a missing one
        {"S", "NoData", "dflt"},         // no data bytes at all: the default
        {"S", "Text", "abc"},            //
        {"S", "TEXT", "abc"},            // value names ignore case
        {"s", "Text", "abc"},            // so do key names
        {"S", "Binary", "xy"},           // the type plays no role
        {"S", "Unterminated", "ab"},     // the last byte is taken for the terminator
        {"S", "Missing", "dflt"},        //
        {"NeverWritten", "Key", "dflt"}, //
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Settings.GetSetting(c.section, c.key, "dflt"), c.expected) << c.section << "/" << c.key;
    }
    EXPECT_EQ(Settings.GetSetting("NeverWritten", "Key"), "");
}

TEST_F(SettingsStoreTest, DeleteSettingRemovesOneValueOrTheWholeSection) {
    Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
    Settings.SaveSetting("CleanPath", "FirstRun", "No");
    Settings.SaveSetting("UserFolder", "File0", "/data");
    EXPECT_TRUE(Settings.DeleteSetting("CleanPath", "TempFiles"));
    EXPECT_FALSE(Settings.DeleteSetting("CleanPath", "TempFiles")); // nothing left to remove
    EXPECT_EQ(Settings.GetSetting("CleanPath", "FirstRun", "0"), "No");

    EXPECT_TRUE(Settings.DeleteSetting("CleanPath", ""));
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, kTidora + "\\CleanPath"));
    EXPECT_EQ(Settings.GetSetting("UserFolder", "File0", "0"), "/data"); // other sections stay
    EXPECT_FALSE(Settings.DeleteSetting("CleanPath", ""));
    EXPECT_FALSE(Settings.DeleteSetting("NeverWritten", "Key"));
}

TEST_F(SettingsStoreTest, GetAllSettingsListsTextValuesInTheirOrder) {
    EXPECT_FALSE(Settings.GetAllSettings("Nothing").has_value());
    writeRaw(kTidora + "\\OnlyBinary", "B", REG_BINARY, "\x01\x02");
    writeRaw(kTidora + "\\OnlyBinary", "D", REG_DWORD, std::string("\x05\0\0\0", 4));
    EXPECT_FALSE(Settings.GetAllSettings("OnlyBinary").has_value());

    Settings.SaveSetting("Mixed", "Zeta", "last?");
    writeRaw(kTidora + "\\Mixed", "Bin", REG_BINARY, "\x01");
    Settings.SaveSetting("Mixed", "alpha", "");
    writeRaw(kTidora + "\\Mixed", "NoData", REG_SZ, "");
    Settings.SaveSetting("Mixed", "Zeta", "rewritten");
    EXPECT_EQ(Settings.GetAllSettings("Mixed"),
              (std::vector<SettingsStore::Row>{{"Zeta", "rewritten"}, {"alpha", ""}, {"NoData", ""}}));
}

TEST_F(SettingsStoreTest, CompanyAndAppNameTrimAndFallBack) {
    SettingsStore s;
    s.setCompany("  Acme  ");
    s.setAppName(" Tool ");
    EXPECT_TRUE(s.SaveSetting("Sec", "K", "v"));
    EXPECT_EQ(stored("Software\\Acme\\Tool\\Sec", "K"), (StoredValue{REG_SZ, sz("v")}));
    s.setCompany("   ");
    s.setAppName("");
    EXPECT_EQ(s.Company(), "Quillon Software");
    EXPECT_EQ(s.AppName(), "Tidorax"); // the product name
}

TEST_F(SettingsStoreTest, FlagsAreSetOnlyByTheExactText) {
    const std::pair<std::string, bool> cases[] = {{"Yes", true},   {"yes", false}, {"YES", false},
                                                  {"Yes ", false}, {"1", false},   {"", false}};
    for (const auto& [text, set] : cases) {
        Settings.SaveSetting("CleanPath", "TempFiles", text);
        EXPECT_EQ(IsFlagSet("TempFiles"), set) << '"' << text << '"';
    }
    Settings.DeleteSetting("CleanPath", "TempFiles");
    EXPECT_FALSE(IsFlagSet("TempFiles"));
}

TEST_F(SettingsStoreTest, ListsEndAtTheFirstMissingZeroOrEmptyEntryAndAtIndex1000) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> stored;
        std::vector<std::string> expected;
    } cases[] = {
        {"gap at 3", {{0, "a"}, {1, "b"}, {2, "c"}, {4, "e"}, {5, "f"}}, {"a", "b", "c"}},
        {"zero text", {{0, "a"}, {1, "0"}, {2, "c"}}, {"a"}},
        {"empty text", {{0, "a"}, {1, ""}, {2, "c"}}, {"a"}},
        {"nothing at 0", {{1, "b"}}, {}},
        {"texts that only contain 0", {{0, "00"}, {1, "0 "}}, {"00", "0 "}},
    };
    for (const auto& c : cases) {
        Settings.DeleteSetting("UserFolder", "");
        for (const auto& [index, text] : c.stored) {
            Settings.SaveSetting("UserFolder", "File" + std::to_string(index), text);
        }
        EXPECT_EQ(ReadSettingsList("UserFolder", "File"), c.expected) << c.name;
    }
    for (int i = 0; i <= 1002; ++i) {
        Settings.SaveSetting("SavedCookies", "Cookie" + std::to_string(i), "c" + std::to_string(i));
    }
    const auto list = ReadSettingsList("SavedCookies", "Cookie");
    ASSERT_EQ(list.size(), 1001u);
    EXPECT_EQ(list.back(), "c1000");
}

TEST_F(SettingsStoreTest, RegistryModuleReadsAndWritesEachType) {
    EXPECT_EQ(RegistryAccess::SetRegValue("hkcu", "Software\\T", "S", "s", RegValue{std::string("text")}), 0);
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\T", "B", "B", RegValue{true}), 0);
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\T", "B0", "B", RegValue{false}), 0);
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\T", "D", "d", RegValue{std::int32_t{-5}}), 0);
    EXPECT_EQ(stored("Software\\T", "S"), (StoredValue{REG_SZ, sz("text")}));
    EXPECT_EQ(stored("Software\\T", "B"), (StoredValue{REG_BINARY, "\xff\xff"}));
    EXPECT_EQ(stored("Software\\T", "D"), (StoredValue{REG_DWORD, "\xfb\xff\xff\xff"}));

    struct Case {
        const char* root;
        const char* key;
        const char* name;
        const char* type;
        RegValue fallback;
        LONG code;
        RegValue read;
    };
    const Case cases[] = {
        {"HKCU", "Software\\T", "S", "S", std::string("d"), 0, std::string("text")},
        {"HKCU", "Software\\T", "B", "B", false, 0, true},
        {"HKCU", "Software\\T", "B0", "B", true, 0, false},
        {"HKCU", "Software\\T", "D", "D", std::int32_t{0}, 0, std::int32_t{-5}},
        // Missing value or key: the Windows code, and the default.
        {"HKCU", "Software\\T", "None", "S", std::string("d"), 2, std::string("d")},
        {"HKCU", "Software\\Nope", "S", "S", std::string("d"), 2, std::string("d")},
        // A text too long for a 4-byte number: more data, the default stays.
        {"HKCU", "Software\\T", "S", "D", std::int32_t{7}, 234, std::int32_t{7}},
        // Unknown roots are refused without touching the registry.
        {"HKEY_CURRENT_USER", "Software\\T", "S", "S", std::string("d"), 99, std::string("d")},
    };
    for (const Case& c : cases) {
        RegValue value = std::string("unset");
        EXPECT_EQ(RegistryAccess::GetRegValue(c.root, c.key, c.name, c.type, c.fallback, value), c.code)
            << c.name;
        if (c.code != 99) {
            EXPECT_EQ(value, c.read) << c.name;
        }
    }
    EXPECT_EQ(RegistryAccess::RootKeyHandle("HKXX"), 0u);
    EXPECT_EQ(RegistryAccess::RootKeyHandle("hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegistryAccess::SetRegValue("HKXX", "Software\\T", "S", "S", RegValue{std::string("x")}), 99);
    EXPECT_EQ(RegistryAccess::DeleteRegValue("", "Software\\T", "S"), 99);
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HK", "Software", "T"), 99);
    EXPECT_EQ(stored("Software\\T", "S"), (StoredValue{REG_SZ, sz("text")}));

    // An unknown type letter writes nothing but the key is still made.
    EXPECT_EQ(RegistryAccess::SetRegValue("HKCU", "Software\\Made", "X", "Q", RegValue{std::string("x")}), 0);
    EXPECT_TRUE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\Made"));
    EXPECT_FALSE(stored("Software\\Made", "X").has_value());
}

TEST_F(SettingsStoreTest, RegistryModuleRemovalsTreatNothingToRemoveAsSuccess) {
    RegistryAccess::SetRegValue("HKCU", "Software\\P\\Child", "V", "S", RegValue{std::string("x")});
    EXPECT_EQ(RegistryAccess::DeleteRegValue("HKCU", "Software\\P\\Child", "V"), 0);
    EXPECT_FALSE(stored("Software\\P\\Child", "V").has_value());
    EXPECT_EQ(RegistryAccess::DeleteRegValue("HKCU", "Software\\P\\Child", "V"), 0);
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software\\Nowhere", "Child"), 0);
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software", "P"), 5); // it still has a subkey
    EXPECT_TRUE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\P"));
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software\\P", "child"), 0);
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software", "P"), 0);
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\P"));
    EXPECT_EQ(RegistryAccess::DeleteRegKey("HKCU", "Software", "P"), 0);
}

TEST_F(SettingsStoreTest, ADamagedHiveGivesDefaultsAndRefusesWrites) {
    Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
    const std::string garbage(4096, '\x5a');
    writeFile(fake().hivePath, garbage);
    fake().reopenHive();
    EXPECT_EQ(Settings.GetSetting("CleanPath", "TempFiles", "0"), "0");
    EXPECT_FALSE(IsFlagSet("TempFiles"));
    EXPECT_FALSE(Settings.SaveSetting("CleanPath", "TempFiles", "Yes"));
    EXPECT_FALSE(Settings.DeleteSetting("CleanPath", ""));
    EXPECT_FALSE(Settings.GetAllSettings("CleanPath").has_value());
    EXPECT_EQ(ReadSettingsList("UserFolder", "File"), std::vector<std::string>{});
    RegValue value;
    EXPECT_NE(RegistryAccess::GetRegValue("HKCU", "Software", "x", "S", RegValue{}, value), 0);
    EXPECT_NE(RegistryAccess::SetRegValue("HKCU", "Software", "x", "S", RegValue{std::string("y")}), 0);
    // The damaged file is left as it was for the user to rescue.
    EXPECT_EQ(readFile(fake().hivePath), garbage);
}

} // namespace
} // namespace tidorax::test

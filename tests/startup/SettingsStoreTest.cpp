#include "platform/Win32Types.h"
#include "startup/CRegSettings.h"
#include "startup/modRegistry.h"
#include "tests/support/PlatformFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace tidorax {
namespace {

const std::string kTidora = "Software\\Quillon Software\\Tidora";

class SettingsStoreTest : public test::PlatformFixture {
protected:
    // Writes raw bytes of any type into a HKCU key, as another program might.
    void writeRaw(const std::string& keyPath, const std::string& name, DWORD type, const std::string& bytes) {
        RegistryHive& reg = fake().registry();
        HKEY key = 0;
        ASSERT_EQ(reg.RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, "", 0, KEY_ALL_ACCESS, nullptr,
                                      &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(reg.RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        reg.RegCloseKey(key);
    }
    // The raw bytes and type of a HKCU value; type 0xFFFFFFFF when absent.
    std::pair<DWORD, std::string> readRaw(const std::string& keyPath, const std::string& name) {
        RegistryHive& reg = fake().registry();
        HKEY key = 0;
        if (reg.RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return {0xFFFFFFFFu, {}};
        }
        DWORD type = 0;
        DWORD size = 0;
        std::pair<DWORD, std::string> result{0xFFFFFFFFu, {}};
        if (reg.RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::string data(size, '\0');
            reg.RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                 &size);
            result = {type, data};
        }
        reg.RegCloseKey(key);
        return result;
    }
    bool keyExists(HKEY root, const std::string& path) {
        HKEY key = 0;
        if (fake().registry().RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        fake().registry().RegCloseKey(key);
        return true;
    }
};

TEST_F(SettingsStoreTest, SaveWritesTextWithItsZeroByteUnderTheSectionKey) {
    EXPECT_TRUE(Settings.SaveSetting("CleanPath", "TempFiles", "Yes"));
    EXPECT_EQ(readRaw(kTidora + "\\CleanPath", "TempFiles"),
              (std::pair<DWORD, std::string>{REG_SZ, {"Yes\0", 4}}));
    EXPECT_TRUE(Settings.SaveSetting("CleanPath", "*", "default text"));
    EXPECT_EQ(readRaw(kTidora + "\\CleanPath", "").second, std::string("default text\0", 13));
    EXPECT_TRUE(Settings.SaveSetting("", "Top", "t"));
    EXPECT_EQ(readRaw(kTidora, "Top").second, std::string("t\0", 2));
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
    EXPECT_EQ(Settings.GetSetting("CleanPath", "FirstRun", "0"), "0");
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kTidora + "\\CleanPath"));
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
    const auto rows = Settings.GetAllSettings("Mixed");
    ASSERT_TRUE(rows.has_value());
    const std::vector<CRegSettings::Row> expected{{"Zeta", "rewritten"}, {"alpha", ""}, {"NoData", ""}};
    EXPECT_EQ(*rows, expected);
}

TEST_F(SettingsStoreTest, CompanyAndAppNameTrimAndFallBack) {
    CRegSettings s;
    EXPECT_EQ(s.Company(), "Quillon Software");
    EXPECT_EQ(s.AppName(), "Tidora");
    s.setCompany("  Acme  ");
    s.setAppName(" Tool ");
    EXPECT_EQ(s.Company(), "Acme");
    EXPECT_EQ(s.AppName(), "Tool");
    EXPECT_TRUE(s.SaveSetting("Sec", "K", "v"));
    EXPECT_EQ(readRaw("Software\\Acme\\Tool\\Sec", "K").second, std::string("v\0", 2));
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

TEST_F(SettingsStoreTest, ListsEndAtTheFirstMissingZeroOrEmptyEntry) {
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
}

TEST_F(SettingsStoreTest, ListReadingStopsAtIndex1000) {
    for (int i = 0; i <= 1002; ++i) {
        Settings.SaveSetting("SavedCookies", "Cookie" + std::to_string(i), "c" + std::to_string(i));
    }
    const auto list = ReadSettingsList("SavedCookies", "Cookie");
    ASSERT_EQ(list.size(), 1001u);
    EXPECT_EQ(list.back(), "c1000");
}

TEST_F(SettingsStoreTest, RegistryModuleReadsAndWritesEachType) {
    using modRegistry::RegValue;
    EXPECT_EQ(modRegistry::SetRegValue("hkcu", "Software\\T", "S", "s", RegValue{std::string("text")}), 0);
    EXPECT_EQ(modRegistry::SetRegValue("HKCU", "Software\\T", "B", "B", RegValue{true}), 0);
    EXPECT_EQ(modRegistry::SetRegValue("HKCU", "Software\\T", "B0", "B", RegValue{false}), 0);
    EXPECT_EQ(modRegistry::SetRegValue("HKCU", "Software\\T", "D", "d", RegValue{std::int32_t{-5}}), 0);
    EXPECT_EQ(readRaw("Software\\T", "S"), (std::pair<DWORD, std::string>{REG_SZ, {"text\0", 5}}));
    EXPECT_EQ(readRaw("Software\\T", "B"), (std::pair<DWORD, std::string>{REG_BINARY, "\xff\xff"}));
    EXPECT_EQ(readRaw("Software\\T", "D"), (std::pair<DWORD, std::string>{REG_DWORD, "\xfb\xff\xff\xff"}));

    RegValue value;
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "S", "S", RegValue{std::string("d")}, value),
              0);
    EXPECT_EQ(value, RegValue{std::string("text")});
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "B", "B", RegValue{false}, value), 0);
    EXPECT_EQ(value, RegValue{true});
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "B0", "B", RegValue{true}, value), 0);
    EXPECT_EQ(value, RegValue{false});
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "D", "D", RegValue{std::int32_t{0}}, value), 0);
    EXPECT_EQ(value, RegValue{std::int32_t{-5}});

    // Missing value or key: the Windows code, and the default.
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "None", "S", RegValue{std::string("d")}, value),
              2);
    EXPECT_EQ(value, RegValue{std::string("d")});
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\Nope", "S", "S", RegValue{std::string("d")}, value),
              2);
    // A text too long for a 4-byte number: more data, the default stays.
    EXPECT_EQ(modRegistry::GetRegValue("HKCU", "Software\\T", "S", "D", RegValue{std::int32_t{7}}, value),
              234);
    EXPECT_EQ(value, RegValue{std::int32_t{7}});

    // Unknown roots are refused without touching the registry.
    EXPECT_EQ(modRegistry::RootKeyHandle("HKXX"), 0u);
    EXPECT_EQ(modRegistry::RootKeyHandle("hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(modRegistry::SetRegValue("HKXX", "Software\\T", "S", "S", RegValue{std::string("x")}), 99);
    EXPECT_EQ(modRegistry::GetRegValue("HKEY_CURRENT_USER", "Software\\T", "S", "S", RegValue{}, value), 99);
    EXPECT_EQ(modRegistry::DeleteRegValue("", "Software\\T", "S"), 99);
    EXPECT_EQ(modRegistry::DeleteRegKey("HK", "Software", "T"), 99);

    // An unknown type letter writes nothing but the key is still made.
    EXPECT_EQ(modRegistry::SetRegValue("HKCU", "Software\\Made", "X", "Q", RegValue{std::string("x")}), 0);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Made"));
    EXPECT_EQ(readRaw("Software\\Made", "X").first, 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, RegistryModuleRemovalsTreatNothingToRemoveAsSuccess) {
    using modRegistry::RegValue;
    modRegistry::SetRegValue("HKCU", "Software\\P\\Child", "V", "S", RegValue{std::string("x")});
    EXPECT_EQ(modRegistry::DeleteRegValue("HKCU", "Software\\P\\Child", "V"), 0);
    EXPECT_EQ(modRegistry::DeleteRegValue("HKCU", "Software\\P\\Child", "V"), 0);
    EXPECT_EQ(modRegistry::DeleteRegKey("HKCU", "Software\\Nowhere", "Child"), 0);
    EXPECT_EQ(modRegistry::DeleteRegKey("HKCU", "Software", "P"), 5); // it still has a subkey
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\P"));
    EXPECT_EQ(modRegistry::DeleteRegKey("HKCU", "Software\\P", "child"), 0);
    EXPECT_EQ(modRegistry::DeleteRegKey("HKCU", "Software", "P"), 0);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\P"));
    EXPECT_EQ(modRegistry::DeleteRegKey("HKCU", "Software", "P"), 0);
}

TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kPerProcess = 150;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            // A fresh connection in the child.
            fakePlatform().reopenHive();
            int failures = 0;
            for (int i = 0; i < kPerProcess; ++i) {
                const std::string name = "P" + std::to_string(child) + "_" + std::to_string(i);
                failures += Settings.SaveSetting("Race", name, name) ? 0 : 1;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    fake().reopenHive();
    const auto rows = Settings.GetAllSettings("Race");
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->size(), 2u * kPerProcess);
    for (const auto& [name, text] : *rows) {
        EXPECT_EQ(name, text);
    }
}

TEST_F(SettingsStoreTest, ADamagedHiveGivesDefaultsAndRefusesWrites) {
    Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
    {
        std::ofstream out(fake().hivePath, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 4096; ++i) {
            out.put(static_cast<char>((i * 37) & 0xFF));
        }
    }
    fake().reopenHive();
    EXPECT_EQ(Settings.GetSetting("CleanPath", "TempFiles", "0"), "0");
    EXPECT_FALSE(IsFlagSet("TempFiles"));
    EXPECT_FALSE(Settings.SaveSetting("CleanPath", "TempFiles", "Yes"));
    EXPECT_FALSE(Settings.DeleteSetting("CleanPath", ""));
    EXPECT_FALSE(Settings.GetAllSettings("CleanPath").has_value());
    EXPECT_EQ(ReadSettingsList("UserFolder", "File"), std::vector<std::string>{});
    modRegistry::RegValue value;
    EXPECT_NE(modRegistry::GetRegValue("HKCU", "Software", "x", "S", modRegistry::RegValue{}, value), 0);
    // The damaged file is left as it was for the user to rescue.
    EXPECT_EQ(test::readFile(fake().hivePath).size(), 4096u);
}

} // namespace
} // namespace tidorax

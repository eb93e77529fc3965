#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tidorax::test {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryHiveAutostart : public ::testing::Test {
protected:
    // The value of one key of the entry as written in the file (not unescaped).
    std::string written(const std::string& key) {
        const std::string contents = "\n" + readFile(entry);
        const auto at = contents.find("\n" + key + "=");
        return at == std::string::npos
                   ? "<missing>"
                   : contents.substr(at + key.size() + 2, contents.find('\n', at + 1) - at - key.size() - 2);
    }
    std::optional<StoredValue> runValue(RegistryHive& reader) {
        return storedValue(reader, HKEY_LOCAL_MACHINE, kRunKey, "Tidora");
    }

    TempDir dir;
    std::string folder = dir / "my config/autostart";
    std::string entry = folder + "/Tidora.desktop";
    RegistryHive hive{dir / "registry.sqlite3", AutostartRedirect{folder, dir / "my bin/tidorax"}};
    HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
};

TEST_F(RegistryHiveAutostart, TheLogOnValueIsTheAutostartEntry) {
    ASSERT_NE(run, 0u) << "the Run key always exists";
    EXPECT_EQ(hive.RegDeleteValueA(run, "Tidora"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(setValue(hive, run, "Other", REG_SZ, sz("x")), ERROR_SUCCESS);
    const std::string data = sz("C:\\Tidora30.exe");
    ASSERT_EQ(setValue(hive, run, "TIDORA", REG_SZ, data), ERROR_SUCCESS);
    EXPECT_EQ(readFile(entry).rfind("[Desktop Entry]\nType=Application\nName=Tidorax\n", 0), 0u);
    EXPECT_EQ(written("Exec"), "\"" + dir.path() + "/my bin/tidorax\"");
    EXPECT_EQ(written("X-Tidorax-Run-Value"), "C:\\\\Tidora30.exe");
    std::vector<std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        files.push_back(file.path().filename());
    }
    EXPECT_EQ(files, std::vector<std::string>{"Tidora.desktop"}) << "no temporary file is left";

    // Read back by any hive (the value is the file), listed after the values in the file.
    RegistryHive other(hive.path(), AutostartRedirect{folder, "/elsewhere/tidorax"});
    EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, data}));
    EXPECT_EQ(valueNames(hive, run), (std::vector<std::string>{"Other", "Tidora"}));
    DWORD maxName = 0, maxData = 0;
    ASSERT_EQ(hive.RegQueryInfoKeyA(run, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(maxName, maxData), std::make_pair(DWORD{6}, DWORD(data.size())));

    // A value of that name under any other key is an ordinary value.
    const HKEY user = createKey(hive, HKEY_CURRENT_USER, kRunKey);
    ASSERT_EQ(setValue(hive, user, "Tidora", REG_SZ, sz("user")), ERROR_SUCCESS);
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, data}));

    ASSERT_EQ(hive.RegDeleteValueA(run, "tiDORa"), ERROR_SUCCESS);
    EXPECT_FALSE(exists(entry));
    EXPECT_FALSE(runValue(hive).has_value());
    EXPECT_EQ(hive.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunKey), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryHiveAutostart, TextsOfEveryShapeReadBackAsWrittenAndOnlyTextFits) {
    for (const std::string text :
         {"", " leading and trailing ", "line\nbreak\ttab\rreturn", "back\\slash\\s \\n",
          "%u 100% $HOME \"q\" `x`", "=equals=", "#hash", "[Group]"}) {
        ASSERT_EQ(setValue(hive, run, "Tidora", REG_SZ, sz(text)), ERROR_SUCCESS) << text;
        EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz(text)})) << text;
    }
    ASSERT_EQ(setValue(hive, run, "Tidora", REG_EXPAND_SZ, "bare"), ERROR_SUCCESS);
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("bare")})) << "read back with its zero";
    EXPECT_EQ(setValue(hive, run, "Tidora", REG_DWORD, std::string(4, '\1')), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setValue(hive, run, "Tidora", REG_SZ, std::string("a\0b", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("bare")}));
    // When the autostart folder cannot be made, the write says so.
    writeFile(dir / "blocked", "x");
    RegistryHive blocked(hive.path(), AutostartRedirect{dir / "blocked/autostart", "/opt/tidorax/tidorax"});
    EXPECT_NE(setValue(blocked, openKey(blocked, HKEY_LOCAL_MACHINE, kRunKey), "Tidora", REG_SZ, sz("x")),
              ERROR_SUCCESS);
}

TEST_F(RegistryHiveAutostart, AnEntryWithoutTheValueReadsAsTheProgramOfItsExecLine) {
    // {program the entry starts, Exec line written}: quoted only when needed, "%" doubled.
    for (const auto& [program, exec] : std::vector<std::pair<std::string, std::string>>{
             {"/opt/tidorax/tidorax", "/opt/tidorax/tidorax"},
             {"/home/u/my apps/tidorax", "\"/home/u/my apps/tidorax\""},
             {"/home/u/a$b \"c\"/tidorax", "\"/home/u/a\\\\$b \\\\\"c\\\\\"/tidorax\""},
             {"/home/u/back\\slash/tidorax", "\"/home/u/back\\\\\\\\slash/tidorax\""},
             {"/home/u/100%/tidorax", "/home/u/100%%/tidorax"},
         }) {
        RegistryHive other(hive.path(), AutostartRedirect{folder, program});
        ASSERT_EQ(setValue(other, openKey(other, HKEY_LOCAL_MACHINE, kRunKey), "Tidora", REG_SZ, sz("v")), 0);
        EXPECT_EQ(written("Exec"), exec);
        writeFile(entry, "[Desktop Entry]\nExec=" + exec + "\n");
        EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz(program)}));
    }
    // Entries made by hand.
    for (const auto& [contents, value] : std::vector<std::pair<std::string, std::optional<std::string>>>{
             {"[Desktop Entry]\nExec=\"/usr/local/my tools/tidorax\" --tray %u\n",
              "/usr/local/my tools/tidorax"},
             {"# comment\n[Desktop Entry]\r\nExec = /usr/bin/tidorax A\r\n", "/usr/bin/tidorax"},
             {"[Desktop Entry]\nName=No program\n", std::nullopt},
             {"[Other Group]\nExec=/wrong\nX-Tidorax-Run-Value=wrong\n", std::nullopt},
         }) {
        writeFile(entry, contents);
        EXPECT_EQ(runValue(hive), value ? std::optional(StoredValue{REG_SZ, sz(*value)}) : std::nullopt);
    }
}

} // namespace
} // namespace tidorax::test

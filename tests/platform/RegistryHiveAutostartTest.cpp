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
    // The line of one key of the entry as written in the file.
    std::string line(const std::string& key) {
        const std::string contents = readFile(entry);
        const auto at = contents.find("\n" + key + "=");
        return at == std::string::npos ? "" : contents.substr(at + 1, contents.find('\n', at + 1) - at - 1);
    }
    std::optional<StoredValue> runValue(RegistryHive& reader) {
        return storedValue(reader, HKEY_LOCAL_MACHINE, kRunKey, "Tidora");
    }
    LONG setRunValue(RegistryHive& writer, const std::string& data, DWORD type = REG_SZ) {
        return setValue(writer, openKey(writer, HKEY_LOCAL_MACHINE, kRunKey), "Tidora", type, data);
    }

    TempDir dir;
    std::string folder = dir / "my config/autostart";
    std::string entry = folder + "/Tidora.desktop";
    RegistryHive hive{dir / "registry.sqlite3", AutostartRedirect{folder, dir / "my bin/tidorax"}};
};

TEST_F(RegistryHiveAutostart, TheLogOnValueIsTheAutostartEntry) {
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
    ASSERT_NE(run, 0u) << "the Run key always exists";
    ASSERT_EQ(setValue(hive, run, "Other", REG_SZ, sz("x")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, run, "TIDORA", REG_SZ, sz("C:\\Tidora30.exe")), ERROR_SUCCESS);
    EXPECT_EQ(readFile(entry).rfind("[Desktop Entry]\nType=Application\nName=Tidorax\n", 0), 0u);
    EXPECT_EQ(line("Exec"), "Exec=\"" + dir.path() + "/my bin/tidorax\"");
    EXPECT_EQ(line("X-Tidorax-Run-Value"), "X-Tidorax-Run-Value=C:\\\\Tidora30.exe");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary left";

    // Any hive reads it back (the value is the file), after the values kept in the hive.
    RegistryHive other(hive.path(), AutostartRedirect{folder, "/elsewhere/tidorax"});
    EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz("C:\\Tidora30.exe")}));
    EXPECT_EQ(valueNames(hive, run), (std::vector<std::string>{"Other", "Tidora"}));
    // A value of that name under any other key is an ordinary one.
    setValue(hive, createKey(hive, HKEY_CURRENT_USER, kRunKey), "Tidora", REG_SZ, "");
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("C:\\Tidora30.exe")}));

    ASSERT_EQ(hive.RegDeleteValueA(run, "tiDORa"), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(hive.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunKey), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryHiveAutostart, TextsOfEveryShapeReadBackAsWrittenAndOnlyTextFits) {
    for (const std::string text :
         {"", " leading and trailing ", "line\nbreak\ttab\rreturn", "back\\slash\\s \\n",
          "%u 100% $HOME \"q\" `x`", "=equals=", "#hash", "[Group]"}) {
        ASSERT_EQ(setRunValue(hive, sz(text)), ERROR_SUCCESS) << text;
        EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz(text)})) << text;
    }
    ASSERT_EQ(setRunValue(hive, "bare", REG_EXPAND_SZ), ERROR_SUCCESS);
    EXPECT_EQ(setRunValue(hive, std::string(4, '\1'), REG_DWORD), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setRunValue(hive, std::string("a\0b", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("bare")}));
    // When the autostart folder cannot be made, the write says so.
    writeFile(dir / "blocked", "x");
    RegistryHive blocked(hive.path(), AutostartRedirect{dir / "blocked/autostart", "/opt/tidorax/tidorax"});
    EXPECT_NE(setRunValue(blocked, sz("x")), ERROR_SUCCESS);
}

TEST_F(RegistryHiveAutostart, AnEntryWithoutTheValueReadsAsTheProgramOfItsExecLine) {
    // {program, its Exec line}: quoted only when needed, "%" doubled.
    for (const auto& [program, exec] : std::vector<std::pair<std::string, std::string>>{
             {"/opt/tidorax", "/opt/tidorax"},
             {"/home/u/my apps/tidorax", "\"/home/u/my apps/tidorax\""},
             {"/home/u/a$b \"c\"/back\\slash", "\"/home/u/a\\\\$b \\\\\"c\\\\\"/back\\\\\\\\slash\""},
             {"/home/u/100%", "/home/u/100%%"},
             {"/home/u/my 100% \"odd\" dir/tidorax", "\"/home/u/my 100%% \\\\\"odd\\\\\" dir/tidorax\""},
         }) {
        RegistryHive other(hive.path(), AutostartRedirect{folder, program});
        ASSERT_EQ(setRunValue(other, sz("v")), ERROR_SUCCESS);
        EXPECT_EQ(line("Exec"), "Exec=" + exec);
        // Made by hand (comments, CR LF, blanks, arguments): the program is the value.
        writeFile(entry, "# mine\r\n[Desktop Entry]\r\nExec = " + exec + " --tray %u\r\n");
        EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz(program)}));
    }
    writeFile(entry,
              "[Desktop Entry]\nName=No program\n[Other Group]\nExec=/wrong\nX-Tidorax-Run-Value=wrong\n");
    EXPECT_FALSE(runValue(hive).has_value());
}

} // namespace
} // namespace tidorax::test

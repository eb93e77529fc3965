#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>

namespace tidorax::test {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(d);
    }
    return names;
}

// The value of one key of the entry as written in the file (not unescaped).
std::string rawKey(const std::string& contents, const std::string& key) {
    const std::string prefix = "\n" + key + "=";
    const auto at = ("\n" + contents).find(prefix);
    if (at == std::string::npos) {
        return "<missing>";
    }
    const auto start = at + prefix.size() - 1;
    return contents.substr(start, contents.find('\n', start) - start);
}

class RegistryHiveAutostart : public ::testing::Test {
protected:
    RegistryHiveAutostart()
        : folder(dir / "my config/autostart"), entry(folder + "/Tidora.desktop"),
          hive(dir / "config/tidorax/registry.sqlite3", AutostartRedirect{folder, dir / "my bin/tidorax"}) {}

    TempDir dir;
    std::string folder;
    std::string entry;
    RegistryHive hive;
};

TEST_F(RegistryHiveAutostart, TheLogOnValueLivesInTheAutostartEntry) {
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
    ASSERT_NE(run, 0u) << "the Run key always exists";
    DWORD size = 0;
    EXPECT_EQ(hive.RegQueryValueExA(run, "Tidora", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(hive.RegDeleteValueA(run, "Tidora"), ERROR_FILE_NOT_FOUND);

    const std::string data = sz("/opt/tidorax\\Tidora30.exe");
    ASSERT_EQ(setValue(hive, run, "TIDORA", REG_SZ, data), ERROR_SUCCESS);
    const std::string contents = readFile(entry);
    EXPECT_EQ(contents.rfind("[Desktop Entry]\n", 0), 0u) << contents;
    EXPECT_EQ(rawKey(contents, "Type"), "Application");
    EXPECT_EQ(rawKey(contents, "Name"), "Tidorax");
    EXPECT_EQ(rawKey(contents, "Exec"), "\"" + dir.path() + "/my bin/tidorax\"");
    EXPECT_EQ(rawKey(contents, "X-Tidorax-Run-Value"), "/opt/tidorax\\\\Tidora30.exe");
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"Tidora.desktop"}) << "no temporary file is left";

    EXPECT_EQ(queryValue(hive, run, "tidora"), (StoredValue{REG_SZ, data}));
    ASSERT_EQ(hive.RegQueryValueExA(run, "Tidora", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, data.size());
    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(hive.RegQueryValueExA(run, "Tidora", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, data.size());
    EXPECT_EQ(valueNames(hive, run), std::vector<std::string>{"Tidora"});
    DWORD values = 0;
    DWORD maxData = 0;
    ASSERT_EQ(hive.RegQueryInfoKeyA(run, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                    nullptr, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(maxData, data.size());

    // Another process sees it too: the value is the file, not a row of the hive.
    {
        RegistryHive other(hive.path(), AutostartRedirect{folder, "/elsewhere/tidorax"});
        EXPECT_EQ(queryValue(other, openKey(other, HKEY_LOCAL_MACHINE, kRunKey), "Tidora"),
                  (StoredValue{REG_SZ, data}));
    }
    ::unlink(entry.c_str());
    EXPECT_FALSE(queryValue(hive, run, "Tidora").has_value());
    ASSERT_EQ(setValue(hive, run, "Tidora", REG_SZ, data), ERROR_SUCCESS);

    ASSERT_EQ(hive.RegDeleteValueA(run, "tiDORa"), ERROR_SUCCESS);
    EXPECT_FALSE(exists(entry));
    EXPECT_EQ(hive.RegDeleteValueA(run, "Tidora"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(valueNames(hive, run).empty());

    // Other values of the Run key stay in the hive, before the log-on value.
    ASSERT_EQ(setValue(hive, run, "Other", REG_SZ, sz("x")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, run, "Tidora", REG_SZ, data), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(hive, run), (std::vector<std::string>{"Other", "Tidora"}));
    EXPECT_EQ(rawKey(readFile(entry), "X-Tidorax-Run-Value"), "/opt/tidorax\\\\Tidora30.exe");
    // A value of that name under any other key is an ordinary value.
    const HKEY elsewhere = createKey(hive, HKEY_CURRENT_USER, kRunKey);
    ASSERT_EQ(setValue(hive, elsewhere, "Tidora", REG_SZ, sz("user")), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, elsewhere, "Tidora"), (StoredValue{REG_SZ, sz("user")}));
    EXPECT_EQ(queryValue(hive, run, "Tidora"), (StoredValue{REG_SZ, data}));
}

TEST_F(RegistryHiveAutostart, TextsOfEveryShapeReadBackAsWritten) {
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
    for (const std::string text :
         {"", " leading and trailing ", "C:\\Program Files\\Tidora\\Tidora30.exe", "line\nbreak\ttab\rreturn",
          "back\\slash\\s and \\n", "%u 100% $HOME \"q\" `x`", "=equals=", "#hash", "[Group]"}) {
        ASSERT_EQ(setValue(hive, run, "Tidora", REG_SZ, sz(text)), ERROR_SUCCESS) << text;
        EXPECT_EQ(queryValue(hive, run, "Tidora"), (StoredValue{REG_SZ, sz(text)})) << text;
        EXPECT_EQ(readFile(entry).find("\n\n"), std::string::npos) << "one line per key for: " << text;
    }
    // Text without its terminating zero reads back with one.
    ASSERT_EQ(setValue(hive, run, "Tidora", REG_EXPAND_SZ, "bare"), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, run, "Tidora"), (StoredValue{REG_SZ, sz("bare")}));
    // Only text fits in an entry.
    EXPECT_EQ(setValue(hive, run, "Tidora", REG_DWORD, std::string(4, '\1')), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setValue(hive, run, "Tidora", REG_SZ, std::string("a\0b\0", 4)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(queryValue(hive, run, "Tidora"), (StoredValue{REG_SZ, sz("bare")}));
}

TEST_F(RegistryHiveAutostart, ExecQuotesTheProgramOnlyWhenNeededAndReadsBack) {
    struct Case {
        std::string program;
        std::string execLine;
    };
    const std::vector<Case> cases = {
        {"/opt/tidorax/tidorax", "/opt/tidorax/tidorax"},
        {"/home/u/my apps/tidorax", "\"/home/u/my apps/tidorax\""},
        {"/home/u/a$b/tidorax", "\"/home/u/a\\\\$b/tidorax\""},
        {"/home/u/say \"hi\"/tidorax", "\"/home/u/say \\\\\"hi\\\\\"/tidorax\""},
        {"/home/u/back\\slash/tidorax", "\"/home/u/back\\\\\\\\slash/tidorax\""},
        {"/home/u/100%/tidorax", "/home/u/100%%/tidorax"},
        {"/home/u/it's/tidorax", "\"/home/u/it's/tidorax\""},
    };
    for (const Case& c : cases) {
        RegistryHive other(hive.path(), AutostartRedirect{folder, c.program});
        const HKEY run = openKey(other, HKEY_LOCAL_MACHINE, kRunKey);
        ASSERT_EQ(setValue(other, run, "Tidora", REG_SZ, sz("value")), ERROR_SUCCESS) << c.program;
        std::string contents = readFile(entry);
        EXPECT_EQ(rawKey(contents, "Exec"), c.execLine) << c.program;
        // Without the value line the program of the Exec line is the value.
        const auto line = contents.find("X-Tidorax-Run-Value=");
        ASSERT_NE(line, std::string::npos);
        contents.erase(line, contents.find('\n', line) + 1 - line);
        writeFile(entry, contents);
        EXPECT_EQ(queryValue(other, run, "Tidora"), (StoredValue{REG_SZ, sz(c.program)})) << c.program;
    }
}

TEST_F(RegistryHiveAutostart, AHandMadeEntryIsReadByItsExecProgram) {
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
    struct Case {
        std::string contents;
        std::optional<std::string> value;
    };
    const std::vector<Case> cases = {
        {"[Desktop Entry]\nType=Application\nName=Mine\nExec=\"/usr/local/my tools/tidorax\" --tray %u\n",
         "/usr/local/my tools/tidorax"},
        {"# comment\n[Desktop Entry]\r\nExec = /usr/bin/tidorax A\r\n", "/usr/bin/tidorax"},
        {"[Desktop Entry]\nName=No program\n", std::nullopt},
        {"[Other Group]\nExec=/wrong\nX-Tidorax-Run-Value=wrong\n", std::nullopt},
        {"[Desktop Entry]\nExec=/a\nX-Tidorax-Run-Value=\\sC:\\\\x\n[Desktop Action New]\nExec=/b\n",
         " C:\\x"},
    };
    for (const Case& c : cases) {
        writeFile(entry, c.contents);
        const auto value = queryValue(hive, run, "Tidora");
        if (c.value) {
            EXPECT_EQ(value, (StoredValue{REG_SZ, sz(*c.value)})) << c.contents;
        } else {
            EXPECT_FALSE(value.has_value()) << c.contents;
        }
    }
}

TEST_F(RegistryHiveAutostart, TheRunKeyKeepsItsRightsAndCannotBeRemoved) {
    const HKEY query = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey, KEY_QUERY_VALUE);
    EXPECT_EQ(setValue(hive, query, "Tidora", REG_SZ, sz("x")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive.RegDeleteValueA(query, "Tidora"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(exists(entry));
    EXPECT_EQ(hive.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunKey), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion"),
              ERROR_ACCESS_DENIED);
    EXPECT_NE(openKey(hive, HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN"), 0u);
    // When the autostart folder cannot be made, the write fails and says so.
    writeFile(dir / "blocked", "x");
    RegistryHive blocked(hive.path(), AutostartRedirect{dir / "blocked/autostart", "/opt/tidorax/tidorax"});
    EXPECT_NE(setValue(blocked, openKey(blocked, HKEY_LOCAL_MACHINE, kRunKey), "Tidora", REG_SZ, sz("x")),
              ERROR_SUCCESS);
}

} // namespace
} // namespace tidorax::test

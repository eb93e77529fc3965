#include "startup/RegTool.h"

#include "platform/FakePlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace tidorax::test {
namespace {

const std::string kTidora = "HKCU\\Software\\Quillon Software\\Tidora";
const std::string kCleanPath = kTidora + "\\CleanPath";
const std::string kCleanPathLong = "HKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora\\CleanPath";
const std::string kRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSuccess = "The operation completed successfully.\n";
const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kCancelled = "The operation was cancelled by the user.\n";

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun reg(const std::vector<std::string>& args, const std::string& input = "") {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    ToolRun run;
    run.exitCode = RunRegTool(args, out, err, in);
    run.out = out.str();
    run.err = err.str();
    return run;
}

class RegToolTest : public ::testing::Test {
protected:
    void SetUp() override { fakePlatform().reset(tmp.path()); }
    void TearDown() override { fakePlatform().reset(tmp.path()); }

    RegistryHive& hive() { return fakePlatform().registry(); }

    // The value as the hive holds it (type, bytes), or nullopt when it is missing.
    std::optional<std::pair<DWORD, std::string>> stored(HKEY root, const std::string& path,
                                                        const std::string& name) {
        HKEY key = 0;
        if (hive().RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        DWORD type = 0;
        DWORD size = 0;
        std::optional<std::pair<DWORD, std::string>> result;
        if (hive().RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::string data(size, '\0');
            hive().RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                    &size);
            result = std::make_pair(type, data);
        }
        hive().RegCloseKey(key);
        return result;
    }

    bool keyExists(HKEY root, const std::string& path) {
        HKEY key = 0;
        if (hive().RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        hive().RegCloseKey(key);
        return true;
    }

    TempDir tmp;
};

std::pair<DWORD, std::string> sz(const std::string& text) {
    return {REG_SZ, text + std::string(1, '\0')};
}

TEST_F(RegToolTest, AddQueryExportAndDeleteRoundTrip) {
    struct Step {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    };
    const std::vector<Step> adds = {
        {{"add", kCleanPath, "/v", "TempFiles", "/t", "REG_SZ", "/d", "Yes", "/f"}, 0, kSuccess},
        {{"ADD", kCleanPath, "/V", "Count", "/T", "reg_dword", "/D", "10"}, 0, kSuccess},
        {{"add", kCleanPath, "-v", "Bytes", "-t", "REG_BINARY", "-d", "00ff10"}, 0, kSuccess},
        {{"add", kCleanPath, "/ve", "/d", "default text"}, 0, kSuccess},
        {{"add", kCleanPath, "/v", "Empty", "/d", ""}, 0, kSuccess},
        {{"add", kCleanPath, "/v", "Path", "/d", "C:\\Temp \"x\""}, 0, kSuccess},
        {{"add", kCleanPath, "/v", "NoBytes", "/hex", "/d", ""}, 0, kSuccess},
        {{"add", kCleanPath + "\\Sub\\Deeper"}, 0, kSuccess},
        {{"add", "HKCU\\Software\\Other", "/v", "Keep", "/d", "me"}, 0, kSuccess},
    };
    for (const Step& step : adds) {
        const ToolRun run = reg(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.args[2] << run.err;
        EXPECT_EQ(run.out, step.out) << step.args[2];
        EXPECT_EQ(run.err, "") << step.args[2];
    }
    const std::string cleanPath = "Software\\Quillon Software\\Tidora\\CleanPath";
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "TempFiles"), sz("Yes"));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "count"),
              std::make_pair(REG_DWORD, std::string("\x0a\0\0\0", 4)));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "Bytes"),
              std::make_pair(REG_BINARY, std::string("\x00\xff\x10", 3)));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, ""), sz("default text"));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "Empty"), sz(""));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "NoBytes"), std::make_pair(REG_SZ, std::string()));

    const std::vector<Step> queries = {
        {{"query", kCleanPath, "/v", "TEMPFILES"},
         0,
         "\n" + kCleanPathLong + "\n    TempFiles    REG_SZ    Yes\n\n"},
        {{"query", kCleanPath, "/v", "Count"},
         0,
         "\n" + kCleanPathLong + "\n    Count    REG_DWORD    0xa\n\n"},
        {{"query", kCleanPath, "/ve"},
         0,
         "\n" + kCleanPathLong + "\n    (Default)    REG_SZ    default text\n\n"},
        {{"query", kCleanPath},
         0,
         "\n" + kCleanPathLong +
             "\n"
             "    TempFiles    REG_SZ    Yes\n"
             "    Count    REG_DWORD    0xa\n"
             "    Bytes    REG_BINARY    00FF10\n"
             "    (Default)    REG_SZ    default text\n"
             "    Empty    REG_SZ    \n"
             "    Path    REG_SZ    C:\\Temp \"x\"\n"
             "    NoBytes    REG_SZ    \n"
             "\n" +
             kCleanPathLong + "\\Sub\n"},
        {{"query", "HKEY_CURRENT_USER\\Software\\Quillon Software", "/s"},
         0,
         "\nHKEY_CURRENT_USER\\Software\\Quillon Software\n"
         "\nHKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora\n"
         "\n" +
             kCleanPathLong +
             "\n"
             "    TempFiles    REG_SZ    Yes\n"
             "    Count    REG_DWORD    0xa\n"
             "    Bytes    REG_BINARY    00FF10\n"
             "    (Default)    REG_SZ    default text\n"
             "    Empty    REG_SZ    \n"
             "    Path    REG_SZ    C:\\Temp \"x\"\n"
             "    NoBytes    REG_SZ    \n"
             "\n" +
             kCleanPathLong + "\\Sub\n\n" + kCleanPathLong + "\\Sub\\Deeper\n"},
        {{"export", kCleanPath},
         0,
         "Windows Registry Editor Version 5.00\n\n[" + kCleanPathLong +
             "]\n"
             "\"TempFiles\"=\"Yes\"\n"
             "\"Count\"=dword:0000000a\n"
             "\"Bytes\"=hex:00,ff,10\n"
             "@=\"default text\"\n"
             "\"Empty\"=\"\"\n"
             "\"Path\"=\"C:\\\\Temp \\\"x\\\"\"\n"
             "\"NoBytes\"=hex(1):\n"
             "\n[" +
             kCleanPathLong + "\\Sub]\n\n[" + kCleanPathLong + "\\Sub\\Deeper]\n\n"},
    };
    for (const Step& step : queries) {
        const ToolRun run = reg(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.args[0] << " " << step.args.back() << run.err;
        EXPECT_EQ(run.out, step.out) << step.args[0] << " " << step.args.back();
    }

    // Export to a file, then remove values and keys.
    const std::string file = tmp / "clean path.reg";
    ToolRun run = reg({"export", kCleanPath, file});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kSuccess);
    EXPECT_EQ(readFile(file), queries.back().out);

    run = reg({"delete", kCleanPath, "/v", "tempfiles", "/f"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kSuccess);
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, cleanPath, "TempFiles").has_value());
    EXPECT_EQ(stored(HKEY_CURRENT_USER, cleanPath, "Count"),
              std::make_pair(REG_DWORD, std::string("\x0a\0\0\0", 4)));
    run = reg({"delete", kCleanPath, "/ve", "/f"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, cleanPath, "").has_value());

    run = reg({"delete", "HKCU\\Software\\Quillon Software", "/f"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kSuccess);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Quillon Software"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Other", "Keep"), sz("me"));
}

TEST_F(RegToolTest, DwordDataIsReadAsA32BitNumber) {
    struct Case {
        std::string data;
        std::optional<std::string> bytes;
    };
    const std::vector<Case> cases = {
        {"0", std::string("\0\0\0\0", 4)},
        {"4294967295", std::string("\xff\xff\xff\xff", 4)},
        {"0xFFFFFFFF", std::string("\xff\xff\xff\xff", 4)},
        {"0x1a", std::string("\x1a\0\0\0", 4)},
        {"-1", std::string("\xff\xff\xff\xff", 4)},
        {"-2147483648", std::string("\0\0\0\x80", 4)},
        {"4294967296", std::nullopt},
        {"0x100000000", std::nullopt},
        {"-2147483649", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"0x", std::nullopt},
        {"", std::nullopt},
        {" 1", std::nullopt},
    };
    for (const Case& c : cases) {
        const ToolRun run = reg({"add", "HKCU\\Numbers", "/v", "N", "/t", "REG_DWORD", "/d", c.data, "/f"});
        if (c.bytes) {
            EXPECT_EQ(run.exitCode, 0) << c.data << run.err;
            EXPECT_EQ(stored(HKEY_CURRENT_USER, "Numbers", "N"), std::make_pair(REG_DWORD, *c.bytes))
                << c.data;
        } else {
            EXPECT_EQ(run.exitCode, 1) << c.data;
            EXPECT_EQ(run.err,
                      "ERROR: Invalid data \"" + c.data +
                          "\" for REG_DWORD: give a 32-bit number, in decimal or as 0x and hex digits.\n")
                << c.data;
        }
    }
}

TEST_F(RegToolTest, EveryErrorHasItsMessageAndExitCode) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Present", "/v", "Here", "/d", "x"}).exitCode, 0);
    const std::string syntax = "ERROR: Invalid syntax.\n";
    const std::string badKey = "ERROR: Invalid key name.\n";
    struct Case {
        std::vector<std::string> args;
        std::string err; // the whole message, or its first line for invalid syntax
    };
    const std::vector<Case> cases = {
        {{}, syntax},
        {{"query"}, syntax},
        {{"frob", "HKCU"}, syntax},
        {{"query", "HKCU", "extra"}, syntax},
        {{"query", "HKCU", "/v"}, syntax},
        {{"query", "HKCU", "/v", "a", "/ve"}, syntax},
        {{"query", "HKCU", "/s", "/v", "a"}, syntax},
        {{"query", "HKCU", "/f"}, syntax},
        {{"add", "HKCU\\X", "/v", "a", "/v", "b"}, syntax},
        {{"add", "HKCU\\X", "/q"}, syntax},
        {{"add", "HKCU\\X", "/d"}, syntax},
        {{"delete", "HKCU\\X", "/v", "a", "/va"}, syntax},
        {{"export", "HKCU\\X", "a.reg", "b.reg"}, syntax},
        {{"query", "HKXX\\Software"}, badKey},
        {{"query", "Software\\Present"}, badKey},
        {{"add", "HKEY_CURRENT_USERS\\X", "/f"}, badKey},
        {{"add", "HKCU\\X\\\\Y", "/f"}, badKey},
        {{"query", "HKCU\\Software\\Absent"}, kNotFound},
        {{"query", "HKCU\\Software\\Present", "/v", "Absent"}, kNotFound},
        {{"query", "HKCU\\Software\\Present", "/ve"}, kNotFound},
        {{"delete", "HKCU\\Software\\Absent", "/f"}, kNotFound},
        {{"delete", "HKCU\\Software\\Present", "/v", "Absent", "/f"}, kNotFound},
        {{"export", "HKCU\\Software\\Absent"}, kNotFound},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_FOO"},
         "ERROR: Invalid type REG_FOO. Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_MULTI_SZ"},
         "ERROR: Invalid type REG_MULTI_SZ. Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_BINARY", "/d", "abc"},
         "ERROR: Invalid data \"abc\" for REG_BINARY: give the bytes as pairs of hex digits.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_NONE", "/d", "zz"},
         "ERROR: Invalid data \"zz\" for REG_NONE: give the bytes as pairs of hex digits.\n"},
        {{"delete", "HKCU", "/f"}, "ERROR: A root key cannot be deleted.\n"},
        {{"delete", kRun, "/f"}, "ERROR: Access is denied.\n"},
    };
    for (const Case& c : cases) {
        const ToolRun run = reg(c.args);
        std::string what;
        for (const std::string& arg : c.args) {
            what += arg + " ";
        }
        EXPECT_EQ(run.exitCode, 1) << what;
        if (c.err == syntax) {
            EXPECT_EQ(run.err.substr(0, syntax.size()), syntax) << what;
            EXPECT_NE(run.err.find("tidorax-reg add KEY"), std::string::npos) << "usage follows: " << what;
        } else {
            EXPECT_EQ(run.err, c.err) << what;
        }
        EXPECT_EQ(run.out, "") << what;
    }
    // None of the refused additions left a key behind, and nothing was removed.
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "X"));
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Present", "Here"), sz("x"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));

    const ToolRun help = reg({"/?"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("tidorax-reg query KEY"), std::string::npos);
}

TEST_F(RegToolTest, ADamagedHiveIsNamedAndLeftAsItWas) {
    const std::string garbage(5000, '\x5a');
    writeFile(fakePlatform().hivePath, garbage);
    fakePlatform().reopenHive();
    const std::string message = "ERROR: The registry hive file " + fakePlatform().hivePath +
                                " cannot be read: it is damaged or not accessible (error 1009).\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"query", kCleanPath},
             {"add", kCleanPath, "/v", "TempFiles", "/d", "Yes", "/f"},
             {"delete", kCleanPath, "/f"},
             {"export", kCleanPath},
         }) {
        const ToolRun run = reg(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, message) << args[0];
    }
    EXPECT_EQ(readFile(fakePlatform().hivePath), garbage);
}

TEST_F(RegToolTest, WithoutForceTheToolAsksFirst) {
    const std::string valuePrompt = "Delete the registry value TempFiles (Yes/No)? ";
    struct Case {
        std::string input;
        bool confirmed;
    };
    const std::vector<Case> answers = {
        {"y\n", true},   {"yes\n", true}, {"YES\n", true},    {" Yes \r\n", true}, {"n\n", false},
        {"no\n", false}, {"", false},     {"maybe\n", false}, {"\n", false},       {"yess\n", false},
    };
    for (const Case& c : answers) {
        ASSERT_EQ(reg({"add", kCleanPath, "/v", "TempFiles", "/d", "Yes", "/f"}).exitCode, 0);
        const ToolRun run = reg({"delete", kCleanPath, "/v", "TempFiles"}, c.input);
        EXPECT_EQ(run.exitCode, c.confirmed ? 0 : 1) << c.input;
        EXPECT_EQ(run.out.substr(0, valuePrompt.size()), valuePrompt) << c.input;
        EXPECT_EQ(run.err, c.confirmed ? "" : kCancelled) << c.input;
        EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "TempFiles")
                      .has_value(),
                  !c.confirmed)
            << c.input;
    }

    // The other questions: removing a key or every value, overwriting a value or a file.
    ASSERT_EQ(reg({"add", kCleanPath, "/v", "A", "/d", "1", "/f"}).exitCode, 0);
    ToolRun run = reg({"delete", kTidora}, "n\n");
    EXPECT_EQ(run.out,
              "Delete the registry key HKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora (Yes/No)? ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath"));

    run = reg({"delete", kCleanPath, "/va"}, "n\n");
    EXPECT_EQ(run.out, "Delete all values under the registry key " + kCleanPathLong + " (Yes/No)? ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "A"), sz("1"));

    run = reg({"add", kCleanPath, "/v", "a", "/d", "2"}, "n\n");
    EXPECT_EQ(run.out, "Value a exists, overwrite (Yes/No)? ");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "A"), sz("1"));
    run = reg({"add", kCleanPath, "/v", "a", "/d", "2"}, "y\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "A"), sz("2"));
    // A new value needs no answer.
    run = reg({"add", kCleanPath, "/v", "B", "/d", "3"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kSuccess);

    run = reg({"delete", kCleanPath, "/va"}, "y\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "A").has_value());
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath", "B").has_value());
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\CleanPath"));

    const std::string file = tmp / "out.reg";
    writeFile(file, "keep me");
    run = reg({"export", kCleanPath, file}, "");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.rfind("File " + file + " already exists. Overwrite (Yes/No)? ", 0), 0u);
    EXPECT_EQ(readFile(file), "keep me");
    run = reg({"export", kCleanPath, file, "/y"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(readFile(file), "Windows Registry Editor Version 5.00\n\n[" + kCleanPathLong + "]\n\n");

    run = reg({"delete", kTidora}, "yes\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Quillon Software"));
}

TEST_F(RegToolTest, TheLogOnValueGoesThroughTheAutostartEntry) {
    const std::string entry = fakePlatform().autostartFolder + "/Tidora.desktop";
    ToolRun run = reg({"add", kRun, "/v", "Tidora", "/d", "/opt/tidorax\\Tidora30.exe", "/f"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(readFile(entry).find("\nExec=" + fakePlatform().programFolderPath + "/tidorax\n"),
              std::string::npos)
        << readFile(entry);
    run = reg({"query", kRun, "/v", "TIDORA"});
    EXPECT_EQ(run.out, "\nHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\n"
                       "    Tidora    REG_SZ    /opt/tidorax\\Tidora30.exe\n\n");
    run = reg({"export", kRun});
    EXPECT_EQ(run.out, "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                       "\"Tidora\"=\"/opt/tidorax\\\\Tidora30.exe\"\n\n");
    run = reg({"delete", kRun, "/v", "tidora", "/f"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(exists(entry));
    run = reg({"query", kRun, "/v", "Tidora"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kNotFound);
}

TEST_F(RegToolTest, ValuesThatAreNotPlainTextExportAsHex) {
    ASSERT_EQ(reg({"add", "HKCU\\Odd", "/v", "Expand", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"}).exitCode, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Odd", "/v", "Bare", "/t", "REG_SZ", "/hex", "/d", "4142"}).exitCode, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Odd", "/v", "Lines", "/d", "a\nb"}).exitCode, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Odd", "/v", "None", "/t", "REG_NONE", "/d", ""}).exitCode, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Odd", "/v", "Short", "/t", "REG_DWORD", "/hex", "/d", "0102"}).exitCode, 0);
    const ToolRun run = reg({"export", "hkcu\\odd"});
    EXPECT_EQ(run.out, "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\odd]\n"
                       "\"Expand\"=hex(2):25,48,4f,4d,45,25,00\n"
                       "\"Bare\"=hex(1):41,42\n"
                       "\"Lines\"=hex(1):61,0a,62,00\n"
                       "\"None\"=hex(0):\n"
                       "\"Short\"=hex(4):01,02\n\n");
    const ToolRun shown = reg({"query", "HKCU\\Odd"});
    EXPECT_EQ(shown.out, "\nHKEY_CURRENT_USER\\Odd\n"
                         "    Expand    REG_EXPAND_SZ    %HOME%\n"
                         "    Bare    REG_SZ    AB\n"
                         "    Lines    REG_SZ    a\nb\n"
                         "    None    REG_NONE    \n"
                         "    Short    REG_DWORD    0102\n");
}

} // namespace
} // namespace tidorax::test

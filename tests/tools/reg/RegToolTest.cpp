#include "tools/reg/RegTool.h"

#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <optional>
#include <ostream>
#include <sstream>

namespace tidorax::test {
namespace {

const std::string kTidora = "HKCU\\Software\\Quillon Software\\Tidora";
const std::string kCleanPath = kTidora + "\\CleanPath";
const std::string kCleanPathKey = "Software\\Quillon Software\\Tidora\\CleanPath"; // below HKCU
const std::string kCleanPathLong = "HKEY_CURRENT_USER\\" + kCleanPathKey;
const std::string kRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSuccess = "The operation completed successfully.\n";
const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    bool operator==(const ToolRun&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const ToolRun& run) {
        return os << "exit " << run.exitCode << ", out [" << run.out << "], err [" << run.err << "]";
    }
};
const ToolRun kDone{0, kSuccess, ""};

ToolRun reg(const std::vector<std::string>& args, const std::string& input = "") {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    const int exitCode = RunRegTool(args, out, err, in);
    return {exitCode, out.str(), err.str()};
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) {
        text += arg + " ";
    }
    return text;
}

StoredValue text(const std::string& value) {
    return {REG_SZ, sz(value)};
}

class RegToolTest : public PlatformFixture {
protected:
    RegistryHive& hive() { return fakePlatform().registry(); }
    std::optional<StoredValue> cleanPathValue(const std::string& name) {
        return storedValue(hive(), HKEY_CURRENT_USER, kCleanPathKey, name);
    }
};

TEST_F(RegToolTest, AddQueryExportAndDeleteRoundTrip) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", kCleanPath, "/v", "TempFiles", "/t", "REG_SZ", "/d", "Yes", "/f"},
             {"ADD", kCleanPath, "/V", "Count", "/T", "reg_dword", "/D", "10"},
             {"add", kCleanPath, "-v", "Bytes", "-t", "REG_BINARY", "-d", "00ff10"},
             {"add", kCleanPath, "/ve", "/d", "default text"},
             {"add", kCleanPath, "/v", "Empty", "/d", ""},
             {"add", kCleanPath, "/v", "Path", "/d", "C:\\Temp \"x\""},
             {"add", kCleanPath, "/v", "NoBytes", "/hex", "/d", ""},
             {"add", kCleanPath + "\\Sub\\Deeper"},
             {"add", "HKCU\\Software\\Other", "/v", "Keep", "/d", "me"},
         }) {
        EXPECT_EQ(reg(args), kDone) << joined(args);
    }
    const StoredValue count{REG_DWORD, std::string("\x0a\0\0\0", 4)};
    for (const auto& [name, value] : std::vector<std::pair<std::string, StoredValue>>{
             {"TempFiles", text("Yes")},
             {"count", count},
             {"Bytes", {REG_BINARY, std::string("\x00\xff\x10", 3)}},
             {"", text("default text")},
             {"Empty", text("")},
             {"NoBytes", {REG_SZ, ""}},
         }) {
        EXPECT_EQ(cleanPathValue(name), value) << name;
    }

    const std::string values = "    TempFiles    REG_SZ    Yes\n"
                               "    Count    REG_DWORD    0xa\n"
                               "    Bytes    REG_BINARY    00FF10\n"
                               "    (Default)    REG_SZ    default text\n"
                               "    Empty    REG_SZ    \n"
                               "    Path    REG_SZ    C:\\Temp \"x\"\n"
                               "    NoBytes    REG_SZ    \n";
    const std::string exported = "Windows Registry Editor Version 5.00\n\n[" + kCleanPathLong +
                                 "]\n"
                                 "\"TempFiles\"=\"Yes\"\n"
                                 "\"Count\"=dword:0000000a\n"
                                 "\"Bytes\"=hex:00,ff,10\n"
                                 "@=\"default text\"\n"
                                 "\"Empty\"=\"\"\n"
                                 "\"Path\"=\"C:\\\\Temp \\\"x\\\"\"\n"
                                 "\"NoBytes\"=hex(1):\n\n[" +
                                 kCleanPathLong + "\\Sub]\n\n[" + kCleanPathLong + "\\Sub\\Deeper]\n\n";
    const std::string file = tmp / "clean path.reg";
    const std::string maker = "HKEY_CURRENT_USER\\Software\\Quillon Software";
    for (const auto& [args, out] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"query", kCleanPath, "/v", "TEMPFILES"},
              "\n" + kCleanPathLong + "\n    TempFiles    REG_SZ    Yes\n\n"},
             {{"query", kCleanPath, "/v", "Count"},
              "\n" + kCleanPathLong + "\n    Count    REG_DWORD    0xa\n\n"},
             {{"query", kCleanPath, "/ve"},
              "\n" + kCleanPathLong + "\n    (Default)    REG_SZ    default text\n\n"},
             {{"query", kCleanPath},
              "\n" + kCleanPathLong + "\n" + values + "\n" + kCleanPathLong + "\\Sub\n"},
             {{"query", maker, "/s"},
              "\n" + maker + "\n\n" + maker + "\\Tidora\n\n" + kCleanPathLong + "\n" + values + "\n" +
                  kCleanPathLong + "\\Sub\n\n" + kCleanPathLong + "\\Sub\\Deeper\n"},
             {{"export", kCleanPath}, exported},
             {{"export", kCleanPath, file}, kSuccess},
         }) {
        EXPECT_EQ(reg(args), (ToolRun{0, out, ""})) << joined(args);
    }
    EXPECT_EQ(readFile(file), exported);

    EXPECT_EQ(reg({"delete", kCleanPath, "/v", "tempfiles", "/f"}), kDone);
    EXPECT_EQ(reg({"delete", kCleanPath, "/ve", "/f"}), kDone);
    EXPECT_FALSE(cleanPathValue("TempFiles").has_value());
    EXPECT_FALSE(cleanPathValue("").has_value());
    EXPECT_EQ(cleanPathValue("Count"), count);
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\Quillon Software", "/f"}), kDone);
    EXPECT_FALSE(keyExists(hive(), HKEY_CURRENT_USER, "Software\\Quillon Software"));
    EXPECT_EQ(storedValue(hive(), HKEY_CURRENT_USER, "Software\\Other", "Keep"), text("me"));
}

TEST_F(RegToolTest, ValuesThatAreNotPlainTextShowAndExportAsHex) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"/v", "Expand", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"},
             {"/v", "Bare", "/t", "REG_SZ", "/hex", "/d", "4142"},
             {"/v", "Lines", "/d", "a\nb"},
             {"/v", "None", "/t", "REG_NONE", "/d", ""},
             {"/v", "Short", "/t", "REG_DWORD", "/hex", "/d", "0102"},
         }) {
        std::vector<std::string> add = {"add", "HKCU\\Odd"};
        add.insert(add.end(), args.begin(), args.end());
        ASSERT_EQ(reg(add), kDone) << joined(add);
    }
    EXPECT_EQ(reg({"export", "hkcu\\odd"}).out, "Windows Registry Editor Version 5.00\n\n"
                                                "[HKEY_CURRENT_USER\\odd]\n"
                                                "\"Expand\"=hex(2):25,48,4f,4d,45,25,00\n"
                                                "\"Bare\"=hex(1):41,42\n"
                                                "\"Lines\"=hex(1):61,0a,62,00\n"
                                                "\"None\"=hex(0):\n"
                                                "\"Short\"=hex(4):01,02\n\n");
    EXPECT_EQ(reg({"query", "HKCU\\Odd"}).out, "\nHKEY_CURRENT_USER\\Odd\n"
                                               "    Expand    REG_EXPAND_SZ    %HOME%\n"
                                               "    Bare    REG_SZ    AB\n"
                                               "    Lines    REG_SZ    a\nb\n"
                                               "    None    REG_NONE    \n"
                                               "    Short    REG_DWORD    0102\n");
}

TEST_F(RegToolTest, DwordDataIsReadAsA32BitNumber) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
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
    for (const auto& [data, bytes] : cases) {
        const ToolRun run = reg({"add", "HKCU\\Numbers", "/v", "N", "/t", "REG_DWORD", "/d", data, "/f"});
        if (bytes) {
            EXPECT_EQ(run, kDone) << data;
            EXPECT_EQ(storedValue(hive(), HKEY_CURRENT_USER, "Numbers", "N"),
                      (StoredValue{REG_DWORD, *bytes}))
                << data;
        } else {
            EXPECT_EQ(run, (ToolRun{1, "",
                                    "ERROR: Invalid data \"" + data +
                                        "\" for REG_DWORD: give a 32-bit number, in decimal or as 0x and hex "
                                        "digits.\n"}));
        }
    }
}

TEST_F(RegToolTest, EveryErrorHasItsMessageAndExitCode) {
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Present", "/v", "Here", "/d", "x"}), kDone);
    const std::string syntax = "ERROR: Invalid syntax.\n";
    const std::string badKey = "ERROR: Invalid key name.\n";
    const auto badType = [](const std::string& type) {
        return "ERROR: Invalid type " + type +
               ". Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n";
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        // For invalid syntax the message is followed by the usage.
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
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_FOO"}, badType("REG_FOO")},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_MULTI_SZ"}, badType("REG_MULTI_SZ")},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_BINARY", "/d", "abc"},
         "ERROR: Invalid data \"abc\" for REG_BINARY: give the bytes as pairs of hex digits.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_NONE", "/d", "zz"},
         "ERROR: Invalid data \"zz\" for REG_NONE: give the bytes as pairs of hex digits.\n"},
        {{"delete", "HKCU", "/f"}, "ERROR: A root key cannot be deleted.\n"},
        {{"delete", kRun, "/f"}, "ERROR: Access is denied.\n"},
    };
    for (const auto& [args, err] : cases) {
        const ToolRun run = reg(args);
        EXPECT_EQ(run.exitCode, 1) << joined(args);
        EXPECT_EQ(run.out, "") << joined(args);
        if (err == syntax) {
            EXPECT_EQ(run.err.substr(0, syntax.size()), syntax) << joined(args);
            EXPECT_NE(run.err.find("tidorax-reg add KEY"), std::string::npos) << joined(args);
        } else {
            EXPECT_EQ(run.err, err) << joined(args);
        }
    }
    // None of the refused additions left a key behind, and nothing was removed.
    EXPECT_FALSE(keyExists(hive(), HKEY_CURRENT_USER, "X"));
    EXPECT_EQ(storedValue(hive(), HKEY_CURRENT_USER, "Software\\Present", "Here"), text("x"));
    EXPECT_TRUE(keyExists(hive(), HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
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
        EXPECT_EQ(reg(args), (ToolRun{1, "", message})) << args[0];
    }
    EXPECT_EQ(readFile(fakePlatform().hivePath), garbage);
}

TEST_F(RegToolTest, WithoutForceTheToolAsksFirst) {
    const std::string valuePrompt = "Delete the registry value TempFiles (Yes/No)? ";
    for (const auto& [input, confirmed] : std::vector<std::pair<std::string, bool>>{
             {"y\n", true},
             {"yes\n", true},
             {"YES\n", true},
             {" Yes \r\n", true},
             {"n\n", false},
             {"no\n", false},
             {"", false},
             {"maybe\n", false},
             {"\n", false},
             {"yess\n", false},
         }) {
        ASSERT_EQ(reg({"add", kCleanPath, "/v", "TempFiles", "/d", "Yes", "/f"}), kDone);
        const ToolRun run = reg({"delete", kCleanPath, "/v", "TempFiles"}, input);
        EXPECT_EQ(run.exitCode, confirmed ? 0 : 1) << input;
        EXPECT_EQ(run.out.substr(0, valuePrompt.size()), valuePrompt) << input;
        EXPECT_EQ(run.err, confirmed ? "" : "The operation was cancelled by the user.\n") << input;
        EXPECT_EQ(cleanPathValue("TempFiles").has_value(), !confirmed) << input;
    }

    // The other questions: removing a key or every value, overwriting a value or a file.
    const std::string file = tmp / "out.reg";
    writeFile(file, "keep me");
    const auto expectAsked = [](const std::vector<std::string>& args, const std::string& input,
                                const std::string& prompt, int exitCode) {
        const ToolRun run = reg(args, input);
        EXPECT_EQ(run.out.substr(0, prompt.size()), prompt) << joined(args);
        EXPECT_EQ(run.exitCode, exitCode) << joined(args);
    };
    const std::string keyPrompt =
        "Delete the registry key HKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora (Yes/No)? ";
    const std::string allPrompt =
        "Delete all values under the registry key " + kCleanPathLong + " (Yes/No)? ";
    ASSERT_EQ(reg({"add", kCleanPath, "/v", "A", "/d", "1", "/f"}), kDone);
    expectAsked({"delete", kTidora}, "n\n", keyPrompt, 1);
    expectAsked({"delete", kCleanPath, "/va"}, "n\n", allPrompt, 1);
    expectAsked({"add", kCleanPath, "/v", "a", "/d", "2"}, "n\n", "Value a exists, overwrite (Yes/No)? ", 1);
    expectAsked({"export", kCleanPath, file}, "", "File " + file + " already exists. Overwrite (Yes/No)? ",
                1);
    EXPECT_EQ(cleanPathValue("A"), text("1"));
    EXPECT_EQ(readFile(file), "keep me");

    expectAsked({"add", kCleanPath, "/v", "a", "/d", "2"}, "y\n", "Value a exists, overwrite (Yes/No)? ", 0);
    EXPECT_EQ(cleanPathValue("A"), text("2"));
    EXPECT_EQ(reg({"add", kCleanPath, "/v", "B", "/d", "3"}), kDone) << "a new value needs no answer";
    expectAsked({"delete", kCleanPath, "/va"}, "y\n", allPrompt, 0);
    EXPECT_FALSE(cleanPathValue("A").has_value());
    EXPECT_FALSE(cleanPathValue("B").has_value());
    EXPECT_TRUE(keyExists(hive(), HKEY_CURRENT_USER, kCleanPathKey));
    EXPECT_EQ(reg({"export", kCleanPath, file, "/y"}), kDone);
    EXPECT_EQ(readFile(file), "Windows Registry Editor Version 5.00\n\n[" + kCleanPathLong + "]\n\n");
    expectAsked({"delete", kTidora}, "yes\n", keyPrompt, 0);
    EXPECT_FALSE(keyExists(hive(), HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
    EXPECT_TRUE(keyExists(hive(), HKEY_CURRENT_USER, "Software\\Quillon Software"));
}

TEST_F(RegToolTest, TheLogOnValueGoesThroughTheAutostartEntry) {
    const std::string entry = fakePlatform().autostartFolder + "/Tidora.desktop";
    const std::string runLong = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_EQ(reg({"add", kRun, "/v", "Tidora", "/d", "/opt/tidorax\\Tidora30.exe", "/f"}), kDone);
    EXPECT_TRUE(exists(entry));
    EXPECT_EQ(reg({"query", kRun, "/v", "TIDORA"}).out,
              "\n" + runLong + "\n    Tidora    REG_SZ    /opt/tidorax\\Tidora30.exe\n\n");
    EXPECT_EQ(reg({"export", kRun}).out, "Windows Registry Editor Version 5.00\n\n[" + runLong +
                                             "]\n\"Tidora\"=\"/opt/tidorax\\\\Tidora30.exe\"\n\n");
    EXPECT_EQ(reg({"delete", kRun, "/v", "tidora", "/f"}), kDone);
    EXPECT_FALSE(exists(entry));
    EXPECT_EQ(reg({"query", kRun, "/v", "Tidora"}), (ToolRun{1, "", kNotFound}));
}

} // namespace
} // namespace tidorax::test

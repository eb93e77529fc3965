#include "tools/reg/RegTool.h"

#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <ostream>
#include <sstream>

namespace tidorax::test {
namespace {

const std::string kKey = "HKCU\\Software\\Quillon Software\\Tidora";
const std::string kLong = "HKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora";
const std::string kSuccess = "The operation completed successfully.\n";
const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kCancelled = "The operation was cancelled by the user.\n";

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
    bool operator==(const ToolRun&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const ToolRun& run) {
        return os << "exit " << run.exitCode << ", out [" << run.out << "], err [" << run.err << "]";
    }
};
const ToolRun kDone{0, kSuccess, ""};

ToolRun reg(const std::vector<std::string>& args, const std::string& input = "") {
    std::ostringstream out, err;
    std::istringstream in(input);
    const int exitCode = RunRegTool(args, out, err, in);
    return {exitCode, out.str(), err.str()};
}

using RegToolTest = PlatformFixture;

TEST_F(RegToolTest, AddedValuesQueryAndExportAsTheyAreStored) {
    const std::string longName(300, 'n');                 // longer than any first guess at a buffer
    const std::string sub = "\\" + std::string(255, 'k'); // the longest key name
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", kKey, "/v", "TempFiles", "/d", "Yes"},
             {"ADD", kKey, "-V", "Count", "/T", "reg_dword", "/D", "-2147483648"},
             {"add", kKey, "/v", "Bytes", "/t", "REG_BINARY", "/d", "00ff10"},
             {"add", kKey, "/ve", "/d", "C:\\Temp \"x\""},
             {"add", kKey, "/v", "Expand", "/t", "REG_EXPAND_SZ", "/d", "%HOME%"},
             {"add", kKey, "/v", "Lines", "/hex", "/d", "610a62"},
             {"add", kKey + sub + "\\Deeper", "/v", longName, "/d", longName},
         }) {
        EXPECT_EQ(reg(args), kDone) << args.size();
    }
    const std::string values =
        "    TempFiles    REG_SZ    Yes\n    Count    REG_DWORD    0x80000000\n"
        "    Bytes    REG_BINARY    00FF10\n    (Default)    REG_SZ    C:\\Temp \"x\"\n"
        "    Expand    REG_EXPAND_SZ    %HOME%\n    Lines    REG_SZ    a\nb\n";
    // Only text with its one terminating zero and no line break is exported as text,
    // so that importing the file gives back the same bytes.
    const std::string exported =
        "Windows Registry Editor Version 5.00\n\n[" + kLong +
        "]\n\"TempFiles\"=\"Yes\"\n\"Count\"=dword:80000000\n\"Bytes\"=hex:00,ff,10\n"
        "@=\"C:\\\\Temp \\\"x\\\"\"\n\"Expand\"=hex(2):25,48,4f,4d,45,25,00\n"
        "\"Lines\"=hex(1):61,0a,62\n\n[" +
        kLong + sub + "]\n\n[" + kLong + sub + "\\Deeper]\n\"" + longName + "\"=\"" + longName + "\"\n\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"query", kKey, "/v", "TEMPFILES"}, "\n" + kLong + "\n    TempFiles    REG_SZ    Yes\n\n"},
        {{"query", kKey}, "\n" + kLong + "\n" + values + "\n" + kLong + sub + "\n"},
        {{"query", kKey, "/s"},
         "\n" + kLong + "\n" + values + "\n" + kLong + sub + "\n\n" + kLong + sub + "\\Deeper\n    " +
             longName + "    REG_SZ    " + longName + "\n"},
        {{"export", kKey}, exported},
    };
    for (const auto& [args, out] : cases) {
        EXPECT_EQ(reg(args), (ToolRun{0, out, ""})) << args.back();
    }
    EXPECT_EQ(reg({"delete", kKey, "/f"}), kDone);
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
}

TEST_F(RegToolTest, EveryErrorHasItsMessageAndExitCode1) {
    ASSERT_EQ(reg({"add", kKey, "/v", "Here", "/d", "x"}), kDone);
    const ToolRun help = reg({"/?"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage:\n  tidorax-reg query KEY", 0), 0u);
    for (const char* verb : {"query", "ADD", "delete", "export"}) {
        EXPECT_EQ(reg({verb, "/?"}), help) << verb << ": a request for help is no error";
    }
    const std::string syntax = "ERROR: Invalid syntax.\n" + help.out;
    const std::string badKey = "ERROR: Invalid key name.\n";
    const auto badDword = [](const std::string& data) {
        return "ERROR: Invalid data \"" + data +
               "\" for REG_DWORD: give a 32-bit number, in decimal or as 0x and hex digits.\n";
    };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, syntax},
        {{"frob", "HKCU"}, syntax},
        {{"query", "HKCU", "extra"}, syntax},
        {{"query", "HKCU", "/v"}, syntax},
        {{"query", "HKCU", "/s", "/ve"}, syntax},
        {{"query", "HKCU", "/f"}, syntax},
        {{"add", "HKCU\\X", "/v", "a", "/v", "b"}, syntax},
        {{"query", "HKXX\\Software"}, badKey},
        {{"add", "HKCU\\X\\\\Y", "/f"}, badKey},
        {{"query", kKey + "\\Absent"}, kNotFound},
        {{"query", kKey, "/v", "Absent"}, kNotFound},
        {{"delete", kKey, "/ve", "/f"}, kNotFound},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_MULTI_SZ"},
         "ERROR: Invalid type REG_MULTI_SZ. Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_NONE", "/d", "abc"},
         "ERROR: Invalid data \"abc\" for REG_NONE: give the bytes as pairs of hex digits.\n"},
        {{"add", "HKCU\\X", "/t", "REG_DWORD", "/d", "4294967296"}, badDword("4294967296")},
        {{"add", "HKCU\\X", "/t", "REG_DWORD", "/d", "-2147483649"}, badDword("-2147483649")},
        {{"add", "HKCU\\X", "/t", "REG_DWORD", "/d", "12abc"}, badDword("12abc")},
        {{"add", "HKCU\\X", "/t", "REG_DWORD"}, badDword("")},
        {{"delete", "HKCU", "/f"}, "ERROR: A root key cannot be deleted.\n"},
        {{"delete", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/f"},
         "ERROR: Access is denied.\n"},
    };
    for (const auto& [args, err] : cases) {
        EXPECT_EQ(reg(args), (ToolRun{1, "", err})) << args.size();
    }
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "X"));
}

TEST_F(RegToolTest, ADamagedHiveIsNamedInTheMessage) {
    writeFile(fake().hivePath, std::string(5000, '\x5a'));
    fake().reopenHive();
    EXPECT_EQ(reg({"query", kKey}).err,
              "ERROR: The registry hive file " + fake().hivePath +
                  " cannot be read: it is damaged or not accessible (error 1009).\n");
}

TEST_F(RegToolTest, WithoutForceTheToolAsksFirst) {
    const std::string file = tmp / "out.reg";
    writeFile(file, "keep me");
    ASSERT_EQ(reg({"add", kKey, "/v", "A", "/d", "1"}), kDone);
    ASSERT_EQ(reg({"add", kKey, "/v", "B", "/d", "1"}), kDone);
    const std::string value = "Delete the registry value A (Yes/No)? ";
    const std::string overwrite = "File " + file + " already exists. Overwrite (Yes/No)? ";
    const std::string all = "Delete all values under the registry key " + kLong + " (Yes/No)? ";
    const std::tuple<std::vector<std::string>, std::string, ToolRun> steps[] = {
        {{"delete", kKey, "/v", "A"}, "yess\n", {1, value, kCancelled}},
        {{"delete", kKey, "/v", "A"}, "", {1, value + "\n", kCancelled}}, // no answer at all
        {{"delete", kKey, "/v", "A"}, " Yes \r\n", {0, value + kSuccess, ""}},
        {{"delete", kKey}, "n\n", {1, "Delete the registry key " + kLong + " (Yes/No)? ", kCancelled}},
        {{"add", kKey, "/v", "b"}, "no\n", {1, "Value b exists, overwrite (Yes/No)? ", kCancelled}},
        {{"export", kKey, file}, "n\n", {1, overwrite, kCancelled}},
        {{"query", kKey}, "", {0, "\n" + kLong + "\n    B    REG_SZ    1\n", ""}},
        {{"delete", kKey, "/va"}, "y\n", {0, all + kSuccess, ""}},
        {{"export", kKey, file, "/y"}, "", kDone},
    };
    for (const auto& [args, input, run] : steps) {
        EXPECT_EQ(reg(args, input), run) << args[0] << " " << args.back() << " [" << input << "]";
    }
    EXPECT_EQ(readFile(file), "Windows Registry Editor Version 5.00\n\n[" + kLong + "]\n\n");
}

} // namespace
} // namespace tidorax::test

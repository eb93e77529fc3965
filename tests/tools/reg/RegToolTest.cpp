#include "tools/reg/RegTool.h"

#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <sstream>
#include <tuple>

namespace tidorax::test {
namespace {

const std::string kKey = "HKCU\\Software\\Quillon Software\\Tidora";
const std::string kLong = "HKEY_CURRENT_USER\\Software\\Quillon Software\\Tidora";
const std::string kSuccess = "The operation completed successfully.\n";
const std::string kCancelled = "The operation was cancelled by the user.\n";

// The exit code, then what went to the output and to the errors.
using ToolRun = std::tuple<int, std::string, std::string>;
const ToolRun kDone{0, kSuccess, ""};

ToolRun reg(const std::vector<std::string>& args, const std::string& input = "") {
    std::ostringstream out, err;
    std::istringstream in(input);
    return {RunRegTool(args, out, err, in), out.str(), err.str()}; // run before the texts are read
}

using RegToolTest = PlatformFixture;

TEST_F(RegToolTest, AddedValuesQueryAndExportAsTheyAreStored) {
    const std::string longName(300, 'n'); // longer than any first guess at a buffer
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"add", kKey, "/v", "TempFiles", "/d", "Yes"},
             {"ADD", kKey, "-V", "Count", "/T", "reg_dword", "/D", "-2147483648"},
             {"add", kKey, "/v", "Bytes", "/t", "REG_BINARY", "/d", "00ff10"},
             {"add", kKey, "/ve", "/d", "C:\\Temp \"x\""},
             {"add", kKey, "/v", "Lines", "/hex", "/d", "610a62"},
             {"add", kKey + "\\Sub", "/v", longName, "/d", longName},
         }) {
        EXPECT_EQ(reg(args), kDone) << args.size();
    }
    const std::string values = "    TempFiles    REG_SZ    Yes\n    Count    REG_DWORD    0x80000000\n"
                               "    Bytes    REG_BINARY    00FF10\n    (Default)    REG_SZ    C:\\Temp "
                               "\"x\"\n    Lines    REG_SZ    a\nb\n";
    // Only text with its one terminating zero and no line break is exported as text,
    // so that importing the file gives back the same bytes.
    const std::string exported =
        "Windows Registry Editor Version 5.00\n\n[" + kLong +
        "]\n\"TempFiles\"=\"Yes\"\n\"Count\"=dword:80000000\n\"Bytes\"=hex:00,ff,10\n"
        "@=\"C:\\\\Temp \\\"x\\\"\"\n\"Lines\"=hex(1):61,0a,62\n\n[" +
        kLong + "\\Sub]\n\"" + longName + "\"=\"" + longName + "\"\n\n";
    // The root and the value are found whatever their case; the root shows in its long form.
    EXPECT_EQ(reg({"query", "hkey_current_user\\Software\\Quillon Software\\Tidora", "/v", "TEMPFILES"}),
              ToolRun(0, "\n" + kLong + "\n    TempFiles    REG_SZ    Yes\n\n", ""));
    const std::string subKey = "\n" + kLong + "\\Sub\n    " + longName + "    REG_SZ    " + longName + "\n";
    EXPECT_EQ(reg({"query", kKey, "/s"}), ToolRun(0, "\n" + kLong + "\n" + values + subKey, ""));
    EXPECT_EQ(reg({"export", kKey}), ToolRun(0, exported, ""));
    EXPECT_EQ(reg({"delete", kKey, "/f"}), kDone);
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
}

TEST_F(RegToolTest, EveryErrorHasItsMessageAndExitCode1) {
    const std::string help = std::get<1>(reg({"/?"}));
    EXPECT_EQ(help.rfind("Usage:\n  tidorax-reg query KEY", 0), 0u);
    EXPECT_EQ(reg({"ADD", "/?"}), ToolRun(0, help, "")) << "a request for help is no error";
    EXPECT_EQ(std::pair(reg({"--help"}), reg({"-h"})), std::pair(ToolRun(0, help, ""), ToolRun(0, help, "")));
    const std::string syntax = "ERROR: Invalid syntax.\n" + help;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, syntax},
        {{"query", "HKCU", "/s", "/ve"}, syntax},
        {{"query", "HKCU", "/v"}, syntax},
        {{"query", "HKCU", "/s", "-S"}, syntax},
        {{"export", "HKCU", "/f"}, syntax},
        {{"find", "HKCU"}, syntax},
        {{"add", "HKCU\\X\\\\Y", "/f"}, "ERROR: Invalid key name.\n"},
        {{"query", kKey + "\\Absent"},
         "ERROR: The system was unable to find the specified registry key or value.\n"},
        {{"add", "HKCU\\X", "/v", "a", "/t", "REG_MULTI_SZ"},
         "ERROR: Invalid type REG_MULTI_SZ. Use REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or REG_NONE.\n"},
        {{"add", "HKCU\\X", "/t", "REG_DWORD", "/d", "4294967296"},
         "ERROR: Invalid data \"4294967296\" for REG_DWORD: give a 32-bit number, in decimal or as 0x "
         "and hex digits.\n"},
        {{"delete", "HKCU", "/f"}, "ERROR: A root key cannot be deleted.\n"},
        {{"delete", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/f"},
         "ERROR: Access is denied.\n"},
    };
    for (const auto& [args, err] : cases) {
        EXPECT_EQ(reg(args), ToolRun(1, "", err)) << args.size();
    }
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "X"));
    // A damaged hive is named in the message.
    writeFile(fake().hivePath, std::string(5000, '\x5a'));
    fake().reopenHive();
    EXPECT_EQ(std::get<2>(reg({"query", kKey})),
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
    const std::tuple<std::vector<std::string>, std::string, ToolRun> steps[] = {
        {{"delete", kKey, "/v", "A"}, "yess\n", {1, value, kCancelled}},
        {{"delete", kKey, "/v", "A"}, "", {1, value + "\n", kCancelled}}, // no answer at all
        {{"delete", kKey, "/v", "A"}, " Yes \r\n", {0, value + kSuccess, ""}},
        {{"add", kKey, "/v", "b"}, "no\n", {1, "Value b exists, overwrite (Yes/No)? ", kCancelled}},
        {{"export", kKey, file}, "n\n", {1, overwrite, kCancelled}},
        {{"query", kKey}, "", {0, "\n" + kLong + "\n    B    REG_SZ    1\n", ""}},
        {{"delete", kKey, "/va"},
         "y\n",
         {0, "Delete all values under the registry key " + kLong + " (Yes/No)? " + kSuccess, ""}},
        {{"export", kKey, file, "/y"}, "", kDone},
    };
    for (const auto& [args, input, run] : steps) {
        EXPECT_EQ(reg(args, input), run) << args[0] << " " << args.back() << " [" << input << "]";
    }
    EXPECT_EQ(readFile(file), "Windows Registry Editor Version 5.00\n\n[" + kLong + "]\n\n");
}

} // namespace
} // namespace tidorax::test

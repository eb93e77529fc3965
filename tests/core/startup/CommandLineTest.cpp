#include "core/startup/CommandLine.h"

#include <gtest/gtest.h>

namespace tidorax {
namespace {

TEST(CommandLineTest, LastArgumentOverATableOfCommandLines) {
    struct Case {
        std::string commandLine;
        std::optional<std::string> last;
        bool viriRerer;
    } cases[] = {
        {"", std::nullopt, false},
        {"   \t ", std::nullopt, false},
        {"\"\"", std::nullopt, false},
        {"A", "A", true},
        {"a", "a", true},
        {"/A", "A", true},
        {"/a", "a", true},
        {"\"A\"", "A", true},
        {"/x /a", "a", true},
        {"A B", "B", false},
        {"-A", "-A", false},
        {"AB", "AB", false},
        {"A/B", "B", false},
        {"\t A \t", "A", true},
        {"1 2 3 4 5 6 7 8 9 10 A", "10", false}, // the eleventh argument is never reached
        {"1 2 3 4 5 6 7 8 9 A", "A", true},
        {"\"/home/me/My Programs/tidorax\" A", "A", true},
        {"\"/home/me/My Programs/tidorax\"", "tidorax", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetLastArgument(c.commandLine), c.last) << '[' << c.commandLine << ']';
        EXPECT_EQ(IsViriRererCommandLine(c.commandLine), c.viriRerer) << '[' << c.commandLine << ']';
    }
    // At most MaxArgs arguments count.
    for (const auto& [maxArgs, last] : std::vector<std::pair<int, std::optional<std::string>>>{
             {2, "b"}, {3, "c"}, {0, std::nullopt}, {-4, std::nullopt}}) {
        EXPECT_EQ(GetLastArgument("a b c", maxArgs), last) << maxArgs;
    }
}

TEST(CommandLineTest, ProcessArgumentsJoinWithBlanks) {
    const char* argv[] = {"/usr/bin/tidorax", "/x", "my file", "A"};
    EXPECT_EQ(CommandLineText(4, argv), "/x my file A");
    EXPECT_EQ(CommandLineText(1, argv), "");
    EXPECT_TRUE(IsViriRererCommandLine(CommandLineText(4, argv)));
}

} // namespace
} // namespace tidorax

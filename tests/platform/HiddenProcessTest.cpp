// The process service of the Linux platform that the Internet files command runs through.
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tidorax {
namespace {

using test::TempDir;

TEST(HiddenProcessTest, StartsACommandLineAndWaitsForItsEnd) {
    TempDir dir;
    LinuxPlatform system;
    const struct {
        std::string commandLine;
        std::string expected; // what the command wrote into out.txt
    } cases[] = {
        {"sh -c \"sleep 0.2; printf '%s|' one 'two words' > " + dir.path() + "/out.txt\"", "one|two words|"},
        {"printf-into " + dir.path(), ""}, // no such program
        {"  sh   -c  \"printf %s \"\"joined\"\" > " + dir.path() + "/out.txt\"", "joined"},
    };
    for (const auto& c : cases) {
        std::remove((dir / "out.txt").c_str());
        const std::uint32_t id = system.StartHiddenProcess(c.commandLine);
        if (c.expected.empty()) {
            EXPECT_EQ(id, 0u) << c.commandLine;
            continue;
        }
        ASSERT_NE(id, 0u) << c.commandLine;
        system.WaitForProcessEnd(id);
        EXPECT_EQ(test::readFile(dir / "out.txt"), c.expected) << c.commandLine;
    }
    EXPECT_EQ(system.StartHiddenProcess(""), 0u);
    EXPECT_EQ(system.StartHiddenProcess("   "), 0u);
}

} // namespace
} // namespace tidorax

// The process service of the Linux platform that the Internet files command runs through.
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tidorax::test {
namespace {

TEST(HiddenProcessTest, StartsACommandLineAndWaitsForItsEnd) {
    TempDir dir;
    LinuxPlatform system;
    // A quoted word stays whole, doubled quotes inside it join, blanks between words
    // count once; the wait lasts until the command has written its file.
    const std::uint32_t id = system.StartHiddenProcess(
        "  sh   -c  \"sleep 0.1; printf '%s|' one 'two words' \"\"joined\"\" > " + dir.path() + "/out.txt\"");
    ASSERT_NE(id, 0u);
    system.WaitForProcessEnd(id);
    EXPECT_EQ(readFile(dir / "out.txt"), "one|two words|joined|");
    for (const std::string& refused :
         {std::string("no-such-program " + dir.path()), std::string(""), std::string("   ")}) {
        EXPECT_EQ(system.StartHiddenProcess(refused), 0u) << '"' << refused << '"';
    }
}

} // namespace
} // namespace tidorax::test

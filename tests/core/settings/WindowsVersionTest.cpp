#include "core/settings/WindowsVersion.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/VersionRecord.h"

namespace tidorax {
namespace {

using WindowsVersionTest = test::PlatformFixture;

TEST_F(WindowsVersionTest, EveryWindowsVersionAnswersItsFourQuestions) {
    struct Case {
        const char* name;
        std::uint32_t major, minor, platformId;
        bool win98, winMe, winNt5, winXp, group98Me, groupNt5;
    } cases[] = {
        {"95", 4, 0, 1, false, false, false, false, false, false},
        {"98", 4, 10, 1, true, false, false, false, true, false},
        {"ME", 4, 90, 1, true, true, false, false, true, false},
        {"NT 4", 4, 0, 2, false, false, false, false, false, false},
        {"2000", 5, 0, 2, false, false, true, false, false, true},
        {"XP", 5, 1, 2, false, false, true, true, false, true},
        {"Server 2003", 5, 2, 2, false, false, true, false, false, true},
        {"Vista", 6, 0, 2, false, false, false, false, false, false},
        {"10", 10, 0, 2, false, false, false, false, false, false},
        {"a 9x-family 5.0", 5, 0, 1, true, false, false, false, true, false},
    };
    for (const auto& c : cases) {
        const OsVersionInfo v = test::versionRecord(c.major, c.minor, c.platformId);
        EXPECT_EQ(IsWin98(v), c.win98) << c.name;
        EXPECT_EQ(IsWinME(v), c.winMe) << c.name;
        EXPECT_EQ(IsWinNT5(v), c.winNt5) << c.name;
        EXPECT_EQ(IsWinXP(v), c.winXp) << c.name;
        EXPECT_EQ(IsWin98MeGroup(v), c.group98Me) << c.name;
        EXPECT_EQ(IsNT5Group(v), c.groupNt5) << c.name;

        // The platform is asked afresh on every call.
        fake().version = v;
        EXPECT_EQ(IsWin98(), c.win98) << c.name;
        EXPECT_EQ(IsWinME(), c.winMe) << c.name;
        EXPECT_EQ(IsWinNT5(), c.winNt5) << c.name;
        EXPECT_EQ(IsWinXP(), c.winXp) << c.name;
    }
    // No version record: false everywhere.
    fake().version.reset();
    EXPECT_FALSE(IsWin98() || IsWinME() || IsWinNT5() || IsWinXP());
}

} // namespace
} // namespace tidorax

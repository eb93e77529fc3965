#include "core/settings/WindowsVersion.h"
#include "tests/support/VersionRecord.h"

#include <gtest/gtest.h>

namespace tidorax {
namespace {

TEST(WindowsVersionTest, EachVersionFallsInTheRightGroup) {
    // major, minor, platform id (1 the 9x family, 2 NT); in the 98/ME group, in the 2000/XP group
    const std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, bool, bool> cases[] = {
        {4, 0, 1, false, false}, {4, 10, 1, true, false}, {4, 90, 1, true, false},
        {5, 0, 1, true, false},  {4, 0, 2, false, false}, {5, 0, 2, false, true},
        {5, 1, 2, false, true},  {5, 2, 2, false, true},  {6, 0, 2, false, false},
    };
    for (const auto& [major, minor, platformId, group98Me, groupNt5] : cases) {
        const OsVersionInfo v = test::versionRecord(major, minor, platformId);
        EXPECT_EQ(std::pair(IsWin98MeGroup(v), IsNT5Group(v)), std::pair(group98Me, groupNt5))
            << major << "." << minor << " on " << platformId;
    }
}

} // namespace
} // namespace tidorax

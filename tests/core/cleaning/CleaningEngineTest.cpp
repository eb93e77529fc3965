#include "core/cleaning/CleaningEngine.h"

#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

namespace tidorax::test {
namespace {

using CleaningEngineTest = PlatformFixture;

// Listed user folders are cleaned side by side, yet each report stands in its folder's
// place with that folder's own numbers; when one listed folder lies in another they are
// cleaned one after the other, as listed, so no file is counted twice (the inner one is
// gone with the outer one's clean).
TEST_F(CleaningEngineTest, UserFoldersCleanedSideBySideReportInTheirOrder) {
    const struct {
        FileList folders;                // below tmp, each with as many files as its position + 1
        std::vector<std::size_t> before; // of each folder reported, in order
    } cases[] = {
        {{"a", "b", "c", "d", "e", "f"}, {1, 2, 3, 4, 5, 6}},
        {{"outer", "outer/inner"}, {3}},
    };
    for (const auto& c : cases) {
        CleaningPlan plan;
        plan.listing = Listing::CountOnly;
        for (std::size_t i = 0; i < c.folders.size(); ++i) {
            for (std::size_t file = 0; file <= i; ++file) {
                writeFile(tmp / c.folders[i] + "/f" + std::to_string(file));
            }
            plan.targets.push_back(
                CleaningTarget{.kind = TargetKind::UserFolder, .folder = tmp / c.folders[i]});
        }
        const CleaningReport report = RunCleaningPlan(plan);
        ASSERT_EQ(report.folders.size(), c.before.size());
        for (std::size_t i = 0; i < c.before.size(); ++i) {
            EXPECT_EQ(report.folders[i].folder, tmp / c.folders[i] + "/");
            EXPECT_EQ(report.folders[i].beforeCount, c.before[i]) << c.folders[i];
            EXPECT_EQ(report.folders[i].afterCount, 0u) << c.folders[i];
            EXPECT_EQ(treeEntries(tmp / c.folders[i]), Tree{}) << c.folders[i];
        }
    }
}

} // namespace
} // namespace tidorax::test

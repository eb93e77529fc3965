#include "core/plans/CleaningPlans.h"

#include "core/plans/CleaningLock.h"
#include "core/settings/CleaningSettings.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"

#include <future>
#include <thread>

namespace tidorax::test {
namespace {

using CleaningPlansTest = PlatformFixture;

// Each kind's folders and rules come from its row: the web cache keeps its folders, the
// Temp folder loses only the user's own entries, the cookie clean carries the keep list,
// each user folder is a target of its own; a kind with nothing listed has no target.
TEST_F(CleaningPlansTest, EachKindGetsItsFoldersAndRules) {
    ASSERT_TRUE(setShellFolder("Cache", tmp / "c"));
    ASSERT_TRUE(StoreSavedCookiesAndSites({"/c/user@kept[1].txt"}, {"kept"}));
    ASSERT_TRUE(StoreUserFolders({tmp / "a", tmp / "b"}));
    fake().env["Temp"] = tmp / "t";
    const CleaningPlan plan = MakeCleaningPlan(kTrayOrder, Listing::CountOnly);

    EXPECT_EQ(plan.kinds, std::vector<TargetKind>(std::begin(kTrayOrder), std::end(kTrayOrder)));
    EXPECT_EQ(plan.listing, Listing::CountOnly);
    ASSERT_EQ(plan.targets.size(), 5u);
    const auto& [cache, cookies, temp, first, second] =
        std::tie(plan.targets[0], plan.targets[1], plan.targets[2], plan.targets[3], plan.targets[4]);
    EXPECT_EQ(cache.kind, TargetKind::WebCache);
    EXPECT_EQ(cache.folder, tmp / "c");
    EXPECT_TRUE(cache.keepFolders);
    EXPECT_FALSE(cache.onlyOwnedByUser);
    EXPECT_EQ(cookies.kind, TargetKind::Cookies);
    ASSERT_TRUE(cookies.keep.has_value());
    EXPECT_EQ(cookies.keep->saved, FileList{"/c/user@kept[1].txt"});
    EXPECT_EQ(cookies.keep->specialSites, FileList{"kept"});
    EXPECT_EQ(temp.folder, tmp / "t");
    EXPECT_TRUE(temp.onlyOwnedByUser);
    EXPECT_FALSE(temp.keepFolders);
    EXPECT_EQ(first.folder, tmp / "a");
    EXPECT_EQ(second.folder, tmp / "b");
    EXPECT_EQ(second.kind, TargetKind::UserFolder);

    ASSERT_TRUE(StoreUserFolders({}));
    ASSERT_TRUE(setShellFolder("Cache", ""));
    const TargetKind nothingThere[] = {TargetKind::UserFolder, TargetKind::WebCache};
    EXPECT_TRUE(MakeCleaningPlan(nothingThere).targets.empty()); // no browser, no $XDG_CACHE_HOME
}

// The kinds selected follow the flags, in the order asked for.
TEST_F(CleaningPlansTest, SelectedKindsFollowTheFlagsInTheOrderAskedFor) {
    for (const CleaningFlag flag :
         {CleaningFlag::UserFolder, CleaningFlag::TempFiles, CleaningFlag::InternetFiles}) {
        ASSERT_TRUE(StoreFlag(flag, true));
    }
    EXPECT_EQ(SelectedKinds(kTrayOrder),
              (std::vector{TargetKind::WebCache, TargetKind::Temp, TargetKind::UserFolder}));
    Settings.SaveSetting("CleanPath", "TempFiles", "yes"); // only "Yes" sets a flag
    EXPECT_EQ(SelectedKinds(kOptionsOrder), (std::vector{TargetKind::WebCache, TargetKind::UserFolder}));
}

// A second clean waits until the first has stored what it keeps: it reads the settings
// only once the first one is over.
TEST_F(CleaningPlansTest, ASecondCleanWaitsForTheFirstToEnd) {
    RecordingCleaningOperations second;
    std::promise<void> waiting;
    second.onWaitForOtherClean = [&waiting] { waiting.set_value(); };
    std::optional<CleaningLock> first(std::in_place);
    ASSERT_TRUE(first->held());
    std::thread other([&second] { second.Clean(TargetKind::Temp); });
    waiting.get_future().wait();
    EXPECT_TRUE(second.calls.empty());
    first.reset();
    other.join();
    EXPECT_EQ(second.calls, std::vector<std::string>{"Temp"});
}

} // namespace
} // namespace tidorax::test

#include "core/plans/CleaningPlans.h"

#include "core/plans/CleaningLock.h"
#include "core/settings/CleaningSettings.h"
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
    // (The kinds and the listing a plan carries: StartupTest.) Each target as "kind folder", then its rules
    // and whether it has a keep list.
    std::vector<std::string> targets;
    for (const CleaningTarget& target : plan.targets) {
        targets.push_back(std::to_string(static_cast<int>(target.kind)) + " " + target.folder +
                          (target.keepFolders ? " keep-folders" : "") +
                          (target.onlyOwnedByUser ? " own-only" : "") + (target.keep ? " keep:" : ""));
    }
    EXPECT_EQ(targets, (std::vector<std::string>{"0 " + tmp / "c" + " keep-folders",
                                                 "1  keep-folders keep:", "2 " + tmp / "t" + " own-only",
                                                 "3 " + tmp / "a", "3 " + tmp / "b"}));
    const CookieKeepList keep = plan.targets.at(1).keep.value_or(CookieKeepList{});
    EXPECT_EQ(std::pair(keep.saved, keep.specialSites),
              std::pair(FileList{"/c/user@kept[1].txt"}, FileList{"kept"}));

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

#include "core/cleaning/FolderGuard.h"

#include "core/cleaning/CleaningEngine.h"
#include "core/cleaning/SafeFolder.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <atomic>
#include <mutex>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tidorax::test {
namespace {

using FolderGuardTest = PlatformFixture;

TEST_F(FolderGuardTest, FoldersThatAreOrHoldAProtectedFolderAreRefused) {
    const std::string home = tmp / "home";
    for (const char* folder : {"home/Documents/sub", "cache", "tmp", "elsewhere", "config/autostart", "data",
                               "home/Letters", "shared", "not-sticky"}) {
        makeDirs(tmp / folder);
    }
    // Links to a folder that may be cleaned, in a shared (sticky) folder and in one that is not:
    // only one that another user put in the shared folder is not followed.
    ::chmod((tmp / "shared").c_str(), 01777);
    for (const char* link : {"shared/others", "shared/mine", "not-sticky/others"}) {
        ASSERT_EQ(::symlink((tmp / "cache").c_str(), (tmp / link).c_str()), 0);
    }
    const bool planted = ::lchown((tmp / "shared/others").c_str(), kNobody, kNobody) == 0 &&
                         ::lchown((tmp / "not-sticky/others").c_str(), kNobody, kNobody) == 0;
    ASSERT_EQ(::symlink(home.c_str(), (tmp / "elsewhere/to-home").c_str()), 0);
    // The documents folder named in the "${HOME}" form of the user folders file.
    writeFile(tmp / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"${HOME}/Letters\"\n");
    ASSERT_EQ(::symlink((tmp / "tmp").c_str(), (tmp / "elsewhere/to-tmp").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "loop-b").c_str(), (tmp / "loop-a").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "loop-a").c_str(), (tmp / "loop-b").c_str()), 0);
    struct Case {
        std::string folder;
        std::string refusal; // "" when the folder may be cleaned
    };
    const std::string is = "it is or holds ";
    const std::string unsafe =
        "a link on its way cannot be followed safely (it loops, or another user put it "
        "in a shared folder).";
    const Case cases[] = {
        {"/", is + "the root of the file system (/)."},
        {"//", is + "the root of the file system (/)."},
        {"/./..", is + "the root of the file system (/)."},
        {home, is + "the home folder (" + home + ")."},
        {home + "/", is + "the home folder (" + home + ")."},
        {tmp.path(), is + "the home folder (" + home + ")."},
        {tmp / "elsewhere/to-home", is + "the home folder (" + home + ")."},
        {tmp / "elsewhere/to-home/Letters", is + "the documents folder (" + home + "/Letters)."},
        {tmp / "config", is + "the settings folder ($XDG_CONFIG_HOME) (" + tmp / "config" + ")."},
        {tmp / "data/", is + "the data folder ($XDG_DATA_HOME) (" + tmp / "data" + ")."},
        {"/usr", is + "a system folder (/usr)."},
        {"/usr/local", is + "a system folder (/usr/local)."},
        {"/usr/share/fonts/", is + "a system folder (/usr/share/fonts)."},
        {tmp / "config/autostart", is + "the start-up folder (" + tmp / "config/autostart" + ")."},
        {"/usr/../etc/", is + "a system folder (/etc)."},
        {"relative/tmp", "it is not a full path."},
        {"", "it is not a full path."},
        {tmp / "loop-a", unsafe},
        {tmp / "shared/others", planted ? unsafe : ""},
        {tmp / "shared/mine", ""},
        {tmp / "not-sticky/others", ""},
        {home + "/Documents/sub", ""},
        {tmp / "cache", ""},
        {tmp / "elsewhere/to-tmp", ""},
        {tmp / "not-there/yet", ""},
        {"/usr/local/share/some-app-cache", ""},
    };
    const std::vector<ProtectedFolder> guarded = ProtectedFolders();
    const ProtectedIdentities identities(guarded);
    for (const Case& c : cases) {
        const std::optional<std::string> refusal = CleaningRefusal(c.folder, guarded);
        const std::string expected =
            c.refusal.empty() ? "" : "The folder \"" + c.folder + "\" was not cleaned: " + c.refusal;
        EXPECT_EQ(refusal.value_or(""), expected) << c.folder;
        // A clean opens the folder and judges what it opened: the same answer (no name
        // is no folder to clean, not a refusal).
        const SafeFolder opened = SafeFolder::Open(c.folder, identities);
        EXPECT_EQ(opened.refusal(), c.folder.empty() ? "" : expected) << c.folder;
        EXPECT_EQ(opened.isOpen(), expected.empty() && exists(c.folder)) << c.folder;
    }
}

// The same folder mounted at another place is the same folder: a bind mount of the home
// folder is refused as the home folder (in a private mount namespace of a child).
TEST_F(FolderGuardTest, ABindMountOfTheHomeFolderIsTheHomeFolder) {
    const std::string home = tmp / "home";
    const std::string bound = tmp / "bound";
    writeFile(home + "/letter.txt");
    makeDirs(bound);
    const int child = runInChild(
        [&] {
            if (::mount(home.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) {
                return kChildSkipped;
            }
            const std::string refusal = "The folder \"" + bound +
                                        "\" was not cleaned: it is or holds the home folder (" + home + ").";
            const CleaningPlan plan{.kinds = {TargetKind::UserFolder},
                                    .targets = {{.kind = TargetKind::UserFolder, .folder = bound}}};
            return RunCleaningPlan(plan).refusals() == FileList{refusal} && exists(home + "/letter.txt") ? 0
                                                                                                         : 1;
        },
        Child::PrivateMounts);
    if (child == kChildSkipped) {
        GTEST_SKIP() << "the kernel refused a private mount namespace or a bind mount (mounting needs root)";
    }
    EXPECT_EQ(child, 0);
}

// A thread keeps swapping a user folder for a link to the home folder and back while
// it is cleaned again and again: whichever it is when the clean opens it, the home
// folder is never emptied (the guard judges what was opened, and nothing is opened
// through a link).
TEST_F(FolderGuardTest, AFolderSwappedForALinkToTheHomeFolderNeverEmptiesIt) {
    const std::string home = tmp / "home";
    const std::string victim = tmp / "victim";
    writeFile(home + "/letter.txt", "precious");
    const Tree homeBefore = treeEntries(home);
    const CleaningPlan plan{.kinds = {TargetKind::UserFolder},
                            .targets = {{.kind = TargetKind::UserFolder, .folder = victim}}};
    std::atomic<bool> stop{false};
    std::mutex swapping; // held for a whole swap, so that files are only ever written into the folder
    std::thread swapper([&] {
        while (!stop.load()) {
            const std::lock_guard<std::mutex> lock(swapping);
            swapForALink(victim, home, tmp / "parked");
        }
    });
    for (int run = 0; run < 100; ++run) {
        {
            const std::lock_guard<std::mutex> lock(swapping);
            writeFile(victim + "/f" + std::to_string(run % 8) + "/file", "x");
        }
        RunCleaningPlan(plan);
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(treeEntries(home), homeBefore);
}

} // namespace
} // namespace tidorax::test

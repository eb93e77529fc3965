// What else than an open file keeps something from being deleted: a folder that a
// process works in, has as its root or holds open; a file held only by the threads of a
// process whose main thread has ended; a loop device's backing file. And a read-only
// folder that had to be made writable and stays gets its mode back.
#include "core/cleaning/CleaningEngine.h"
#include "core/cleaning/SafeDeleter.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tidorax::test {
namespace {

// A forked process that holds something until the object goes away. hold runs in the
// child and returns whether it holds; the child then waits to be killed, with only its
// other threads left when endMainThread.
class Holder {
public:
    explicit Holder(const std::function<bool()>& hold, Child how = Child::AsIs, bool endMainThread = false) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        pid_ = startChild(
            [&]() -> int {
                const char answer = hold() ? 'y' : 'n';
                if (::write(ready[1], &answer, 1) == 1 && endMainThread) {
                    // Ends this thread alone, without unwinding into the test framework.
                    ::syscall(SYS_exit, 0);
                }
                for (;;) {
                    ::pause();
                }
            },
            how);
        ::close(ready[1]);
        char answer = 'n';
        holding_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~Holder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    bool holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

// How a thread holds what it is given.
enum class ThreadHold { Open, OpenInOwnTable, MapOnly, WorkInOwnFolder };

// Holds path from a new thread that then waits forever; true once it holds it. The
// thread may first take a descriptor table or a working folder of its own.
bool holdFromAThread(const std::string& path, ThreadHold how) {
    std::atomic<int> state{0}; // 1 held, 2 could not
    std::thread([&state, path, how] {
        bool ok = false;
        if (how == ThreadHold::WorkInOwnFolder) {
            ok = ::unshare(CLONE_FS) == 0 && ::chdir(path.c_str()) == 0;
        } else if (how != ThreadHold::OpenInOwnTable || ::unshare(CLONE_FILES) == 0) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ok = fd >= 0;
            if (ok && how == ThreadHold::MapOnly) {
                ok = ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0) != MAP_FAILED;
                ::close(fd);
            }
        }
        state = ok ? 1 : 2;
        for (;;) {
            ::pause();
        }
    }).detach();
    while (state == 0) {
        ::sched_yield();
    }
    return state == 1;
}

TEST(InUseKindsTest, FoldersInUseStayWithTheirFilesCleaned) {
    TempDir dir;
    const std::string root = dir / "clean";
    for (const char* name : {"cwd/file", "open/file", "chroot/file", "free/file"}) {
        writeFile(root + "/" + name);
    }
    const std::vector<std::pair<const char*, std::function<bool()>>> holds = {
        {"cwd", [&] { return ::chdir((root + "/cwd").c_str()) == 0; }},
        {"open", [&] { return ::open((root + "/open").c_str(), O_RDONLY | O_DIRECTORY) >= 0; }},
        {"chroot", [&] { return ::chroot((root + "/chroot").c_str()) == 0; }},
    };
    std::vector<std::unique_ptr<Holder>> holders;
    Tree expected;
    for (const auto& [name, hold] : holds) {
        holders.push_back(std::make_unique<Holder>(hold));
        if (holders.back()->holding()) {
            expected[name] = "d";
        }
    }
    ASSERT_TRUE(holders[0]->holding() && holders[1]->holding());
    EXPECT_EQ(deleteTree(root), EBUSY);
    EXPECT_EQ(treeEntries(root), expected);
}

// What one thread holds: a file through the process's table (its main thread ended),
// through a table of its own, only mapped (main thread ended), or a working folder of
// its own.
TEST(InUseKindsTest, WhatOneThreadOfAProcessHoldsStays) {
    const struct {
        const char* what;
        ThreadHold how;
        bool endMainThread;
        const char* held; // below the folder
    } cases[] = {
        {"open, main thread ended", ThreadHold::Open, true, "held"},
        {"own descriptor table", ThreadHold::OpenInOwnTable, false, "held"},
        {"mapped only, main thread ended", ThreadHold::MapOnly, true, "held"},
        {"own working folder", ThreadHold::WorkInOwnFolder, false, "folder"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        writeFile(root + "/held");
        writeFile(root + "/folder/inside");
        writeFile(root + "/free");
        Holder holder([&] { return holdFromAThread(root + "/" + c.held, c.how); }, Child::AsIs,
                      c.endMainThread);
        ASSERT_TRUE(holder.holding()) << c.what;
        EXPECT_EQ(deleteTree(root), EBUSY) << c.what;
        EXPECT_EQ(treeEntries(root),
                  std::string(c.held) == "held" ? (Tree{{"held", "f:x"}}) : (Tree{{"folder", "d"}}))
            << c.what;
    }
}

// Without the process list nothing can be known to be free: the clean refuses to run
// and says why (in a private mount namespace of a child, /proc hidden under a tmpfs).
TEST(InUseKindsTest, WithoutTheProcessListNothingIsCleaned) {
    TempDir dir;
    const std::string root = dir / "clean";
    writeFile(root + "/file");
    const int child = runInChild(
        [&] {
            if (::mount("none", "/proc", "tmpfs", 0, nullptr) != 0) {
                return kChildSkipped;
            }
            CleaningPlan plan;
            plan.targets.push_back(CleaningTarget{.kind = TargetKind::UserFolder, .folder = root});
            const CleaningReport report = RunCleaningPlan(plan);
            return report.refusals().size() == 1 && report.failure.find("/proc") != std::string::npos ? 0 : 1;
        },
        Child::PrivateMounts);
    if (child == kChildSkipped) {
        GTEST_SKIP() << "the kernel refused a private mount namespace or a mount (mounting needs root)";
    }
    EXPECT_EQ(child, 0);
    EXPECT_TRUE(exists(root + "/file"));
}

TEST(InUseKindsTest, AReadOnlyFolderMadeWritableThatStaysGetsItsModeBack) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string root = dir / "clean";
    writeFile(root + "/ro/held");
    writeFile(root + "/ro/free");
    for (const char* entry : {"", "/ro", "/ro/held", "/ro/free"}) {
        ::lchown((root + entry).c_str(), kNobody, kNobody);
    }
    ::chmod((root + "/ro").c_str(), 0555);
    // Both run as the owner, who (unlike root) needs the write right to delete.
    Holder holder([&] { return ::open((root + "/ro/held").c_str(), O_RDONLY) >= 0; }, Child::AsNobody);
    if (!holder.holding()) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    Holder cleaner([&] { return deleteTree(root) == EBUSY; }, Child::AsNobody);
    EXPECT_TRUE(cleaner.holding());
    EXPECT_EQ(treeEntries(root), (Tree{{"ro", "d"}, {"ro/held", "f:x"}}));
    struct stat st {};
    ASSERT_EQ(::stat((root + "/ro").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555u);
}

TEST(InUseKindsTest, ALoopDevicesBackingFileStays) {
    TempDir dir;
    const std::string root = dir / "clean";
    writeFile(root + "/image", std::string(1 << 20, '\0'));
    writeFile(root + "/free");
    FILE* setup = ::geteuid() == 0
                      ? ::popen(("losetup -f --show " + root + "/image 2>/dev/null").c_str(), "r")
                      : nullptr;
    char device[64] = {};
    const bool attached = setup != nullptr && std::fgets(device, sizeof device, setup) != nullptr;
    if (setup != nullptr) {
        ::pclose(setup);
    }
    if (!attached) {
        GTEST_SKIP() << "no loop device can be set up here (needs root and losetup)";
    }
    const int result = deleteTree(root);
    const Tree after = treeEntries(root);
    EXPECT_EQ(std::system(("losetup -d " + std::string(device)).c_str()), 0);
    EXPECT_EQ(result, EBUSY);
    EXPECT_EQ(after.count("image"), 1u);
    EXPECT_EQ(after.count("free"), 0u);
}

} // namespace
} // namespace tidorax::test

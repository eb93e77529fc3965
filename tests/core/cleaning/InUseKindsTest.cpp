// What else than an open file keeps something from being deleted, and a read-only folder
// that had to be made writable and stays gets its mode back.
#include "core/cleaning/SafeDeleter.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
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

using Hold = std::function<bool(const std::string& path)>;

// The same hold made by a new thread, which then waits forever.
Hold onAThread(const Hold& hold) {
    return [hold](const std::string& path) {
        std::atomic<int> state{0}; // 1 held, 2 could not
        std::thread([&state, hold, path] {
            state = hold(path) ? 1 : 2;
            for (;;) {
                ::pause();
            }
        }).detach();
        while (state == 0) {
            ::sched_yield();
        }
        return state == 1;
    };
}

// What a process holds stays, with the folders on its way, and the rest goes: a folder
// it works in, has as its root or holds open, and what one of its threads holds: a file
// through the process's table (its main thread ended), through a table of its own, only
// mapped (main thread ended), or a working folder of its own.
TEST(InUseKindsTest, WhatAProcessOrOneOfItsThreadsHoldsStays) {
    const Hold openIt = [](const std::string& path) { return ::open(path.c_str(), O_RDONLY) >= 0; };
    const Hold workIn = [](const std::string& path) { return ::chdir(path.c_str()) == 0; };
    const Hold mapOnly = [](const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        return fd >= 0 && ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0) != MAP_FAILED && ::close(fd) == 0;
    };
    const struct {
        const char* what;
        const char* held; // below the folder
        Hold hold;
        bool endMainThread = false;
    } cases[] = {
        {"working folder", "folder", workIn},
        {"open folder", "folder", openIt},
        {"root folder", "folder", [](const std::string& path) { return ::chroot(path.c_str()) == 0; }},
        {"open, main thread ended", "held", onAThread(openIt), true},
        {"own descriptor table", "held", onAThread([openIt](const std::string& path) {
             return ::unshare(CLONE_FILES) == 0 && openIt(path);
         })},
        {"mapped only, main thread ended", "held", onAThread(mapOnly), true},
        {"own working folder", "folder",
         onAThread([workIn](const std::string& path) { return ::unshare(CLONE_FS) == 0 && workIn(path); })},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        writeFile(root + "/held");
        writeFile(root + "/folder/inside");
        writeFile(root + "/free");
        Holder holder([&] { return c.hold(root + "/" + c.held); }, Child::AsIs, c.endMainThread);
        if (!holder.holding() && std::string(c.what) == "root folder" && ::geteuid() != 0) {
            continue; // only root may change its root folder
        }
        ASSERT_TRUE(holder.holding()) << c.what;
        EXPECT_EQ(deleteTree(root), EBUSY) << c.what;
        EXPECT_EQ(treeEntries(root),
                  std::string(c.held) == "held" ? (Tree{{"held", "f:x"}}) : (Tree{{"folder", "d"}}))
            << c.what;
    }
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

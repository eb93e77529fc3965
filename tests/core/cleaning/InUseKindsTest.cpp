// What else than an open file keeps something from being deleted: a folder that a
// process works in, has as its root or holds open; a file held only by the threads of a
// process whose main thread has ended; a loop device's backing file. And a read-only
// folder that had to be made writable and stays gets its mode back.
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/MountTable.h"
#include "core/cleaning/SafeDeleter.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

constexpr uid_t kNobody = 65534;

// A forked process that holds something until the object goes away. hold runs in the
// child and returns whether it holds; the child then waits to be killed, with only its
// other threads left when endMainThread.
class Holder {
public:
    explicit Holder(const std::function<bool()>& hold, bool asNobody = false, bool endMainThread = false) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            // Dumpable again after the change of user, so that the user's other processes may
            // look at it as at any of their own.
            const bool dropped = !asNobody || (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
                                               ::setuid(kNobody) == 0 && ::prctl(PR_SET_DUMPABLE, 1) == 0);
            const char answer = dropped && hold() ? 'y' : 'n';
            if (::write(ready[1], &answer, 1) != 1) {
                ::_exit(1);
            }
            if (endMainThread) {
                // Ends this thread alone, without unwinding into the test framework.
                ::syscall(SYS_exit, 0);
            }
            for (;;) {
                ::pause();
            }
        }
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

int cleanTree(const std::string& folder) {
    return deleteTree(folder);
}

// Opens path from a new thread that then waits forever; true once it holds the file.
bool holdFromAThread(const std::string& path) {
    static std::string held;
    static std::atomic<int> state{0}; // 1 held, 2 could not open
    held = path;
    pthread_t thread;
    auto body = [](void*) -> void* {
        state = ::open(held.c_str(), O_RDONLY | O_CLOEXEC) >= 0 ? 1 : 2;
        for (;;) {
            ::pause();
        }
    };
    if (::pthread_create(&thread, nullptr, body, nullptr) != 0) {
        return false;
    }
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
    EXPECT_EQ(cleanTree(root), EBUSY);
    EXPECT_EQ(treeEntries(root), expected);
}

TEST(InUseKindsTest, AFileHeldOnlyByTheThreadsOfAProcessWhoseMainThreadEndedStays) {
    TempDir dir;
    const std::string root = dir / "clean";
    writeFile(root + "/held");
    writeFile(root + "/free");
    Holder holder([&] { return holdFromAThread(root + "/held"); }, false, true);
    ASSERT_TRUE(holder.holding());
    EXPECT_EQ(cleanTree(root), EBUSY);
    EXPECT_EQ(treeEntries(root), (Tree{{"held", "f:x"}}));
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
    Holder holder([&] { return ::open((root + "/ro/held").c_str(), O_RDONLY) >= 0; }, true);
    if (!holder.holding()) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    Holder cleaner([&] { return cleanTree(root) == EBUSY; }, true);
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
    const int result = cleanTree(root);
    const Tree after = treeEntries(root);
    EXPECT_EQ(std::system(("losetup -d " + std::string(device)).c_str()), 0);
    EXPECT_EQ(result, EBUSY);
    EXPECT_EQ(after.count("image"), 1u);
    EXPECT_EQ(after.count("free"), 0u);
}

} // namespace
} // namespace tidorax::test

// What else than an open file keeps something from being deleted.
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
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
    explicit Holder(const std::function<bool()>& hold, bool endMainThread) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        pid_ = startChild([&]() -> int {
            const char answer = hold() ? 'y' : 'n';
            if (::write(ready[1], &answer, 1) == 1 && endMainThread) {
                // Ends this thread alone, without unwinding into the test framework.
                ::syscall(SYS_exit, 0);
            }
            for (;;) {
                ::pause();
            }
        });
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

// Locks the file and sends its descriptor where no process has received it yet, closing
// its own: no table of descriptors names the file then, only the lock table.
bool lockAndSendAway(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    int pair[2];
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
        return false;
    }
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof fd)] = {};
    char byte = 'x';
    iovec data{&byte, 1};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof fd);
    std::memcpy(CMSG_DATA(rights), &fd, sizeof fd);
    return ::sendmsg(pair[0], &message, 0) == 1 && ::close(fd) == 0;
}

// What a process holds stays, with the folders on its way, and the rest goes: a folder
// it works in, has as its root or holds open, what one of its threads holds (a file
// through the process's table with its main thread ended, through a table of its own,
// only mapped with its main thread ended, or a working folder of its own), and a file
// locked through a descriptor on its way to another process.
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
        // (its mounts, copies of this one's, have numbers of their own)
        {"open, own mount namespace", "held",
         [openIt](const std::string& path) { return ::unshare(CLONE_NEWNS) == 0 && openIt(path); }},
        {"locked, descriptor in flight", "held", lockAndSendAway},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        writeFile(root + "/held");
        writeFile(root + "/folder/inside");
        writeFile(root + "/free");
        Holder holder([&] { return c.hold(root + "/" + c.held); }, c.endMainThread);
        if (!holder.holding() && ::geteuid() != 0 &&
            (std::string(c.what) == "root folder" || std::string(c.what) == "open, own mount namespace")) {
            continue; // only root may change its root folder or have mounts of its own
        }
        ASSERT_TRUE(holder.holding()) << c.what;
        EXPECT_EQ(deleteTree(root), EBUSY) << c.what;
        EXPECT_EQ(treeEntries(root), (Tree{{c.held, std::string(c.held) == "held" ? "f:x" : "d"}})) << c.what;
    }
}

TEST(InUseKindsTest, ALoopDevicesBackingFileStays) {
    TempDir dir;
    const std::string root = dir / "clean";
    writeFile(root + "/image", std::string(1 << 20, '\0'));
    writeFile(root + "/free");
    const std::string attach = "losetup -f --show " + root + "/image >" + dir / "device" + " 2>/dev/null";
    if (std::system(attach.c_str()) != 0) {
        GTEST_SKIP() << "no loop device can be set up here (needs root and losetup)";
    }
    const int result = deleteTree(root);
    EXPECT_EQ(std::system(("losetup -d " + readFile(dir / "device")).c_str()), 0);
    EXPECT_EQ(result, EBUSY);
    EXPECT_EQ(ListFilesBelow(root), FileList{root + "/image"});
}

} // namespace
} // namespace tidorax::test

#include "core/cleaning/InUseSnapshot.h"

#include "core/cleaning/ProcText.h"

#include "core/cleaning/FolderEntries.h"
#include "core/cleaning/MountTable.h"
#include "core/cleaning/Workers.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <linux/kcmp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace tidorax {

namespace {

// Closes a descriptor when it goes out of scope.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool allDigits(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

// The names of a folder given as an open descriptor (which stays open), read once.
std::vector<std::string> entryNames(int folderFd) {
    std::vector<std::string> names;
    thread_local std::vector<char> buffer(16384);
    ForEachFolderEntry(folderFd, buffer,
                       [&names](const dirent64& entry) { names.emplace_back(entry.d_name); });
    return names;
}

// A snapshot reads processes on one more thread for each this many of them.
constexpr std::size_t kProcessesPerReader = 32;

// The identity of the mount namespace a process (or "self") is in; 0 when unknown.
ino_t mountNamespaceOf(int processFd, const char* process = ".") {
    struct stat ns {};
    return ::fstatat(processFd, (std::string(process) + "/ns/mnt").c_str(), &ns, 0) == 0 ? ns.st_ino : 0;
}

// What the snapshot knows of the mounts: its own, and those of processes in other
// mount namespaces, read when one of their mount ids is first met. Pipes, sockets and
// the like lie on mounts no table lists: a namespace whose table was read is not read
// again for them.
struct KnownMounts {
    MountTable own = MountTable::Read();
    std::unordered_set<ino_t> namespacesRead{mountNamespaceOf(AT_FDCWD, "/proc/self")};
    bool processLookedAt = false; // this process's namespace is known to be read

    // Called before the files of each process are added.
    void nextProcess() { processLookedAt = false; }

    std::optional<dev_t> deviceOf(std::uint64_t mountId, int processFd) {
        if (const auto device = own.DeviceOf(mountId)) {
            return device;
        }
        if (processLookedAt) {
            return std::nullopt;
        }
        processLookedAt = true;
        const ino_t ns = mountNamespaceOf(processFd);
        if (ns == 0 || namespacesRead.insert(ns).second) {
            own.Merge(MountTable::Parse(proc::ReadText(processFd, "mountinfo")));
        }
        return own.DeviceOf(mountId);
    }
};

// Adds the file one fdinfo text names, by its mount and inode; the file itself is never
// looked at (a stat there could wait forever on a file system that stopped answering).
void addFromFdInfo(InUseSnapshot& snapshot, KnownMounts& mounts, int processFd, std::string_view text) {
    std::uint64_t mountId = 0;
    std::uint64_t inode = 0;
    if (!InUseSnapshot::ParseFdInfo(text, mountId, inode)) {
        return;
    }
    if (const auto device = mounts.deviceOf(mountId, processFd)) {
        snapshot.Add(*device, static_cast<ino_t>(inode));
    }
}

// Adds every file open in one fdinfo folder; returns how many entries it had. An entry
// that cannot be read (gone, or not allowed) is passed by and the next one read.
std::size_t addOpenFiles(InUseSnapshot& snapshot, KnownMounts& mounts, int processFd, int ownerFd,
                         const char* folderName) {
    const int folderFd = ::openat(ownerFd, folderName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return 0;
    }
    FdGuard folder(folderFd);
    const std::vector<std::string> names = entryNames(folderFd);
    for (const std::string& name : names) {
        addFromFdInfo(snapshot, mounts, processFd, proc::ReadText(folderFd, name.c_str()));
    }
    return names.size();
}

// Adds a working directory or root (link "cwd" or "root" of a process or a thread):
// opened as a path only, which reaches no file system, and named by this process's own
// fdinfo of it.
void addFolderLink(InUseSnapshot& snapshot, KnownMounts& mounts, int processFd, int ownerFd,
                   const char* link) {
    // The root of the file system, where most processes stand, is never cleaned.
    char target[2];
    if (::readlinkat(ownerFd, link, target, sizeof target) == 1 && target[0] == '/') {
        return;
    }
    const int fd = ::openat(ownerFd, link, O_PATH | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    FdGuard held(fd);
    const std::string own = "/proc/self/fdinfo/" + std::to_string(fd);
    addFromFdInfo(snapshot, mounts, processFd, proc::ReadText(AT_FDCWD, own.c_str()));
}

// True unless the system says that the two tasks share what kind names (their table of
// descriptors, or their working folder and root).
bool ownOf(pid_t process, pid_t task, int kind) {
    return ::syscall(SYS_kcmp, process, task, kind, 0, 0) != 0;
}

// What a process's threads hold apart from the process: a thread with a descriptor
// table or a working folder of its own, and everything when the main thread has ended
// (its own table and map are then empty).
void addThreads(InUseSnapshot& snapshot, KnownMounts& mounts, int processFd, pid_t process, bool leaderGone) {
    // The task folder has a link for each thread besides its own two: a process of one
    // thread has nothing more to say.
    struct stat tasksInfo {};
    if (::fstatat(processFd, "task", &tasksInfo, 0) == 0 && tasksInfo.st_nlink <= 3) {
        return;
    }
    const int tasksFd = ::openat(processFd, "task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (tasksFd < 0) {
        return;
    }
    FdGuard tasks(tasksFd);
    bool mapped = !leaderGone; // threads share one map: one thread's is read, when needed
    for (const std::string& name : entryNames(tasksFd)) {
        const pid_t task = static_cast<pid_t>(std::strtol(name.c_str(), nullptr, 10));
        if (task == process) {
            continue;
        }
        const int taskFd = ::openat(tasksFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (taskFd < 0) {
            continue;
        }
        FdGuard held(taskFd);
        if (leaderGone || ownOf(process, task, KCMP_FILES)) {
            addOpenFiles(snapshot, mounts, processFd, taskFd, "fdinfo");
        }
        if (leaderGone || ownOf(process, task, KCMP_FS)) {
            addFolderLink(snapshot, mounts, processFd, taskFd, "cwd");
            addFolderLink(snapshot, mounts, processFd, taskFd, "root");
        }
        if (!mapped) {
            const std::string maps = proc::ReadText(taskFd, "maps");
            snapshot.AddMappedFiles(maps);
            mapped = !maps.empty();
        }
    }
}

// Adds the files of one process: open, mapped, its folders, and those its threads hold
// apart from it.
void addProcess(InUseSnapshot& snapshot, KnownMounts& mounts, int processFd, pid_t process) {
    mounts.nextProcess();
    const std::size_t open = addOpenFiles(snapshot, mounts, processFd, processFd, "fdinfo");
    addFolderLink(snapshot, mounts, processFd, processFd, "cwd");
    addFolderLink(snapshot, mounts, processFd, processFd, "root");
    const std::string maps = proc::ReadText(processFd, "maps");
    snapshot.AddMappedFiles(maps);
    addThreads(snapshot, mounts, processFd, process, open == 0 && maps.empty());
}

} // namespace

void InUseSnapshot::Add(dev_t device, ino_t inode) {
    files_.insert(FileIdentity{static_cast<std::uint64_t>(device), static_cast<std::uint64_t>(inode)});
}

bool InUseSnapshot::Contains(dev_t device, ino_t inode) const {
    return files_.count(
               FileIdentity{static_cast<std::uint64_t>(device), static_cast<std::uint64_t>(inode)}) != 0;
}

bool InUseSnapshot::ContainsPath(const std::string& Path) const {
    return paths_.count(Path) != 0;
}

// The fields "mnt_id:" and "ino:", each on a line of its own.
bool InUseSnapshot::ParseFdInfo(std::string_view text, std::uint64_t& mountId, std::uint64_t& inode) {
    bool haveMount = false;
    bool haveInode = false;
    proc::ForEachLine(text, [&](std::string_view line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return;
        }
        const std::string_view field = line.substr(0, colon);
        std::size_t pos = colon + 1;
        const std::string_view value = proc::NextWord(line, pos);
        if (field == "mnt_id") {
            haveMount = proc::ParseNumber(value, 10, mountId);
        } else if (field == "ino") {
            haveInode = proc::ParseNumber(value, 10, inode);
        }
    });
    return haveMount && haveInode;
}

// A line reads "start-end perms offset major:minor inode [path]", the device numbers
// in hexadecimal and the inode in decimal; anonymous memory has inode 0.
void InUseSnapshot::AddMappedFiles(std::string_view mapsText) {
    proc::ForEachLine(mapsText, [this](std::string_view line) {
        std::size_t pos = 0;
        proc::NextWord(line, pos); // address range
        proc::NextWord(line, pos); // permissions
        proc::NextWord(line, pos); // offset
        const std::string_view device = proc::NextWord(line, pos);
        const std::string_view inodeText = proc::NextWord(line, pos);
        const std::size_t colon = device.find(':');
        unsigned int major = 0;
        unsigned int minor = 0;
        std::uint64_t inode = 0;
        if (colon == std::string_view::npos || !proc::ParseNumber(device.substr(0, colon), 16, major) ||
            !proc::ParseNumber(device.substr(colon + 1), 16, minor) ||
            !proc::ParseNumber(inodeText, 10, inode) || inode == 0) {
            return;
        }
        Add(makedev(major, minor), static_cast<ino_t>(inode));
    });
}

// A line reads "1: POSIX  ADVISORY  WRITE 1234 08:01:5678 0 EOF" (a waiting request has
// "->" after the number); the file is the word "major:minor:inode", the device numbers in
// hexadecimal and the inode in decimal.
void InUseSnapshot::AddLockedFiles(std::string_view locksText) {
    proc::ForEachLine(locksText, [this](std::string_view line) {
        std::size_t pos = 0;
        for (std::string_view word = proc::NextWord(line, pos); !word.empty();
             word = proc::NextWord(line, pos)) {
            const std::size_t first = word.find(':');
            if (first == std::string_view::npos) {
                continue;
            }
            const std::size_t second = word.find(':', first + 1);
            if (second == std::string_view::npos) {
                continue;
            }
            unsigned int major = 0;
            unsigned int minor = 0;
            std::uint64_t inode = 0;
            if (proc::ParseNumber(word.substr(0, first), 16, major) &&
                proc::ParseNumber(word.substr(first + 1, second - first - 1), 16, minor) &&
                proc::ParseNumber(word.substr(second + 1), 10, inode)) {
                Add(makedev(major, minor), static_cast<ino_t>(inode));
                return;
            }
        }
    });
}

void InUseSnapshot::StartLockTableWait() {
    try {
        std::thread([] { proc::ReadText(AT_FDCWD, "/proc/locks"); }).detach();
    } catch (const std::system_error&) { // no thread to be had: the snapshot waits it all out
    }
}

InUseSnapshot InUseSnapshot::Take() {
    InUseSnapshot snapshot;
    const int procFd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FdGuard proc(procFd);
    // Without the process file system (not mounted, or hidden) this process is not in it.
    struct stat self {};
    if (procFd < 0 || ::fstatat(procFd, "self/fdinfo", &self, 0) != 0) {
        snapshot.complete_ = false;
        return snapshot;
    }
    // Reading the lock table waits out a grace period (see StartLockTableWait): it is
    // read while the processes are looked at.
    std::future<std::string> locks;
    try {
        locks = std::async(std::launch::async, [procFd] { return proc::ReadText(procFd, "locks"); });
    } catch (const std::system_error&) { // no thread to be had: read below
    }
    std::vector<std::string> processes = entryNames(procFd);
    std::erase_if(processes, [](const std::string& name) { return !allDigits(name.c_str()); });

    // Each reader takes every n-th process into a snapshot of its own; they are merged.
    const KnownMounts mounts;
    const unsigned readers = WorkerCount(processes.size() / kProcessesPerReader + 1);
    std::vector<InUseSnapshot> parts(readers);
    RunOnWorkers(readers, [&](unsigned reader) {
        KnownMounts own = mounts;
        for (std::size_t i = reader; i < processes.size(); i += readers) {
            // A process this user may not inspect, or one that has just ended, adds nothing.
            const int processFd = ::openat(procFd, processes[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (processFd >= 0) {
                FdGuard process(processFd);
                addProcess(parts[reader], own, processFd,
                           static_cast<pid_t>(std::strtol(processes[i].c_str(), nullptr, 10)));
            }
        }
    });
    for (InUseSnapshot& part : parts) {
        snapshot.files_.merge(part.files_);
    }
    snapshot.AddLockedFiles(locks.valid() ? locks.get() : proc::ReadText(procFd, "locks"));
    snapshot.AddLoopBackingFiles("/sys/block");
    return snapshot;
}

void InUseSnapshot::AddLoopBackingFiles(const std::string& BlockFolder) {
    const int blockFd = ::open(BlockFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (blockFd < 0) {
        return;
    }
    FdGuard block(blockFd);
    for (const std::string& name : entryNames(blockFd)) {
        if (name.rfind("loop", 0) != 0) {
            continue;
        }
        std::string file = proc::ReadText(blockFd, (name + "/loop/backing_file").c_str());
        while (!file.empty() && file.back() == '\n') {
            file.pop_back();
        }
        if (!file.empty()) {
            paths_.insert(file); // named only: the file may lie on any file system
        }
    }
}

} // namespace tidorax

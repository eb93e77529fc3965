// Helpers for the cleaning engine's tests: a record of every entry of a tree, sorted
// path lists, a file held open or mapped, the Cookies folder named in the hive, and
// work done in a child process.
#pragma once

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/settings/RegistryAccess.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <map>
#include <sched.h>
#include <string>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace tidorax::test {

using Tree = std::map<std::string, std::string>;

// Every entry below root (never following links), by relative path, with a short
// description: "d" folder, "l->target" link, "f:contents" file, "s" socket, "p" FIFO.
inline Tree treeEntries(const std::string& root) {
    namespace fs = std::filesystem;
    Tree entries;
    const std::size_t prefix = root.size() + (root.ends_with('/') ? 0 : 1);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        std::string& entry = entries[path.substr(prefix)];
        std::error_code entryError; // a failure here must not end the walk
        const fs::file_type type = it->symlink_status(entryError).type();
        entry = type == fs::file_type::symlink     ? "l->" + fs::read_symlink(path, entryError).string()
                : type == fs::file_type::directory ? "d"
                : type == fs::file_type::socket    ? "s"
                : type == fs::file_type::fifo      ? "p"
                                                   : "f:" + readFile(path);
    }
    return entries;
}

inline FileList sorted(FileList list) {
    std::sort(list.begin(), list.end());
    return list;
}

// Each name joined to folder with one "/", sorted: what a walk of folder lists.
inline FileList below(const std::string& folder, FileList names) {
    for (std::string& name : names) {
        name = folder + (folder.ends_with('/') ? "" : "/") + name;
    }
    return sorted(std::move(names));
}

// Holds a file open, or only mapped (its descriptor closed), until the object goes
// away. The in-use snapshot looks at every process, this one too.
class HeldFile {
public:
    enum class Hold { Open, MappedOnly };
    HeldFile(const std::string& path, Hold hold) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (hold == Hold::MappedOnly) {
            map_ = fd_ >= 0 ? ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd_, 0) : MAP_FAILED;
            ::close(std::exchange(fd_, -1));
        }
    }
    ~HeldFile() {
        ::close(fd_); // (nothing for -1)
        if (map_ != MAP_FAILED) {
            ::munmap(map_, 1);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int fd_;
    void* map_ = MAP_FAILED;
};

// Opens folder as a clean does, with only the root of the file system protected.
inline SafeFolder openFolder(const std::string& folder) {
    static const ProtectedIdentities rootOnly(std::vector<ProtectedFolder>{{"/", "the root"}});
    return SafeFolder::Open(folder, rootOnly);
}

// Empties folder through a SafeDeleter with its own snapshot of the files in use: its
// result, -1 when the folder could not be opened.
inline int deleteTree(const std::string& folder, SafeDeleter::Rules rules = {}) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    return SafeDeleter(inUse, rules).DeleteBelow(openFolder(folder));
}

// Deletes the files below folder that select picks, as deleteTree does.
inline int deleteFilesBelow(const std::string& folder, const SafeDeleter::FileSelection& select) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    return SafeDeleter(inUse, {}).DeleteFilesBelow(openFolder(folder), select);
}

// Renames folder to parked, puts a link to target in its place for a moment and the
// folder back: what another program may do while a clean runs.
inline void swapForALink(const std::string& folder, const std::string& target, const std::string& parked) {
    if (::rename(folder.c_str(), parked.c_str()) == 0) {
        ::symlink(target.c_str(), folder.c_str());
        ::sched_yield();
        ::unlink(folder.c_str());
        ::rename(parked.c_str(), folder.c_str());
    }
}

// Names folder as the special folder with that value name under "User Shell Folders"
// ("Cookies", "Cache", ...) in the hive; false when that fails.
inline bool setShellFolder(const std::string& name, const std::string& folder) {
    return RegistryAccess::SetRegValue(
               "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", name,
               "S", folder) == 0;
}

inline bool setCookiesFolder(const std::string& folder) {
    return setShellFolder("Cookies", folder);
}

constexpr uid_t kNobody = 65534;
// What a child returns when the system refused what the test needs (mounting needs root).
constexpr int kChildSkipped = 77;
enum class Child { AsIs, AsNobody, PrivateMounts };

// Forks a child that runs work: as uid and gid 65534 (exit 126 when it cannot drop its
// rights), or in a private mount namespace (kChildSkipped when the kernel refuses one).
inline pid_t startChild(const std::function<int()>& work, Child how = Child::AsIs) {
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    // Dumpable again after the change of user, so that the user's other processes may
    // look at it as at any of their own.
    if (how == Child::AsNobody && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                   ::setuid(kNobody) != 0 || ::prctl(PR_SET_DUMPABLE, 1) != 0)) {
        ::_exit(126);
    }
    if (how == Child::PrivateMounts &&
        (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)) {
        ::_exit(kChildSkipped);
    }
    ::_exit(work());
}

// What the child's work returned (0..125), -1 when it died.
inline int waitChild(pid_t pid) {
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int runInChild(const std::function<int()>& work, Child how = Child::AsIs) {
    return waitChild(startChild(work, how));
}

} // namespace tidorax::test

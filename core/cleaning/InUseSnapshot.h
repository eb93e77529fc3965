// The files that processes hold at one moment. Linux lets a file that a program has
// open be deleted; the cleaning operations leave such files in place instead, so each
// operation takes one snapshot before it deletes and asks it about every file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_set>

namespace tidorax {

class InUseSnapshot {
public:
    // Reads every process this user may inspect: the files and folders each holds open
    // (/proc/<pid>/fdinfo, or its threads' when its main thread has ended), its working
    // directory and root, the files it has mapped (/proc/<pid>/maps), then the files
    // that carry a lock (/proc/locks) and those behind loop devices. Nothing is looked
    // up on the files themselves: they are named by mount and inode as /proc gives them.
    static InUseSnapshot Take();
    // Reading the lock table makes the kernel wait out a grace period first (5 ms on an
    // idle machine, up to 40 ms on a busy one). Readers that come while it lasts end
    // with it, and one that comes just after is spared. This starts a read on a thread of
    // its own and lets it go: a snapshot taken a few milliseconds later, once the plan is
    // made, then waits out only the rest of that period, and still reads the table itself.
    static void StartLockTableWait();
    // False when the processes could not be read (no /proc): nothing can be known to be
    // free, and no clean may run.
    bool Complete() const { return complete_; }

    void Add(dev_t device, ino_t inode);
    bool Contains(dev_t device, ino_t inode) const;
    std::size_t Size() const { return files_.size(); }
    // Files known by name only (loop devices' backing files), as absolute paths.
    bool ContainsPath(const std::string& Path) const;
    bool HasPaths() const { return !paths_.empty(); }

    // Reads "mnt_id:" and "ino:" of one /proc/<pid>/fdinfo/<fd> text; false when one is missing.
    static bool ParseFdInfo(std::string_view text, std::uint64_t& mountId, std::uint64_t& inode);
    // Adds the backing file of every loop device below BlockFolder (/sys/block).
    void AddLoopBackingFiles(const std::string& BlockFolder);

    // Adds the mapped files named by the text of one /proc/<pid>/maps.
    void AddMappedFiles(std::string_view mapsText);
    // Adds the locked files named by the text of /proc/locks.
    void AddLockedFiles(std::string_view locksText);

private:
    struct FileIdentity {
        std::uint64_t device;
        std::uint64_t inode;
        bool operator==(const FileIdentity&) const = default;
    };
    struct FileIdentityHash {
        std::size_t operator()(const FileIdentity& id) const noexcept {
            return static_cast<std::size_t>(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
        }
    };
    std::unordered_set<FileIdentity, FileIdentityHash> files_;
    std::unordered_set<std::string> paths_;
    bool complete_ = true;
};

} // namespace tidorax

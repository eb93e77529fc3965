// The files that processes hold at one moment. Linux lets a file that a program has
// open be deleted; the cleaning operations leave such files in place instead, so each
// operation takes one snapshot before it deletes and asks it about every file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <sys/types.h>
#include <unordered_set>

namespace tidorax {

class InUseSnapshot {
public:
    // Reads every process this user may inspect: the files each holds open
    // (/proc/<pid>/fd), the files each has mapped (/proc/<pid>/map_files and
    // /proc/<pid>/maps), and the files that carry a lock (/proc/locks).
    static InUseSnapshot Take();

    void Add(dev_t device, ino_t inode);
    bool Contains(dev_t device, ino_t inode) const;
    std::size_t Size() const { return files_.size(); }

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
};

} // namespace tidorax

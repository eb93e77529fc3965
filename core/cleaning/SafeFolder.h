// A folder opened once for a clean. Its name is resolved once (links the user named are
// followed, one planted by another user in a shared folder is not), then it is opened
// one component at a time without following any link, so that what was opened is what
// was resolved; the guard then looks at what was opened: its device and inode against
// those of the protected folders and of every folder above them. The walk, the deleter
// and the listings all work through this one descriptor.
#pragma once

#include "core/cleaning/FolderGuard.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tidorax {

// What an open folder is: read once from its descriptor.
struct FolderDescription {
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    mode_t mode = 0;
    bool hasMountId = false;
    std::uint64_t mountId = 0;
    bool mountRoot = false;
};

// Reads what the open folder fd is; false (errno set) when the system cannot say.
bool DescribeFolder(int fd, FolderDescription& description);

// The protected folders by identity: a folder that has the identity of one of them, or
// of a folder above one, is or holds it. Worked out once for a whole clean.
class ProtectedIdentities {
public:
    ProtectedIdentities() = default;
    explicit ProtectedIdentities(const std::vector<ProtectedFolder>& folders);
    // Why a folder with this identity may not be cleaned, naming the nearest protected
    // folder (one it is before one it holds); nullopt when it may.
    std::optional<std::string> RefusalFor(dev_t device, ino_t inode, const std::string& folder) const;

private:
    struct Entry {
        dev_t device;
        ino_t inode;
        std::size_t folder; // index into folders_
    };
    std::vector<ProtectedFolder> folders_;
    std::vector<Entry> exact_;
    std::vector<Entry> above_;
};

class SafeFolder {
public:
    // Opens Folder (trailing "/" ignored, blanks are part of the name). Not open, with
    // no refusal, when Folder is empty or no folder is there; not open, with the
    // reason, when it is not a full path, a link on the way may not be followed, or
    // what was opened is or holds a protected folder.
    static SafeFolder Open(const std::string& folder, const ProtectedIdentities& guard);

    SafeFolder() = default;
    SafeFolder(SafeFolder&& other) noexcept { *this = std::move(other); }
    SafeFolder& operator=(SafeFolder&& other) noexcept;
    SafeFolder(const SafeFolder&) = delete;
    SafeFolder& operator=(const SafeFolder&) = delete;
    ~SafeFolder();

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Makes the next reading of the folder's entries start at the first; false when
    // that fails. (A folder just opened is there already.)
    bool Rewind() const;
    const FolderDescription& description() const { return description_; }
    // The resolved name, without a trailing "/".
    const std::string& path() const { return path_; }
    const std::string& refusal() const { return refusal_; }

private:
    int fd_ = -1;
    mutable bool read_ = false; // its entries were read since it was opened
    FolderDescription description_;
    std::string path_;
    std::string refusal_;
};

// The refusal texts: every one begins with the folder's name as it was given.
std::string RefusalText(const std::string& folder, const std::string& reason);

} // namespace tidorax

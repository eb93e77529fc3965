#include "core/cleaning/SafeFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tidorax {

bool DescribeFolder(int fd, FolderDescription& description) {
#ifdef STATX_MNT_ID
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_BASIC_STATS | STATX_MNT_ID, &sx) == 0) {
        description.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        description.inode = static_cast<ino_t>(sx.stx_ino);
        description.owner = sx.stx_uid;
        description.mode = sx.stx_mode;
        description.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
        description.mountId = sx.stx_mnt_id;
        description.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                                (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        return true;
    }
#endif
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return false;
    }
    description = FolderDescription{st.st_dev, st.st_ino, st.st_uid, st.st_mode, false, 0, false};
    return true;
}

std::string RefusalText(const std::string& folder, const std::string& reason) {
    return "The folder \"" + folder + "\" was not cleaned: " + reason;
}

ProtectedIdentities::ProtectedIdentities(const std::vector<ProtectedFolder>& folders) : folders_(folders) {
    for (std::size_t index = 0; index < folders_.size(); ++index) {
        const std::optional<std::string> resolved = ResolveFolder(folders_[index].path);
        if (!resolved) {
            continue;
        }
        // The folder itself, then each folder above it up to the root.
        std::string path = *resolved;
        for (bool itself = true;; itself = false) {
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                (itself ? exact_ : above_).push_back(Entry{st.st_dev, st.st_ino, index});
            }
            if (path == "/") {
                break;
            }
            const std::size_t slash = path.rfind('/');
            path = slash == 0 ? std::string("/") : path.substr(0, slash);
        }
    }
}

std::optional<std::string> ProtectedIdentities::RefusalFor(dev_t device, ino_t inode,
                                                           const std::string& folder) const {
    for (const std::vector<Entry>* entries : {&exact_, &above_}) {
        for (const Entry& entry : *entries) {
            if (entry.device == device && entry.inode == inode) {
                const ProtectedFolder& guarded = folders_[entry.folder];
                return RefusalText(folder, "it is or holds " + guarded.what + " (" + guarded.path + ").");
            }
        }
    }
    return std::nullopt;
}

namespace {

// Opens the absolute, resolved path one component at a time, following no link.
int openWithoutLinks(const std::string& path) {
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    std::size_t start = 1;
    while (fd >= 0 && start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            continue;
        }
        const bool last = start >= path.size();
        const int next =
            ::openat(fd, part.c_str(), (last ? O_RDONLY : O_PATH) | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    if (fd >= 0 && path == "/") {
        const int readable = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = readable;
    }
    return fd;
}

// A name that is already in its resolved form (no "//", "." or ".." part) is opened in
// one step, the system refusing any link on the way (errno ELOOP: the name must be
// resolved first); -1 with errno EINVAL for any other name, ENOSYS where the system
// cannot.
int openResolvedName(const std::string& name) {
    if (name.find("//") != std::string::npos || name.find("/./") != std::string::npos ||
        name.find("/../") != std::string::npos || name.ends_with("/.") || name.ends_with("/..")) {
        errno = EINVAL;
        return -1;
    }
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, AT_FDCWD, name.c_str(), &how, sizeof how));
}

} // namespace

SafeFolder SafeFolder::Open(const std::string& folder, const ProtectedIdentities& guard) {
    SafeFolder opened;
    std::string name = folder;
    while (name.size() > 1 && name.back() == '/') {
        name.pop_back();
    }
    if (name.empty()) {
        return opened; // no folder is set
    }
    if (name.front() != '/') {
        opened.refusal_ = RefusalText(folder, "it is not a full path.");
        return opened;
    }
    int fd = openResolvedName(name);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        return opened; // not there
    }
    const std::optional<std::string> resolved = fd >= 0 ? std::optional(name) : ResolveFolder(name);
    if (!resolved) {
        opened.refusal_ = RefusalText(folder, "a link on its way cannot be followed safely (it loops, or "
                                              "another user put it in a shared folder).");
        return opened;
    }
    if (fd < 0) {
        fd = openWithoutLinks(*resolved);
    }
    if (fd < 0) {
        return opened; // not there (or swapped for a link since it was resolved)
    }
    opened.fd_ = fd;
    opened.path_ = *resolved;
    if (!DescribeFolder(fd, opened.description_)) {
        opened = SafeFolder();
        return opened;
    }
    if (std::optional<std::string> refusal =
            guard.RefusalFor(opened.description_.device, opened.description_.inode, folder)) {
        SafeFolder refused;
        refused.refusal_ = std::move(*refusal);
        return refused;
    }
    return opened;
}

bool SafeFolder::Rewind() const {
    if (!read_) {
        read_ = true;
        return true;
    }
    return ::lseek(fd_, 0, SEEK_SET) == 0;
}

SafeFolder& SafeFolder::operator=(SafeFolder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        read_ = other.read_;
        description_ = other.description_;
        path_ = std::move(other.path_);
        refusal_ = std::move(other.refusal_);
    }
    return *this;
}

SafeFolder::~SafeFolder() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace tidorax

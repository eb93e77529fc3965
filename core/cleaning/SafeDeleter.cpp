#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/FolderGuard.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace tidorax {

namespace {

// Deeper folders than this are left as they are; each level holds a descriptor open.
constexpr int kMaxDepth = 1000;
// Folder entries are read in blocks of this size, into one buffer for all levels: each
// folder is read to its end before its subfolders are worked on.
constexpr std::size_t kReadBufferSize = 64 * 1024;

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool isSpecialFile(mode_t mode) {
    return S_ISSOCK(mode) || S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

bool isSpecialType(unsigned char type) {
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

// File systems whose folder listings give each entry's type and the same inode number
// that stat gives; elsewhere (overlays, network and FUSE file systems) every entry is
// looked at with a stat before anything is decided.
bool listingMatchesStat(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
    case TMPFS_MAGIC:
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// One entry of a folder as its listing gives it; the name lies in a shared text.
struct ListedEntry {
    std::size_t nameOffset;
    ino_t inode;
    unsigned char type;
};

} // namespace

// An open folder and what the deleter knows about it.
struct SafeDeleter::FolderState {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    mode_t mode = 0;
    bool hasMountId = false;
    std::uint64_t mountId = 0;
    bool mountRoot = false;
    bool madeWritable = false;
    mode_t modeBefore = 0; // the mode to give back when it was made writable
    bool removed = false;

    FolderState() = default;
    FolderState(const FolderState&) = delete;
    FolderState& operator=(const FolderState&) = delete;
    ~FolderState() {
        if (fd >= 0) {
            // A folder made writable to delete inside it, which stays, gets its mode back.
            if (madeWritable && !removed) {
                ::fchmod(fd, modeBefore & 07777);
            }
            ::close(fd);
        }
    }

    // Reads the identity of the open folder; false when the system cannot say.
    bool describe() {
#ifdef STATX_MNT_ID
        struct statx sx {};
        if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_BASIC_STATS | STATX_MNT_ID, &sx) == 0) {
            device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            inode = static_cast<ino_t>(sx.stx_ino);
            owner = sx.stx_uid;
            mode = sx.stx_mode;
            hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
            mountId = sx.stx_mnt_id;
            mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                        (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
            return true;
        }
#endif
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            return false;
        }
        device = st.st_dev;
        inode = st.st_ino;
        owner = st.st_uid;
        mode = st.st_mode;
        hasMountId = false;
        mountRoot = false;
        return true;
    }
};

SafeDeleter::SafeDeleter(const InUseSnapshot& inUse, Rules rules)
    : inUse_(inUse), rules_(rules), user_(::geteuid()), readBuffer_(kReadBufferSize) {}

std::string SafeDeleter::NormalizedFolderName(const std::string& Folder) {
    // A name stands for exactly the folder it spells, blanks included.
    std::string name = Folder;
    while (!name.empty() && name.back() == '/') {
        name.pop_back();
    }
    if (name.empty() || name.front() != '/') {
        return {};
    }
    return name;
}

bool SafeDeleter::IsCleanableFolder(const std::string& Folder) {
    const std::string normalized = NormalizedFolderName(Folder);
    if (normalized.empty()) {
        return false;
    }
    const InUseSnapshot nothing;
    const SafeDeleter probe(nothing, Rules{});
    FolderState root;
    return probe.openCleanRoot(normalized, root) == 0;
}

// Opens the folder a clean starts from. Links in the name given are followed (the user
// named that folder); the root of the file system is refused however it is named.
int SafeDeleter::openCleanRoot(const std::string& normalized, FolderState& root, std::string* path) const {
    // A link that another user planted in a shared folder is not followed.
    const std::optional<std::string> resolved = ResolveFolder(normalized);
    if (!resolved) {
        return -1;
    }
    if (path != nullptr) {
        *path = *resolved;
    }
    root.fd = ::open(resolved->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root.fd < 0 || !root.describe()) {
        return -1;
    }
    struct stat top {};
    if (::stat("/", &top) != 0 || (top.st_dev == root.device && top.st_ino == root.inode)) {
        return -1;
    }
    return 0;
}

// Opens a subfolder that was listed as `listed`, without following a link, and only
// when it is still that folder and lies on the same mount as its parent.
int SafeDeleter::enterSubfolder(FolderState& parent, const char* name, dev_t listedDevice, ino_t listedInode,
                                FolderState& child) const {
    child.fd = ::openat(parent.fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child.fd < 0) {
        return errno;
    }
    if (!child.describe()) {
        return errno != 0 ? errno : EIO;
    }
    if (child.device != listedDevice || child.inode != listedInode) {
        return ESTALE; // replaced since it was listed
    }
    if (child.device != parent.device || child.mountRoot ||
        (child.hasMountId && parent.hasMountId && child.mountId != parent.mountId)) {
        return EXDEV; // a mount point: another file system, or a bind mount
    }
    return 0;
}

int SafeDeleter::unlinkWithRetry(FolderState& folder, const char* name, int flags) {
    if (::unlinkat(folder.fd, name, flags) == 0) {
        return 0;
    }
    int error = errno;
    // A folder that its owner may not write to keeps its entries; make it writable, once.
    if ((error == EACCES || error == EPERM) && !folder.madeWritable && folder.owner == user_ &&
        (folder.mode & S_IWUSR) == 0 && ::fchmod(folder.fd, (folder.mode & 07777) | S_IWUSR) == 0) {
        folder.madeWritable = true;
        folder.modeBefore = folder.mode;
        folder.mode |= S_IWUSR;
        if (::unlinkat(folder.fd, name, flags) == 0) {
            return 0;
        }
        error = errno;
    }
    return error == ENOENT ? 0 : error;
}

int SafeDeleter::deleteNonFolder(FolderState& folder, const char* name, const struct stat& st) {
    if (isSpecialFile(st.st_mode)) {
        return EBUSY; // sockets, FIFOs and device nodes are in use by nature
    }
    if (rules_.onlyOwnedByUser && st.st_uid != user_) {
        return EPERM;
    }
    if (st.st_dev != folder.device) {
        return EXDEV; // a file mounted over this name
    }
    if (S_ISREG(st.st_mode) && inUse_.Contains(st.st_dev, st.st_ino)) {
        return EBUSY;
    }
    return unlinkWithRetry(folder, name, 0);
}

int SafeDeleter::deleteListedNonFolder(FolderState& folder, const char* name, unsigned char type,
                                       ino_t inode) {
    if (isSpecialType(type)) {
        return EBUSY;
    }
    if (type == DT_REG && inUse_.Contains(folder.device, inode)) {
        return EBUSY;
    }
    // A file mounted over this name is refused by the system itself (EBUSY).
    return unlinkWithRetry(folder, name, 0);
}

int SafeDeleter::emptyFolder(FolderState& folder, std::string& path, bool removeSubfolders, int depth) {
    // Read the whole folder first, so that deleting does not disturb the reading.
    std::string names;
    std::vector<ListedEntry> entries;
    {
        char* const buffer = readBuffer_.data();
        for (;;) {
            const ssize_t got = ::getdents64(folder.fd, buffer, readBuffer_.size());
            if (got <= 0) {
                if (got < 0 && entries.empty()) {
                    return errno;
                }
                break;
            }
            for (ssize_t pos = 0; pos < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + pos);
                pos += entry->d_reclen;
                if (!isDotOrDotDot(entry->d_name)) {
                    entries.push_back(
                        ListedEntry{names.size(), static_cast<ino_t>(entry->d_ino), entry->d_type});
                    names.append(entry->d_name).push_back('\0');
                }
            }
        }
    }

    int failure = 0;
    std::vector<ListedEntry> subfolders;
    for (ListedEntry& entry : entries) {
        const char* name = names.data() + entry.nameOffset;
        if (inUse_.HasPaths() && entry.type != DT_DIR && inUse_.ContainsPath(path + "/" + name)) {
            failure = EBUSY; // backs a loop device
            continue;
        }
        // The listing says what the entry is; a stat is made only where it cannot, or
        // where the owner decides.
        if (entry.type == DT_UNKNOWN || !listingMatchesStat_ || rules_.onlyOwnedByUser) {
            struct stat st {};
            if (::fstatat(folder.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) {
                    failure = errno;
                }
                continue;
            }
            entry.inode = st.st_ino;
            entry.type = IFTODT(st.st_mode);
            if (rules_.onlyOwnedByUser && st.st_uid != user_) {
                failure = EPERM; // another user's: not deleted, and a folder not entered
                continue;
            }
            if (!S_ISDIR(st.st_mode)) {
                if (const int result = deleteNonFolder(folder, name, st); result != 0) {
                    failure = result;
                }
                continue;
            }
        }
        if (entry.type == DT_DIR) {
            subfolders.push_back(entry);
        } else if (const int result = deleteListedNonFolder(folder, name, entry.type, entry.inode);
                   result != 0) {
            failure = result;
        }
    }

    // Every subfolder is worked on, whatever happened in the ones before it.
    const std::size_t pathLength = path.size();
    for (const ListedEntry& listed : subfolders) {
        const char* name = names.data() + listed.nameOffset;
        path.append("/").append(name);
        const int result = cleanSubfolder(folder, name, listed.inode, path, removeSubfolders, depth);
        path.resize(pathLength);
        if (result != 0) {
            failure = result;
        }
    }
    return failure;
}

int SafeDeleter::cleanSubfolder(FolderState& parent, const char* name, ino_t inode, std::string& path,
                                bool removeSubfolders, int depth) {
    if (mounts_.IsMountPoint(path)) {
        return EXDEV; // another file system: passed by without being opened
    }
    if (depth >= kMaxDepth) {
        return ENAMETOOLONG;
    }
    FolderState child;
    int result = enterSubfolder(parent, name, parent.device, inode, child);
    if (result == ENOENT) {
        return 0;
    }
    if (result == 0 && rules_.onlyOwnedByUser && child.owner != user_) {
        return EPERM;
    }
    if (result == 0) {
        result = emptyFolder(child, path, removeSubfolders, depth + 1);
    }
    if (result == 0 && removeSubfolders) {
        if (inUse_.Contains(child.device, child.inode)) {
            return EBUSY; // a working directory, a root or an open folder of a process
        }
        result = unlinkWithRetry(parent, name, AT_REMOVEDIR);
        child.removed = result == 0;
    }
    return result;
}

std::string SafeDeleter::openRoot(const std::string& Folder, FolderState& root, std::string& path) {
    const std::string normalized = NormalizedFolderName(Folder);
    if (normalized.empty() || openCleanRoot(normalized, root, &path) != 0) {
        return {};
    }
    prepare(root);
    return normalized;
}

int SafeDeleter::DeleteFolderTree(std::string Folder, const std::string& RootFolder) {
    FolderState root;
    std::string path;
    const std::string normalized = openRoot(Folder, root, path);
    if (normalized.empty()) {
        return -1;
    }
    const int failure = emptyFolder(root, path, true, 0);
    if (failure != 0 || normalized == NormalizedFolderName(RootFolder)) {
        return failure;
    }
    if (rules_.onlyOwnedByUser && root.owner != user_) {
        return EPERM;
    }
    if (inUse_.Contains(root.device, root.inode)) {
        return EBUSY;
    }

    // Remove the emptied folder itself, through its parent, and only when the name still
    // stands for the folder that was emptied.
    const auto slash = normalized.rfind('/');
    const std::string parentName = slash == 0 ? std::string("/") : normalized.substr(0, slash);
    const std::string baseName = normalized.substr(slash + 1);
    if (isDotOrDotDot(baseName.c_str())) {
        return 0;
    }
    FolderState parent;
    parent.fd = ::open(parentName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent.fd < 0 || !parent.describe()) {
        return errno != 0 ? errno : EIO;
    }
    struct stat current {};
    if (::fstatat(parent.fd, baseName.c_str(), &current, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    if (!S_ISDIR(current.st_mode) || current.st_dev != root.device || current.st_ino != root.inode) {
        return ESTALE;
    }
    const int result = unlinkWithRetry(parent, baseName.c_str(), AT_REMOVEDIR);
    root.removed = result == 0;
    return result;
}

int SafeDeleter::DeleteFilesBelow(const std::string& Folder) {
    FolderState root;
    std::string path;
    if (openRoot(Folder, root, path).empty()) {
        return -1;
    }
    return emptyFolder(root, path, false, 0);
}

void SafeDeleter::prepare(const FolderState& root) {
    listingMatchesStat_ = listingMatchesStat(root.fd);
    mounts_ = MountTable::Read();
}

int SafeDeleter::DeleteFileBelow(const std::string& Folder, const std::string& Path) {
    const std::string normalized = NormalizedFolderName(Folder);
    if (normalized.empty()) {
        return -1;
    }
    const std::string prefix = normalized + "/";
    if (Path.size() <= prefix.size() || Path.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    std::vector<std::string> parts;
    for (std::size_t start = prefix.size(); start <= Path.size();) {
        std::size_t end = Path.find('/', start);
        if (end == std::string::npos) {
            end = Path.size();
        }
        parts.push_back(Path.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& part : parts) {
        if (part.empty() || isDotOrDotDot(part.c_str())) {
            return -1;
        }
    }

    std::vector<std::unique_ptr<FolderState>> chain;
    chain.push_back(std::make_unique<FolderState>());
    if (openCleanRoot(normalized, *chain.back()) != 0) {
        return -1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        FolderState& parent = *chain.back();
        struct stat listed {};
        if (::fstatat(parent.fd, parts[i].c_str(), &listed, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISDIR(listed.st_mode)) {
            return ENOTDIR; // a link or a file where a folder was listed: not followed
        }
        if (rules_.onlyOwnedByUser && listed.st_uid != user_) {
            return EPERM;
        }
        chain.push_back(std::make_unique<FolderState>());
        if (const int result =
                enterSubfolder(parent, parts[i].c_str(), listed.st_dev, listed.st_ino, *chain.back());
            result != 0) {
            return result == ENOENT ? 0 : result;
        }
    }
    FolderState& folder = *chain.back();
    struct stat st {};
    if (::fstatat(folder.fd, parts.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    if (S_ISDIR(st.st_mode)) {
        return EISDIR;
    }
    if (inUse_.ContainsPath(Path)) {
        return EBUSY;
    }
    return deleteNonFolder(folder, parts.back().c_str(), st);
}

} // namespace tidorax

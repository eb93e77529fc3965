// The deleter's work on a folder's entries: deciding what each is, deleting files,
// links and special files by the rules, and entering a subfolder safely.
#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/SafeDeleterState.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax {

namespace {

bool isSpecialFile(mode_t mode) {
    return S_ISSOCK(mode) || S_ISFIFO(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

bool isSpecialType(unsigned char type) {
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

} // namespace

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

// Opens again the folder that was left for child: through the child's "..", and only
// when that is still the same folder (not moved away or replaced meanwhile).
int SafeDeleter::reopenParent(const FolderState& child, FolderState& parent) const {
    const int fd = ::openat(child.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    FolderDescription found;
    if (!DescribeFolder(fd, found) || found.device != parent.device || found.inode != parent.inode) {
        ::close(fd);
        return ESTALE;
    }
    parent.fd = fd;
    return 0;
}

int SafeDeleter::unlinkWithRetry(FolderState& folder, int fd, const char* name, int flags) {
    if (::unlinkat(fd, name, flags) == 0) {
        return 0;
    }
    int error = errno;
    // A folder that its owner may not write to keeps its entries; make it writable, once.
    if (error == EACCES || error == EPERM) {
        const std::lock_guard<std::mutex> lock(writableMutex_);
        if (!folder.madeWritable && folder.owner == user_ && (folder.mode & S_IWUSR) == 0 &&
            ::fchmod(fd, (folder.mode & 07777) | S_IWUSR) == 0) {
            folder.madeWritable = true;
            folder.modeBefore = folder.mode;
            folder.mode |= S_IWUSR;
        }
        if (folder.madeWritable) {
            if (::unlinkat(fd, name, flags) == 0) {
                return 0;
            }
            error = errno;
        }
    }
    return error == ENOENT ? 0 : error;
}

int SafeDeleter::deleteNonFolder(FolderState& folder, int fd, const char* name, const struct stat& st) {
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
    return unlinkWithRetry(folder, fd, name, 0);
}

int SafeDeleter::deleteListedNonFolder(FolderState& folder, int fd, const char* name, unsigned char type,
                                       ino_t inode) {
    if (isSpecialType(type)) {
        return EBUSY;
    }
    if (type == DT_REG && inUse_.Contains(folder.device, inode)) {
        return EBUSY;
    }
    // A file mounted over this name is refused by the system itself (EBUSY).
    return unlinkWithRetry(folder, fd, name, 0);
}

bool SafeDeleter::ownerDecidedBySystem(const FolderState& folder) const {
    return listingMatchesStat_ && !overridesStickyFolders_ && (folder.mode & S_ISVTX) != 0 &&
           folder.owner != user_;
}

bool SafeDeleter::selected(const std::string& path, const char* name) const {
    if (selectFile_ == nullptr || !*selectFile_) {
        return true;
    }
    thread_local std::string relative;
    relative.clear();
    if (path.size() > rootPathLength_) {
        relative.append(path, rootPathLength_ + 1).push_back('/');
    }
    return (*selectFile_)(relative.append(name));
}

void SafeDeleter::deleteEntries(FolderState& folder, const std::string& path, const std::string& names,
                                ListedEntry* begin, ListedEntry* end, EntryPass& pass) {
    const auto note = [this, &pass, &path](const char* name, int result) {
        if (result == 0) {
            ++pass.deleted;
        } else {
            pass.failure = fail(path, name, result);
        }
    };
    for (ListedEntry* entry = begin; entry != end; ++entry) {
        const char* name = names.data() + entry->nameOffset;
        if (entry->type != DT_DIR && entry->type != DT_UNKNOWN) {
            ++pass.found;
            if (!selected(path, name)) {
                continue;
            }
        }
        if (inUse_.HasPaths() && entry->type != DT_DIR && inUse_.ContainsPath(path + "/" + name)) {
            pass.failure = fail(path, name, EBUSY); // backs a loop device
            continue;
        }
        // The listing says what the entry is; a stat is made only where it cannot, or
        // where the owner decides and the system does not decide it by itself.
        const bool ownerToBeSeen = rules_.onlyOwnedByUser && (entry->type == DT_DIR || !folder.ownerBySystem);
        if (entry->type == DT_UNKNOWN || !listingMatchesStat_ || ownerToBeSeen) {
            struct stat st {};
            if (::fstatat(pass.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) {
                    pass.failure = fail(path, name, errno);
                }
                continue;
            }
            const bool wasUnknown = entry->type == DT_UNKNOWN;
            entry->inode = st.st_ino;
            entry->type = IFTODT(st.st_mode);
            if (wasUnknown && !S_ISDIR(st.st_mode)) {
                ++pass.found;
                if (!selected(path, name)) {
                    continue;
                }
            }
            if (rules_.onlyOwnedByUser && st.st_uid != user_) {
                pass.failure =
                    fail(path, name, EPERM); // another user's: not deleted, and a folder not entered
                continue;
            }
            if (!S_ISDIR(st.st_mode)) {
                note(name, deleteNonFolder(folder, pass.fd, name, st));
                continue;
            }
        }
        if (entry->type == DT_DIR) {
            pass.subfolders.push_back(*entry);
        } else {
            note(name, deleteListedNonFolder(folder, pass.fd, name, entry->type, entry->inode));
        }
    }
}

} // namespace tidorax

#include "core/cleaning/FileWalk.h"

#include "core/cleaning/MountTable.h"
#include "core/cleaning/SafeDeleter.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace tidorax {

std::string AddBackslash(const std::string& Path) {
    if (!Path.empty() && Path.back() == '/') {
        return Path;
    }
    return Path + "/";
}

namespace {

// Entries are read with getdents64 into one shared buffer; it always holds entries of
// the innermost open folder. When the walk enters a subfolder, the parent's unread
// entries move into the parent's own pending bytes, so a deep chain of folders costs
// only what is really left unread at each level.
constexpr std::size_t kReadBufferSize = 64 * 1024;

struct OpenFolder {
    int fd;
    std::size_t pathLength; // length of the folder's path text, "/" included
    std::vector<char> pending;
    std::size_t pendingPos;
};

struct OpenFolderStack {
    std::vector<OpenFolder> folders;
    OpenFolderStack() = default;
    OpenFolderStack(const OpenFolderStack&) = delete;
    OpenFolderStack& operator=(const OpenFolderStack&) = delete;
    ~OpenFolderStack() {
        for (const OpenFolder& folder : folders) {
            ::close(folder.fd);
        }
    }
};

struct FolderIdentity {
    dev_t device = 0;
    bool mountRoot = false;
};

bool identify(int fd, FolderIdentity& identity) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE, &sx) == 0) {
        identity.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        identity.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                             (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        return true;
    }
#endif
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return false;
    }
    identity.device = st.st_dev;
    identity.mountRoot = false;
    return true;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

namespace {

// Calls onFile(folder path, name, name length) for every file below Folder.
template <typename OnFile> void walk(const std::string& Folder, OnFile onFile) {
    const int startFd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (startFd < 0) {
        return;
    }
    OpenFolderStack stack;
    stack.folders.push_back(OpenFolder{startFd, Folder.size(), {}, 0});
    FolderIdentity start;
    if (!identify(startFd, start)) {
        return;
    }

    const MountTable mounts = MountTable::Read();
    std::vector<char> buffer(kReadBufferSize);
    std::size_t bufferPos = 0;
    std::size_t bufferLength = 0;
    std::string path = Folder;

    while (!stack.folders.empty()) {
        OpenFolder& folder = stack.folders.back();
        if (!folder.pending.empty() && folder.pendingPos >= folder.pending.size()) {
            folder.pending.clear();
            folder.pendingPos = 0;
        }
        const char* record = nullptr;
        if (folder.pendingPos < folder.pending.size()) {
            record = folder.pending.data() + folder.pendingPos;
            folder.pendingPos += reinterpret_cast<const struct dirent64*>(record)->d_reclen;
        } else if (bufferPos < bufferLength) {
            record = buffer.data() + bufferPos;
            bufferPos += reinterpret_cast<const struct dirent64*>(record)->d_reclen;
        } else {
            const ssize_t got = ::getdents64(folder.fd, buffer.data(), buffer.size());
            if (got <= 0) {
                // End of the folder, or a read error: either way the folder is done.
                ::close(folder.fd);
                stack.folders.pop_back();
                if (!stack.folders.empty()) {
                    path.resize(stack.folders.back().pathLength);
                }
                bufferPos = 0;
                bufferLength = 0;
                continue;
            }
            bufferPos = 0;
            bufferLength = static_cast<std::size_t>(got);
            continue;
        }

        const auto* entry = reinterpret_cast<const struct dirent64*>(record);
        const char* name = entry->d_name;
        if (isDotOrDotDot(name)) {
            continue;
        }
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(folder.fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
            } else if (errno == ENOENT) {
                continue; // gone since the folder was read
            } else {
                type = DT_REG; // the system named it; list it as a file
            }
        }

        if (type == DT_DIR) {
            if (name[0] == '.') {
                continue;
            }
            if (!mounts.Empty() && mounts.IsMountPoint(path + name)) {
                continue; // another file system, known without opening it
            }
            // O_NOFOLLOW: a folder swapped for a symbolic link since it was read is not entered.
            // When no descriptor is left (EMFILE), the subfolder is simply not entered.
            const int childFd = ::openat(folder.fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0) {
                continue;
            }
            FolderIdentity child;
            if (!identify(childFd, child) || child.device != start.device || child.mountRoot) {
                ::close(childFd); // another mounted filesystem: neither entered nor listed
                continue;
            }
            try {
                if (bufferPos < bufferLength) {
                    folder.pending.assign(buffer.data() + bufferPos, buffer.data() + bufferLength);
                    folder.pendingPos = 0;
                }
                path.append(name).push_back('/');
                stack.folders.push_back(OpenFolder{childFd, path.size(), {}, 0});
            } catch (...) {
                ::close(childFd); // out of memory: the stack closes the others
                throw;
            }
            bufferPos = 0;
            bufferLength = 0;
            continue;
        }

        onFile(path, name);
    }
}

} // namespace

void WalkInto(const std::string& Folder, FileList& target) {
    walk(Folder, [&target](const std::string& path, const char* name) {
        // One allocation per entry, made in place.
        const std::size_t nameLength = std::strlen(name);
        std::string& fullPath = target.emplace_back(path.size() + nameLength, '\0');
        char* out = fullPath.data();
        std::memcpy(out, path.data(), path.size());
        std::memcpy(out + path.size(), name, nameLength);
    });
}

std::size_t CountFilesBelow(const std::string& Folder) {
    std::size_t files = 0;
    if (SafeDeleter::IsCleanableFolder(Folder)) {
        walk(AddBackslash(Folder), [&files](const std::string&, const char*) { ++files; });
    }
    return files;
}

FileList ListFilesBelow(const std::string& Folder) {
    FileList files;
    if (SafeDeleter::IsCleanableFolder(Folder)) {
        WalkInto(AddBackslash(Folder), files);
    }
    return files;
}

} // namespace tidorax

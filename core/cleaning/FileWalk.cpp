#include "core/cleaning/FileWalk.h"

#include "core/cleaning/MountTable.h"
#include "core/cleaning/SafeFolder.h"

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

// The first folder's descriptor is borrowed from the SafeFolder the walk starts in.
struct OpenFolderStack {
    std::vector<OpenFolder> folders;
    OpenFolderStack() = default;
    OpenFolderStack(const OpenFolderStack&) = delete;
    OpenFolderStack& operator=(const OpenFolderStack&) = delete;
    ~OpenFolderStack() {
        for (std::size_t i = 1; i < folders.size(); ++i) {
            ::close(folders[i].fd);
        }
    }
    void pop() {
        if (folders.size() > 1) {
            ::close(folders.back().fd);
        }
        folders.pop_back();
    }
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

namespace {

// Calls onFile(folder path, name) for every file below the open folder; the paths
// begin with Folder (which ends with "/").
template <typename OnFile> void walk(const SafeFolder& root, const std::string& Folder, OnFile onFile) {
    if (!root.isOpen() || ::lseek(root.fd(), 0, SEEK_SET) != 0) {
        return;
    }
    OpenFolderStack stack;
    stack.folders.push_back(OpenFolder{root.fd(), Folder.size(), {}, 0});
    const FolderDescription& start = root.description();

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
                stack.pop();
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
            FolderDescription child;
            if (!DescribeFolder(childFd, child) || child.device != start.device || child.mountRoot) {
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

FileList ListFilesBelow(const SafeFolder& folder, const std::string& Folder) {
    FileList files;
    walk(folder, AddBackslash(Folder), [&files](const std::string& path, const char* name) {
        // One allocation per entry, made in place.
        const std::size_t nameLength = std::strlen(name);
        std::string& fullPath = files.emplace_back(path.size() + nameLength, '\0');
        char* out = fullPath.data();
        std::memcpy(out, path.data(), path.size());
        std::memcpy(out + path.size(), name, nameLength);
    });
    return files;
}

std::size_t CountFilesBelow(const SafeFolder& folder) {
    std::size_t files = 0;
    walk(folder, AddBackslash(folder.path()), [&files](const std::string&, const char*) { ++files; });
    return files;
}

FileList ListFilesBelow(const std::string& Folder) {
    // Listing is harmless anywhere but at the root, whose listing would be the whole
    // system.
    static const ProtectedIdentities rootOnly(
        std::vector<ProtectedFolder>{{"/", "the root of the file system"}});
    return ListFilesBelow(SafeFolder::Open(Folder, rootOnly), Folder);
}

} // namespace tidorax

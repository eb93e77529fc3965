#include "core/cleaning/FileWalk.h"

#include "core/cleaning/FolderEntries.h"
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

std::string AddTrailingSlash(const std::string& Path) {
    if (!Path.empty() && Path.back() == '/') {
        return Path;
    }
    return Path + "/";
}

namespace {

// Entries are read in blocks of this size, into one buffer per thread: each folder is
// read to its end before its subfolders are gone into.
constexpr std::size_t kReadBufferSize = 64 * 1024;

// A walk through the folders below an open folder: each folder's entries are read whole
// (the same reading the deleter makes), its files given, then its subfolders walked,
// one open descriptor per level.
class FolderWalk {
public:
    explicit FolderWalk(const FolderDescription& start) : start_(start) {}

    // Calls onFile(folder path, name) for every file below the open folder fd, whose
    // path (ending with "/") is path.
    template <typename OnFile> void run(int fd, std::string& path, OnFile& onFile) {
        thread_local std::vector<char> buffer(kReadBufferSize);
        std::string subfolders; // names, each ended by a zero
        ForEachFolderEntry(fd, buffer, [&](const dirent64& entry) {
            const unsigned char type = typeOf(fd, entry);
            if (type == DT_DIR) {
                subfolders.append(entry.d_name).push_back('\0');
            } else if (type != DT_UNKNOWN) {
                onFile(path, entry.d_name);
            }
        });
        const std::size_t length = path.size();
        for (std::size_t at = 0; at < subfolders.size(); at = subfolders.find('\0', at) + 1) {
            const char* name = subfolders.c_str() + at;
            const int child = enter(fd, path, name);
            if (child >= 0) {
                path.append(name).push_back('/');
                run(child, path, onFile);
                path.resize(length);
                ::close(child);
            }
        }
    }

private:
    // What the entry is: a folder, a file (anything else), or DT_UNKNOWN when it is gone.
    static unsigned char typeOf(int folderFd, const dirent64& entry) {
        if (entry.d_type != DT_UNKNOWN) {
            return entry.d_type == DT_DIR ? DT_DIR : DT_REG;
        }
        struct stat st {};
        if (::fstatat(folderFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            return S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        return errno == ENOENT ? DT_UNKNOWN : DT_REG; // the system named it; listed as a file
    }

    // Opens a subfolder to walk it, unless it is hidden (its name begins with "."), a
    // mount point, or no longer a folder of this file system: its descriptor, else -1.
    int enter(int folderFd, const std::string& path, const char* name) const {
        if (name[0] == '.' || (!mounts_.Empty() && mounts_.IsMountPoint(path + name))) {
            return -1; // another file system is known without being opened
        }
        // O_NOFOLLOW: a folder swapped for a symbolic link since it was read is not entered.
        // When no descriptor is left (EMFILE), the subfolder is simply not entered.
        const int child = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        FolderDescription found;
        if (child >= 0 &&
            (!DescribeFolder(child, found) || found.device != start_.device || found.mountRoot)) {
            ::close(child); // another mounted file system: neither entered nor listed
            return -1;
        }
        return child;
    }

    const FolderDescription start_;
    const MountTable mounts_ = MountTable::Read();
};

template <typename OnFile> void walk(const SafeFolder& root, const std::string& Folder, OnFile onFile) {
    if (root.isOpen() && root.Rewind()) {
        std::string path = Folder;
        FolderWalk(root.description()).run(root.fd(), path, onFile);
    }
}

} // namespace

FileList ListFilesBelow(const SafeFolder& folder, const std::string& Folder) {
    FileList files;
    walk(folder, AddTrailingSlash(Folder), [&files](const std::string& path, const char* name) {
        // One allocation per entry, made in place.
        const std::size_t nameLength = std::strlen(name);
        std::string& fullPath = files.emplace_back(path.size() + nameLength, '\0');
        char* out = fullPath.data();
        std::memcpy(out, path.data(), path.size());
        std::memcpy(out + path.size(), name, nameLength);
    });
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

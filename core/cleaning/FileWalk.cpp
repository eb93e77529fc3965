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

std::string AddTrailingSlash(const std::string& Path) {
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

// A walk through the folders below an open folder, one open descriptor per level.
class FolderWalk {
public:
    // Paths begin with Folder (which ends with "/").
    FolderWalk(const SafeFolder& root, const std::string& Folder)
        : start_(root.description()), buffer_(kReadBufferSize), path_(Folder) {
        if (root.isOpen() && root.Rewind()) {
            stack_.folders.push_back(OpenFolder{root.fd(), Folder.size(), {}, 0});
        }
    }

    // Calls onFile(folder path, name) for every file below the folder.
    template <typename OnFile> void run(OnFile onFile) {
        while (const dirent64* entry = next()) {
            OpenFolder& folder = stack_.folders.back();
            const char* name = entry->d_name;
            if (isDotOrDotDot(name)) {
                continue;
            }
            const unsigned char type = typeOf(folder.fd, entry);
            if (type == DT_DIR) {
                enter(folder, name);
            } else if (type != DT_UNKNOWN) {
                onFile(path_, name);
            }
        }
    }

private:
    // The next entry of the innermost open folder, going back up as folders end;
    // nullptr when the walk is over.
    const dirent64* next() {
        while (!stack_.folders.empty()) {
            OpenFolder& folder = stack_.folders.back();
            if (folder.pendingPos < folder.pending.size()) {
                const auto* entry =
                    reinterpret_cast<const dirent64*>(folder.pending.data() + folder.pendingPos);
                folder.pendingPos += entry->d_reclen;
                return entry;
            }
            folder.pending.clear();
            folder.pendingPos = 0;
            if (bufferPos_ < bufferLength_) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer_.data() + bufferPos_);
                bufferPos_ += entry->d_reclen;
                return entry;
            }
            const ssize_t got = ::getdents64(folder.fd, buffer_.data(), buffer_.size());
            bufferPos_ = 0;
            bufferLength_ = got > 0 ? static_cast<std::size_t>(got) : 0;
            if (got <= 0) {
                // End of the folder, or a read error: either way the folder is done.
                stack_.pop();
                if (!stack_.folders.empty()) {
                    path_.resize(stack_.folders.back().pathLength);
                }
            }
        }
        return nullptr;
    }

    // What the entry is: a folder, a file (anything else), or DT_UNKNOWN when it is gone.
    static unsigned char typeOf(int folderFd, const dirent64* entry) {
        if (entry->d_type != DT_UNKNOWN) {
            return entry->d_type == DT_DIR ? DT_DIR : DT_REG;
        }
        struct stat st {};
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            return S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        return errno == ENOENT ? DT_UNKNOWN : DT_REG; // the system named it; listed as a file
    }

    // Goes into a subfolder unless it is hidden (its name begins with "."), a mount
    // point, or no longer a folder of this file system.
    void enter(OpenFolder& folder, const char* name) {
        if (name[0] == '.' || (!mounts_.Empty() && mounts_.IsMountPoint(path_ + name))) {
            return; // another file system is known without being opened
        }
        // O_NOFOLLOW: a folder swapped for a symbolic link since it was read is not entered.
        // When no descriptor is left (EMFILE), the subfolder is simply not entered.
        const int childFd = ::openat(folder.fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (childFd < 0) {
            return;
        }
        FolderDescription child;
        if (!DescribeFolder(childFd, child) || child.device != start_.device || child.mountRoot) {
            ::close(childFd); // another mounted filesystem: neither entered nor listed
            return;
        }
        try {
            if (bufferPos_ < bufferLength_) {
                folder.pending.assign(buffer_.data() + bufferPos_, buffer_.data() + bufferLength_);
                folder.pendingPos = 0;
            }
            path_.append(name).push_back('/');
            stack_.folders.push_back(OpenFolder{childFd, path_.size(), {}, 0});
        } catch (...) {
            ::close(childFd); // out of memory: the stack closes the others
            throw;
        }
        bufferPos_ = 0;
        bufferLength_ = 0;
    }

    const FolderDescription start_;
    const MountTable mounts_ = MountTable::Read();
    OpenFolderStack stack_;
    std::vector<char> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferLength_ = 0;
    std::string path_;
};

} // namespace

FileList ListFilesBelow(const SafeFolder& folder, const std::string& Folder) {
    FileList files;
    FolderWalk(folder, AddTrailingSlash(Folder)).run([&files](const std::string& path, const char* name) {
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
    FolderWalk(folder, AddTrailingSlash(folder.path())).run([&files](const std::string&, const char*) {
        ++files;
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

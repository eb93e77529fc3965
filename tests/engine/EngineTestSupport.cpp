#include "tests/engine/EngineTestSupport.h"

#include "tests/support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tidorax::test {

namespace {

void collect(const std::string& root, const std::string& relative,
             std::map<std::string, std::string>& entries) {
    const std::string folder = relative.empty() ? root : root + "/" + relative;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        const std::string full = root + "/" + rel;
        struct stat st {};
        if (::lstat(full.c_str(), &st) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            entries[rel] = "d";
            collect(root, rel, entries);
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(full.c_str(), target, sizeof target);
            entries[rel] = "l->" + std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
        } else if (S_ISSOCK(st.st_mode)) {
            entries[rel] = "s";
        } else if (S_ISFIFO(st.st_mode)) {
            entries[rel] = "p";
        } else {
            entries[rel] = "f:" + readFile(full);
        }
    }
}

} // namespace

std::map<std::string, std::string> treeEntries(const std::string& root) {
    std::map<std::string, std::string> entries;
    collect(root, "", entries);
    return entries;
}

ChildHoldingFile::ChildHoldingFile(const std::string& path, Hold hold) {
    int ready[2];
    int release[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return;
    }
    if (::pipe2(release, O_CLOEXEC) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(ready[0]);
        ::close(release[1]);
        char answer = 'n';
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            answer = 'y';
            if (hold == Hold::MappedOnly) {
                void* map = ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0);
                ::close(fd);
                answer = map == MAP_FAILED ? 'n' : 'y';
            }
        }
        (void)!::write(ready[1], &answer, 1);
        char byte = 0;
        (void)!::read(release[0], &byte, 1); // until the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char answer = 'n';
    if (pid_ > 0 && ::read(ready[0], &answer, 1) == 1) {
        holding_ = answer == 'y';
    }
    ::close(ready[0]);
}

ChildHoldingFile::~ChildHoldingFile() {
    if (release_ >= 0) {
        ::close(release_);
    }
    if (pid_ > 0) {
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

int runAsNobody(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(126);
        }
        ::_exit(work());
    }
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) >= 126) {
        return -1;
    }
    return WEXITSTATUS(status);
}

void chownTree(const std::string& root, uid_t uid, gid_t gid) {
    ::lchown(root.c_str(), uid, gid);
    for (const auto& [relative, kind] : treeEntries(root)) {
        ::lchown((root + "/" + relative).c_str(), uid, gid);
    }
}

bool makeSocketFile(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd); // the socket file stays after its socket is closed
    return bound;
}

} // namespace tidorax::test

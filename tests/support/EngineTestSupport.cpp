#include "tests/support/EngineTestSupport.h"

#include "core/settings/RegistryAccess.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tidorax::test {

namespace fs = std::filesystem;

Tree treeEntries(const std::string& root) {
    static const std::map<fs::file_type, std::string> kinds = {
        {fs::file_type::directory, "d"}, {fs::file_type::socket, "s"}, {fs::file_type::fifo, "p"}};
    Tree entries;
    const std::size_t prefix = root.size() + (root.ends_with('/') ? 0 : 1);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        std::string& entry = entries[path.substr(prefix)];
        std::error_code entryError; // a failure here must not end the walk
        const fs::file_type type = it->symlink_status(entryError).type();
        if (type == fs::file_type::symlink) {
            entry = "l->" + fs::read_symlink(path, entryError).string();
        } else if (const auto kind = kinds.find(type); kind != kinds.end()) {
            entry = kind->second;
        } else {
            entry = "f:" + readFile(path);
        }
    }
    return entries;
}

FileList sorted(FileList list) {
    std::sort(list.begin(), list.end());
    return list;
}

FileList below(const std::string& folder, FileList names) {
    for (std::string& name : names) {
        name = folder + (folder.ends_with('/') ? "" : "/") + name;
    }
    return sorted(std::move(names));
}

ChildHoldingFile::ChildHoldingFile(const std::string& path, Hold hold) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        bool held = fd >= 0;
        if (held && hold == Hold::MappedOnly) {
            held = ::mmap(nullptr, 1, PROT_READ, MAP_SHARED, fd, 0) != MAP_FAILED;
            ::close(fd);
        }
        (void)!::write(ready[1], held ? "y" : "n", 1);
        for (;;) {
            ::pause(); // until the parent kills it
        }
    }
    ::close(ready[1]);
    char answer = 'n';
    holding_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
}

ChildHoldingFile::~ChildHoldingFile() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

ChildOutcome runInChild(const std::function<int(FileList&)>& work, bool asNobody) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(126);
        }
        FileList list;
        const int code = work(list);
        std::string out;
        for (const std::string& entry : list) {
            out += entry + '\0';
        }
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::_exit(code);
    }
    ::close(fds[1]);
    std::string in;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fds[0], chunk, sizeof chunk)) > 0;) {
        in.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    ChildOutcome outcome;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.code = WEXITSTATUS(status);
    }
    for (std::size_t pos = 0; pos < in.size();) {
        const std::size_t end = in.find('\0', pos);
        outcome.list.push_back(in.substr(pos, end - pos));
        pos = end + 1;
    }
    return outcome;
}

bool mountTmpfsAndBind(const std::string& tmpfsAt, const std::string& bindSource, const std::string& bindAt) {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tidorax-test", tmpfsAt.c_str(), "tmpfs", 0, "size=1m") == 0 &&
           ::mount(bindSource.c_str(), bindAt.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

void chownTree(const std::string& root, uid_t uid, gid_t gid) {
    ::lchown(root.c_str(), uid, gid);
    for (const auto& [relative, kind] : treeEntries(root)) {
        ::lchown((root + "/" + relative).c_str(), uid, gid);
    }
}

bool setCookiesFolder(const std::string& folder) {
    return RegistryAccess::SetRegValue(
               "HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
               "Cookies", "S", folder) == 0;
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

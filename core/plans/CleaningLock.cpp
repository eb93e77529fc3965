#include "core/plans/CleaningLock.h"

#include "platform/Platform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tidorax {

std::string CleaningLock::LockPath() {
    const std::string runtime = platform().environment("XDG_RUNTIME_DIR").value_or("");
    if (!runtime.empty() && runtime.front() == '/') {
        return runtime + "/tidorax-clean.lock";
    }
    const std::string hive = platform().registry().path();
    const std::size_t slash = hive.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string()
                                                    : hive.substr(0, slash) + "/tidorax-clean.lock";
}

CleaningLock::CleaningLock(const std::function<void()>& onWait) {
    const std::string path = LockPath();
    if (path.empty()) {
        return;
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        return;
    }
    if (onWait) {
        onWait();
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

CleaningLock::~CleaningLock() {
    if (fd_ >= 0) {
        ::close(fd_); // releases the lock
    }
}

} // namespace tidorax

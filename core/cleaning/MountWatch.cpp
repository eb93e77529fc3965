#include "core/cleaning/MountWatch.h"

#include "core/cleaning/ProcText.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tidorax {

MountWatch::MountWatch() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0) {
        table_ = MountTable::Parse(proc::ReadRest(fd_));
    }
}

MountWatch::~MountWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool MountWatch::IsMountPoint(const std::string& path) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (fd_ >= 0) {
        pollfd changed{fd_, POLLPRI, 0};
        if (::poll(&changed, 1, 0) > 0 && (changed.revents & (POLLPRI | POLLERR)) != 0) {
            // Reading it again from its start clears the mark.
            table_ = ::lseek(fd_, 0, SEEK_SET) == 0 ? MountTable::Parse(proc::ReadRest(fd_)) : MountTable();
        }
    }
    return table_.IsMountPoint(path);
}

} // namespace tidorax

// The mounts of this process, kept up to date while a clean runs. The kernel marks the
// open mountinfo file whenever the mounts change; the table is then read again, so that
// a file system mounted below a folder while it is cleaned is passed by, without being
// touched, like one that was there from the start (a mount that stopped answering would
// hold the clean for ever once entered).
#pragma once

#include "core/cleaning/MountTable.h"

#include <mutex>
#include <string>

namespace tidorax {

class MountWatch {
public:
    MountWatch();
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    // True when Path (absolute, no trailing "/") is a mount point now. Safe from any
    // thread.
    bool IsMountPoint(const std::string& path);

private:
    int fd_ = -1;
    std::mutex mutex_;
    MountTable table_;
};

} // namespace tidorax

// One clean at a time for a user: the tray, the options window and the silent run at
// log-on all take this lock before they read what to clean, and keep it until what the
// settings keep from the clean is stored. A second clean waits for the first to end.
#pragma once

#include <functional>
#include <string>

namespace tidorax {

class CleaningLock {
public:
    // Takes the lock, waiting while another clean holds it; onWait (when given) is called
    // once before waiting. Without a place for the lock file the clean runs unlocked.
    explicit CleaningLock(const std::function<void()>& onWait = {});
    ~CleaningLock();
    CleaningLock(const CleaningLock&) = delete;
    CleaningLock& operator=(const CleaningLock&) = delete;

    bool held() const { return fd_ >= 0; }

    // The lock file: "tidorax-clean.lock" in $XDG_RUNTIME_DIR, else beside the settings
    // store; "" when neither is known.
    static std::string LockPath();

private:
    int fd_ = -1;
};

} // namespace tidorax

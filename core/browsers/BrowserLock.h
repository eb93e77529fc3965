// Whether a browser runs with a profile, from the link it holds while it runs: Mozilla's
// "lock" ("IP:+PID") and Chromium's "SingletonLock" ("HOSTNAME-PID"). A link left by a
// browser that ended (its process is gone) does not count.
#pragma once

#include "core/browsers/BrowserTable.h"

#include <string>

namespace tidorax {

// True when the link names a process that is alive, or a Chromium lock taken on another
// computer (which cannot be told from here). False when there is no link or it names no
// live process.
bool BrowserLockHeld(const std::string& lockLink, BrowserFamily family);

} // namespace tidorax

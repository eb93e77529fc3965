#include "core/browsers/BrowserLock.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace tidorax {

namespace {

// The process id that ends the link's text after separator; 0 when there is none.
pid_t processAfter(const std::string& text, char separator) {
    const std::size_t at = text.rfind(separator);
    if (at == std::string::npos || at + 1 >= text.size()) {
        return 0;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str() + at + 1, &end, 10);
    return *end == '\0' && value > 0 && value <= INT_MAX ? static_cast<pid_t>(value) : 0;
}

bool alive(pid_t process) {
    return process > 0 && (::kill(process, 0) == 0 || errno == EPERM);
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

} // namespace

bool BrowserLockHeld(const std::string& lockLink, BrowserFamily family) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(lockLink.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return false;
    }
    const std::string text(target, static_cast<std::size_t>(length));
    if (family == BrowserFamily::Mozilla) {
        return alive(processAfter(text, '+'));
    }
    const std::size_t dash = text.rfind('-');
    if (dash == std::string::npos || text.compare(0, dash, hostName()) != 0) {
        return true; // another computer's browser: it may well run
    }
    return alive(processAfter(text, '-'));
}

} // namespace tidorax

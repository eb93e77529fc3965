// Hands a web address or a local document to the desktop's default browser.
#pragma once

#include <QUrl>

namespace tidorax {

class BrowserLauncher {
public:
    // True when the desktop took the address; false when no browser could be started.
    static bool open(const QUrl& address);
};

} // namespace tidorax

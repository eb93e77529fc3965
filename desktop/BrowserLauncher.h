// Hands a web address or a local document to the desktop's default browser. A test
// may install its own launcher, so that nothing is started.
#pragma once

#include <QUrl>

#include <functional>

namespace tidorax {

class BrowserLauncher {
public:
    // True when the desktop took the address; false when no browser could be started.
    static bool open(const QUrl& address);
    // An empty function restores the desktop's default browser.
    static void setHandler(std::function<bool(const QUrl&)> handler);
};

} // namespace tidorax

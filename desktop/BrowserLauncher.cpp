#include "desktop/BrowserLauncher.h"

#include <QDesktopServices>

#include <utility>

namespace tidorax {

namespace {

std::function<bool(const QUrl&)>& launcher() {
    static std::function<bool(const QUrl&)> handler;
    return handler;
}

} // namespace

bool BrowserLauncher::open(const QUrl& address) {
    if (launcher()) {
        return launcher()(address);
    }
    return QDesktopServices::openUrl(address);
}

void BrowserLauncher::setHandler(std::function<bool(const QUrl&)> handler) {
    launcher() = std::move(handler);
}

} // namespace tidorax

#include "desktop/BrowserLauncher.h"

#include <QDesktopServices>

namespace tidorax {

bool BrowserLauncher::open(const QUrl& address) {
    return QDesktopServices::openUrl(address);
}

} // namespace tidorax

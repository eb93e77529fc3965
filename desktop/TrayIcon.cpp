#include "desktop/TrayIcon.h"

#include "desktop/TrayIconImage.h"

namespace tidorax {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    icon_.setIcon(TrayIconImage());
    icon_.setToolTip(QStringLiteral("Quillon Tidorax"));
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

int TrayIcon::ShellTrayAdd() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return 0;
    }
    icon_.show();
    return icon_.isVisible() ? 1 : 0;
}

void TrayIcon::ShellTrayRemove() {
    icon_.hide();
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // Trigger is the left button, Context the right one; double clicks, the middle
    // button and anything else do nothing.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context) {
        emit released();
    }
}

} // namespace tidorax

#include "desktop/TrayIcon.h"

#include "desktop/TrayIconImage.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

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

QObject* TrayIcon::trayWindow() {
    if (trayWindow_ == nullptr) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qstrcmp(window->metaObject()->className(), "QSystemTrayIconSys") == 0) {
                trayWindow_ = window;
                break;
            }
        }
    }
    return trayWindow_;
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // Trigger is the left button, Context the right one; double clicks, the middle
    // button and anything else do nothing.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context) {
        return;
    }
    if (QObject* window = trayWindow()) {
        if (!awaitingRelease_) {
            awaitingRelease_ = true;
            window->installEventFilter(this);
        }
        return;
    }
    emit released();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (awaitingRelease_ && watched == trayWindow_ && event->type() == QEvent::MouseButtonRelease) {
        awaitingRelease_ = false;
        trayWindow_->removeEventFilter(this);
        emit released();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tidorax

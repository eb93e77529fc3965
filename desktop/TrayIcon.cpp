#include "desktop/TrayIcon.h"

#include "desktop/StatusNotifierClicks.h"
#include "desktop/TrayIconImage.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace tidorax {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    // A host that reads the icon by name finds it in the installed theme.
    icon_.setIcon(QIcon::fromTheme(QStringLiteral("tidorax"), TrayIconImage()));
    icon_.setToolTip(tr("Quillon Tidorax"));
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
}

int TrayIcon::ShellTrayAdd() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return 0;
    }
    WatchStatusNotifierClicks();
    // A StatusNotifierItem reads its menu as it registers: hand it over first. An X11
    // tray's icon would open it on the button's press: take it back there.
    icon_.setContextMenu(menu_);
    icon_.show();
    if (trayWindow() != nullptr) {
        icon_.setContextMenu(nullptr);
    }
    return icon_.isVisible() ? 1 : 0;
}

void TrayIcon::ShellTrayRemove() {
    icon_.hide();
}

QObject* TrayIcon::trayWindow() {
    if (trayWindow_.isNull()) {
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
    emit released(TakeStatusNotifierClick().value_or(QCursor::pos()));
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (awaitingRelease_ && watched == trayWindow_ && event->type() == QEvent::MouseButtonRelease) {
        awaitingRelease_ = false;
        trayWindow_->removeEventFilter(this);
        emit released(QCursor::pos());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tidorax

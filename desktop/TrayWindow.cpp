#include "desktop/TrayWindow.h"

#include "core/geometry/ScreenMetrics.h"
#include "desktop/ExitProgram.h"
#include "desktop/InputBlocker.h"
#include "desktop/QtScreen.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tidorax {

TrayWindow::TrayWindow(std::function<void()> endProgram)
    : QWidget(nullptr), endProgram_(std::move(endProgram)), trayIcon_(new TrayIcon(this)),
      trayMenu_(new TrayMenu(this)) {
    setObjectName(QStringLiteral("trayWindow"));
    setWindowTitle(tr("Quillon Tidorax"));
    trayIcon_->setMenu(trayMenu_);
    connect(trayIcon_, &TrayIcon::released, this, &TrayWindow::TrayReleasedAt);
}

TrayWindow::~TrayWindow() = default;

void TrayWindow::load() {
    hide();
    trayIcon_->ShellTrayAdd();
}

void TrayWindow::unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    RestoreDefaultMousePointer();
    trayMenu_->close();
    UnloadOtherWindows(this);
    endProgram_();
}

void TrayWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

void TrayWindow::TrayReleased() {
    TrayReleasedAt(QCursor::pos());
}

void TrayWindow::TrayReleasedAt(const QPoint& globalPosition) {
    if (InputBlocker::active() || unloaded_) {
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(globalPosition);
    LastMouseX = std::llround(globalPosition.x() * TwipsPerPixelX(screen));
    trayMenu_->popup(globalPosition);
}

} // namespace tidorax

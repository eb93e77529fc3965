#include "desktop/QtStartupHost.h"

#include "desktop/windows/AlreadyRunningWindow.h"

#include <QApplication>
#include <QWidget>

namespace tidorax {

QtStartupHost::QtStartupHost(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown,
                             QString socketPath)
    : operations_(operations), actions_(actions), shutdown_(shutdown), instance_(std::move(socketPath)) {
    QObject::connect(&instance_, &SingleInstance::activationRequested, &instance_, [this] { comeForward(); });
}

QtStartupHost::~QtStartupHost() = default;

bool QtStartupHost::anotherInstanceRunning() {
    return instance_.anotherInstanceRunning();
}

bool QtStartupHost::activateRunningInstance() {
    return instance_.activateRunningInstance();
}

void QtStartupHost::showAlreadyRunning() {
    AlreadyRunningWindow::instance()->load();
}

void QtStartupHost::loadMainWindow() {
    mainWindow_ = std::make_unique<TrayWindow>(operations_, actions_, shutdown_);
    mainWindow_->load();
}

void QtStartupHost::comeForward() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip) {
            window->raise();
            window->activateWindow();
        }
    }
}

} // namespace tidorax

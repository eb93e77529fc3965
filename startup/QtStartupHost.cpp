#include "startup/QtStartupHost.h"

#include "notices/frmErr.h"

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
    frmErr::instance()->Form_Load();
}

void QtStartupHost::loadMainWindow() {
    mainWindow_ = std::make_unique<Form1>(operations_, actions_, shutdown_);
    mainWindow_->Form_Load();
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

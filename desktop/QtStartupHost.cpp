#include "desktop/QtStartupHost.h"

#include <QApplication>
#include <QWidget>

namespace tidorax {

QtStartupHost::QtStartupHost(TrayController& controller, QString socketPath)
    : controller_(controller), instance_(std::move(socketPath)) {
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
    controller_.showAlreadyRunning();
}

void QtStartupHost::loadMainWindow() {
    controller_.load();
}

void QtStartupHost::comeForward() {
    controller_.bringForward();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip) {
            window->raise();
            window->activateWindow();
        }
    }
}

} // namespace tidorax

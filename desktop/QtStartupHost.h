// The desktop side of the tray program's start-up: the single-instance socket, and
// the already-running window and the main window, which the tray controller shows.
#pragma once

#include "core/startup/Startup.h"
#include "desktop/SingleInstance.h"
#include "desktop/TrayController.h"

namespace tidorax {

class QtStartupHost : public TrayStartupHost {
public:
    explicit QtStartupHost(TrayController& controller, QString socketPath = QString());
    ~QtStartupHost() override;

    bool anotherInstanceRunning() override;
    bool activateRunningInstance() override;
    void showAlreadyRunning() override;
    void loadMainWindow() override;

    SingleInstance& instance() { return instance_; }

private:
    // Brings the program forward (TrayController::bringForward), then every visible
    // window of it.
    void comeForward();

    TrayController& controller_;
    SingleInstance instance_;
};

} // namespace tidorax

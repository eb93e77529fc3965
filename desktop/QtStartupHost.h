// The desktop side of the tray program's start-up: the single-instance socket, the
// already-running window and the main window.
#pragma once

#include "core/plans/CleaningOperations.h"
#include "core/shutdown/ShutdownApi.h"
#include "core/startup/Startup.h"
#include "desktop/DesktopActions.h"
#include "desktop/SingleInstance.h"
#include "desktop/TrayWindow.h"

#include <memory>

namespace tidorax {

class QtStartupHost : public TrayStartupHost {
public:
    QtStartupHost(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown,
                  QString socketPath = QString());
    ~QtStartupHost() override;

    bool anotherInstanceRunning() override;
    bool activateRunningInstance() override;
    void showAlreadyRunning() override;
    void loadMainWindow() override;

    TrayWindow* mainWindow() const { return mainWindow_.get(); }
    SingleInstance& instance() { return instance_; }

private:
    // Brings every visible window of the program forward.
    void comeForward();

    CleaningOperations& operations_;
    DesktopActions& actions_;
    ShutdownApi& shutdown_;
    SingleInstance instance_;
    std::unique_ptr<TrayWindow> mainWindow_;
};

} // namespace tidorax

// The desktop side of the tray program's start-up: the single-instance socket, the
// already-running window and the main window.
#pragma once

#include "engine/CleaningOperations.h"
#include "engine/ShutdownApi.h"
#include "startup/DesktopActions.h"
#include "startup/Form1.h"
#include "startup/Module1.h"
#include "startup/SingleInstance.h"

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

    Form1* mainWindow() const { return mainWindow_.get(); }
    SingleInstance& instance() { return instance_; }

private:
    // Brings every visible window of the program forward.
    void comeForward();

    CleaningOperations& operations_;
    DesktopActions& actions_;
    ShutdownApi& shutdown_;
    SingleInstance instance_;
    std::unique_ptr<Form1> mainWindow_;
};

} // namespace tidorax

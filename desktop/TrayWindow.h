// The hidden main window: owns the tray icon and the tray menu, runs the tray
// commands, and ends the program when it is unloaded.
#pragma once

#include "core/cleaning/CleaningOperations.h"
#include "core/shutdown/ShutdownApi.h"
#include "desktop/DesktopActions.h"
#include "desktop/TrayIcon.h"
#include "desktop/TrayMenu.h"

#include <QWidget>

#include <string>

namespace tidorax {

class TrayWindow : public QWidget {
    Q_OBJECT
public:
    TrayWindow(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown);
    ~TrayWindow() override;

    // Hides the window, puts the tray icon up and, on a first run, shows the
    // help-loading notice.
    void load();
    // Closes every other window of the program and ends it. Once only.
    void unload();
    bool isUnloaded() const { return unloaded_; }

    TrayIcon* trayIcon() const { return trayIcon_; }
    TrayMenu* trayMenu() const { return trayMenu_; }

public slots:
    // A left or right click on the tray icon at the pointer's position.
    void TrayReleased();
    void TrayReleasedAt(const QPoint& globalPosition);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs the command when the action is chosen, unless input is blocked or the
    // program is ending.
    void connectCommand(QAction* action, void (TrayWindow::*command)());

    void About();
    void RemoveAllPaths();
    void ExitCommand();
    void Help();
    void CleanAndShutdown();
    void Configuration();
    void ViriRerer();

    // Runs each cleaning operation whose flag is set, reading each flag just before its
    // step; returns what they did.
    CleaningReport RunSelectedCleaning();

    CleaningOperations& operations_;
    DesktopActions& actions_;
    ShutdownApi& shutdown_;
    TrayIcon* trayIcon_;
    TrayMenu* trayMenu_;
    bool unloaded_ = false;
};

} // namespace tidorax

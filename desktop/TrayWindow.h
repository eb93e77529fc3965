// The hidden main window: owns the tray icon and the tray menu, opens the menu where
// the icon was clicked, and ends the program when it is unloaded. The menu's commands
// are run by the tray controller.
#pragma once

#include "desktop/TrayIcon.h"
#include "desktop/TrayMenu.h"

#include <QWidget>

#include <functional>

namespace tidorax {

class TrayWindow : public QWidget {
    Q_OBJECT
public:
    // endProgram ends the program once the window is unloaded.
    explicit TrayWindow(std::function<void()> endProgram);
    ~TrayWindow() override;

    // Hides the window and puts the tray icon up.
    void load();
    // Closes every other window of the program and ends it. Once only.
    void unload();
    bool isUnloaded() const { return unloaded_; }

    TrayIcon* trayIcon() const { return trayIcon_; }
    TrayMenu* trayMenu() const { return trayMenu_; }

public slots:
    // A left or right click on the tray icon at the pointer's position, or at the
    // point the tray host names: the menu opens there and the count window will be
    // placed by it.
    void TrayReleased();
    void TrayReleasedAt(const QPoint& globalPosition);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> endProgram_;
    TrayIcon* trayIcon_;
    TrayMenu* trayMenu_;
    bool unloaded_ = false;
};

} // namespace tidorax

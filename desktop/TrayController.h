// The tray program's one owner of its windows: the hidden tray window with the icon
// and the menu, whose commands it runs, and every window that those commands, the
// count window and the first run open. Each window is made on first use from its
// design state and held until it closes; the next use makes a fresh one. The
// services given to the controller go to each window it makes.
#pragma once

#include "core/StartedFrom.h"
#include "core/cleaning/CleaningReport.h"
#include "core/startup/TrayCommands.h"
#include "desktop/DesktopServices.h"

#include <QObject>
#include <QPointer>

#include <cstddef>

class QAction;

namespace tidorax {

class AboutWindow;
class AlreadyRunningWindow;
class ConfigurationLoadingNotice;
class CountWindow;
class HelpLoadingNotice;
class HelpWindow;
class OptionsWindow;
class ShutdownNotice;
class TrayWindow;

class TrayController : public QObject {
    Q_OBJECT
public:
    explicit TrayController(DesktopServices services, QObject* parent = nullptr);
    // Deletes the windows still loaded.
    ~TrayController() override;

    // Hides the tray window, puts its icon up (with no tray to put it in, says so once
    // and how to reach the program) and, unless the first run is over ("FirstRun"
    // reads exactly "No"), shows the help-loading notice.
    void load();
    // A later start of the program asks this one to come forward: with no tray icon
    // to reach it by, the options window opens and comes forward.
    void bringForward();
    // The hidden main window with the tray icon and the menu.
    TrayWindow* trayWindow();

    // The options window, loaded (shown, its paths and boxes read) when none is.
    OptionsWindow* optionsWindow();
    // Shows the options window modeless in its normal state and brings it forward.
    void showOptionsWindow();
    // Hides the options window when one is loaded.
    void hideOptionsWindow();
    // Shows how many files a run removed.
    void showCount(StartedFrom from, std::size_t filesBefore, std::size_t filesAfter);
    // Shows the About window modeless.
    void loadAboutWindow();
    // Shows the help document (HelpFilePath) in the help window and brings it
    // forward; nullptr, and nothing shown, when no help document is found.
    HelpWindow* showHelp();
    // Shows the first run's help-loading notice, which the rest of the first run follows.
    void showHelpMessage();
    // Shows the first run's configuration notice, which the options window follows.
    void showConfigurationMessage();
    // Shows the window that tells a second start the program is already running.
    void showAlreadyRunning();

private:
    // Holds the window made for the slot until it closes.
    template <typename Window> Window* hold(QPointer<Window>& slot, Window* window);
    // Opens a window; a window that fails to load is skipped.
    void skipFailure(void (TrayController::*open)());
    CountWindow* countWindow();
    ShutdownNotice* shutdownNotice();

    // Runs the command when the action is chosen, unless input is blocked or the
    // program is ending.
    void connectCommand(QAction* action, void (TrayController::*command)());
    void About();
    void RemoveAllSettingsAndEnd();
    void ExitCommand();
    void Help();
    void CleanAndShutdown();
    void Configuration();
    void ViriRerer();
    // Tells why a cleaning command may not run; true when it may.
    bool cleaningCommandAllowed(TrayCleaningCommand command);
    // Runs each cleaning operation whose flag is set, reading each flag just before
    // its step, and tells the folders refused; returns what they did.
    CleaningReport RunSelectedCleaning();

    DesktopServices services_;
    QPointer<TrayWindow> trayWindow_;
    QPointer<OptionsWindow> optionsWindow_;
    QPointer<CountWindow> countWindow_;
    QPointer<AboutWindow> aboutWindow_;
    QPointer<HelpWindow> helpWindow_;
    QPointer<ShutdownNotice> shutdownNotice_;
    QPointer<AlreadyRunningWindow> alreadyRunningWindow_;
    QPointer<HelpLoadingNotice> helpLoadingNotice_;
    QPointer<ConfigurationLoadingNotice> configurationLoadingNotice_;
};

} // namespace tidorax

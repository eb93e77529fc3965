#include "desktop/TrayWindow.h"

#include "core/geometry/ScreenMetrics.h"
#include "core/settings/SettingsStore.h"
#include "core/shutdown/Shutdown.h"
#include "core/startup/TrayCommands.h"
#include "desktop/ExitProgram.h"
#include "desktop/InputBlocker.h"
#include "desktop/QtScreen.h"
#include "desktop/WindowOpeners.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/HelpWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "desktop/windows/ShutdownNoticePresenter.h"
#include "platform/Platform.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tidorax {

namespace {

const char* const kTitle = "Quillon Info.....";

// A cleaning command of the tray runs only when its own option is set and at least
// one kind of cleaning is selected; otherwise the user is told which is missing.
bool cleaningCommandAllowed(TrayCleaningCommand command) {
    const std::optional<std::string> refusal = CleaningCommandRefusal(command);
    if (refusal) {
        platform().MsgBox(*refusal, MB_OK_INFORMATION, kTitle);
    }
    return !refusal;
}

} // namespace

TrayWindow::TrayWindow(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown)
    : QWidget(nullptr), operations_(operations), actions_(actions), shutdown_(shutdown),
      trayIcon_(new TrayIcon(this)), trayMenu_(new TrayMenu(this)) {
    setObjectName(QStringLiteral("trayWindow"));
    setWindowTitle(QStringLiteral("Quillon Tidorax"));
    connect(trayIcon_, &TrayIcon::released, this, &TrayWindow::TrayReleased);
    connectCommand(trayMenu_->aboutAction, &TrayWindow::About);
    connectCommand(trayMenu_->removeAllPathsAction, &TrayWindow::RemoveAllPaths);
    connectCommand(trayMenu_->exitAction, &TrayWindow::ExitCommand);
    connectCommand(trayMenu_->helpAction, &TrayWindow::Help);
    connectCommand(trayMenu_->cleanAndShutdownAction, &TrayWindow::CleanAndShutdown);
    connectCommand(trayMenu_->configurationAction, &TrayWindow::Configuration);
    connectCommand(trayMenu_->viriRererAction, &TrayWindow::ViriRerer);
}

void TrayWindow::connectCommand(QAction* action, void (TrayWindow::*command)()) {
    connect(action, &QAction::triggered, this, [this, command] {
        if (!InputBlocker::active() && !unloaded_) {
            (this->*command)();
        }
    });
}

TrayWindow::~TrayWindow() = default;

void TrayWindow::load() {
    hide();
    trayIcon_->ShellTrayAdd();
    if (Settings.GetSetting("CleanPath", "FirstRun", "0") != "No") {
        WindowOpeners::ShowHelpMessage();
    }
}

void TrayWindow::unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    RestoreDefaultMousePointer();
    trayMenu_->close();
    UnloadOtherWindows(this);
    EndProgram();
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

void TrayWindow::About() {
    WindowOpeners::LoadAboutWindow();
}

void TrayWindow::RemoveAllPaths() {
    trayIcon_->ShellTrayRemove();
    RemoveAllSettings();
    unload();
}

void TrayWindow::ExitCommand() {
    RestoreDefaultMousePointer();
    trayIcon_->ShellTrayRemove();
    actions_.pause(100);
    unload();
}

void TrayWindow::Help() {
    HelpWindow::showHelp();
}

void TrayWindow::CleanAndShutdown() {
    if (!cleaningCommandAllowed(TrayCleaningCommand::CleanAndShutdown)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    CountWindow* count = CountWindow::instance();
    count->ShowCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
    // The count stays on the screen with the shutdown notice until the program ends.
    count->keepShown();
    actions_.pause(1000);

    ShutdownNoticePresenter notice(actions_);
    try {
        ShutdownNow(shutdown_, notice);
    } catch (const ShutdownError& error) {
        // Nothing was shut down: say why, and stay in the tray.
        if (ShutdownNotice* window = ShutdownNotice::loaded()) {
            window->close();
        }
        if (CountWindow* shown = CountWindow::loaded()) {
            shown->close();
        }
        platform().MsgBox(ShutdownErrorMessage(error), MB_OK_CRITICAL, kTitle);
        return;
    }
    RestoreDefaultMousePointer();
    trayIcon_->ShellTrayRemove();
    actions_.pause(200);
    unload();
}

void TrayWindow::Configuration() {
    WindowOpeners::ShowOptionsWindow();
    RestoreDefaultMousePointer();
}

void TrayWindow::ViriRerer() {
    if (!cleaningCommandAllowed(TrayCleaningCommand::ViriRerer)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
}

CleaningReport TrayWindow::RunSelectedCleaning() {
    CleaningReport report;
    CleaningOperations& operations = operations_;
    actions_.runWork([&operations, &report] {
        report = RunSelectedOperations(operations, StartedFrom::TrayMenu, Listing::CountOnly);
    });
    for (const std::string& refusal : report.refusals()) {
        platform().MsgBox(refusal, MB_OK_INFORMATION, kTitle);
    }
    return report;
}

} // namespace tidorax

#include "desktop/TrayController.h"

#include "core/notices/HelpFile.h"
#include "core/settings/CleaningSettings.h"
#include "core/shutdown/Shutdown.h"
#include "desktop/ExitProgram.h"
#include "desktop/InputBlocker.h"
#include "desktop/TrayWindow.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/windows/AboutWindow.h"
#include "desktop/windows/AlreadyRunningWindow.h"
#include "desktop/windows/ConfigurationLoadingNotice.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/HelpLoadingNotice.h"
#include "desktop/windows/HelpWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "desktop/windows/ShutdownNoticePresenter.h"

#include <QAction>

#include <exception>

namespace tidorax {

TrayController::TrayController(DesktopServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {}

TrayController::~TrayController() {
    delete optionsWindow_.data();
    delete countWindow_.data();
    delete aboutWindow_.data();
    delete helpWindow_.data();
    delete shutdownNotice_.data();
    delete alreadyRunningWindow_.data();
    delete helpLoadingNotice_.data();
    delete configurationLoadingNotice_.data();
    delete trayWindow_.data();
}

template <typename Window> Window* TrayController::hold(QPointer<Window>& slot, Window* window) {
    slot = window;
    connect(window, &Window::closed, this, [&slot, window] {
        if (slot == window) {
            slot.clear();
        }
    });
    return window;
}

void TrayController::skipFailure(void (TrayController::*open)()) {
    try {
        (this->*open)();
    } catch (const std::exception&) {
        // A window that fails to load is skipped, as every error while loading it.
    }
}

void TrayController::load() {
    trayWindow()->load();
    if (!trayWindow_->trayIcon()->isUp()) {
        // Nothing of the program would show anywhere.
        services_.messages.show(
            tr("No system tray is available on this desktop, so Tidorax shows no icon and "
               "keeps running without one.\r\n\r\nTo open its options window, start "
               "Tidorax again (from the menu, or as \"tidorax\").")
                .toStdString(),
            MessageKind::Information);
    }
    if (IsFirstRun()) {
        skipFailure(&TrayController::showHelpMessage);
    }
}

void TrayController::bringForward() {
    if (trayWindow_.isNull() || !trayWindow_->trayIcon()->isUp()) {
        skipFailure(&TrayController::showOptionsWindow);
    }
}

TrayWindow* TrayController::trayWindow() {
    if (trayWindow_.isNull()) {
        trayWindow_ = new TrayWindow(services_.endProgram);
        TrayMenu* menu = trayWindow_->trayMenu();
        connectCommand(menu->aboutAction, &TrayController::About);
        connectCommand(menu->removeAllPathsAction, &TrayController::RemoveAllSettingsAndEnd);
        connectCommand(menu->exitAction, &TrayController::ExitCommand);
        connectCommand(menu->helpAction, &TrayController::Help);
        connectCommand(menu->cleanAndShutdownAction, &TrayController::CleanAndShutdown);
        connectCommand(menu->configurationAction, &TrayController::Configuration);
        connectCommand(menu->viriRererAction, &TrayController::ViriRerer);
    }
    return trayWindow_;
}

OptionsWindow* TrayController::optionsWindow() {
    if (optionsWindow_.isNull()) {
        OptionsWindow* window = hold(optionsWindow_, new OptionsWindow(services_));
        connect(window, &OptionsWindow::helpRequested, this, &TrayController::showHelp);
        connect(window, &OptionsWindow::countRequested, this, [this](std::size_t before, std::size_t after) {
            showCount(StartedFrom::OptionsWindow, before, after);
        });
        connect(window, &OptionsWindow::reloadRequested, this, [this] {
            services_.actions.pause(100);
            showOptionsWindow();
        });
        window->load();
    }
    return optionsWindow_;
}

void TrayController::showOptionsWindow() {
    OptionsWindow* window = optionsWindow();
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void TrayController::hideOptionsWindow() {
    if (!optionsWindow_.isNull()) {
        optionsWindow_->hide();
    }
}

CountWindow* TrayController::countWindow() {
    if (countWindow_.isNull()) {
        CountWindow* count = hold(countWindow_, new CountWindow(services_.screenMetrics));
        connect(count, &CountWindow::hideOptionsRequested, this,
                [this] { skipFailure(&TrayController::hideOptionsWindow); });
        connect(count, &CountWindow::showOptionsRequested, this,
                [this] { skipFailure(&TrayController::showOptionsWindow); });
    }
    return countWindow_;
}

void TrayController::showCount(StartedFrom from, std::size_t filesBefore, std::size_t filesAfter) {
    countWindow()->ShowCount(from, filesBefore, filesAfter);
}

void TrayController::loadAboutWindow() {
    if (aboutWindow_.isNull()) {
        hold(aboutWindow_, new AboutWindow(services_));
    }
    aboutWindow_->load();
}

HelpWindow* TrayController::showHelp() {
    const std::string path = HelpFilePath();
    if (path.empty()) {
        return nullptr;
    }
    if (helpWindow_.isNull()) {
        hold(helpWindow_, new HelpWindow(QUrl::fromLocalFile(QString::fromStdString(path)), services_));
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
    return helpWindow_;
}

void TrayController::showHelpMessage() {
    if (helpLoadingNotice_.isNull()) {
        HelpLoadingNotice* notice = hold(helpLoadingNotice_, new HelpLoadingNotice());
        connect(notice, &HelpLoadingNotice::helpWanted, this,
                [this, notice] { notice->waitFor(showHelp()); });
        connect(notice, &HelpLoadingNotice::configurationWanted, this,
                &TrayController::showConfigurationMessage);
    }
    helpLoadingNotice_->load();
}

void TrayController::showConfigurationMessage() {
    if (configurationLoadingNotice_.isNull()) {
        ConfigurationLoadingNotice* notice =
            hold(configurationLoadingNotice_, new ConfigurationLoadingNotice());
        connect(notice, &ConfigurationLoadingNotice::optionsWanted, this,
                [this] { skipFailure(&TrayController::showOptionsWindow); });
    }
    configurationLoadingNotice_->load();
}

void TrayController::showAlreadyRunning() {
    if (alreadyRunningWindow_.isNull()) {
        hold(alreadyRunningWindow_, new AlreadyRunningWindow(services_.endProgram));
    }
    alreadyRunningWindow_->load();
}

ShutdownNotice* TrayController::shutdownNotice() {
    if (shutdownNotice_.isNull()) {
        hold(shutdownNotice_, new ShutdownNotice());
    }
    return shutdownNotice_;
}

void TrayController::connectCommand(QAction* action, void (TrayController::*command)()) {
    connect(action, &QAction::triggered, this, [this, command] {
        if (!InputBlocker::active() && !trayWindow_.isNull() && !trayWindow_->isUnloaded()) {
            (this->*command)();
        }
    });
}

void TrayController::About() {
    skipFailure(&TrayController::loadAboutWindow);
}

void TrayController::RemoveAllSettingsAndEnd() {
    trayWindow_->trayIcon()->ShellTrayRemove();
    RemoveAllSettings();
    trayWindow_->unload();
}

void TrayController::ExitCommand() {
    RestoreDefaultMousePointer();
    trayWindow_->trayIcon()->ShellTrayRemove();
    services_.actions.pause(100);
    trayWindow_->unload();
}

void TrayController::Help() {
    showHelp();
}

void TrayController::CleanAndShutdown() {
    if (!cleaningCommandAllowed(TrayCleaningCommand::CleanAndShutdown)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    CountWindow* count = countWindow();
    count->ShowCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
    // The count stays on the screen with the shutdown notice until the program ends.
    count->keepShown();
    services_.actions.pause(1000);

    ShutdownNoticePresenter notice(services_.actions, [this] { return shutdownNotice(); });
    try {
        ShutdownNow(services_.shutdown, notice);
    } catch (const ShutdownError& error) {
        // Nothing was shut down: say why, and stay in the tray.
        if (!shutdownNotice_.isNull()) {
            shutdownNotice_->close();
        }
        if (!countWindow_.isNull()) {
            countWindow_->close();
        }
        services_.messages.show(ShutdownErrorMessage(error), MessageKind::Critical);
        return;
    }
    RestoreDefaultMousePointer();
    trayWindow_->trayIcon()->ShellTrayRemove();
    services_.actions.pause(200);
    trayWindow_->unload();
}

void TrayController::Configuration() {
    skipFailure(&TrayController::showOptionsWindow);
    RestoreDefaultMousePointer();
}

void TrayController::ViriRerer() {
    if (!cleaningCommandAllowed(TrayCleaningCommand::ViriRerer)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    showCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
}

bool TrayController::cleaningCommandAllowed(TrayCleaningCommand command) {
    const std::optional<std::string> refusal = CleaningCommandRefusal(command);
    if (refusal) {
        services_.messages.show(*refusal, MessageKind::Information);
    }
    return !refusal;
}

CleaningReport TrayController::RunSelectedCleaning() {
    CleaningReport report;
    CleaningOperations& operations = services_.operations;
    services_.actions.runWork(
        [&operations, &report] { report = operations.CleanSelected(Listing::CountOnly); });
    for (const std::string& refusal : report.refusals()) {
        services_.messages.show(refusal, MessageKind::Information);
    }
    return report;
}

} // namespace tidorax

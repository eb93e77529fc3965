#include "desktop/TrayWindow.h"

#include "core/geometry/ScreenMetrics.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "core/shutdown/Shutdown.h"
#include "desktop/ExitProgram.h"
#include "desktop/InputBlocker.h"
#include "desktop/QtScreen.h"
#include "desktop/WindowOpeners.h"
#include "desktop/windows/CountWindow.h"
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
const char* const kShutdownNotChecked = "Clean And ShutDown Box Not Checked On Options Form!";
const char* const kNothingSelected = "You Have Not Selected Any Files To Be Cleaned!";
const char* const kViriRererNotChecked = "The ViriRerer Box Must Be Checked For This Function To Work!";

void inform(const char* message) {
    platform().MsgBox(message, MB_OK_INFORMATION, kTitle);
}

bool anyCleaningFlagSet() {
    const bool internet = IsFlagSet("InternetFiles");
    const bool cookies = IsFlagSet("CookieFiles");
    const bool temp = IsFlagSet("TempFiles");
    const bool folders = IsFlagSet("UserFolder");
    return internet || cookies || temp || folders;
}

// A cleaning command of the tray runs only when its own option is set and at least
// one kind of cleaning is selected; otherwise the user is told which is missing.
bool cleaningCommandAllowed(const char* commandFlag, const char* notCheckedMessage) {
    if (!IsFlagSet(commandFlag)) {
        inform(notCheckedMessage);
        return false;
    }
    if (!anyCleaningFlagSet()) {
        inform(kNothingSelected);
        return false;
    }
    return true;
}

std::string joinProgramFolder(const std::string& name) {
    const std::string folder = platform().programFolder();
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

TrayWindow::TrayWindow(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown)
    : QWidget(nullptr), operations_(operations), actions_(actions), shutdown_(shutdown),
      trayIcon_(new TrayIcon(this)), mnuPopUp_(new TrayMenu(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillon Tidorax"));
    connect(trayIcon_, &TrayIcon::released, this, &TrayWindow::TrayReleased);
    connect(mnuPopUp_, &TrayMenu::mnuShowClicked, this, &TrayWindow::mnuShow_Click);
}

TrayWindow::~TrayWindow() = default;

void TrayWindow::load() {
    hide();
    trayIconUp_ = trayIcon_->ShellTrayAdd() == 1;
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
    mnuPopUp_->close();
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
    mnuPopUp_->popup(globalPosition);
}

void TrayWindow::mnuShow_Click(int Index) {
    if (InputBlocker::active() || unloaded_) {
        return;
    }
    switch (Index) {
    case 0:
        About();
        break;
    case 2:
        RemoveAllPaths();
        break;
    case 4:
        ExitCommand();
        break;
    case 6:
        Help();
        break;
    case 8:
        CleanAndShutdown();
        break;
    case 10:
        Configuration();
        break;
    case 12:
        ViriRerer();
        break;
    default:
        // Separators and anything beyond the last item do nothing.
        break;
    }
}

void TrayWindow::ShellandWait(const std::string& CmdLine) {
    actions_.openAndWait(CmdLine);
}

void TrayWindow::About() {
    WindowOpeners::LoadAboutWindow();
}

void TrayWindow::RemoveAllPaths() {
    trayIcon_->ShellTrayRemove();
    Settings.DeleteSetting("SavedCookies", "");
    Settings.DeleteSetting("CleanPath", "");
    Settings.DeleteSetting("SpecialCookies", "");
    Settings.DeleteSetting("UserFolder", "");
    RegistryAccess::DeleteRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software", "Quillon Software");
    unload();
}

void TrayWindow::ExitCommand() {
    RestoreDefaultMousePointer();
    trayIcon_->ShellTrayRemove();
    actions_.pause(100);
    unload();
}

void TrayWindow::Help() {
    actions_.openDocument(joinProgramFolder("Tidora.html"));
}

void TrayWindow::CleanAndShutdown() {
    if (!cleaningCommandAllowed("Shutdown", kShutdownNotChecked)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
    actions_.pause(1000);

    ShutdownNoticePresenter notice(actions_);
    try {
        ShutdownNow(shutdown_, notice);
    } catch (const ShutdownError& error) {
        // Nothing was shut down: say why, and stay in the tray.
        if (ShutdownNotice* window = ShutdownNotice::loaded()) {
            window->close();
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
    if (!cleaningCommandAllowed("AutoFunction", kViriRererNotChecked)) {
        return;
    }
    const CleaningReport report = RunSelectedCleaning();
    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, report.filesBefore(), report.filesAfter());
}

CleaningReport TrayWindow::RunSelectedCleaning() {
    CleaningReport report;
    CleaningOperations& operations = operations_;
    actions_.runWork(
        [&operations, &report] { report = RunSelectedOperations(operations, StartedFrom::TrayMenu); });
    return report;
}

} // namespace tidorax

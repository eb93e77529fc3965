#include "startup/Form1.h"

#include "engine/Shutdown.h"
#include "engine/WorkingLists.h"
#include "notices/QtScreen.h"
#include "notices/ScreenSubs.h"
#include "notices/ShutdownNoticeWindow.h"
#include "notices/UnloadAllForms.h"
#include "notices/frmCount.h"
#include "notices/frmShutdown.h"
#include "platform/Platform.h"
#include "startup/AuxiliaryWindows.h"
#include "startup/CRegSettings.h"
#include "startup/InputBlocker.h"
#include "startup/modRegistry.h"

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

Form1::Form1(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown)
    : QWidget(nullptr), operations_(operations), actions_(actions), shutdown_(shutdown),
      trayIcon_(new TrayIcon(this)), mnuPopUp_(new TrayMenu(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillon Tidorax"));
    connect(trayIcon_, &TrayIcon::released, this, &Form1::TrayReleased);
    connect(mnuPopUp_, &TrayMenu::mnuShowClicked, this, &Form1::mnuShow_Click);
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    hide();
    trayIconUp_ = trayIcon_->ShellTrayAdd() == 1;
    if (Settings.GetSetting("CleanPath", "FirstRun", "0") != "No") {
        AuxiliaryWindows::ShowHelpMessage();
    }
}

void Form1::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    RestoreDefaultMousePointer();
    mnuPopUp_->close();
    UnloadOtherWindows(this);
    EndProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::TrayReleased() {
    TrayReleasedAt(QCursor::pos());
}

void Form1::TrayReleasedAt(const QPoint& globalPosition) {
    if (InputBlocker::active() || unloaded_) {
        return;
    }
    const QScreen* screen = QGuiApplication::screenAt(globalPosition);
    LastMouseX = std::llround(globalPosition.x() * TwipsPerPixelX(screen));
    mnuPopUp_->popup(globalPosition);
}

void Form1::mnuShow_Click(int Index) {
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

void Form1::ShellandWait(const std::string& CmdLine) {
    actions_.openAndWait(CmdLine);
}

void Form1::About() {
    AuxiliaryWindows::LoadAboutWindow();
}

void Form1::RemoveAllPaths() {
    trayIcon_->ShellTrayRemove();
    Settings.DeleteSetting("SavedCookies", "");
    Settings.DeleteSetting("CleanPath", "");
    Settings.DeleteSetting("SpecialCookies", "");
    Settings.DeleteSetting("UserFolder", "");
    modRegistry::DeleteRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tidora");
    modRegistry::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
    modRegistry::DeleteRegKey("HKCU", "Software", "Quillon Software");
    Form_Unload();
}

void Form1::ExitCommand() {
    RestoreDefaultMousePointer();
    trayIcon_->ShellTrayRemove();
    actions_.pause(100);
    Form_Unload();
}

void Form1::Help() {
    actions_.openDocument(joinProgramFolder("Tidora.html"));
}

void Form1::CleanAndShutdown() {
    if (!cleaningCommandAllowed("Shutdown", kShutdownNotChecked)) {
        return;
    }
    RunSelectedCleaning();
    frmCount::instance()->ShowCount("Form1");
    actions_.pause(1000);

    ShutdownNoticeWindow notice(actions_);
    try {
        ShutdownNow(shutdown_, notice);
    } catch (const ShutdownError& error) {
        // Nothing was shut down: say why, and stay in the tray.
        if (frmShutdown* window = frmShutdown::loaded()) {
            window->close();
        }
        platform().MsgBox(ShutdownErrorMessage(error), MB_OK_CRITICAL, kTitle);
        return;
    }
    RestoreDefaultMousePointer();
    trayIcon_->ShellTrayRemove();
    actions_.pause(200);
    Form_Unload();
}

void Form1::Configuration() {
    AuxiliaryWindows::ShowOptionsWindow();
    RestoreDefaultMousePointer();
}

void Form1::ViriRerer() {
    if (!cleaningCommandAllowed("AutoFunction", kViriRererNotChecked)) {
        return;
    }
    RunSelectedCleaning();
    frmCount::instance()->ShowCount("Form1");
}

void Form1::RunSelectedCleaning() {
    Form1Lists().List6.clear();
    Form1Lists().List7.clear();
    CleaningOperations& operations = operations_;
    actions_.runWork([&operations] {
        if (IsFlagSet("InternetFiles")) {
            operations.CleanInternetFiles("Form1");
        }
        if (IsFlagSet("CookieFiles")) {
            operations.CleanCookieFiles("Form1");
        }
        if (IsFlagSet("TempFiles")) {
            operations.CleanTempFiles("Form1");
        }
        if (IsFlagSet("UserFolder")) {
            operations.CleanUserFolders("Form1");
        }
    });
}

} // namespace tidorax

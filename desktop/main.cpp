// The tray program, started by the tidorax command (which answers the silent cleaning
// run and the usage itself): it starts its desktop, hands over to a running instance
// or puts its icon up.
#include "core/cleaning/Workers.h"
#include "core/plans/CleaningOperations.h"
#include "core/startup/Startup.h"
#include "desktop/DesktopPresence.h"
#include "desktop/DisplayFailureGuard.h"
#include "desktop/LogindSession.h"
#include "desktop/PlatformMessageBoxes.h"
#include "desktop/ProcessMemory.h"
#include "desktop/QtDesktopActions.h"
#include "desktop/QtMessageBoxService.h"
#include "desktop/QtStartupHost.h"
#include "desktop/Translation.h"
#include "desktop/TrayController.h"
#include "desktop/options/BackgroundListing.h"

#include <QApplication>
#include <QTranslator>

#include <iostream>
#include <optional>

namespace {

// Windows are placed by position, which a Wayland session does not allow: prefer
// XWayland there, and fall back to Wayland where XWayland is missing. An explicit
// choice of the user stands.
void chooseDisplayPlatform() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return;
    }
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland") ||
                         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (wayland) {
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (const std::string reason = tidorax::NoDesktopReason(); !reason.empty()) {
        std::cerr << tidorax::NoDesktopMessage(reason);
        return 1;
    }

    chooseDisplayPlatform();
    tidorax::UseOneMallocArena();
    // Before any thread starts, while growing the descriptor table costs the kernel no
    // wait: a clean would otherwise grow it later, on its worker.
    tidorax::ReserveDescriptors();
    auto displayFailure = std::make_optional<tidorax::DisplayFailureGuard>();
    QApplication application(argc, argv);
    displayFailure.reset();
    QApplication::setApplicationName(QStringLiteral("tidorax"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tidorax"));
    // The program lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    tidorax::QtMessageBoxService::install();
    // The texts in the system's language where a catalog holds it; English otherwise.
    QTranslator translator;
    if (tidorax::LoadTranslation(translator)) {
        QApplication::installTranslator(&translator);
    }

    tidorax::QtDesktopActions actions;
    tidorax::LogindSession logind;
    tidorax::PlatformMessageBoxes messages;
    tidorax::TrayController controller(
        tidorax::DesktopServices(tidorax::engineOperations(), actions, logind, messages));
    tidorax::QtStartupHost host(controller);
    if (tidorax::RunTrayStartup(host) == tidorax::TrayStartupOutcome::HandedOver) {
        return 0;
    }
    const int result = QApplication::exec();
    // A listing of the options window may still read the settings store.
    tidorax::BackgroundListing::WaitForAll();
    return result;
}

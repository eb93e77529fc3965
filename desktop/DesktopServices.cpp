#include "desktop/DesktopServices.h"

#include "desktop/BrowserLauncher.h"
#include "desktop/ExitProgram.h"
#include "desktop/NetworkState.h"
#include "desktop/QtScreen.h"
#include "desktop/options/Places.h"

namespace tidorax {

DesktopServices::DesktopServices(CleaningOperations& operations, DesktopActions& actions,
                                 ShutdownApi& shutdown, MessageBoxes& messages)
    : operations(operations), actions(actions), shutdown(shutdown), messages(messages), places(DefaultPlaces),
      screenMetrics([](const QScreen* screen) { return ScreenMetricsOf(screen); }),
      connectionText(NetworkState::ConnectionText), openInBrowser(BrowserLauncher::open),
      endProgram(EndProgram) {}

} // namespace tidorax

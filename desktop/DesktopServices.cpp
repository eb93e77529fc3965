#include "desktop/DesktopServices.h"

#include "desktop/BrowserLauncher.h"
#include "desktop/ExitProgram.h"
#include "desktop/NetworkState.h"
#include "desktop/QtScreen.h"
#include "desktop/options/Places.h"
#include "platform/hive/StoreWaits.h"

namespace tidorax {

DesktopServices::DesktopServices(CleaningOperations& operations, DesktopActions& actions,
                                 ShutdownApi& shutdown, MessageBoxes& messages)
    : operations(operations), actions(actions), shutdown(shutdown), messages(messages), places(DefaultPlaces),
      screenMetrics([](const QScreen* screen) { return ScreenMetricsOf(screen); }),
      connectionText(NetworkState::ConnectionText), openInBrowser(BrowserLauncher::open),
      endProgram(EndProgram) {
    // The services are made on the user-interface thread: a settings store that another
    // program holds fails its calls there after a moment instead of freezing the windows.
    SetStoreWaitLimitOfThisThread(kUserInterfaceStoreWaitMs);
}

} // namespace tidorax

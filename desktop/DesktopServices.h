// What the windows of the tray program reach outside themselves: the cleaning
// operations, the desktop's work runner, the shutdown, the message boxes, and the
// places, screens, network and browser of the desktop. The tray controller is given
// them and hands them to each window it makes; the functions start as the desktop's
// own and a test may replace them.
#pragma once

#include "core/geometry/ScreenMetrics.h"
#include "core/plans/CleaningOperations.h"
#include "core/shutdown/ShutdownApi.h"
#include "desktop/DesktopActions.h"
#include "desktop/MessageBoxes.h"

#include <QStringList>
#include <QUrl>

#include <functional>
#include <string>

class QScreen;

namespace tidorax {

// The longest the user-interface thread waits for the settings store.
inline constexpr int kUserInterfaceStoreWaitMs = 100;

struct DesktopServices {
    // Made on the user-interface thread, whose waits on the settings store it limits.
    DesktopServices(CleaningOperations& operations, DesktopActions& actions, ShutdownApi& shutdown,
                    MessageBoxes& messages);

    CleaningOperations& operations;
    DesktopActions& actions;
    ShutdownApi& shutdown;
    MessageBoxes& messages;
    // The places Your Folder browses from (DefaultPlaces).
    std::function<QStringList()> places;
    // The metrics of a screen (ScreenMetricsOf).
    std::function<ScreenMetrics(const QScreen*)> screenMetrics;
    // ConnectionText for the state of the network as an address sees it
    // (NetworkState::ConnectionText).
    std::function<std::string(const QUrl&)> connectionText;
    // Hands an address to the desktop's browser; false when none took it.
    std::function<bool(const QUrl&)> openInBrowser;
    // Ends the program (EndProgram).
    std::function<void()> endProgram;
};

} // namespace tidorax

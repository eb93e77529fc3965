// Where a StatusNotifierItem host (KDE Plasma, GNOME's AppIndicator, XFCE, waybar)
// asks the tray icon to open: it names the place in its Activate(x, y), ContextMenu(x, y)
// and SecondaryActivate(x, y) calls, which Qt's item reports as a bare activation. QtDBus
// hands every incoming call to its spy hooks, on the user-interface thread, before the
// call is answered; the hook installed here keeps the point of the latest such call.
#pragma once

#include <QPoint>

#include <optional>

namespace tidorax {

// Installs the hook; once per process however often it is called.
void WatchStatusNotifierClicks();

// The point of the latest host call not taken yet, in the host's screen coordinates.
std::optional<QPoint> TakeStatusNotifierClick();

} // namespace tidorax

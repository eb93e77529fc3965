// Whether there is a desktop to show the tray program on, told before Qt tries to
// open one: Qt ends a program whose display it cannot open with an abort and a core
// dump, where the tray program says so in one line and exits with 1.
#pragma once

#include <string>

namespace tidorax {

// Why no display platform can be opened, "" when one may be: a platform the user named
// (QT_QPA_PLATFORM, a list split by ";") that needs a display with none set for it, or
// neither DISPLAY nor WAYLAND_DISPLAY set. Platforms that need no display (offscreen,
// vnc, linuxfb, ...) may always be opened.
std::string NoDesktopReason();

// The line the tray program prints before it exits with 1 for that reason.
std::string NoDesktopMessage(const std::string& reason);

} // namespace tidorax

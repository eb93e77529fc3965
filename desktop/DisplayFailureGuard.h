// While it lives, Qt's fatal error when it cannot open the display (an abort and a
// core dump) becomes the tray program's one line on standard error and exit status 1.
// Held while the application object is made, where Qt opens the display.
#pragma once

#include <QtGlobal>

namespace tidorax {

class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;

private:
    QtMessageHandler previous_;
};

} // namespace tidorax

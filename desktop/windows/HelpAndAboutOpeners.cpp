#include "desktop/windows/HelpAndAboutOpeners.h"

#include "desktop/WindowOpeners.h"
#include "desktop/windows/AboutWindow.h"
#include "desktop/windows/HelpLoadingNotice.h"

namespace tidorax {

void RegisterHelpAndAboutWindows() {
    WindowOpeners::loadAboutWindow = [] { AboutWindow::instance()->load(); };
    WindowOpeners::showHelpMessage = [] { HelpLoadingNotice::instance()->load(); };
}

} // namespace tidorax

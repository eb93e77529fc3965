#include "desktop/options/OptionsOpeners.h"

#include "desktop/WindowOpeners.h"
#include "desktop/options/OptionsWindow.h"

namespace tidorax {

void RegisterOptionsWindow(CleaningOperations& operations, DesktopActions& actions) {
    OptionsWindow::setServices(&operations, &actions);
    WindowOpeners::showOptionsWindow = [] { OptionsWindow::showWindow(); };
    WindowOpeners::hideOptionsWindow = [] {
        if (OptionsWindow* window = OptionsWindow::loaded()) {
            window->hide();
        }
    };
}

} // namespace tidorax

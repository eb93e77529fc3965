#include "desktop/WindowOpeners.h"

#include <exception>

namespace tidorax {

std::function<void()> WindowOpeners::showOptionsWindow;
std::function<void()> WindowOpeners::hideOptionsWindow;
std::function<void()> WindowOpeners::loadAboutWindow;
std::function<void()> WindowOpeners::showHelpMessage;

namespace {

void callSkippingFailure(const std::function<void()>& show) {
    if (!show) {
        return;
    }
    try {
        show();
    } catch (const std::exception&) {
        // A window that fails to load is skipped, as every error while loading it.
    }
}

} // namespace

void WindowOpeners::ShowOptionsWindow() {
    callSkippingFailure(showOptionsWindow);
}
void WindowOpeners::HideOptionsWindow() {
    callSkippingFailure(hideOptionsWindow);
}
void WindowOpeners::LoadAboutWindow() {
    callSkippingFailure(loadAboutWindow);
}
void WindowOpeners::ShowHelpMessage() {
    callSkippingFailure(showHelpMessage);
}

} // namespace tidorax

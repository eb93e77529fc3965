#include "startup/AuxiliaryWindows.h"

#include <exception>

namespace tidorax {

std::function<void()> AuxiliaryWindows::showOptionsWindow;
std::function<void()> AuxiliaryWindows::hideOptionsWindow;
std::function<void()> AuxiliaryWindows::loadAboutWindow;
std::function<void()> AuxiliaryWindows::showHelpMessage;

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

void AuxiliaryWindows::ShowOptionsWindow() {
    callSkippingFailure(showOptionsWindow);
}
void AuxiliaryWindows::HideOptionsWindow() {
    callSkippingFailure(hideOptionsWindow);
}
void AuxiliaryWindows::LoadAboutWindow() {
    callSkippingFailure(loadAboutWindow);
}
void AuxiliaryWindows::ShowHelpMessage() {
    callSkippingFailure(showHelpMessage);
}

} // namespace tidorax

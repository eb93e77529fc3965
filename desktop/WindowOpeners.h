// The windows that the tray commands and the count window open but that live in
// their own parts of the program: the options window, the About window and the
// help-loading notice. Each part registers how its window is shown; until one is
// registered, asking for that window does nothing.
#pragma once

#include <functional>

namespace tidorax {

class WindowOpeners {
public:
    // Shows the options window modeless in its normal state (created when none exists).
    static std::function<void()> showOptionsWindow;
    // Hides the options window when it exists.
    static std::function<void()> hideOptionsWindow;
    // Loads the About window, which shows itself.
    static std::function<void()> loadAboutWindow;
    // Shows the help-loading notice of a first run, modeless.
    static std::function<void()> showHelpMessage;

    // Each calls its function when one is registered; a failure is skipped.
    static void ShowOptionsWindow();
    static void HideOptionsWindow();
    static void LoadAboutWindow();
    static void ShowHelpMessage();
};

} // namespace tidorax

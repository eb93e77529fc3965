// The program's message boxes on the desktop: the flag values choose the buttons and
// the icon, the answer comes back as 1 (OK), 2 (Cancel), 6 (Yes) or 7 (No). A box
// asked for from a worker thread is shown by the user-interface thread, which the
// worker waits for.
#pragma once

#include <string>

namespace tidorax {

class QtMessageBoxService {
public:
    // Makes platform().MsgBox show these boxes.
    static void install();
    // Shows one box on the user-interface thread and returns the answer.
    static int show(const std::string& prompt, int buttons, const std::string& title);
};

} // namespace tidorax

// The program's message boxes on the desktop: four kinds (MessageKind), the answer
// coming back as IDOK, IDYES or IDNO. A box asked for from a worker thread is shown by
// the user-interface thread, which the worker waits for.
#pragma once

#include "desktop/MessageKind.h"

#include <string>

namespace tidorax {

class QtMessageBoxService {
public:
    // Makes platform().MsgBox show these boxes, of the kind its flags ask for.
    static void install();
    // Shows one box on the user-interface thread and returns the answer; a question
    // not answered Yes (closed, or never shown) counts as No.
    static int show(const std::string& prompt, MessageKind kind, const std::string& title);
};

} // namespace tidorax

// Where the windows of the tray program show their message boxes, all under the
// program's title "Quillon Info.....".
#pragma once

#include "desktop/MessageKind.h"

#include <string>

namespace tidorax {

// The title of every message box of the windows.
inline constexpr const char* kMessageTitle = "Quillon Info.....";

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the prompt in a box of the kind; returns IDOK, or IDYES or IDNO for a
    // question.
    virtual int show(const std::string& prompt, MessageKind kind) = 0;
    // Asks a question of the kind; true unless it was answered No.
    bool ask(const std::string& prompt, MessageKind kind);
};

} // namespace tidorax

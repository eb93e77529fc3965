// The windows' message boxes through platform().MsgBox, which the running program
// shows on the desktop (QtMessageBoxService) and a test answers itself.
#pragma once

#include "desktop/MessageBoxes.h"

namespace tidorax {

class PlatformMessageBoxes : public MessageBoxes {
public:
    int show(const std::string& prompt, MessageKind kind) override;
};

} // namespace tidorax

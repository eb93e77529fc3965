#include "desktop/PlatformMessageBoxes.h"

#include "platform/Platform.h"

namespace tidorax {

int PlatformMessageBoxes::show(const std::string& prompt, MessageKind kind) {
    return platform().MsgBox(prompt, MessageFlags(kind), kMessageTitle);
}

} // namespace tidorax

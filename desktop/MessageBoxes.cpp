#include "desktop/MessageBoxes.h"

#include "platform/Platform.h"

namespace tidorax {

bool MessageBoxes::ask(const std::string& prompt, MessageKind kind) {
    return show(prompt, kind) != IDNO;
}

} // namespace tidorax

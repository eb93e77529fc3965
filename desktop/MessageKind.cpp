#include "desktop/MessageKind.h"

#include "platform/Platform.h"

namespace tidorax {

namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int kYesNo = 4;
constexpr int kCriticalIcon = 16;

} // namespace

int MessageFlags(MessageKind kind) {
    switch (kind) {
    case MessageKind::Question:
        return MB_YESNO_QUESTION;
    case MessageKind::CriticalQuestion:
        return MB_YESNO_CRITICAL;
    case MessageKind::Critical:
        return MB_OK_CRITICAL;
    case MessageKind::Information:
        break;
    }
    return MB_OK_INFORMATION;
}

MessageKind MessageKindOf(int flags) {
    const bool critical = (flags & kIconMask) == kCriticalIcon;
    if ((flags & kButtonsMask) == kYesNo) {
        return critical ? MessageKind::CriticalQuestion : MessageKind::Question;
    }
    return critical ? MessageKind::Critical : MessageKind::Information;
}

} // namespace tidorax

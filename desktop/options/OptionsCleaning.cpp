#include "desktop/options/OptionsCleaning.h"

#include "core/options/OptionsRules.h"
#include "desktop/MessageBoxes.h"
#include "platform/Platform.h"

namespace tidorax {

bool CleanButtonAllows(MessageBoxes& messages, const PageClean& clean, const CleaningChoices& choices) {
    if (!choices[clean.choice]) {
        messages.show(clean.refusal, MessageKind::Information);
        return false;
    }
    return messages.show(CleanQuestion(clean.firstLine), clean.question) != IDNO;
}

} // namespace tidorax

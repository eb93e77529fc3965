#include "desktop/options/OptionsCleaning.h"

#include "core/options/OptionsRules.h"
#include "desktop/MessageBoxes.h"

namespace tidorax {

bool CleanButtonAllows(MessageBoxes& messages, const PageClean& clean, const CleaningChoices& choices) {
    if (!choices[clean.choice]) {
        messages.show(clean.refusal, MessageKind::Information);
        return false;
    }
    return messages.ask(CleanQuestion(clean.firstLine), clean.question);
}

} // namespace tidorax

#include "desktop/options/OptionsCleaning.h"

#include "core/options/OptionsRules.h"
#include "desktop/DesktopServices.h"
#include "platform/Platform.h"

namespace tidorax {

bool CleanButtonAllows(MessageBoxes& messages, const CleanButtonRules& rules) {
    if (!rules.selected) {
        messages.show(rules.refusal, MessageKind::Information);
        return false;
    }
    return messages.show(CleanQuestion(rules.firstLine), rules.question) != IDNO;
}

CleaningReport RunOptionsCleaning(const DesktopServices& services,
                                  const std::function<CleaningReport(CleaningOperations&)>& steps) {
    CleaningReport report;
    CleaningOperations& operations = services.operations;
    services.actions.runWork([&report, &operations, &steps] { report = steps(operations); });
    for (const std::string& refusal : report.refusals()) {
        services.messages.show(refusal, MessageKind::Information);
    }
    return report;
}

} // namespace tidorax

#include "desktop/options/OptionsCleaning.h"

#include "core/options/OptionsRules.h"
#include "desktop/DesktopActions.h"
#include "desktop/windows/CountWindow.h"
#include "platform/Platform.h"

namespace tidorax {

bool CleanButtonAllows(const CleanButtonRules& rules) {
    if (!rules.selected) {
        platform().MsgBox(rules.refusal, MB_OK_INFORMATION, kOptionsTitle);
        return false;
    }
    return platform().MsgBox(CleanQuestion(rules.firstLine), rules.flags, kOptionsTitle) != IDNO;
}

CleaningReport RunOptionsCleaning(DesktopActions& actions, CleaningOperations& operations,
                                  const std::function<CleaningReport(CleaningOperations&)>& steps) {
    CleaningReport report;
    actions.runWork([&report, &operations, &steps] { report = steps(operations); });
    for (const std::string& refusal : report.refusals()) {
        platform().MsgBox(refusal, MB_OK_INFORMATION, kOptionsTitle);
    }
    return report;
}

void ShowOptionsCount(const CleaningReport& report) {
    CountWindow::instance()->ShowCount(StartedFrom::OptionsWindow, report.filesBefore(), report.filesAfter());
}

} // namespace tidorax

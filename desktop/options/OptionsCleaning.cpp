#include "desktop/options/OptionsCleaning.h"

#include "core/options/OptionsRules.h"
#include "core/settings/CleaningSettings.h"
#include "desktop/DesktopActions.h"
#include "desktop/windows/CountWindow.h"
#include "platform/Platform.h"

#include <algorithm>

namespace tidorax {

bool CleanButtonAllows(const CleanButtonRules& rules) {
    if (!rules.selected) {
        platform().MsgBox(rules.refusal, MB_OK_INFORMATION, kOptionsTitle);
        return false;
    }
    return platform().MsgBox(CleanQuestion(rules.firstLine), rules.flags, kOptionsTitle) != IDNO;
}

CleaningReport RunOptionsCleaning(DesktopActions& actions, CleaningOperations& operations,
                                  const std::vector<TargetKind>& kinds) {
    CleaningReport report;
    actions.runWork([&report, &operations, &kinds] { report = operations.Clean(kinds); });
    if (std::find(kinds.begin(), kinds.end(), TargetKind::UserFolder) != kinds.end() &&
        UserFolders().empty()) {
        platform().MsgBox("You Do Not Have Any Folders Selected!", MB_OK_INFORMATION, kOptionsTitle);
    }
    for (const std::string& refusal : report.refusals()) {
        platform().MsgBox(refusal, MB_OK_INFORMATION, kOptionsTitle);
    }
    return report;
}

void ShowOptionsCount(const CleaningReport& report) {
    CountWindow::instance()->ShowCount(StartedFrom::OptionsWindow, report.filesBefore(), report.filesAfter());
}

} // namespace tidorax

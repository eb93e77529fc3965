// How the options window cleans: the clean buttons' refusal and question, the run of
// the operations off the user-interface thread with input blocked, the refusals the
// engine reports, and the count.
#pragma once

#include "core/plans/CleaningOperations.h"

#include <string>
#include <vector>

namespace tidorax {

class DesktopActions;

struct CleanButtonRules {
    bool selected;         // the box of the "Options" tab that allows this clean
    const char* refusal;   // told when the box is clear
    const char* firstLine; // of the question
    int flags;             // of the question
};

// The title of every message box of the options window.
inline constexpr const char* kOptionsTitle = "Quillon Info.....";

// Tells the refusal when the box is clear, else asks the question; true when the
// clean may go on (any answer but No).
bool CleanButtonAllows(const CleanButtonRules& rules);

// Cleans the kinds through the desktop's work runner, then tells the user when user
// folders were asked for and none is listed, and each refusal the engine reported;
// returns what the clean did.
CleaningReport RunOptionsCleaning(DesktopActions& actions, CleaningOperations& operations,
                                  const std::vector<TargetKind>& kinds);

// Shows the count window for a run started here (it hides the options window
// meanwhile and brings it back).
void ShowOptionsCount(const CleaningReport& report);

} // namespace tidorax

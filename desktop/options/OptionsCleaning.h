// How the options window cleans: the clean buttons' refusal and question, the run of
// the operations off the user-interface thread with input blocked, the refusals the
// engine reports, and the count.
#pragma once

#include "core/cleaning/CleaningOperations.h"
#include "desktop/MessageKind.h"

#include <functional>
#include <string>

namespace tidorax {

struct DesktopServices;
class MessageBoxes;

struct CleanButtonRules {
    bool selected;         // the box of the "Options" tab that allows this clean
    const char* refusal;   // told when the box is clear
    const char* firstLine; // of the question
    MessageKind question;  // the kind of the question
};

// Tells the refusal when the box is clear, else asks the question; true when the
// clean may go on (any answer but No).
bool CleanButtonAllows(MessageBoxes& messages, const CleanButtonRules& rules);

// Runs the steps with the services' operations through the desktop's work runner,
// then tells each refusal the engine reported; returns what the steps did.
CleaningReport RunOptionsCleaning(const DesktopServices& services,
                                  const std::function<CleaningReport(CleaningOperations&)>& steps);

} // namespace tidorax

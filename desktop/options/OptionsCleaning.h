// The clean a page of the options window offers: what it cleans, the box of the "Options" page that
// allows it, the refusal told while the box is clear, and the question asked before
// it runs.
#pragma once

#include "core/cleaning/CleaningPlan.h"
#include "desktop/MessageKind.h"
#include "desktop/options/CleaningChoices.h"

#include <string>

namespace tidorax {

class MessageBoxes;

struct PageClean {
    TargetKind kind;       // what it cleans
    CleaningChoice choice; // the box that allows this clean
    std::string refusal;   // told when the box is clear
    std::string firstLine; // of the question
    MessageKind question;  // the kind of the question
};

// Tells the refusal when the box is clear, else asks the question; true when the
// clean may go on (any answer but No).
bool CleanButtonAllows(MessageBoxes& messages, const PageClean& clean, const CleaningChoices& choices);

} // namespace tidorax

// The kinds of message box the program shows, and the platform's flag numbers that
// stand for them where a box is asked for through the platform.
#pragma once

namespace tidorax {

enum class MessageKind {
    Information,      // OK, with the information icon
    Question,         // Yes and No, with the question icon
    CriticalQuestion, // Yes and No, with the critical icon
    Critical,         // OK, with the critical icon
};

// The platform's flags for a kind (MB_OK_INFORMATION, MB_YESNO_QUESTION, ...).
int MessageFlags(MessageKind kind);
// The kind the platform's flags ask for: Yes and No make a question (critical with
// the critical icon), the critical icon alone a critical box, anything else
// information.
MessageKind MessageKindOf(int flags);

} // namespace tidorax

// Refuses a system folder as a user folder, telling the user why.
#pragma once

#include <string>

class QLabel;

namespace tidorax {

class MessageBoxes;

// Sets accepted to false, warns in the instruction line and says "You Have Selected A
// System Folder" when the folder is one no clean may empty (IsSystemFolder), or says
// that it does not answer when its file system gives no answer within three seconds;
// leaves accepted as it is otherwise.
void CheckSystemFolder(const std::string& folder, bool& accepted, QLabel* instruction,
                       MessageBoxes& messages);

} // namespace tidorax

// Ending the program: every window of the program unloaded, then the end.
#pragma once

#include <functional>

class QWidget;

namespace tidorax {

// Sets the mouse pointer back to the default shape, unloads every window that is
// loaded, and ends the program with end.
void ExitProgram(const std::function<void()>& end);

// Unloads every top-level window except `keep`, ignoring any failure.
void UnloadOtherWindows(QWidget* keep);

// Sets every overridden mouse pointer back to the default.
void RestoreDefaultMousePointer();

// Ends the program: leaves the application's event loop.
void EndProgram();

} // namespace tidorax

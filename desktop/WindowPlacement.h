// Where the program's windows open: wholly on the usable area of their screen (the
// primary screen when they have none yet), never larger than it.
#pragma once

class QWidget;

namespace tidorax {

// Shrinks the window to the usable area of its screen when it is larger, then moves it
// there: centred when asked, else as little as keeps it wholly inside.
void FitOnScreen(QWidget* window, bool centred);

} // namespace tidorax

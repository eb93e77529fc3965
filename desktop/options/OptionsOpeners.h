// Registers the options window with the windows the tray and the count window ask
// for, with what it cleans with and where its long work runs.
#pragma once

namespace tidorax {

class CleaningOperations;
class DesktopActions;

void RegisterOptionsWindow(CleaningOperations& operations, DesktopActions& actions);

} // namespace tidorax

// The entry routine's decisions, apart from the windows: the silent cleaning run and
// the start-up steps of the tray program.
#pragma once

#include "core/plans/CleaningOperations.h"

#include <ostream>

namespace tidorax {

// The silent cleaning run: one plan of the kinds whose flag is set, in the order
// Internet files, cookies, Temp, user folders, made from one reading of the settings. What they did is not
// shown; a refused folder, or a settings store that cannot be read (nothing is cleaned then), is told in one
// line on errors. Needs no display. Returns the program's exit status: 1 when the settings store cannot be
// read or nothing could be cleaned safely (no process list to tell the files in use), else 0.
int RunViriRerer(CleaningOperations& operations, std::ostream& errors);

// What the tray program's start-up needs from the desktop.
class TrayStartupHost {
public:
    virtual ~TrayStartupHost() = default;
    // True when another tray instance of this user is running.
    virtual bool anotherInstanceRunning() = 0;
    // Asks the running instance to come forward; false when it cannot be reached.
    virtual bool activateRunningInstance() = 0;
    // Shows the already-running window (modeless).
    virtual void showAlreadyRunning() = 0;
    // Loads the hidden main window with its tray icon.
    virtual void loadMainWindow() = 0;
};

enum class TrayStartupOutcome { HandedOver, AlreadyRunningShown, MainWindowLoaded };

// The tray program's start-up: hand over to a running instance, tidy the settings,
// register for log-on, load the main window.
TrayStartupOutcome RunTrayStartup(TrayStartupHost& host);

// Removes the cleaning flags and the program's key when no cleaning flag is set.
void TidySettings();
// Writes the log-on value when it cannot be read; an existing value is never rewritten.
void RegisterAtLogon();

} // namespace tidorax

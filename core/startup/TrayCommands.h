// The rules of the tray menu's commands that need no window: when a cleaning
// command may run, and what "Remove All Paths" removes.
#pragma once

#include <optional>
#include <string>

namespace tidorax {

// The two tray commands that clean.
enum class TrayCleaningCommand { CleanAndShutdown, ViriRerer };

// True when at least one kind of cleaning is selected ("CleanPath" flags
// "InternetFiles", "CookieFiles", "TempFiles", "UserFolder"). Reads every flag.
bool AnyCleaningFlagSet();

// Why the command may not run: its own option is not set, or no kind of cleaning
// is selected; nullopt when it may run.
std::optional<std::string> CleaningCommandRefusal(TrayCleaningCommand command);

// Removes every setting of the program: the sections "SavedCookies", "CleanPath",
// "SpecialCookies" and "UserFolder", the log-on value, the program's key and the
// company key (the last only when it holds nothing else). Failures are skipped.
void RemoveAllSettings();

} // namespace tidorax

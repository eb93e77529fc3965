// The rules of the tray menu's commands that need no window: when a cleaning
// command may run, and what "Remove All Paths" removes.
#pragma once

#include <optional>
#include <string>

namespace tidorax {

// The two tray commands that clean.
enum class TrayCleaningCommand { CleanAndShutdown, ViriRerer };

// Why the command may not run: its own option is not set, or no kind of cleaning
// is selected; nullopt when it may run.
std::optional<std::string> CleaningCommandRefusal(TrayCleaningCommand command);

} // namespace tidorax

#include "core/startup/TrayCommands.h"

#include "core/settings/CleaningSettings.h"

namespace tidorax {

std::optional<std::string> CleaningCommandRefusal(TrayCleaningCommand command) {
    const bool shutdown = command == TrayCleaningCommand::CleanAndShutdown;
    if (!IsFlagSet(shutdown ? CleaningFlag::Shutdown : CleaningFlag::AutoFunction)) {
        return shutdown ? "Clean And ShutDown Box Not Checked On Options Form!"
                        : "The ViriRerer Box Must Be Checked For This Function To Work!";
    }
    if (!AnyCleaningFlagSet()) {
        return "You Have Not Selected Any Files To Be Cleaned!";
    }
    return std::nullopt;
}

} // namespace tidorax

#include "core/startup/TrayCommands.h"

#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"

namespace tidorax {

bool AnyCleaningFlagSet() {
    const bool internet = IsFlagSet("InternetFiles");
    const bool cookies = IsFlagSet("CookieFiles");
    const bool temp = IsFlagSet("TempFiles");
    const bool folders = IsFlagSet("UserFolder");
    return internet || cookies || temp || folders;
}

std::optional<std::string> CleaningCommandRefusal(TrayCleaningCommand command) {
    const bool shutdown = command == TrayCleaningCommand::CleanAndShutdown;
    if (!IsFlagSet(shutdown ? "Shutdown" : "AutoFunction")) {
        return shutdown ? "Clean And ShutDown Box Not Checked On Options Form!"
                        : "The ViriRerer Box Must Be Checked For This Function To Work!";
    }
    if (!AnyCleaningFlagSet()) {
        return "You Have Not Selected Any Files To Be Cleaned!";
    }
    return std::nullopt;
}

void RemoveAllSettings() {
    Settings.DeleteSetting("SavedCookies", "");
    Settings.DeleteSetting("CleanPath", "");
    Settings.DeleteSetting("SpecialCookies", "");
    Settings.DeleteSetting("UserFolder", "");
    RegistryAccess::DeleteRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software", "Quillon Software");
}

} // namespace tidorax

#include "core/startup/Startup.h"

#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "platform/Platform.h"

namespace tidorax {

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunKeyForWriting = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Tidora";

} // namespace

void RunViriRerer(CleaningOperations& operations) {
    // There is no tray icon to put up or take down in this mode, and no count to show:
    // it runs without any display, and tells of nothing, as a run from the tray would.
    RunSelectedOperations(operations, StartedFrom::TrayMenu);
}

void TidySettings() {
    const bool internet = IsFlagSet("InternetFiles");
    const bool cookies = IsFlagSet("CookieFiles");
    const bool temp = IsFlagSet("TempFiles");
    const bool userFolders = IsFlagSet("UserFolder");
    if (!internet && !cookies && !temp && !userFolders) {
        Settings.DeleteSetting("CleanPath", "");
        RegistryAccess::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
    }
}

void RegisterAtLogon() {
    RegistryAccess::RegValue current;
    if (RegistryAccess::GetRegValue("HKLM", kRunKey, kRunValue, "S", std::string(), current) !=
        ERROR_SUCCESS) {
        RegistryAccess::SetRegValue("HKLM", kRunKeyForWriting, kRunValue, "S",
                                    platform().programFolder() + "/Tidora30.exe");
    }
}

TrayStartupOutcome RunTrayStartup(TrayStartupHost& host) {
    if (host.anotherInstanceRunning()) {
        if (host.activateRunningInstance()) {
            return TrayStartupOutcome::HandedOver;
        }
        host.showAlreadyRunning();
        return TrayStartupOutcome::AlreadyRunningShown;
    }
    TidySettings();
    RegisterAtLogon();
    host.loadMainWindow();
    return TrayStartupOutcome::MainWindowLoaded;
}

} // namespace tidorax

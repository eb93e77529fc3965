#include "core/startup/Startup.h"

#include "core/settings/CleaningSettings.h"
#include "core/settings/RegistryAccess.h"
#include "platform/Platform.h"

namespace tidorax {

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunKeyForWriting = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Tidora";

} // namespace

int RunViriRerer(CleaningOperations& operations, std::ostream& errors) {
    // There is no tray icon to put up or take down in this mode, and no count to show:
    // it runs without any display. Only what the user must know goes to errors.
    RegistryHive& hive = platform().registry();
    if (!hive.usable()) {
        errors << "tidorax: nothing was cleaned: the settings store " << hive.path() << " cannot be read\n";
        return 1;
    }
    const CleaningReport report = operations.CleanSelected(Listing::CountOnly);
    for (const std::string& refusal : report.refusals()) {
        errors << "tidorax: " << refusal << '\n';
    }
    // A clean that could not go on to the end is no success, whatever it deleted.
    const std::vector<std::string> cutShort = report.cutShort();
    for (const std::string& sentence : cutShort) {
        errors << "tidorax: " << sentence << '\n';
    }
    return report.failure.empty() && cutShort.empty() ? 0 : 1;
}

void TidySettings() {
    if (!AnyCleaningFlagSet()) {
        RemoveCleaningFlags();
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

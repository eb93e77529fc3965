#include "core/settings/CleaningSettings.h"

#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"

namespace tidorax {

namespace {

constexpr const char* kFlags = "CleanPath";
constexpr const char* kSavedCookies = "SavedCookies";
constexpr const char* kSpecialCookies = "SpecialCookies";
constexpr const char* kUserFolders = "UserFolder";
constexpr const char* kCookiePrefix = "Cookie";
constexpr const char* kFolderPrefix = "File";
constexpr const char* kFirstRun = "FirstRun";

bool endsList(const std::string& entry) {
    return entry.empty() || entry == "0";
}

// The entries up to the first that ends a list, at most as many as a list holds.
std::vector<std::string> storedPart(const std::vector<std::string>& entries) {
    std::vector<std::string> part;
    for (const std::string& entry : entries) {
        if (endsList(entry) || part.size() == kMaxListEntries) {
            break;
        }
        part.push_back(entry);
    }
    return part;
}

} // namespace

const char* FlagName(CleaningFlag flag) {
    switch (flag) {
    case CleaningFlag::InternetFiles:
        return "InternetFiles";
    case CleaningFlag::TempFiles:
        return "TempFiles";
    case CleaningFlag::AutoFunction:
        return "AutoFunction";
    case CleaningFlag::CookieFiles:
        return "CookieFiles";
    case CleaningFlag::UserFolder:
        return "UserFolder";
    case CleaningFlag::Shutdown:
        return "Shutdown";
    }
    return "";
}

bool IsFlagSet(CleaningFlag flag) {
    return Settings.GetSetting(kFlags, FlagName(flag), "0") == "Yes";
}

bool StoreFlag(CleaningFlag flag, bool set) {
    if (set) {
        Settings.SaveSetting(kFlags, FlagName(flag), "Yes");
    } else {
        Settings.DeleteSetting(kFlags, FlagName(flag));
    }
    return IsFlagSet(flag) == set;
}

bool AnyCleaningFlagSet() {
    const bool internet = IsFlagSet(CleaningFlag::InternetFiles);
    const bool cookies = IsFlagSet(CleaningFlag::CookieFiles);
    const bool temp = IsFlagSet(CleaningFlag::TempFiles);
    const bool folders = IsFlagSet(CleaningFlag::UserFolder);
    return internet || cookies || temp || folders;
}

bool IsFirstRun() {
    return Settings.GetSetting(kFlags, kFirstRun, "0") != "No";
}

void RecordFirstRunDone() {
    Settings.SaveSetting(kFlags, kFirstRun, "No");
}

std::vector<std::string> SavedCookies() {
    return ReadSettingsList(kSavedCookies, kCookiePrefix);
}

std::vector<std::string> SpecialCookieSites() {
    return ReadSettingsList(kSpecialCookies, kCookiePrefix);
}

std::vector<std::string> UserFolders() {
    return ReadSettingsList(kUserFolders, kFolderPrefix);
}

bool StoreSavedCookies(const std::vector<std::string>& saved) {
    return WriteSettingsList(kSavedCookies, kCookiePrefix, storedPart(saved));
}

bool StoreSavedCookiesAndSites(const std::vector<std::string>& saved, const std::vector<std::string>& sites) {
    SettingsWriteGroup group;
    const std::vector<std::string> savedPart = storedPart(saved);
    const std::vector<std::string> sitesPart(
        sites.begin(), sites.begin() + static_cast<std::ptrdiff_t>(std::min(sites.size(), savedPart.size())));
    Settings.DeleteSetting(kSavedCookies);
    Settings.DeleteSetting(kSpecialCookies);
    const bool written = Settings.SaveSettingsList(kSpecialCookies, kCookiePrefix, sitesPart) &&
                         Settings.SaveSettingsList(kSavedCookies, kCookiePrefix, savedPart);
    return group.end() && written;
}

bool StoreUserFolders(const std::vector<std::string>& folders) {
    return WriteSettingsList(kUserFolders, kFolderPrefix, storedPart(folders));
}

void RemoveCleaningFlags() {
    Settings.DeleteSetting(kFlags, "");
    RegistryAccess::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
}

void RemoveAllSettings() {
    Settings.DeleteSetting(kSavedCookies, "");
    Settings.DeleteSetting(kFlags, "");
    Settings.DeleteSetting(kSpecialCookies, "");
    Settings.DeleteSetting(kUserFolders, "");
    RegistryAccess::DeleteRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software\\Quillon Software", "Tidora");
    RegistryAccess::DeleteRegKey("HKCU", "Software", "Quillon Software");
}

} // namespace tidorax

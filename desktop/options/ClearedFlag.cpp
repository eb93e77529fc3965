#include "desktop/options/ClearedFlag.h"

#include "core/settings/SettingsStore.h"
#include "platform/Platform.h"

#include <string>

namespace tidorax {

namespace {

bool known(LONG result) {
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_BADDB || result == ERROR_CANTOPEN;
}

} // namespace

bool FlagKnownCleared(CleaningFlag flag) {
    RegistryHive& hive = platform().registry();
    const std::string section = "Software\\" + Settings.Company() + "\\" + Settings.AppName() + "\\CleanPath";
    HKEY key = 0;
    const LONG opened = hive.RegOpenKeyExA(HKEY_CURRENT_USER, section.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (opened != ERROR_SUCCESS) {
        return known(opened);
    }
    const LONG read = hive.RegQueryValueExA(key, FlagName(flag), nullptr, nullptr, nullptr, nullptr);
    hive.RegCloseKey(key);
    return known(read);
}

} // namespace tidorax

// Small helpers for tests that look into the registry hive: one-line writes and reads
// of values and the names a key enumerates.
#pragma once

#include "platform/hive/RegistryHive.h"

#include <optional>
#include <string>
#include <vector>

namespace tidorax::test {

// The key of the values run at log-on, below HKEY_LOCAL_MACHINE.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct StoredValue {
    DWORD type = REG_NONE;
    std::string data;
    bool operator==(const StoredValue&) const = default;
};

// The text with its terminating zero byte, as a REG_SZ holds it.
inline std::string sz(const std::string& text) {
    return text + std::string(1, '\0');
}

// Opens (creating) path below root with full access; 0 when that fails.
inline HKEY createKey(RegistryHive& hive, HKEY root, const std::string& path) {
    HKEY key = 0;
    return hive.RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) == ERROR_SUCCESS
               ? key
               : 0;
}

// Opens path below root with the given access; 0 when that fails.
inline HKEY openKey(RegistryHive& hive, HKEY root, const std::string& path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = 0;
    return hive.RegOpenKeyExA(root, path.c_str(), 0, access, &key) == ERROR_SUCCESS ? key : 0;
}

inline LONG setValue(RegistryHive& hive, HKEY key, const std::string& name, DWORD type,
                     const std::string& data) {
    return hive.RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size()));
}

// The names of the key's subkeys, or of its values, in enumeration order.
inline std::vector<std::string> names(RegistryHive& hive, HKEY key, bool subKeys) {
    std::vector<std::string> found;
    char name[512];
    for (DWORD index = 0, length = sizeof name;
         (subKeys ? hive.RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)
                  : hive.RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)) ==
         ERROR_SUCCESS;
         ++index, length = sizeof name) {
        found.emplace_back(name, length);
    }
    return found;
}

// The value name of the key path below root as stored (handle closed again), or nullopt
// (also for a value of more than 4096 bytes, which no test writes).
inline std::optional<StoredValue> storedValue(RegistryHive& hive, HKEY root, const std::string& path,
                                              const std::string& name) {
    const HKEY key = openKey(hive, root, path, KEY_READ);
    std::string data(4096, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG result = key == 0 ? ERROR_FILE_NOT_FOUND
                                 : hive.RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                                         reinterpret_cast<BYTE*>(data.data()), &size);
    hive.RegCloseKey(key);
    data.resize(size);
    return result == ERROR_SUCCESS ? std::optional(StoredValue{type, data}) : std::nullopt;
}

// The program's log-on value, "Tidora", as stored; nullopt when there is none.
inline std::optional<StoredValue> runValue(RegistryHive& hive) {
    return storedValue(hive, HKEY_LOCAL_MACHINE, kRunKey, "Tidora");
}

inline bool keyExists(RegistryHive& hive, HKEY root, const std::string& path) {
    const HKEY key = openKey(hive, root, path, KEY_READ);
    hive.RegCloseKey(key);
    return key != 0;
}

} // namespace tidorax::test

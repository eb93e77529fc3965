// Small helpers for tests that look into the registry hive: one-line writes and reads
// of values and the names a key enumerates.
#pragma once

#include "platform/hive/RegistryHive.h"

#include <optional>
#include <string>
#include <vector>

namespace tidorax::test {

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
HKEY createKey(RegistryHive& hive, HKEY root, const std::string& path);
// Opens path below root with the given access; 0 when that fails.
HKEY openKey(RegistryHive& hive, HKEY root, const std::string& path, REGSAM access = KEY_ALL_ACCESS);
LONG setValue(RegistryHive& hive, HKEY key, const std::string& name, DWORD type, const std::string& data);
// The value as stored, or nullopt when the query fails.
std::optional<StoredValue> queryValue(RegistryHive& hive, HKEY key, const std::string& name);
// The names of the key's subkeys, or of its values, in enumeration order.
std::vector<std::string> names(RegistryHive& hive, HKEY key, bool subKeys);
inline std::vector<std::string> valueNames(RegistryHive& hive, HKEY key) {
    return names(hive, key, false);
}
inline std::vector<std::string> subKeyNames(RegistryHive& hive, HKEY key) {
    return names(hive, key, true);
}
// The value name of the key path below root as stored (handle closed again), or nullopt.
std::optional<StoredValue> storedValue(RegistryHive& hive, HKEY root, const std::string& path,
                                       const std::string& name);
bool keyExists(RegistryHive& hive, HKEY root, const std::string& path);

} // namespace tidorax::test

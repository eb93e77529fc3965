#include "tests/support/HiveTestSupport.h"

namespace tidorax::test {

HKEY createKey(RegistryHive& hive, HKEY root, const std::string& path) {
    HKEY key = 0;
    return hive.RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) == ERROR_SUCCESS
               ? key
               : 0;
}

HKEY openKey(RegistryHive& hive, HKEY root, const std::string& path, REGSAM access) {
    HKEY key = 0;
    return hive.RegOpenKeyExA(root, path.c_str(), 0, access, &key) == ERROR_SUCCESS ? key : 0;
}

LONG setValue(RegistryHive& hive, HKEY key, const std::string& name, DWORD type, const std::string& data) {
    return hive.RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size()));
}

std::optional<StoredValue> queryValue(RegistryHive& hive, HKEY key, const std::string& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (hive.RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    if (hive.RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    return StoredValue{type, data};
}

std::vector<std::string> names(RegistryHive& hive, HKEY key, bool subKeys) {
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

std::optional<StoredValue> storedValue(RegistryHive& hive, HKEY root, const std::string& path,
                                       const std::string& name) {
    const HKEY key = openKey(hive, root, path, KEY_READ);
    const auto value = key != 0 ? queryValue(hive, key, name) : std::nullopt;
    hive.RegCloseKey(key);
    return value;
}

bool keyExists(RegistryHive& hive, HKEY root, const std::string& path) {
    const HKEY key = openKey(hive, root, path, KEY_READ);
    hive.RegCloseKey(key);
    return key != 0;
}

} // namespace tidorax::test

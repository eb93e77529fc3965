#include "core/settings/RegistryAccess.h"

#include "platform/Platform.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

namespace tidorax::RegistryAccess {

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Removal of something that is not there counts as success.
LONG notFoundIsSuccess(LONG code) {
    return code == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : code;
}

} // namespace

HKEY RootKeyHandle(const std::string& RootName) {
    static constexpr std::array<std::pair<const char*, HKEY>, 6> roots{{
        {"HKCU", HKEY_CURRENT_USER},
        {"HKLM", HKEY_LOCAL_MACHINE},
        {"HKU", HKEY_USERS},
        {"HKDD", HKEY_DYN_DATA},
        {"HKCC", HKEY_CURRENT_CONFIG},
        {"HKCR", HKEY_CLASSES_ROOT},
    }};
    const std::string name = upper(RootName);
    for (const auto& [rootName, handle] : roots) {
        if (name == rootName) {
            return handle;
        }
    }
    return 0;
}

namespace {

// Opens KeyPath below the named root with the given access, runs work on the open
// key and closes it. UNKNOWN_ROOT without touching the registry for a root it does
// not know; otherwise the code of the open, or of the work.
template <typename Work>
LONG withOpenKey(const std::string& RootName, const std::string& KeyPath, REGSAM access, Work work) {
    const HKEY root = RootKeyHandle(RootName);
    if (root == 0) {
        return UNKNOWN_ROOT;
    }
    RegistryHive& reg = platform().registry();
    HKEY key = 0;
    LONG result = reg.RegOpenKeyExA(root, KeyPath.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) {
        result = work(reg, key);
        reg.RegCloseKey(key);
    }
    return result;
}

} // namespace

LONG DeleteRegKey(const std::string& RootName, const std::string& KeyPath, const std::string& SubKey) {
    return notFoundIsSuccess(
        withOpenKey(RootName, KeyPath, KEY_CREATE_SUB_KEY,
                    [&](RegistryHive& reg, HKEY key) { return reg.RegDeleteKeyA(key, SubKey.c_str()); }));
}

LONG DeleteRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName) {
    return notFoundIsSuccess(withOpenKey(RootName, KeyPath, KEY_SET_VALUE, [&](RegistryHive& reg, HKEY key) {
        return reg.RegDeleteValueA(key, ValueName.c_str());
    }));
}

LONG GetRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName,
                 const std::string& TypeLetter, const RegValue& Default, RegValue& Value) {
    Value = Default;
    const std::string type = upper(TypeLetter);
    return withOpenKey(RootName, KeyPath, KEY_QUERY_VALUE, [&](RegistryHive& reg, HKEY key) {
        const char* name = ValueName.c_str();
        DWORD valueType = 0;
        LONG result = ERROR_SUCCESS;
        if (type == "S") {
            // Ask with an empty buffer first to learn the size.
            BYTE probe = 0;
            DWORD size = 0;
            result = reg.RegQueryValueExA(key, name, nullptr, &valueType, &probe, &size);
            if (result == ERROR_MORE_DATA) {
                std::vector<BYTE> buffer(size);
                result = reg.RegQueryValueExA(key, name, nullptr, &valueType, buffer.data(), &size);
                if (result == ERROR_SUCCESS) {
                    Value =
                        std::string(reinterpret_cast<const char*>(buffer.data()), size > 0 ? size - 1 : 0);
                }
            }
        } else if (type == "B") {
            std::int16_t flag = 0;
            DWORD size = sizeof flag;
            result =
                reg.RegQueryValueExA(key, name, nullptr, &valueType, reinterpret_cast<BYTE*>(&flag), &size);
            if (result == ERROR_SUCCESS) {
                Value = flag != 0;
            }
        } else if (type == "D") {
            std::int32_t number = 0;
            DWORD size = sizeof number;
            result =
                reg.RegQueryValueExA(key, name, nullptr, &valueType, reinterpret_cast<BYTE*>(&number), &size);
            if (result == ERROR_SUCCESS) {
                Value = number;
            }
        }
        return result;
    });
}

namespace {

std::string asText(const RegValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? "True" : "False";
    }
    return std::to_string(std::get<std::int32_t>(value));
}

bool asFlag(const RegValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag;
    }
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number != 0;
    }
    const std::string text = upper(std::get<std::string>(value));
    return text == "TRUE" || text == "-1" || text == "1" || text == "YES";
}

std::int32_t asNumber(const RegValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    if (const auto* flag = std::get_if<bool>(&value)) {
        return *flag ? -1 : 0;
    }
    try {
        return static_cast<std::int32_t>(std::stol(std::get<std::string>(value)));
    } catch (...) {
        return 0;
    }
}

} // namespace

LONG SetRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName,
                 const std::string& TypeLetter, const RegValue& Value) {
    const HKEY root = RootKeyHandle(RootName);
    if (root == 0) {
        return UNKNOWN_ROOT;
    }
    RegistryHive& reg = platform().registry();
    HKEY key = 0;
    LONG result = reg.RegCreateKeyExA(root, KeyPath.c_str(), 0, "", REG_OPTION_NON_VOLATILE,
                                      KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    const std::string type = upper(TypeLetter);
    if (type == "S") {
        const std::string text = asText(Value);
        result =
            reg.RegSetValueExA(key, ValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
    } else if (type == "B") {
        const std::int16_t flag = asFlag(Value) ? -1 : 0;
        result = reg.RegSetValueExA(key, ValueName.c_str(), 0, REG_BINARY,
                                    reinterpret_cast<const BYTE*>(&flag), sizeof flag);
    } else if (type == "D") {
        const std::int32_t number = asNumber(Value);
        result = reg.RegSetValueExA(key, ValueName.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    reg.RegCloseKey(key);
    return result;
}

} // namespace tidorax::RegistryAccess

#include "core/settings/RegistryAccess.h"

#include "core/settings/RegKey.h"
#include "platform/AsciiCase.h"
#include "platform/Platform.h"
#include "platform/RegistryRoots.h"

#include <utility>

namespace tidorax::RegistryAccess {

namespace {

// Removal of something that is not there counts as success.
LONG notFoundIsSuccess(LONG code) {
    return code == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : code;
}

} // namespace

HKEY RootKeyHandle(const std::string& RootName) {
    const auto root = rootByShortName(RootName);
    return root ? root->handle : 0;
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
    RegKey key;
    const LONG result = key.open(root, KeyPath, access);
    return result == ERROR_SUCCESS ? work(key) : result;
}

// Reads a value into a number of its own size: larger data is ERROR_MORE_DATA, and
// smaller data fills only the low bytes.
template <typename Number> LONG readFixedSize(const RegKey& key, const std::string& name, Number& number) {
    DWORD type = 0;
    DWORD size = sizeof number;
    return key.hive().RegQueryValueExA(key.handle(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&number), &size);
}

} // namespace

LONG DeleteRegKey(const std::string& RootName, const std::string& KeyPath, const std::string& SubKey) {
    return notFoundIsSuccess(withOpenKey(RootName, KeyPath, KEY_CREATE_SUB_KEY, [&](RegKey& key) {
        return key.hive().RegDeleteKeyA(key.handle(), SubKey.c_str());
    }));
}

LONG DeleteRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName) {
    return notFoundIsSuccess(withOpenKey(RootName, KeyPath, KEY_SET_VALUE, [&](RegKey& key) {
        return key.hive().RegDeleteValueA(key.handle(), ValueName.c_str());
    }));
}

LONG GetRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName,
                 const std::string& TypeLetter, const RegValue& Default, RegValue& Value) {
    Value = Default;
    const std::string type = upperAscii(TypeLetter);
    return withOpenKey(RootName, KeyPath, KEY_QUERY_VALUE, [&](RegKey& key) {
        if (type == "S") {
            RegKey::Value text;
            const LONG result = key.readValue(ValueName, text);
            // A value without data bytes leaves the default in place.
            if (result == ERROR_SUCCESS && !text.data.empty()) {
                Value = RegKey::Text(std::move(text.data));
            }
            return result;
        }
        if (type == "B") {
            std::int16_t flag = 0;
            const LONG result = readFixedSize(key, ValueName, flag);
            if (result == ERROR_SUCCESS) {
                Value = flag != 0;
            }
            return result;
        }
        if (type == "D") {
            std::int32_t number = 0;
            const LONG result = readFixedSize(key, ValueName, number);
            if (result == ERROR_SUCCESS) {
                Value = number;
            }
            return result;
        }
        return ERROR_SUCCESS;
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
    const std::string text = upperAscii(std::get<std::string>(value));
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
    RegKey key;
    LONG result = key.create(root, KeyPath, KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    RegistryHive& reg = key.hive();
    const std::string type = upperAscii(TypeLetter);
    if (type == "S") {
        const std::string text = asText(Value);
        result = reg.RegSetValueExA(key.handle(), ValueName.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>(text.size() + 1));
    } else if (type == "B") {
        const std::int16_t flag = asFlag(Value) ? -1 : 0;
        result = reg.RegSetValueExA(key.handle(), ValueName.c_str(), 0, REG_BINARY,
                                    reinterpret_cast<const BYTE*>(&flag), sizeof flag);
    } else if (type == "D") {
        const std::int32_t number = asNumber(Value);
        result = reg.RegSetValueExA(key.handle(), ValueName.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return result;
}

} // namespace tidorax::RegistryAccess

// Registry access by root name ("HKCU", "HKLM", "HKU", "HKDD", "HKCC", "HKCR"), used
// for the log-on registration and for removing the program's own keys. Every call
// returns 0 on success, the Windows error code otherwise, and 99 for an unknown root.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>
#include <variant>

namespace tidorax::RegistryAccess {

inline constexpr LONG UNKNOWN_ROOT = 99;

// What GetRegValue reads: text for "S", a truth value for "B", a number for "D".
using RegValue = std::variant<std::string, bool, std::int32_t>;

HKEY RootKeyHandle(const std::string& RootName);
LONG DeleteRegKey(const std::string& RootName, const std::string& KeyPath, const std::string& SubKey);
LONG DeleteRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName);
LONG GetRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName,
                 const std::string& TypeLetter, const RegValue& Default, RegValue& Value);
LONG SetRegValue(const std::string& RootName, const std::string& KeyPath, const std::string& ValueName,
                 const std::string& TypeLetter, const RegValue& Value);

} // namespace tidorax::RegistryAccess

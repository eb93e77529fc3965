// The texts tidorax-reg writes: its messages and usage, the lines query lists values
// with, and the lines of a .reg file that export writes (which regedit can import).
#pragma once

#include "core/settings/RegKey.h"

#include <string>

namespace tidorax::RegText {

inline constexpr const char* kSuccess = "The operation completed successfully.\n";
inline constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";
inline constexpr const char* kCancelled = "The operation was cancelled by the user.\n";
inline constexpr const char* kExportHeader = "Windows Registry Editor Version 5.00\n\n";
extern const char* const kUsage;

// REG_SZ, REG_DWORD, ...; REG_UNKNOWN(n) for a type without a name.
std::string typeName(DWORD type);
// "    Name    REG_TYPE    data\n", (Default) for the unnamed value.
std::string displayLine(const RegKey::Value& value);
// "Name"=data in .reg syntax: plain text, dword:, hex: or hex(type): with the exact bytes.
std::string exportLine(const RegKey::Value& value);

} // namespace tidorax::RegText

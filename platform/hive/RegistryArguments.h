// The arguments of the registry calls: key paths split into their parts, and results
// copied into the caller's buffers the way the Win32 calls do it.
#pragma once

#include "platform/Win32Types.h"

#include <string>
#include <vector>

namespace tidorax {

// "A\B\\C\" -> {"A", "B", "C"}; empty parts are dropped, so "" and "\" (and null)
// name the key itself.
std::vector<std::string> splitKeyPath(const char* subKey);

// The longest key name (one step of a path) and value name the registry takes.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// A value name as given; null is the unnamed value "".
std::string nameOf(const char* name);

// Copies bytes to a caller's buffer: the size is always reported, the data only when
// it fits (ERROR_MORE_DATA otherwise).
LONG deliver(const std::string& bytes, BYTE* lpData, DWORD* lpcbData);

// Copies a name with its terminating zero when it fits; the count excludes the zero.
LONG deliverName(const std::string& name, char* buffer, DWORD* lpcch);

// Keys carry no class: reports an empty one.
void deliverNoClass(char* lpClass, DWORD* lpcchClass);

} // namespace tidorax

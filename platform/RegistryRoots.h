// The predefined registry roots, each with its short name (HKCU), its long name
// (HKEY_CURRENT_USER) and its handle: the one table the hive, the settings and the
// command-line tool name roots by.
#pragma once

#include "platform/Win32Types.h"

#include <array>
#include <optional>
#include <string_view>

namespace tidorax {

struct RegistryRoot {
    const char* shortName;
    const char* longName;
    HKEY handle;
};

// In the order of their handles.
inline constexpr std::array<RegistryRoot, 6> kRegistryRoots{{
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCC", "HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    {"HKDD", "HKEY_DYN_DATA", HKEY_DYN_DATA},
}};

// The root with that handle, or with that name in any case; nullopt for anything else.
std::optional<RegistryRoot> rootByHandle(HKEY handle);
std::optional<RegistryRoot> rootByShortName(std::string_view name);
std::optional<RegistryRoot> rootByLongName(std::string_view name);

} // namespace tidorax

// Where things are in the hive: the predefined roots and the machine's Run key, whose
// value "Tidora" is kept as the desktop's autostart entry instead of in the file.
#pragma once

#include "platform/Win32Types.h"

#include <array>

namespace tidorax {

struct RootKey {
    HKEY handle;
    const char* name;
};

inline constexpr std::array<RootKey, 6> kRoots{{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
}};

// The Run key below HKEY_LOCAL_MACHINE.
inline constexpr std::array<const char*, 5> kRunPath{
    {"Software", "Microsoft", "Windows", "CurrentVersion", "Run"}};
inline constexpr const char* kRunValueName = "Tidora";

} // namespace tidorax

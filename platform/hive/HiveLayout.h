// Where things are in the hive: the machine's Run key, whose value "Tidora" is kept as
// the desktop's autostart entry instead of in the file. The roots are in
// platform/RegistryRoots.h.
#pragma once

#include <array>

namespace tidorax {

// The Run key below HKEY_LOCAL_MACHINE.
inline constexpr std::array<const char*, 5> kRunPath{
    {"Software", "Microsoft", "Windows", "CurrentVersion", "Run"}};
inline constexpr const char* kRunValueName = "Tidora";

} // namespace tidorax

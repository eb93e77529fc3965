// A failed hive call, carrying the Windows result code it ends with. Thrown by the
// SQLite helpers and the store, and turned into the call's result by RegistryHive.
#pragma once

#include "platform/Win32Types.h"

namespace tidorax {

struct HiveError {
    LONG code;
};

} // namespace tidorax

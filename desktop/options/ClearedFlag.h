// Whether the settings store says that a cleaning flag is gone. A flag the store cannot
// read for the moment (another program holds it) is not known to be gone; in a store
// that cannot be opened at all every flag reads as cleared, as the program reads it.
#pragma once

#include "core/settings/CleaningSettings.h"

namespace tidorax {

bool FlagKnownCleared(CleaningFlag flag);

} // namespace tidorax

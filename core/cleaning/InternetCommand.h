// The command line that empties the Temporary Internet Files folder on Windows: the
// command interpreter runs "Deltree /Y" on the 98/ME group and "DEL /q /s /f /a :R" on
// the NT 5 group. No other version has a command.
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>

namespace tidorax {

// Interpreter is the value of "comspec"; Folder ends with "/". nullopt when the version
// is in neither group.
std::optional<std::string> InternetFilesCommandLine(const OsVersionInfo& Version,
                                                    const std::string& Interpreter,
                                                    const std::string& Folder);

} // namespace tidorax

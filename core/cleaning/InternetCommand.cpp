#include "core/cleaning/InternetCommand.h"

#include "core/settings/WindowsVersion.h"

namespace tidorax {

std::optional<std::string> InternetFilesCommandLine(const OsVersionInfo& Version,
                                                    const std::string& Interpreter,
                                                    const std::string& Folder) {
    if (IsWin98MeGroup(Version)) {
        return Interpreter + " /c Deltree /Y \"" + Folder + "\"";
    }
    if (IsNT5Group(Version)) {
        return Interpreter + " /c DEL /q /s /f /a :R \"" + Folder + "*.*\"";
    }
    return std::nullopt;
}

} // namespace tidorax

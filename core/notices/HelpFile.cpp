#include "core/notices/HelpFile.h"

#include "platform/Platform.h"

#include <filesystem>
#include <system_error>

namespace tidorax {

std::string HelpFilePath() {
    const std::filesystem::path folder = platform().programFolder();
    if (folder.empty()) {
        return {};
    }
    const std::filesystem::path places[] = {
        folder / kHelpFileName,
        folder / ".." / "share" / "tidorax" / kHelpFileName,
    };
    for (const std::filesystem::path& place : places) {
        std::error_code error;
        if (std::filesystem::is_regular_file(place, error)) {
            return place.lexically_normal().string();
        }
    }
    return {};
}

} // namespace tidorax

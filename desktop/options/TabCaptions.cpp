#include "desktop/options/TabCaptions.h"

namespace tidorax {

std::string InternetFolderCaption(std::size_t files) {
    return "Temporary Internet Folder Contains " + std::to_string(files) + " Files";
}

std::string TempFolderCaption(std::size_t files) {
    return "Temp Folder Contains " + std::to_string(files) + " Files";
}

std::string TempInUseCaption(std::size_t files) {
    return "The " + std::to_string(files) + " Files Remaining Are In Use";
}

std::string CookieFolderCaption(std::size_t files) {
    return "Cookie Folder Contains " + std::to_string(files == 0 ? 0 : files - 1) + " Cookies";
}

std::string SavedCookiesCaption(std::size_t saved) {
    return "You Have " + std::to_string(saved) + " Cookies Saved";
}

} // namespace tidorax

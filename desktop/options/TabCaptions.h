// The count lines of the options window's cleaning tabs.
#pragma once

#include <cstddef>
#include <string>

namespace tidorax {

// Internet tab: "Temporary Internet Folder Contains N Files".
std::string InternetFolderCaption(std::size_t files);
// Temp tab: "Temp Folder Contains N Files".
std::string TempFolderCaption(std::size_t files);
// Temp tab, the files a clean left: "The N Files Remaining Are In Use".
std::string TempInUseCaption(std::size_t files);
// Cookies tab: "Cookie Folder Contains N Cookies", one less than the folder holds
// (the browser's own index file is no cookie), never below 0.
std::string CookieFolderCaption(std::size_t files);
// Cookies tab: "You Have N Cookies Saved".
std::string SavedCookiesCaption(std::size_t saved);

} // namespace tidorax

// Cleaning of the Cookies folder, sparing saved cookies, the current cookies of the
// special sites and every file whose name ends in ".dat".
#pragma once

#include <string>

namespace tidorax {

void CleanCookieFiles(const std::string& WindowName);

// Fills the options window's Cookies tab: List3 with every file below Folder (ending
// with "/"), List4 with the saved cookies, and the two count lines.
void ListCookieFiles(const std::string& Folder);

} // namespace tidorax

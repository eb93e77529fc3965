// Cleaning of the Cookies folder, sparing saved cookies and ".dat" files.
#pragma once

#include <string>

namespace tidorax {

void CleanCookieFiles(const std::string& WindowName);

} // namespace tidorax

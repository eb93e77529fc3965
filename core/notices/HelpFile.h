// Where the help document lies: beside the executable (a build tree or an unpacked
// copy), else in the installed data folder "../share/tidorax/" relative to it.
#pragma once

#include <string>

namespace tidorax {

// The name of the help document.
inline constexpr const char* kHelpFileName = "Tidora.html";

// The full path of the help document, or the empty text when neither place holds it.
std::string HelpFilePath();

} // namespace tidorax

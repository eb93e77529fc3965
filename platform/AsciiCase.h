// Case for names that compare case-insensitively: registry key and value names, root
// names and command-line words. Only the ASCII letters change case, whatever the
// locale; every other byte stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace tidorax {

std::string upperAscii(std::string text);
std::string lowerAscii(std::string text);
bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right);

} // namespace tidorax

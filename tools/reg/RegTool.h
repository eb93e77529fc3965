// tidorax-reg: query, add, delete and export keys and values of the hive, in the
// manner of Windows' reg command.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tidorax {

// Runs one command (args without the program name); returns the exit code.
int RunRegTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in);

} // namespace tidorax

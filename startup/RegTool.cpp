#include "startup/RegTool.h"

#include <ostream>

namespace tidorax {

int RunRegTool(const std::vector<std::string>&, std::ostream&, std::ostream& err, std::istream&) {
    err << "ERROR: not available yet.\n";
    return 1;
}

} // namespace tidorax

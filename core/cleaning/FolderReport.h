// What one folder's clean found: every file below the folder before the clean and
// after it. The after list is also the folder's fresh listing.
#pragma once

#include "core/cleaning/FileWalk.h"

#include <string>

namespace tidorax {

struct FolderReport {
    std::string folder; // ends with "/"
    FileList before;
    FileList after;
};

} // namespace tidorax

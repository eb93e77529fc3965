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
    // Why the folder was neither listed nor cleaned (a sentence for the user); empty
    // when it was cleaned.
    std::string refusal;
};

} // namespace tidorax

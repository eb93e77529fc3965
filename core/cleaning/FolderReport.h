// What one folder's clean found: every file below the folder before the clean and
// after it. The after list is also the folder's fresh listing.
#pragma once

#include "core/cleaning/FileWalk.h"

#include <string>

namespace tidorax {

// Whether a clean keeps the paths it found (for a window that shows them) or only
// counts them (the tray's commands and the silent run), in memory that does not grow
// with the number of files.
enum class Listing { Keep, CountOnly };

struct FolderReport {
    std::string folder; // ends with "/"
    FileList before;    // empty when only counted
    FileList after;
    // Why the folder was neither listed nor cleaned (a sentence for the user); empty
    // when it was cleaned.
    std::string refusal;
    // How many files were below the folder before and after; set in both listings.
    std::size_t beforeCount = 0;
    std::size_t afterCount = 0;
};

} // namespace tidorax

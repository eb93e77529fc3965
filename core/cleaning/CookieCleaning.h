// Cleaning of the Cookies folder, sparing saved cookies, the current cookies of the
// special sites and every file whose name ends in ".dat".
#pragma once

#include "core/cleaning/CleaningReport.h"

#include <string>

namespace tidorax {

CleaningReport CleanCookieFiles(Listing listing = Listing::Keep);

struct CookieFolderListing {
    FileList files; // every file below the folder
    FileList saved; // the saved cookies, as stored
};

// What the options window shows of the Cookies folder.
CookieFolderListing ListCookieFiles(const std::string& Folder);

} // namespace tidorax

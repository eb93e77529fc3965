// Which cookie files a cleaning deletes. The user keeps a cookie by saving its path
// ("SavedCookies"); the site part of its name then becomes a special cookie
// ("SpecialCookies"), whose current files are all kept whatever they are called now.
#pragma once

#include "core/cleaning/FileWalk.h"

#include <string>

namespace tidorax {

struct CookieSelection {
    FileList saved;        // the saved cookies, each special site's entries replaced by its current files
    FileList toDelete;     // every file below the folder that is not saved
    FileList specialSites; // as stored
};

// The site of a cookie path: drop the last four characters (the extension), keep what
// follows the first "@" (all when there is none), cut at the first "[".
std::string CookieSiteName(const std::string& Path);

// Which files below Folder a cookie cleaning deletes, and the saved list it keeps.
// Rewrites "SavedCookies" when the special sites changed it.
CookieSelection SelectCookiesToDelete(const std::string& Folder);

} // namespace tidorax

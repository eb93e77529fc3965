// Which cookie files a cleaning deletes. The user keeps a cookie by saving its path
// ("SavedCookies"); the site part of its name then becomes a special cookie
// ("SpecialCookies"), whose current files are all kept whatever they are called now.
#pragma once

#include "core/cleaning/FileWalk.h"

#include <string>

namespace tidorax {

struct CookieSelection {
    FileList saved;    // the saved cookies, each special site's entries replaced by its current files
    FileList toDelete; // every file found that is not saved
    bool savedChanged; // saved differs from the stored list: the caller stores it
};

// The site of a cookie path: drop the last four characters (the extension), keep what
// follows the first "@" (all when there is none), cut at the first "[".
std::string CookieSiteName(const std::string& Path);

// Which of the files found a cookie cleaning deletes, and the saved list it keeps, from
// the stored saved cookies and special sites.
CookieSelection SelectCookiesToDelete(const FileList& saved, const FileList& specialSites, FileList found);

} // namespace tidorax

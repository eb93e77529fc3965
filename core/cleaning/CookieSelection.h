// Which cookie files a cleaning deletes. The user keeps a cookie by saving its path
// ("SavedCookies"); the site part of its name then becomes a special cookie
// ("SpecialCookies"), whose current files are all kept whatever they are called now.
#pragma once

#include <string>

namespace tidorax {

// The site of a cookie path: drop the last four characters (the extension), keep what
// follows the first "@" (all when there is none), cut at the first "[".
std::string CookieSiteName(const std::string& Path);

// Fills Form1Lists(): List1 with the saved cookies, where the entries of each special
// site are replaced by the site's current files; List5 with the special sites; List2
// with every file below Folder (ending with "/") that is not saved. Rewrites
// "SavedCookies" when the special sites changed it.
void SelectCookiesToDelete(const std::string& Folder);

} // namespace tidorax

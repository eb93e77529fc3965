// The profiles of the browsers found for this user, each with its cache folders and
// cookie stores as they are now. Finding them reads only the browsers' own lists
// (profiles.ini, Local State) and looks at which folders and files are there; it
// changes nothing.
#pragma once

#include "core/browsers/BrowserTable.h"

#include <string>
#include <vector>

namespace tidorax {

struct BrowserProfile {
    const BrowserRow* browser = nullptr;
    // As the user knows it: Firefox's profile name ("default-esr"), Chromium's profile
    // folder ("Default", "Profile 1").
    std::string name;
    std::string folder;                    // the profile folder, absolute
    std::string lockLink;                  // the link a running browser holds for this profile
    std::vector<std::string> caches;       // its cache folders that are there
    std::vector<std::string> cookieStores; // its cookie store files that are there
};

// Every profile of every known browser, in the order of the table; a profile folder
// reached twice (through a link, or listed by two packagings) is given once. Folders
// come from the platform's environment and home folder, as the special folders do.
std::vector<BrowserProfile> FindBrowserProfiles();

} // namespace tidorax

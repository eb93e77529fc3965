// How each family of browsers lists its profiles: Mozilla's profiles.ini and
// Chromium's Local State. A name that would lead out of the folder is never listed.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

struct ListedProfile {
    std::string name;
    std::string folder;   // absolute
    std::string relative; // below the listing's folder; "" for a profile listed by its full path
};

// The [ProfileN] sections of Folder/profiles.ini: "Path" below Folder when
// "IsRelative" is not "0", else a full path.
std::vector<ListedProfile> ReadMozillaProfiles(const std::string& folder);

// The profiles of a Chromium user data folder: the names of "profile.info_cache" in
// Folder/"Local State", and "Default" and "Profile N" folders that are there also when
// that file is missing or damaged; each once, in that order.
std::vector<ListedProfile> ReadChromiumProfiles(const std::string& folder);

} // namespace tidorax

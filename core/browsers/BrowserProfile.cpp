#include "core/browsers/BrowserProfile.h"

#include "core/browsers/ProfileLists.h"
#include "core/settings/SpecialFolders.h"
#include "platform/Platform.h"

#include <climits>
#include <cstdlib>
#include <set>
#include <sys/stat.h>

namespace tidorax {

namespace {

std::string baseFolder(BaseFolder base) {
    switch (base) {
    case BaseFolder::Home:
        return platform().homeFolder();
    case BaseFolder::ConfigHome:
        return ConfigHomeFolder();
    case BaseFolder::CacheHome:
        return CacheHomeFolder();
    }
    return {};
}

// The place as a full path; "" when it has none or its base is not a full path.
std::string placePath(const FolderPlace& place) {
    const std::string base = place.path == nullptr ? std::string() : baseFolder(place.base);
    return base.empty() || base.front() != '/' ? std::string() : base + "/" + place.path;
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A file itself, not a link to one: a store is never reached through a link.
bool isPlainFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : path;
}

void addFolders(const std::vector<std::string>& candidates, std::vector<std::string>& folders) {
    for (const std::string& candidate : candidates) {
        if (isFolder(candidate)) {
            folders.push_back(candidate);
        }
    }
}

BrowserProfile profileOf(const BrowserRow& row, const std::string& profilesFolder,
                         const std::string& cacheFolder, const ListedProfile& listed) {
    BrowserProfile profile{&row, listed.name, listed.folder, {}, {}, {}};
    // A cache folder below the browser's cache folder, or (a profile listed by its
    // full path, a user data folder elsewhere) in the profile itself.
    const std::string cacheBelow =
        listed.relative.empty() || cacheFolder.empty() ? std::string() : cacheFolder + "/" + listed.relative;
    if (row.family == BrowserFamily::Mozilla) {
        profile.lockLink = listed.folder + "/lock";
        addFolders({cacheBelow.empty() ? "" : cacheBelow + "/cache2", listed.folder + "/cache2"},
                   profile.caches);
    } else {
        profile.lockLink = profilesFolder + "/SingletonLock";
        for (const char* name : {"/Cache", "/Code Cache"}) {
            addFolders({cacheBelow.empty() ? "" : cacheBelow + name, listed.folder + name}, profile.caches);
        }
    }
    for (const char* file : row.cookies.files) {
        if (file != nullptr && isPlainFile(listed.folder + "/" + file)) {
            profile.cookieStores.push_back(listed.folder + "/" + file);
        }
    }
    return profile;
}

} // namespace

std::vector<BrowserProfile> FindBrowserProfiles() {
    std::vector<BrowserProfile> profiles;
    std::set<std::string> seen;
    for (const BrowserRow& row : KnownBrowsers()) {
        for (const BrowserInstall& install : row.installs) {
            const std::string folder = placePath(install.profiles);
            if (folder.empty() || !isFolder(folder)) {
                continue;
            }
            const std::string caches = placePath(install.caches);
            const std::vector<ListedProfile> listed = row.family == BrowserFamily::Mozilla
                                                          ? ReadMozillaProfiles(folder)
                                                          : ReadChromiumProfiles(folder);
            for (const ListedProfile& entry : listed) {
                if (isFolder(entry.folder) && seen.insert(resolved(entry.folder)).second) {
                    profiles.push_back(profileOf(row, folder, caches, entry));
                }
            }
        }
    }
    return profiles;
}

} // namespace tidorax

// The folders that no clean may empty, and the one check that every clean (Temp, web
// cache, Cookies, each user folder) and the options window's choice of a user folder
// make before anything is listed or deleted.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tidorax {

struct ProtectedFolder {
    std::string path; // absolute, as found (it is resolved when compared)
    std::string what; // what it is, for the user: "the home folder", "a system folder"
};

// "/", the user's personal folders (home, XDG user folders, $XDG_CONFIG_HOME,
// $XDG_DATA_HOME), the profiles of the browsers found and the system's own folders
// (/usr, /etc, /var, /boot, ...).
std::vector<ProtectedFolder> ProtectedFolders();

// The folder with every symbolic link, ".", ".." and trailing "/" resolved; the part
// that does not exist is kept as written (normalised). nullopt when a link on the way
// lies in a sticky, world-writable folder and belongs to neither the user nor that
// folder's owner (a link planted by another user, which the kernel's protected-symlink
// rule would not follow either), or when the links loop.
std::optional<std::string> ResolveFolder(const std::string& folder);

// True when Outer is Inner or a folder above it (both resolved).
bool FolderContains(const std::string& outer, const std::string& inner);

// Why Folder may not be cleaned, in one sentence for the user; nullopt when it may.
// Refused: a folder that is not absolute, a folder reached through a planted link, and
// a folder that, resolved, is or holds one of the protected folders.
std::optional<std::string> CleaningRefusal(const std::string& folder,
                                           const std::vector<ProtectedFolder>& protectedFolders);

} // namespace tidorax

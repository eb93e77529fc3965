// Special folders by their CSIDL number. A user may point any of them elsewhere with
// a REG_SZ value under HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User
// Shell Folders (the Windows value names: "Cache", "Cookies", "Desktop", ...);
// otherwise they come from the XDG base and user directories.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tidorax {

inline constexpr std::int32_t CSIDL_INTERNET_CACHE = 0x20;
inline constexpr std::int32_t CSIDL_COOKIES = 0x21;

// The folder's absolute path without a trailing "/" (except "/" itself), or the
// empty text when the number names no folder here.
std::string SpecialFolderPath(std::int32_t Csidl);

// The folders of the user that no clean may empty, as the desktop defines them
// (overrides under "User Shell Folders" aside), each with what it is: the home folder,
// the XDG user folders (desktop, documents, downloads, music, pictures, videos,
// templates, public) and $XDG_CONFIG_HOME and $XDG_DATA_HOME. Folders that cannot be
// found are left out.
std::vector<std::pair<std::string, std::string>> PersonalFolders();

// $XDG_CONFIG_HOME and $XDG_CACHE_HOME when they hold a full path, else the home
// folder's ".config" and ".cache"; "" when neither gives a full path. No value under
// "User Shell Folders" moves them: they say where other programs keep their things.
std::string ConfigHomeFolder();
std::string CacheHomeFolder();

// True when a value under "User Shell Folders" points the folder elsewhere (even one
// that names no usable folder).
bool SpecialFolderChosen(std::int32_t Csidl);

// The Windows value name under "User Shell Folders" for a CSIDL, or "" when none.
std::string UserShellFolderValueName(std::int32_t Csidl);

} // namespace tidorax

// The folders that may not become user folders: "/" and the special folders (desktop,
// documents, application data, the web cache, the system's folders, ...), and every
// folder that holds one of them or a folder that no clean may empty.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

// "/" then the path of every special folder asked for (numbers 0 to 11 and 16 to 48),
// each in upper case; a number with no folder here gives the empty text.
std::vector<std::string> SystemFolderList();

// True when the folder is refused: its text equals an entry of SystemFolderList with
// case ignored; or it is not a full path; or, with links, ".", ".." and trailing "/"
// resolved on both sides, it is or holds a special folder or a folder that no clean
// may empty (the same check every clean makes).
bool IsSystemFolder(const std::string& folder);

} // namespace tidorax

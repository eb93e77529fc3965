// Path helpers and the walk that lists a folder tree. A walk never
// deletes anything.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

// A list of full paths. Holds any number of entries; counts are 64-bit.
using FileList = std::vector<std::string>;

// Path unchanged when it ends with "/", else Path + "/"; "" gives "/".
std::string AddBackslash(const std::string& Path);

// Appends Folder + relative path of every file below Folder (which ends with "/")
// to a list: files of any kind and name, symbolic links as themselves (never
// followed), folders whose names begin with "." skipped.
void WalkInto(const std::string& Folder, FileList& target);

// Every file below Folder (with or without its final "/"), as WalkInto lists them;
// nothing for a folder no clean may start in (empty, relative, the root, no folder).
FileList ListFilesBelow(const std::string& Folder);
// How many files ListFilesBelow would list, without holding their paths.
std::size_t CountFilesBelow(const std::string& Folder);

} // namespace tidorax

// Path helpers and the walk that lists a folder tree. A walk never
// deletes anything.
#pragma once

#include <string>
#include <vector>

namespace tidorax {

// A list of full paths. Holds any number of entries; counts are 64-bit.
using FileList = std::vector<std::string>;

// Path unchanged when it ends with "/", else Path + "/"; "" gives "/".
std::string AddTrailingSlash(const std::string& Path);

class SafeFolder;

// Every file below the open folder: files of any kind and name, symbolic links as
// themselves (never followed), nothing below a folder whose name begins with "." or
// that lies on another mount. Each path is Folder (the name the folder was given) with
// "/", then the path below it.
FileList ListFilesBelow(const SafeFolder& folder, const std::string& Folder);
// The files below the folder named Folder; nothing for the root of the file system, a
// name that is empty or relative, or no folder.
FileList ListFilesBelow(const std::string& Folder);

} // namespace tidorax

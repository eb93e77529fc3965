// Plain POSIX file helpers the hive uses for its own file and the autostart entry.
#pragma once

#include <string>

namespace tidorax {

// Creates the missing folders of path (not its last part) with mode 0700; false on
// failure, with errno telling why.
bool makeParentFolders(const std::string& path);

// Reads the whole file into contents; on failure sets error to the errno and returns false.
bool readWholeFile(const std::string& path, std::string& contents, int& error);

// Writes all of contents to fd; false on failure, with errno telling why.
bool writeAll(int fd, const std::string& contents);

} // namespace tidorax

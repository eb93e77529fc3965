// Cleaning of the Temporary Internet Files folder, the Temp folder and the user's
// folders. Each operation lists its folder before and after it deletes into
// Form1Lists().List7 and List6; for the window name "Form2" it also refreshes what
// the options window shows for its folder. A folder whose name is empty, relative or
// the root of the file system is neither listed nor cleaned.
#pragma once

#include <cstdint>
#include <string>

namespace tidorax {

void CleanInternetFiles(const std::string& WindowName);
void CleanTempFiles(const std::string& WindowName);
void CleanUserFolders(const std::string& WindowName);

// Empties Folder and removes its emptied subfolders, and Folder itself unless it is
// RootFolder; files in use stay, and so do the folders that hold them. -1 when the
// folder is refused, 0 when nothing failed, else the error number of the last failure.
std::int32_t DeleteFolderTree(std::string Folder, const std::string& RootFolder);

// The Temp folder: the environment variable "Temp", else "TEMP", else "TMPDIR" (the
// first one that is set, even when empty), else "/tmp".
std::string TempFolderPath();

} // namespace tidorax

// Cleaning of the Temporary Internet Files folder, the Temp folder and the user's
// folders. Each operation lists its folder before and after it deletes into
// Form1Lists().List7 and List6; for the window name "Form2" it also refreshes what
// the options window shows for its folder.
#pragma once

#include <cstdint>
#include <string>

namespace tidorax {

void CleanInternetFiles(const std::string& WindowName);
void CleanTempFiles(const std::string& WindowName);
void CleanUserFolders(const std::string& WindowName);

} // namespace tidorax

#include "engine/FolderCleaning.h"

namespace tidorax {

// The operations arrive with the cleaning engine; until then they clean nothing.
void CleanInternetFiles(const std::string& /*WindowName*/) {}
void CleanTempFiles(const std::string& /*WindowName*/) {}
void CleanUserFolders(const std::string& /*WindowName*/) {}

} // namespace tidorax

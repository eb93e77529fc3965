#include "core/cleaning/CleaningOperations.h"

#include "core/cleaning/CookieCleaning.h"
#include "core/cleaning/FolderCleaning.h"

namespace tidorax {

void CleaningOperations::CleanInternetFiles(const std::string& WindowName) {
    tidorax::CleanInternetFiles(WindowName);
}
void CleaningOperations::CleanCookieFiles(const std::string& WindowName) {
    tidorax::CleanCookieFiles(WindowName);
}
void CleaningOperations::CleanTempFiles(const std::string& WindowName) {
    tidorax::CleanTempFiles(WindowName);
}
void CleaningOperations::CleanUserFolders(const std::string& WindowName) {
    tidorax::CleanUserFolders(WindowName);
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

} // namespace tidorax

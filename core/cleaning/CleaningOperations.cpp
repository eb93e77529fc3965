#include "core/cleaning/CleaningOperations.h"

#include "core/cleaning/CookieCleaning.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/settings/SettingsStore.h"

namespace tidorax {

CleaningReport CleaningOperations::CleanInternetFiles() {
    return tidorax::CleanInternetFiles();
}
CleaningReport CleaningOperations::CleanCookieFiles() {
    return tidorax::CleanCookieFiles();
}
CleaningReport CleaningOperations::CleanTempFiles() {
    return tidorax::CleanTempFiles();
}
CleaningReport CleaningOperations::CleanUserFolders(StartedFrom from) {
    return tidorax::CleanUserFolders(from);
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

CleaningReport RunSelectedOperations(CleaningOperations& operations, StartedFrom from) {
    CleaningReport report;
    if (IsFlagSet("InternetFiles")) {
        report.append(operations.CleanInternetFiles());
    }
    if (IsFlagSet("CookieFiles")) {
        report.append(operations.CleanCookieFiles());
    }
    if (IsFlagSet("TempFiles")) {
        report.append(operations.CleanTempFiles());
    }
    if (IsFlagSet("UserFolder")) {
        report.append(operations.CleanUserFolders(from));
    }
    return report;
}

} // namespace tidorax

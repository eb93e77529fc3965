#include "core/cleaning/CleaningOperations.h"

#include "core/cleaning/CookieCleaning.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/settings/SettingsStore.h"

namespace tidorax {

CleaningReport CleaningOperations::CleanInternetFiles(Listing listing) {
    return tidorax::CleanInternetFiles(listing);
}
CleaningReport CleaningOperations::CleanCookieFiles(Listing listing) {
    return tidorax::CleanCookieFiles(listing);
}
CleaningReport CleaningOperations::CleanTempFiles(Listing listing) {
    return tidorax::CleanTempFiles(listing);
}
CleaningReport CleaningOperations::CleanUserFolders(StartedFrom from, Listing listing) {
    return tidorax::CleanUserFolders(from, listing);
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

CleaningReport RunSelectedOperations(CleaningOperations& operations, StartedFrom from, Listing listing) {
    CleaningReport report;
    if (IsFlagSet("InternetFiles")) {
        report.append(operations.CleanInternetFiles(listing));
    }
    if (IsFlagSet("CookieFiles")) {
        report.append(operations.CleanCookieFiles(listing));
    }
    if (IsFlagSet("TempFiles")) {
        report.append(operations.CleanTempFiles(listing));
    }
    if (IsFlagSet("UserFolder")) {
        report.append(operations.CleanUserFolders(from, listing));
    }
    return report;
}

} // namespace tidorax

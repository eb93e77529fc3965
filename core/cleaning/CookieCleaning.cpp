#include "core/cleaning/CookieCleaning.h"

#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"

namespace tidorax {

namespace {

bool EndsWithDat(const std::string& Path) {
    return Path.size() >= 4 && Path.compare(Path.size() - 4, 4, ".dat") == 0;
}

} // namespace

CookieFolderListing ListCookieFiles(const std::string& Folder) {
    return {ListFilesBelow(Folder), ReadSettingsList("SavedCookies", "Cookie")};
}

CleaningReport CleanCookieFiles(Listing listing) {
    // No Cookies folder (none is set on Linux until the user names one): nothing is
    // listed or deleted.
    const std::string folder = SpecialFolderPath(CSIDL_COOKIES);
    const std::string slashed = AddBackslash(folder);
    return CleanListed(
        folder,
        [&slashed] {
            const CookieSelection selection = SelectCookiesToDelete(slashed);
            const InUseSnapshot inUse = InUseSnapshot::Take();
            SafeDeleter deleter(inUse, SafeDeleter::Rules{});
            for (const std::string& E : selection.toDelete) {
                if (!EndsWithDat(E)) {
                    deleter.DeleteFileBelow(slashed, E);
                }
            }
        },
        listing);
}

} // namespace tidorax

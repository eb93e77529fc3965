#include "core/cleaning/CookieCleaning.h"

#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/FolderCleaning.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"

#include <string_view>
#include <unordered_set>

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
    return CleanCounted(
        folder,
        [&slashed] {
            const CookieSelection selection = SelectCookiesToDelete(slashed);
            // One pass through the folder deletes the selected files, by their path below it.
            std::unordered_set<std::string_view> toDelete;
            for (const std::string& E : selection.toDelete) {
                if (!EndsWithDat(E) && E.compare(0, slashed.size(), slashed) == 0) {
                    toDelete.insert(std::string_view(E).substr(slashed.size()));
                }
            }
            const InUseSnapshot inUse = InUseSnapshot::Take();
            SafeDeleter deleter(inUse, SafeDeleter::Rules{});
            deleter.DeleteFilesBelow(
                slashed, [&toDelete](std::string_view path) { return toDelete.count(path) != 0; });
            return deleter.LastTally();
        },
        listing);
}

} // namespace tidorax

#include "core/cleaning/CookieCleaning.h"

#include "core/cleaning/CookieSelection.h"
#include "core/cleaning/FileWalk.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/cleaning/WorkingLists.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"

namespace tidorax {

namespace {

bool EndsWithDat(const std::string& Path) {
    return Path.size() >= 4 && Path.compare(Path.size() - 4, 4, ".dat") == 0;
}

} // namespace

void ListCookieFiles(const std::string& Folder) {
    OptionsWindowLists& form2 = Form2Lists();
    form2.List3.clear();
    form2.List4 = ReadSettingsList("SavedCookies", "Cookie");
    if (SafeDeleter::IsCleanableFolder(Folder)) {
        WalkInto(Folder, form2.List3);
    }
    // One entry less than the folder holds: the browser's own index file is no cookie.
    // An empty folder shows no cookies rather than a negative count.
    const std::size_t cookies = form2.List3.empty() ? 0 : form2.List3.size() - 1;
    form2.Label12 = "Cookie Folder Contains " + std::to_string(cookies) + " Cookies";
    form2.Label14 = "You Have " + std::to_string(form2.List4.size()) + " Cookies Saved";
}

void CleanCookieFiles(const std::string& WindowName) {
    const std::string folder = SpecialFolderPath(CSIDL_COOKIES);
    // No Cookies folder (none is set on Linux until the user names one): nothing is
    // listed or deleted, since the name would stand for the root of the file system.
    if (!SafeDeleter::IsCleanableFolder(folder)) {
        if (WindowName == "Form2") {
            ListCookieFiles("");
        }
        return;
    }

    SetSearch(folder);
    ListFilesBefore(SearchFolder);
    SelectCookiesToDelete(SearchFolder);

    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, SafeDeleter::Rules{});
    for (const std::string& E : Form1Lists().List2) {
        if (!EndsWithDat(E)) {
            deleter.DeleteFileBelow(SearchFolder, E);
        }
    }

    SetSearch(folder);
    ListFilesAfter(SearchFolder);
    if (WindowName == "Form2") {
        ListCookieFiles(SearchFolder);
    }
}

} // namespace tidorax

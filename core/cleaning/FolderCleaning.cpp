#include "core/cleaning/FolderCleaning.h"

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/InternetCommand.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/cleaning/WorkingLists.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "platform/Platform.h"

namespace tidorax {

namespace {

constexpr const char* kInfoTitle = "Quillon Info.....";

void ShowInternetTab() {
    OptionsWindowLists& form2 = Form2Lists();
    form2.Label1 = "Temporary Internet Folder Contains " + std::to_string(form2.List1.size()) + " Files";
}

void ShowTempTab() {
    OptionsWindowLists& form2 = Form2Lists();
    const std::string n = std::to_string(form2.List2.size());
    form2.Label5 = "Temp Folder Contains " + n + " Files";
    form2.Label6 = "The " + n + " Files Remaining Are In Use";
}

} // namespace

std::string TempFolderPath() {
    for (const char* name : {"Temp", "TEMP", "TMPDIR"}) {
        if (auto value = platform().environment(name)) {
            return *value;
        }
    }
    return "/tmp";
}

std::int32_t DeleteFolderTree(std::string Folder, const std::string& RootFolder) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, SafeDeleter::Rules{});
    return deleter.DeleteFolderTree(std::move(Folder), RootFolder);
}

void CleanInternetFiles(const std::string& WindowName) {
    const std::string folder = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    // With no usable folder nothing is run, listed or deleted: the name would
    // otherwise stand for the root of the file system.
    const bool usable = SafeDeleter::IsCleanableFolder(folder);
    if (usable) {
        SetSearch(folder);
        const std::string P = SearchFolder;
        ListFilesBefore(SearchFolder);

        OsVersionInfo version;
        if (platform().GetVersionExA(version) == 1) {
            const std::string interpreter = CommandInterpreter();
            const auto command = InternetFilesCommandLine(version, interpreter, P);
            std::uint32_t processId = 0;
            if (command && !interpreter.empty()) {
                processId = platform().StartHiddenProcess(*command);
            }
            if (processId != 0) {
                platform().WaitForProcessEnd(processId);
            } else {
                platform().MsgBox("Error Running Command, Files Not Cleaned", MB_OK_INFORMATION, kInfoTitle);
            }
        } else {
            // No Windows and no command interpreter: the program deletes every file
            // below the folder itself; files in use stay, folders stay.
            const InUseSnapshot inUse = InUseSnapshot::Take();
            SafeDeleter(inUse, SafeDeleter::Rules{}).DeleteFilesBelow(folder);
        }
        // Listed also when nothing ran, so that what stayed is not counted as cleaned.
        ListFilesAfter(SearchFolder);
    }

    if (WindowName == "Form2") {
        Form2Lists().List1.clear();
        if (usable) {
            SetSearch(folder);
            ListInternetFiles(SearchFolder);
        }
        ShowInternetTab();
    }
}

void CleanTempFiles(const std::string& WindowName) {
    const std::string T = TempFolderPath();
    const bool usable = SafeDeleter::IsCleanableFolder(T);
    if (usable) {
        SetSearch(T);
        ListFilesBefore(SearchFolder);
        // The Temp folder is shared with other users: only the user's own entries go.
        const InUseSnapshot inUse = InUseSnapshot::Take();
        SafeDeleter(inUse, SafeDeleter::Rules{.onlyOwnedByUser = true}).DeleteFolderTree(T, T);
        ListFilesAfter(SearchFolder);
    }

    if (WindowName == "Form2") {
        Form2Lists().List2.clear();
        if (usable) {
            SetSearch(T);
            ListTempFiles(SearchFolder);
        }
        ShowTempTab();
    }
}

void CleanUserFolders(const std::string& WindowName) {
    const std::vector<std::string> folders = ReadSettingsList("UserFolder", "File");
    if (folders.empty()) {
        if (WindowName == "Form2") {
            platform().MsgBox("You Do Not Have Any Folders Selected!", MB_OK_INFORMATION, kInfoTitle);
        }
        return;
    }
    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, SafeDeleter::Rules{});
    for (const std::string& V : folders) {
        if (!SafeDeleter::IsCleanableFolder(V)) {
            continue;
        }
        SetSearch(V);
        ListFilesBefore(SearchFolder);
        deleter.DeleteFolderTree(V, V);
        ListFilesAfter(SearchFolder);
    }
}

} // namespace tidorax

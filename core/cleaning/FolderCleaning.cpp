#include "core/cleaning/FolderCleaning.h"

#include "core/cleaning/FileWalk.h"
#include "core/cleaning/FolderGuard.h"
#include "core/cleaning/InUseSnapshot.h"
#include "core/cleaning/InternetCommand.h"
#include "core/cleaning/SafeDeleter.h"
#include "core/settings/SettingsStore.h"
#include "core/settings/SpecialFolders.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace tidorax {

namespace {

constexpr const char* kInfoTitle = "Quillon Info.....";

} // namespace

std::string TempFolderPath() {
    for (const char* name : {"Temp", "TEMP", "TMPDIR"}) {
        if (auto value = platform().environment(name)) {
            return *value;
        }
    }
    return "/tmp";
}

namespace {

// The report of a folder no clean may run in (refused, with its reason, or with no name
// or not there: empty), or nothing when one may.
std::optional<CleaningReport> UncleanableFolderReport(const std::string& Folder) {
    CleaningReport report;
    if (Folder.empty()) {
        return report; // no folder is set (the Cookies folder until the user names one)
    }
    // A folder that is or holds the home folder, a personal or a system folder is
    // refused, whichever setting named it, and the caller says so.
    if (std::optional<std::string> refusal = CleaningRefusal(Folder, ProtectedFolders())) {
        report.folders.push_back(FolderReport{AddBackslash(Folder), {}, {}, std::move(*refusal)});
        return report;
    }
    if (!SafeDeleter::IsCleanableFolder(Folder)) {
        return report; // a folder that does not exist (yet) has nothing to clean
    }
    return std::nullopt;
}

// Clean with Folder's own snapshot of the files in use and the given rules.
SafeDeleter::Tally DeleteTree(const std::string& Folder, SafeDeleter::Rules rules, bool keepFolders) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, std::move(rules));
    if (keepFolders) {
        deleter.DeleteFilesBelow(Folder);
    } else {
        deleter.DeleteFolderTree(Folder, Folder);
    }
    return deleter.LastTally();
}

} // namespace

CleaningReport CleanListed(const std::string& Folder, const std::function<void()>& clean, Listing listing) {
    if (std::optional<CleaningReport> report = UncleanableFolderReport(Folder)) {
        return std::move(*report);
    }
    FolderReport folder{AddBackslash(Folder), {}, {}, {}};
    if (listing == Listing::Keep) {
        folder.before = ListFilesBelow(Folder);
        folder.beforeCount = folder.before.size();
    } else {
        folder.beforeCount = CountFilesBelow(Folder);
    }
    clean();
    // Listed also when nothing ran, so that what stayed is not counted as cleaned.
    if (listing == Listing::Keep) {
        folder.after = ListFilesBelow(Folder);
        folder.afterCount = folder.after.size();
    } else {
        folder.afterCount = CountFilesBelow(Folder);
    }
    CleaningReport report;
    report.folders.push_back(std::move(folder));
    return report;
}

CleaningReport CleanCounted(const std::string& Folder, const std::function<SafeDeleter::Tally()>& clean,
                            Listing listing) {
    if (listing == Listing::Keep) {
        return CleanListed(
            Folder, [&clean] { clean(); }, listing);
    }
    if (std::optional<CleaningReport> report = UncleanableFolderReport(Folder)) {
        return std::move(*report);
    }
    const SafeDeleter::Tally tally = clean();
    FolderReport folder{AddBackslash(Folder), {}, {}, {}};
    folder.beforeCount = tally.found;
    folder.afterCount = tally.found - std::min(tally.deleted, tally.found);
    CleaningReport report;
    report.folders.push_back(std::move(folder));
    return report;
}

CleaningReport CleanInternetFiles(Listing listing) {
    const std::string folder = SpecialFolderPath(CSIDL_INTERNET_CACHE);
    OsVersionInfo version;
    if (platform().GetVersionExA(version) != 1) {
        // No Windows and no command interpreter: the program deletes every file below
        // the folder itself; files in use stay, folders stay.
        return CleanCounted(
            folder, [&folder] { return DeleteTree(folder, SafeDeleter::Rules{}, true); }, listing);
    }
    // With no usable folder nothing is run, listed or deleted.
    return CleanListed(
        folder,
        [&folder, &version] {
            const std::string interpreter = CommandInterpreter();
            const auto command = InternetFilesCommandLine(version, interpreter, AddBackslash(folder));
            std::uint32_t processId = 0;
            if (command && !interpreter.empty()) {
                processId = platform().StartHiddenProcess(*command);
            }
            if (processId != 0) {
                platform().WaitForProcessEnd(processId);
            } else {
                platform().MsgBox("Error Running Command, Files Not Cleaned", MB_OK_INFORMATION, kInfoTitle);
            }
        },
        listing);
}

CleaningReport CleanTempFiles(Listing listing) {
    const std::string T = TempFolderPath();
    // The Temp folder is shared with other users: only the user's own entries go.
    return CleanCounted(
        T, [&T] { return DeleteTree(T, SafeDeleter::Rules{.onlyOwnedByUser = true}, false); }, listing);
}

CleaningReport CleanUserFolders(StartedFrom from, Listing listing) {
    // Each value is read when the loop reaches it, and its folder cleaned completely
    // before the next is read; the list ends at the first value that is missing, "0"
    // or empty, and after index 1000.
    CleaningReport report;
    std::optional<InUseSnapshot> inUse;
    for (int index = 0; index <= 1000; ++index) {
        const std::string V = Settings.GetSetting("UserFolder", "File" + std::to_string(index), "0");
        if (V == "0" || V.empty()) {
            if (index == 0 && from == StartedFrom::OptionsWindow) {
                platform().MsgBox("You Do Not Have Any Folders Selected!", MB_OK_INFORMATION, kInfoTitle);
            }
            break;
        }
        if (!inUse) {
            inUse = InUseSnapshot::Take();
        }
        report.append(CleanCounted(
            V,
            [&inUse, &V] {
                SafeDeleter deleter(*inUse, SafeDeleter::Rules{});
                deleter.DeleteFolderTree(V, V);
                return deleter.LastTally();
            },
            listing));
    }
    return report;
}

} // namespace tidorax

// Cleaning of the Temporary Internet Files folder, the Temp folder and the user's
// folders. Each operation lists every folder it cleans before and after it deletes and
// returns the lists. A folder with no name is skipped; one that is relative, or is or
// holds the root, a personal or a system folder, is neither listed nor cleaned and
// comes back with the reason.
#pragma once

#include "core/StartedFrom.h"
#include "core/cleaning/CleaningReport.h"
#include "core/cleaning/SafeDeleter.h"

#include <functional>
#include <string>

namespace tidorax {

CleaningReport CleanInternetFiles(Listing listing = Listing::Keep);
CleaningReport CleanTempFiles(Listing listing = Listing::Keep);
// With no user folder set, a run from the options window tells the user so.
CleaningReport CleanUserFolders(StartedFrom from, Listing listing = Listing::Keep);

// Lists Folder, runs clean, lists Folder again: the report of that one folder (with
// CountOnly, only the numbers of files). A refused folder is reported with its reason;
// one with no name or that does not exist gives an empty report.
CleaningReport CleanListed(const std::string& Folder, const std::function<void()>& clean,
                           Listing listing = Listing::Keep);
// The same for a clean that deletes through a SafeDeleter and returns its tally: with
// CountOnly, Folder is not walked at all and the numbers come from the deletion itself
// (the files it came across, and those of them that stayed).
CleaningReport CleanCounted(const std::string& Folder, const std::function<SafeDeleter::Tally()>& clean,
                            Listing listing = Listing::Keep);

// The Temp folder: the environment variable "Temp", else "TEMP", else "TMPDIR" (the
// first one that is set, even when empty), else "/tmp".
std::string TempFolderPath();

} // namespace tidorax

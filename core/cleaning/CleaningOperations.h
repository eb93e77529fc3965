// The four cleaning operations as one object, so that a caller that runs several of
// them in a fixed order can be given another set (a recorder in tests).
#pragma once

#include "core/StartedFrom.h"
#include "core/cleaning/CleaningReport.h"

namespace tidorax {

class CleaningOperations {
public:
    virtual ~CleaningOperations() = default;
    // Each keeps the paths it found unless told to count them only.
    virtual CleaningReport CleanInternetFiles(Listing listing = Listing::Keep);
    virtual CleaningReport CleanCookieFiles(Listing listing = Listing::Keep);
    virtual CleaningReport CleanTempFiles(Listing listing = Listing::Keep);
    virtual CleaningReport CleanUserFolders(StartedFrom from, Listing listing = Listing::Keep);
};

// The engine's own operations.
CleaningOperations& engineOperations();

// Runs each operation whose flag in "CleanPath" is "Yes", reading each flag just
// before its step, in the order Internet files, cookies, Temp, user folders; returns
// what they did, one report after the other, listed as listing says.
CleaningReport RunSelectedOperations(CleaningOperations& operations, StartedFrom from,
                                     Listing listing = Listing::Keep);

} // namespace tidorax

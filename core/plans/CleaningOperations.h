// What the tray, the options window and the silent run clean with: one object, so that
// a caller can be given another (a recorder in tests). Run takes a plan; the other
// calls make the plan of one kind, or of the kinds selected, and run it.
#pragma once

#include "core/StartedFrom.h"
#include "core/cleaning/CleaningPlan.h"
#include "core/cleaning/CleaningReport.h"

namespace tidorax {

class CleaningOperations {
public:
    virtual ~CleaningOperations() = default;
    // Runs the plan through the engine and stores what the settings keep from it.
    virtual CleaningReport Run(const CleaningPlan& plan);

    CleaningReport CleanInternetFiles(Listing listing = Listing::Keep);
    CleaningReport CleanCookieFiles(Listing listing = Listing::Keep);
    CleaningReport CleanTempFiles(Listing listing = Listing::Keep);
    // With no user folder set, a run from the options window tells the user so.
    CleaningReport CleanUserFolders(StartedFrom from, Listing listing = Listing::Keep);
};

// The engine's own operations.
CleaningOperations& engineOperations();

// Makes one plan of the kinds whose flag is set, in the order Internet files, cookies,
// Temp, user folders, and runs it: what they did, one report after the other.
CleaningReport RunSelectedOperations(CleaningOperations& operations, Listing listing = Listing::Keep);

} // namespace tidorax

// What the tray, the options window and the silent run clean with: one object, so that
// a caller can be given another (a recorder in tests). Clean makes a plan of the kinds
// from the settings and runs it, one clean at a time for the user; Run is the engine.
#pragma once

#include "core/cleaning/CleaningPlan.h"
#include "core/cleaning/CleaningReport.h"

#include <functional>
#include <span>

namespace tidorax {

class CleaningOperations {
public:
    virtual ~CleaningOperations() = default;

    // Cleans the kinds in their order. Waits while another clean of this user runs;
    // then reads the settings, runs the plan and stores what the settings keep from
    // it (the rewritten saved cookies) before the next clean may start.
    CleaningReport Clean(std::span<const TargetKind> kinds, Listing listing = Listing::Keep);
    // One kind alone.
    CleaningReport Clean(TargetKind kind, Listing listing = Listing::Keep);
    // The kinds whose flag is set, in the order of the tray menu and the silent run:
    // Internet files, cookies, Temp, user folders.
    CleaningReport CleanSelected(Listing listing = Listing::Keep);

    // Called when a clean has to wait for another one to end.
    std::function<void()> onWaitForOtherClean;

protected:
    // Runs the plan through the engine.
    virtual CleaningReport Run(const CleaningPlan& plan);

private:
    // Makes the plan, runs it and stores what the settings keep, with the lock held.
    CleaningReport cleanHoldingLock(std::span<const TargetKind> kinds, Listing listing);
};

// The engine's own operations.
CleaningOperations& engineOperations();

} // namespace tidorax

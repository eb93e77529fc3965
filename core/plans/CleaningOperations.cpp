#include "core/plans/CleaningOperations.h"

#include "core/cleaning/CleaningEngine.h"
#include "core/plans/CleaningLock.h"
#include "core/plans/CleaningPlans.h"

namespace tidorax {

CleaningReport CleaningOperations::Run(const CleaningPlan& plan) {
    return RunCleaningPlan(plan);
}

CleaningReport CleaningOperations::cleanHoldingLock(std::span<const TargetKind> kinds, Listing listing) {
    if (!kinds.empty()) {
        PrepareCleaningRun();
    }
    CleaningReport report = Run(MakeCleaningPlan(kinds, listing));
    StoreCleaningResults(report);
    return report;
}

CleaningReport CleaningOperations::Clean(std::span<const TargetKind> kinds, Listing listing) {
    const CleaningLock lock(onWaitForOtherClean);
    return cleanHoldingLock(kinds, listing);
}

CleaningReport CleaningOperations::Clean(TargetKind kind, Listing listing) {
    const TargetKind kinds[] = {kind};
    return Clean(kinds, listing);
}

CleaningReport CleaningOperations::CleanSelected(Listing listing) {
    const CleaningLock lock(onWaitForOtherClean);
    // The flags are read once the lock is held, as the rest of the settings.
    return cleanHoldingLock(SelectedKinds(kTrayOrder), listing);
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

} // namespace tidorax

#include "core/plans/CleaningOperations.h"

#include "core/cleaning/CleaningEngine.h"
#include "core/plans/CleaningLock.h"
#include "core/plans/CleaningPlans.h"

namespace tidorax {

CleaningReport CleaningOperations::Run(const CleaningPlan& plan) {
    return RunCleaningPlan(plan);
}

CleaningReport CleaningOperations::Clean(std::span<const TargetKind> kinds, Listing listing) {
    const CleaningLock lock(onWaitForOtherClean);
    CleaningReport report = Run(MakeCleaningPlan(kinds, listing));
    StoreCleaningResults(report);
    return report;
}

CleaningReport CleaningOperations::Clean(TargetKind kind, Listing listing) {
    const TargetKind kinds[] = {kind};
    return Clean(kinds, listing);
}

CleaningReport CleaningOperations::CleanSelected(Listing listing) {
    const CleaningLock lock(onWaitForOtherClean);
    CleaningReport report = Run(MakeCleaningPlan(SelectedKinds(kTrayOrder), listing));
    StoreCleaningResults(report);
    return report;
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

} // namespace tidorax

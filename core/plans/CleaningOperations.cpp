#include "core/plans/CleaningOperations.h"

#include "core/cleaning/CleaningEngine.h"
#include "core/plans/CleaningPlans.h"
#include "core/settings/CleaningSettings.h"
#include "platform/Platform.h"

namespace tidorax {

namespace {

CleaningReport runKind(CleaningOperations& operations, TargetKind kind, Listing listing) {
    const TargetKind kinds[] = {kind};
    return operations.Run(MakeCleaningPlan(kinds, listing));
}

} // namespace

CleaningReport CleaningOperations::Run(const CleaningPlan& plan) {
    CleaningReport report = RunCleaningPlan(plan);
    StoreCleaningResults(report);
    return report;
}

CleaningReport CleaningOperations::CleanInternetFiles(Listing listing) {
    return runKind(*this, TargetKind::WebCache, listing);
}
CleaningReport CleaningOperations::CleanCookieFiles(Listing listing) {
    return runKind(*this, TargetKind::Cookies, listing);
}
CleaningReport CleaningOperations::CleanTempFiles(Listing listing) {
    return runKind(*this, TargetKind::Temp, listing);
}
CleaningReport CleaningOperations::CleanUserFolders(StartedFrom from, Listing listing) {
    if (from == StartedFrom::OptionsWindow && UserFolders().empty()) {
        platform().MsgBox("You Do Not Have Any Folders Selected!", MB_OK_INFORMATION, "Quillon Info.....");
        return {};
    }
    return runKind(*this, TargetKind::UserFolder, listing);
}

CleaningOperations& engineOperations() {
    static CleaningOperations operations;
    return operations;
}

CleaningReport RunSelectedOperations(CleaningOperations& operations, Listing listing) {
    return operations.Run(MakeCleaningPlan(SelectedKinds(kTrayOrder), listing));
}

} // namespace tidorax

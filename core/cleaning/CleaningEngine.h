// The cleaning engine: a plan goes in, a report comes out. It cleans each target of the
// plan in order, through one SafeFolder each, with one snapshot of the files in use and
// one reckoning of the protected folders for the whole run. It reads no settings and
// shows nothing: what the user must be told, and what the settings must keep (the
// rewritten saved cookies), comes back in the report.
#pragma once

#include "core/cleaning/CleaningPlan.h"
#include "core/cleaning/CleaningReport.h"

namespace tidorax {

// A target with no folder set, or whose folder is not there, leaves no report; a
// refused one leaves its reason.
CleaningReport RunCleaningPlan(const CleaningPlan& plan);

// Called as a clean begins, before its settings are read and its plan made: grows the
// descriptor table while no thread of the clean runs yet, and starts the wait that the
// snapshot's read of the lock table will end with.
void PrepareCleaningRun();

} // namespace tidorax

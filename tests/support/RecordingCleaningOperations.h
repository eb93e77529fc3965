// Cleaning operations that record the kinds of each plan instead of cleaning, and
// report as many files as told.
#pragma once

#include "core/plans/CleaningOperations.h"

#include <functional>
#include <string>
#include <vector>

namespace tidorax::test {

class RecordingCleaningOperations : public CleaningOperations {
protected:
    CleaningReport Run(const CleaningPlan& plan) override {
        static const char* const names[] = {"Internet", "Cookies", "Temp", "UserFolders"}; // by TargetKind
        CleaningReport report;
        for (const TargetKind kind : plan.kinds) {
            report.append(record(names[static_cast<int>(kind)], plan.listing));
        }
        return report;
    }

public:
    std::vector<std::string> calls; // "Internet", "Cookies", "Temp", "UserFolders", in the order cleaned
    std::vector<Listing> listings;  // how each was asked to list
    std::size_t filesBefore = 0;    // the files each kind reports before
    std::size_t filesAfter = 0;     // and after
    std::string refusedCall;        // the kind that reports its folder refused
    int failedError = 0;            // each kind reports one entry left with this error
    // Runs for each kind, after it was recorded (to look at or change the program
    // while the work goes on).
    std::function<void()> during;

private:
    CleaningReport record(const std::string& call, Listing listing) {
        calls.push_back(call);
        listings.push_back(listing);
        if (during) {
            during();
        }
        FolderReport folder;
        folder.folder = call;
        if (failedError != 0) {
            folder.failures.push_back({call + "/deep", failedError});
        }
        if (call == refusedCall) {
            folder.refusal = call + " refused";
        } else if (listing == Listing::CountOnly) {
            folder.beforeCount = filesBefore;
            folder.afterCount = filesAfter;
        } else {
            folder.before = FileList(filesBefore, call);
            folder.after = FileList(filesAfter, call);
        }
        CleaningReport report;
        report.folders.push_back(std::move(folder));
        return report;
    }
};

} // namespace tidorax::test

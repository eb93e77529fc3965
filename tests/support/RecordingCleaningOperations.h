// Cleaning operations that record their calls instead of cleaning, and report as many
// files as told.
#pragma once

#include "core/cleaning/CleaningOperations.h"

#include <functional>
#include <string>
#include <vector>

namespace tidorax::test {

class RecordingCleaningOperations : public CleaningOperations {
public:
    CleaningReport CleanInternetFiles(Listing listing) override { return record("Internet", listing); }
    CleaningReport CleanCookieFiles(Listing listing) override { return record("Cookies", listing); }
    CleaningReport CleanTempFiles(Listing listing) override { return record("Temp", listing); }
    CleaningReport CleanUserFolders(StartedFrom from, Listing listing) override {
        return record(from == StartedFrom::TrayMenu ? "UserFolders tray" : "UserFolders options", listing);
    }

    std::vector<std::string> calls; // "Temp", "UserFolders tray", ... in the order of the calls
    std::vector<Listing> listings;  // how each call was asked to list
    std::size_t filesBefore = 0;    // the files each call reports before
    std::size_t filesAfter = 0;     // and after
    std::string refusedCall;        // the call that reports its folder refused
    // Runs inside each call, after it was recorded (to look at or change the program
    // while the work goes on).
    std::function<void()> during;

private:
    CleaningReport record(const std::string& call, Listing listing) {
        calls.push_back(call);
        listings.push_back(listing);
        if (during) {
            during();
        }
        if (call == refusedCall) {
            return CleaningReport{{{call, {}, {}, call + " refused"}}};
        }
        if (listing == Listing::CountOnly) {
            return CleaningReport{{{call, {}, {}, {}, filesBefore, filesAfter}}};
        }
        return CleaningReport{{{call, FileList(filesBefore, call), FileList(filesAfter, call), {}}}};
    }
};

} // namespace tidorax::test

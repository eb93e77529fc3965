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
    CleaningReport CleanInternetFiles() override { return record("Internet"); }
    CleaningReport CleanCookieFiles() override { return record("Cookies"); }
    CleaningReport CleanTempFiles() override { return record("Temp"); }
    CleaningReport CleanUserFolders(StartedFrom from) override {
        return record(from == StartedFrom::TrayMenu ? "UserFolders tray" : "UserFolders options");
    }

    // "Temp", "UserFolders tray", ... in the order of the calls.
    std::vector<std::string> calls;
    // The files each call reports before and after.
    std::size_t filesBefore = 0;
    std::size_t filesAfter = 0;
    // Runs inside each call, after it was recorded (to look at or change the program
    // while the work goes on).
    std::function<void()> during;

private:
    CleaningReport record(const std::string& call) {
        calls.push_back(call);
        if (during) {
            during();
        }
        CleaningReport report;
        report.folders.push_back({call, FileList(filesBefore, call), FileList(filesAfter, call)});
        return report;
    }
};

} // namespace tidorax::test

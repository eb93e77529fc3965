// Cleaning operations that record their calls instead of cleaning, and fill the
// main window's lists as told.
#pragma once

#include "core/cleaning/CleaningOperations.h"
#include "core/cleaning/WorkingLists.h"

#include <functional>
#include <string>
#include <vector>

namespace tidorax::test {

class RecordingCleaningOperations : public CleaningOperations {
public:
    void CleanInternetFiles(const std::string& WindowName) override { record("Internet", WindowName); }
    void CleanCookieFiles(const std::string& WindowName) override { record("Cookies", WindowName); }
    void CleanTempFiles(const std::string& WindowName) override { record("Temp", WindowName); }
    void CleanUserFolders(const std::string& WindowName) override { record("UserFolders", WindowName); }

    // "Temp Form1", ... in the order of the calls.
    std::vector<std::string> calls;
    // Entries each call adds to List7 (before) and List6 (after).
    std::size_t filesBefore = 0;
    std::size_t filesAfter = 0;
    // Runs inside each call, after it was recorded (to look at or change the program
    // while the work goes on).
    std::function<void()> during;

private:
    void record(const std::string& what, const std::string& WindowName) {
        calls.push_back(what + " " + WindowName);
        Form1Lists().List7.insert(Form1Lists().List7.end(), filesBefore, what);
        Form1Lists().List6.insert(Form1Lists().List6.end(), filesAfter, what);
        if (during) {
            during();
        }
    }
};

} // namespace tidorax::test

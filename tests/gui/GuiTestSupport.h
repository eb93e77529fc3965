// Stand-ins for what the windows reach outside themselves: cleaning operations that
// record their calls and fill the lists as told, desktop actions that record instead
// of waiting, shutdown services that record and fail as told, and a fixture that
// points the platform at a fresh folder and catches the program's end.
#pragma once

#include "engine/CleaningOperations.h"
#include "engine/ShutdownApi.h"
#include "platform/FakePlatform.h"
#include "startup/DesktopActions.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

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
    // Runs inside each call (to look at the program while the work goes on).
    std::function<void()> during;

private:
    void record(const std::string& what, const std::string& WindowName);
};

class RecordingDesktopActions : public DesktopActions {
public:
    void runWork(const std::function<void()>& work) override;
    void pause(std::uint32_t milliseconds) override;
    void openDocument(const std::string& path) override;
    void openAndWait(const std::string& path) override;

    // "work", "pause 100", "open /x", "open and wait /x" in order.
    std::vector<std::string> events;
    // Runs at each pause (to look at the windows the pause keeps up).
    std::function<void(std::uint32_t)> duringPause;
};

class RecordingShutdownApi : public ShutdownApi {
public:
    bool GrantsShutdownPerUser() override { return true; }
    bool LookupPrivilegeValueA() override { return true; }
    std::uintptr_t GetCurrentProcess() override { return 1; }
    bool OpenProcessToken(std::uintptr_t) override { return true; }
    bool AdjustTokenPrivileges(std::int32_t) override { return !refusePrivilege; }
    void CloseHandle() override {}
    bool ExitWindowsEx(std::int32_t mode) override {
        exitModes.push_back(mode);
        return !failExit;
    }
    DWORD GetLastError() override { return refusePrivilege ? ERROR_PRIVILEGE_NOT_HELD : 5; }
    std::string FormatMessageA(DWORD code) override {
        return code == ERROR_PRIVILEGE_NOT_HELD ? "A required privilege is not held by the client."
                                                : "Access is denied.";
    }

    bool refusePrivilege = false;
    bool failExit = false;
    std::vector<std::int32_t> exitModes;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets posted events (deferred deletions among them) run.
    static void processEvents();

    TempDir temp;
    // How often the program asked to end.
    int programEnds = 0;
};

} // namespace tidorax::test

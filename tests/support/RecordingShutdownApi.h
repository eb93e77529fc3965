// Shutdown system services that record each call and fail where the test says.
#pragma once

#include "core/shutdown/Shutdown.h"

#include <string>
#include <vector>

namespace tidorax::test {

class RecordingShutdownApi : public ShutdownApi {
public:
    bool perUser = true;
    std::string failAt; // name of the call that fails
    DWORD failCode = 0;
    std::vector<std::string> calls;
    std::vector<std::int32_t> exitModes;
    int openTokens = 0;

    bool GrantsShutdownPerUser() override { return perUser; }
    bool LookupPrivilegeValueA() override { return succeeds("LookupPrivilegeValueA"); }
    std::uintptr_t GetCurrentProcess() override { return succeeds("GetCurrentProcess") ? 0xFFFFFFFF : 0; }
    bool OpenProcessToken(std::uintptr_t) override { return succeeds("OpenProcessToken") && ++openTokens; }
    bool AdjustTokenPrivileges(std::int32_t) override { return succeeds("AdjustTokenPrivileges"); }
    void CloseHandle() override {
        calls.push_back("CloseHandle");
        --openTokens;
    }
    bool ExitWindowsEx(std::int32_t mode) override {
        exitModes.push_back(mode);
        return succeeds("ExitWindowsEx");
    }
    DWORD GetLastError() override { return failCode; }
    std::string FormatMessageA(DWORD code) override {
        return code == 5                          ? "Access is denied."
               : code == ERROR_PRIVILEGE_NOT_HELD ? "A required privilege is not held by the client."
                                                  : "";
    }

private:
    bool succeeds(const std::string& call) {
        calls.push_back(call);
        return call != failAt;
    }
};

// "true" or "false" as ShutdownSystem answers, or the user's message of the error it raised.
inline std::string shutdownOutcome(ShutdownApi& api, std::int32_t mode) {
    try {
        return ShutdownSystem(api, mode) ? "true" : "false";
    } catch (const ShutdownError& error) {
        return ShutdownErrorMessage(error);
    }
}

} // namespace tidorax::test

// Shutdown system services that record each call and fail where the test says.
#pragma once

#include "core/shutdown/ShutdownApi.h"

#include <map>
#include <string>
#include <vector>

namespace tidorax::test {

class RecordingShutdownApi : public ShutdownApi {
public:
    bool perUser = true;
    std::string failAt; // name of the call that fails
    DWORD failCode = 0;
    std::map<DWORD, std::string> texts{
        {ERROR_PRIVILEGE_NOT_HELD, "A required privilege is not held by the client."},
        {5, "Access is denied."}};
    std::vector<std::string> calls;
    std::vector<std::int32_t> exitModes;
    int openTokens = 0;

    bool GrantsShutdownPerUser() override { return perUser; }
    bool LookupPrivilegeValueA() override { return succeeds("LookupPrivilegeValueA"); }
    std::uintptr_t GetCurrentProcess() override { return succeeds("GetCurrentProcess") ? 0xFFFFFFFF : 0; }
    bool OpenProcessToken(std::uintptr_t) override {
        const bool ok = succeeds("OpenProcessToken");
        openTokens += ok ? 1 : 0;
        return ok;
    }
    bool AdjustTokenPrivileges(std::int32_t) override { return succeeds("AdjustTokenPrivileges"); }
    void CloseHandle() override {
        calls.push_back("CloseHandle");
        --openTokens;
    }
    bool ExitWindowsEx(std::int32_t mode) override {
        exitModes.push_back(mode);
        return succeeds("ExitWindowsEx");
    }
    DWORD GetLastError() override { return lastError; }
    std::string FormatMessageA(DWORD code) override {
        const auto it = texts.find(code);
        return it == texts.end() ? std::string() : it->second;
    }

private:
    bool succeeds(const std::string& call) {
        calls.push_back(call);
        if (call == failAt) {
            lastError = failCode;
            return false;
        }
        return true;
    }
    DWORD lastError = 0;
};

} // namespace tidorax::test

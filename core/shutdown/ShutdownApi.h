// The system services the shutdown module calls, in the shape it calls them.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace tidorax {

// System error codes the shutdown services report.
inline constexpr DWORD ERROR_SERVICE_NOT_ACTIVE = 1062;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;

// Each call that fails leaves its error code for GetLastError, read right after it.
class ShutdownApi {
public:
    virtual ~ShutdownApi() = default;
    // True when the system grants the right to shut down per user, so that it must be
    // obtained before every request (the NT family; logind with its policy).
    virtual bool GrantsShutdownPerUser() = 0;
    // Finds the shutdown privilege on the local system.
    virtual bool LookupPrivilegeValueA() = 0;
    // The current process; 0 when it cannot be determined.
    virtual std::uintptr_t GetCurrentProcess() = 0;
    // Opens the process token for adjusting and querying privileges.
    virtual bool OpenProcessToken(std::uintptr_t process) = 0;
    // Enables the shutdown privilege for the request of the given mode.
    virtual bool AdjustTokenPrivileges(std::int32_t mode) = 0;
    virtual void CloseHandle() = 0;
    // Asks the system to log off, shut down, reboot or power off as the mode says.
    virtual bool ExitWindowsEx(std::int32_t mode) = 0;
    virtual DWORD GetLastError() = 0;
    // The system's message text for an error code; empty when it knows none.
    virtual std::string FormatMessageA(DWORD code) = 0;
};

} // namespace tidorax

#include "core/shutdown/Shutdown.h"

#include "core/settings/WindowsVersion.h"

#include <cstdio>
#include <optional>

namespace tidorax {

namespace {

std::optional<bool> rememberedIsWinNT;

[[noreturn]] void raise(std::uint32_t number, const std::string& description) {
    throw ShutdownError(number, ShutdownErrorSource(), description);
}

std::string privilegeDescription(const std::string& reason, const std::string& text) {
    return "Can't enable shutdown: " + reason + " [" + text + "]";
}

} // namespace

bool IsWinNT() {
    if (rememberedIsWinNT) {
        return *rememberedIsWinNT;
    }
    OsVersionInfo info;
    info.dwOSVersionInfoSize = 148;
    if (platform().GetVersionExA(info) == 0) {
        return false;
    }
    rememberedIsWinNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return *rememberedIsWinNT;
}

void ForgetIsWinNT() {
    rememberedIsWinNT.reset();
}

std::string ApiErrorText(ShutdownApi& api, DWORD Code) {
    std::string text = api.FormatMessageA(Code);
    if (text.size() > 256) {
        text.resize(256);
    }
    return text;
}

std::string ShutdownErrorSource() {
    std::string name = platform().executableBaseName();
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name + ".mShutDown";
}

std::string ShutdownErrorMessage(const ShutdownError& error) {
    char number[16];
    std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(error.Number));
    return error.Description + "\n\nError &H" + number + " (" + error.Source + ")";
}

std::int32_t ShutdownModeForThisSystem() {
    OsVersionInfo info;
    if (platform().GetVersionExA(info) != 0) {
        if (IsNT5Group(info)) {
            return EWX_POWEROFF;
        }
        if (IsWin98MeGroup(info)) {
            return EWX_SHUTDOWN;
        }
    }
    // Any other system: the notice says "Shutdown", so ask to power off rather than to
    // log the user off.
    return EWX_POWEROFF;
}

bool ShutdownNow(ShutdownApi& api, ShutdownNoticeHost& host) {
    host.showShutdownNotice("Shutdown");
    const std::int32_t mode = ShutdownModeForThisSystem();
    host.pause(1000);
    return ShutdownSystem(api, mode);
}

bool ShutdownSystem(ShutdownApi& api, std::int32_t Mode) {
    if (Mode < 0 || Mode > 31) {
        raise(ERR_INVALID_MODE, "Invalid parameter to ShutdownSystem: " + std::to_string(Mode));
    }
    if (IsWinNT() || api.GrantsShutdownPerUser()) {
        EnableShutdownPrivilege(api, Mode);
    }
    if (api.ExitWindowsEx(Mode)) {
        return true;
    }
    const DWORD code = api.GetLastError();
    raise(ERR_SHUTDOWN_FAILED, "ShutdownSystem failed: " + ApiErrorText(api, code));
}

bool EnableShutdownPrivilege(ShutdownApi& api, std::int32_t Mode) {
    if (!api.LookupPrivilegeValueA()) {
        const DWORD code = api.GetLastError();
        raise(ERR_NO_PRIVILEGE_VALUE, privilegeDescription("Can't find the SE_SHUTDOWN_NAME privilege value.",
                                                           ApiErrorText(api, code)));
    }
    const std::uintptr_t process = api.GetCurrentProcess();
    if (process == 0) {
        const DWORD code = api.GetLastError();
        raise(ERR_NO_CURRENT_PROCESS,
              privilegeDescription("Can't determine the current process.", ApiErrorText(api, code)));
    }
    const std::string refused = "You do not have the privileges to shutdown this system.";
    if (!api.OpenProcessToken(process)) {
        const DWORD code = api.GetLastError();
        raise(ERR_PRIVILEGE_NOT_ENABLED, privilegeDescription(refused, ApiErrorText(api, code)));
    }
    if (!api.AdjustTokenPrivileges(Mode)) {
        const DWORD code = api.GetLastError();
        api.CloseHandle();
        raise(ERR_PRIVILEGE_NOT_ENABLED, privilegeDescription(refused, ApiErrorText(api, code)));
    }
    api.CloseHandle();
    return true;
}

} // namespace tidorax

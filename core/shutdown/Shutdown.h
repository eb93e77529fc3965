// Shutting the system down: picking the request for the running system, obtaining
// the right to make it, and making it. Every failure is raised as a ShutdownError.
#pragma once

#include "core/shutdown/ShutdownApi.h"
#include "core/shutdown/ShutdownError.h"
#include "core/shutdown/ShutdownNoticeHost.h"
#include "platform/Platform.h"
#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

namespace tidorax {

// Shutdown modes, as the system's exit request takes them.
inline constexpr std::int32_t EWX_LOGOFF = 0;
inline constexpr std::int32_t EWX_SHUTDOWN = 1;
inline constexpr std::int32_t EWX_REBOOT = 2;
inline constexpr std::int32_t EWX_FORCE = 4;
inline constexpr std::int32_t EWX_POWEROFF = 8;

// The errors of the module: the automation error base plus an offset.
inline constexpr std::uint32_t SHUTDOWN_ERROR_BASE = 0x80040000u;
inline constexpr std::uint32_t ERR_SHUTDOWN_FAILED = SHUTDOWN_ERROR_BASE + 1579;       // 0x8004062B
inline constexpr std::uint32_t ERR_NO_PRIVILEGE_VALUE = SHUTDOWN_ERROR_BASE + 1580;    // 0x8004062C
inline constexpr std::uint32_t ERR_NO_CURRENT_PROCESS = SHUTDOWN_ERROR_BASE + 1581;    // 0x8004062D
inline constexpr std::uint32_t ERR_PRIVILEGE_NOT_ENABLED = SHUTDOWN_ERROR_BASE + 1582; // 0x8004062E
inline constexpr std::uint32_t ERR_INVALID_MODE = SHUTDOWN_ERROR_BASE + 1583;          // 0x8004062F

// Whether the system is of the NT family (platform id 2); asked once and then
// remembered, unless the question fails.
bool IsWinNT();
// Forgets the remembered answer (for a fresh run in tests).
void ForgetIsWinNT();

// The system's text for an error code, or "" when it knows none.
std::string ApiErrorText(ShutdownApi& api, DWORD Code);

// The mode for this system: 8 (power off) for the NT 5 group, 1 (shut down) for the
// 98/ME group, and 8 for every other system.
std::int32_t ShutdownModeForThisSystem();

// Shows the shutdown notice, waits a second and asks the system to shut down.
bool ShutdownNow(ShutdownApi& api, ShutdownNoticeHost& host);
// Asks the system to end as Mode says (0 to 31); true when the request was accepted.
bool ShutdownSystem(ShutdownApi& api, std::int32_t Mode);
// Obtains the right to make the request of the given mode; true when it is granted.
bool EnableShutdownPrivilege(ShutdownApi& api, std::int32_t Mode = EWX_POWEROFF);

// The source that every error of the module carries: the executable's base name
// without extension, followed by ".mShutDown".
std::string ShutdownErrorSource();

// What the user is told about a raised error: its description, then its number in
// hexadecimal and its source.
std::string ShutdownErrorMessage(const ShutdownError& error);

} // namespace tidorax

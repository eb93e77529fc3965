#include "core/shutdown/Shutdown.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingShutdownApi.h"

#include <vector>

namespace tidorax::test {
namespace {

struct RecordingNotice : ShutdownNoticeHost {
    std::vector<std::string> events;
    void showShutdownNotice(const std::string& label) override { events.push_back("notice " + label); }
    void pause(std::uint32_t ms) override { events.push_back("pause " + std::to_string(ms)); }
};

using ShutdownTest = PlatformFixture;

// The source is the executable's base name.
TEST_F(ShutdownTest, EachFailureRaisesItsNumberSourceAndDescription) {
    fakePlatform().executableName = "my.tool.bin";
    const auto error = [](const std::string& description, const char* number) {
        return description + "\n\nError &H" + number + " (my.tool.mShutDown)";
    };
    const std::string enable = "Can't enable shutdown: ";
    const std::string noRight = enable + "You do not have the privileges to shutdown this system. [";
    const std::string notHeld = "A required privilege is not held by the client.]";
    const std::tuple<const char*, DWORD, std::string> cases[] = {
        {"LookupPrivilegeValueA", 1314,
         error(enable + "Can't find the SE_SHUTDOWN_NAME privilege value. [" + notHeld, "8004062C")},
        {"GetCurrentProcess", 5,
         error(enable + "Can't determine the current process. [Access is denied.]", "8004062D")},
        {"OpenProcessToken", 5, error(noRight + "Access is denied.]", "8004062E")},
        {"AdjustTokenPrivileges", 1314, error(noRight + notHeld, "8004062E")},
        {"AdjustTokenPrivileges", 9999, error(noRight + "]", "8004062E")},
        {"ExitWindowsEx", 5, error("ShutdownSystem failed: Access is denied.", "8004062B")},
    };
    for (const auto& [failAt, code, message] : cases) {
        RecordingShutdownApi api;
        api.failAt = failAt;
        api.failCode = code;
        EXPECT_EQ(shutdownOutcome(api, EWX_POWEROFF), message);
        // A privilege failure never reaches the exit request; every opened token is closed.
        EXPECT_EQ(api.exitModes.size(), api.failAt == "ExitWindowsEx" ? 1u : 0u) << failAt;
        EXPECT_EQ(api.openTokens, 0) << failAt;
    }
    // Modes outside 0 to 31 are refused before any call; the others pass unchanged.
    for (const std::int32_t mode : {32, -1, -2147483647 - 1, 0, 31}) {
        RecordingShutdownApi api;
        const bool valid = mode >= 0 && mode <= 31;
        EXPECT_EQ(shutdownOutcome(api, mode),
                  valid ? "true"
                        : error("Invalid parameter to ShutdownSystem: " + std::to_string(mode), "8004062F"));
        EXPECT_EQ(std::pair(api.calls.empty(), api.exitModes),
                  std::pair(!valid, std::vector<int>(valid, mode)));
    }
}

TEST_F(ShutdownTest, ShutdownNowFollowsTheSystem) {
    // What, the version, whether the system grants the right to shut down per user, then
    // whether the privilege is asked for and the mode asked.
    const std::tuple<const char*, std::optional<OsVersionInfo>, bool, bool, std::int32_t> cases[] = {
        {"Windows 2000", OsVersionInfo{.dwMajorVersion = 5, .dwPlatformId = 2}, false, true, EWX_POWEROFF},
        {"Windows 98", OsVersionInfo{.dwMajorVersion = 4, .dwMinorVersion = 10, .dwPlatformId = 1}, false,
         false, EWX_SHUTDOWN},
        {"Windows 95", OsVersionInfo{.dwMajorVersion = 4, .dwPlatformId = 1}, false, false, EWX_POWEROFF},
        {"Linux with logind", std::nullopt, true, true, EWX_POWEROFF},
        {"no version, no per-user right", std::nullopt, false, false, EWX_POWEROFF},
    };
    const std::vector<std::string> withPrivilege{"LookupPrivilegeValueA", "GetCurrentProcess",
                                                 "OpenProcessToken",      "AdjustTokenPrivileges",
                                                 "CloseHandle",           "ExitWindowsEx"};
    for (const auto& [what, version, perUser, privilegeAsked, mode] : cases) {
        ForgetIsWinNT();
        fakePlatform().version = version;
        RecordingShutdownApi api;
        api.perUser = perUser;
        RecordingNotice notice;
        ASSERT_TRUE(ShutdownNow(api, notice)) << what;
        EXPECT_EQ(std::tuple(notice.events, api.calls, api.exitModes),
                  std::tuple(std::vector<std::string>{"notice Shutdown", "pause 1000"},
                             privilegeAsked ? withPrivilege : std::vector<std::string>{"ExitWindowsEx"},
                             std::vector<std::int32_t>{mode}))
            << what;
    }
    ForgetIsWinNT();
}

} // namespace
} // namespace tidorax::test

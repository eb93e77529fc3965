#include "core/shutdown/Shutdown.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingShutdownApi.h"
#include "tests/support/VersionRecord.h"

#include <vector>

namespace tidorax::test {
namespace {

class RecordingNotice : public ShutdownNoticeHost {
public:
    std::vector<std::string> events;
    void showShutdownNotice(const std::string& label) override { events.push_back("notice " + label); }
    void pause(std::uint32_t ms) override { events.push_back("pause " + std::to_string(ms)); }
};

using ShutdownTest = PlatformFixture;

TEST_F(ShutdownTest, EachFailureRaisesItsNumberSourceAndDescription) {
    const auto error = [](const std::string& description, const char* number) {
        return description + "\n\nError &H" + number + " (tidorax.mShutDown)";
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
        {"ExitWindowsEx", 9999, error("ShutdownSystem failed: ", "8004062B")},
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
    for (const std::int32_t mode : {32, -1, -2147483647 - 1}) {
        RecordingShutdownApi api;
        EXPECT_EQ(shutdownOutcome(api, mode),
                  error("Invalid parameter to ShutdownSystem: " + std::to_string(mode), "8004062F"));
        EXPECT_TRUE(api.calls.empty()) << mode;
    }
    for (std::int32_t mode = 0; mode <= 31; ++mode) {
        RecordingShutdownApi api;
        EXPECT_EQ(shutdownOutcome(api, mode), "true");
        EXPECT_EQ(api.exitModes, std::vector<std::int32_t>{mode});
    }
}

TEST_F(ShutdownTest, ShutdownNowShowsTheNoticeAndAsksForThePrivilegeAndModeOfTheSystem) {
    struct Case {
        const char* what;
        std::optional<OsVersionInfo> version;
        bool perUser; // the system grants the right to shut down per user
        bool privilegeAsked;
        std::int32_t mode;
    };
    const Case cases[] = {
        {"Windows 2000", test::versionRecord(5, 0, 2), false, true, EWX_POWEROFF},
        {"Windows 98", test::versionRecord(4, 10, 1), false, false, EWX_SHUTDOWN},
        {"Windows ME", test::versionRecord(4, 90, 1), false, false, EWX_SHUTDOWN},
        {"Windows 95", test::versionRecord(4, 0, 1), false, false, EWX_POWEROFF},
        {"Linux with logind", std::nullopt, true, true, EWX_POWEROFF},
        {"no version, no per-user right", std::nullopt, false, false, EWX_POWEROFF},
    };
    const std::vector<std::string> withPrivilege{"LookupPrivilegeValueA", "GetCurrentProcess",
                                                 "OpenProcessToken",      "AdjustTokenPrivileges",
                                                 "CloseHandle",           "ExitWindowsEx"};
    for (const Case& c : cases) {
        ForgetIsWinNT();
        fakePlatform().version = c.version;
        RecordingShutdownApi api;
        api.perUser = c.perUser;
        RecordingNotice notice;
        EXPECT_TRUE(ShutdownNow(api, notice)) << c.what;
        EXPECT_EQ(notice.events, (std::vector<std::string>{"notice Shutdown", "pause 1000"})) << c.what;
        EXPECT_EQ(api.calls, c.privilegeAsked ? withPrivilege : std::vector<std::string>{"ExitWindowsEx"})
            << c.what;
        EXPECT_EQ(api.exitModes, std::vector<std::int32_t>{c.mode}) << c.what;
    }
    // Whether the system is NT is remembered once known, and only then.
    ForgetIsWinNT();
    fakePlatform().version.reset();
    EXPECT_FALSE(IsWinNT());
    fakePlatform().version = test::versionRecord(5, 0, VER_PLATFORM_WIN32_NT);
    EXPECT_TRUE(IsWinNT());
    fakePlatform().version = test::versionRecord(4, 10, 1);
    EXPECT_TRUE(IsWinNT());
    ForgetIsWinNT();
}

TEST_F(ShutdownTest, TheSourceIsTheExecutablesBaseName) {
    fakePlatform().executableName = "my.tool.bin";
    EXPECT_EQ(ShutdownErrorSource(), "my.tool.mShutDown");
}

} // namespace
} // namespace tidorax::test

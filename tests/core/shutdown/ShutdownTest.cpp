#include "core/shutdown/Shutdown.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingShutdownApi.h"
#include "tests/support/VersionRecord.h"

#include <cstring>
#include <vector>

namespace tidorax::test {
namespace {

class RecordingNotice : public ShutdownNoticeHost {
public:
    std::vector<std::string> events;
    void showShutdownNotice(const std::string& label) override { events.push_back("notice " + label); }
    void pause(std::uint32_t ms) override { events.push_back("pause " + std::to_string(ms)); }
};

class ShutdownTest : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ForgetIsWinNT();
    }
    void TearDown() override {
        ForgetIsWinNT();
        PlatformFixture::TearDown();
    }
};

TEST_F(ShutdownTest, EachFailureRaisesItsNumberSourceAndDescription) {
    fakePlatform().version = test::versionRecord(5, 1, VER_PLATFORM_WIN32_NT);
    struct Case {
        const char* failAt;
        DWORD code;
        std::uint32_t number;
        std::string description;
    };
    const std::string enable = "Can't enable shutdown: ";
    const std::string noRight = enable + "You do not have the privileges to shutdown this system. [";
    const std::string notHeld = "A required privilege is not held by the client.]";
    const Case cases[] = {
        {"LookupPrivilegeValueA", 1314, 0x8004062C,
         enable + "Can't find the SE_SHUTDOWN_NAME privilege value. [" + notHeld},
        {"GetCurrentProcess", 5, 0x8004062D,
         enable + "Can't determine the current process. [Access is denied.]"},
        {"OpenProcessToken", 5, 0x8004062E, noRight + "Access is denied.]"},
        {"AdjustTokenPrivileges", 1314, 0x8004062E, noRight + notHeld},
        {"AdjustTokenPrivileges", 9999, 0x8004062E, noRight + "]"},
        {"ExitWindowsEx", 5, 0x8004062B, "ShutdownSystem failed: Access is denied."},
        {"ExitWindowsEx", 9999, 0x8004062B, "ShutdownSystem failed: "},
    };
    for (const Case& c : cases) {
        RecordingShutdownApi api;
        api.failAt = c.failAt;
        api.failCode = c.code;
        try {
            ShutdownSystem(api, EWX_POWEROFF);
            ADD_FAILURE() << c.failAt << " raised nothing";
        } catch (const ShutdownError& error) {
            EXPECT_EQ(error.Number, c.number) << c.failAt;
            EXPECT_EQ(error.Source, "tidorax.mShutDown") << c.failAt;
            EXPECT_EQ(error.Description, c.description) << c.failAt;
        }
        // A privilege failure never reaches the exit request; every opened token is closed.
        if (std::strcmp(c.failAt, "ExitWindowsEx") != 0) {
            EXPECT_TRUE(api.exitModes.empty()) << c.failAt;
        }
        EXPECT_EQ(api.openTokens, 0) << c.failAt;
    }
}

TEST_F(ShutdownTest, ModesOutsideZeroToThirtyOneAreRefusedOthersPassUnchanged) {
    for (const std::int32_t mode : {32, -1, 1000, -2147483647 - 1}) {
        RecordingShutdownApi api;
        try {
            ShutdownSystem(api, mode);
            ADD_FAILURE() << mode;
        } catch (const ShutdownError& error) {
            EXPECT_EQ(error.Number, 0x8004062Fu);
            EXPECT_EQ(error.Description, "Invalid parameter to ShutdownSystem: " + std::to_string(mode));
        }
        EXPECT_TRUE(api.calls.empty()) << mode;
    }
    for (std::int32_t mode = 0; mode <= 31; ++mode) {
        RecordingShutdownApi api;
        EXPECT_TRUE(ShutdownSystem(api, mode));
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
        {"Windows XP", test::versionRecord(5, 1, 2), false, true, EWX_POWEROFF},
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
}

TEST_F(ShutdownTest, TheSourceIsTheExecutablesBaseNameAndTheMessageNamesTheError) {
    for (const auto& [executable, source] :
         std::vector<std::pair<std::string, std::string>>{{"tidorax", "tidorax.mShutDown"},
                                                          {"Tidora30.exe", "Tidora30.mShutDown"},
                                                          {"my.tool.bin", "my.tool.mShutDown"}}) {
        fakePlatform().executableName = executable;
        EXPECT_EQ(ShutdownErrorSource(), source);
    }
    const ShutdownError error(0x8004062B, "tidorax.mShutDown", "ShutdownSystem failed: Access is denied.");
    EXPECT_EQ(ShutdownErrorMessage(error),
              "ShutdownSystem failed: Access is denied.\n\nError &H8004062B (tidorax.mShutDown)");
}

} // namespace
} // namespace tidorax::test

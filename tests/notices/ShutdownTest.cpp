#include "engine/Shutdown.h"
#include "platform/FakePlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace tidorax {
namespace {

// System services that record each call and fail where the test says.
class RecordingShutdownApi : public ShutdownApi {
public:
    bool perUser = false;
    std::string failAt; // name of the call that fails
    DWORD failCode = 0;
    std::map<DWORD, std::string> texts{
        {ERROR_PRIVILEGE_NOT_HELD, "A required privilege is not held by the client.\r\n"},
        {5, "Access is denied.\r\n"}};
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

class RecordingNotice : public ShutdownNoticeHost {
public:
    std::vector<std::string> events;
    void showShutdownNotice(const std::string& label) override { events.push_back("notice " + label); }
    void pause(std::uint32_t ms) override { events.push_back("pause " + std::to_string(ms)); }
};

OsVersionInfo version(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    OsVersionInfo info;
    info.dwPlatformId = platformId;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return info;
}

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakePlatform().reset(temp.path());
        ForgetIsWinNT();
    }
    void TearDown() override { ForgetIsWinNT(); }
    test::TempDir temp;
};

TEST_F(ShutdownTest, EachFailureRaisesItsNumberSourceAndDescription) {
    fakePlatform().version = version(VER_PLATFORM_WIN32_NT, 5, 1);
    struct Case {
        const char* failAt;
        DWORD code;
        std::uint32_t number;
        const char* description;
    };
    const Case cases[] = {
        {"LookupPrivilegeValueA", 1314, 0x8004062C,
         "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [A required privilege is "
         "not "
         "held by the client.\r\n]"},
        {"GetCurrentProcess", 5, 0x8004062D,
         "Can't enable shutdown: Can't determine the current process. [Access is "
         "denied.\r\n]"},
        {"OpenProcessToken", 5, 0x8004062E,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. [Access is "
         "denied.\r\n]"},
        {"AdjustTokenPrivileges", 1314, 0x8004062E,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. [A required "
         "privilege is "
         "not held by the client.\r\n]"},
        {"AdjustTokenPrivileges", 9999, 0x8004062E,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. []"},
        {"ExitWindowsEx", 5, 0x8004062B, "ShutdownSystem failed: Access is denied.\r\n"},
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

TEST_F(ShutdownTest, ThePrivilegeIsObtainedWhereTheSystemGrantsItPerUser) {
    struct Case {
        const char* what;
        std::optional<OsVersionInfo> version;
        bool perUser;
        bool privilegeAsked;
    };
    const Case cases[] = {
        {"Windows 98", version(1, 4, 10), false, false},
        {"Windows XP", version(2, 5, 1), false, true},
        {"Linux with logind", std::nullopt, true, true},
        {"no version, no per-user right", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        ForgetIsWinNT();
        fakePlatform().version = c.version;
        RecordingShutdownApi api;
        api.perUser = c.perUser;
        EXPECT_TRUE(ShutdownSystem(api, EWX_POWEROFF)) << c.what;
        const std::vector<std::string> withPrivilege{"LookupPrivilegeValueA", "GetCurrentProcess",
                                                     "OpenProcessToken",      "AdjustTokenPrivileges",
                                                     "CloseHandle",           "ExitWindowsEx"};
        EXPECT_EQ(api.calls, c.privilegeAsked ? withPrivilege : std::vector<std::string>{"ExitWindowsEx"})
            << c.what;
    }
}

TEST_F(ShutdownTest, IsWinNTIsRememberedOnlyOnceKnown) {
    EXPECT_FALSE(IsWinNT()); // no version record: not remembered
    fakePlatform().version = version(VER_PLATFORM_WIN32_NT, 5, 0);
    EXPECT_TRUE(IsWinNT());
    fakePlatform().version = version(1, 4, 10);
    EXPECT_TRUE(IsWinNT()); // remembered for the whole run
}

TEST_F(ShutdownTest, ShutdownNowShowsTheNoticeWaitsAndPicksTheModeOfTheSystem) {
    struct Case {
        const char* what;
        std::optional<OsVersionInfo> version;
        std::int32_t mode;
    };
    const Case cases[] = {
        {"Windows 2000", version(2, 5, 0), EWX_POWEROFF},
        {"Windows XP", version(2, 5, 1), EWX_POWEROFF},
        {"Windows 98", version(1, 4, 10), EWX_SHUTDOWN},
        {"Windows ME", version(1, 4, 90), EWX_SHUTDOWN},
        {"Linux", std::nullopt, EWX_POWEROFF},
        {"Windows 95", version(1, 4, 0), EWX_POWEROFF},
    };
    for (const Case& c : cases) {
        ForgetIsWinNT();
        fakePlatform().version = c.version;
        RecordingShutdownApi api;
        RecordingNotice notice;
        EXPECT_TRUE(ShutdownNow(api, notice)) << c.what;
        EXPECT_EQ(notice.events, (std::vector<std::string>{"notice Shutdown", "pause 1000"})) << c.what;
        EXPECT_EQ(api.exitModes, std::vector<std::int32_t>{c.mode}) << c.what;
    }
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
} // namespace tidorax

#include "core/settings/WindowsVersion.h"
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tidorax {
namespace {

const std::string kCleanPath = "HKCU\\Software\\Quillon Software\\Tidora\\CleanPath";

TEST(LinuxPlatformTest, LinuxIsInNeitherWindowsGroup) {
    LinuxPlatform system;
    OsVersionInfo record;
    EXPECT_EQ(system.GetVersionExA(record), 0);
    EXPECT_FALSE(IsWin98() || IsWinME() || IsWinNT5() || IsWinXP());
    EXPECT_EQ(system.executableBaseName(), "tidorax_linux_tests");
    EXPECT_EQ(system.programFolder().front(), '/');
    // A question that nobody can answer (no desktop) counts as No.
    EXPECT_EQ(system.MsgBox("Delete?", 36, "Quillon Info....."), IDNO);
    EXPECT_EQ(system.MsgBox("Done", 64, "Quillon Info....."), IDOK);
}

TEST(LinuxPlatformTest, WithoutHomeTheUserDatabaseGivesTheHome) {
    const std::string saved = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg != nullptr ? xdg : "";
    const struct passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
    for (const bool empty : {false, true}) {
        empty ? ::setenv("HOME", "", 1) : ::unsetenv("HOME");
        LinuxPlatform system;
        EXPECT_EQ(system.homeFolder(), user->pw_dir) << empty;
        EXPECT_EQ(system.configHome(), std::string(user->pw_dir) + "/.config") << empty;
    }
    ::setenv("HOME", saved.c_str(), 1);
    if (xdg != nullptr) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }
}

TEST(ProgramTest, TheHiveLivesUnderTheConfigFolder) {
    test::TempDir tmp;
    struct Case {
        const char* name;
        bool unsetXdg;
        std::string expectedHive;
    } cases[] = {
        {"XDG_CONFIG_HOME set", false, tmp / "config/tidorax/registry.sqlite3"},
        {"XDG_CONFIG_HOME unset", true, tmp / "home/.config/tidorax/registry.sqlite3"},
    };
    for (const auto& c : cases) {
        auto env = test::sandboxEnvironment(tmp.path());
        if (c.unsetXdg) {
            env.erase("XDG_CONFIG_HOME");
        }
        const auto added = test::runProcess(
            {TIDORAX_REG_BINARY, "add", kCleanPath, "/v", "TempFiles", "/t", "REG_SZ", "/d", "Yes", "/f"},
            env);
        EXPECT_EQ(added.exitCode, 0) << c.name << added.err;
        EXPECT_TRUE(test::exists(c.expectedHive)) << c.name;
        const auto queried =
            test::runProcess({TIDORAX_REG_BINARY, "query", kCleanPath, "/v", "TempFiles"}, env);
        EXPECT_EQ(queried.exitCode, 0) << c.name;
        EXPECT_NE(queried.out.find("TempFiles    REG_SZ    Yes"), std::string::npos) << queried.out;
    }
}

TEST(ProgramTest, HelpAndAStartWithoutADesktopSayWhatToDo) {
    test::TempDir tmp;
    auto env = test::sandboxEnvironment(tmp.path());
    const auto help = test::runProcess({TIDORAX_BINARY, "--help"}, env);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("  tidorax A   cleans now"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Manual: /"), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
    const auto tray = test::runProcess({TIDORAX_BINARY}, env);
    EXPECT_EQ(tray.exitCode, 1);
    EXPECT_EQ(tray.err.rfind("tidorax: no desktop to show the tray icon on", 0), 0u) << tray.err;
    EXPECT_EQ(std::count(tray.err.begin(), tray.err.end(), '\n'), 1);
}

TEST(ProgramTest, SilentRunNeedsNoDisplayPrintsNothingAndSurvivesADamagedHive) {
    test::TempDir tmp;
    const auto env = test::sandboxEnvironment(tmp.path());
    test::writeFile(tmp / "tmp/keep.txt");
    const auto run = test::runProcess({TIDORAX_BINARY, "A"}, env);
    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err), std::tuple(0, "", ""));
    // No flag was set: nothing was cleaned, and nothing was registered for log-on.
    EXPECT_FALSE(test::exists(tmp / "config/autostart/Tidora.desktop"));

    test::writeFile(tmp / "config/tidorax/registry.sqlite3", std::string(3000, '\x5a'));
    EXPECT_EQ(test::runProcess({TIDORAX_BINARY, "A"}, env).exitCode, 0);
    EXPECT_TRUE(test::exists(tmp / "tmp/keep.txt"));
    EXPECT_EQ(test::readFile(tmp / "config/tidorax/registry.sqlite3"), std::string(3000, '\x5a'));
}

} // namespace
} // namespace tidorax

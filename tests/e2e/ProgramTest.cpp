// The Linux platform and the built programs, run as a user runs them.
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <thread>
#include <unistd.h>

namespace tidorax::test {
namespace {

const std::string kSettings = "HKCU\\Software\\Quillon Software\\Tidora\\";
const std::string kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Sets a value through tidorax-reg; what it printed to the errors when that failed.
std::string regAdd(const std::map<std::string, std::string>& env, const std::string& key,
                   const std::string& name, const std::string& data) {
    const auto added = runProcess({TIDORAX_REG_BINARY, "add", key, "/v", name, "/d", data, "/f"}, env);
    return added.exitCode == 0 ? "" : key + " " + name + ": " + added.err;
}

// Without HOME (or XDG_CONFIG_HOME) the home folder is the user database's, and the
// hive lies in its .config.
TEST(LinuxPlatformTest, AnswersFromTheRunningSystem) {
    LinuxPlatform system;
    OsVersionInfo record;
    EXPECT_EQ(system.GetVersionExA(record), 0);
    EXPECT_EQ(system.executableBaseName(), "tidorax_linux_tests");
    // A question that nobody can answer (no desktop) counts as No.
    EXPECT_EQ(system.MsgBox("Delete?", 36, "Quillon Info....."), IDNO);

    // (Each test runs in a process of its own: the environment need not be restored.)
    const struct passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
    for (const bool empty : {false, true}) {
        empty ? ::setenv("HOME", "", 1) : ::unsetenv("HOME");
        EXPECT_EQ(std::pair(system.homeFolder(), system.configHome()),
                  std::pair(std::string(user->pw_dir), std::string(user->pw_dir) + "/.config"));
    }
}

// The programs as a user runs them: help, a start without a desktop, and "tidorax A", where
// the settings in the hive choose what is cleaned.
TEST(ProgramTest, EachStartModeAsAUserRunsIt) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    const auto help = runProcess({TIDORAX_BINARY, "--help"}, env);
    EXPECT_EQ(std::pair(help.exitCode, help.err), std::pair(0, std::string()));
    EXPECT_NE(help.out.find("  tidorax A   cleans now"), std::string::npos) << help.out;
    const auto version = runProcess({TIDORAX_BINARY, "--version"}, env);
    EXPECT_EQ(std::tuple(version.exitCode, version.out, version.err), std::tuple(0, "tidorax 3.0\n", ""));
    const auto tray = runProcess({TIDORAX_BINARY}, env);
    EXPECT_EQ(std::pair(tray.exitCode, std::count(tray.err.begin(), tray.err.end(), '\n')), std::pair(1, 1l));
    EXPECT_EQ(tray.err.rfind("tidorax: no desktop to show the tray icon on", 0), 0u) << tray.err;
    // A platform named without its display (or with one that is not there) is no abort either.
    for (const auto& [name, value] : {std::pair("QT_QPA_PLATFORM", "xcb"), std::pair("DISPLAY", ":4321")}) {
        auto displayless = env;
        displayless[name] = value;
        const auto named = runProcess({TIDORAX_BINARY, "A", "B"}, displayless);
        EXPECT_EQ(named.exitCode, 1) << value << ": " << named.err;
        EXPECT_NE(named.err.find("tidorax: no desktop to show the tray icon on ("), std::string::npos)
            << named.err;
    }

    // (The cookie clean as a user runs it: TwoCleansAtOnceKeepEveryKeptCookie; the lines of
    // refused folders: browsers-test.sh.)
    writeFile(dir / "tmp/sub/b.tmp");
    ASSERT_EQ(regAdd(env, kSettings + "CleanPath", "InternetFiles", "Yes") +
                  regAdd(env, kSettings + "CleanPath", "TempFiles", "Yes"),
              "");

    const auto run = runProcess({TIDORAX_BINARY, "A"}, env);

    EXPECT_EQ(std::tuple(run.exitCode, run.out, run.err), std::tuple(0, "", ""));
    EXPECT_EQ(treeEntries(dir / "tmp"), Tree{});
    // A clean registers nothing for log-on.
    EXPECT_FALSE(exists(dir / "config/autostart/Tidora.desktop"));
}

// Two silent runs at once on one settings store (the tray and the run at log-on): the
// second waits for the first, so neither takes a half-rewritten list of saved cookies for
// the keep list. Every kept cookie file stays, and the list stays whole.
TEST(ProgramTest, TwoCleansAtOnceKeepEveryKeptCookie) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    const std::string cookies = dir / "home/Cookies";
    std::string failures = regAdd(env, kShellFolders, "Cookies", cookies) +
                           regAdd(env, kSettings + "CleanPath", "CookieFiles", "Yes");
    constexpr int kKept = 60;
    for (int i = 0; i < kKept; ++i) {
        const std::string n = std::to_string(i), file = cookies + "/user@site" + n + "[1].txt";
        writeFile(file);
        failures += regAdd(env, kSettings + "SavedCookies", "Cookie" + n, file) +
                    regAdd(env, kSettings + "SpecialCookies", "Cookie" + n, "site" + n);
    }
    ASSERT_EQ(failures, "");
    for (int round = 0; round < 3; ++round) {
        writeFile(cookies + "/user@other[1].txt");
        std::thread other([&env] { runProcess({TIDORAX_BINARY, "A"}, env); });
        const auto run = runProcess({TIDORAX_BINARY, "A"}, env);
        other.join();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_FALSE(exists(cookies + "/user@other[1].txt")) << round;
    }
    EXPECT_EQ(ListFilesBelow(cookies).size(), static_cast<std::size_t>(kKept));
    const auto saved = runProcess({TIDORAX_REG_BINARY, "query", kSettings + "SavedCookies"}, env);
    EXPECT_EQ(std::count(saved.out.begin(), saved.out.end(), '\n') - 2, kKept) << saved.out;
}

// With /proc hidden (a private mount namespace), neither a clean nor the start of the
// tray program goes ahead on a guess: each says why and ends with 1.
TEST(ProgramTest, WithoutProcNothingIsGuessed) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    writeFile(dir / "tmp/file.tmp");
    ASSERT_EQ(regAdd(env, kSettings + "CleanPath", "TempFiles", "Yes"), "");
    const auto hidden = [&env](const std::string& arguments) {
        return runProcess({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                           "mount -t tmpfs none /proc || exit 77; exec " TIDORAX_BINARY " " + arguments},
                          env);
    };
    const auto clean = hidden("A");
    if (clean.exitCode == 77 || clean.exitCode == -1) {
        GTEST_SKIP() << "no private mount namespace here (needs root and unshare): " << clean.err;
    }
    EXPECT_EQ(clean.exitCode, 1);
    EXPECT_NE(clean.err.find("Nothing was cleaned"), std::string::npos) << clean.err;
    EXPECT_TRUE(exists(dir / "tmp/file.tmp"));
    const auto tray = hidden("");
    EXPECT_EQ(tray.exitCode, 1);
    EXPECT_NE(tray.err.find("the tray program is not started"), std::string::npos) << tray.err;
}

} // namespace
} // namespace tidorax::test

// The Linux platform and the built programs, run as a user runs them.
#include "core/settings/WindowsVersion.h"
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

const std::string kSettings = "HKCU\\Software\\Quillon Software\\Tidora\\";

// Without HOME (or XDG_CONFIG_HOME) the home folder is the user database's, and the
// hive lies in its .config.
TEST(LinuxPlatformTest, AnswersForLinuxFindsTheHomeWithoutHomeAndRunsHiddenProcesses) {
    LinuxPlatform system;
    OsVersionInfo record;
    EXPECT_EQ(system.GetVersionExA(record), 0);
    EXPECT_FALSE(IsWin98() || IsWinME() || IsWinNT5() || IsWinXP());
    EXPECT_EQ(system.executableBaseName(), "tidorax_linux_tests");
    // A question that nobody can answer (no desktop) counts as No.
    EXPECT_EQ(system.MsgBox("Delete?", 36, "Quillon Info....."), IDNO);

    const std::string saved = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg != nullptr ? xdg : "";
    const struct passwd* user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    ::unsetenv("XDG_CONFIG_HOME");
    for (const bool empty : {false, true}) {
        empty ? ::setenv("HOME", "", 1) : ::unsetenv("HOME");
        EXPECT_EQ(std::pair(system.homeFolder(), system.configHome()),
                  std::pair(std::string(user->pw_dir), std::string(user->pw_dir) + "/.config"));
    }
    ::setenv("HOME", saved.c_str(), 1);
    if (xdg != nullptr) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    }

    // A quoted word stays whole, doubled quotes inside it join, blanks between words
    // count once; the wait lasts until the command has ended.
    TempDir dir;
    const std::uint32_t id = system.StartHiddenProcess(
        "  sh   -c  \"printf '%s|' one 'two words' \"\"joined\"\" > " + dir.path() + "/out.txt\"");
    ASSERT_NE(id, 0u);
    system.WaitForProcessEnd(id);
    EXPECT_EQ(readFile(dir / "out.txt"), "one|two words|joined|");
    EXPECT_EQ(system.StartHiddenProcess("no-such-program " + dir.path()), 0u);
    EXPECT_EQ(system.StartHiddenProcess("   "), 0u);
}

// The programs as a user runs them: help, a start without a desktop, and "tidorax A", where
// the settings in the hive choose what is cleaned.
TEST(ProgramTest, HelpAndNoDesktopSayWhatToDoAndCleanModeCleansWhatTheSettingsSelectAndNothingElse) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    const auto help = runProcess({TIDORAX_BINARY, "--help"}, env);
    EXPECT_EQ(std::pair(help.exitCode, help.err), std::pair(0, std::string()));
    EXPECT_NE(help.out.find("  tidorax A   cleans now"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Manual: /"), std::string::npos) << help.out;
    const auto tray = runProcess({TIDORAX_BINARY}, env);
    EXPECT_EQ(std::pair(tray.exitCode, std::count(tray.err.begin(), tray.err.end(), '\n')), std::pair(1, 1l));
    EXPECT_EQ(tray.err.rfind("tidorax: no desktop to show the tray icon on", 0), 0u) << tray.err;

    const std::string cookies = dir / "home/Cookies";
    for (const char* file : {"cache/site/page.html", "tmp/sub/b.tmp", "home/Cookies/index.dat",
                             "home/Cookies/user@a[1].txt", "home/Cookies/user@saved[1].txt",
                             "home/Mine/sub/doc.txt", "home/Other/doc.txt", "outside/x", "tmp/held.tmp"}) {
        writeFile(dir / file);
    }
    HeldFile holder(dir / "tmp/held.tmp", HeldFile::Hold::Open); // in use: it stays
    ::symlink((dir / "outside").c_str(), (dir / "tmp/sub/link").c_str());
    for (const auto& [key, name, data] : std::vector<std::array<std::string, 3>>{
             {kSettings + "CleanPath", "InternetFiles", "Yes"},
             {kSettings + "CleanPath", "CookieFiles", "Yes"},
             {kSettings + "CleanPath", "TempFiles", "Yes"},
             {kSettings + "CleanPath", "UserFolder", "Yes"},
             {kSettings + "UserFolder", "File0", dir / "home/Mine"},
             {kSettings + "UserFolder", "File1", dir / "home"}, // refused: it is the home folder
             {kSettings + "SavedCookies", "Cookie0", cookies + "/user@saved[1].txt"},
             {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies",
              cookies}}) {
        const auto added = runProcess({TIDORAX_REG_BINARY, "add", key, "/v", name, "/d", data, "/f"}, env);
        ASSERT_EQ(added.exitCode, 0) << key << " " << name << ": " << added.err;
    }

    const auto run = runProcess({TIDORAX_BINARY, "A"}, env);

    EXPECT_EQ(std::pair(run.exitCode, run.out), std::pair(0, std::string())) << run.err;
    EXPECT_EQ(run.err, "tidorax: The folder \"" + dir / "home" +
                           "\" was not cleaned: it is or holds the home folder (" + dir / "home" + ").\n");
    EXPECT_EQ(sorted(ListFilesBelow(dir / "home")),
              below(dir / "home", {"Cookies/index.dat", "Cookies/user@saved[1].txt", "Other/doc.txt"}));
    EXPECT_EQ(ListFilesBelow(dir / "tmp"), FileList{dir / "tmp/held.tmp"});
    EXPECT_EQ(treeEntries(dir / "outside"), (Tree{{"x", "f:x"}}));
    // The web cache is the browsers' caches (none here): another program's cache stays.
    EXPECT_EQ(treeEntries(dir / "cache"), (Tree{{"site", "d"}, {"site/page.html", "f:x"}}));
    EXPECT_EQ(treeEntries(dir / "home/Mine"), Tree{});
    // A clean registers nothing for log-on.
    EXPECT_FALSE(exists(dir / "config/autostart/Tidora.desktop"));

    // A damaged hive: nothing is cleaned, the file is left as it is, and the exit status says so.
    writeFile(dir / "tmp/keep.txt");
    writeFile(dir / "config/tidorax/registry.sqlite3", std::string(3000, '\x5a'));
    EXPECT_EQ(runProcess({TIDORAX_BINARY, "A"}, env).exitCode, 1);
    EXPECT_TRUE(exists(dir / "tmp/keep.txt"));
    EXPECT_EQ(readFile(dir / "config/tidorax/registry.sqlite3"), std::string(3000, '\x5a'));
}

// With /proc hidden (a private mount namespace), neither a clean nor the start of the
// tray program goes ahead on a guess: each says why and ends with 1.
TEST(ProgramTest, WithoutProcNothingIsCleanedAndNoTrayProgramIsGuessed) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    writeFile(dir / "tmp/file.tmp");
    const auto added = runProcess(
        {TIDORAX_REG_BINARY, "add", kSettings + "CleanPath", "/v", "TempFiles", "/d", "Yes", "/f"}, env);
    ASSERT_EQ(added.exitCode, 0) << added.err;
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

#include "core/startup/Startup.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "core/startup/CommandLine.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"

#include <cerrno>

namespace tidorax::test {
namespace {

// Records each step of a tray start, with the FirstRun setting the main window saw.
struct RecordingHost : TrayStartupHost {
    bool anotherInstanceRunning() override { return step("check", running); }
    bool activateRunningInstance() override { return step(" activate", reachable); }
    void showAlreadyRunning() override { step(" already-running"); }
    void loadMainWindow() override { step(" load " + Settings.GetSetting("CleanPath", "FirstRun", "-")); }
    bool step(const std::string& name, bool answer = true) { return (steps += name, answer); }

    bool running = false;
    bool reachable = true;
    std::string steps;
};

class StartupTest : public PlatformFixture {
protected:
    // The steps a silent run took, then what it printed.
    static std::string silentRun(RecordingCleaningOperations& ops) {
        std::ostringstream errors;
        const int status = RunViriRerer(ops, errors);
        std::string steps = status == 0 ? "" : "exit " + std::to_string(status) + " ";
        for (const std::string& call : ops.calls) {
            steps += call + " ";
        }
        return steps + "| " + errors.str();
    }
    std::string runValue() {
        RegistryAccess::RegValue value;
        RegistryAccess::GetRegValue("HKLM", kRunKey, "Tidora", "S", std::string("<none>"), value);
        return std::get<std::string>(value);
    }
};

// The run is planned from one reading of the settings: a flag changed while it cleans
// does not change what it cleans.
TEST_F(StartupTest, SilentRunCleansWhatTheFlagsSelectedWhenItStarted) {
    const std::pair<const char*, std::string> cases[] = {
        {"", "| "},
        {"InternetFiles CookieFiles", "Internet Cookies | "},
        // One line for a refused folder.
        {"UserFolder TempFiles CookieFiles InternetFiles",
         "Internet Cookies Temp UserFolders | tidorax: Temp refused\n"},
    };
    for (const auto& [flags, expected] : cases) {
        setCleanPath(flags);
        RecordingCleaningOperations ops;
        ops.refusedCall = "Temp";
        ops.during = [&ops] {
            if (ops.calls.back() == "Internet") {
                Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
                Settings.DeleteSetting("CleanPath", "CookieFiles");
            }
        };
        EXPECT_EQ(silentRun(ops), expected) << flags;
        // No window shows what the silent run found: it only counts.
        EXPECT_EQ(ops.listings, std::vector<Listing>(ops.calls.size(), Listing::CountOnly)) << flags;
    }
    EXPECT_TRUE(fake().shownBoxes.empty());

    // A settings store that cannot be read: nothing is cleaned, and the user is told.
    setCleanPath("TempFiles");
    writeFile(fake().hivePath, std::string(4096, 'x'));
    fake().reopenHive();
    RecordingCleaningOperations ops;
    EXPECT_EQ(silentRun(ops), "exit 1 | tidorax: nothing was cleaned: the settings store " + fake().hivePath +
                                  " cannot be read\n");
}

// Files that stay (in use, or not the user's) are part of a clean; a walk cut short for
// lack of descriptors or memory is not, and the run says where and fails.
TEST_F(StartupTest, SilentRunFailsWhenACleanWasCutShort) {
    setCleanPath("TempFiles");
    for (const auto& [error, expected] :
         {std::pair{EBUSY, std::string("Temp | ")},
          {EMFILE, "exit 1 Temp | tidorax: the clean of Temp stopped short at "
                   "Temp/deep: Too many open files\n"}}) {
        RecordingCleaningOperations ops;
        ops.failedError = error;
        EXPECT_EQ(silentRun(ops), expected);
    }
}

TEST_F(StartupTest, TrayStartDependsOnARunningInstance) {
    using enum TrayStartupOutcome;
    // The flags set and whether another instance runs and answers; the outcome, and the steps
    // with the FirstRun setting the main window saw.
    const std::tuple<const char*, bool, bool, TrayStartupOutcome, const char*> cases[] = {
        // A second instance tidies nothing (with nothing to clean a tidy would) and registers nothing
        // for log-on; the first registers the program's folder.
        {"", true, true, HandedOver, "check activate"},
        {"", true, false, AlreadyRunningShown, "check activate already-running"},
        // The main window loads after the tidy: with no cleaning flag it sees a first run.
        {"", false, false, MainWindowLoaded, "check load -"},
        {"InternetFiles", false, false, MainWindowLoaded, "check load No"},
        {"CookieFiles", false, false, MainWindowLoaded, "check load No"},
        {"TempFiles", false, false, MainWindowLoaded, "check load No"},
        {"UserFolder", false, false, MainWindowLoaded, "check load No"},
    };
    for (const auto& [flags, running, reachable, outcome, steps] : cases) {
        setCleanPath(std::string(flags) + " FirstRun=No");
        RecordingHost host;
        host.running = running;
        host.reachable = reachable;
        EXPECT_EQ(RunTrayStartup(host), outcome) << flags;
        EXPECT_EQ(host.steps, steps) << flags;
        EXPECT_EQ(runValue(), running ? "<none>" : fake().programFolderPath + "/Tidora30.exe") << flags;
        // The tidy (never run by a second instance) removes the program's key when nothing else is left in
        // it.
        EXPECT_EQ(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"),
                  running || *flags != '\0')
            << flags;
    }
    // An existing registration naming another folder is never rewritten; a user folder keeps the key.
    RegistryAccess::SetRegValue("HKLM", kRunKey, "Tidora", "S",
                                RegistryAccess::RegValue{std::string("/elsewhere/x")});
    Settings.DeleteSetting("CleanPath", "");
    Settings.SaveSetting("UserFolder", "File0", "/data/mine");
    RecordingHost host;
    RunTrayStartup(host);
    EXPECT_EQ(std::pair(runValue(), Settings.GetSetting("UserFolder", "File0", "0")),
              std::pair(std::string("/elsewhere/x"), std::string("/data/mine")));
}

TEST(CommandLineTest, LastArgumentOverATableOfCommandLines) {
    // The command line, its last argument, and whether it asks for the silent run.
    const std::tuple<std::string, std::optional<std::string>, bool> cases[] = {
        {"", std::nullopt, false},
        {"A", "A", true},
        {"/x /a", "a", true},
        {"-A", "-A", false},
        {"AB", "AB", false},
        {"A/B", "B", false},
        {"1 2 3 4 5 6 7 8 9 10 A", "10", false}, // the eleventh argument is never reached
        {"1 2 3 4 5 6 7 8 9 A", "A", true},
        {"\"/home/me/My Programs/tidorax\" A", "A", true},
    };
    for (const auto& [commandLine, last, viriRerer] : cases) {
        EXPECT_EQ(GetLastArgument(commandLine), last) << '[' << commandLine << ']';
        EXPECT_EQ(IsViriRererCommandLine(commandLine), viriRerer) << '[' << commandLine << ']';
    }
}

} // namespace
} // namespace tidorax::test

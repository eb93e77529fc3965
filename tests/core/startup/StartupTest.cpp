#include "core/startup/Startup.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"

#include <sstream>

namespace tidorax::test {
namespace {

const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RecordingHost : public TrayStartupHost {
public:
    bool anotherInstanceRunning() override {
        steps += "check";
        return running;
    }
    bool activateRunningInstance() override {
        steps += " activate";
        return reachable;
    }
    void showAlreadyRunning() override { steps += " already-running"; }
    void loadMainWindow() override {
        steps += " load";
        cleanPathAtLoad = Settings.GetSetting("CleanPath", "FirstRun", "absent");
    }

    bool running = false;
    bool reachable = true;
    std::string steps;
    std::string cleanPathAtLoad;
};

class StartupTest : public PlatformFixture {
protected:
    // Sets each flag of the space-separated list.
    static void setFlags(const std::string& flags) {
        std::istringstream words(flags);
        for (std::string flag; words >> flag;) {
            Settings.SaveSetting("CleanPath", flag, "Yes");
        }
    }
    // The steps a silent run took, then what it printed.
    static std::string silentRun(RecordingCleaningOperations& ops) {
        std::ostringstream errors;
        RunViriRerer(ops, errors);
        std::string steps;
        for (const std::string& call : ops.calls) {
            steps += call + " ";
        }
        return steps + "| " + errors.str();
    }
    std::string runValue() {
        RegistryAccess::RegValue value;
        const LONG code =
            RegistryAccess::GetRegValue("HKLM", kRunKey, "Tidora", "S", std::string("<none>"), value);
        return code == 0 ? std::get<std::string>(value) : "<none>";
    }
};

TEST_F(StartupTest, SilentRunCleansWhatTheFlagsSelectInItsOrder) {
    const std::pair<const char*, std::string> cases[] = {
        {"", "| "},
        {"TempFiles", "Temp | tidorax: Temp refused\n"}, // one line for a refused folder
        {"UserFolder TempFiles CookieFiles InternetFiles",
         "Internet Cookies Temp UserFolders tray | tidorax: Temp refused\n"},
        {"AutoFunction Shutdown", "| "}, // these two govern only the tray commands
    };
    for (const auto& [flags, expected] : cases) {
        Settings.DeleteSetting("CleanPath", "");
        setFlags(flags);
        RecordingCleaningOperations ops;
        ops.refusedCall = "Temp";
        EXPECT_EQ(silentRun(ops), expected) << flags;
    }
    EXPECT_TRUE(fake().shownBoxes.empty());

    // A settings store that cannot be read: nothing is cleaned, and the user is told.
    setFlags("TempFiles");
    writeFile(fake().hivePath, std::string(4096, 'x'));
    fake().reopenHive();
    RecordingCleaningOperations ops;
    EXPECT_EQ(silentRun(ops),
              "| tidorax: nothing was cleaned: the settings store " + fake().hivePath + " cannot be read\n");
}

TEST_F(StartupTest, SilentRunReadsEachFlagJustBeforeItsStep) {
    setFlags("InternetFiles CookieFiles");
    RecordingCleaningOperations ops;
    // The Internet step sets the Temp flag and clears the cookie flag.
    ops.during = [&ops] {
        if (ops.calls.back() == "Internet") {
            Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
            Settings.DeleteSetting("CleanPath", "CookieFiles");
        }
    };
    EXPECT_EQ(silentRun(ops), "Internet Temp | ");
}

TEST_F(StartupTest, TrayStartTidiesSettingsOnlyWithoutAnyCleaningFlag) {
    for (const char* flags :
         {"", "AutoFunction Shutdown", "InternetFiles", "CookieFiles", "TempFiles", "UserFolder"}) {
        Settings.DeleteSetting("CleanPath", "");
        setFlags(flags);
        Settings.SaveSetting("CleanPath", "FirstRun", "No");
        RecordingHost host;
        EXPECT_EQ(RunTrayStartup(host), TrayStartupOutcome::MainWindowLoaded);
        EXPECT_EQ(host.steps, "check load");
        // The main window loads after the tidy: with no cleaning flag it sees a first run.
        const bool kept = *flags != '\0' && std::string_view(flags) != "AutoFunction Shutdown";
        EXPECT_EQ(host.cleanPathAtLoad, kept ? "No" : "absent") << flags;
    }
}

TEST_F(StartupTest, TidyRemovesTheProgramKeyOnlyWhenNothingElseIsLeftInIt) {
    Settings.SaveSetting("CleanPath", "AutoFunction", "Yes");
    TidySettings();
    EXPECT_FALSE(keyExists(fake().registry(), HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));

    Settings.SaveSetting("UserFolder", "File0", "/data/mine");
    TidySettings();
    EXPECT_EQ(Settings.GetSetting("UserFolder", "File0", "0"), "/data/mine");
}

TEST_F(StartupTest, LogOnRegistrationIsWrittenOnlyWhenItCannotBeRead) {
    RecordingHost host;
    RunTrayStartup(host);
    EXPECT_EQ(runValue(), fake().programFolderPath + "/Tidora30.exe");

    // An existing value naming another folder is never rewritten.
    RegistryAccess::SetRegValue("HKLM", kRunKey, "Tidora", "S",
                                RegistryAccess::RegValue{std::string("/elsewhere/x")});
    RunTrayStartup(host);
    EXPECT_EQ(runValue(), "/elsewhere/x");

    // Started from the root folder: the text keeps its two separators.
    RegistryAccess::DeleteRegValue("HKLM", kRunKey, "Tidora");
    fake().programFolderPath = "/";
    RegisterAtLogon();
    EXPECT_EQ(runValue(), "//Tidora30.exe");
}

TEST_F(StartupTest, ASecondInstanceHandsOverOrShowsTheAlreadyRunningWindow) {
    Settings.SaveSetting("CleanPath", "FirstRun", "No");
    for (const bool reachable : {true, false}) {
        RecordingHost host;
        host.running = true;
        host.reachable = reachable;
        EXPECT_EQ(RunTrayStartup(host),
                  reachable ? TrayStartupOutcome::HandedOver : TrayStartupOutcome::AlreadyRunningShown);
        EXPECT_EQ(host.steps, reachable ? "check activate" : "check activate already-running");
    }
    // Neither touched the settings nor registered anything.
    EXPECT_EQ(Settings.GetSetting("CleanPath", "FirstRun", "0"), "No");
    EXPECT_EQ(runValue(), "<none>");
}

} // namespace
} // namespace tidorax::test

#include "core/startup/Startup.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/PlatformFixture.h"
#include "tests/support/RecordingCleaningOperations.h"

#include <algorithm>
#include <sstream>

namespace tidorax::test {
namespace {

const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RecordingHost : public TrayStartupHost {
public:
    bool anotherInstanceRunning() override {
        steps.push_back("check");
        return running;
    }
    bool activateRunningInstance() override {
        steps.push_back("activate");
        return reachable;
    }
    void showAlreadyRunning() override { steps.push_back("already-running"); }
    void loadMainWindow() override {
        steps.push_back("load");
        cleanPathAtLoad = Settings.GetSetting("CleanPath", "FirstRun", "absent");
    }

    bool running = false;
    bool reachable = true;
    std::vector<std::string> steps;
    std::string cleanPathAtLoad;
};

class StartupTest : public PlatformFixture {
protected:
    void setFlags(const std::vector<std::string>& flags) {
        for (const auto& flag : flags) {
            Settings.SaveSetting("CleanPath", flag, "Yes");
        }
    }
    std::string runValue() {
        RegistryAccess::RegValue value;
        const LONG code =
            RegistryAccess::GetRegValue("HKLM", kRunKey, "Tidora", "S", std::string("<none>"), value);
        return code == 0 ? std::get<std::string>(value) : "<none>";
    }
};

TEST_F(StartupTest, SilentRunCleansWhatTheFlagsSelectInItsOrder) {
    struct Case {
        std::vector<std::string> flags;
        std::vector<std::string> expected;
    } cases[] = {
        {{}, {}},
        {{"TempFiles"}, {"Temp"}},
        {{"UserFolder", "TempFiles", "CookieFiles", "InternetFiles"},
         {"Internet", "Cookies", "Temp", "UserFolders tray"}},
        {{"AutoFunction", "Shutdown"}, {}}, // these two govern only the tray commands
        {{"CookieFiles", "UserFolder"}, {"Cookies", "UserFolders tray"}},
    };
    for (const auto& c : cases) {
        Settings.DeleteSetting("CleanPath", "");
        setFlags(c.flags);
        RecordingCleaningOperations ops;
        ops.refusedCall = "Temp";
        std::ostringstream errors;
        RunViriRerer(ops, errors);
        EXPECT_EQ(ops.calls, c.expected);
        // No window shows what the silent run found: it only counts.
        EXPECT_EQ(ops.listings, std::vector<Listing>(c.expected.size(), Listing::CountOnly));
        const bool tempRan = std::find(c.expected.begin(), c.expected.end(), "Temp") != c.expected.end();
        EXPECT_EQ(errors.str(), tempRan ? "tidorax: Temp refused\n" : "") << "one line a refused folder";
    }
    EXPECT_TRUE(fake().shownBoxes.empty());

    // A settings store that cannot be read: nothing is cleaned, and the user is told.
    setFlags({"TempFiles"});
    writeFile(fake().hivePath, std::string(4096, 'x'));
    fake().reopenHive();
    RecordingCleaningOperations ops;
    std::ostringstream errors;
    RunViriRerer(ops, errors);
    EXPECT_TRUE(ops.calls.empty());
    EXPECT_EQ(errors.str(),
              "tidorax: nothing was cleaned: the settings store " + fake().hivePath + " cannot be read\n");
}

TEST_F(StartupTest, SilentRunReadsEachFlagJustBeforeItsStep) {
    setFlags({"InternetFiles", "CookieFiles"});
    RecordingCleaningOperations ops;
    // The Internet step sets the Temp flag and clears the cookie flag.
    ops.during = [&ops] {
        if (ops.calls.back() == "Internet") {
            Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
            Settings.DeleteSetting("CleanPath", "CookieFiles");
        }
    };
    std::ostringstream errors;
    RunViriRerer(ops, errors);
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"Internet", "Temp"}));
}

TEST_F(StartupTest, TrayStartTidiesSettingsOnlyWithoutAnyCleaningFlag) {
    struct Case {
        std::vector<std::string> flags;
        bool kept;
    } cases[] = {
        {{}, false},
        {{"AutoFunction", "Shutdown"}, false},
        {{"InternetFiles"}, true},
        {{"CookieFiles"}, true},
        {{"TempFiles"}, true},
        {{"UserFolder"}, true},
    };
    for (const auto& c : cases) {
        Settings.DeleteSetting("CleanPath", "");
        setFlags(c.flags);
        Settings.SaveSetting("CleanPath", "FirstRun", "No");
        RecordingHost host;
        EXPECT_EQ(RunTrayStartup(host), TrayStartupOutcome::MainWindowLoaded);
        EXPECT_EQ(host.steps, (std::vector<std::string>{"check", "load"}));
        // The main window loads after the tidy: with nothing to clean it sees a first run.
        EXPECT_EQ(host.cleanPathAtLoad, c.kept ? "No" : "absent") << c.flags.size();
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
    const std::string expected = fake().programFolderPath + "/Tidora30.exe";
    EXPECT_EQ(runValue(), expected);
    EXPECT_TRUE(exists(fake().autostartFolder + "/Tidora.desktop"));

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
        const std::vector<std::string> handedOver{"check", "activate"};
        const std::vector<std::string> shown{"check", "activate", "already-running"};
        EXPECT_EQ(host.steps, reachable ? handedOver : shown);
    }
    // Neither touched the settings nor registered anything.
    EXPECT_EQ(Settings.GetSetting("CleanPath", "FirstRun", "0"), "No");
    EXPECT_EQ(runValue(), "<none>");
}

} // namespace
} // namespace tidorax::test

#include "startup/Form1.h"
#include "engine/WorkingLists.h"
#include "notices/ScreenSubs.h"
#include "notices/frmCount.h"
#include "notices/frmShutdown.h"
#include "startup/AuxiliaryWindows.h"
#include "startup/CRegSettings.h"
#include "startup/modRegistry.h"
#include "tests/gui/GuiTestSupport.h"

#include <QAction>
#include <QSignalSpy>

#include <stdexcept>

namespace tidorax::test {
namespace {

const char* const kTitle = "Quillon Info.....";
const char* const kShutdownNotChecked = "Clean And ShutDown Box Not Checked On Options Form!";
const char* const kNothingSelected = "You Have Not Selected Any Files To Be Cleaned!";
const char* const kViriRererNotChecked = "The ViriRerer Box Must Be Checked For This Function To Work!";

class Form1Test : public GuiTest {
protected:
    void setFlags(const std::vector<std::pair<std::string, std::string>>& values) {
        for (const auto& [key, value] : values) {
            Settings.SaveSetting("CleanPath", key, value);
        }
    }
    std::vector<std::string> shownPrompts() const {
        std::vector<std::string> prompts;
        for (const auto& box : fakePlatform().shownBoxes) {
            prompts.push_back(box.prompt);
        }
        return prompts;
    }

    RecordingCleaningOperations operations;
    RecordingDesktopActions actions;
    RecordingShutdownApi shutdown;
};

TEST_F(Form1Test, LoadsHiddenWithItsTipAndIconAndKeepsRunningWithoutATray) {
    Form1 form(operations, actions, shutdown);
    form.Form_Load();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Quillon Tidorax");
    EXPECT_EQ(form.trayIcon()->toolTip(), "Quillon Tidorax");
    EXPECT_EQ(form.trayIcon()->icon().availableSizes(), QList<QSize>{QSize(32, 32)});
    // The offscreen desktop has no tray: no icon, but the program runs on.
    EXPECT_FALSE(form.hasTrayIcon());
    EXPECT_FALSE(form.isUnloaded());
    EXPECT_EQ(programEnds, 0);
}

TEST_F(Form1Test, FirstRunShowsTheHelpLoadingNoticeUnlessFirstRunIsExactlyNo) {
    struct Case {
        const char* firstRun; // nullptr: absent
        bool notice;
    };
    for (const Case& c : {Case{nullptr, true}, Case{"No", false}, Case{"no", true}, Case{"NO", true},
                          Case{"Yes", true}, Case{"", true}}) {
        Settings.DeleteSetting("CleanPath", "FirstRun");
        if (c.firstRun != nullptr) {
            setFlags({{"FirstRun", c.firstRun}});
        }
        int notices = 0;
        AuxiliaryWindows::showHelpMessage = [&notices] { ++notices; };
        Form1 form(operations, actions, shutdown);
        form.Form_Load();
        EXPECT_EQ(notices, c.notice ? 1 : 0) << (c.firstRun ? c.firstRun : "(absent)");
    }
}

TEST_F(Form1Test, LeftOrRightClickRecordsLastMouseXAndOpensTheMenuAtThePointer) {
    Form1 form(operations, actions, shutdown);
    form.Form_Load();
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool opens;
    };
    const Case cases[] = {{QSystemTrayIcon::Trigger, true},
                          {QSystemTrayIcon::Context, true},
                          {QSystemTrayIcon::DoubleClick, false},
                          {QSystemTrayIcon::MiddleClick, false},
                          {QSystemTrayIcon::Unknown, false}};
    for (const Case& c : cases) {
        QSignalSpy released(form.trayIcon(), &TrayIcon::released);
        form.trayIcon()->onActivated(c.reason);
        EXPECT_EQ(released.count(), c.opens ? 1 : 0) << c.reason;
    }

    LastMouseX = -1;
    form.TrayReleasedAt(QPoint(300, 200));
    EXPECT_EQ(LastMouseX, 300 * 15);
    EXPECT_TRUE(form.mnuPopUp()->isVisible());
    EXPECT_EQ(form.mnuPopUp()->pos(), QPoint(300, 200));
    form.mnuPopUp()->close();

    // Beyond 2184 pixels the position still counts: no 16-bit overflow.
    form.TrayReleasedAt(QPoint(3000, 10));
    EXPECT_EQ(LastMouseX, 45000);
    EXPECT_TRUE(form.mnuPopUp()->isVisible());
}

TEST_F(Form1Test, MenuHasThirteenItemsInOrderAndReportsTheIndexChosen) {
    Form1 form(operations, actions, shutdown);
    const char* const captions[] = {
        "About---Version 3.0", "", "Remove All Paths", "", "Exit",     "", "Help", "",
        "Clean And Shutdown",  "", "Configuration",    "", "ViriRerer"};
    TrayMenu* menu = form.mnuPopUp();
    EXPECT_EQ(menu->title(), "PopUp_Menu");
    EXPECT_EQ(menu->actions().size(), 13);
    for (int index = 0; index < 13; ++index) {
        QAction* item = menu->mnuShow(index);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(menu->actions().at(index), item);
        EXPECT_EQ(item->isSeparator(), index % 2 == 1) << index;
        EXPECT_EQ(item->text(), captions[index]) << index;
    }
    EXPECT_EQ(menu->mnuShow(13), nullptr);
    EXPECT_EQ(menu->mnuShow(-1), nullptr);

    QSignalSpy clicked(menu, &TrayMenu::mnuShowClicked);
    menu->mnuShow(12)->trigger();
    menu->mnuShow(6)->trigger();
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 12);
    EXPECT_EQ(clicked.at(1).at(0).toInt(), 6);
}

TEST_F(Form1Test, ViriRererChecksItsSettingsThenCleansWhatIsSelectedInOrder) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> flags;
        std::vector<std::string> prompts;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"ViriRerer box unchecked", {{"TempFiles", "Yes"}}, {kViriRererNotChecked}, {}},
        {"ViriRerer box not exactly Yes",
         {{"AutoFunction", "yes"}, {"TempFiles", "Yes"}},
         {kViriRererNotChecked},
         {}},
        {"nothing selected", {{"AutoFunction", "Yes"}, {"TempFiles", "0"}}, {kNothingSelected}, {}},
        {"only Temp",
         {{"AutoFunction", "Yes"}, {"TempFiles", "Yes"}, {"CookieFiles", "YES"}},
         {},
         {"Temp Form1"}},
        {"everything",
         {{"AutoFunction", "Yes"},
          {"UserFolder", "Yes"},
          {"TempFiles", "Yes"},
          {"CookieFiles", "Yes"},
          {"InternetFiles", "Yes"}},
         {},
         {"Internet Form1", "Cookies Form1", "Temp Form1", "UserFolders Form1"}},
    };
    for (const Case& c : cases) {
        fakePlatform().reset(temp.path() + "/" + std::to_string(&c - cases));
        setFlags(c.flags);
        operations.calls.clear();
        operations.filesBefore = 37;
        Form1Lists().List7 = {"stale before"};
        Form1Lists().List6 = {"stale after"};
        Form1 form(operations, actions, shutdown);

        form.mnuShow_Click(12);

        EXPECT_EQ(shownPrompts(), c.prompts) << c.what;
        for (const auto& box : fakePlatform().shownBoxes) {
            EXPECT_EQ(box.buttons, 64) << c.what;
            EXPECT_EQ(box.title, kTitle) << c.what;
        }
        EXPECT_EQ(operations.calls, c.calls) << c.what;
        frmCount* count = frmCount::loaded();
        if (c.calls.empty()) {
            EXPECT_EQ(count, nullptr) << c.what;
            continue;
        }
        ASSERT_NE(count, nullptr) << c.what;
        EXPECT_TRUE(count->isVisible()) << c.what;
        // The lists were emptied first: only this run's files count.
        EXPECT_EQ(count->Label1->text().toStdString(), std::to_string(37 * c.calls.size())) << c.what;
        EXPECT_FALSE(form.isUnloaded()) << c.what;
        count->Timer1_Timer();
        processEvents();
    }
}

TEST_F(Form1Test, CleanAndShutdownChecksCleansCountsAndShutsDownInOrder) {
    setFlags({{"Shutdown", "Yes"}, {"TempFiles", "Yes"}, {"InternetFiles", "Yes"}});
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    Form1 form(operations, actions, shutdown);
    form.Form_Load();
    std::vector<std::string> seen;
    actions.duringPause = [&seen](std::uint32_t ms) {
        const frmCount* count = frmCount::loaded();
        const frmShutdown* notice = frmShutdown::loaded();
        seen.push_back(
            std::to_string(ms) +
            (count && count->isVisible() ? " count " + count->Label1->text().toStdString() : "") +
            (notice && notice->isVisible() ? " notice " + notice->Label2->text().toStdString() : ""));
    };

    form.mnuShow_Click(8);

    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
    EXPECT_EQ(operations.calls, (std::vector<std::string>{"Internet Form1", "Temp Form1"}));
    EXPECT_EQ(actions.events, (std::vector<std::string>{"work", "pause 1000", "pause 1000", "pause 200"}));
    // The count shows through the first second, the notice from the second on.
    EXPECT_EQ(seen, (std::vector<std::string>{"1000 count 8", "1000 count 8 notice Shutdown",
                                              "200 count 8 notice Shutdown"}));
    EXPECT_EQ(shutdown.exitModes, std::vector<std::int32_t>{8});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(Form1Test, CleanAndShutdownRefusesWithoutItsBoxOrWithoutAnySelection) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> flags;
        const char* prompt;
    };
    const Case cases[] = {
        {"box unchecked", {{"TempFiles", "Yes"}, {"AutoFunction", "Yes"}}, kShutdownNotChecked},
        {"box unchecked, nothing selected", {}, kShutdownNotChecked},
        {"nothing selected", {{"Shutdown", "Yes"}}, kNothingSelected},
    };
    for (const Case& c : cases) {
        fakePlatform().reset(temp.path() + "/" + std::to_string(&c - cases));
        setFlags(c.flags);
        Form1 form(operations, actions, shutdown);
        form.mnuShow_Click(8);
        EXPECT_EQ(shownPrompts(), std::vector<std::string>{c.prompt}) << c.what;
        EXPECT_TRUE(operations.calls.empty()) << c.what;
        EXPECT_TRUE(shutdown.exitModes.empty()) << c.what;
        EXPECT_EQ(frmShutdown::loaded(), nullptr) << c.what;
        EXPECT_FALSE(form.isUnloaded()) << c.what;
    }
}

TEST_F(Form1Test, ARefusedShutdownIsToldAndTheProgramStaysInTheTray) {
    setFlags({{"Shutdown", "Yes"}, {"TempFiles", "Yes"}});
    struct Case {
        bool refusePrivilege;
        bool failExit;
        const char* prompt;
    };
    const Case cases[] = {
        {true, false,
         "Can't enable shutdown: You do not have the privileges to shutdown this system. [A required "
         "privilege is not "
         "held by the client.]\n\nError &H8004062E (tidorax.mShutDown)"},
        {false, true, "ShutdownSystem failed: Access is denied.\n\nError &H8004062B (tidorax.mShutDown)"},
    };
    for (const Case& c : cases) {
        fakePlatform().shownBoxes.clear();
        shutdown.refusePrivilege = c.refusePrivilege;
        shutdown.failExit = c.failExit;
        Form1 form(operations, actions, shutdown);
        form.mnuShow_Click(8);
        ASSERT_EQ(fakePlatform().shownBoxes.size(), 1u);
        EXPECT_EQ(fakePlatform().shownBoxes[0].prompt, c.prompt);
        EXPECT_EQ(fakePlatform().shownBoxes[0].buttons, 16);
        EXPECT_EQ(fakePlatform().shownBoxes[0].title, kTitle);
        EXPECT_EQ(frmShutdown::loaded(), nullptr);
        EXPECT_FALSE(form.isUnloaded());
        EXPECT_EQ(programEnds, 0);
        processEvents();
    }
}

TEST_F(Form1Test, RemoveAllPathsRemovesEverySettingTheLogOnEntryAndEnds) {
    struct Case {
        const char* what;
        bool otherProgramOfTheMaker;
    };
    for (const Case& c : {Case{"only this program", false}, Case{"another program of the maker", true}}) {
        fakePlatform().reset(temp.path() + "/" + (c.otherProgramOfTheMaker ? "other" : "only"));
        programEnds = 0;
        Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
        Settings.SaveSetting("SavedCookies", "Cookie0", "/c/a.txt");
        Settings.SaveSetting("SpecialCookies", "Cookie0", "example");
        Settings.SaveSetting("UserFolder", "File0", "/data/x");
        modRegistry::SetRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tidora", "S",
                                 std::string("/opt/tidorax/tidorax"));
        modRegistry::SetRegValue("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", "S",
                                 std::string("/usr/bin/other"));
        if (c.otherProgramOfTheMaker) {
            modRegistry::SetRegValue("HKCU", "Software\\Quillon Software\\Other", "Kept", "S",
                                     std::string("1"));
        }
        Form1 form(operations, actions, shutdown);

        form.mnuShow_Click(2);

        modRegistry::RegValue value;
        const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        EXPECT_NE(modRegistry::GetRegValue("HKLM", run, "Tidora", "S", std::string(), value), 0) << c.what;
        EXPECT_FALSE(exists(fakePlatform().autostartFolder + "/Tidora.desktop")) << c.what;
        EXPECT_EQ(modRegistry::GetRegValue("HKLM", run, "Other", "S", std::string(), value), 0) << c.what;
        for (const char* section : {"CleanPath", "SavedCookies", "SpecialCookies", "UserFolder"}) {
            EXPECT_EQ(Settings.GetAllSettings(section), std::nullopt) << section;
        }
        HKEY key = 0;
        RegistryHive& hive = fakePlatform().registry();
        EXPECT_NE(
            hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora", 0, KEY_READ, &key),
            0);
        const LONG maker =
            hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillon Software", 0, KEY_READ, &key);
        EXPECT_EQ(maker == 0, c.otherProgramOfTheMaker) << c.what;
        if (maker == 0) {
            hive.RegCloseKey(key);
        }
        EXPECT_TRUE(form.isUnloaded()) << c.what;
        EXPECT_EQ(programEnds, 1) << c.what;
        EXPECT_TRUE(actions.events.empty()) << c.what;
    }
}

TEST_F(Form1Test, ExitTakesTheIconDownWaitsAndClosesEveryWindow) {
    Form1 form(operations, actions, shutdown);
    form.Form_Load();
    frmCount::instance()->ShowCount("Form1");
    ASSERT_NE(frmCount::loaded(), nullptr);

    form.mnuShow_Click(4);

    EXPECT_EQ(actions.events, std::vector<std::string>{"pause 100"});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_EQ(frmCount::loaded(), nullptr);
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_EQ(programEnds, 1);
    // Unloading twice ends once.
    form.close();
    EXPECT_EQ(programEnds, 1);
}

TEST_F(Form1Test, HelpConfigurationAboutAndTheSeparators) {
    int options = 0;
    int about = 0;
    AuxiliaryWindows::showOptionsWindow = [&options] { ++options; };
    AuxiliaryWindows::loadAboutWindow = [&about] {
        ++about;
        throw std::runtime_error("the About window failed to load");
    };
    Form1 form(operations, actions, shutdown);
    for (const int index : {1, 3, 5, 7, 9, 11, 13, 99, -1}) {
        form.mnuShow_Click(index);
    }
    EXPECT_TRUE(actions.events.empty());
    EXPECT_EQ(options + about, 0);

    form.mnuShow_Click(6);
    EXPECT_EQ(actions.events,
              std::vector<std::string>{"open " + fakePlatform().programFolderPath + "/Tidora.html"});
    form.mnuShow_Click(10);
    EXPECT_EQ(options, 1);
    form.mnuShow_Click(0); // its failure is skipped
    EXPECT_EQ(about, 1);
    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
    EXPECT_FALSE(form.isUnloaded());

    form.ShellandWait("/opt/tidorax/Tidora.html");
    EXPECT_EQ(actions.events.back(), "open and wait /opt/tidorax/Tidora.html");
}

} // namespace
} // namespace tidorax::test

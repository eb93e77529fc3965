#include "desktop/TrayWindow.h"
#include "core/geometry/ScreenMetrics.h"
#include "core/settings/RegistryAccess.h"
#include "desktop/windows/HelpWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "tests/desktop/DesktopTestSupport.h"
#include "tests/support/HiveTestSupport.h"

#include <QAction>
#include <QSignalSpy>

#include <sstream>
#include <stdexcept>

namespace tidorax::test {
namespace {

const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class TrayWindowTest : public GuiTest {
protected:
    // A fresh hive (and message box record) for each case of a table.
    // flags: "Name" (set to Yes) or "Name=Value" words, the CleanPath settings of the case.
    void freshCase(const std::string& name, const std::string& flags) {
        fakePlatform().reset(tmp / name);
        operations.calls.clear();
        std::istringstream words(flags);
        for (std::string word; words >> word;) {
            const std::size_t is = word.find('=');
            Settings.SaveSetting("CleanPath", word.substr(0, is),
                                 is == std::string::npos ? "Yes" : word.substr(is + 1));
        }
    }
};

TEST_F(TrayWindowTest, LoadsHiddenAndShowsTheHelpNoticeUnlessFirstRunIsExactlyNo) {
    for (const char* firstRun : {static_cast<const char*>(nullptr), "No", "no", ""}) {
        const std::string what = firstRun ? firstRun : "(absent)";
        freshCase("run-" + what, firstRun ? std::string("FirstRun=") + firstRun : "");
        int notices = 0;
        WindowOpeners::showHelpMessage = [&notices] { ++notices; };
        TrayWindow form(operations, actions, shutdown);
        form.load();
        EXPECT_EQ(notices, what == "No" ? 0 : 1) << what;
        EXPECT_FALSE(form.isVisible()) << what;
        EXPECT_EQ(programEnds, 0) << what << ": without a tray the program runs on";
    }
}

TEST_F(TrayWindowTest, LeftOrRightClickRecordsLastMouseXAndOpensTheMenuAtThePointer) {
    TrayWindow form(operations, actions, shutdown);
    form.load();
    for (const auto& [reason, opens] : {std::pair{QSystemTrayIcon::Trigger, 1},
                                        {QSystemTrayIcon::Context, 1},
                                        {QSystemTrayIcon::DoubleClick, 0},
                                        {QSystemTrayIcon::MiddleClick, 0}}) {
        QSignalSpy released(form.trayIcon(), &TrayIcon::released);
        form.trayIcon()->onActivated(reason);
        EXPECT_EQ(released.count(), opens) << reason;
    }
    // Beyond 2184 pixels the position still counts: no 16-bit overflow.
    for (const QPoint at : {QPoint(300, 200), QPoint(3000, 10)}) {
        form.TrayReleasedAt(at);
        EXPECT_EQ(LastMouseX, at.x() * 15);
        EXPECT_TRUE(form.trayMenu()->isVisible());
        if (at.x() < 1000) { // on the offscreen desktop
            EXPECT_EQ(form.trayMenu()->pos(), at);
        }
        form.trayMenu()->close();
    }
}

TEST_F(TrayWindowTest, CleanAndShutdownChecksCleansCountsAndShutsDownInOrder) {
    freshCase("run", "Shutdown TempFiles InternetFiles");
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    TrayWindow form(operations, actions, shutdown);
    form.load();
    std::vector<std::string> pauses;
    int elapsed = 0; // since the count showed: its timer fires in a pause that reaches 1200 ms
    actions.duringPause = [&pauses, &elapsed](std::uint32_t ms) {
        elapsed += static_cast<int>(ms);
        if (CountWindow* count = CountWindow::loaded();
            count && count->closeTimer->isActive() && elapsed >= count->closeTimer->interval()) {
            count->closeTimerElapsed();
            processEvents();
        }
        const CountWindow* count = CountWindow::loaded();
        const ShutdownNotice* notice = ShutdownNotice::loaded();
        pauses.push_back(
            std::to_string(ms) +
            (count && count->isVisible() ? " count " + count->countLabel->text().toStdString() : "") +
            (notice && notice->isVisible() ? " notice " + notice->actionLabel->text().toStdString() : ""));
    };

    form.trayMenu()->cleanAndShutdownAction->trigger();

    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(operations.calls, (std::vector<std::string>{"Internet", "Temp"}));
    EXPECT_EQ(actions.events, (std::vector<std::string>{"work", "pause 1000", "pause 1000", "pause 200"}));
    // The count shows through the pauses until the program ends, the notice from the
    // second pause on.
    EXPECT_EQ(pauses, (std::vector<std::string>{"1000 count 8", "1000 count 8 notice Shutdown",
                                                "200 count 8 notice Shutdown"}));
    EXPECT_EQ(shutdown.exitModes, std::vector<std::int32_t>{8});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(TrayWindowTest, CleaningCommandsCheckTheirSettingsCleanInOrderAndTellFailures) {
    const std::string off =
        box("The ViriRerer Box Must Be Checked For This Function To Work!", MB_OK_INFORMATION);
    const std::string unchecked =
        box("Clean And ShutDown Box Not Checked On Options Form!", MB_OK_INFORMATION);
    const std::string nothing = box("You Have Not Selected Any Files To Be Cleaned!", MB_OK_INFORMATION);
    const std::string refused = box("Cookies refused", MB_OK_INFORMATION);
    const std::string privilege =
        box("Can't enable shutdown: You do not have the privileges to shutdown this system. [A required "
            "privilege is not held by the client.]\n\nError &H8004062E (tidorax.mShutDown)",
            MB_OK_CRITICAL);
    const std::string failed = box(
        "ShutdownSystem failed: Access is denied.\n\nError &H8004062B (tidorax.mShutDown)", MB_OK_CRITICAL);
    const std::vector<std::string> all = {"Internet", "Cookies", "Temp", "UserFolders tray"};
    const std::vector<std::string> temp = {"Temp"};
    const auto viri = &TrayMenu::viriRererAction;
    const auto shut = &TrayMenu::cleanAndShutdownAction;
    // A refused folder is told after the run and counts nothing; the count goes with the
    // shutdown notice. failAt: the shutdown call that fails; count: the count window's text.
    const struct {
        QAction* TrayMenu::*command;
        const char *flags, *failAt;
        std::string box;
        std::vector<std::string> calls;
        const char* count;
    } cases[] = {
        {viri, "AutoFunction=yes TempFiles", "", off, {}, ""},
        {viri, "AutoFunction TempFiles=0", "", nothing, {}, ""},
        {viri, "AutoFunction UserFolder TempFiles CookieFiles InternetFiles", "", refused, all, "111"},
        {shut, "", "", unchecked, {}, ""},
        {shut, "Shutdown", "", nothing, {}, ""},
        {shut, "Shutdown TempFiles", "AdjustTokenPrivileges", privilege, temp, ""},
        {shut, "Shutdown TempFiles", "ExitWindowsEx", failed, temp, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.flags) + " " + c.failAt);
        freshCase(std::to_string(&c - cases), c.flags);
        operations.filesBefore = 37;
        operations.refusedCall = "Cookies";
        shutdown.failAt = c.failAt;
        shutdown.failCode = shutdown.failAt == "ExitWindowsEx" ? 5 : ERROR_PRIVILEGE_NOT_HELD;
        TrayWindow form(operations, actions, shutdown);
        (form.trayMenu()->*c.command)->trigger();
        EXPECT_EQ(boxes(), std::vector<std::string>{c.box});
        EXPECT_EQ(operations.calls, c.calls);
        CountWindow* count = CountWindow::loaded();
        EXPECT_EQ(count && count->isVisible() ? count->countLabel->text().toStdString() : "", c.count);
        EXPECT_EQ(ShutdownNotice::loaded(), nullptr);
        EXPECT_EQ(programEnds, 0);
        if (count != nullptr) {
            count->closeTimerElapsed();
        }
        processEvents();
    }
}

TEST_F(TrayWindowTest, RemoveAllPathsRemovesEverySettingTheLogOnEntryAndEnds) {
    for (const bool otherProgramOfTheMaker : {false, true}) {
        freshCase(otherProgramOfTheMaker ? "other" : "only", "TempFiles");
        programEnds = 0;
        Settings.SaveSetting("SavedCookies", "Cookie0", "/c/a.txt");
        Settings.SaveSetting("SpecialCookies", "Cookie0", "example");
        Settings.SaveSetting("UserFolder", "File0", "/data/x");
        RegistryAccess::SetRegValue("HKLM", kRunKey, "Tidora", "S", std::string("/opt/tidorax/tidorax"));
        RegistryAccess::SetRegValue("HKLM", kRunKey, "Other", "S", std::string("/usr/bin/other"));
        if (otherProgramOfTheMaker) {
            RegistryAccess::SetRegValue("HKCU", "Software\\Quillon Software\\Other", "Kept", "S",
                                        std::string("1"));
        }
        TrayWindow form(operations, actions, shutdown);

        form.trayMenu()->removeAllPathsAction->trigger();

        RegistryAccess::RegValue value;
        EXPECT_NE(RegistryAccess::GetRegValue("HKLM", kRunKey, "Tidora", "S", std::string(), value), 0);
        EXPECT_EQ(RegistryAccess::GetRegValue("HKLM", kRunKey, "Other", "S", std::string(), value), 0);
        for (const char* section : {"CleanPath", "SavedCookies", "SpecialCookies", "UserFolder"}) {
            EXPECT_EQ(Settings.GetAllSettings(section), std::nullopt) << section;
        }
        // The program's key goes; the maker's key only when nothing else is left in it.
        RegistryHive& hive = fakePlatform().registry();
        EXPECT_FALSE(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
        EXPECT_EQ(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software"), otherProgramOfTheMaker);
        EXPECT_EQ(programEnds, 1) << otherProgramOfTheMaker;
    }
}

TEST_F(TrayWindowTest, TheMenuOpensHelpConfigurationAndAboutAndExitClosesEveryWindow) {
    int options = 0;
    int about = 0;
    WindowOpeners::showOptionsWindow = [&options] { ++options; };
    WindowOpeners::loadAboutWindow = [&about] {
        ++about;
        throw std::runtime_error("the About window failed to load");
    };
    TrayWindow form(operations, actions, shutdown);
    form.load();
    TrayMenu* menu = form.trayMenu();
    QStringList captions;
    for (const QAction* item : menu->actions()) {
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    EXPECT_EQ(captions.join(QStringLiteral("|")).toStdString(),
              "About---Version 3.0|-|Remove All Paths|-|Exit|-|Help|-|Clean And "
              "Shutdown|-|Configuration|-|ViriRerer");
    menu->helpAction->trigger(); // no help document: nothing shows
    EXPECT_EQ(HelpWindow::loaded(), nullptr);
    const std::string help = installHelp();
    menu->helpAction->trigger(); // the help window shows it, and the command returns
    ASSERT_NE(HelpWindow::loaded(), nullptr);
    EXPECT_EQ(HelpWindow::loaded()->document().toLocalFile().toStdString(), help);
    menu->configurationAction->trigger();
    EXPECT_EQ(options, 1);
    menu->aboutAction->trigger(); // its failure is skipped
    EXPECT_EQ(about, 1);
    EXPECT_TRUE(boxes().empty());

    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, 0, 0);
    menu->exitAction->trigger();
    EXPECT_EQ(actions.events, std::vector<std::string>{"pause 100"});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_EQ(CountWindow::loaded(), nullptr);
    EXPECT_EQ(HelpWindow::loaded(), nullptr);
    EXPECT_TRUE(form.isUnloaded());
    form.close(); // unloading twice ends once
    EXPECT_EQ(programEnds, 1);
}

} // namespace
} // namespace tidorax::test

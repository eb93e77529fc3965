#include "desktop/TrayController.h"
#include "core/geometry/ScreenMetrics.h"
#include "core/settings/RegistryAccess.h"
#include "desktop/Translation.h"
#include "desktop/TrayWindow.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "tests/desktop/DesktopTestSupport.h"
#include "tests/support/HiveTestSupport.h"

#include <QAction>
#include <QTranslator>

#include <stdexcept>
#include <tuple>

namespace tidorax::test {
namespace {

class TrayControllerTest : public GuiTest {
protected:
    // Offscreen there is no tray: load() says so, in this one box.
    const std::vector<std::string> noTray{
        box("No system tray is available on this desktop, so Tidorax shows no "
            "icon and keeps running without one.\r\n\r\nTo open its options "
            "window, start Tidorax again (from the menu, or as \"tidorax\").",
            MB_OK_INFORMATION)};
    // A fresh hive (and message box record) for each case of a table, with the CleanPath
    // settings of the case (as setCleanPath takes them).
    void freshCase(const std::string& name, const std::string& flags) {
        fakePlatform().reset(tmp / name);
        operations.calls.clear();
        setCleanPath(flags);
    }
};

TEST_F(TrayControllerTest, CleanAndShutdownChecksCleansCountsAndShutsDownInOrder) {
    freshCase("run", "Shutdown TempFiles InternetFiles");
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    controller->load();
    TrayWindow* form = controller->trayWindow();
    // Each pause records what it keeps up: the count (its own timer stopped) and the notice.
    actions.duringPause = [this] {
        const auto* count = countShown();
        const auto* notice = shown<ShutdownNotice>("ShutdownNotice");
        if (count && !count->closeTimer->isActive()) {
            actions.events.back() += " count " + count->countLabel->text().toStdString();
        }
        if (notice) {
            actions.events.back() += " notice " + notice->actionLabel->text().toStdString();
        }
    };

    form->trayMenu()->cleanAndShutdownAction->trigger();

    EXPECT_EQ(boxes(), noTray);
    EXPECT_EQ(operations.calls, (std::vector<std::string>{"Internet", "Temp"}));
    // The count shows through the pauses until the program ends, the notice from the second on.
    EXPECT_EQ(actions.events,
              (std::vector<std::string>{"work", "pause 1000 count 8", "pause 1000 count 8 notice Shutdown",
                                        "pause 200 count 8 notice Shutdown"}));
    EXPECT_EQ(shutdown.exitModes, std::vector<std::int32_t>{8});
    EXPECT_FALSE(form->trayIcon()->isUp());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(TrayControllerTest, CleaningCommandsCheckTheirSettingsCleanInOrderAndTellFailures) {
    const auto viri = &TrayMenu::viriRererAction;
    const auto shut = &TrayMenu::cleanAndShutdownAction;
    const char* const unchecked = "The ViriRerer Box Must Be Checked For This Function To Work!";
    const char* const privilege =
        "Can't enable shutdown: You do not have the privileges to shutdown this system. [A "
        "required privilege is not held by the client.]\n\nError &H8004062E (tidorax.mShutDown)";
    const std::vector<std::string> all = {"Internet", "Cookies", "Temp", "UserFolders"};
    // The command, the CleanPath settings, the shutdown call that fails (its box is
    // critical), the box, the cleaning calls and the count window's text. A refused folder
    // is told after the run and counts nothing.
    const std::tuple<QAction * TrayMenu::*, std::string, std::string, std::string, std::vector<std::string>,
                     std::string>
        cases[] = {
            {viri, "AutoFunction=yes TempFiles", "", unchecked, {}, ""},
            {shut, "", "", "Clean And ShutDown Box Not Checked On Options Form!", {}, ""},
            {shut, "Shutdown", "", "You Have Not Selected Any Files To Be Cleaned!", {}, ""},
            {shut, "Shutdown TempFiles", "AdjustTokenPrivileges", privilege, {"Temp"}, ""},
            // Last: its count stays up.
            {viri, "AutoFunction UserFolder TempFiles CookieFiles InternetFiles", "", "Cookies refused", all,
             "111"},
        };
    operations.filesBefore = 37;
    operations.refusedCall = "Cookies";
    shutdown.failCode = ERROR_PRIVILEGE_NOT_HELD;
    int run = 0;
    for (const auto& [command, flags, failAt, prompt, calls, counted] : cases) {
        freshCase(std::to_string(++run), flags);
        shutdown.failAt = failAt;
        controller = std::make_unique<TrayController>(services());
        (controller->trayWindow()->trayMenu()->*command)->trigger();
        EXPECT_EQ(boxes(), std::vector{box(prompt, failAt.empty() ? MB_OK_INFORMATION : MB_OK_CRITICAL)});
        EXPECT_EQ(operations.calls, calls);
        const auto* count = countShown();
        EXPECT_EQ(count ? count->countLabel->text().toStdString() : "", counted);
        EXPECT_EQ(loaded("ShutdownNotice"), nullptr);
        EXPECT_EQ(programEnds, 0);
    }
}

TEST_F(TrayControllerTest, RemoveAllPathsRemovesEverySettingTheLogOnEntryAndEnds) {
    for (const bool otherProgramOfTheMaker : {false, true}) {
        freshCase(otherProgramOfTheMaker ? "other" : "only", "TempFiles");
        RegistryAccess::SetRegValue("HKLM", kRunKey, "Tidora", "S", std::string("/opt/tidorax/tidorax"));
        RegistryAccess::SetRegValue("HKLM", kRunKey, "Other", "S", std::string("/usr/bin/other"));
        if (otherProgramOfTheMaker) {
            RegistryAccess::SetRegValue("HKCU", "Software\\Quillon Software\\Other", "Kept", "S",
                                        std::string("1"));
        }
        controller = std::make_unique<TrayController>(services());

        controller->trayWindow()->trayMenu()->removeAllPathsAction->trigger();

        RegistryHive& hive = fakePlatform().registry();
        EXPECT_FALSE(runValue(hive));
        EXPECT_TRUE(storedValue(hive, HKEY_LOCAL_MACHINE, kRunKey, "Other"));
        // The program's key goes with all its sections; the maker's key only when nothing else is left in it.
        EXPECT_FALSE(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora"));
        EXPECT_EQ(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software"), otherProgramOfTheMaker);
        EXPECT_EQ(programEnds, otherProgramOfTheMaker ? 2 : 1);
    }
}

TEST_F(TrayControllerTest, LoadsHiddenTheMenuOpensHelpConfigurationAndAboutAndExitClosesEveryWindow) {
    Settings.SaveSetting("CleanPath", "FirstRun", "No");
    controller->load();
    TrayWindow* form = controller->trayWindow();
    TrayMenu* menu = form->trayMenu();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(loaded("HelpLoadingNotice"), nullptr);
    // Beyond 2184 pixels the position still counts: no 16-bit overflow.
    form->TrayReleasedAt(QPoint(3000, 10));
    EXPECT_EQ(LastMouseX, 3000 * 15);
    EXPECT_TRUE(menu->isVisible());
    // (Its items and separators in order: the status notifier checks of tests/e2e.)
    menu->configurationAction->trigger();
    ASSERT_NE(shown("optionsWindow"), nullptr);
    shown("optionsWindow")->close();
    // Without a tray, a later start (or a start from the menu) brings the options window.
    controller->bringForward();
    EXPECT_NE(shown("optionsWindow"), nullptr);
    installHelp();
    menu->helpAction->trigger(); // the help window shows it, and the command returns
    ASSERT_NE(shown("HelpWindow"), nullptr);
    menu->aboutAction->trigger();
    EXPECT_NE(shown("AboutWindow"), nullptr);
    EXPECT_EQ(boxes(), noTray);

    controller->showCount(StartedFrom::TrayMenu, 0, 0);
    menu->exitAction->trigger();
    EXPECT_EQ(actions.events, std::vector<std::string>{"pause 100"});
    EXPECT_FALSE(form->trayIcon()->isUp());
    for (const char* window : {"CountWindow", "HelpWindow", "optionsWindow", "AboutWindow"}) {
        EXPECT_EQ(loaded(window), nullptr) << window;
    }
    EXPECT_TRUE(form->isUnloaded());
    form->close(); // unloading twice ends once
    EXPECT_EQ(programEnds, 1);
}

// A window that fails to load is skipped and the tray goes on; a closed one is made afresh
// from its design at the next use.
TEST_F(TrayControllerTest, AWindowThatFailsToLoadIsSkippedAndAClosedOneIsMadeAfresh) {
    DesktopServices given = services();
    given.places = []() -> QStringList { throw std::runtime_error("no places to browse"); };
    controller = std::make_unique<TrayController>(given);
    controller->trayWindow()->trayMenu()->configurationAction->trigger();
    EXPECT_EQ(loaded("optionsWindow"), nullptr);
    EXPECT_TRUE(boxes().empty());
    controller->loadAboutWindow();
    QWidget* about = shown("AboutWindow");
    ASSERT_NE(about, nullptr);
    controller->loadAboutWindow();
    EXPECT_EQ(shown("AboutWindow"), about) << "one About window while it is loaded";
    about->close(); // deleted later: the next use does not wait for that
    controller->loadAboutWindow();
    QWidget* again = shown("AboutWindow");
    EXPECT_TRUE(again != nullptr && again != about);
    EXPECT_EQ(loaded("AboutWindow"), again);
    EXPECT_EQ(programEnds, 0);
}

// A catalog of the system's language translates the tray; a language without one
// stays English, and the English catalog made from the sources lists the tray's texts.
TEST(TrayTranslationTest, TheSystemLanguagesCatalogTranslatesAndTheEnglishCatalogListsTheTexts) {
    QTranslator french, german;
    ASSERT_TRUE(LoadTranslation(french, QLocale(QStringLiteral("fr_CA")), QStringLiteral(TEST_CATALOGS)));
    EXPECT_FALSE(LoadTranslation(german, QLocale(QStringLiteral("de_DE")), QStringLiteral(TEST_CATALOGS)));
    QCoreApplication::installTranslator(&french);
    const TrayMenu menu;
    QCoreApplication::removeTranslator(&french);
    EXPECT_EQ(menu.exitAction->text().toStdString(), "Quitter");
    EXPECT_EQ(menu.helpAction->text().toStdString(), "Help");

    const std::string english = readFile(ENGLISH_CATALOG);
    for (const char* text :
         {"<name>tidorax::TrayController", "<name>tidorax::TrayMenu", "<source>Clean And Shutdown"}) {
        EXPECT_NE(english.find(text), std::string::npos) << text;
    }
}

} // namespace
} // namespace tidorax::test

#include "desktop/TrayWindow.h"
#include "core/geometry/ScreenMetrics.h"
#include "core/settings/RegistryAccess.h"
#include "core/settings/SettingsStore.h"
#include "desktop/WindowOpeners.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/HelpWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "tests/desktop/DesktopTestSupport.h"
#include "tests/support/HiveTestSupport.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

#include <algorithm>

namespace tidorax::test {
namespace {

const char* const kTitle = "Quillon Info.....";
const char* const kShutdownNotChecked = "Clean And ShutDown Box Not Checked On Options Form!";
const char* const kNothingSelected = "You Have Not Selected Any Files To Be Cleaned!";
const char* const kViriRererNotChecked = "The ViriRerer Box Must Be Checked For This Function To Work!";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
using Flags = std::vector<std::pair<std::string, std::string>>;

class TrayWindowTest : public GuiTest {
protected:
    // A fresh hive (and message box record) for each case of a table.
    void freshCase(const std::string& name, const Flags& flags) {
        fakePlatform().reset(tmp / name);
        for (const auto& [key, value] : flags) {
            Settings.SaveSetting("CleanPath", key, value);
        }
    }
    // "prompt|buttons|title" of every message box shown.
    static std::vector<std::string> shownBoxes() {
        std::vector<std::string> boxes;
        for (const auto& box : fakePlatform().shownBoxes) {
            boxes.push_back(box.prompt + "|" + std::to_string(box.buttons) + "|" + box.title);
        }
        return boxes;
    }
    static std::string info(const std::string& prompt) { return prompt + "|64|" + kTitle; }

    RecordingCleaningOperations operations;
    RecordingDesktopActions actions;
    RecordingShutdownApi shutdown;
};

TEST_F(TrayWindowTest, LoadsHiddenAndShowsTheHelpNoticeUnlessFirstRunIsExactlyNo) {
    for (const char* firstRun : {static_cast<const char*>(nullptr), "No", "no", "NO", "Yes", ""}) {
        freshCase(firstRun ? std::string("run-") + firstRun : "absent", {});
        if (firstRun != nullptr) {
            Settings.SaveSetting("CleanPath", "FirstRun", firstRun);
        }
        int notices = 0;
        WindowOpeners::showHelpMessage = [&notices] { ++notices; };
        TrayWindow form(operations, actions, shutdown);
        form.load();
        const std::string what = firstRun ? firstRun : "(absent)";
        EXPECT_EQ(notices, what == "No" ? 0 : 1) << what;
        EXPECT_FALSE(form.isVisible()) << what;
        // The offscreen desktop has no tray: no icon, but the program runs on.
        EXPECT_FALSE(form.hasTrayIcon()) << what;
        EXPECT_FALSE(form.isUnloaded()) << what;
        EXPECT_EQ(programEnds, 0) << what;
    }
}

TEST_F(TrayWindowTest, LeftOrRightClickRecordsLastMouseXAndOpensTheMenuAtThePointer) {
    TrayWindow form(operations, actions, shutdown);
    form.load();
    for (const auto& [reason, opens] : std::vector<std::pair<QSystemTrayIcon::ActivationReason, bool>>{
             {QSystemTrayIcon::Trigger, true},
             {QSystemTrayIcon::Context, true},
             {QSystemTrayIcon::DoubleClick, false},
             {QSystemTrayIcon::MiddleClick, false},
             {QSystemTrayIcon::Unknown, false}}) {
        QSignalSpy released(form.trayIcon(), &TrayIcon::released);
        form.trayIcon()->onActivated(reason);
        EXPECT_EQ(released.count(), opens ? 1 : 0) << reason;
    }
    // An X11 tray reports the click when the button goes down: the menu waits for it
    // to go up on the icon.
    QWidget trayWindow;
    form.trayIcon()->awaitReleaseOn(&trayWindow);
    QSignalSpy released(form.trayIcon(), &TrayIcon::released);
    form.trayIcon()->onActivated(QSystemTrayIcon::Context);
    EXPECT_EQ(released.count(), 0);
    QTest::mouseRelease(&trayWindow, Qt::RightButton);
    EXPECT_EQ(released.count(), 1);
    QTest::mouseRelease(&trayWindow, Qt::RightButton);
    EXPECT_EQ(released.count(), 1) << "one release per click";
    form.trayIcon()->awaitReleaseOn(nullptr);
    // Beyond 2184 pixels the position still counts: no 16-bit overflow.
    for (const QPoint at : {QPoint(300, 200), QPoint(3000, 10)}) {
        LastMouseX = -1;
        form.TrayReleasedAt(at);
        EXPECT_EQ(LastMouseX, at.x() * 15);
        EXPECT_TRUE(form.trayMenu()->isVisible());
        if (at.x() < 1000) { // on the offscreen desktop
            EXPECT_EQ(form.trayMenu()->pos(), at);
        }
        form.trayMenu()->close();
    }
}

TEST_F(TrayWindowTest, ViriRererChecksItsSettingsThenCleansWhatIsSelectedInOrder) {
    struct Case {
        const char* what;
        Flags flags;
        std::vector<std::string> boxes;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"box unchecked", {{"TempFiles", "Yes"}}, {info(kViriRererNotChecked)}, {}},
        {"box not exactly Yes",
         {{"AutoFunction", "yes"}, {"TempFiles", "Yes"}},
         {info(kViriRererNotChecked)},
         {}},
        {"nothing selected", {{"AutoFunction", "Yes"}, {"TempFiles", "0"}}, {info(kNothingSelected)}, {}},
        {"only Temp", {{"AutoFunction", "Yes"}, {"TempFiles", "Yes"}, {"CookieFiles", "YES"}}, {}, {"Temp"}},
        {"everything",
         {{"AutoFunction", "Yes"},
          {"UserFolder", "Yes"},
          {"TempFiles", "Yes"},
          {"CookieFiles", "Yes"},
          {"InternetFiles", "Yes"}},
         {info("Cookies refused")},
         {"Internet", "Cookies", "Temp", "UserFolders tray"}},
    };
    for (const Case& c : cases) {
        freshCase(c.what, c.flags);
        operations.calls.clear();
        operations.filesBefore = 37;
        operations.refusedCall = "Cookies"; // a refused folder is told after the run
        TrayWindow form(operations, actions, shutdown);

        form.trayMenu()->viriRererAction->trigger();

        EXPECT_EQ(shownBoxes(), c.boxes) << c.what;
        EXPECT_EQ(operations.calls, c.calls) << c.what;
        EXPECT_FALSE(form.isUnloaded()) << c.what;
        CountWindow* count = CountWindow::loaded();
        ASSERT_EQ(count != nullptr, !c.calls.empty()) << c.what;
        if (count != nullptr) {
            EXPECT_TRUE(count->isVisible()) << c.what;
            EXPECT_EQ(
                count->countLabel->text().toStdString(),
                std::to_string(37 * (c.calls.size() - std::count(c.calls.begin(), c.calls.end(), "Cookies"))))
                << c.what;
            count->closeTimerElapsed();
            processEvents();
        }
    }
}

TEST_F(TrayWindowTest, CleanAndShutdownChecksCleansCountsAndShutsDownInOrder) {
    freshCase("run", {{"Shutdown", "Yes"}, {"TempFiles", "Yes"}, {"InternetFiles", "Yes"}});
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    TrayWindow form(operations, actions, shutdown);
    form.load();
    std::vector<std::string> seen;
    int elapsed = 0; // since the count showed: its timer fires in a pause that reaches 1200 ms
    actions.duringPause = [&seen, &elapsed](std::uint32_t ms) {
        elapsed += static_cast<int>(ms);
        if (CountWindow* count = CountWindow::loaded();
            count && count->closeTimer->isActive() && elapsed >= count->closeTimer->interval()) {
            count->closeTimerElapsed();
            processEvents();
        }
        const CountWindow* count = CountWindow::loaded();
        const ShutdownNotice* notice = ShutdownNotice::loaded();
        seen.push_back(
            std::to_string(ms) +
            (count && count->isVisible() ? " count " + count->countLabel->text().toStdString() : "") +
            (notice && notice->isVisible() ? " notice " + notice->actionLabel->text().toStdString() : ""));
    };

    form.trayMenu()->cleanAndShutdownAction->trigger();

    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
    EXPECT_EQ(operations.calls, (std::vector<std::string>{"Internet", "Temp"}));
    EXPECT_EQ(actions.events, (std::vector<std::string>{"work", "pause 1000", "pause 1000", "pause 200"}));
    // The count shows through the pauses until the program ends, the notice from the
    // second pause on.
    EXPECT_EQ(seen, (std::vector<std::string>{"1000 count 8", "1000 count 8 notice Shutdown",
                                              "200 count 8 notice Shutdown"}));
    EXPECT_EQ(shutdown.exitModes, std::vector<std::int32_t>{8});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_EQ(programEnds, 1);
}

TEST_F(TrayWindowTest, CleanAndShutdownRefusalsAndShutdownErrorsAreToldAndTheProgramStays) {
    const std::string privilege =
        "Can't enable shutdown: You do not have the privileges to shutdown this system. "
        "[A required privilege is not held by the client.]\n\nError &H8004062E "
        "(tidorax.mShutDown)";
    const std::string failed =
        "ShutdownSystem failed: Access is denied.\n\nError &H8004062B (tidorax.mShutDown)";
    struct Case {
        const char* what;
        Flags flags;
        const char* failAt; // the shutdown call that fails
        DWORD failCode;
        std::string box;
        std::vector<std::string> calls;
    };
    const Flags ready = {{"Shutdown", "Yes"}, {"TempFiles", "Yes"}};
    const Case cases[] = {
        {"box unchecked",
         {{"TempFiles", "Yes"}, {"AutoFunction", "Yes"}},
         "",
         0,
         info(kShutdownNotChecked),
         {}},
        {"box unchecked, nothing selected", {}, "", 0, info(kShutdownNotChecked), {}},
        {"nothing selected", {{"Shutdown", "Yes"}}, "", 0, info(kNothingSelected), {}},
        {"privilege refused", ready, "AdjustTokenPrivileges", 1314, privilege + "|16|" + kTitle, {"Temp"}},
        {"shutdown call failed", ready, "ExitWindowsEx", 5, failed + "|16|" + kTitle, {"Temp"}},
    };
    for (const Case& c : cases) {
        freshCase(c.what, c.flags);
        operations.calls.clear();
        shutdown.failAt = c.failAt;
        shutdown.failCode = c.failCode;
        shutdown.exitModes.clear();
        TrayWindow form(operations, actions, shutdown);
        form.trayMenu()->cleanAndShutdownAction->trigger();
        EXPECT_EQ(shownBoxes(), std::vector<std::string>{c.box}) << c.what;
        EXPECT_EQ(operations.calls, c.calls) << c.what;
        EXPECT_EQ(shutdown.exitModes.size(), c.failAt == std::string_view("ExitWindowsEx") ? 1u : 0u)
            << c.what;
        EXPECT_EQ(ShutdownNotice::loaded(), nullptr) << c.what;
        EXPECT_EQ(CountWindow::loaded(), nullptr) << c.what << ": the count goes with the notice";
        EXPECT_FALSE(form.isUnloaded()) << c.what;
        EXPECT_EQ(programEnds, 0) << c.what;
        processEvents();
    }
}

TEST_F(TrayWindowTest, RemoveAllPathsRemovesEverySettingTheLogOnEntryAndEnds) {
    for (const bool otherProgramOfTheMaker : {false, true}) {
        const std::string what =
            otherProgramOfTheMaker ? "another program of the maker" : "only this program";
        freshCase(what, {{"TempFiles", "Yes"}});
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
        EXPECT_NE(RegistryAccess::GetRegValue("HKLM", kRunKey, "Tidora", "S", std::string(), value), 0)
            << what;
        EXPECT_FALSE(exists(fakePlatform().autostartFolder + "/Tidora.desktop")) << what;
        EXPECT_EQ(RegistryAccess::GetRegValue("HKLM", kRunKey, "Other", "S", std::string(), value), 0)
            << what;
        for (const char* section : {"CleanPath", "SavedCookies", "SpecialCookies", "UserFolder"}) {
            EXPECT_EQ(Settings.GetAllSettings(section), std::nullopt) << section;
        }
        // The program's key goes; the maker's key only when nothing else is left in it.
        RegistryHive& hive = fakePlatform().registry();
        EXPECT_FALSE(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora")) << what;
        EXPECT_EQ(keyExists(hive, HKEY_CURRENT_USER, "Software\\Quillon Software"), otherProgramOfTheMaker)
            << what;
        EXPECT_TRUE(form.isUnloaded()) << what;
        EXPECT_EQ(programEnds, 1) << what;
        EXPECT_TRUE(actions.events.empty()) << what;
    }
}

TEST_F(TrayWindowTest, ExitThroughTheMenuTakesTheIconDownWaitsAndClosesEveryWindow) {
    TrayWindow form(operations, actions, shutdown);
    form.load();
    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, 0, 0);
    ASSERT_NE(CountWindow::loaded(), nullptr);

    form.trayMenu()->exitAction->trigger();

    EXPECT_EQ(actions.events, std::vector<std::string>{"pause 100"});
    EXPECT_FALSE(form.trayIcon()->isUp());
    EXPECT_EQ(CountWindow::loaded(), nullptr);
    EXPECT_TRUE(form.isUnloaded());
    EXPECT_EQ(programEnds, 1);
    // Unloading twice ends once.
    form.close();
    EXPECT_EQ(programEnds, 1);
}

TEST_F(TrayWindowTest, HelpConfigurationAboutAndTheSeparators) {
    int options = 0;
    int about = 0;
    WindowOpeners::showOptionsWindow = [&options] { ++options; };
    WindowOpeners::loadAboutWindow = [&about] {
        ++about;
        throw std::runtime_error("the About window failed to load");
    };
    TrayWindow form(operations, actions, shutdown);
    QStringList captions;
    for (const QAction* item : form.trayMenu()->actions()) {
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    EXPECT_EQ(captions.join(QStringLiteral("|")).toStdString(),
              "About---Version 3.0|-|Remove All Paths|-|Exit|-|Help|-|Clean And "
              "Shutdown|-|Configuration|-|ViriRerer");

    TrayMenu* menu = form.trayMenu();
    menu->helpAction->trigger(); // no help document: nothing shows
    EXPECT_EQ(HelpWindow::loaded(), nullptr);
    writeFile(tmp / "program/Tidora.html", "<h2>Main Program Operation</h2>");
    fakePlatform().programFolderPath = tmp / "program";
    menu->helpAction->trigger(); // the help window shows it, and the command returns
    ASSERT_NE(HelpWindow::loaded(), nullptr);
    EXPECT_TRUE(HelpWindow::loaded()->isVisible());
    EXPECT_EQ(HelpWindow::loaded()->document().toLocalFile().toStdString(), tmp / "program/Tidora.html");
    EXPECT_TRUE(actions.events.empty());
    menu->configurationAction->trigger();
    EXPECT_EQ(options, 1);
    menu->aboutAction->trigger(); // its failure is skipped
    EXPECT_EQ(about, 1);
    EXPECT_TRUE(fakePlatform().shownBoxes.empty());
    EXPECT_FALSE(form.isUnloaded());

    form.ShellandWait("/opt/tidorax/Tidora.html");
    EXPECT_EQ(actions.events.back(), "open and wait /opt/tidorax/Tidora.html");
}

} // namespace
} // namespace tidorax::test

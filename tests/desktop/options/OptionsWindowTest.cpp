#include "core/settings/SettingsStore.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/HelpWindow.h"
#include "platform/Platform.h"
#include "tests/desktop/options/OptionsTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>

namespace tidorax::test {
namespace {

using OptionsWindowTest = OptionsTest;

const char* const kKeys[] = {"InternetFiles", "TempFiles",  "AutoFunction",
                             "CookieFiles",   "UserFolder", "Shutdown"};

TEST_F(OptionsWindowTest, OpensOnTheOptionsTabWithItsCaptionsAndTheStoredFlags) {
    Settings.SaveSetting("CleanPath", "InternetFiles", "Yes");
    Settings.SaveSetting("CleanPath", "TempFiles", "yes"); // not the exact word
    OptionsWindow* options = window();
    EXPECT_TRUE(options->isVisible());
    EXPECT_EQ(options->windowTitle(), "Quillon Tidora Program");
    QStringList tabs;
    for (int i = 0; i < options->tabs->count(); ++i) {
        tabs << options->tabs->tabText(i);
    }
    EXPECT_EQ(tabs.join('|'), "Options|Internet|Temp|Cookies|Your Folder");
    EXPECT_EQ(options->tabs->currentIndex(), OptionsWindow::OptionsPage);
    QStringList captions;
    for (QCheckBox* box : options->optionsTab->boxes) {
        captions << box->text();
    }
    EXPECT_EQ(captions.join('|'),
              "Clean Internet Files|Clean Temp Folder|Enable ViriRerer|Clean Cookie Folder|Clean "
              "Your Folder|ViriRerer  && Shutdown");
    const std::vector<bool> checked = {true, false, false, false, false, false};
    for (int box = 0; box < OptionsTab::BoxCount; ++box) {
        EXPECT_EQ(options->optionsTab->boxes[box]->isChecked(), checked[box]) << kKeys[box];
    }
    // The lower-case word stays as it was: a box the load did not change writes nothing.
    EXPECT_EQ(Settings.GetSetting("CleanPath", "TempFiles", "0"), "yes");
    EXPECT_EQ(options->optionsTab->internetPathLabel->text().toStdString(),
              fake().env["XDG_CACHE_HOME"] + "/");
    EXPECT_EQ(options->optionsTab->cookiesPathLabel->text(), "");
}

TEST_F(OptionsWindowTest, EachBoxStoresYesAndRemovesItsKeyWhenCleared) {
    OptionsTab* tab = window()->optionsTab;
    for (int box = 0; box < OptionsTab::BoxCount; ++box) {
        tab->boxes[box]->click();
        EXPECT_EQ(Settings.GetSetting("CleanPath", kKeys[box], "0"), "Yes") << kKeys[box];
        tab->boxes[box]->click();
        EXPECT_EQ(Settings.GetSetting("CleanPath", kKeys[box], "missing"), "missing") << kKeys[box];
    }
    // No box changes another, and nothing was said.
    for (QCheckBox* box : tab->boxes) {
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_TRUE(fake().shownBoxes.empty());
}

TEST_F(OptionsWindowTest, AWriteTheStoreRefusesShowsWhatItHoldsAndIsToldOnce) {
    OptionsTab* tab = window()->optionsTab;
    writeFile(fake().hivePath, std::string(4096, '\x5a'));
    fake().reopenHive();
    tab->boxes[OptionsTab::TempBox]->click();
    tab->boxes[OptionsTab::CookieBox]->click();
    EXPECT_FALSE(tab->boxes[OptionsTab::TempBox]->isChecked());
    EXPECT_FALSE(tab->boxes[OptionsTab::CookieBox]->isChecked());
    ASSERT_EQ(fake().shownBoxes.size(), 1u);
    EXPECT_EQ(fake().shownBoxes[0].prompt,
              "Your Choice Could Not Be Saved!\r\n\r\nThe Boxes Show What Is Stored.");
    EXPECT_EQ(fake().shownBoxes[0].buttons, MB_OK_CRITICAL);
    EXPECT_EQ(fake().shownBoxes[0].title, "Quillon Info.....");
}

TEST_F(OptionsWindowTest, CleanButtonsRefuseAskAndCleanFromTheirTab) {
    struct Case {
        int tab;
        const char* key;
        const char* refusal;
        const char* question;
        int flags;
        const char* call;
    };
    const Case cases[] = {
        {OptionsWindow::InternetPage, "InternetFiles", "You Must Check Clean Internet Files On Options Form!",
         "You Are About To Clean Your Internet Files", MB_YESNO_QUESTION, "Internet"},
        {OptionsWindow::TempPage, "TempFiles", "You Must Check Clean Temp Folder On Options Form!",
         "You Are About To Clean Your Temp Files", MB_YESNO_QUESTION, "Temp"},
        {OptionsWindow::CookiesPage, "CookieFiles", "You Must Check Clean Cookie Folder On Options Form!",
         "You Are About To Clean Your Cookie Files", MB_YESNO_QUESTION, "Cookies"},
        {OptionsWindow::YourFolderPage, "UserFolder", "You Must Check Clean User Folder On Options Form!",
         "You Are About To Clean Your User Folders", MB_YESNO_CRITICAL, "UserFolders options"},
    };
    for (const Case& c : cases) {
        OptionsWindow* options = window();
        QPushButton* clean = nullptr;
        for (QPushButton* button : options->tabs->widget(c.tab)->findChildren<QPushButton*>()) {
            if (button->text().startsWith("Clean")) {
                clean = button;
            }
        }
        ASSERT_NE(clean, nullptr) << c.call;
        operations.filesBefore = 5;
        operations.filesAfter = 1;

        // The box is clear: only the refusal.
        fake().shownBoxes.clear();
        clean->click();
        EXPECT_EQ(prompts(), std::vector<std::string>{c.refusal});
        EXPECT_EQ(flags(), std::vector<int>{MB_OK_INFORMATION});
        // Checked, answered No: the question, and nothing cleaned.
        Settings.SaveSetting("CleanPath", c.key, "Yes");
        options->SetCheckBoxes();
        fake().shownBoxes.clear();
        fake().scriptedAnswers = {IDNO};
        clean->click();
        EXPECT_EQ(prompts(), std::vector<std::string>{std::string(c.question) +
                                                      "\r\n\r\n          Do You Want To Continue?"});
        EXPECT_EQ(flags(), std::vector<int>{c.flags});
        EXPECT_TRUE(operations.calls.empty());
        EXPECT_EQ(CountWindow::loaded(), nullptr);
        // Yes: cleaned off the user-interface thread, then counted with the window hidden.
        fake().scriptedAnswers = {IDYES};
        clean->click();
        EXPECT_EQ(operations.calls, std::vector<std::string>{c.call});
        EXPECT_EQ(actions.events, std::vector<std::string>{"work"});
        ASSERT_NE(CountWindow::loaded(), nullptr);
        EXPECT_EQ(CountWindow::loaded()->countLabel->text(), "4");
        EXPECT_FALSE(options->isVisible());
        CountWindow::loaded()->closeTimerElapsed();
        EXPECT_TRUE(options->isVisible());
        options->unload();
        processEvents();
        Settings.DeleteSetting("CleanPath", c.key);
        operations.calls.clear();
        actions.events.clear();
    }
}

TEST_F(OptionsWindowTest, ViriRererNowAsksWithBlankLinesAndCleansInItsOrder) {
    const std::string blanks(20, ' ');
    struct Case {
        std::vector<const char*> keys;
        std::string question; // empty: refused
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {{"AutoFunction", "Shutdown"}, "", {}},
        {{"CookieFiles"},
         "You Are About To Clean The Following Folders \r\n\r\n" + blanks + "\r\n\r\n" + blanks + "\r\n\r\n" +
             blanks + "Cookie\r\n\r\n" + blanks + "\r\n\r\n          Do You Want To Continue?",
         {"Cookies"}},
        {{"InternetFiles", "TempFiles", "CookieFiles", "UserFolder"},
         "You Are About To Clean The Following Folders \r\n\r\n" + blanks + "Internet\r\n\r\n" + blanks +
             "Temp\r\n\r\n" + blanks + "Cookie\r\n\r\n" + blanks +
             "Your Folders\r\n\r\n          Do You Want To "
             "Continue?",
         {"Internet", "Temp", "Cookies", "UserFolders options"}},
    };
    for (const Case& c : cases) {
        for (const char* key : c.keys) {
            Settings.SaveSetting("CleanPath", key, "Yes");
        }
        OptionsWindow* options = window();
        fake().shownBoxes.clear();
        fake().scriptedAnswers = {IDYES};
        options->optionsTab->viriRererNowButton->click();
        if (c.question.empty()) {
            EXPECT_EQ(prompts(), std::vector<std::string>{"You Have Not Selected Any Files To Be Cleaned!"});
            EXPECT_EQ(CountWindow::loaded(), nullptr);
        } else {
            EXPECT_EQ(prompts(), std::vector<std::string>{c.question});
            EXPECT_EQ(flags(), std::vector<int>{MB_YESNO_QUESTION});
            ASSERT_NE(CountWindow::loaded(), nullptr);
            CountWindow::loaded()->closeTimerElapsed();
        }
        EXPECT_EQ(operations.calls, c.calls);
        options->unload();
        processEvents();
        Settings.DeleteSetting("CleanPath", "");
        operations.calls.clear();
    }
}

TEST_F(OptionsWindowTest, CloseHidesAtOnceAndUnloadsOnTheTimerThenOpensAfresh) {
    OptionsWindow* options = window();
    options->tabs->setCurrentIndex(OptionsWindow::TempPage);
    ASSERT_TRUE(waitFor([&] { return !options->tempTab->listing(); }));
    options->tempTab->closeButton->click();
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(options->closeTimer->isActive());
    EXPECT_EQ(options->closeTimer->interval(), 100);
    EXPECT_EQ(OptionsWindow::loaded(), options);
    options->closeTimerElapsed();
    EXPECT_EQ(OptionsWindow::loaded(), nullptr);
    processEvents();
    OptionsWindow::showWindow();
    EXPECT_EQ(window()->tabs->currentIndex(), OptionsWindow::OptionsPage);
    EXPECT_EQ(window()->tempTab->filesModel->rowCount(), 0);
}

TEST_F(OptionsWindowTest, HintLinesFollowThePointerAndGoBackOverTheirArea) {
    OptionsTab* tab = window()->optionsTab;
    struct Case {
        QWidget* control;
        QLabel* line;
        const char* text;
    };
    const Case cases[] = {
        {tab->boxes[0], tab->choicesHint, "Check To Enable Cleaning Internet Files"},
        {tab->boxes[1], tab->choicesHint, "Check To Enable Cleaning Temp Files"},
        {tab->boxes[2], tab->choicesHint, "Check To Enable ViriRerer Function"},
        {tab->boxes[3], tab->choicesHint, "Check To Enable Cleaning Cookie Files"},
        {tab->boxes[4], tab->choicesHint, "Check To Enable Cleaning Your Folders"},
        {tab->boxes[5], tab->choicesHint, "Check To Enable Clean And ShutDown \"OS\""},
        {tab->internetPathLabel, tab->locationsHint, "Path To Your \"Temporary Internet Files\""},
        {tab->tempPathLabel, tab->locationsHint, "Path To Your \"Temp\" File Location"},
        {tab->cookiesPathLabel, tab->locationsHint, "Path To Your \"Cookie\" File Location"},
    };
    for (const Case& c : cases) {
        moveOver(c.control);
        EXPECT_EQ(c.line->text().toStdString(), c.text);
    }
    // The hint stays until a move in its area: over the area's ground, or the line.
    moveOver(tab->choicesFrame, {1, 1});
    EXPECT_EQ(tab->choicesHint->text(), "Select An Option Below For ViriRerer Function");
    moveOver(tab->boxes[0]);
    moveOver(tab->choicesHint);
    EXPECT_EQ(tab->choicesHint->text(), "Select An Option Below For ViriRerer Function");
    moveOver(tab->locationsFrame, {1, 1});
    EXPECT_EQ(tab->locationsHint->text(), "Locations of Folders To Be Cleaned");
}

TEST_F(OptionsWindowTest, EveryControlHasAnAccessibleNameAndHelpShowsTheHelp) {
    OptionsWindow* options = window();
    int named = 0;
    for (QWidget* widget : options->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             qobject_cast<QLabel*>(widget);
        if (!control || qobject_cast<QAbstractItemView*>(widget->parentWidget())) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty()) << widget->metaObject()->className();
        ++named;
    }
    EXPECT_GT(named, 40);

    writeFile(tmp / "program/Tidora.html", "<h2>Options Window</h2>");
    fake().programFolderPath = tmp / "program";
    for (QPushButton* button : options->findChildren<QPushButton*>()) {
        if (button->text() == "Help") {
            if (HelpWindow* help = HelpWindow::loaded()) {
                help->close();
                processEvents();
            }
            button->click();
            EXPECT_NE(HelpWindow::loaded(), nullptr);
        }
    }
}

} // namespace
} // namespace tidorax::test

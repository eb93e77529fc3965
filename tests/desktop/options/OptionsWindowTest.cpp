#include "core/options/OptionsRules.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/windows/HelpWindow.h"
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
    QStringList boxes; // each caption, "+" when checked
    for (QCheckBox* box : options->optionsTab->boxes) {
        boxes << box->text() + (box->isChecked() ? "+" : "");
    }
    EXPECT_EQ(boxes.join('|'), "Clean Internet Files+|Clean Temp Folder|Enable ViriRerer|Clean Cookie "
                               "Folder|Clean Your Folder|ViriRerer  && Shutdown");
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
    EXPECT_TRUE(boxes().empty());
}

TEST_F(OptionsWindowTest, AWriteTheStoreRefusesShowsWhatItHoldsAndIsToldOnce) {
    OptionsTab* tab = window()->optionsTab;
    writeFile(fake().hivePath, std::string(4096, '\x5a'));
    fake().reopenHive();
    tab->boxes[OptionsTab::TempBox]->click();
    tab->boxes[OptionsTab::CookieBox]->click();
    EXPECT_FALSE(tab->boxes[OptionsTab::TempBox]->isChecked());
    EXPECT_FALSE(tab->boxes[OptionsTab::CookieBox]->isChecked());
    EXPECT_EQ(boxes(),
              std::vector{box("Your Choice Could Not Be Saved!\r\n\r\nThe Boxes Show What Is Stored.",
                              MB_OK_CRITICAL)});
}

TEST_F(OptionsWindowTest, CleanButtonsRefuseAskAndCleanFromTheirTab) {
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    const int question = MB_YESNO_QUESTION;
    const int critical = MB_YESNO_CRITICAL;
    // What the refusal and the question name, the question's buttons, and the cleaning call.
    const struct {
        int tab;
        const char *key, *refusal, *question;
        int flags;
        const char* call;
    } cases[] = {
        {OptionsWindow::InternetPage, "InternetFiles", "Internet Files", "Internet Files", question,
         "Internet"},
        {OptionsWindow::TempPage, "TempFiles", "Temp Folder", "Temp Files", question, "Temp"},
        {OptionsWindow::CookiesPage, "CookieFiles", "Cookie Folder", "Cookie Files", question, "Cookies"},
        {OptionsWindow::YourFolderPage, "UserFolder", "User Folder", "User Folders", critical,
         "UserFolders options"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        OptionsWindow* options = window();
        QPushButton* clean = nullptr;
        for (QPushButton* button : options->tabs->widget(c.tab)->findChildren<QPushButton*>()) {
            clean = button->text().startsWith("Clean") ? button : clean;
        }
        ASSERT_NE(clean, nullptr);
        // The box is clear: only the refusal. Checked, answered No: the question, and nothing cleaned.
        fake().shownBoxes.clear();
        clean->click();
        Settings.SaveSetting("CleanPath", c.key, "Yes");
        options->SetCheckBoxes();
        fake().scriptedAnswers = {IDNO};
        clean->click();
        EXPECT_EQ(boxes(),
                  (std::vector{box(std::string("You Must Check Clean ") + c.refusal + " On Options Form!",
                                   MB_OK_INFORMATION),
                               box(std::string("You Are About To Clean Your ") + c.question +
                                       "\r\n\r\n          Do You Want To Continue?",
                                   c.flags)}));
        EXPECT_TRUE(operations.calls.empty());
        // Yes: cleaned off the user-interface thread, then counted with the window hidden.
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

TEST_F(OptionsWindowTest, ViriRererNowAsksForTheCheckedFoldersAndCleansInItsOrder) {
    // Two selections that between them tell every folder's place in the question apart.
    const struct {
        std::vector<const char*> keys;
        std::string question; // empty: refused
        std::vector<std::string> calls;
    } cases[] = {
        {{"AutoFunction", "Shutdown"}, "", {}},
        {{"InternetFiles", "CookieFiles"},
         ViriRererQuestion(true, false, true, false),
         {"Internet", "Cookies"}},
        {{"UserFolder", "TempFiles"},
         ViriRererQuestion(false, true, false, true),
         {"Temp", "UserFolders options"}},
    };
    for (const auto& c : cases) {
        for (const char* key : c.keys) {
            Settings.SaveSetting("CleanPath", key, "Yes");
        }
        OptionsWindow* options = window();
        fake().shownBoxes.clear();
        options->optionsTab->viriRererNowButton->click();
        EXPECT_EQ(boxes(),
                  std::vector{c.question.empty()
                                  ? box("You Have Not Selected Any Files To Be Cleaned!", MB_OK_INFORMATION)
                                  : box(c.question, MB_YESNO_QUESTION)});
        EXPECT_EQ(operations.calls, c.calls);
        ASSERT_EQ(CountWindow::loaded() != nullptr, !c.calls.empty());
        if (CountWindow::loaded() != nullptr) {
            CountWindow::loaded()->closeTimerElapsed();
        }
        options->unload();
        processEvents();
        Settings.DeleteSetting("CleanPath", "");
        operations.calls.clear();
    }
}

TEST_F(OptionsWindowTest, CloseHidesAtOnceAndUnloadsOnTheTimerThenOpensAfresh) {
    FolderTab* temp = listed<FolderTab>(OptionsWindow::TempPage);
    temp->closeButton->click();
    OptionsWindow* options = window();
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
    const char* const boxHints[] = {"Cleaning Internet Files", "Cleaning Temp Files",
                                    "ViriRerer Function",      "Cleaning Cookie Files",
                                    "Cleaning Your Folders",   "Clean And ShutDown \"OS\""};
    for (int box = 0; box < OptionsTab::BoxCount; ++box) {
        moveOver(tab->boxes[box]);
        EXPECT_EQ(tab->choicesHint->text().toStdString(), std::string("Check To Enable ") + boxHints[box]);
    }
    for (const auto& [label, hint] : {std::pair{tab->internetPathLabel, "\"Temporary Internet Files\""},
                                      {tab->tempPathLabel, "\"Temp\" File Location"},
                                      {tab->cookiesPathLabel, "\"Cookie\" File Location"}}) {
        moveOver(label);
        EXPECT_EQ(tab->locationsHint->text().toStdString(), std::string("Path To Your ") + hint);
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

TEST_F(OptionsWindowTest, EveryControlHasAnAccessibleNameAndEveryHelpButtonShowsTheHelp) {
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

    installHelp();
    int helpButtons = 0;
    for (QPushButton* button : options->findChildren<QPushButton*>()) {
        if (button->text() == "Help") {
            if (HelpWindow* help = HelpWindow::loaded()) {
                help->close();
                processEvents();
            }
            button->click();
            EXPECT_NE(HelpWindow::loaded(), nullptr);
            ++helpButtons;
        }
    }
    EXPECT_EQ(helpButtons, 5);
}

} // namespace
} // namespace tidorax::test

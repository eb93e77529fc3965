#include "core/options/OptionsRules.h"
#include "core/settings/CleaningSettings.h"
#include "desktop/options/CookiesTab.h"
#include "desktop/options/FolderTab.h"
#include "desktop/options/OptionsTab.h"
#include "desktop/options/YourFolderTab.h"
#include "tests/desktop/options/OptionsTestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QElapsedTimer>

#include <functional>
#include <tuple>

namespace tidorax::test {
namespace {

using OptionsWindowTest = OptionsTest;

const char* const kKeys[] = {"InternetFiles", "TempFiles",  "AutoFunction",
                             "CookieFiles",   "UserFolder", "Shutdown"};

TEST_F(OptionsWindowTest, OpensWithItsCaptionsFlagsAndHintLinesFitsTheScreenAndEachControlSpeaks) {
    setCleanPath("InternetFiles TempFiles=yes"); // the second not the exact word
    const std::string temp = tmp / (std::string(120, 'x') + "/" + std::string(120, 'y') + "/end");
    makeDirs(temp);
    fake().env["Temp"] = temp;
    OptionsWindow* options = window();
    OptionsTab* tab = options->optionsTab;
    EXPECT_EQ(options->windowTitle(), "Quillon Tidora Program");
    QStringList tabs;
    for (int i = 0; i < options->tabs->count(); ++i) {
        tabs << options->tabs->tabText(i);
    }
    EXPECT_EQ(tabs.join('|'), "Options|Internet|Temp|Cookies|Your Folder");
    QStringList boxes; // each caption, "+" when checked
    for (QCheckBox* box : tab->boxes) {
        boxes << box->text() + (box->isChecked() ? "+" : "");
    }
    EXPECT_EQ(boxes.join('|'), "Clean Internet Files+|Clean Temp Folder|Enable ViriRerer|Clean Cookie "
                               "Folder|Clean Your Folder|ViriRerer  && Shutdown");
    // The lower-case word stays as it was: a box the load did not change writes nothing.
    EXPECT_EQ(Settings.GetSetting("CleanPath", "TempFiles", "0"), "yes");
    // Without a "Cache" value the web cache is the browsers' caches, not $XDG_CACHE_HOME.
    EXPECT_EQ(tab->internetPathLabel->path(), "The Caches Of Your Browsers");
    PathLabel* line = tab->tempPathLabel;
    EXPECT_EQ(line->toolTip().toStdString(), temp);
    EXPECT_EQ(line->accessibleDescription().toStdString(), temp);
    EXPECT_TRUE(line->text().contains(QChar(0x2026)) && line->text().endsWith("/end"));
    const QRect area = options->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(options->frameGeometry())) << options->width() << "x" << options->height();
    // No gaps between the boxes when the window is tall.
    options->resize(options->width(), area.height());
    processEvents();
    EXPECT_LT(tab->boxes[1]->y() - tab->boxes[0]->geometry().bottom(), 16);
    // Each control speaks what it shows.
    for (QWidget* widget : options->findChildren<QWidget*>()) {
        const QString name = QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(name, label->text());
        } else if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                   (qobject_cast<QAbstractItemView*>(widget) &&
                    !qobject_cast<QAbstractItemView*>(widget->parentWidget()))) {
            EXPECT_FALSE(name.isEmpty()) << widget->metaObject()->className();
        }
    }
    // The hint lines follow the pointer and go back over their area.
    const char* const boxHints[] = {"Cleaning Internet Files", "Cleaning Temp Files",
                                    "ViriRerer Function",      "Cleaning Cookie Files",
                                    "Cleaning Your Folders",   "Clean And ShutDown \"OS\""};
    for (int box = 0; box < ChoiceCount; ++box) {
        moveOver(tab->boxes[box]);
        EXPECT_EQ(tab->choicesHint->text().toStdString(), std::string("Check To Enable ") + boxHints[box]);
    }
    for (const auto& [label, hint] : {std::pair{tab->internetPathLabel, "\"Temporary Internet Files\""},
                                      {tab->tempPathLabel, "\"Temp\" File Location"},
                                      {tab->cookiesPathLabel, "\"Cookie\" File Location"}}) {
        moveOver(label);
        EXPECT_EQ(tab->locationsHint->text().toStdString(), std::string("Path To Your ") + hint);
    }
    // Back to the area's line once the pointer is over its ground.
    moveOver(tab->choicesFrame, true);
    EXPECT_EQ(tab->choicesHint->text(), "Select An Option Below For ViriRerer Function");
    moveOver(tab->locationsFrame, true);
    EXPECT_EQ(tab->locationsHint->text(), "Locations of Folders To Be Cleaned");
    // A count line changes its text, and what it speaks with it.
    auto* tempTab = listed<FolderTab>("tempPage");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tempTab->countLabel)->text(QAccessible::Name),
              "Temp Folder Contains 0 Files");
}

TEST_F(OptionsWindowTest, EachBoxStoresYesAndRemovesItsKeyHoweverItChanges) {
    OptionsTab* tab = window()->optionsTab;
    // A click, the Space key, and a screen reader's "Toggle" action.
    const std::function<void(QCheckBox*)> changes[] = {
        [](QCheckBox* box) { box->click(); },
        [](QCheckBox* box) { QTest::keyClick(box, Qt::Key_Space); },
        [](QCheckBox* box) {
            QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
                QAccessibleActionInterface::toggleAction());
        },
    };
    for (const auto& change : changes) {
        for (int box = 0; box < ChoiceCount; ++box) {
            change(tab->boxes[box]);
            EXPECT_EQ(Settings.GetSetting("CleanPath", kKeys[box], "0"), "Yes") << kKeys[box];
            change(tab->boxes[box]);
            EXPECT_EQ(Settings.GetSetting("CleanPath", kKeys[box], "missing"), "missing") << kKeys[box];
        }
    }
    EXPECT_TRUE(boxes().empty());
}

TEST_F(OptionsWindowTest, AWriteTheStoreRefusesShowsWhatItHoldsAndIsToldOnce) {
    OptionsTab* tab = window()->optionsTab;
    const std::vector refused{
        box("Your Choice Could Not Be Saved!\r\n\r\nThe Boxes Show What Is Stored.", MB_OK_CRITICAL)};
    {
        // Another program holds the store: the window waits a moment, not seconds, and
        // neither a check nor a clear seems stored.
        Settings.SaveSetting("CleanPath", "CookieFiles", "Yes");
        window()->SetCheckBoxes();
        const StoreHold held(fake().hivePath);
        QElapsedTimer waited;
        waited.start();
        tab->boxes[TempChoice]->click();
        tab->boxes[CookieChoice]->click();
        EXPECT_LT(waited.elapsed(), 1500);
        EXPECT_TRUE(!tab->boxes[TempChoice]->isChecked() && tab->boxes[CookieChoice]->isChecked());
        EXPECT_EQ(boxes(), refused);
    }
    writeFile(fake().hivePath, std::string(4096, '\x5a'));
    fake().reopenHive();
    tab->boxes[TempChoice]->click();
    tab->boxes[CookieChoice]->click();
    EXPECT_FALSE(tab->boxes[TempChoice]->isChecked() || tab->boxes[CookieChoice]->isChecked());
    EXPECT_EQ(boxes(), refused);
}

TEST_F(OptionsWindowTest, CleanButtonsRefuseAskAndCleanFromTheirTab) {
    operations.filesBefore = 5;
    operations.filesAfter = 1;
    ASSERT_TRUE(StoreUserFolders({tmp / "listed"}));
    // Each button, its box's key, what the refusal and the question name, and the cleaning call.
    const std::tuple<QPushButton*, std::string, std::string, std::string, std::string> cases[] = {
        {page<FolderTab>("internetPage")->cleanButton, "InternetFiles", "Internet Files", "Internet Files",
         "Internet"},
        {page<FolderTab>("tempPage")->cleanButton, "TempFiles", "Temp Folder", "Temp Files", "Temp"},
        {page<CookiesTab>("cookiesPage")->cleanCookiesButton, "CookieFiles", "Cookie Folder", "Cookie Files",
         "Cookies"},
        {page<YourFolderTab>("yourFolderPage")->cleanFoldersButton, "UserFolder", "User Folder",
         "User Folders", "UserFolders"},
    };
    for (const auto& [clean, key, refusal, question, call] : cases) {
        // The box is clear: only the refusal. Checked, answered No: the question, and nothing cleaned.
        fake().shownBoxes.clear();
        clean->click();
        Settings.SaveSetting("CleanPath", key, "Yes");
        window()->SetCheckBoxes();
        fake().scriptedAnswers = {IDNO};
        clean->click();
        EXPECT_EQ(boxes(), (std::vector{box("You Must Check Clean " + refusal + " On Options Form!",
                                            MB_OK_INFORMATION),
                                        box("You Are About To Clean Your " + question +
                                                "\r\n\r\n          Do You Want To Continue?",
                                            key == "UserFolder" ? MB_YESNO_CRITICAL : MB_YESNO_QUESTION)}));
        EXPECT_TRUE(operations.calls.empty());
        // Yes: cleaned off the user-interface thread, then counted.
        clean->click();
        EXPECT_EQ(operations.calls, std::vector{call});
        EXPECT_EQ(actions.events, std::vector<std::string>{"work"});
        ASSERT_NE(countShown(), nullptr);
        EXPECT_EQ(countShown()->countLabel->text(), "4");
        countShown()->closeTimerElapsed();
        operations.calls.clear();
        actions.events.clear();
    }
}

TEST_F(OptionsWindowTest, ViriRererNowAsksForTheCheckedFoldersAndCleansInItsOrder) {
    // The boxes checked, the question (none: refused) and the cleaning calls. Two selections
    // between them tell every folder's place in the question apart.
    const std::tuple<std::string, std::string, std::vector<std::string>> cases[] = {
        {"AutoFunction Shutdown", "", {}},
        {"InternetFiles CookieFiles", ViriRererQuestion(true, false, true, false), {"Internet", "Cookies"}},
        {"UserFolder TempFiles", ViriRererQuestion(false, true, false, true), {"Temp", "UserFolders"}},
    };
    for (const auto& [flags, question, calls] : cases) {
        setCleanPath(flags);
        window()->SetCheckBoxes();
        fake().shownBoxes.clear();
        window()->optionsTab->viriRererNowButton->click();
        auto expected = std::vector{
            question.empty() ? box("You Have Not Selected Any Files To Be Cleaned!", MB_OK_INFORMATION)
                             : box(question, MB_YESNO_QUESTION)};
        if (calls.size() > 1 && calls.back() == "UserFolders") {
            // No folder is listed: the clean goes on, and says so.
            expected.push_back(box("You Do Not Have Any Folders Selected!", MB_OK_INFORMATION));
        }
        EXPECT_EQ(boxes(), expected);
        EXPECT_EQ(operations.calls, calls);
        operations.calls.clear();
    }
}

TEST_F(OptionsWindowTest, ReturnPressesTheFocusedButtonEscapeHidesAndTheTimerUnloadsForAFreshStart) {
    installHelp();
    OptionsWindow* options = window();
    listed<FolderTab>("tempPage");
    QTest::keyClick(options->optionsTab->helpButton, Qt::Key_Return);
    ASSERT_NE(shown("HelpWindow"), nullptr);
    ASSERT_TRUE(activated(shown("HelpWindow")));
    QTest::keyClick(shown("HelpWindow"), Qt::Key_Escape);
    EXPECT_EQ(loaded("HelpWindow"), nullptr);
    ASSERT_TRUE(activated(options));
    QTest::keyClick(options->optionsTab->boxes[0], Qt::Key_Escape);
    EXPECT_FALSE(options->isVisible());
    EXPECT_TRUE(options->closeTimer->isActive());
    options->closeTimerElapsed();
    EXPECT_EQ(loaded("optionsWindow"), nullptr);
    controller->showOptionsWindow();
    EXPECT_EQ(window()->tabs->currentWidget(), page<OptionsTab>("optionsPage"));
    EXPECT_EQ(page<FolderTab>("tempPage")->filesModel->rowCount(), 0);
    page<FolderTab>("tempPage")->closeButton->click();
    EXPECT_FALSE(window()->isVisible());
}

} // namespace
} // namespace tidorax::test

#include "desktop/options/YourFolderTab.h"
#include "core/options/OptionsRules.h"
#include "core/settings/SettingsStore.h"
#include "platform/Platform.h"
#include "tests/desktop/options/OptionsTestSupport.h"

#include <unistd.h>

namespace tidorax::test {
namespace {

class YourFolderTabTest : public OptionsTest {
protected:
    YourFolderTab* enteredTab() {
        OptionsWindow* options = window();
        options->tabs->setCurrentIndex(OptionsWindow::YourFolderPage);
        return options->yourFolderTab;
    }
    static std::vector<std::string> stored() { return ReadSettingsList("UserFolder", "File"); }
    static bool browsing(YourFolderTab* tab) {
        return tab->folderTree->isVisible() && tab->folderFilesList->isVisible() &&
               tab->placesBox->isVisible() && !tab->savedFoldersList->isVisible() &&
               !tab->listWarningLabel->isVisible() &&
               tab->instructionLabel->text() == "Select Folder And Click Save" &&
               tab->saveFolderButton->text() == "Save Folder";
    }
    static bool listed(YourFolderTab* tab) {
        return !tab->folderTree->isVisible() && tab->savedFoldersList->isVisible() &&
               tab->listWarningLabel->isVisible() &&
               tab->instructionLabel->text() == "Double Click On File To Remove From List" &&
               tab->saveFolderButton->text() == "Add Folder" && tab->showListButton->text() == "Close Form";
    }
};

const std::string kWarning = "Have You Read The Warning About These Folders In The Help File!";

TEST_F(YourFolderTabTest, TheFirstSaveWarnsThenConfirmsInUpperCaseAndStoresTheCaseGiven) {
    makeDirs(tmp / "Work/Old");
    YourFolderTab* tab = enteredTab();
    EXPECT_TRUE(browsing(tab));
    EXPECT_EQ(tab->showListButton->text(), "Close Form");
    tab->openFolder(QString::fromStdString(tmp / "Work/Old"));
    EXPECT_EQ(tab->folderPathLine->text().toStdString(), tmp / "Work/Old");
    fake().scriptedAnswers = {IDYES, IDYES};
    tab->saveFolderButton->click();
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             kWarning, "You Have Selected\r\n\r\n\r\n\"" + UpperCase(tmp / "Work/Old") +
                                           "\"\r\n\r\n\r\nIs This The Folder You Wanted?"}));
    EXPECT_EQ(flags(), (std::vector<int>{MB_YESNO_CRITICAL, MB_YESNO_QUESTION}));
    EXPECT_EQ(stored(), std::vector<std::string>{tmp / "Work/Old"});
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(browsing(tab));
    EXPECT_EQ(tab->showListButton->text(), "Show List");

    // Later saves: no warning; the same text is refused, another case is another folder.
    makeDirs(tmp / "work/old");
    struct Case {
        std::string folder;
        std::vector<int> answers;
        std::vector<std::string> boxes; // after the confirmation
        std::vector<std::string> list;
    };
    const Case cases[] = {
        {tmp / "Work/Old", {IDYES}, {"You Have Already Selected This Folder"}, {tmp / "Work/Old"}},
        {tmp / "work/old", {IDNO}, {}, {tmp / "Work/Old"}},
        {tmp / "work/old", {IDYES}, {}, {tmp / "Work/Old", tmp / "work/old"}},
    };
    for (const Case& c : cases) {
        fake().shownBoxes.clear();
        fake().scriptedAnswers = c.answers;
        tab->openFolder(QString::fromStdString(c.folder));
        tab->saveFolderButton->click();
        std::vector<std::string> after = prompts();
        ASSERT_FALSE(after.empty());
        EXPECT_TRUE(after.front().starts_with("You Have Selected")) << c.folder;
        after.erase(after.begin());
        EXPECT_EQ(after, c.boxes) << c.folder;
        EXPECT_EQ(stored(), c.list) << c.folder;
    }
}

TEST_F(YourFolderTabTest, NoToTheFirstWarningStoresNothingAndReloadsTheWindow) {
    YourFolderTab* tab = enteredTab();
    fake().scriptedAnswers = {IDNO};
    tab->saveFolderButton->click();
    EXPECT_EQ(prompts(), std::vector<std::string>{kWarning});
    EXPECT_TRUE(stored().empty());
    OptionsWindow* old = window();
    EXPECT_FALSE(old->isVisible());
    ASSERT_TRUE(old->reloadTimer->isActive());
    EXPECT_EQ(old->reloadTimer->interval(), 50);
    old->reloadTimerElapsed();
    EXPECT_EQ(actions.events, std::vector<std::string>{"pause 100"});
    OptionsWindow* fresh = OptionsWindow::loaded();
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, old);
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(fresh->tabs->currentIndex(), OptionsWindow::OptionsPage);
}

TEST_F(YourFolderTabTest, SystemFoldersAreRefusedWithTheirWarningAndNothingStored) {
    const std::string home = fake().env["HOME"];
    makeDirs(home + "/projects");
    makeDirs(tmp / "links");
    ASSERT_EQ(::symlink(home.c_str(), (tmp / "links/home").c_str()), 0);
    RewriteUserFolders({tmp / "first"});
    YourFolderTab* tab = enteredTab();
    tab->saveOrAddClicked(); // list mode: "Add Folder" browses
    const std::string refused = "You Have Selected A System Folder\r\n\r\nMake Another Selection!";
    for (const std::string& folder : {std::string("/"), home, home + "/projects/..", tmp / "links/home",
                                      tmp.path(), std::string("/usr"), std::string("/home")}) {
        fake().shownBoxes.clear();
        fake().scriptedAnswers = {IDYES};
        QString labelDuringBox;
        fake().messageBoxHandler = nullptr;
        tab->openFolder(QString::fromStdString(folder));
        tab->saveFolderButton->click();
        ASSERT_EQ(prompts().size(), 2u) << folder;
        EXPECT_EQ(prompts()[1], refused) << folder;
        EXPECT_EQ(flags()[1], MB_OK_CRITICAL);
        EXPECT_EQ(tab->instructionLabel->text(), "Select Folder And Click Save");
        EXPECT_EQ(stored(), std::vector<std::string>{tmp / "first"}) << folder;
    }
}

TEST_F(YourFolderTabTest, ModesShowTheListAndDoubleClicksRemoveAndRenumber) {
    RewriteUserFolders({tmp / "a", tmp / "b", tmp / "c"});
    YourFolderTab* tab = enteredTab();
    EXPECT_TRUE(listed(tab));
    EXPECT_EQ(tab->savedFoldersModel->rowCount(), 3);
    tab->saveFolderButton->click(); // "Add Folder"
    EXPECT_TRUE(browsing(tab));
    EXPECT_EQ(tab->showListButton->text(), "Show List");
    EXPECT_TRUE(fake().shownBoxes.empty());
    tab->showListButton->click();
    EXPECT_TRUE(listed(tab));

    tab->removeFolder(tab->savedFoldersModel->index(1));
    EXPECT_EQ(stored(), (std::vector<std::string>{tmp / "a", tmp / "c"}));
    EXPECT_EQ(Settings.GetSetting("UserFolder", "File2", "0"), "0");
    tab->removeFolder(QModelIndex());
    EXPECT_EQ(stored().size(), 2u);
    tab->removeFolder(tab->savedFoldersModel->index(0));
    tab->removeFolder(tab->savedFoldersModel->index(0));
    EXPECT_FALSE(Settings.GetAllSettings("UserFolder"));
    tab->ActivateList();
    EXPECT_TRUE(browsing(tab));
    // "Close Form" closes.
    tab->showListButton->setText("Close Form");
    tab->showListButton->click();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_TRUE(window()->closeTimer->isActive());
}

TEST_F(YourFolderTabTest, AFullListRefusesTheNewFolderWithAClearMessage) {
    std::vector<std::string> folders;
    for (int k = 0; k < 1001; ++k) {
        folders.push_back(tmp / ("f" + std::to_string(k)));
    }
    RewriteUserFolders(folders);
    makeDirs(tmp / "one-more");
    YourFolderTab* tab = enteredTab();
    tab->saveFolderButton->click(); // "Add Folder"
    tab->openFolder(QString::fromStdString(tmp / "one-more"));
    fake().scriptedAnswers = {IDYES};
    tab->saveFolderButton->click();
    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_EQ(prompts()[1],
              "Your List Already Holds 1001 Folders, As Many As It Can!\r\n\r\nRemove A Folder Before "
              "You Add Another.");
    EXPECT_EQ(stored(), folders);
}

} // namespace
} // namespace tidorax::test

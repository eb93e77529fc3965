#include "desktop/options/YourFolderTab.h"
#include "core/cleaning/MountTable.h"
#include "core/options/OptionsRules.h"
#include "desktop/options/Places.h"
#include "tests/desktop/options/OptionsTestSupport.h"

namespace tidorax::test {
namespace {

// What mode() reads in the browsing view and in the list view, before the second button's caption.
const std::string kBrowsing = "tree Select Folder And Click Save|Save Folder|";
const std::string kList = "list Double Click On File To Remove From List|Add Folder|";

class YourFolderTabTest : public OptionsTest {
protected:
    YourFolderTab* enteredTab() { return entered<YourFolderTab>("yourFolderPage"); }
    // Opens the folder in the browsing view and clicks "Save Folder", with the answers given.
    static void save(YourFolderTab* tab, const std::string& folder, std::vector<int> answers = {IDYES}) {
        fakePlatform().shownBoxes.clear();
        fakePlatform().scriptedAnswers = std::move(answers);
        tab->openFolder(QString::fromStdString(folder));
        tab->saveFolderButton->click();
    }
    static std::string confirmation(const std::string& folder) {
        return box("You Have Selected\r\n\r\n\r\n\"" + UpperCase(folder) +
                       "\"\r\n\r\n\r\nIs This The Folder You Wanted?",
                   MB_YESNO_QUESTION);
    }
    static std::vector<std::string> stored() { return ReadSettingsList("UserFolder", "File"); }
    // Whether the folder tree or the saved list shows, the instruction line, and the two buttons' captions.
    static std::string mode(YourFolderTab* tab) {
        return (QString(tab->folderTree->isVisible() ? "tree " : "list ") + tab->instructionLabel->text() +
                "|" + tab->saveFolderButton->text() + "|" + tab->showListButton->text())
            .toStdString();
    }
};

TEST_F(YourFolderTabTest, TheFirstSaveWarnsThenConfirmsInUpperCaseAndStoresTheCaseGiven) {
    const std::string old = tmp / "Work/Old";
    const std::string lower = tmp / "work/old";
    makeDirs(old);
    makeDirs(lower);
    const std::string warning =
        box("Have You Read The Warning About These Folders In The Help File!", MB_YESNO_CRITICAL);
    // No to the warning stores nothing and loads the window afresh.
    YourFolderTab* tab = enteredTab();
    EXPECT_EQ(mode(tab), kBrowsing + "Close Form");
    save(tab, old, {IDNO});
    EXPECT_EQ(boxes(), std::vector{warning});
    OptionsWindow* first = window();
    ASSERT_TRUE(first->reloadTimer->isActive());
    first->reloadTimerElapsed();
    ASSERT_NE(loaded("optionsWindow"), first);

    tab = enteredTab();
    save(tab, old, {IDYES, IDYES});
    EXPECT_EQ(boxes(), (std::vector{warning, confirmation(old)}));
    EXPECT_EQ(stored(), std::vector{old});
    EXPECT_EQ(mode(tab), kBrowsing + "Show List");

    // Later saves: no warning; the same text is refused, another case is another folder.
    const std::string again = box("You Have Already Selected This Folder", MB_OK_INFORMATION);
    const struct {
        std::string folder;
        int answer;
        std::vector<std::string> boxes;
        std::vector<std::string> list;
    } cases[] = {
        {old, IDYES, {confirmation(old), again}, {old}},
        {lower, IDNO, {confirmation(lower)}, {old}},
        {lower, IDYES, {confirmation(lower)}, {old, lower}},
    };
    for (const auto& c : cases) {
        save(tab, c.folder, {c.answer});
        EXPECT_EQ(boxes(), c.boxes) << c.folder;
        EXPECT_EQ(stored(), c.list) << c.folder;
    }
    // A full list takes no more.
    const std::vector<std::string> folders(1001, tmp / "f");
    RewriteUserFolders(folders);
    save(tab, lower);
    EXPECT_EQ(boxes(),
              (std::vector{confirmation(lower), box("Your List Already Holds 1001 Folders, As Many As It "
                                                    "Can!\r\n\r\nRemove A Folder Before You Add Another.",
                                                    MB_OK_INFORMATION)}));
    EXPECT_EQ(stored(), folders);
}

TEST_F(YourFolderTabTest, ASystemFolderIsRefusedWithItsWarningAndNothingStored) {
    const std::string home = fake().env["HOME"];
    RewriteUserFolders({tmp / "first"});
    YourFolderTab* tab = enteredTab();
    tab->saveOrAddClicked(); // list mode: "Add Folder" browses
    save(tab, home);
    EXPECT_EQ(boxes(), (std::vector{confirmation(home), box("You Have Selected A System Folder\r\n\r\nMake "
                                                            "Another Selection!",
                                                            MB_OK_CRITICAL)}));
    EXPECT_EQ(mode(tab), kBrowsing + "Show List");
    EXPECT_EQ(stored(), std::vector<std::string>{tmp / "first"});
}

TEST_F(YourFolderTabTest, ModesShowTheListAndDoubleClicksRemoveAndRenumber) {
    RewriteUserFolders({tmp / "a", tmp / "b", tmp / "c"});
    YourFolderTab* tab = enteredTab();
    EXPECT_EQ(mode(tab), kList + "Close Form");
    EXPECT_EQ(tab->view(), YourFolderTab::View::List);
    EXPECT_EQ(tab->secondButton(), YourFolderTab::SecondButton::CloseForm);
    tab->saveFolderButton->click(); // "Add Folder"
    EXPECT_EQ(mode(tab), kBrowsing + "Show List");
    EXPECT_EQ(tab->view(), YourFolderTab::View::Browsing);
    EXPECT_EQ(tab->secondButton(), YourFolderTab::SecondButton::ShowList);
    tab->showListButton->click();
    EXPECT_EQ(mode(tab), kList + "Close Form");

    tab->removeFolder(tab->savedFoldersModel->index(1));
    EXPECT_EQ(stored(), (std::vector<std::string>{tmp / "a", tmp / "c"}));
    tab->removeFolder(QModelIndex());
    EXPECT_EQ(stored().size(), 2u);
    tab->removeFolder(tab->savedFoldersModel->index(0));
    tab->removeFolder(tab->savedFoldersModel->index(0));
    EXPECT_FALSE(Settings.GetAllSettings("UserFolder"));
    tab->ActivateList();
    EXPECT_EQ(mode(tab), kBrowsing + "Close Form");
    tab->showListButton->click(); // "Close Form" closes
    EXPECT_FALSE(window()->isVisible());
    EXPECT_TRUE(window()->closeTimer->isActive());
}

TEST(PlacesTest, ComeFromTheMountTableTextAlone) {
    // None of these mount points exists here: a place that were looked at would be left out.
    const MountTable mounts = MountTable::Parse("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                                "2 1 0:4 / /proc rw - proc proc rw\n"
                                                "3 1 0:5 / /sys/fs/cgroup rw - cgroup2 cgroup rw\n"
                                                "4 1 0:6 / /run rw - tmpfs tmpfs rw\n"
                                                "5 4 0:7 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                                                "6 1 8:2 / /boot/efi rw - vfat /dev/sda2 rw\n"
                                                "7 1 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                                                "8 1 8:17 / /media/u/usb\\040key rw - vfat /dev/sdb1 rw\n"
                                                "9 1 0:50 / /mnt/lost rw shared:1 - fuse.sshfs host: rw\n"
                                                "10 1 0:51 / /home/u rw - nfs4 server:/u rw\n");
    EXPECT_EQ(PlacesOf(mounts, "/home/u").join('|'), "/|/home/u|/media/u/usb key|/mnt/lost");
}

} // namespace
} // namespace tidorax::test

#include "desktop/options/YourFolderTab.h"
#include "core/cleaning/MountTable.h"
#include "core/options/OptionsRules.h"
#include "desktop/options/Places.h"
#include "platform/AsciiCase.h"
#include "tests/desktop/options/OptionsTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <tuple>

#include <unistd.h>

namespace tidorax::test {
namespace {

// What mode() reads in the browsing view and in the list view, before the second button's caption.
const std::string kBrowsing = "tree Select Folder And Click Save|Save Folder|";
const std::string kList = "list Double Click On File To Remove From List|Add Folder|";

class YourFolderTabTest : public OptionsTest {
protected:
    YourFolderTab* enteredTab() { return page<YourFolderTab>("yourFolderPage", true); }
    // Opens the folder in the browsing view and clicks "Save Folder", with the answers given.
    static void save(YourFolderTab* tab, const std::string& folder, std::vector<int> answers = {IDYES}) {
        fakePlatform().shownBoxes.clear();
        fakePlatform().scriptedAnswers = std::move(answers);
        tab->openFolder(QString::fromStdString(folder));
        tab->saveFolderButton->click();
    }
    static std::string confirmation(const std::string& folder) {
        return box("You Have Selected\r\n\r\n\r\n\"" + upperAscii(folder) +
                       "\"\r\n\r\n\r\nIs This The Folder You Wanted?",
                   MB_YESNO_QUESTION);
    }
    static std::vector<std::string> stored() { return ReadSettingsList("UserFolder", "File"); }
    // Once the listings are over: the place, the open folder, its subfolders and its files.
    static std::string browsed(YourFolderTab* tab) {
        EXPECT_TRUE(waitFor([tab] { return !tab->folderModel->listing() && !tab->listingFiles(); }));
        const QModelIndex open = tab->folderTree->currentIndex();
        QStringList folders;
        for (int row = 0; row < tab->folderModel->rowCount(open); ++row) {
            folders << tab->folderModel->index(row, 0, open).data().toString();
        }
        return QStringList{tab->placesBox->currentText(), tab->folderModel->folderPath(open),
                           folders.join(','), tab->filesModel->stringList().join(',')}
            .join('|')
            .toStdString();
    }
    // Whether the folder tree or the saved list shows, the instruction line, and the two buttons' captions.
    static std::string mode(YourFolderTab* tab) {
        return (QString(tab->folderTree->isVisible() ? "tree " : "list ") + tab->instructionLabel->text() +
                "|" + tab->saveFolderButton->text() + "|" + tab->showListButton->text())
            .toStdString();
    }
};

TEST_F(YourFolderTabTest, SavingWarnsFirstConfirmsInUpperCaseAndStoresEachNewUserFolderAsGiven) {
    const std::string old = tmp / "Work/Old";
    const std::string lower = tmp / "work/old";
    makeDirs(old);
    makeDirs(lower);
    const std::string warning =
        box("Have You Read The Warning About These Folders In The Help File!", MB_YESNO_CRITICAL);
    // No to the warning stores nothing and loads the window afresh.
    YourFolderTab* tab = enteredTab();
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

    // Later saves: no warning; the same text is refused, another case is another folder,
    // and no system folder is taken (which ones are: the options rules test).
    const std::string again = box("You Have Already Selected This Folder", MB_OK_INFORMATION);
    const std::string system =
        box("You Have Selected A System Folder\r\n\r\nMake Another Selection!", MB_OK_CRITICAL);
    const std::string home = fake().env["HOME"];
    // The folder, the answer to the confirmation, the boxes shown and the list after.
    const std::tuple<std::string, int, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {old, IDYES, {confirmation(old), again}, {old}},
        {lower, IDNO, {confirmation(lower)}, {old}},
        {home, IDYES, {confirmation(home), system}, {old}},
        {lower, IDYES, {confirmation(lower)}, {old, lower}},
    };
    for (const auto& [folder, answer, shownBoxes, list] : cases) {
        save(tab, folder, {answer});
        EXPECT_EQ(boxes(), shownBoxes) << folder;
        EXPECT_EQ(stored(), list) << folder;
    }
    // A full list takes no more.
    const std::vector<std::string> folders(1001, tmp / "f");
    StoreUserFolders(folders);
    save(tab, lower);
    EXPECT_EQ(boxes(),
              (std::vector{confirmation(lower), box("Your List Already Holds 1001 Folders, As Many As It "
                                                    "Can!\r\n\r\nRemove A Folder Before You Add Another.",
                                                    MB_OK_INFORMATION)}));
    EXPECT_EQ(stored(), folders);
}

TEST_F(YourFolderTabTest, TheTreeOpensThePlaceInSightAndTheListShowsOnlyFiles) {
    const std::string place = tmp.path();
    makeDirs(tmp / "browse/sub");
    makeDirs(tmp / "browse/.hidden");
    writeFile(tmp / "browse/file.txt");
    std::filesystem::create_symlink(tmp / "browse/sub", tmp / "browse/link");
    YourFolderTab* tab = enteredTab();
    EXPECT_EQ(browsed(tab), place + "|" + place + "|browse,config|");
    EXPECT_EQ(tab->folderModel->headerData(0, Qt::Horizontal).toString(), "Folders"); // read out, not "1"
    EXPECT_TRUE(tab->folderTree->viewport()->rect().contains(
        tab->folderTree->visualRect(tab->folderTree->currentIndex())));
    tab->openFolder(QString::fromStdString(tmp / "browse"));
    EXPECT_EQ(browsed(tab), place + "|" + tmp / "browse" + "|link,sub|file.txt");
    // Entering the page again goes back to the place.
    window()->tabs->setCurrentIndex(0);
    EXPECT_EQ(browsed(enteredTab()), place + "|" + place + "|browse,config|");
}

TEST_F(YourFolderTabTest, ModesShowTheListAndDoubleClicksRemoveAndRenumber) {
    StoreUserFolders({tmp / "a", tmp / "b", tmp / "c"});
    YourFolderTab* tab = enteredTab();
    EXPECT_EQ(mode(tab), kList + "Close Form");
    tab->saveFolderButton->click(); // "Add Folder"
    EXPECT_EQ(mode(tab), kBrowsing + "Show List");
    tab->showListButton->click();
    EXPECT_EQ(mode(tab), kList + "Close Form");

    tab->removeFolder(QModelIndex()); // no entry: nothing happens
    tab->removeFolder(tab->savedFoldersModel->index(1));
    EXPECT_EQ(stored(), (std::vector<std::string>{tmp / "a", tmp / "c"}));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Delete}) { // as a double-click does
        tab->savedFoldersList->setCurrentIndex(tab->savedFoldersModel->index(0));
        QTest::keyClick(tab->savedFoldersList, key);
    }
    EXPECT_FALSE(Settings.GetAllSettings("UserFolder"));
    tab->ActivateList();
    EXPECT_EQ(mode(tab), kBrowsing + "Close Form");
    tab->showListButton->click(); // "Close Form" closes
    EXPECT_FALSE(window()->isVisible());
}

TEST_F(YourFolderTabTest, AStoreAnotherProgramHoldsKeepsTheListAndSaysSo) {
    StoreUserFolders({tmp / "a", tmp / "b"});
    YourFolderTab* tab = enteredTab();
    const StoreHold held(fake().hivePath);
    const std::string told = box(
        "Your Change Could Not Be Saved!\r\n\r\nThe Settings Are In Use, Try Again Later.", MB_OK_CRITICAL);
    QElapsedTimer took;
    took.start();
    tab->removeFolder(tab->savedFoldersModel->index(0));
    EXPECT_EQ(tab->savedFoldersModel->rowCount(), 2);
    EXPECT_EQ(boxes(), std::vector{told});
    tab->saveOrAddClicked();
    save(tab, tmp / "c", {IDYES, IDYES}); // the list cannot be read: the first folder's warning comes too
    EXPECT_EQ(boxes().back(), told);
    EXPECT_LT(took.elapsed(), 1500);
}

// Mounts a FUSE file system whose server never answers (as a lost network mount does)
// at argv[1] in this private mount namespace, then runs the rest of the command line,
// which closes the device once done: that aborts the connection, so that what still
// waits on the mount (the check the window gave up on) ends too.
const char* const kDeadMount = R"(
import ctypes, os, subprocess, sys
os.makedirs(sys.argv[1], exist_ok=True)
fd = os.open('/dev/fuse', os.O_RDWR)
options = f'fd={fd},rootmode=40000,user_id=0,group_id=0'.encode()
if ctypes.CDLL(None).mount(b'dead', sys.argv[1].encode(), b'fuse.dead', 0, options) != 0:
    sys.exit(77)
os.environ['TIDORAX_DEAD_MOUNT_DEVICE'] = str(fd)
test = subprocess.Popen(sys.argv[2:], pass_fds=[fd])
os.close(fd)
sys.exit(test.wait())
)";

TEST_F(YourFolderTabTest, AMountThatNeverAnswersHoldsNothingUp) {
    const QString dead = qEnvironmentVariable("TIDORAX_DEAD_MOUNT");
    if (dead.isEmpty()) {
        if (::geteuid() != 0 || ::access("/dev/fuse", R_OK | W_OK) != 0 ||
            !QFile::exists("/usr/bin/unshare")) {
            GTEST_SKIP() << "a FUSE mount needs root and /dev/fuse";
        }
        // The test again, in a mount namespace of its own with the dead mount in it.
        QProcess inner;
        inner.setProcessChannelMode(QProcess::ForwardedChannels);
        qputenv("TIDORAX_DEAD_MOUNT", QByteArray::fromStdString(tmp / "dead")); // for the inner run alone
        inner.start("timeout",
                    {"120", "unshare", "-m", "--propagation", "private", "/usr/bin/python3", "-c", kDeadMount,
                     QString::fromStdString(tmp / "dead"), QCoreApplication::applicationFilePath(),
                     "--gtest_filter=YourFolderTabTest.AMountThatNeverAnswersHoldsNothingUp"});
        const bool finished = inner.waitForFinished(150000);
        qunsetenv("TIDORAX_DEAD_MOUNT");
        ASSERT_TRUE(finished);
        if (inner.exitCode() == 77) {
            GTEST_SKIP() << "no FUSE mount may be made here";
        }
        EXPECT_EQ(inner.exitCode(), 0);
        return;
    }
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(DefaultPlaces().contains(dead));
    // The folder that holds the mount: the tree and the file list show it without entering it.
    YourFolderTab* tab = enteredTab();
    const QString parent = QFileInfo(dead).path(); // the outer run's folder
    tab->openFolder(parent);
    EXPECT_EQ(browsed(tab), tmp.path() + "|" + parent.toStdString() + "|config,dead|");
    // The dead mount chosen and saved: the check gives up in time and takes nothing.
    ASSERT_TRUE(StoreUserFolders({tmp / "listed"}));
    save(tab, dead.toStdString());
    EXPECT_EQ(boxes().back(),
              box("This Folder Does Not Answer\r\n\r\nMake Another Selection!", MB_OK_CRITICAL));
    EXPECT_EQ(UserFolders(), FileList{tmp / "listed"});
    window()->close();
    processEvents();
    EXPECT_LT(took.elapsed(), 9000);
    ::close(qEnvironmentVariableIntValue("TIDORAX_DEAD_MOUNT_DEVICE"));
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

#include "desktop/options/FolderTab.h"
#include "core/plans/CleaningOperations.h"
#include "tests/desktop/options/OptionsTestSupport.h"

namespace tidorax::test {
namespace {

// Without a "Cache" value the Internet page lists the files of every browser cache found
// (here Chromium's two) and counts them together; another program's cache is no part of it.
class FolderTabTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        fake().env["Temp"] = tmp / "temp";
        makeDirs(fake().env["XDG_CONFIG_HOME"] + "/chromium/Default");
        const std::string cache = fake().env["XDG_CACHE_HOME"];
        for (const std::string& file :
             {tmp / "temp/a.tmp", tmp / "temp/sub/b.tmp", tmp / "temp/sub/deeper/c.tmp",
              cache + "/chromium/Default/Cache/Cache_Data/entry",
              cache + "/chromium/Default/Code Cache/js/script", cache + "/other/data"}) {
            writeFile(file);
        }
    }
};

TEST_F(FolderTabTest, SelectingATabListsItsFolderAfreshAndItsCleanEmptiesOnlyItsFolder) {
    controller = std::make_unique<TrayController>(services(&engineOperations()));
    auto* tab = page<FolderTab>("tempPage", true);
    EXPECT_EQ(tab->countLabel->text(), "Listing Files...");
    ASSERT_TRUE(waitFor([&] { return !tab->listing(); }));
    QStringList files = tab->filesModel->stringList();
    files.sort();
    const QString temp = QString::fromStdString(tmp / "temp/");
    EXPECT_EQ(files, (QStringList{temp + "a.tmp", temp + "sub/b.tmp", temp + "sub/deeper/c.tmp"}));
    EXPECT_EQ(tab->inUseLabel->text(), "Files In Use Can Not Be Deleted");
    window()->tabs->setCurrentIndex(0);
    writeFile(tmp / "temp/d.tmp");
    // Each page cleaned from its listed tab: "listed caption > caption after, count shown".
    for (const auto& [name, key, expected] :
         {std::tuple{"tempPage", "TempFiles",
                     "Temp Folder Contains 4 Files > Temp Folder Contains 0 Files, 4"},
          {"internetPage", "InternetFiles",
           "Internet Folder Contains 2 Files > Temporary Internet Folder Contains 0 Files, 2"}}) {
        Settings.SaveSetting("CleanPath", key, "Yes");
        FolderTab* cleaned = listed<FolderTab>(name);
        const QString before = cleaned->countLabel->text();
        cleaned->cleanButton->click();
        EXPECT_EQ(cleaned->filesModel->rowCount(), 0);
        ASSERT_NE(countShown(), nullptr);
        const QString counted = countShown()->countLabel->text();
        countShown()->closeTimerElapsed();
        processEvents();
        EXPECT_EQ((before + " > " + cleaned->countLabel->text() + ", " + counted).toStdString(), expected);
    }
    EXPECT_EQ(tab->inUseLabel->text(), "The 0 Files Remaining Are In Use");
}

TEST_F(FolderTabTest, ANewerListingOrACloseDropsTheOlderOne) {
    OptionsWindow* options = window();
    auto* tempTab = page<FolderTab>("tempPage");
    int listed = 0;
    QObject::connect(tempTab, &FolderTab::listed, options, [&listed] { ++listed; });
    tempTab->ListFolder();
    tempTab->ListFolder();
    ASSERT_TRUE(waitFor([&] { return !tempTab->listing(); }));
    processEvents();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(tempTab->filesModel->rowCount(), 3);

    // Closed while listing: nothing arrives in a window that is gone.
    tempTab->ListFolder();
    options->closeForm();
    options->closeTimerElapsed();
    processEvents();
    EXPECT_EQ(loaded("optionsWindow"), nullptr);
    QTest::qWait(0);
}

} // namespace
} // namespace tidorax::test

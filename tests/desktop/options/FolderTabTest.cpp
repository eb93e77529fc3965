#include "desktop/options/FolderTab.h"
#include "core/plans/CleaningOperations.h"
#include "tests/desktop/options/OptionsTestSupport.h"
#include "tests/support/EngineTestSupport.h"

namespace tidorax::test {
namespace {

class FolderTabTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        fake().env["Temp"] = tmp / "temp";
        cache = fake().env["XDG_CACHE_HOME"];
        ASSERT_TRUE(setShellFolder("Cache", cache)); // the Internet tab's one folder
        writeFiles();
    }
    void writeFiles() {
        for (const char* name : {"a.tmp", "sub/b.tmp", "sub/deeper/c.tmp"}) {
            writeFile(tmp / ("temp/" + std::string(name)));
        }
        for (const char* name : {"page.html", "img/1.png"}) {
            writeFile(cache + "/" + name);
        }
    }

    std::string cache;
};

TEST_F(FolderTabTest, SelectingATabListsItsFolderAfreshEachTime) {
    auto* tab = page<FolderTab>("tempPage", true);
    EXPECT_EQ(tab->countLabel->text(), "Listing Files...");
    ASSERT_TRUE(waitFor([&] { return !tab->listing(); }));
    QStringList files = tab->filesModel->stringList();
    files.sort();
    const QString temp = QString::fromStdString(tmp / "temp/");
    EXPECT_EQ(files, (QStringList{temp + "a.tmp", temp + "sub/b.tmp", temp + "sub/deeper/c.tmp"}));
    EXPECT_EQ(tab->countLabel->text(), "Temp Folder Contains 3 Files");
    EXPECT_EQ(tab->inUseLabel->text(), "Files In Use Can Not Be Deleted");
    window()->tabs->setCurrentIndex(0);
    writeFile(tmp / "temp/d.tmp");
    EXPECT_EQ(listed<FolderTab>("tempPage")->countLabel->text(), "Temp Folder Contains 4 Files");
}

// Without a "Cache" value the Internet page lists the files of every browser cache found
// (here Chromium's two), and counts them together; another program's cache is no part of it.
TEST_F(FolderTabTest, WithoutACacheValueTheInternetPageListsEveryBrowserCache) {
    ASSERT_TRUE(setShellFolder("Cache", ""));
    makeDirs(fake().env["XDG_CONFIG_HOME"] + "/chromium/Default");
    const std::string browser = cache + "/chromium/Default";
    writeFile(browser + "/Cache/Cache_Data/entry");
    writeFile(browser + "/Code Cache/js/script");
    auto* tab = listed<FolderTab>("internetPage");
    QStringList files = tab->filesModel->stringList();
    files.sort();
    EXPECT_EQ(files, (QStringList{QString::fromStdString(browser + "/Cache/Cache_Data/entry"),
                                  QString::fromStdString(browser + "/Code Cache/js/script")}));
    EXPECT_EQ(tab->countLabel->text(), "Internet Folder Contains 2 Files");
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

TEST_F(FolderTabTest, EachCleanButtonEmptiesOnlyItsFolderAndShowsWhatIsLeft) {
    controller = std::make_unique<TrayController>(services(&engineOperations()));
    // Cleans from the page's listed tab: "listed caption > caption after, count shown".
    const auto clean = [this](const char* page, const char* key) {
        writeFiles();
        Settings.SaveSetting("CleanPath", key, "Yes");
        FolderTab* tab = listed<FolderTab>(page);
        const QString before = tab->countLabel->text();
        tab->cleanButton->click();
        EXPECT_EQ(tab->filesModel->rowCount(), 0);
        CountWindow* count = countShown();
        const QString counted = count != nullptr ? count->countLabel->text() : "none";
        if (count != nullptr) {
            count->closeTimerElapsed();
            processEvents();
        }
        return (before + " > " + tab->countLabel->text() + ", " + counted).toStdString();
    };
    EXPECT_EQ(clean("internetPage", "InternetFiles"),
              "Internet Folder Contains 2 Files > Temporary Internet Folder Contains 0 Files, 2");
    EXPECT_EQ(clean("tempPage", "TempFiles"),
              "Temp Folder Contains 3 Files > Temp Folder Contains 0 Files, 3");
    EXPECT_EQ(page<FolderTab>("tempPage")->inUseLabel->text(), "The 0 Files Remaining Are In Use");
}

} // namespace
} // namespace tidorax::test

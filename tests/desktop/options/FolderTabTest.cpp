#include "desktop/options/FolderTab.h"
#include "core/cleaning/CleaningOperations.h"
#include "core/settings/SettingsStore.h"
#include "desktop/windows/CountWindow.h"
#include "platform/Platform.h"
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
        for (const char* name : {"a.tmp", "sub/b.tmp", "sub/deeper/c.tmp"}) {
            writeFile(tmp / ("temp/" + std::string(name)));
        }
        for (const char* name : {"page.html", "img/1.png"}) {
            writeFile(cache + "/" + name);
        }
        writeFile(tmp / "elsewhere/keep.txt");
    }

    static QStringList shown(FolderTab* tab) {
        QStringList files = tab->filesModel->stringList();
        files.sort();
        return files;
    }

    std::string cache;
};

TEST_F(FolderTabTest, SelectingATabListsItsFolderAfreshEachTime) {
    OptionsWindow* options = window();
    struct Case {
        int page;
        FolderTab* tab;
        QStringList files;
        const char* count;
    };
    const QString temp = QString::fromStdString(tmp / "temp/");
    const QString web = QString::fromStdString(cache + "/");
    const Case cases[] = {
        {OptionsWindow::InternetPage,
         options->internetTab,
         {web + "img/1.png", web + "page.html"},
         "Internet Folder Contains 2 Files"},
        {OptionsWindow::TempPage,
         options->tempTab,
         {temp + "a.tmp", temp + "sub/b.tmp", temp + "sub/deeper/c.tmp"},
         "Temp Folder Contains 3 Files"},
    };
    for (int visit = 0; visit < 2; ++visit) {
        for (const Case& c : cases) {
            options->tabs->setCurrentIndex(c.page);
            EXPECT_TRUE(c.tab->listing());
            EXPECT_TRUE(c.tab->countLabel->text().startsWith("Listing"));
            ASSERT_TRUE(waitFor([&] { return !c.tab->listing(); }));
            EXPECT_EQ(shown(c.tab), c.files);
            EXPECT_EQ(c.tab->countLabel->text(), c.count);
            options->tabs->setCurrentIndex(OptionsWindow::OptionsPage);
        }
    }
    EXPECT_EQ(options->tempTab->inUseLabel->text(), "Files In Use Can Not Be Deleted");
}

TEST_F(FolderTabTest, ANewerListingOrACloseDropsTheOlderOne) {
    OptionsWindow* options = window();
    int listed = 0;
    QObject::connect(options->tempTab, &FolderTab::listed, options, [&listed] { ++listed; });
    options->tempTab->ListFolder();
    options->tempTab->ListFolder();
    ASSERT_TRUE(waitFor([&] { return !options->tempTab->listing(); }));
    processEvents();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(options->tempTab->filesModel->rowCount(), 3);

    // Closed while listing: nothing arrives in a window that is gone.
    options->tempTab->ListFolder();
    options->closeForm();
    options->closeTimerElapsed();
    processEvents();
    EXPECT_EQ(OptionsWindow::loaded(), nullptr);
    QTest::qWait(0);
}

TEST_F(FolderTabTest, CleanTempDeletesOnlyTempAndShowsWhatIsLeft) {
    OptionsWindow::setServices(&engineOperations(), &actions);
    Settings.SaveSetting("CleanPath", "TempFiles", "Yes");
    OptionsWindow* options = window();
    options->tabs->setCurrentIndex(OptionsWindow::TempPage);
    ASSERT_TRUE(waitFor([&] { return !options->tempTab->listing(); }));
    fake().scriptedAnswers = {IDYES};
    options->tempTab->cleanButton->click();

    EXPECT_EQ(prompts(),
              std::vector<std::string>{
                  "You Are About To Clean Your Temp Files\r\n\r\n          Do You Want To Continue?"});
    EXPECT_EQ(treeEntries(tmp / "temp"), Tree{});
    EXPECT_TRUE(exists(tmp / "elsewhere/keep.txt"));
    EXPECT_TRUE(exists(cache + "/page.html"));
    EXPECT_EQ(options->tempTab->filesModel->rowCount(), 0);
    EXPECT_EQ(options->tempTab->countLabel->text(), "Temp Folder Contains 0 Files");
    EXPECT_EQ(options->tempTab->inUseLabel->text(), "The 0 Files Remaining Are In Use");
    ASSERT_NE(CountWindow::loaded(), nullptr);
    EXPECT_EQ(CountWindow::loaded()->countLabel->text(), "3");
    CountWindow::loaded()->closeTimerElapsed();
}

TEST_F(FolderTabTest, CleanInternetEmptiesTheWebCacheAndCountsIt) {
    OptionsWindow::setServices(&engineOperations(), &actions);
    Settings.SaveSetting("CleanPath", "InternetFiles", "Yes");
    OptionsWindow* options = window();
    fake().scriptedAnswers = {IDYES};
    options->internetTab->cleanButton->click();
    EXPECT_FALSE(exists(cache + "/page.html"));
    EXPECT_FALSE(exists(cache + "/img/1.png"));
    EXPECT_TRUE(exists(tmp / "temp/a.tmp"));
    EXPECT_EQ(options->internetTab->countLabel->text(), "Temporary Internet Folder Contains 0 Files");
    ASSERT_NE(CountWindow::loaded(), nullptr);
    EXPECT_EQ(CountWindow::loaded()->countLabel->text(), "2");
    CountWindow::loaded()->closeTimerElapsed();
}

} // namespace
} // namespace tidorax::test

#include "desktop/options/CookiesTab.h"
#include "core/options/OptionsRules.h"
#include "desktop/options/TabCaptions.h"
#include "tests/desktop/options/OptionsTestSupport.h"
#include "tests/support/EngineTestSupport.h"

namespace tidorax::test {
namespace {

class CookiesTabTest : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        folder = tmp / "cookies";
        for (const char* name : {"ann@news.example[1].txt", "ann@shop.example[2].txt", "index.dat"}) {
            writeFile(folder + "/" + name);
        }
        ASSERT_TRUE(setCookiesFolder(folder));
        RewriteSavedCookies({folder + "/ann@kept.example[1].txt", folder + "/ann@mail.example[1].txt"});
    }
    static bool editedButtons(CookiesTab* tab) {
        return tab->resetListsButton->isVisible() && !tab->cleanCookiesButton->isVisible() &&
               !tab->helpButton->isVisible() && !tab->closeButton->isVisible();
    }

    std::string folder;
};

TEST_F(CookiesTabTest, DoubleClicksAndKeysSaveAndForgetCookiesTheCountsShowAndLongNamesFit) {
    CookiesTab* tab = listed<CookiesTab>("cookiesPage");
    EXPECT_EQ(tab->cookieCountLabel->text(), "Cookie Folder Contains 2 Cookies");
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have Saved 2 Cookies");
    EXPECT_FALSE(editedButtons(tab));

    const QModelIndexList shop = tab->cookieFilesModel->match(tab->cookieFilesModel->index(0),
                                                              Qt::DisplayRole, "shop", 1, Qt::MatchContains);
    ASSERT_EQ(shop.size(), 1);
    tab->saveCookie(shop[0]);
    EXPECT_TRUE(editedButtons(tab));
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have 3 Cookies Saved");
    EXPECT_EQ(Settings.GetSetting("SavedCookies", "Cookie2"), folder + "/ann@shop.example[2].txt");

    // Forgetting the first renumbers the rest (the sites go with them: RewriteSavedCookies).
    tab->forgetCookie(tab->savedCookiesModel->index(0));
    EXPECT_EQ(
        ReadSettingsList("SavedCookies", "Cookie"),
        (std::vector<std::string>{folder + "/ann@mail.example[1].txt", folder + "/ann@shop.example[2].txt"}));
    EXPECT_EQ(tab->cookieCountLabel->text(), "Cookie Folder Contains 1 Cookies");
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have 2 Cookies Saved");

    // No entry: nothing happens.
    tab->saveCookie(QModelIndex());
    tab->forgetCookie(QModelIndex());

    // The hint lines: over the saved list, then over its frame the new count.
    moveOver(tab->savedCookiesList->viewport());
    EXPECT_EQ(tab->savedCountLabel->text(), "Double Click a \"Cookie\" To Remove");
    moveOver(tab->savedCookiesFrame, true);
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have Saved 2 Cookies");
    moveOver(tab->cookieFilesList->viewport());
    EXPECT_EQ(tab->cookieCountLabel->text(), "Double Click On File To Save A \"Cookie\"");
    moveOver(tab->savedCountLabel);
    EXPECT_EQ(tab->cookieCountLabel->text(), "Cookie Folder Contains 1 Cookies");

    // "Reset Lists" lists both afresh and brings the buttons back.
    tab->resetListsButton->click();
    ASSERT_TRUE(waitFor([&] { return !tab->listing(); }));
    EXPECT_FALSE(editedButtons(tab));
    EXPECT_EQ(tab->cookieFilesModel->rowCount(), 3);
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have Saved 2 Cookies");
    // The keys do what a double-click does on the selected entry: Enter keeps, Delete forgets.
    for (const auto& [list, key, saved] : {std::tuple{tab->cookieFilesList, Qt::Key_Return, 3u},
                                           {tab->savedCookiesList, Qt::Key_Delete, 2u},
                                           {tab->savedCookiesList, Qt::Key_Enter, 1u}}) {
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, key);
        EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie").size(), saved) << key;
    }
    // The page's count leaves the index file out, and counts no less than nothing; no count wraps.
    EXPECT_EQ(CookieFolderCaption(0), "Cookie Folder Contains 0 Cookies");
    EXPECT_EQ(SavedCookiesCaption(70000), "You Have 70000 Cookies Saved");
    // A long name is shortened in the middle within the list's width, also once the window is
    // narrower or wider.
    tab->cookieFilesModel->setStringList({QString::fromStdString(folder) + "/" + QString(400, 'n') + ".txt"});
    EXPECT_EQ(tab->cookieFilesList->textElideMode(), Qt::ElideMiddle);
    for (const int width : {500, 900}) {
        window()->resize(width, window()->height());
        processEvents();
        EXPECT_EQ(tab->cookieFilesList->visualRect(tab->cookieFilesModel->index(0)).width(),
                  tab->cookieFilesList->viewport()->width());
    }
}

} // namespace
} // namespace tidorax::test

#include "desktop/options/CookiesTab.h"
#include "core/settings/SettingsStore.h"
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
        Settings.SaveSetting("SavedCookies", "Cookie0", folder + "/ann@kept.example[1].txt");
        Settings.SaveSetting("SpecialCookies", "Cookie0", "kept.example");
        Settings.SaveSetting("SavedCookies", "Cookie1", folder + "/ann@mail.example[1].txt");
        Settings.SaveSetting("SpecialCookies", "Cookie1", "mail.example");
    }

    CookiesTab* listedTab() {
        OptionsWindow* options = window();
        options->tabs->setCurrentIndex(OptionsWindow::CookiesPage);
        EXPECT_TRUE(waitFor([&] { return !options->cookiesTab->listing(); }));
        return options->cookiesTab;
    }

    static bool editedButtons(CookiesTab* tab) {
        return tab->resetListsButton->isVisible() && !tab->cleanCookiesButton->isVisible() &&
               !tab->helpButton->isVisible() && !tab->closeButton->isVisible();
    }

    std::string folder;
};

TEST_F(CookiesTabTest, TheTabListsTheFolderAndTheSavedCookies) {
    CookiesTab* tab = listedTab();
    EXPECT_EQ(tab->cookieFilesModel->rowCount(), 3);
    EXPECT_EQ(tab->cookieCountLabel->text(), "Cookie Folder Contains 2 Cookies");
    EXPECT_EQ(tab->savedCookiesModel->rowCount(), 2);
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have Saved 2 Cookies");
    EXPECT_FALSE(editedButtons(tab));
    EXPECT_TRUE(tab->cleanCookiesButton->isVisible());
}

TEST_F(CookiesTabTest, DoubleClicksSaveAndForgetCookiesAndRewriteBothSections) {
    CookiesTab* tab = listedTab();
    QModelIndex shop;
    for (int row = 0; row < tab->cookieFilesModel->rowCount(); ++row) {
        if (tab->cookieFilesModel->index(row).data().toString().contains("shop")) {
            shop = tab->cookieFilesModel->index(row);
        }
    }
    ASSERT_TRUE(shop.isValid());
    tab->saveCookie(shop);
    EXPECT_TRUE(editedButtons(tab));
    EXPECT_EQ(tab->cookieFilesModel->rowCount(), 2);
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have 3 Cookies Saved");
    EXPECT_EQ(Settings.GetSetting("SavedCookies", "Cookie2"), folder + "/ann@shop.example[2].txt");
    EXPECT_EQ(Settings.GetSetting("SpecialCookies", "Cookie2"), "shop.example");

    // Forgetting the first renumbers the rest; nothing is left under Cookie2.
    tab->forgetCookie(tab->savedCookiesModel->index(0));
    EXPECT_EQ(
        ReadSettingsList("SavedCookies", "Cookie"),
        (std::vector<std::string>{folder + "/ann@mail.example[1].txt", folder + "/ann@shop.example[2].txt"}));
    EXPECT_EQ(ReadSettingsList("SpecialCookies", "Cookie"),
              (std::vector<std::string>{"mail.example", "shop.example"}));
    EXPECT_EQ(Settings.GetSetting("SavedCookies", "Cookie2", "0"), "0");
    EXPECT_EQ(Settings.GetSetting("SpecialCookies", "Cookie2", "0"), "0");
    EXPECT_EQ(tab->cookieCountLabel->text(), "Cookie Folder Contains 1 Cookies");
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have 2 Cookies Saved");

    // No entry: nothing happens.
    tab->saveCookie(QModelIndex());
    tab->forgetCookie(QModelIndex());
    EXPECT_EQ(ReadSettingsList("SavedCookies", "Cookie").size(), 2u);

    // The hint lines: over the saved list, then over its frame the new count.
    moveOver(tab->savedCookiesList->viewport());
    EXPECT_EQ(tab->savedCountLabel->text(), "Double Click a \"Cookie\" To Remove");
    moveOver(tab->savedCookiesFrame, {1, 1});
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
    EXPECT_EQ(tab->savedCookiesModel->rowCount(), 2);
    EXPECT_EQ(tab->savedCountLabel->text(), "You Have Saved 2 Cookies");
}

} // namespace
} // namespace tidorax::test

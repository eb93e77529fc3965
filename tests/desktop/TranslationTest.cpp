#include "desktop/Translation.h"
#include "desktop/TrayMenu.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace tidorax::test {
namespace {

// A catalog of the system's language translates the tray; a language without one
// stays English, and the English catalog made from the sources lists the tray's texts.
TEST(TranslationTest, TheSystemLanguagesCatalogTranslatesAndTheEnglishCatalogListsTheTexts) {
    QTranslator french;
    ASSERT_TRUE(LoadTranslation(french, QLocale(QStringLiteral("fr_CA")), QStringLiteral(TEST_CATALOGS)));
    QTranslator german;
    EXPECT_FALSE(LoadTranslation(german, QLocale(QStringLiteral("de_DE")), QStringLiteral(TEST_CATALOGS)));
    QCoreApplication::installTranslator(&french);
    const TrayMenu menu;
    QCoreApplication::removeTranslator(&french);
    EXPECT_EQ(menu.exitAction->text().toStdString(), "Quitter");
    EXPECT_EQ(menu.helpAction->text().toStdString(), "Help");

    const std::string english = readFile(ENGLISH_CATALOG);
    std::size_t at = english.find("<name>tidorax::TrayMenu</name>");
    for (const char* text : {"About---Version 3.0", "Remove All Paths", "Exit", "Help", "Clean And Shutdown",
                             "Configuration", "ViriRerer"}) {
        at = english.find("<source>" + std::string(text) + "</source>", at);
        EXPECT_NE(at, std::string::npos) << text;
    }
    for (const char* context : {"TrayController", "TrayIcon", "TrayWindow"}) {
        EXPECT_NE(english.find("<name>tidorax::" + std::string(context) + "</name>"), std::string::npos);
    }
}

} // namespace
} // namespace tidorax::test

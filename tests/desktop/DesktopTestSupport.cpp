#include "tests/desktop/DesktopTestSupport.h"

#include "desktop/options/BackgroundListing.h"

#include <QApplication>
#include <QWidget>

#include <sqlite3.h>

namespace tidorax::test {

StoreHold::StoreHold(const std::string& path) {
    EXPECT_EQ(sqlite3_open(path.c_str(), &db_), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
}

StoreHold::~StoreHold() {
    sqlite3_close(db_);
}

void GuiTest::SetUp() {
    PlatformFixture::SetUp();
}

DesktopServices GuiTest::services(CleaningOperations* cleaning) {
    DesktopServices made(cleaning != nullptr ? *cleaning : operations, actions, shutdown, messages);
    made.endProgram = [this] { ++programEnds; };
    made.openInBrowser = [this](const QUrl& address) {
        seen.push_back("open " + address.toString().toStdString());
        return browserAvailable;
    };
    const QString places = QString::fromStdString(tmp.path());
    made.places = [places] { return QStringList{places}; };
    return made;
}

void GuiTest::TearDown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->close();
    }
    processEvents();
    // A listing still running reads the settings store that the reset below replaces.
    BackgroundListing::WaitForAll();
    PlatformFixture::TearDown();
}

void GuiTest::processEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::string GuiTest::installHelp(const std::string& html) {
    writeFile(tmp / "program/Tidora.html", html);
    fake().programFolderPath = tmp / "program";
    return tmp / "program/Tidora.html";
}

std::vector<std::string> GuiTest::boxes() {
    std::vector<std::string> shown;
    for (const auto& box : fakePlatform().shownBoxes) {
        shown.push_back(box.prompt + "|" + std::to_string(box.buttons) + "|" + box.title);
    }
    return shown;
}

std::string GuiTest::box(const std::string& prompt, int buttons) {
    return prompt + "|" + std::to_string(buttons) + "|Quillon Info.....";
}

} // namespace tidorax::test

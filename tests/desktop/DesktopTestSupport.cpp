#include "tests/desktop/DesktopTestSupport.h"

#include "desktop/BrowserLauncher.h"
#include "desktop/ExitProgram.h"
#include "desktop/options/BackgroundListing.h"

#include <QApplication>
#include <QWidget>

namespace tidorax::test {

void GuiTest::SetUp() {
    PlatformFixture::SetUp();
    setEndProgramHandler([this] { ++programEnds; });
    CountWindow::setScreenMetricsSource(nullptr);
    WindowOpeners::showOptionsWindow = nullptr;
    WindowOpeners::hideOptionsWindow = nullptr;
    WindowOpeners::loadAboutWindow = nullptr;
    WindowOpeners::showHelpMessage = nullptr;
    BrowserLauncher::setHandler([this](const QUrl& address) {
        seen.push_back("open " + address.toString().toStdString());
        return browserAvailable;
    });
}

void GuiTest::TearDown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->close();
    }
    processEvents();
    // A listing still running reads the settings store that the reset below replaces.
    BackgroundListing::WaitForAll();
    setEndProgramHandler(nullptr);
    BrowserLauncher::setHandler(nullptr);
    CountWindow::setScreenMetricsSource(nullptr);
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

#include "tests/desktop/DesktopTestSupport.h"

#include "desktop/ExitProgram.h"
#include "desktop/WindowOpeners.h"
#include "desktop/options/BackgroundListing.h"
#include "desktop/windows/CountWindow.h"

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
}

void GuiTest::TearDown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->close();
    }
    processEvents();
    // A listing still running reads the settings store that the reset below replaces.
    BackgroundListing::WaitForAll();
    setEndProgramHandler(nullptr);
    CountWindow::setScreenMetricsSource(nullptr);
    PlatformFixture::TearDown();
}

void GuiTest::processEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tidorax::test

#include "tests/gui/GuiTestSupport.h"

#include "notices/UnloadAllForms.h"
#include "notices/frmCount.h"
#include "startup/AuxiliaryWindows.h"

#include <QApplication>
#include <QWidget>

namespace tidorax::test {

void GuiTest::SetUp() {
    PlatformFixture::SetUp();
    setEndProgramHandler([this] { ++programEnds; });
    frmCount::setScreenMetricsSource(nullptr);
    AuxiliaryWindows::showOptionsWindow = nullptr;
    AuxiliaryWindows::hideOptionsWindow = nullptr;
    AuxiliaryWindows::loadAboutWindow = nullptr;
    AuxiliaryWindows::showHelpMessage = nullptr;
}

void GuiTest::TearDown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->close();
    }
    processEvents();
    setEndProgramHandler(nullptr);
    frmCount::setScreenMetricsSource(nullptr);
    PlatformFixture::TearDown();
}

void GuiTest::processEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tidorax::test

#include "tests/gui/GuiTestSupport.h"

#include "engine/WorkingLists.h"
#include "notices/UnloadAllForms.h"
#include "notices/frmCount.h"
#include "startup/AuxiliaryWindows.h"

#include <QApplication>
#include <QWidget>

namespace tidorax::test {

void RecordingCleaningOperations::record(const std::string& what, const std::string& WindowName) {
    calls.push_back(what + " " + WindowName);
    MainWindowLists& lists = Form1Lists();
    for (std::size_t i = 0; i < filesBefore; ++i) {
        lists.List7.push_back(what + std::to_string(i));
    }
    for (std::size_t i = 0; i < filesAfter; ++i) {
        lists.List6.push_back(what + std::to_string(i));
    }
    if (during) {
        during();
    }
}

void RecordingDesktopActions::runWork(const std::function<void()>& work) {
    events.push_back("work");
    work();
}

void RecordingDesktopActions::pause(std::uint32_t milliseconds) {
    events.push_back("pause " + std::to_string(milliseconds));
    if (duringPause) {
        duringPause(milliseconds);
    }
}

void RecordingDesktopActions::openDocument(const std::string& path) {
    events.push_back("open " + path);
}

void RecordingDesktopActions::openAndWait(const std::string& path) {
    events.push_back("open and wait " + path);
}

void GuiTest::SetUp() {
    fakePlatform().reset(temp.path());
    Form1Lists() = MainWindowLists{};
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
}

void GuiTest::processEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tidorax::test

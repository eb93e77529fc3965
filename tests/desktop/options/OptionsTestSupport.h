// A fixture for the options window's tests: the window cleans through recording
// operations (or the engine's own), runs its work at once, browses places in the
// test's folder, and message boxes take scripted answers.
#pragma once

#include "desktop/options/OptionsOpeners.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/options/YourFolderTab.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace tidorax::test {

class OptionsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        RegisterOptionsWindow(operations, actions);
        const QString places = QString::fromStdString(tmp.path());
        YourFolderTab::setPlacesSource([places] { return QStringList{places}; });
    }
    void TearDown() override {
        GuiTest::TearDown();
        OptionsWindow::setServices(nullptr, nullptr);
        YourFolderTab::setPlacesSource(nullptr);
    }

    // The window, loaded on its "Options" tab.
    static OptionsWindow* window() { return OptionsWindow::instance(); }

    // Waits, processing events, until the condition holds (at most 10 s).
    template <typename Condition> static bool waitFor(Condition condition) {
        return QTest::qWaitFor(condition, 10000);
    }
    // Selects the page and waits until its tab (a folder or the cookies tab) has listed.
    template <typename Tab> static Tab* listed(int page) {
        window()->tabs->setCurrentIndex(page);
        auto* tab = static_cast<Tab*>(window()->tabs->widget(page));
        EXPECT_TRUE(waitFor([tab] { return !tab->listing(); }));
        return tab;
    }

    // The pointer moves over the widget at pos (the middle when none is given).
    static void moveOver(QWidget* widget, QPoint pos = {-1, -1}) {
        if (pos == QPoint(-1, -1)) {
            pos = widget->rect().center();
        }
        QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
};

} // namespace tidorax::test

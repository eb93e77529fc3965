// A fixture for the options window's tests: the window cleans through recording
// operations, runs its work at once, browses places in the test's folder, and message
// boxes take scripted answers.
#pragma once

#include "desktop/options/OptionsWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace tidorax::test {

class OptionsTest : public GuiTest {
protected:
    // The window, loaded on its "Options" tab when none is.
    OptionsWindow* window() { return controller->optionsWindow(); }
    // Waits, processing events, until the condition holds (at most 10 s).
    template <typename Condition> static bool waitFor(Condition condition) {
        return QTest::qWaitFor(condition, 10000);
    }
    // The window's page of that object name ("optionsPage", "internetPage", "tempPage",
    // "cookiesPage", "yourFolderPage"), its tab selected when asked.
    template <typename Page> Page* page(const char* objectName, bool select = false) {
        Page* tab = window()->findChild<Page*>(QLatin1String(objectName));
        if (select) {
            window()->tabs->setCurrentWidget(tab);
        }
        return tab;
    }
    // Selects the page and waits until it (a folder or the cookies page) has listed.
    template <typename Page> Page* listed(const char* objectName) {
        Page* tab = page<Page>(objectName, true);
        EXPECT_TRUE(waitFor([tab] { return !tab->listing(); }));
        return tab;
    }
    // The pointer moves over the middle of the widget, or over its top left corner.
    static void moveOver(QWidget* widget, bool corner = false) {
        const QPoint pos = corner ? QPoint(1, 1) : widget->rect().center();
        QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
};

} // namespace tidorax::test

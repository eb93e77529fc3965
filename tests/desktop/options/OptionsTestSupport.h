// A fixture for the options window's tests: the window cleans through recording
// operations (or the engine's own), runs its work at once, browses places in the
// test's folder, and message boxes take scripted answers.
#pragma once

#include "desktop/TrayController.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/windows/CountWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <memory>

namespace tidorax::test {

class OptionsTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        controller = std::make_unique<TrayController>(services());
    }
    // The windows clean with the engine's own operations from now on.
    void cleanWithTheEngine() {
        controller = std::make_unique<TrayController>(services(&engineOperations()));
    }

    // The window, loaded on its "Options" tab when none is.
    OptionsWindow* window() { return controller->optionsWindow(); }
    // The count window when one shows, else nullptr.
    static CountWindow* countShown() { return shown<CountWindow>("CountWindow"); }

    // Waits, processing events, until the condition holds (at most 10 s).
    template <typename Condition> static bool waitFor(Condition condition) {
        return QTest::qWaitFor(condition, 10000);
    }
    // The window's page of that object name ("optionsPage", "internetPage", "tempPage",
    // "cookiesPage", "yourFolderPage").
    template <typename Page> Page* page(const char* objectName) {
        return window()->findChild<Page*>(QLatin1String(objectName));
    }
    // Selects the page's tab.
    template <typename Page> Page* entered(const char* objectName) {
        Page* tab = page<Page>(objectName);
        window()->tabs->setCurrentWidget(tab);
        return tab;
    }
    // Selects the page and waits until it (a folder or the cookies page) has listed.
    template <typename Page> Page* listed(const char* objectName) {
        Page* tab = entered<Page>(objectName);
        EXPECT_TRUE(waitFor([tab] { return !tab->listing(); }));
        return tab;
    }

    std::unique_ptr<TrayController> controller;

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

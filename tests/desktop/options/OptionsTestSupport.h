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
    // Selects the page and waits until its tab (a folder or the cookies tab) has listed.
    template <typename Tab> Tab* listed(int page) {
        window()->tabs->setCurrentIndex(page);
        auto* tab = static_cast<Tab*>(window()->tabs->widget(page));
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

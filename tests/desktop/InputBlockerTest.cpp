#include "desktop/InputBlocker.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QPointer>
#include <QWidget>

namespace tidorax::test {
namespace {

using InputBlockerTest = GuiTest;

TEST_F(InputBlockerTest, AWindowClosedByTheProgramClosesWhileInputIsBlocked) {
    QPointer<QWidget> window = new QWidget(nullptr, Qt::Tool);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    {
        InputBlocker blocker;
        EXPECT_TRUE(window->close());
        processEvents();
        EXPECT_TRUE(window.isNull()) << "the window was only hidden and stays loaded";
    }
}

} // namespace
} // namespace tidorax::test

#include "core/geometry/ScreenMetrics.h"
#include "desktop/windows/AlreadyRunningWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

namespace tidorax::test {
namespace {

using NoticeWindowsTest = GuiTest;

TEST_F(NoticeWindowsTest, CountWindowShowsAtTheClickOrCentredInPlaceOfTheOptionsWindow) {
    // A 1024 x 768 screen at 96 dpi with a 30-pixel panel at the bottom; the window is 89 x 50 pixels.
    DesktopServices given = services();
    given.screenMetrics = [](const QScreen*) {
        return ScreenMetricsFromGeometry(1024, 768, 0, 0, 1024, 738, 96, 96);
    };
    controller = std::make_unique<TrayController>(given);
    // From the tray: above the taskbar at the click, closed by its timer.
    LastMouseX = 600 * 15;
    controller->showCount(StartedFrom::TrayMenu, 3, 5);
    ASSERT_NE(countShown(), nullptr);
    EXPECT_EQ(countShown()->pos(), QPoint(600 - 45, 738 - 50));
    EXPECT_TRUE(countShown()->closeTimer->isActive());
    countShown()->closeTimerElapsed();
    EXPECT_EQ(loaded("CountWindow"), nullptr);
    // From the options window: centred, the options window hidden until the count closes.
    controller->showOptionsWindow();
    controller->showCount(StartedFrom::OptionsWindow, 37, 0);
    ASSERT_NE(countShown(), nullptr);
    EXPECT_EQ(shown("optionsWindow"), nullptr);
    EXPECT_EQ(countShown()->pos(), QPoint((1024 - 89) / 2, (738 - 50) / 2));
    countShown()->closeTimerElapsed();
    EXPECT_EQ(loaded("CountWindow"), nullptr);
    EXPECT_NE(shown("optionsWindow"), nullptr);
}

TEST_F(NoticeWindowsTest, AlreadyRunningWindowSaysSoAndEndsTheProgramOnOk) {
    controller->showAlreadyRunning();
    auto* window = shown<AlreadyRunningWindow>("AlreadyRunningWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->messageLabel->text(), "Tidora Is Already Running, Click Icon On Task Bar");
    EXPECT_TRUE(window->closeTimer->isActive());
    QTest::keyClick(window->okButton, Qt::Key_Return); // as a click does
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(loaded("AlreadyRunningWindow"), nullptr);
}

} // namespace
} // namespace tidorax::test

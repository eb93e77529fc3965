#include "core/geometry/ScreenMetrics.h"
#include "desktop/TrayController.h"
#include "desktop/options/OptionsWindow.h"
#include "desktop/windows/AlreadyRunningWindow.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "tests/desktop/DesktopTestSupport.h"

namespace tidorax::test {
namespace {

using NoticeWindowsTest = GuiTest;

TEST_F(NoticeWindowsTest, CountWindowShowsTheCountAtTheClickOrCentredGreyOverTheOptionsWindow) {
    // A 1024 x 768 screen at 96 dpi with a 30-pixel panel at the bottom.
    DesktopServices given = services();
    given.screenMetrics = [](const QScreen*) {
        return ScreenMetricsFromGeometry(1024, 768, 0, 0, 1024, 738, 96, 96);
    };
    TrayController controller(given);
    const auto countWindow = [] { return shown<CountWindow>("CountWindow"); };
    const auto optionsShown = [] { return shown("optionsWindow") != nullptr; };
    // From the tray: above the taskbar at the click; the window is 89 x 50 pixels.
    LastMouseX = 600 * 15;
    controller.showCount(StartedFrom::TrayMenu, 3, 5);
    CountWindow* count = countWindow();
    ASSERT_NE(count, nullptr);
    EXPECT_TRUE(count->isVisible() && count->closeTimer->isActive());
    EXPECT_EQ(count->closeTimer->interval(), 1200);
    EXPECT_EQ(count->countLabel->text(), "-2");
    EXPECT_EQ(count->pos(), QPoint(600 - 45, 738 - 50));
    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(255, 224, 192));
    count->closeTimerElapsed();
    EXPECT_EQ(loaded("CountWindow"), nullptr);
    EXPECT_FALSE(optionsShown());

    controller.showOptionsWindow();
    controller.showCount(StartedFrom::OptionsWindow, 37, 0);
    count = countWindow();
    ASSERT_NE(count, nullptr);
    EXPECT_FALSE(optionsShown()) << "hidden while the count shows";
    EXPECT_NE(loaded("optionsWindow"), nullptr);
    EXPECT_EQ(count->countLabel->text(), "37");
    EXPECT_EQ(count->pos(), QPoint((1024 - 89) / 2, (738 - 50) / 2));
    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(128, 128, 128));
    // Its own timer closes it (the same tick, without the 1.2 s).
    count->closeTimer->start(1);
    EXPECT_TRUE(QTest::qWaitFor([countWindow] { return countWindow() == nullptr; }, 2000));
    EXPECT_TRUE(optionsShown());
    processEvents();
    // A fresh window starts from its design colour, not the grey of the last one.
    LastMouseX = 0;
    controller.showCount(StartedFrom::TrayMenu, 0, 0);
    ASSERT_NE(countWindow(), nullptr);
    EXPECT_NE(countWindow(), count);
    EXPECT_EQ(countWindow()->BackColor(), 0xC0E0FFu);
}

TEST_F(NoticeWindowsTest, ShutdownNoticePaintsItsGradientForTheDepth) {
    ShutdownNotice notice_;
    ShutdownNotice* notice = &notice_;
    const auto pixel = [notice](int x, int y) { return notice->image().pixelColor(x, y); };
    // Loaded on a 32-bit display: 256 bands.
    EXPECT_EQ(pixel(0, 0), QColor(0, 0, 142));
    // At 15 bits: 32 bands from black at the bottom right, a pure blue corner at the top left.
    notice->Gradient = GradientState{15, 32};
    notice->PaintGradient(0);
    EXPECT_EQ(pixel(419, 142), QColor(0, 0, 0));
    EXPECT_EQ(pixel(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(pixel(4, 0), QColor(0, 0, 248));
    // No gradient: the plain back colour shows.
    notice->PaintGradient(3);
    EXPECT_TRUE(notice->image().isNull());
    EXPECT_EQ(notice->grab().toImage().pixelColor(10, 10), QColor(0, 0, 127));
}

TEST_F(NoticeWindowsTest, AlreadyRunningWindowEndsTheProgramOnOkAndHasTheIcon) {
    TrayController controller(services());
    controller.showAlreadyRunning();
    auto* window = shown<AlreadyRunningWindow>("AlreadyRunningWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->messageLabel->text(), "Tidora Is Already Running, Click Icon On Task Bar");
    EXPECT_TRUE(window->isVisible() && window->closeTimer->isActive());
    EXPECT_EQ(window->closeTimer->interval(), 5000);
    EXPECT_FALSE(window->windowIcon().isNull());
    QTest::keyClick(window->okButton, Qt::Key_Return); // as a click does
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(loaded("AlreadyRunningWindow"), nullptr);
}

} // namespace
} // namespace tidorax::test

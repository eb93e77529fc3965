#include "core/geometry/ScreenMetrics.h"
#include "desktop/WindowOpeners.h"
#include "desktop/windows/AlreadyRunningWindow.h"
#include "desktop/windows/CountWindow.h"
#include "desktop/windows/ShutdownNotice.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QTest>

namespace tidorax::test {
namespace {

// A 1024 x 768 screen at 96 dpi with a 30-pixel panel at the bottom.
ScreenMetrics screenWithBottomPanel() {
    return ScreenMetricsFromGeometry(1024, 768, 0, 0, 1024, 738, 96, 96);
}

using NoticeWindowsTest = GuiTest;

TEST_F(NoticeWindowsTest, CountWindowShowsTheCountAtTheClickOrCentredGreyOverTheOptionsWindow) {
    CountWindow::setScreenMetricsSource(screenWithBottomPanel);
    std::vector<std::string> options;
    WindowOpeners::hideOptionsWindow = [&options] { options.push_back("hide"); };
    WindowOpeners::showOptionsWindow = [&options] { options.push_back("show"); };
    // From the tray: above the taskbar at the click; the window is 89 x 50 pixels.
    LastMouseX = 600 * 15;
    CountWindow* count = CountWindow::instance();
    count->ShowCount(StartedFrom::TrayMenu, 3, 5);
    EXPECT_TRUE(count->isVisible() && count->closeTimer->isActive());
    EXPECT_EQ(count->countLabel->text(), "-2");
    EXPECT_EQ(count->pos(), QPoint(600 - 45, 738 - 50));
    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(255, 224, 192));
    count->closeTimerElapsed();
    EXPECT_EQ(CountWindow::loaded(), nullptr);
    processEvents();
    // At x = 3000 pixels on a wide desktop the window sits at the click: no 16-bit wrap.
    CountWindow::setScreenMetricsSource(
        [] { return ScreenMetricsFromGeometry(3840, 1080, 0, 0, 3840, 1040, 96, 96); });
    LastMouseX = 3000 * 15;
    CountWindow::instance()->ShowCount(StartedFrom::TrayMenu, 0, 0);
    EXPECT_EQ(CountWindow::loaded()->pos(), QPoint(3000 - 45, 1040 - 50));
    CountWindow::loaded()->closeTimerElapsed();
    processEvents();
    EXPECT_TRUE(options.empty());
    CountWindow::setScreenMetricsSource(screenWithBottomPanel);

    count = CountWindow::instance();
    count->ShowCount(StartedFrom::OptionsWindow, 37, 0);
    EXPECT_EQ(options, std::vector<std::string>{"hide"});
    EXPECT_EQ(count->countLabel->text(), "37");
    EXPECT_EQ(count->pos(), QPoint((1024 - 89) / 2, (738 - 50) / 2));
    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(128, 128, 128));

    count->closeTimerElapsed();
    EXPECT_EQ(options, (std::vector<std::string>{"hide", "show"}));
    EXPECT_EQ(CountWindow::loaded(), nullptr);
    processEvents();
    // A fresh window starts from its design colour, not the grey of the last one.
    EXPECT_EQ(CountWindow::instance()->BackColor(), 0xC0E0FFu);
}

TEST_F(NoticeWindowsTest, CountWindowClosesItselfOnItsTimer) {
    CountWindow* count = CountWindow::instance();
    count->ShowCount(StartedFrom::TrayMenu, 0, 0);
    EXPECT_EQ(count->closeTimer->interval(), 1200);
    count->closeTimer->start(1); // the same tick, without the 1.2 s
    EXPECT_TRUE(QTest::qWaitFor([] { return CountWindow::loaded() == nullptr; }, 2000));
}

TEST_F(NoticeWindowsTest, ShutdownNoticePaintsItsGradientForTheDepth) {
    ShutdownNotice* notice = ShutdownNotice::instance();
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

TEST_F(NoticeWindowsTest, AlreadyRunningWindowEndsTheProgramOnOkOrOnItsTimer) {
    for (const bool byOk : {true, false}) {
        programEnds = 0;
        AlreadyRunningWindow* window = AlreadyRunningWindow::instance();
        EXPECT_EQ(window->messageLabel->text(), "Tidora Is Already Running, Click Icon On Task Bar");
        window->load();
        EXPECT_TRUE(window->isVisible() && window->closeTimer->isActive());
        EXPECT_EQ(window->closeTimer->interval(), 5000);
        if (byOk) {
            QTest::mouseClick(window->okButton, Qt::LeftButton);
        } else {
            window->closeTimerElapsed();
        }
        EXPECT_EQ(programEnds, 1) << byOk;
        EXPECT_EQ(AlreadyRunningWindow::loaded(), nullptr) << byOk;
        processEvents();
    }
}

} // namespace
} // namespace tidorax::test

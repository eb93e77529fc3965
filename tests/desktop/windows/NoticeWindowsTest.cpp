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
// A desktop of 3840 x 1080 pixels with a 40-pixel panel at the bottom.
ScreenMetrics wideScreen() {
    return ScreenMetricsFromGeometry(3840, 1080, 0, 0, 3840, 1040, 96, 96);
}

using NoticeWindowsTest = GuiTest;

TEST_F(NoticeWindowsTest, CountWindowShowsTheCountAboveTheTaskbarAtTheClick) {
    struct Case {
        std::size_t before;
        std::size_t after;
        const char* shown;
        std::int64_t lastMouseX;
        bool wide;
        QPoint position; // pixels: the window is 89 x 50
    };
    const Case cases[] = {
        {37, 0, "37", 600 * 15, false, {600 - 45, 738 - 50}},
        {0, 0, "0", 600 * 15, false, {600 - 45, 738 - 50}},
        {3, 5, "-2", 600 * 15, false, {600 - 45, 738 - 50}},
        // No wrap at 16 bits either way.
        {40000, 1, "39999", 600 * 15, false, {600 - 45, 738 - 50}},
        {0, 70000, "-70000", 600 * 15, false, {600 - 45, 738 - 50}},
        // A click at x = 3000 pixels places the window there.
        {37, 0, "37", 3000 * 15, true, {3000 - 45, 1040 - 50}},
        // A click at the right edge keeps the whole window on the screen.
        {37, 0, "37", 1020 * 15, false, {1024 - 89, 738 - 50}},
    };
    for (const Case& c : cases) {
        CountWindow::setScreenMetricsSource(c.wide ? wideScreen : screenWithBottomPanel);
        LastMouseX = c.lastMouseX;
        CountWindow* count = CountWindow::instance();
        count->ShowCount(StartedFrom::TrayMenu, c.before, c.after);

        EXPECT_TRUE(count->isVisible());
        EXPECT_EQ(count->countLabel->text(), c.shown);
        EXPECT_EQ(count->pos(), c.position) << c.shown << " at " << c.lastMouseX;
        EXPECT_EQ(count->palette().color(QPalette::Window), QColor(255, 224, 192));
        EXPECT_TRUE(count->closeTimer->isActive());
        count->closeTimerElapsed();
        EXPECT_FALSE(count->closeTimer->isActive());
        EXPECT_EQ(CountWindow::loaded(), nullptr);
        processEvents();
    }
}

TEST_F(NoticeWindowsTest, CountWindowFromTheOptionsWindowIsCentredGreyAndBringsItBack) {
    CountWindow::setScreenMetricsSource(screenWithBottomPanel);
    std::vector<std::string> options;
    WindowOpeners::hideOptionsWindow = [&options] { options.push_back("hide"); };
    WindowOpeners::showOptionsWindow = [&options] { options.push_back("show"); };

    CountWindow* count = CountWindow::instance();
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
    // Loaded on a 32-bit display: 256 bands, black at the bottom right.
    EXPECT_EQ(notice->Gradient.GradientSteps, 256);
    EXPECT_EQ(pixel(419, 142), QColor(0, 0, 0));
    EXPECT_EQ(pixel(0, 0), QColor(0, 0, 142));
    struct Case {
        int depth;
        int steps;
        QColor topLeft;
        QColor justRightOfThePureBlue;
    };
    for (const Case& c : {Case{15, 32, QColor(0, 0, 255), QColor(0, 0, 248)},
                          Case{8, 64, QColor(0, 0, 236), QColor(0, 0, 236)}}) {
        notice->Gradient = GradientState{c.depth, static_cast<std::int16_t>(c.steps)};
        notice->PaintGradient(0);
        EXPECT_EQ(pixel(419, 142), QColor(0, 0, 0)) << c.depth;
        EXPECT_EQ(pixel(0, 0), c.topLeft) << c.depth;
        EXPECT_EQ(pixel(4, 0), c.justRightOfThePureBlue) << c.depth;
    }
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
        EXPECT_FALSE(window->closeTimer->isActive());
        window->load();
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->closeTimer->isActive());
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

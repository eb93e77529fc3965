#include "engine/WorkingLists.h"
#include "notices/ScreenSubs.h"
#include "notices/frmCount.h"
#include "notices/frmErr.h"
#include "notices/frmShutdown.h"
#include "startup/AuxiliaryWindows.h"
#include "tests/gui/GuiTestSupport.h"

#include <QTest>

namespace tidorax::test {
namespace {

// A 1024 x 768 screen at 96 dpi with a 30-pixel panel at the bottom.
ScreenMetrics screenWithBottomPanel() {
    return ScreenMetricsFromGeometry(1024, 768, 0, 0, 1024, 738, 96, 96);
}

class NoticeWindowsTest : public GuiTest {};

// A desktop of 3840 x 1080 pixels with a 40-pixel panel at the bottom.
ScreenMetrics wideScreen() {
    return ScreenMetricsFromGeometry(3840, 1080, 0, 0, 3840, 1040, 96, 96);
}

TEST_F(NoticeWindowsTest, CountWindowShowsTheCountAboveTheTaskbarAtTheClick) {
    struct Case {
        std::size_t before;
        std::size_t after;
        const char* shown;
        std::int64_t lastMouseX;
        bool wide;
        QPoint position; // pixels
    };
    const Case cases[] = {
        {37, 0, "37", 600 * 15, false, {600 - 45, 738 - 50}},
        {0, 0, "0", 600 * 15, false, {600 - 45, 738 - 50}},
        {3, 5, "-2", 600 * 15, false, {600 - 45, 738 - 50}},
        {40000, 1, "39999", 600 * 15, false, {600 - 45, 738 - 50}},
        // A click at x = 3000 pixels places the window there.
        {37, 0, "37", 3000 * 15, true, {3000 - 45, 1040 - 50}},
        // A click at the right edge keeps the whole window on the screen.
        {37, 0, "37", 1020 * 15, false, {1024 - 89, 738 - 50}},
    };
    for (const Case& c : cases) {
        frmCount::setScreenMetricsSource(c.wide ? wideScreen : screenWithBottomPanel);
        Form1Lists().List7.assign(c.before, "f");
        Form1Lists().List6.assign(c.after, "f");
        LastMouseX = c.lastMouseX;
        frmCount* count = frmCount::instance();
        count->ShowCount("Form1");

        EXPECT_TRUE(count->isVisible());
        EXPECT_EQ(count->Label1->text(), c.shown);
        EXPECT_EQ(count->Label2->text(), "Files Cleaned");
        EXPECT_EQ(count->size(), QSize(89, 50));
        EXPECT_EQ(count->pos(), c.position) << c.shown << " at " << c.lastMouseX;
        EXPECT_EQ(count->BackColor(), 0xC0E0FFu);
        EXPECT_EQ(count->palette().color(QPalette::Window), QColor(255, 224, 192));
        EXPECT_TRUE(count->Timer1->isActive());
        EXPECT_EQ(count->Timer1->interval(), 1200);
        EXPECT_EQ(count->Timer1Tag, "Form1");

        count->Timer1_Timer();
        EXPECT_FALSE(count->Timer1->isActive());
        EXPECT_EQ(frmCount::loaded(), nullptr);
        processEvents();
    }
}

TEST_F(NoticeWindowsTest, CountWindowFromTheOptionsWindowIsCentredGreyAndBringsItBack) {
    frmCount::setScreenMetricsSource(screenWithBottomPanel);
    std::vector<std::string> options;
    AuxiliaryWindows::hideOptionsWindow = [&options] { options.push_back("hide"); };
    AuxiliaryWindows::showOptionsWindow = [&options] { options.push_back("show"); };
    Form1Lists().List7.assign(37, "f");

    frmCount* count = frmCount::instance();
    count->ShowCount("Form2");
    EXPECT_EQ(options, std::vector<std::string>{"hide"});
    EXPECT_EQ(count->Label1->text(), "37");
    EXPECT_EQ(count->pos(), QPoint((1024 - 89) / 2, (738 - 50) / 2));
    EXPECT_EQ(count->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(count->Timer1Tag, "Form2");

    count->Timer1_Timer();
    EXPECT_EQ(options, (std::vector<std::string>{"hide", "show"}));
    EXPECT_EQ(frmCount::loaded(), nullptr);
    processEvents();

    // A fresh window starts from its design state.
    frmCount* fresh = frmCount::instance();
    EXPECT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Label1->text(), "Label1");
    EXPECT_FALSE(fresh->Timer1->isActive());
    EXPECT_EQ(fresh->BackColor(), 0xC0E0FFu);
}

TEST_F(NoticeWindowsTest, CountWindowClosesItselfOnItsTimer) {
    frmCount* count = frmCount::instance();
    count->Timer1->setInterval(1); // the same tick, without the 1.2 s
    count->ShowCount("Form1");
    count->Timer1->setInterval(1);
    count->Timer1->start();
    EXPECT_TRUE(QTest::qWaitFor([] { return frmCount::loaded() == nullptr; }, 2000));
}

QColor pixel(const frmShutdown* window, int x, int y) {
    return window->image().pixelColor(x, y);
}

TEST_F(NoticeWindowsTest, ShutdownNoticePaintsItsGradientForTheDepth) {
    frmShutdown* notice = frmShutdown::instance();
    EXPECT_EQ(notice->size(), QSize(420, 143));
    EXPECT_EQ(notice->Label1->text(), "Windows will now");
    EXPECT_EQ(notice->Label2->text(), "");
    EXPECT_EQ(notice->Label1->font().family(), "Comic Sans MS");
    EXPECT_TRUE(notice->Label1->font().bold() && notice->Label1->font().italic());
    EXPECT_EQ(notice->Label1->font().pointSize(), 36);
    EXPECT_EQ(notice->Label1->palette().color(QPalette::WindowText), QColor(Qt::white));

    // Loaded on a 32-bit display: 256 bands.
    EXPECT_EQ(notice->Gradient.ScreenDepth, 32);
    EXPECT_EQ(notice->Gradient.GradientSteps, 256);
    EXPECT_EQ(pixel(notice, 419, 142), QColor(0, 0, 0));
    EXPECT_EQ(pixel(notice, 0, 0), QColor(0, 0, 142));

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
        EXPECT_EQ(pixel(notice, 419, 142), QColor(0, 0, 0)) << c.depth;
        EXPECT_EQ(pixel(notice, 0, 0), c.topLeft) << c.depth;
        EXPECT_EQ(pixel(notice, 4, 0), c.justRightOfThePureBlue) << c.depth;
    }

    notice->PaintGradient(3);
    EXPECT_TRUE(notice->image().isNull());
    EXPECT_EQ(notice->BackColor(), 0x7F0000u);
    const QImage shown = notice->grab().toImage();
    EXPECT_EQ(shown.pixelColor(10, 10), QColor(0, 0, 127));
}

TEST_F(NoticeWindowsTest, AlreadyRunningWindowEndsTheProgramOnOk) {
    frmErr* window = frmErr::instance();
    EXPECT_EQ(window->windowTitle(), "Quillon Error Information");
    EXPECT_EQ(window->Label1->text(), "Tidora Is Already Running, Click Icon On Task Bar");
    EXPECT_TRUE(window->Label1->wordWrap());
    EXPECT_EQ(window->Command1->text(), "OK");
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(224, 224, 224));
    EXPECT_FALSE(window->Image1->pixmap().isNull());
    EXPECT_EQ(window->size(), QSize(295, 91));
    EXPECT_FALSE(window->Timer1->isActive());

    window->Form_Load();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 5000);

    QTest::mouseClick(window->Command1, Qt::LeftButton);
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(frmErr::loaded(), nullptr);
    processEvents();
}

TEST_F(NoticeWindowsTest, AlreadyRunningWindowEndsTheProgramOnItsTimer) {
    frmErr* window = frmErr::instance();
    window->Form_Load();
    window->Timer1_Timer();
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(frmErr::loaded(), nullptr);
}

} // namespace
} // namespace tidorax::test

#include "desktop/windows/AboutWindow.h"
#include "core/notices/DonationAddress.h"
#include "core/notices/InternetConnection.h"
#include "desktop/WindowPlacement.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QScreen>

#include <tuple>

namespace tidorax::test {
namespace {

class AboutWindowTest : public GuiTest {
protected:
    AboutWindow* openAbout() {
        controller->loadAboutWindow();
        return shown<AboutWindow>("AboutWindow");
    }
    // The window's state: "shown"/"hidden", button, which text shows, timer.
    static std::string stateOf(const AboutWindow* about) {
        return std::string(about->isVisible() ? "shown" : "hidden") +
               (about->donateButton->isEnabled() ? " enabled" : " disabled") +
               (about->aboutLabel->isVisibleTo(about) ? " about" : "") +
               (about->connectingLabel->isVisibleTo(about) ? " connecting" : "") +
               (about->closeTimer->isActive() ? " closing" : "");
    }
};

TEST(WindowPlacementTest, AWindowShrinksToTheUsableAreaAndMovesOntoIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // Too large and off the top left; off the bottom; twice the area, centred; off the right, centred.
    const std::tuple<QSize, QPoint, bool> cases[] = {{{3000, 2000}, {-500, -400}, false},
                                                     {{300, 200}, {-50, area.bottom()}, false},
                                                     {area.size() * 2, {0, 0}, true},
                                                     {{300, 200}, {area.right(), 10}, true}};
    for (const auto& [size, place, centred] : cases) {
        QWidget window;
        window.resize(size);
        window.move(place);
        FitOnScreen(&window, centred);
        EXPECT_TRUE(area.contains(window.frameGeometry())) << window.x() << "," << window.y();
        EXPECT_TRUE(size.width() > 300 || window.size() == size); // one that fits keeps its size
    }
}

TEST_F(AboutWindowTest, ShowsItsDesignClosesOnEscapeAndTheDonationButtonOpensThePageOnlyWhenConnected) {
    const std::string lan = ConnectionText(Reachability::Online, false);
    const std::string open = "open " + DonationPageAddress("donations@quillon.example");
    const std::string offline =
        box("You Must Be Connected To The Internet To Use This Button", MB_OK_INFORMATION);
    const std::string noBrowser =
        box("No Web Browser Could Be Started To Open The Donation Page", MB_OK_INFORMATION);
    // What the system says of the network, whether a browser takes the page, each launch
    // and each box with the window's state meanwhile, and the window after the click.
    const std::tuple<std::string, bool, std::vector<std::string>, std::string> cases[] = {
        {"Not Connected", true, {offline + " while hidden enabled about"}, "shown enabled about"},
        {lan, true, {open}, "shown disabled connecting closing"},
        {lan, false, {open, noBrowser + " while shown disabled connecting"}, "shown enabled about"},
    };
    AboutWindow* about = openAbout();
    EXPECT_EQ((QStringList{about->windowTitle(), about->nameLabel->text(), about->versionLabel->text(),
                           about->connectingLabel->text(), about->donateButton->text()}
                   .join(QStringLiteral("|"))
                   .toStdString()),
              "  Quillon Tidorax----About File|Quillon Tidorax Utility|Version  3.0|Connecting\nPlease "
              "Wait|Click Here To Make A Donation");
    // Escape closes the window as its close box does.
    ASSERT_TRUE(activated(about));
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_EQ(loaded("AboutWindow"), nullptr);
    for (const auto& [network, browser, events, after] : cases) {
        seen.clear();
        browserAvailable = browser;
        connection = network;
        about = openAbout();
        fake().messageBoxHandler = [this, about](const std::string& prompt, int buttons,
                                                 const std::string& title) {
            seen.push_back(prompt + "|" + std::to_string(buttons) + "|" + title + " while " + stateOf(about));
            return IDOK;
        };
        QTest::keyClick(about->donateButton, Qt::Key_Return); // as a click does
        EXPECT_EQ(seen, events);
        EXPECT_EQ(stateOf(about), after);
        about->closeTimerElapsed(); // what the timer does half a second after the hand-over
        EXPECT_EQ(loaded("AboutWindow"), nullptr);
    }
}

} // namespace
} // namespace tidorax::test

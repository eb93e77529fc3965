#include "desktop/windows/AboutWindow.h"
#include "core/notices/DonationAddress.h"
#include "core/notices/InternetConnection.h"
#include "desktop/TrayController.h"
#include "desktop/WindowPlacement.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <QScreen>

#include <memory>

namespace tidorax::test {
namespace {

class AboutWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        DesktopServices given = services();
        given.connectionText = [this](const QUrl&) { return connection; };
        controller = std::make_unique<TrayController>(given);
    }
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

    // What the system says of the network.
    std::string connection = ConnectionText(Reachability::Online, false);
    std::unique_ptr<TrayController> controller;
};

TEST_F(AboutWindowTest, TheAboutCommandShowsTheDesignedWindow) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ((QStringList{about->windowTitle(), about->nameLabel->text(), about->versionLabel->text(),
                           about->connectingLabel->text(), about->donateButton->text()}
                   .join(QStringLiteral("|"))
                   .toStdString()),
              "  Quillon Tidorax----About File|Quillon Tidorax Utility|Version  3.0|Connecting\nPlease "
              "Wait|Click Here To Make A Donation");
    EXPECT_EQ(stateOf(about), "shown enabled about");
    EXPECT_EQ(AboutWindow::donationAddress(), DonationPageAddress("donations@quillon.example"));
    // Each line of the connecting text fits the label; the window has the program's icon.
    for (const QString& line : about->connectingLabel->text().split('\n')) {
        EXPECT_LE(about->connectingLabel->fontMetrics().horizontalAdvance(line),
                  about->connectingLabel->width());
    }
    EXPECT_FALSE(about->windowIcon().isNull());
    EXPECT_TRUE(about->screen()->availableGeometry().contains(about->frameGeometry()));
    // Return presses the focused button; Escape closes the window as its close box does.
    connection = "Not Connected";
    QTest::keyClick(about->donateButton, Qt::Key_Return);
    EXPECT_EQ(boxes().size(), 1u);
    ASSERT_TRUE(activated(about));
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_EQ(loaded("AboutWindow"), nullptr);
}

TEST(WindowPlacementTest, AWindowShrinksToTheUsableAreaAndMovesOntoIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        QSize size;
        QPoint place;
        bool centred;
    } cases[] = {
        {{3000, 2000}, {-500, -400}, false},
        {{300, 200}, {-50, area.bottom()}, false},
        {area.size() * 2, {0, 0}, true},
        {{300, 200}, {area.right(), 10}, true},
    };
    for (const auto& c : cases) {
        QWidget window;
        window.resize(c.size);
        window.move(c.place);
        FitOnScreen(&window, c.centred);
        EXPECT_TRUE(area.contains(window.frameGeometry())) << window.x() << "," << window.y();
        EXPECT_TRUE(c.size.width() > 300 || window.size() == c.size); // one that fits keeps its size
    }
}

TEST_F(AboutWindowTest, TheDonationButtonOpensThePageOnlyWhenConnected) {
    const std::string lan = ConnectionText(Reachability::Online, false);
    const std::string open = "open " + AboutWindow::donationAddress();
    const std::string offline =
        box("You Must Be Connected To The Internet To Use This Button", MB_OK_INFORMATION);
    const std::string noBrowser =
        box("No Web Browser Could Be Started To Open The Donation Page", MB_OK_INFORMATION);
    const struct {
        std::string connection;
        bool browser;
        std::vector<std::string> events; // each launch, each box with the window's state meanwhile
        std::string after;               // the window after the click
    } cases[] = {
        {"Not Connected", true, {offline + " while hidden enabled about"}, "shown enabled about"},
        {lan, true, {open}, "shown disabled connecting closing"},
        {lan, false, {open, noBrowser + " while shown disabled connecting"}, "shown enabled about"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connection);
        seen.clear();
        browserAvailable = c.browser;
        connection = c.connection;
        AboutWindow* about = openAbout();
        fake().messageBoxHandler = [this, about](const std::string& prompt, int buttons,
                                                 const std::string& title) {
            seen.push_back(prompt + "|" + std::to_string(buttons) + "|" + title + " while " + stateOf(about));
            return IDOK;
        };
        about->donateButton->click();
        EXPECT_EQ(seen, c.events);
        EXPECT_EQ(stateOf(about), c.after);
        about->closeTimerElapsed(); // what the timer does half a second after the hand-over
        EXPECT_EQ(loaded("AboutWindow"), nullptr);
    }
}

} // namespace
} // namespace tidorax::test

#include "desktop/windows/AboutWindow.h"
#include "desktop/BrowserLauncher.h"
#include "desktop/NetworkState.h"
#include "desktop/WindowOpeners.h"
#include "desktop/windows/HelpAndAboutOpeners.h"
#include "tests/desktop/DesktopTestSupport.h"

namespace tidorax::test {
namespace {

const char* const kMustBeConnected =
    "You Must Be Connected To The Internet To Use This Button|64|Quillon Info.....";
const char* const kNoBrowser =
    "No Web Browser Could Be Started To Open The Donation Page|64|Quillon Info.....";

class AboutWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        RegisterHelpAndAboutWindows();
        BrowserLauncher::setHandler([this](const QUrl& address) {
            launched.push_back(address.toString().toStdString());
            return browserAvailable;
        });
    }
    void TearDown() override {
        BrowserLauncher::setHandler(nullptr);
        NetworkState::setSource(nullptr);
        GuiTest::TearDown();
    }
    // "prompt|flags|title" of each box, and whether the About window showed meanwhile.
    std::vector<std::string> boxes() const {
        std::vector<std::string> shown;
        for (const auto& box : fakePlatform().shownBoxes) {
            shown.push_back(box.prompt + "|" + std::to_string(box.buttons) + "|" + box.title);
        }
        return shown;
    }
    static AboutWindow* openAbout() {
        WindowOpeners::LoadAboutWindow();
        return AboutWindow::loaded();
    }
    // The window's state: "shown"/"hidden", button, which text shows, timer.
    static std::string stateOf(const AboutWindow* about) {
        if (about == nullptr) {
            return "closed";
        }
        return std::string(about->isVisible() ? "shown" : "hidden") +
               (about->donateButton->isEnabled() ? " enabled" : " disabled") +
               (about->aboutLabel->isVisibleTo(about) ? " about" : "") +
               (about->connectingLabel->isVisibleTo(about) ? " connecting" : "") +
               (about->closeTimer->isActive() ? " closing" : "");
    }

    bool browserAvailable = true;
    std::vector<std::string> launched;
};

TEST_F(AboutWindowTest, TheAboutCommandShowsTheDesignedWindow) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), "  Quillon Tidorax----About File");
    EXPECT_EQ(about->nameLabel->text(), "Quillon Tidorax Utility");
    EXPECT_EQ(about->versionLabel->text(), "Version  3.0");
    EXPECT_EQ(about->connectingLabel->text(), "    Connecting      Please Wait");
    EXPECT_EQ(about->donateButton->text(), "Click Here To Make A Donation");
    EXPECT_EQ(about->pictureLabel->pixmap().size(), QSize(150, 180));
    EXPECT_EQ(about->aboutLabel->parentWidget(), about->aboutFrame);
    EXPECT_EQ(about->connectingLabel->parentWidget(), about->aboutFrame);
    for (const char* words : {"free", "donation", "button below", "active Internet connection"}) {
        EXPECT_TRUE(about->aboutLabel->text().contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_EQ(stateOf(about), "shown enabled about");
    EXPECT_EQ(AboutWindow::donationAddress(),
              "https://www.paypal.com/xclick/business=donations@quillon.example"
              "&no_note=1&tax=0&currency_code=USD");
}

TEST_F(AboutWindowTest, TheDonationButtonOpensThePageOnlyWhenConnected) {
    const std::string lan = ConnectionText(Reachability::Online, false);
    const std::string page = AboutWindow::donationAddress();
    struct Case {
        const char* what;
        std::string connection;
        bool browser;
        std::vector<std::string> boxes;
        std::vector<std::string> launched;
        std::string during; // the window while the box shows
        std::string after;  // the window after the click
    };
    const Case cases[] = {
        {"not connected",
         "Not Connected",
         true,
         {kMustBeConnected},
         {},
         "hidden enabled about",
         "shown enabled about"},
        {"LAN", lan, true, {}, {page}, "", "shown disabled connecting closing"},
        {"state unknown", "", true, {}, {page}, "", "shown disabled connecting closing"},
        {"no browser", lan, false, {kNoBrowser}, {page}, "shown disabled connecting", "shown enabled about"},
    };
    for (const Case& c : cases) {
        fake().shownBoxes.clear();
        launched.clear();
        browserAvailable = c.browser;
        NetworkState::setSource([&c] { return c.connection; });
        AboutWindow* about = openAbout();
        std::string during;
        fake().messageBoxHandler = [&during, about](const std::string&, int, const std::string&) {
            during = stateOf(about);
            return IDOK;
        };
        about->donateButton->click();
        fake().messageBoxHandler = nullptr;
        EXPECT_EQ(boxes(), c.boxes) << c.what;
        EXPECT_EQ(launched, c.launched) << c.what;
        EXPECT_EQ(during, c.during) << c.what;
        EXPECT_EQ(stateOf(AboutWindow::loaded()), c.after) << c.what;
        if (about->closeTimer->isActive()) {
            // Half a second after the hand-over the window closes.
            EXPECT_EQ(about->closeTimer->interval(), 500) << c.what;
            about->closeTimerElapsed();
            EXPECT_EQ(stateOf(AboutWindow::loaded()), "closed") << c.what;
        } else {
            about->close();
        }
        processEvents();
        // Opened again, it starts from its design.
        EXPECT_EQ(stateOf(openAbout()), "shown enabled about") << c.what;
        AboutWindow::loaded()->close();
        processEvents();
    }
}

TEST_F(AboutWindowTest, QtReachabilityMapsOntoTheConnectionStates) {
    using QtState = QNetworkInformation::Reachability;
    const std::pair<QtState, Reachability> cases[] = {
        {QtState::Unknown, Reachability::Unknown}, {QtState::Disconnected, Reachability::Disconnected},
        {QtState::Local, Reachability::Local},     {QtState::Site, Reachability::Site},
        {QtState::Online, Reachability::Online},
    };
    for (const auto& [qt, state] : cases) {
        EXPECT_EQ(ReachabilityFrom(qt), state) << static_cast<int>(qt);
    }
}

} // namespace
} // namespace tidorax::test

#include "desktop/windows/AboutWindow.h"
#include "core/notices/DonationAddress.h"
#include "desktop/NetworkState.h"
#include "desktop/windows/HelpAndAboutOpeners.h"
#include "tests/desktop/DesktopTestSupport.h"

namespace tidorax::test {
namespace {

class AboutWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        RegisterHelpAndAboutWindows();
    }
    void TearDown() override {
        NetworkState::setSource(nullptr);
        GuiTest::TearDown();
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
};

TEST_F(AboutWindowTest, TheAboutCommandShowsTheDesignedWindow) {
    AboutWindow* about = openAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(
        (QStringList{about->windowTitle(), about->nameLabel->text(), about->versionLabel->text(),
                     about->connectingLabel->text(), about->donateButton->text()}
             .join(QStringLiteral("|"))
             .toStdString()),
        "  Quillon Tidorax----About File|Quillon Tidorax Utility|Version  3.0|    Connecting      Please "
        "Wait|Click Here To Make A Donation");
    EXPECT_EQ(about->pictureLabel->pixmap().size(), QSize(150, 180));
    for (const char* words : {"free", "donation", "button below", "active Internet connection"}) {
        EXPECT_TRUE(about->aboutLabel->text().contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_EQ(stateOf(about), "shown enabled about");
    EXPECT_EQ(AboutWindow::donationAddress(), DonationPageAddress("donations@quillon.example"));
}

TEST_F(AboutWindowTest, TheDonationButtonOpensThePageOnlyWhenConnected) {
    const std::string lan = ConnectionText(Reachability::Online, false);
    const std::string open = "open " + AboutWindow::donationAddress();
    const std::string closing = "shown disabled connecting closing";
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
        {lan, true, {open}, closing},
        {"", true, {open}, closing}, // the state is unknown
        {lan, false, {open, noBrowser + " while shown disabled connecting"}, "shown enabled about"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connection);
        seen.clear();
        browserAvailable = c.browser;
        NetworkState::setSource([&c] { return c.connection; });
        AboutWindow* about = openAbout();
        fake().messageBoxHandler = [this, about](const std::string& prompt, int buttons,
                                                 const std::string& title) {
            seen.push_back(prompt + "|" + std::to_string(buttons) + "|" + title + " while " + stateOf(about));
            return IDOK;
        };
        about->donateButton->click();
        fake().messageBoxHandler = nullptr;
        EXPECT_EQ(seen, c.events);
        EXPECT_EQ(stateOf(AboutWindow::loaded()), c.after);
        if (about->closeTimer->isActive()) {
            // Half a second after the hand-over the window closes.
            EXPECT_EQ(about->closeTimer->interval(), 500);
            about->closeTimerElapsed();
            EXPECT_EQ(stateOf(AboutWindow::loaded()), "closed");
        } else {
            about->close();
        }
        processEvents();
        // Opened again, it starts from its design.
        EXPECT_EQ(stateOf(openAbout()), "shown enabled about");
        AboutWindow::loaded()->close();
        processEvents();
    }
}

} // namespace
} // namespace tidorax::test

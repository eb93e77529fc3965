#include "desktop/QtScreen.h"
#include "desktop/TrayWindow.h"
#include "desktop/windows/ConfigurationLoadingNotice.h"
#include "desktop/windows/HelpAndAboutOpeners.h"
#include "desktop/windows/HelpLoadingNotice.h"
#include "desktop/windows/HelpWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

namespace tidorax::test {
namespace {

class FirstRunNoticesTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        RegisterHelpAndAboutWindows();
        WindowOpeners::showOptionsWindow = [this] { ++optionsShown; };
    }
    // A help document with a link inside it and one to the web.
    std::string installLinkedHelp() {
        return installHelp("<html><head><title>Help</title></head><body><a href=\"#end\">end</a>"
                           "<a href=\"https://quillon.example/\">web</a><p style=\"height:3000px\">x</p>"
                           "<h2 id=\"end\">End</h2></body></html>");
    }

    // Drives the notice's two timers, one running at a time, until the count is over;
    // returns the counter as each tick of countTimer left it.
    static std::vector<std::string> countToTheEnd(CountingNotice* notice) {
        std::vector<std::string> counts{notice->counterLabel->text().toStdString()};
        for (int tick = 0; tick < 10 && notice->isVisible(); ++tick) {
            EXPECT_TRUE(notice->countTimer->isActive() && !notice->restTimer->isActive());
            notice->countTimerElapsed();
            counts.push_back(notice->counterLabel->text().toStdString());
            if (notice->isVisible()) {
                EXPECT_TRUE(notice->restTimer->isActive() && !notice->countTimer->isActive());
                notice->restTimerElapsed();
            }
        }
        EXPECT_FALSE(notice->countTimer->isActive() || notice->restTimer->isActive());
        return counts;
    }
    template <typename Notice> static CountingNotice* load() {
        Notice::instance()->load();
        return Notice::loaded();
    }

    static std::string firstRun() { return Settings.GetSetting("CleanPath", "FirstRun", "(absent)"); }

    int optionsShown = 0;
};

TEST_F(FirstRunNoticesTest, EachNoticeShowsItsDesignAndCountsOneToFive) {
    const struct {
        const char* name;
        CountingNotice* (*load)();
        const char* message;
        int interval;
        double widthTwips, heightTwips;
    } cases[] = {
        {"help", load<HelpLoadingNotice>,
         "      Help File Loading              Please Read The         \"Main Program Operation\"", 350, 4725,
         2280},
        {"configuration", load<ConfigurationLoadingNotice>, "Configuration File          Loading!", 250, 3405,
         1725},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingNotice* notice = c.load();
        ASSERT_TRUE(notice != nullptr && notice->isVisible());
        EXPECT_EQ(notice->messageLabel->text().toStdString(), c.message);
        EXPECT_EQ(notice->size(), QSize(TwipsToPixels(c.widthTwips, TwipsPerPixelX()),
                                        TwipsToPixels(c.heightTwips, TwipsPerPixelY())));
        EXPECT_EQ(notice->countTimer->interval() + notice->restTimer->interval(), 2 * c.interval);
        EXPECT_EQ(countToTheEnd(notice), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
        EXPECT_FALSE(notice->isVisible());
        processEvents();
    }
    // Without a help document the help notice goes straight on to its pause; the
    // configuration notice has shown the options window and closed.
    ASSERT_NE(HelpLoadingNotice::loaded(), nullptr);
    EXPECT_TRUE(HelpLoadingNotice::loaded()->pauseTimer->isActive());
    EXPECT_EQ(HelpLoadingNotice::loaded()->pauseTimer->interval(), 100);
    EXPECT_EQ(optionsShown, 1);
    EXPECT_EQ(ConfigurationLoadingNotice::loaded(), nullptr);
}

TEST_F(FirstRunNoticesTest, TheFirstRunWaitsForTheHelpAndIsNotOverWhenTheProgramEndsMeanwhile) {
    const std::string help = installLinkedHelp();
    TrayWindow form(operations, actions, shutdown);
    form.load();
    HelpLoadingNotice* notice = HelpLoadingNotice::loaded();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(countToTheEnd(notice).back(), "6");
    // The help is up and the notice waits for it, however long the user reads.
    ASSERT_NE(HelpWindow::loaded(), nullptr);
    EXPECT_EQ(HelpWindow::loaded()->document().toLocalFile().toStdString(), help);
    EXPECT_TRUE(notice->waitingForHelp());
    EXPECT_FALSE(notice->pauseTimer->isActive());
    EXPECT_EQ(ConfigurationLoadingNotice::loaded(), nullptr);
    form.unload(); // closes the help window and the waiting notice
    processEvents();
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(HelpWindow::loaded(), nullptr);
    EXPECT_EQ(HelpLoadingNotice::loaded(), nullptr);
    EXPECT_EQ(firstRun(), "(absent)"); // the next start begins it again
}

TEST_F(FirstRunNoticesTest, HelpWindowFollowsLinksGoesBackAndOpensInTheBrowser) {
    EXPECT_EQ(HelpWindow::showHelp(), nullptr); // no help document anywhere
    const std::string help = installLinkedHelp();
    HelpWindow* window = HelpWindow::showHelp();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(HelpWindow::showHelp(), window); // one help window
    EXPECT_EQ(window->browser->source().toLocalFile().toStdString(), help);
    EXPECT_FALSE(window->backButton->isEnabled());

    window->followLink(QUrl(QStringLiteral("#end")));
    EXPECT_EQ(window->browser->source().fragment(), "end");
    EXPECT_TRUE(window->backButton->isEnabled());
    window->backButton->click();
    EXPECT_TRUE(window->browser->source().fragment().isEmpty());

    window->followLink(QUrl(QStringLiteral("https://quillon.example/")));
    window->openInBrowserButton->click();
    browserAvailable = false;
    window->openInBrowserButton->click();
    const std::string file = "open file://" + help;
    EXPECT_EQ(seen, (std::vector<std::string>{"open https://quillon.example/", file, file}));
    EXPECT_EQ(boxes(),
              std::vector{box("No Web Browser Could Be Started To Open The Help File", MB_OK_INFORMATION)});
    EXPECT_TRUE(window->isVisible()); // a link never leaves the window

    window->closeButton->click();
    EXPECT_EQ(HelpWindow::loaded(), nullptr);
}

} // namespace
} // namespace tidorax::test

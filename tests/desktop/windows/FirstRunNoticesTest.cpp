#include "desktop/TrayWindow.h"
#include "desktop/windows/HelpLoadingNotice.h"
#include "desktop/windows/HelpWindow.h"
#include "tests/desktop/DesktopTestSupport.h"

#include <tuple>

namespace tidorax::test {
namespace {

class FirstRunNoticesTest : public GuiTest {
protected:
    // A help document with a link inside it and one to the web.
    std::string installLinkedHelp() {
        return installHelp("<html><head><title>Help</title></head><body><a href=\"#end\">end</a>"
                           "<a href=\"https://quillon.example/\">web</a><p style=\"height:3000px\">x</p>"
                           "<h2 id=\"end\">End</h2></body></html>");
    }

    // Ticks the notice's two timers in turn while they run; the counter after each count.
    static std::vector<std::string> countToTheEnd(CountingNotice* notice) {
        std::vector<std::string> counts{notice->counterLabel->text().toStdString()};
        while (notice->countTimer->isActive() && counts.size() < 10) {
            notice->countTimerElapsed();
            counts.push_back(notice->counterLabel->text().toStdString());
            if (notice->restTimer->isActive()) {
                notice->restTimerElapsed();
            }
        }
        EXPECT_FALSE(notice->isVisible() || notice->restTimer->isActive());
        return counts;
    }
    // A notice of the first run, loaded; nullptr when none.
    static CountingNotice* notice(const char* objectName) { return shown<CountingNotice>(objectName, false); }
};

TEST_F(FirstRunNoticesTest, EachNoticeShowsItsMessageAndCountsOneToFive) {
    const std::tuple<void (TrayController::*)(), const char*, std::string> cases[] = {
        {&TrayController::showHelpMessage, "HelpLoadingNotice",
         "      Help File Loading              Please Read The         \"Main Program Operation\""},
        {&TrayController::showConfigurationMessage, "ConfigurationLoadingNotice",
         "Configuration File          Loading!"},
    };
    for (const auto& [load, objectName, message] : cases) {
        (controller.get()->*load)();
        CountingNotice* shownNotice = shown<CountingNotice>(objectName);
        ASSERT_NE(shownNotice, nullptr);
        EXPECT_EQ(shownNotice->messageLabel->text().toStdString(), message);
        EXPECT_EQ(countToTheEnd(shownNotice), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
    }
    // Without a help document the help notice goes straight on to its pause; the
    // configuration notice has shown the options window and closed.
    auto* help = qobject_cast<HelpLoadingNotice*>(notice("HelpLoadingNotice"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->pauseTimer->isActive());
    EXPECT_NE(shown("optionsWindow"), nullptr);
    EXPECT_EQ(shown("ConfigurationLoadingNotice"), nullptr);
}

TEST_F(FirstRunNoticesTest, TheFirstRunWaitsForTheHelpAndIsNotOverWhenTheProgramEndsMeanwhile) {
    const std::string help = installLinkedHelp();
    Settings.SaveSetting("CleanPath", "FirstRun", "no"); // not the word that ends the first run
    controller->load();
    auto* waiting = qobject_cast<HelpLoadingNotice*>(notice("HelpLoadingNotice"));
    ASSERT_NE(waiting, nullptr);
    countToTheEnd(waiting);
    // The help is up and the notice waits for it, however long the user reads.
    const auto* window = shown<HelpWindow>("HelpWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->document().toLocalFile().toStdString(), help);
    EXPECT_TRUE(waiting->waitingForHelp());
    EXPECT_FALSE(waiting->pauseTimer->isActive());
    EXPECT_EQ(notice("ConfigurationLoadingNotice"), nullptr);
    controller->trayWindow()->unload(); // closes the help window and the waiting notice
    EXPECT_EQ(programEnds, 1);
    EXPECT_EQ(loaded("HelpWindow"), nullptr);
    EXPECT_EQ(loaded("HelpLoadingNotice"), nullptr);
    EXPECT_EQ(Settings.GetSetting("CleanPath", "FirstRun"), "no"); // the next start begins it again
}

TEST_F(FirstRunNoticesTest, HelpWindowFollowsLinksGoesBackAndOpensInTheBrowser) {
    EXPECT_EQ(controller->showHelp(), nullptr); // no help document anywhere
    const std::string help = installLinkedHelp();
    HelpWindow* window = controller->showHelp();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(controller->showHelp(), window); // one help window
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
    EXPECT_EQ(loaded("HelpWindow"), nullptr);
}

} // namespace
} // namespace tidorax::test

#include "core/notices/DonationAddress.h"
#include "core/notices/HelpFile.h"
#include "core/notices/InternetConnection.h"
#include "tests/support/PlatformFixture.h"

#include <filesystem>

namespace tidorax::test {
namespace {

TEST(NoticeTextTest, TheTextsTheNoticesShow) {
    const std::string lan = "You have a network connection configured.\r\n"
                            "The local system connects to the Internet via a LAN";
    const std::tuple<Reachability, bool, std::string> cases[] = {
        {Reachability::Disconnected, true, "Not Connected"},
        // No source of the state: counts as connected.
        {Reachability::Unknown, false, ""},
        {Reachability::Online, false, lan + "."},
        {Reachability::Online, true, lan + ", and uses a proxy server. "},
    };
    for (const auto& [state, proxy, text] : cases) {
        EXPECT_EQ(ConnectionText(state, proxy), text) << static_cast<int>(state) << proxy;
    }
    // What would break the page address is encoded, nothing else.
    EXPECT_EQ(DonationPageAddress("a.b-c_d+e&amount=9 b#c?d/e%f@x.example"),
              "https://www.paypal.com/xclick/business=a.b-c_d+e%26amount%3D9%20b%23c%3Fd%2Fe%25f@x.example"
              "&no_note=1&tax=0&currency_code=USD");
}

using HelpFileTest = PlatformFixture;

TEST_F(HelpFileTest, FoundBesideTheExecutableElseInTheInstalledDataFolder) {
    fake().programFolderPath = "";
    EXPECT_EQ(HelpFilePath(), "");
    fake().programFolderPath = tmp / "bin";
    makeDirs(tmp / "bin/Tidora.html"); // a folder by the name is no document
    writeFile(tmp / "share/Tidora.html");
    EXPECT_EQ(HelpFilePath(), "");
    writeFile(tmp / "share/tidorax/Tidora.html");
    EXPECT_EQ(HelpFilePath(), tmp / "share/tidorax/Tidora.html");
    // Beside the executable wins.
    std::filesystem::remove(tmp / "bin/Tidora.html");
    writeFile(tmp / "bin/Tidora.html");
    EXPECT_EQ(HelpFilePath(), tmp / "bin/Tidora.html");
}

} // namespace
} // namespace tidorax::test

#include "core/notices/DonationAddress.h"
#include "core/notices/HelpFile.h"
#include "core/notices/InternetConnection.h"
#include "tests/support/PlatformFixture.h"

namespace tidorax::test {
namespace {

TEST(ConnectionTextTest, OnlyADisconnectedStateReadsNotConnected) {
    const std::string lan = "You have a network connection configured.\r\n"
                            "The local system connects to the Internet via a LAN";
    const std::tuple<Reachability, bool, std::string> cases[] = {
        {Reachability::Disconnected, false, "Not Connected"},
        {Reachability::Disconnected, true, "Not Connected"},
        // No source of the state: counts as connected.
        {Reachability::Unknown, false, ""},
        {Reachability::Local, false, lan + "."},
        {Reachability::Online, false, lan + "."},
        {Reachability::Online, true, lan + ", and uses a proxy server. "},
    };
    for (const auto& [state, proxy, text] : cases) {
        EXPECT_EQ(ConnectionText(state, proxy), text) << static_cast<int>(state) << proxy;
    }
}

TEST(DonationAddressTest, BuildsThePageAddressAndEncodesWhatWouldBreakIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"donations@quillon.example", "donations@quillon.example"},
        {"a.b-c_d+e@x.example", "a.b-c_d+e@x.example"},
        {"me&amount=999@x.example", "me%26amount%3D999@x.example"},
        {"a b#c?d/e%f", "a%20b%23c%3Fd%2Fe%25f"},
    };
    for (const auto& [account, encoded] : cases) {
        EXPECT_EQ(DonationPageAddress(account), std::string("https://www.paypal.com/xclick/business=") +
                                                    encoded + "&no_note=1&tax=0&currency_code=USD")
            << account;
    }
}

using HelpFileTest = PlatformFixture;

TEST_F(HelpFileTest, FoundBesideTheExecutableElseInTheInstalledDataFolder) {
    // What: the files below the case's folder, and the one found ("" for none).
    const std::tuple<const char*, std::vector<std::string>, std::string> cases[] = {
        {"beside", {"bin/Tidora.html"}, "bin/Tidora.html"},
        {"installed", {"share/tidorax/Tidora.html"}, "share/tidorax/Tidora.html"},
        {"both: beside wins", {"bin/Tidora.html", "share/tidorax/Tidora.html"}, "bin/Tidora.html"},
        {"neither", {"share/Tidora.html", "bin/share/tidorax/Tidora.html"}, ""},
        // A folder by the name is no document.
        {"a folder", {"bin/Tidora.html/x"}, ""},
    };
    for (const auto& [what, files, expected] : cases) {
        const std::string root = tmp / what;
        makeDirs(root + "/bin");
        for (const std::string& file : files) {
            writeFile(root + "/" + file);
        }
        fake().programFolderPath = root + "/bin";
        EXPECT_EQ(HelpFilePath(), expected.empty() ? "" : root + "/" + expected) << what;
    }
    fake().programFolderPath = "";
    EXPECT_EQ(HelpFilePath(), "");
}

} // namespace
} // namespace tidorax::test

// "tidorax A" as a user runs it: the settings in the hive choose what is cleaned.
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tidorax::test {
namespace {

TEST(CleanEndToEndTest, CleanModeCleansWhatTheSettingsSelectAndNothingElse) {
    TempDir dir;
    const auto env = sandboxEnvironment(dir.path());
    const std::string cookies = dir / "home/Cookies";
    for (const char* file :
         {"cache/site/page.html", "tmp/sub/b.tmp", "home/Cookies/index.dat", "home/Cookies/user@a[1].txt",
          "home/Cookies/user@saved[1].txt", "home/Mine/sub/doc.txt", "home/Other/doc.txt", "outside/x"}) {
        writeFile(dir / file);
    }
    writeFile(dir / "tmp/held.tmp", "held");
    HeldFile holder(dir / "tmp/held.tmp", HeldFile::Hold::Open); // in use: it stays
    ::symlink((dir / "outside").c_str(), (dir / "tmp/sub/link").c_str());
    const std::string settings = "HKCU\\Software\\Quillon Software\\Tidora\\";
    for (const auto& [key, name, data] : std::vector<std::array<std::string, 3>>{
             {settings + "CleanPath", "InternetFiles", "Yes"},
             {settings + "CleanPath", "CookieFiles", "Yes"},
             {settings + "CleanPath", "TempFiles", "Yes"},
             {settings + "CleanPath", "UserFolder", "Yes"},
             {settings + "UserFolder", "File0", dir / "home/Mine"},
             {settings + "UserFolder", "File1", dir / "home"}, // refused: it is the home folder
             {settings + "SavedCookies", "Cookie0", cookies + "/user@saved[1].txt"},
             {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies",
              cookies}}) {
        const auto added = runProcess({TIDORAX_REG_BINARY, "add", key, "/v", name, "/d", data, "/f"}, env);
        ASSERT_EQ(added.exitCode, 0) << key << " " << name << ": " << added.err;
    }

    const auto run = runProcess({TIDORAX_BINARY, "A"}, env);

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "tidorax: The folder \"" + dir / "home" +
                           "\" was not cleaned: it is or holds the home folder (" + dir / "home" + ").\n");
    EXPECT_EQ(sorted(ListFilesBelow(dir / "home")),
              below(dir / "home", {"Cookies/index.dat", "Cookies/user@saved[1].txt", "Other/doc.txt"}));
    EXPECT_EQ(ListFilesBelow(dir / "tmp"), FileList{dir / "tmp/held.tmp"});
    EXPECT_EQ(treeEntries(dir / "outside"), (Tree{{"x", "f:x"}}));
    EXPECT_EQ(treeEntries(dir / "cache"), (Tree{{"site", "d"}}));
    EXPECT_EQ(treeEntries(dir / "home/Mine"), Tree{});
}

} // namespace
} // namespace tidorax::test

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
    const std::string cache = dir / "cache";
    const std::string temp = dir / "tmp";
    const std::string cookies = dir / "home/Cookies";
    const std::string mine = dir / "home/Mine";
    for (const std::string& file :
         {cache + "/site/page.html", cache + "/.thumbnails/a.png", temp + "/a.tmp", temp + "/sub/deep/b.tmp",
          cookies + "/index.dat", cookies + "/user@saved[1].txt", cookies + "/user@special[4].txt",
          cookies + "/user@other[1].txt", mine + "/sub/doc.txt", dir / "outside/x"}) {
        writeFile(file);
    }
    writeFile(temp + "/held.tmp", "held");
    ::symlink((dir / "outside").c_str(), (cache + "/link").c_str());
    ::symlink((dir / "outside").c_str(), (temp + "/sub/link").c_str());
    const std::string settings = "HKCU\\Software\\Quillon Software\\Tidora\\";
    for (const auto& [key, name, data] : std::vector<std::array<std::string, 3>>{
             {settings + "CleanPath", "InternetFiles", "Yes"},
             {settings + "CleanPath", "CookieFiles", "Yes"},
             {settings + "CleanPath", "TempFiles", "Yes"},
             {settings + "CleanPath", "UserFolder", "Yes"},
             {settings + "UserFolder", "File0", mine},
             {settings + "SavedCookies", "Cookie0", cookies + "/user@saved[1].txt"},
             {settings + "SavedCookies", "Cookie1", cookies + "/user@special[1].txt"},
             {settings + "SpecialCookies", "Cookie0", "special"},
             {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "Cookies",
              cookies}}) {
        const auto added = runProcess({TIDORAX_REG_BINARY, "add", key, "/v", name, "/d", data, "/f"}, env);
        ASSERT_EQ(added.exitCode, 0) << key << " " << name << ": " << added.err;
    }
    HeldFile holder(temp + "/held.tmp", HeldFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    const auto run = runProcess({TIDORAX_BINARY, "A"}, env);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(treeEntries(dir / "outside"), (Tree{{"x", "f:x"}}));
    EXPECT_EQ(treeEntries(cache), (Tree{{".thumbnails", "d"}, {"site", "d"}}));
    EXPECT_EQ(treeEntries(temp), (Tree{{"held.tmp", "f:held"}}));
    EXPECT_EQ(treeEntries(cookies),
              (Tree{{"index.dat", "f:x"}, {"user@saved[1].txt", "f:x"}, {"user@special[4].txt", "f:x"}}));
    EXPECT_EQ(treeEntries(mine), Tree{});
    const auto saved = runProcess({TIDORAX_REG_BINARY, "query", settings + "SavedCookies"}, env);
    EXPECT_NE(saved.out.find(cookies + "/user@special[4].txt"), std::string::npos) << saved.out;
}

} // namespace
} // namespace tidorax::test

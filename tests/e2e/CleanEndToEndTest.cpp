// "tidorax A" as a user runs it: the settings in the hive choose what is cleaned.
#include "tests/support/EngineTestSupport.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tidorax {
namespace {

using test::ChildHoldingFile;
using test::TempDir;
using test::Tree;
using test::treeEntries;
using test::writeFile;

const std::string kSettings = "HKCU\\Software\\Quillon Software\\Tidora";
const std::string kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void addValue(const std::map<std::string, std::string>& env, const std::string& key, const std::string& name,
              const std::string& data) {
    const auto added =
        test::runProcess({TIDORAX_REG_BINARY, "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f"}, env);
    ASSERT_EQ(added.exitCode, 0) << key << " " << name << ": " << added.err;
}

TEST(CleanEndToEndTest, CleanModeCleansWhatTheSettingsSelectAndNothingElse) {
    TempDir dir;
    const auto env = test::sandboxEnvironment(dir.path());
    const std::string cache = dir / "cache";
    const std::string temp = dir / "tmp";
    const std::string cookies = dir / "home/Cookies";
    const std::string mine = dir / "home/Mine";

    writeFile(dir / "outside/precious.txt", "precious");
    writeFile(dir / "outside/inner/precious2.txt", "precious");
    const Tree outside = treeEntries(dir / "outside");

    for (const std::string& file :
         {cache + "/site/page.html", cache + "/.thumbnails/big/a.png", cache + "/top.bin", temp + "/a.tmp",
          temp + "/.hidden.tmp", temp + "/sub/deep/b.tmp", cookies + "/index.dat",
          cookies + "/user@saved[1].txt", cookies + "/user@special[4].txt", cookies + "/user@other[1].txt",
          cookies + "/sub/user@deeper[1].txt", mine + "/doc.txt", mine + "/sub/doc2.txt",
          dir / "home/NotListed/doc.txt"}) {
        writeFile(file);
    }
    writeFile(temp + "/held.tmp", "held");
    ::symlink((dir / "outside").c_str(), (cache + "/link").c_str());
    ::symlink((dir / "outside").c_str(), (temp + "/sub/link").c_str());
    ::symlink((dir / "outside/precious.txt").c_str(), (temp + "/file-link").c_str());

    for (const char* flag : {"InternetFiles", "CookieFiles", "TempFiles", "UserFolder"}) {
        addValue(env, kSettings + "\\CleanPath", flag, "Yes");
    }
    addValue(env, kSettings + "\\UserFolder", "File0", mine);
    addValue(env, kSettings + "\\SavedCookies", "Cookie0", cookies + "/user@saved[1].txt");
    addValue(env, kSettings + "\\SavedCookies", "Cookie1", cookies + "/user@special[1].txt");
    addValue(env, kSettings + "\\SpecialCookies", "Cookie0", "saved");
    addValue(env, kSettings + "\\SpecialCookies", "Cookie1", "special");
    addValue(env, kShellFolders, "Cookies", cookies);

    ChildHoldingFile holder(temp + "/held.tmp", ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());

    const auto run = test::runProcess({TIDORAX_BINARY, "A"}, env);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    EXPECT_EQ(treeEntries(dir / "outside"), outside);
    EXPECT_EQ(treeEntries(cache), (Tree{{".thumbnails", "d"}, {".thumbnails/big", "d"}, {"site", "d"}}));
    EXPECT_EQ(treeEntries(temp), (Tree{{"held.tmp", "f:held"}}));
    EXPECT_EQ(treeEntries(cookies), (Tree{{"index.dat", "f:x"},
                                          {"sub", "d"},
                                          {"user@saved[1].txt", "f:x"},
                                          {"user@special[4].txt", "f:x"}}));
    EXPECT_EQ(treeEntries(mine), Tree{});
    EXPECT_EQ(treeEntries(dir / "home/NotListed"), (Tree{{"doc.txt", "f:x"}}));

    const auto saved = test::runProcess({TIDORAX_REG_BINARY, "query", kSettings + "\\SavedCookies"}, env);
    EXPECT_NE(saved.out.find(cookies + "/user@special[4].txt"), std::string::npos) << saved.out;
    EXPECT_EQ(saved.out.find(cookies + "/user@special[1].txt"), std::string::npos) << saved.out;
}

} // namespace
} // namespace tidorax

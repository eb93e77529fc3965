#include "core/cleaning/FolderGuard.h"
#include "tests/support/PlatformFixture.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

using FolderGuardTest = PlatformFixture;

TEST_F(FolderGuardTest, FoldersThatAreOrHoldAProtectedFolderAreRefused) {
    const std::string home = tmp / "home";
    for (const char* folder :
         {"home/Documents/sub", "home/.cache/web", "home/tmp", "cache", "tmp", "elsewhere"}) {
        makeDirs(tmp / folder);
    }
    ASSERT_EQ(::symlink(home.c_str(), (tmp / "elsewhere/to-home").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "tmp").c_str(), (tmp / "elsewhere/to-tmp").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "loop-b").c_str(), (tmp / "loop-a").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "loop-a").c_str(), (tmp / "loop-b").c_str()), 0);
    struct Case {
        std::string folder;
        std::string refusal; // "" when the folder may be cleaned
    };
    const std::string is = "it is or holds ";
    const Case cases[] = {
        {"/", is + "the root of the file system (/)."},
        {home, is + "the home folder (" + home + ")."},
        {home + "/", is + "the home folder (" + home + ")."},
        {home + "/./../home", is + "the home folder (" + home + ")."},
        {tmp.path(), is + "the home folder (" + home + ")."},
        {tmp / "elsewhere/to-home", is + "the home folder (" + home + ")."},
        {tmp / "elsewhere/to-home/Documents", is + "the documents folder (" + home + "/Documents)."},
        {tmp / "config", is + "the settings folder ($XDG_CONFIG_HOME) (" + tmp / "config" + ")."},
        {tmp / "data/", is + "the data folder ($XDG_DATA_HOME) (" + tmp / "data" + ")."},
        {"/usr", is + "a system folder (/usr)."},
        {"/usr/../etc/", is + "a system folder (/etc)."},
        {"relative/tmp", "it is not a full path."},
        {"", "it is not a full path."},
        {tmp / "loop-a", "a link on its way cannot be followed safely (it loops, or another user put it in a "
                         "shared folder)."},
        {home + "/Documents/sub", ""},
        {home + "/.cache/web", ""},
        {home + "/tmp", ""},
        {tmp / "cache", ""},
        {tmp / "elsewhere/to-tmp", ""},
        {tmp / "not-there/yet", ""},
        {"/usr/local/share/some-app-cache", ""},
    };
    const std::vector<ProtectedFolder> guarded = ProtectedFolders();
    for (const Case& c : cases) {
        const std::optional<std::string> refusal = CleaningRefusal(c.folder, guarded);
        const std::string expected =
            c.refusal.empty() ? "" : "The folder \"" + c.folder + "\" was not cleaned: " + c.refusal;
        EXPECT_EQ(refusal.value_or(""), expected) << c.folder;
    }
}

TEST_F(FolderGuardTest, ALinkPlantedByAnotherUserInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to plant a link as another user";
    }
    const std::string shared = tmp / "shared";
    makeDirs(shared);
    makeDirs(tmp / "victim");
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string link = shared + "/tmp-link";
    ASSERT_EQ(::symlink((tmp / "victim").c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    EXPECT_EQ(ResolveFolder(link), std::nullopt);
    EXPECT_NE(CleaningRefusal(link, {}), std::nullopt);
    // The same link owned by the user, or in a folder that is not sticky, is followed.
    ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
    EXPECT_EQ(ResolveFolder(link), tmp / "victim");
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    EXPECT_EQ(ResolveFolder(link), tmp / "victim");
}

} // namespace
} // namespace tidorax::test

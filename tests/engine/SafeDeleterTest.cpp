#include "engine/SafeDeleter.h"

#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tidorax {
namespace {

using test::ChildHoldingFile;
using test::exists;
using test::makeDirs;
using test::TempDir;
using test::treeEntries;
using test::writeFile;

using Tree = std::map<std::string, std::string>;

// What a child that runs as an unprivileged user answers when it cannot reach the test's
// folder (a temporary folder that only root may enter).
constexpr int kCannotReach = 99;

int deleteTree(const std::string& folder, const std::string& root, SafeDeleter::Rules rules = {}) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, rules);
    return deleter.DeleteFolderTree(folder, root);
}

// A folder outside the one being cleaned, with content that must never change.
Tree makeOutside(const TempDir& dir) {
    writeFile(dir / "outside/keep.txt", "precious");
    writeFile(dir / "outside/deep/keep2.txt", "precious too");
    return treeEntries(dir / "outside");
}

TEST(SafeDeleterTest, RefusesNamesThatAreEmptyRelativeTheRootOrNoFolder) {
    TempDir dir;
    writeFile(dir / "relative/dir/file.txt", "stay");
    writeFile(dir / "plain.txt", "stay");
    const Tree before = treeEntries(dir.path());

    // Relative names would be taken from the working folder: run there to prove it.
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    const struct {
        std::string folder;
    } cases[] = {{""},
                 {"   "},
                 {"/"},
                 {"//"},
                 {" / "},
                 {"/.."},
                 {"/./"},
                 {"relative"},
                 {"relative/"},
                 {"relative/dir"},
                 {dir / "plain.txt"},
                 {dir / "missing"}};
    for (const auto& c : cases) {
        EXPECT_EQ(deleteTree(c.folder, c.folder), -1) << "'" << c.folder << "'";
        const InUseSnapshot nothing;
        SafeDeleter deleter(nothing, {});
        EXPECT_EQ(deleter.DeleteFilesBelow(c.folder), -1) << "'" << c.folder << "'";
        EXPECT_FALSE(SafeDeleter::IsCleanableFolder(c.folder)) << "'" << c.folder << "'";
    }
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(treeEntries(dir.path()), before);
    EXPECT_TRUE(SafeDeleter::IsCleanableFolder(dir.path()));
}

TEST(SafeDeleterTest, EmptiesTheFolderOfEveryKindOfFileAndKeepsTheRoot) {
    const struct {
        std::string folderSuffix;
        std::string rootSuffix;
    } cases[] = {{"", ""}, {"/", "/"}, {"  ", ""}, {"//", "/"}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        writeFile(root + "/a.txt");
        writeFile(root + "/.hidden");
        writeFile(root + "/noextension");
        writeFile(root + "/.dotfolder/inside.txt");
        writeFile(root + "/sub/deeper/deepest/file.bin");
        writeFile(root + "/readonly.txt");
        ::chmod((root + "/readonly.txt").c_str(), 0444);
        makeDirs(root + "/emptyfolder");
        ::symlink("a.txt", (root + "/link-to-file").c_str());
        ::symlink("/nonexistent/target", (root + "/dangling").c_str());

        const std::string folder = " " + root + c.folderSuffix;
        EXPECT_EQ(deleteTree(folder, root + c.rootSuffix), 0) << "'" << folder << "'";
        EXPECT_TRUE(exists(root)) << "the folder a clean starts from stays";
        EXPECT_EQ(treeEntries(root), Tree{}) << "'" << folder << "'";
    }
}

TEST(SafeDeleterTest, RemovesTheFolderItselfOnlyWhenItIsNotTheRoot) {
    TempDir dir;
    writeFile(dir / "root/sub/file.txt");
    writeFile(dir / "root/other.txt");
    EXPECT_EQ(deleteTree(dir / "root/sub", dir / "root"), 0);
    EXPECT_FALSE(exists(dir / "root/sub"));
    EXPECT_EQ(treeEntries(dir / "root"), (Tree{{"other.txt", "f:x"}}));
}

TEST(SafeDeleterTest, LinksToOutsideFoldersAndFilesAreRemovedAsLinksOnly) {
    TempDir dir;
    const Tree outside = makeOutside(dir);
    writeFile(dir / "clean/own.txt");
    makeDirs(dir / "clean/sub");
    ::symlink((dir / "outside").c_str(), (dir / "clean/link-to-folder").c_str());
    ::symlink((dir / "outside/keep.txt").c_str(), (dir / "clean/link-to-file").c_str());
    ::symlink((dir / "outside").c_str(), (dir / "clean/sub/nested-link").c_str());

    EXPECT_EQ(deleteTree(dir / "clean", dir / "clean"), 0);
    EXPECT_EQ(treeEntries(dir / "clean"), Tree{});
    EXPECT_EQ(treeEntries(dir / "outside"), outside);

    // The same through the routine that keeps folders and the one for single files.
    ::symlink((dir / "outside").c_str(), (dir / "clean/link-to-folder").c_str());
    const InUseSnapshot nothing;
    SafeDeleter deleter(nothing, {});
    EXPECT_EQ(deleter.DeleteFilesBelow(dir / "clean"), 0);
    EXPECT_EQ(treeEntries(dir / "clean"), Tree{});
    ::symlink((dir / "outside").c_str(), (dir / "clean/link-to-folder").c_str());
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "clean", dir / "clean/link-to-folder/keep.txt"), ENOTDIR);
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "clean", dir / "clean/../outside/keep.txt"), -1);
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "clean", dir / "outside/keep.txt"), -1);
    EXPECT_EQ(treeEntries(dir / "outside"), outside);
}

// Fills folder with the layout the race below works on.
void makeRaceLayout(const std::string& folder, const std::string& contents) {
    for (int sub = 0; sub < 4; ++sub) {
        for (int file = 0; file < 100; ++file) {
            writeFile(folder + "/f" + std::to_string(sub) + "/file" + std::to_string(file), contents);
        }
    }
    writeFile(folder + "/top.txt", contents);
}

// A thread keeps swapping a subfolder (and a folder inside it) for a link to an outside
// folder laid out the same way, and back, while the clean runs. A clean that followed
// the link at any moment would delete outside files of the same names.
TEST(SafeDeleterTest, AFolderSwappedForALinkDuringTheCleanLeavesTheOutsideAlone) {
    TempDir dir;
    makeRaceLayout(dir / "outside", "precious");
    const Tree outside = treeEntries(dir / "outside");
    const std::string root = dir / "clean";
    for (int run = 0; run < 8; ++run) {
        makeRaceLayout(root + "/victim", "x");
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
            const std::string victim = root + "/victim";
            const std::string nested = root + "/victim/f1";
            while (!stop.load()) {
                if (::rename(victim.c_str(), (root + "/parked").c_str()) == 0) {
                    ::symlink((dir / "outside").c_str(), victim.c_str());
                    std::this_thread::yield();
                    ::unlink(victim.c_str());
                    ::rename((root + "/parked").c_str(), victim.c_str());
                }
                if (::rename(nested.c_str(), (root + "/parked-f1").c_str()) == 0) {
                    ::symlink((dir / "outside/f1").c_str(), nested.c_str());
                    std::this_thread::yield();
                    ::unlink(nested.c_str());
                    ::rename((root + "/parked-f1").c_str(), nested.c_str());
                }
            }
        });
        for (int pass = 0; pass < 3; ++pass) {
            deleteTree(root, root);
        }
        stop = true;
        swapper.join();
        ASSERT_EQ(treeEntries(dir / "outside"), outside) << "run " << run;
        deleteTree(root, root);
    }
}

TEST(SafeDeleterTest, FilesHeldByAnotherProcessStayAndOnlyTheirFoldersStay) {
    const struct {
        ChildHoldingFile::Hold hold;
        const char* what;
    } cases[] = {{ChildHoldingFile::Hold::Open, "open"}, {ChildHoldingFile::Hold::MappedOnly, "mapped"}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        writeFile(root + "/a-first/held.txt", "held");
        writeFile(root + "/a-first/free.txt");
        writeFile(root + "/b-second/one.txt");
        writeFile(root + "/b-second/two.txt");
        writeFile(root + "/c-third/deep/three.txt");
        writeFile(root + "/top.txt");
        ChildHoldingFile holder(root + "/a-first/held.txt", c.hold);
        ASSERT_TRUE(holder.holding()) << c.what;

        EXPECT_EQ(deleteTree(root, root), EBUSY) << c.what;
        // Only the held file and the folder that holds it stay: the subfolders after it
        // are emptied and removed all the same.
        EXPECT_EQ(treeEntries(root), (Tree{{"a-first", "d"}, {"a-first/held.txt", "f:held"}})) << c.what;
    }
}

TEST(SafeDeleterTest, SocketsAndFifosStay) {
    TempDir dir;
    const std::string root = dir / "clean";
    makeDirs(root + "/sub");
    ASSERT_TRUE(test::makeSocketFile(root + "/sub/socket"));
    ASSERT_EQ(::mkfifo((root + "/fifo").c_str(), 0600), 0);
    writeFile(root + "/sub/file.txt");
    writeFile(root + "/other/file.txt");

    EXPECT_EQ(deleteTree(root, root), EBUSY);
    EXPECT_EQ(treeEntries(root), (Tree{{"fifo", "p"}, {"sub", "d"}, {"sub/socket", "s"}}));
}

TEST(SafeDeleterTest, KeepsFoldersButDeletesEveryFileBelowWhenAskedForFilesOnly) {
    TempDir dir;
    const std::string root = dir / "cache";
    writeFile(root + "/a.txt");
    writeFile(root + "/.hidden/b.txt");
    writeFile(root + "/sub/deeper/c.txt", "held");
    writeFile(root + "/sub/d.txt");
    ChildHoldingFile holder(root + "/sub/deeper/c.txt", ChildHoldingFile::Hold::Open);
    ASSERT_TRUE(holder.holding());
    const InUseSnapshot inUse = InUseSnapshot::Take();
    SafeDeleter deleter(inUse, {});
    EXPECT_EQ(deleter.DeleteFilesBelow(root), EBUSY);
    EXPECT_EQ(treeEntries(root),
              (Tree{{".hidden", "d"}, {"sub", "d"}, {"sub/deeper", "d"}, {"sub/deeper/c.txt", "f:held"}}));
}

TEST(SafeDeleterTest, DeletesOneFileBelowTheFolder) {
    TempDir dir;
    writeFile(dir / "cookies/sub/user@site[1].txt");
    writeFile(dir / "cookies/user@other[1].txt");
    const InUseSnapshot nothing;
    SafeDeleter deleter(nothing, {});
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "cookies/", dir / "cookies/sub/user@site[1].txt"), 0);
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "cookies", dir / "cookies/gone.txt"), 0);
    EXPECT_EQ(deleter.DeleteFileBelow(dir / "cookies", dir / "cookies/sub"), EISDIR);
    EXPECT_EQ(treeEntries(dir / "cookies"), (Tree{{"sub", "d"}, {"user@other[1].txt", "f:x"}}));
}

// Mounts below the folder, made in a private mount namespace of a child process.
TEST(SafeDeleterTest, MountsBelowTheFolderAreNotEntered) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    TempDir dir;
    const Tree outside = makeOutside(dir);
    const std::string root = dir / "clean";
    writeFile(root + "/own.txt");
    makeDirs(root + "/tmpfs-mount");
    makeDirs(root + "/sub/bind-mount");

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(77);
        }
        if (::mount("tidorax-test", (root + "/tmpfs-mount").c_str(), "tmpfs", 0, "size=1m") != 0 ||
            ::mount((dir / "outside").c_str(), (root + "/sub/bind-mount").c_str(), nullptr, MS_BIND,
                    nullptr) != 0) {
            ::_exit(77);
        }
        writeFile(root + "/tmpfs-mount/inside-tmpfs.txt", "tmpfs");
        const int result = deleteTree(root, root);
        const bool tmpfsKept = test::readFile(root + "/tmpfs-mount/inside-tmpfs.txt") == "tmpfs";
        const bool bindKept = treeEntries(root + "/sub/bind-mount") == outside;
        const bool ownGone = !exists(root + "/own.txt");
        ::_exit(result == EXDEV && tmpfsKept && bindKept && ownGone ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "the kernel refused a private mount namespace";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(treeEntries(dir / "outside"), outside);
}

TEST(SafeDeleterTest, AFolderItsOwnerMayNotWriteIsMadeWritableToEmptyIt) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string root = dir / "clean";
    writeFile(root + "/readonly-folder/file.txt");
    writeFile(root + "/readonly-folder/inner/file2.txt");
    writeFile(root + "/locked-root-file.txt");
    test::chownTree(root, test::kNobody, test::kNobody);
    ::chmod((root + "/readonly-folder/inner").c_str(), 0555);
    ::chmod((root + "/readonly-folder").c_str(), 0555);
    ::chmod(root.c_str(), 0555);

    const int result = test::runAsNobody([&] {
        if (::access(root.c_str(), X_OK) != 0) {
            return kCannotReach;
        }
        return deleteTree(root, root) == 0 ? 0 : 1;
    });
    ASSERT_NE(result, -1) << "could not run as an unprivileged user";
    if (result == kCannotReach) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(treeEntries(root), Tree{});
}

TEST(SafeDeleterTest, InTheSharedTempFolderOnlyTheUsersOwnEntriesGo) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string root = dir / "temp";
    makeDirs(root);
    ::chmod(root.c_str(), 01777);
    writeFile(root + "/root-file.txt", "root");
    writeFile(root + "/root-folder/inside.txt", "root");
    writeFile(root + "/nobody-file.txt", "nobody");
    writeFile(root + "/nobody-folder/inside.txt", "nobody");
    writeFile(root + "/nobody-folder/root-owned-inside.txt", "root");
    ::symlink("root-file.txt", (root + "/nobody-link").c_str());
    test::chownTree(root + "/nobody-folder", test::kNobody, test::kNobody);
    ::lchown((root + "/nobody-file.txt").c_str(), test::kNobody, test::kNobody);
    ::lchown((root + "/nobody-link").c_str(), test::kNobody, test::kNobody);
    ::lchown((root + "/nobody-folder/root-owned-inside.txt").c_str(), 0, 0);
    ::chmod((root + "/nobody-folder").c_str(), 0777);

    // Run as nobody: root's entries stay.
    const int result = test::runAsNobody([&] {
        if (::access(root.c_str(), X_OK) != 0) {
            return kCannotReach;
        }
        return deleteTree(root, root, SafeDeleter::Rules{.onlyOwnedByUser = true}) == EPERM ? 0 : 1;
    });
    ASSERT_NE(result, -1) << "could not run as an unprivileged user";
    if (result == kCannotReach) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(treeEntries(root), (Tree{{"nobody-folder", "d"},
                                       {"nobody-folder/root-owned-inside.txt", "f:root"},
                                       {"root-file.txt", "f:root"},
                                       {"root-folder", "d"},
                                       {"root-folder/inside.txt", "f:root"}}));

    // Run as root: nobody's entries would stay; here only root's remain to go, and the
    // folder nobody owns is not entered.
    if (::geteuid() == 0) {
        writeFile(root + "/nobody-file2.txt", "nobody");
        ::lchown((root + "/nobody-file2.txt").c_str(), test::kNobody, test::kNobody);
        EXPECT_EQ(deleteTree(root, root, SafeDeleter::Rules{.onlyOwnedByUser = true}), EPERM);
        EXPECT_EQ(treeEntries(root), (Tree{{"nobody-file2.txt", "f:nobody"},
                                           {"nobody-folder", "d"},
                                           {"nobody-folder/root-owned-inside.txt", "f:root"}}));
    }
}

} // namespace
} // namespace tidorax

#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/FileWalk.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tidorax {
namespace {

using test::exists;
using test::makeDirs;
using test::TempDir;
using test::Tree;
using test::treeEntries;
using test::writeFile;

int deleteTree(const std::string& folder, const std::string& root, SafeDeleter::Rules rules = {}) {
    const InUseSnapshot inUse = InUseSnapshot::Take();
    return SafeDeleter(inUse, rules).DeleteFolderTree(folder, root);
}

// Cleans root in a child running as uid 65534: 0 when the clean gave expected,
// kChildSkipped when root is out of that user's reach, else another number.
int cleanAsNobody(const std::string& root, SafeDeleter::Rules rules, int expected) {
    const auto clean = [&](FileList&) {
        if (::access(root.c_str(), X_OK) != 0) {
            return test::kChildSkipped;
        }
        return deleteTree(root, root, rules) == expected ? 0 : 1;
    };
    return test::runInChild(clean, true).code;
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
    const InUseSnapshot nothing;
    SafeDeleter deleter(nothing, {});
    const std::string refused[] = {
        dir / "plain.txt", dir / "missing", "", "   ", "/", "//", " / ", "/..", "/./", "relative",
        "relative/",       "relative/dir"};
    for (const std::string& folder : refused) {
        EXPECT_EQ(deleter.DeleteFolderTree(folder, folder), -1) << "'" << folder << "'";
        EXPECT_EQ(deleter.DeleteFilesBelow(folder), -1) << "'" << folder << "'";
        EXPECT_FALSE(SafeDeleter::IsCleanableFolder(folder)) << "'" << folder << "'";
    }
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(treeEntries(dir.path()), before);
    EXPECT_TRUE(SafeDeleter::IsCleanableFolder(dir.path()));
}

TEST(SafeDeleterTest, EmptiesTheFolderOfEveryKindOfFileAndRemovesItOnlyWhenItIsNotTheRoot) {
    const struct {
        std::string folderSuffix, rootSuffix;
    } cases[] = {{"", ""}, {"/", "/"}, {"  ", ""}, {"//", "/"}};
    for (const auto& c : cases) {
        TempDir dir;
        const std::string root = dir / "clean";
        for (const char* name :
             {"a.txt", ".dotfolder/inside.txt", "sub/deeper/deepest/file.bin", "other/deeper/f"}) {
            writeFile(root + "/" + name);
        }
        ::symlink("a.txt", (root + "/link-to-file").c_str());
        ::symlink("/nonexistent/target", (root + "/dangling").c_str());

        const std::string folder = " " + root + c.folderSuffix;
        EXPECT_EQ(deleteTree(" " + root + "/sub" + c.folderSuffix, root + c.rootSuffix), 0);
        EXPECT_FALSE(exists(root + "/sub")) << "a folder below the root goes itself";
        EXPECT_TRUE(exists(root + "/a.txt"));
        EXPECT_EQ(deleteTree(folder, root + c.rootSuffix), 0) << "'" << folder << "'";
        EXPECT_TRUE(exists(root)) << "the folder a clean starts from stays";
        EXPECT_EQ(treeEntries(root), Tree{}) << "'" << folder << "'";
    }
}

TEST(SafeDeleterTest, LinksToOutsideFoldersAndFilesAreRemovedAsLinksOnly) {
    TempDir dir;
    const Tree outside = makeOutside(dir);
    const std::string root = dir / "clean";
    writeFile(root + "/own.txt");
    makeDirs(root + "/sub");
    const auto linkOutside = [&] {
        ::symlink((dir / "outside").c_str(), (root + "/link-to-folder").c_str());
    };
    linkOutside();
    ::symlink((dir / "outside/keep.txt").c_str(), (root + "/link-to-file").c_str());
    ::symlink((dir / "outside").c_str(), (root + "/sub/nested-link").c_str());

    EXPECT_EQ(deleteTree(root, root), 0);
    EXPECT_EQ(treeEntries(root), Tree{});
    EXPECT_EQ(treeEntries(dir / "outside"), outside);

    // The same through the routine that keeps folders and the one for single files.
    linkOutside();
    const InUseSnapshot nothing;
    SafeDeleter deleter(nothing, {});
    EXPECT_EQ(deleter.DeleteFilesBelow(root), 0);
    EXPECT_EQ(treeEntries(root), Tree{});
    linkOutside();
    EXPECT_EQ(deleter.DeleteFileBelow(root, root + "/link-to-folder/keep.txt"), ENOTDIR);
    EXPECT_EQ(deleter.DeleteFileBelow(root, root + "/../outside/keep.txt"), -1);
    EXPECT_EQ(deleter.DeleteFileBelow(root, dir / "outside/keep.txt"), -1);
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
    const auto swapForALink = [&](const std::string& folder, const std::string& target) {
        if (::rename(folder.c_str(), (root + "/parked").c_str()) == 0) {
            ::symlink(target.c_str(), folder.c_str());
            std::this_thread::yield();
            ::unlink(folder.c_str());
            ::rename((root + "/parked").c_str(), folder.c_str());
        }
    };
    for (int run = 0; run < 8; ++run) {
        makeRaceLayout(root + "/victim", "x");
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
            while (!stop.load()) {
                swapForALink(root + "/victim", dir / "outside");
                swapForALink(root + "/victim/f1", dir / "outside/f1");
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

// Mounts below the folder, made in a private mount namespace of a child process, are
// neither walked nor cleaned.
TEST(SafeDeleterTest, MountsBelowTheFolderAreNeitherWalkedNorEntered) {
    TempDir dir;
    const Tree outside = makeOutside(dir);
    const std::string root = dir / "clean/";
    writeFile(root + "own.txt");
    writeFile(root + "sub/bind-mount/under-the-mount");
    makeDirs(root + "tmpfs-mount");

    const test::ChildOutcome child = test::runInChild([&](FileList& walked) {
        if (!test::mountTmpfsAndBind(root + "tmpfs-mount", dir / "outside", root + "sub/bind-mount")) {
            return test::kChildSkipped;
        }
        writeFile(root + "tmpfs-mount/deeper/inside-tmpfs.txt", "tmpfs");
        SearchPattern = "*.*";
        SearchSubFolders = true;
        WalkInto(root, walked);
        const int result = deleteTree(root, root);
        const bool tmpfsKept = test::readFile(root + "tmpfs-mount/deeper/inside-tmpfs.txt") == "tmpfs";
        const bool bindKept = treeEntries(root + "sub/bind-mount") == outside;
        return result == EXDEV && tmpfsKept && bindKept && !exists(root + "own.txt") ? 0 : 1;
    });
    if (child.code == test::kChildSkipped) {
        GTEST_SKIP() << "the kernel refused a private mount namespace or a mount (mounting needs root)";
    }
    EXPECT_EQ(child.code, 0);
    EXPECT_EQ(child.list, FileList{root + "own.txt"});
    EXPECT_EQ(treeEntries(dir / "outside"), outside);
    // Nothing leaked out of the child's namespace: the folder below the mount is plain again.
    EXPECT_EQ(treeEntries(root + "sub"), (Tree{{"bind-mount", "d"}, {"bind-mount/under-the-mount", "f:x"}}));
}

TEST(SafeDeleterTest, AFolderItsOwnerMayNotWriteIsMadeWritableToEmptyIt) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string root = dir / "clean";
    writeFile(root + "/readonly-folder/file.txt");
    writeFile(root + "/readonly-folder/inner/file2.txt");
    writeFile(root + "/locked-root-file.txt");
    test::chownTree(root, test::kNobody, test::kNobody);
    for (const char* folder : {"/readonly-folder/inner", "/readonly-folder", ""}) {
        ::chmod((root + folder).c_str(), 0555);
    }

    const int result = cleanAsNobody(root, {}, 0);
    if (result == test::kChildSkipped) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    ASSERT_EQ(result, 0) << "126: the child could not run as uid 65534";
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
    for (const char* entry : {"/nobody-file.txt", "/nobody-link"}) {
        ::lchown((root + entry).c_str(), test::kNobody, test::kNobody);
    }
    ::lchown((root + "/nobody-folder/root-owned-inside.txt").c_str(), 0, 0);
    ::chmod((root + "/nobody-folder").c_str(), 0777);

    // Run as nobody: root's entries stay.
    const int result = cleanAsNobody(root, {.onlyOwnedByUser = true}, EPERM);
    if (result == test::kChildSkipped) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    ASSERT_EQ(result, 0) << "126: the child could not run as uid 65534";
    EXPECT_EQ(treeEntries(root), (Tree{{"nobody-folder", "d"},
                                       {"nobody-folder/root-owned-inside.txt", "f:root"},
                                       {"root-file.txt", "f:root"},
                                       {"root-folder", "d"},
                                       {"root-folder/inside.txt", "f:root"}}));

    // Run as root: nobody's entries stay, and the folder nobody owns is not entered.
    writeFile(root + "/nobody-file2.txt", "nobody");
    ::lchown((root + "/nobody-file2.txt").c_str(), test::kNobody, test::kNobody);
    EXPECT_EQ(deleteTree(root, root, {.onlyOwnedByUser = true}), EPERM);
    EXPECT_EQ(treeEntries(root), (Tree{{"nobody-file2.txt", "f:nobody"},
                                       {"nobody-folder", "d"},
                                       {"nobody-folder/root-owned-inside.txt", "f:root"}}));
}

} // namespace
} // namespace tidorax

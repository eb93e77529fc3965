#include "core/cleaning/SafeDeleter.h"

#include "core/cleaning/FileWalk.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tidorax::test {
namespace {

// A folder beside the one being cleaned, with content that must never change.
Tree makeOutside(const TempDir& dir) {
    writeFile(dir / "outside/keep.txt", "precious");
    writeFile(dir / "outside/deep/keep2.txt", "precious too");
    return treeEntries(dir / "outside");
}

// Links are removed as links, whatever they point to, and never followed; the folder a
// clean starts from stays, however its name is written; a folder below it goes. A name
// that is no folder opens nothing, and nothing is deleted below it (refused names:
// FolderGuardTest).
TEST(SafeDeleterTest, EmptiesTheFolderButNeverFollowsALink) {
    for (const std::string folderSuffix : {"", "/", "//"}) {
        TempDir dir;
        const Tree outside = makeOutside(dir);
        const std::string root = dir / "clean";
        writeFiles(root, {"a.txt", ".dotfolder/inside.txt", "sub/deeper/file.bin", "other/f"});
        for (const auto& [target, link] : {std::pair(dir / "outside", "to-folder"),
                                           {dir / "outside/keep.txt", "to-file"},
                                           {"/nonexistent", "dangling"},
                                           {dir / "outside", "other/nested"}}) {
            ASSERT_EQ(::symlink(target.c_str(), (root + "/" + link).c_str()), 0);
        }
        EXPECT_EQ(deleteTree(root + folderSuffix), 0);
        EXPECT_EQ(std::pair(exists(root), treeEntries(root)), std::pair(true, Tree{}));
        // Selected files: a path through a link or out of the folder selects nothing.
        ASSERT_EQ(::symlink((dir / "outside").c_str(), (root + "/to-folder").c_str()), 0);
        writeFile(root + "/picked.txt");
        FileList asked;
        EXPECT_EQ(deleteFilesBelow(
                      root, [&asked](std::string_view path) { return asked.emplace_back(path), true; }),
                  0);
        EXPECT_EQ(sorted(asked), FileList({"picked.txt", "to-folder"}));
        EXPECT_EQ(treeEntries(root), Tree{});
        for (const std::string& folder : {dir / "outside/keep.txt", dir / "missing"}) {
            EXPECT_EQ(std::pair(deleteTree(folder), deleteFilesBelow(folder, {})), std::pair(-1, -1))
                << folder;
        }
        EXPECT_EQ(treeEntries(dir / "outside"), outside);
    }
}

// A chain of folders deeper than the descriptors a clean may hold open (and its paths
// longer than the system's path limit) is emptied to the bottom.
// Eight files a level, so that each level's files are deleted apart from the walk (on
// another thread where there is a core), below the held levels through a copy of the
// level's descriptor. One file far down is in use: it stays, and so does every folder
// above it.
TEST(SafeDeleterTest, AChainOfAnyDepthIsEmptiedToTheBottom) {
    TempDir dir;
    const std::string root = dir / "clean";
    makeDirs(root);
    InUseSnapshot held;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 2000 && fd >= 0; ++level) { // (a step that fails shows in the tally)
        for (const char* name : {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"}) {
            ::close(::openat(fd, name, O_WRONLY | O_CREAT, 0600));
        }
        struct stat st {};
        if (level == 1500 && ::fstatat(fd, "f3", &st, 0) == 0) {
            held.Add(st.st_dev, st.st_ino);
        }
        ::mkdirat(fd, "d", 0700);
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(fd);
    // It holds a bounded number of descriptors: the walk runs under a limit far below
    // one for each level.
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit lowered{100, limit.rlim_max};
    ::setrlimit(RLIMIT_NOFILE, &lowered);
    SafeDeleter deleter(held, {});
    EXPECT_EQ(deleter.DeleteBelow(openFolder(root)), EBUSY);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_EQ(deleter.LastTally().deleted, 15999u);
    const Tree left = treeEntries(root);
    EXPECT_EQ(left.size(), 1501u); // the 1,500 folders down to the held file, and the file
    std::string heldPath;
    for (int level = 0; level < 1500; ++level) {
        heldPath += "d/";
    }
    EXPECT_EQ(left.count(heldPath + "f3"), 1u);
}

// A thread keeps swapping a subfolder (and a folder inside it) for a link to an outside
// folder laid out the same way, and back, while the clean runs. A clean that followed
// the link at any moment would delete outside files of the same names.
TEST(SafeDeleterTest, AFolderSwappedForALinkDuringTheCleanLeavesTheOutsideAlone) {
    TempDir dir;
    const auto makeLayout = [](const std::string& folder, const std::string& contents) {
        for (int file = 0; file < 400; ++file) {
            writeFile(folder + "/f" + std::to_string(file % 4) + "/file" + std::to_string(file), contents);
        }
    };
    makeLayout(dir / "outside", "precious");
    const Tree outside = treeEntries(dir / "outside");
    const std::string root = dir / "clean";
    for (int run = 0; run < 8; ++run) {
        makeLayout(root + "/victim", "x");
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
            while (!stop.load()) {
                swapForALink(root + "/victim", dir / "outside", root + "/parked");
                swapForALink(root + "/victim/f1", dir / "outside/f1", root + "/parked");
            }
        });
        deleteTree(root);
        deleteTree(root);
        stop = true;
        swapper.join();
        ASSERT_EQ(treeEntries(dir / "outside"), outside) << "run " << run;
        deleteTree(root);
    }
}

// Mounts below the folder, made in a private mount namespace of a child process, are
// neither walked nor cleaned. One made while the clean runs (here: while it deletes the
// first folder's files, before it goes into the next) is passed by without being opened,
// as a mount that stopped answering must be: its root is never opened.
TEST(SafeDeleterTest, MountsBelowTheFolderAreNeitherWalkedNorEntered) {
    TempDir dir;
    const Tree outside = makeOutside(dir);
    const std::string root = dir / "clean/", later = root + "later/mount";
    writeFile(root + "own.txt");
    writeFile(root + "later/a.txt");
    writeFile(root + "sub/bind-mount/under-the-mount");
    makeDirs(root + "tmpfs-mount");
    makeDirs(later);
    const int child = runInChild(
        [&] {
            if (::mount("tidorax-test", (root + "tmpfs-mount").c_str(), "tmpfs", 0, "size=1m") != 0 ||
                ::mount((dir / "outside").c_str(), (root + "sub/bind-mount").c_str(), nullptr, MS_BIND,
                        nullptr) != 0) {
                return kChildSkipped;
            }
            writeFile(root + "tmpfs-mount/deeper/inside-tmpfs.txt", "tmpfs");
            const bool walked = sorted(ListFilesBelow(root)) == below(root, {"later/a.txt", "own.txt"});
            const int watch = ::inotify_init1(IN_NONBLOCK);
            const int laterResult = deleteFilesBelow(root + "later", [&](std::string_view) {
                if (::mount("tidorax-test", later.c_str(), "tmpfs", 0, "size=1m") == 0) {
                    ::inotify_add_watch(watch, later.c_str(), IN_OPEN);
                }
                return true;
            });
            char events[4096];
            const bool opened = ::read(watch, events, sizeof events) > 0;
            return walked && laterResult == EXDEV && !opened && !exists(root + "later/a.txt") &&
                           deleteTree(root) == EXDEV && !exists(root + "own.txt") &&
                           readFile(root + "tmpfs-mount/deeper/inside-tmpfs.txt") == "tmpfs"
                       ? 0
                       : 1;
        },
        Child::PrivateMounts);
    if (child == kChildSkipped) {
        GTEST_SKIP() << "the kernel refused a private mount namespace or a mount (mounting needs root)";
    }
    EXPECT_EQ(child, 0);
    EXPECT_EQ(treeEntries(dir / "outside"), outside);
    // Nothing leaked out of the child's namespace: the folder below the mount is plain again.
    EXPECT_EQ(treeEntries(root + "sub"), (Tree{{"bind-mount", "d"}, {"bind-mount/under-the-mount", "f:x"}}));
}

// As uid 65534 in the shared Temp folder: only the user's own entries go, its folders
// that it may not write are made writable and emptied, and get their mode back when they
// stay; a folder it may not read, or read but not search, is not walked into. Then as
// root: only root's entries go.
TEST(SafeDeleterTest, PermissionsAndOwnersDecideWhatIsWalkedAndWhatGoes) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string temp = dir / "temp";
    const FileList roots = {"closed/hidden",    "mine-folder/roots", "noexec/inner/never",
                            "noexec/name-only", "ro/inner/roots",    "root-file"};
    writeFiles(temp, {"mine", "mine-folder/in", "ro/file", "ro/inner/file2"});
    writeFiles(temp, roots);
    ::symlink("root-file", (temp + "/link").c_str());
    for (const char* entry :
         {"mine", "mine-folder", "mine-folder/in", "ro", "ro/file", "ro/inner", "ro/inner/file2", "link"}) {
        ::lchown((temp + "/" + entry).c_str(), kNobody, kNobody);
    }
    // "folder=mode" (octal)
    for (const std::string c :
         {"=1777", "/mine-folder=777", "/ro/inner=555", "/ro=555", "/closed=0", "/noexec=744"}) {
        ::chmod((temp + c.substr(0, c.find('='))).c_str(), std::stoul(c.substr(c.find('=') + 1), nullptr, 8));
    }
    const FileList walked = {
        "link",    "mine",           "mine-folder/in", "mine-folder/roots", "noexec/name-only",
        "ro/file", "ro/inner/file2", "ro/inner/roots", "root-file"};

    const int result = runInChild(
        [&] {
            if (::access(temp.c_str(), X_OK) != 0) {
                return kChildSkipped;
            }
            const bool listed = sorted(ListFilesBelow(temp)) == below(temp, walked);
            return listed && deleteTree(temp, {.onlyOwnedByUser = true}) == EPERM ? 0 : 1;
        },
        Child::AsNobody);
    if (result == kChildSkipped) {
        GTEST_SKIP() << "the temporary folder is out of an unprivileged user's reach";
    }
    ASSERT_EQ(result, 0) << "1: another result, 126: the child could not run as uid 65534";
    EXPECT_EQ(sorted(ListFilesBelow(temp)), below(temp, roots));
    for (const char* folder : {"/ro", "/ro/inner"}) {
        EXPECT_EQ(std::filesystem::status(temp + folder).permissions(), std::filesystem::perms(0555))
            << folder;
    }

    // Without the sticky bit the system lets uid 65534 delete root's files: the owner rule
    // alone keeps them.
    ::chmod(temp.c_str(), 0777);
    writeFile(temp + "/mine");
    ::lchown((temp + "/mine").c_str(), kNobody, kNobody);
    EXPECT_EQ(runInChild([&] { return deleteTree(temp, {.onlyOwnedByUser = true}) == EPERM ? 0 : 1; },
                         Child::AsNobody),
              0);
    EXPECT_EQ(sorted(ListFilesBelow(temp)), below(temp, roots));

    writeFile(temp + "/mine");
    ::lchown((temp + "/mine").c_str(), kNobody, kNobody);
    EXPECT_EQ(deleteTree(temp, {.onlyOwnedByUser = true}), EPERM);
    EXPECT_EQ(sorted(ListFilesBelow(temp)), below(temp, {"mine", "mine-folder/roots", "ro/inner/roots"}));
    EXPECT_EQ(treeEntries(temp).size(), 6u); // those files and their folders
}

} // namespace
} // namespace tidorax::test

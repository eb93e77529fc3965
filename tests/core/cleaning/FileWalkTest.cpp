#include "core/cleaning/FileWalk.h"

#include "tests/support/EngineTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tidorax::test {
namespace {

// Files of every kind and name are listed, at any depth, links as themselves (a loop,
// an outside folder, a file, a dangling one) and never followed; dot-folders are
// skipped at every depth.
TEST(FileWalkTest, ListsEveryEntryButThoseInDotFolders) {
    TempDir tmp;
    const std::string root = tmp / "tree/";
    std::string deep;
    while (deep.size() < 2000) { // 1000 folders deep
        deep += "d/";
    }
    FileList listed = {"plain.txt",    ".dotfile",        " spaced ", "line\nbreak",
                       "bad\xff utf8", "sub/.dot-in-sub", deep + "f"};
    writeFiles(root, listed);
    writeFiles(root, {".cache/hidden.txt", "sub/.git/config", "..odd/file"}); // not listed
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mknod((root + "sock").c_str(), S_IFSOCK | 0600, 0), 0);
    ASSERT_EQ(::symlink("..", (root + "sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink(tmp.path().c_str(), (root + "out").c_str()), 0);
    ASSERT_EQ(::symlink("plain.txt", (root + "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("missing", (root + "dangling").c_str()), 0);
    listed.insert(listed.end(), {"pipe", "sock", "sub/loop", "out", "filelink", "dangling"});
    if (::mknod((root + "null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        listed.push_back("null-device");
    }
    EXPECT_EQ(sorted(ListFilesBelow(root)), below(root, listed));
    // A linked start is walked; a missing or non-folder start adds nothing.
    EXPECT_EQ(ListFilesBelow(root + "sub/loop").size(), listed.size());
    EXPECT_EQ(ListFilesBelow(root + "missing/"), FileList{});
    EXPECT_EQ(ListFilesBelow(root + "filelink/"), FileList{});
    EXPECT_EQ(ListFilesBelow("/"), FileList{});
}

} // namespace
} // namespace tidorax::test

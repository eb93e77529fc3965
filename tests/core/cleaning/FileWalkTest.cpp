#include "core/cleaning/FileWalk.h"

#include "tests/support/EngineTestSupport.h"
#include "tests/support/PlatformFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tidorax {
namespace {

using test::below;
using test::makeDirs;
using test::sorted;
using test::writeFile;

// Sets the search variables as every caller does and walks folder into a fresh list.
FileList walk(const std::string& folder, const std::string& pattern = "*.*", bool subFolders = true) {
    SearchFolder = AddBackslash(folder);
    SearchPattern = pattern;
    SearchSubFolders = subFolders;
    FileList list;
    WalkInto(SearchFolder, list);
    return list;
}

class FileWalkTest : public test::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        makeDirs(root);
    }
    void TearDown() override {
        SearchFolder.clear();
        SearchPattern = "*.*";
        SearchSubFolders = true;
        PlatformFixture::TearDown();
    }

    std::string root = tmp / "tree/";
};

TEST(PathHelpersTest, AddBackslash) {
    for (const auto& [in, expected] : std::vector<std::pair<std::string, std::string>>{
             {"", "/"}, {"/", "/"}, {"/tmp", "/tmp/"}, {"a b", "a b/"}, {"x//", "x//"}}) {
        EXPECT_EQ(AddBackslash(in), expected) << '"' << in << '"';
    }
}

TEST(MatchSpecTest, AgreesWithTheShellMatcher) {
    // A trailing blank belongs to the pattern; only ASCII letters fold.
    const struct {
        std::string name, pattern;
        bool matches;
    } cases[] = {{"abc", "*.*", true},
                 {"", "*.*", true},
                 {"abc", "*", true},
                 {"", "?", false},
                 {"a", "?", true},
                 {"abc", "a?c", true},
                 {"abbc", "a?c", false},
                 {"ABC.TXT", "abc.txt", true},
                 {"abc.txt", "abd.txt", false},
                 {"abc.txt", "abc", false},
                 {"abc", "abc.txt", false},
                 {"report.LOG", "*.log", true},
                 {"report.log.gz", "*.log", false},
                 {"log", "*.log", false},
                 {"a.log", "*.txt;   *.log", true},
                 {"a.log", "*.txt ;*.log", true},
                 {"a.txt", "*.txt ;*.log", false},
                 {"abc", "*.txt; *.*", true},
                 {"abc", "", false},
                 {"abc", ";", false},
                 {"", ";", true},
                 {"aXbXc", "*b*c", true},
                 {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
                 {"x\xff\xfe.bin", "X?\xfe.BIN", true},
                 {"\xe9t\xe9", "\xc9T\xc9", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(MatchSpec(c.name, c.pattern), c.matches) << '"' << c.name << "\" vs \"" << c.pattern << '"';
    }
}

// Files of every kind and name are listed, links as themselves (a loop, an outside
// folder, a file, a dangling one), and dot-folders are skipped at every depth.
TEST_F(FileWalkTest, ListsEveryKindOfEntryAndSkipsDotFolders) {
    FileList listed = {"plain.txt",        "nodot",
                       ".dotfile",         " leading and trailing ",
                       "line\nbreak",      "bad\xff\xfe utf8",
                       "semi;colon",       "sub/.dotfile-in-sub",
                       "sub dir\nx/inner", "one/two/three/c.txt"};
    for (const std::string& name : listed) {
        writeFile(root + name);
    }
    for (const char* skipped : {".cache/hidden.txt", "sub/.git/config", "..odd/file"}) {
        writeFile(root + skipped);
    }
    writeFile(tmp / "outside/secret");
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    ASSERT_TRUE(test::makeSocketFile(root + "sock"));
    ASSERT_EQ(::symlink("..", (root + "sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "outside").c_str(), (root + "out").c_str()), 0);
    ASSERT_EQ(::symlink("sub/.dotfile-in-sub", (root + "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("missing-target", (root + "dangling").c_str()), 0);
    listed.insert(listed.end(), {"pipe", "sock", "sub/loop", "out", "filelink", "dangling"});
    if (::mknod((root + "null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        listed.push_back("null-device");
    }
    EXPECT_EQ(sorted(walk(root)), below(root, listed));
}

// Walks append to their list and never clear it: two walks list every file twice.
TEST_F(FileWalkTest, WalksAppendFromALinkedStartAndAMissingOrNonFolderStartAddsNothing) {
    writeFile(tmp / "real/a");
    writeFile(tmp / "real/sub/b");
    writeFile(tmp / "plainfile");
    makeDirs(tmp / "empty");
    ASSERT_EQ(::symlink((tmp / "real").c_str(), (tmp / "link").c_str()), 0);
    const struct {
        std::string folder;
        FileList added;
    } cases[] = {{tmp / "real/", below(tmp / "real", {"a", "a", "sub/b", "sub/b"})},
                 {tmp / "link/", below(tmp / "link", {"a", "a", "sub/b", "sub/b"})},
                 {tmp / "missing/", {}},
                 {tmp / "empty/", {}},
                 {tmp / "plainfile/", {}},
                 {"", {}}};
    for (const auto& c : cases) {
        FileList list = {"earlier entry"};
        WalkInto(c.folder, list);
        WalkInto(c.folder, list);
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(list[0], "earlier entry");
        EXPECT_EQ(sorted(FileList(list.begin() + 1, list.end())), c.added) << '"' << c.folder << '"';
    }
}

TEST_F(FileWalkTest, SubfolderEntriesComeWhereTheSubfolderIsMet) {
    for (const char* name : {"f1", "f2", "f3", "f4", "s1/a", "s1/b", "s1/deep/c", "s2/d", "s2/e"}) {
        writeFile(root + name);
    }
    FileList topOrder; // the top level's own order, as the system returns it
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        topOrder.push_back(entry.path().filename());
    }
    // Each entry belongs to one top-level name; those names come in the system's order,
    // each subfolder's entries in one unbroken run.
    FileList owners;
    for (const std::string& path : walk(root)) {
        const std::string relative = path.substr(root.size());
        if (const std::string owner = relative.substr(0, relative.find('/'));
            owners.empty() || owners.back() != owner) {
            owners.push_back(owner);
        }
    }
    EXPECT_EQ(owners, topOrder);
}

TEST_F(FileWalkTest, SubFoldersFlagAndPatternApplyAtEveryDepth) {
    for (const char* name :
         {"top.log", "top.txt", "TOP2.LOG", "a/mid.log", "a/mid.txt", "a/b/low.log", "a/b/low"}) {
        writeFile(root + name);
    }
    const struct {
        std::string pattern;
        bool subFolders;
        FileList expected;
    } cases[] = {
        {"*.*", false, {"top.log", "top.txt", "TOP2.LOG"}},
        {"*.log", true, {"top.log", "TOP2.LOG", "a/mid.log", "a/b/low.log"}},
        {"*.log", false, {"top.log", "TOP2.LOG"}},
        {"*.txt; low", true, {"top.txt", "a/mid.txt", "a/b/low"}},
        {"???", true, {"a/b/low"}},
        {"nothing", true, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sorted(walk(root, c.pattern, c.subFolders)), below(root, c.expected))
            << "pattern \"" << c.pattern << "\", subfolders " << c.subFolders;
    }
}

TEST_F(FileWalkTest, UnreadableFoldersAddNothingAndTheWalkGoesOn) {
    writeFile(root + "a/visible");
    writeFile(root + "a/locked/hidden");
    writeFile(root + "b/visible2");
    writeFile(root + "noexec/name-only");
    writeFile(root + "noexec/inner/never");
    writeFile(root + "top");
    for (const char* folder : {"", "a", "b", "noexec/inner"}) {
        ASSERT_EQ(::chmod((root + folder).c_str(), 0755), 0);
    }
    ASSERT_EQ(::chmod((root + "a/locked").c_str(), 0), 0);
    // Readable but not searchable: its names can be read but its subfolders not opened.
    ASSERT_EQ(::chmod((root + "noexec").c_str(), 0744), 0);
    // The folders above the temp folder may be closed to others: the child starts
    // inside the temp folder (searchable by others) and walks a relative folder.
    ASSERT_EQ(::chmod(tmp.path().c_str(), 0711), 0);
    const int tmpFd = ::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(tmpFd, 0);

    const test::ChildOutcome child = test::runInChild(
        [&](FileList& list) {
            if (::fchdir(tmpFd) != 0) {
                return 1;
            }
            WalkInto("tree/", list);
            FileList closedStart = {"kept"};
            WalkInto("tree/a/locked/", closedStart);
            return closedStart == FileList{"kept"} ? 0 : 2;
        },
        true);
    ::close(tmpFd);
    ASSERT_EQ(child.code, 0) << "1: cannot enter the folder, 2: the closed start changed the list";
    EXPECT_EQ(sorted(child.list), below("tree", {"a/visible", "b/visible2", "noexec/name-only", "top"}));
}

// Mounts below the start folder: see SafeDeleterTest.MountsBelowTheFolderAreNeitherWalkedNorEntered.

TEST_F(FileWalkTest, DeepTreesDoNotCrashAndFewDescriptorsStopOnlyTheDescent) {
    FileList expected;
    std::string level;
    for (int depth = 0; depth < 1000; ++depth) {
        level += "d/";
        expected.push_back(level + "f");
    }
    makeDirs(root + level);
    for (const std::string& file : expected) {
        writeFile(root + file);
    }
    EXPECT_EQ(sorted(walk(root)), below(root, expected));

    // With few descriptors left the walk stops descending and keeps what it found.
    const test::ChildOutcome child = test::runInChild([&](FileList& list) {
        const rlimit limit{64, 64};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            return 1;
        }
        WalkInto(root, list);
        return 0;
    });
    ASSERT_EQ(child.code, 0);
    EXPECT_GT(child.list.size(), 10u);
    ASSERT_LT(child.list.size(), 64u);
    EXPECT_EQ(sorted(child.list),
              below(root, FileList(expected.begin(), expected.begin() + child.list.size())));
}

} // namespace
} // namespace tidorax

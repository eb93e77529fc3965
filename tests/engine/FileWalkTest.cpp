#include "engine/FileWalk.h"

#include "platform/FakePlatform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <map>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tidorax {
namespace {

using test::makeDirs;
using test::TempDir;
using test::writeFile;

std::vector<std::string> sorted(std::vector<std::string> list) {
    std::sort(list.begin(), list.end());
    return list;
}

// Sets the search variables as every caller does and walks Folder into a fresh list.
FileList walk(const std::string& folder, const std::string& pattern = "*.*", bool subFolders = true) {
    SearchFolder = AddBackslash(folder);
    SearchPattern = pattern;
    SearchSubFolders = subFolders;
    FileList list;
    WalkInto(SearchFolder, list);
    return list;
}

// Prefixes every relative name with the folder and sorts, for comparing with a walk.
std::vector<std::string> fullPaths(const std::string& folder, std::vector<std::string> relative) {
    for (std::string& name : relative) {
        name = folder + name;
    }
    return sorted(relative);
}

// What a forked child reports back through its pipe.
struct ChildResult {
    char status = 'E'; // 'O' done, 'S' skipped (reason in note), 'E' failed (reason in note)
    std::string note;
    FileList list;
};

// Runs body in a forked child (for privileges, mount namespaces and descriptor limits
// that must not touch the test process). body fills the result; the parent gets
// the status, a note and the list back through a pipe.
ChildResult runInChild(const std::function<void(ChildResult&)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {'E', "pipe failed", {}};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ChildResult result;
        body(result);
        std::string out(1, result.status);
        out += result.note;
        out.push_back('\0');
        for (const std::string& entry : result.list) {
            out += entry;
            out.push_back('\0');
        }
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string in;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], chunk, sizeof chunk)) > 0) {
        in.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildResult result;
    if (in.empty() || !WIFEXITED(status)) {
        result.note = "child ended without a report";
        return result;
    }
    result.status = in[0];
    std::size_t pos = in.find('\0');
    result.note = in.substr(1, pos - 1);
    while (++pos < in.size()) {
        const std::size_t end = in.find('\0', pos);
        result.list.push_back(in.substr(pos, end - pos));
        pos = end;
    }
    return result;
}

class FileWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakePlatform().reset(temp.path());
        root = temp / "tree/";
        makeDirs(root);
    }
    void TearDown() override {
        SearchFolder.clear();
        SearchPattern = "*.*";
        SearchSubFolders = true;
    }

    TempDir temp;
    std::string root;
};

TEST(PathHelpersTest, AddBackslashAndTrimAtNull) {
    const std::vector<std::pair<std::string, std::string>> slashCases = {
        {"", "/"}, {"/", "/"}, {"/tmp", "/tmp/"}, {"/tmp/", "/tmp/"}, {"a b", "a b/"}, {"x//", "x//"},
    };
    for (const auto& [in, expected] : slashCases) {
        EXPECT_EQ(AddBackslash(in), expected) << "AddBackslash(\"" << in << "\")";
    }

    std::string field(260, '\0');
    field.replace(0, 3, "abc");
    const std::vector<std::pair<std::string, std::string>> trimCases = {
        {field, "abc"},
        {std::string("no nul"), "no nul"},
        {std::string("\0abc", 4), ""},
        {std::string("ab\0cd\0", 6), "ab"},
        {"", ""},
    };
    for (const auto& [in, expected] : trimCases) {
        EXPECT_EQ(TrimAtNull(in), expected) << "input of " << in.size() << " characters";
    }
}

TEST(MatchSpecTest, AgreesWithTheShellMatcher) {
    struct Case {
        std::string name;
        std::string pattern;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"abc", "*.*", true},
        {"abc.txt", "*.*", true},
        {".hidden", "*.*", true},
        {"", "*.*", true},
        {"abc", "*", true},
        {"", "*", true},
        {"", "?", false},
        {"a", "?", true},
        {"ab", "?", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"ABC.TXT", "abc.txt", true},
        {"abc.txt", "ABC.TXT", true},
        {"abc.txt", "abd.txt", false},
        {"abc.txt", "abc", false},
        {"abc", "abc.txt", false},
        {"report.log", "*.log", true},
        {"report.LOG", "*.log", true},
        {"report.log.gz", "*.log", false},
        {"log", "*.log", false},
        {"abc", "*.txt;*.log", false},
        {"a.log", "*.txt;*.log", true},
        {"a.log", "*.txt;   *.log", true},
        {"a.log", "*.txt ;*.log", true},
        {"a.txt", "*.txt ;*.log", false}, // a trailing blank belongs to the pattern
        {"abc", "*.txt;*.*", true},
        {"abc", "*.txt; *.*", true},
        {"abc", "", false},
        {"abc", ";", false},
        {"", ";", true},
        {"aXbXc", "*b*c", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
        {"x\xff\xfe.bin", "X?\xfe.BIN", true},
        {"\xe9t\xe9", "\xc9T\xc9", false}, // only ASCII letters fold
        {"a*b", "a*b", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchSpec(c.name, c.pattern), c.matches) << '"' << c.name << "\" vs \"" << c.pattern << '"';
    }
}

TEST_F(FileWalkTest, NestedFoldersGiveFullPaths) {
    writeFile(root + "one/a.txt");
    writeFile(root + "one/two/b.txt");
    writeFile(root + "one/two/three/c.txt");
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, {"one/a.txt", "one/two/b.txt", "one/two/three/c.txt"}));
}

TEST_F(FileWalkTest, ListsEveryKindOfNameAndSkipsDotFolders) {
    struct Entry {
        std::string relative;
        bool listed;
    };
    const std::vector<Entry> entries = {
        {"plain.txt", true},
        {"nodot", true},
        {".dotfile", true},
        {"with blank.txt", true},
        {" leading and trailing ", true},
        {"line\nbreak", true},
        {"bad\xff\xfe utf8", true},
        {"semi;colon", true},
        {"sub/.dotfile-in-sub", true},
        {"sub/nodot", true},
        {"sub dir\nx/inner", true},
        {".cache/hidden.txt", false},
        {".cache/deeper/hidden2", false},
        {"sub/.git/config", false},
        {"..odd/file", false},
    };
    std::vector<std::string> expected;
    for (const Entry& e : entries) {
        writeFile(root + e.relative);
        if (e.listed) {
            expected.push_back(e.relative);
        }
    }
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, expected));
}

TEST_F(FileWalkTest, FoldersThatOnlyHoldDotFoldersAddNothing) {
    writeFile(root + ".a/x");
    writeFile(root + ".b/c/y");
    FileList list = {"kept"};
    SearchFolder = root;
    WalkInto(SearchFolder, list);
    EXPECT_EQ(list, FileList{"kept"});
}

TEST_F(FileWalkTest, SymbolicLinksAreListedAndNeverFollowed) {
    writeFile(temp / "outside/secret1");
    writeFile(temp / "outside/deeper/secret2");
    writeFile(root + "sub/file");
    ASSERT_EQ(::symlink("..", (root + "sub/loop").c_str()), 0);
    ASSERT_EQ(::symlink((temp / "outside").c_str(), (root + "out").c_str()), 0);
    ASSERT_EQ(::symlink("sub/file", (root + "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("missing-target", (root + "dangling").c_str()), 0);
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, {"dangling", "filelink", "out", "sub/file", "sub/loop"}));
}

TEST_F(FileWalkTest, StartFolderReachedThroughALinkIsWalked) {
    writeFile(temp / "real/a");
    ASSERT_EQ(::symlink((temp / "real").c_str(), (temp / "link").c_str()), 0);
    const std::string start = temp / "link/";
    EXPECT_EQ(walk(start), FileList{start + "a"});
}

TEST_F(FileWalkTest, ListsFifosSocketsAndDevices) {
    writeFile(root + "regular");
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    std::vector<std::string> expected = {"regular", "pipe", "sock"};

    // A socket path must fit sockaddr_un, so bind it relative to the folder.
    const int cwd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(cwd, 0);
    ASSERT_EQ(::chdir(root.c_str()), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "sock");
    const int bound = ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ASSERT_EQ(::fchdir(cwd), 0);
    ::close(cwd);
    ::close(sock);
    ASSERT_EQ(bound, 0);

    if (::mknod((root + "null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        expected.push_back("null-device");
    }
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, expected));
}

TEST_F(FileWalkTest, SubfolderEntriesComeWhereTheSubfolderIsMet) {
    for (const char* name : {"f1", "f2", "f3", "f4"}) {
        writeFile(root + name);
    }
    for (const char* name : {"s1/a", "s1/b", "s1/deep/c", "s2/d", "s2/e"}) {
        writeFile(root + name);
    }
    const FileList list = walk(root);
    ASSERT_EQ(list.size(), 9u);

    // The top level's own order, as the system returns it.
    std::vector<std::string> topOrder;
    DIR* dir = ::opendir(root.c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            topOrder.push_back(name);
        }
    }
    ::closedir(dir);

    // Each entry of the list belongs to one top-level name; those names must appear
    // in the system's order, each subfolder's entries in one unbroken run.
    std::vector<std::string> owners;
    for (const std::string& path : list) {
        const std::string relative = path.substr(root.size());
        const std::string owner = relative.substr(0, relative.find('/'));
        if (owners.empty() || owners.back() != owner) {
            owners.push_back(owner);
        }
    }
    EXPECT_EQ(owners, topOrder);
}

TEST_F(FileWalkTest, WalksAppendAndNeverClear) {
    writeFile(root + "a");
    writeFile(root + "sub/b");
    FileList list = {"earlier entry"};
    SearchFolder = root;
    WalkInto(SearchFolder, list);
    WalkInto(SearchFolder, list);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], "earlier entry");
    std::map<std::string, int> counts;
    for (std::size_t i = 1; i < list.size(); ++i) {
        ++counts[list[i]];
    }
    EXPECT_EQ(counts, (std::map<std::string, int>{{root + "a", 2}, {root + "sub/b", 2}}));
}

TEST_F(FileWalkTest, SubFoldersFlagAndPatternApplyAtEveryDepth) {
    for (const char* name :
         {"top.log", "top.txt", "TOP2.LOG", "a/mid.log", "a/mid.txt", "a/b/low.log", "a/b/low"}) {
        writeFile(root + name);
    }
    struct Case {
        std::string pattern;
        bool subFolders;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"*.*", false, {"top.log", "top.txt", "TOP2.LOG"}},
        {"*.log", true, {"top.log", "TOP2.LOG", "a/mid.log", "a/b/low.log"}},
        {"*.log", false, {"top.log", "TOP2.LOG"}},
        {"*.txt; low", true, {"top.txt", "a/mid.txt", "a/b/low"}},
        {"???", true, {"a/b/low"}},
        {"nothing", true, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sorted(walk(root, c.pattern, c.subFolders)), fullPaths(root, c.expected))
            << "pattern \"" << c.pattern << "\", subfolders " << c.subFolders;
    }
}

TEST_F(FileWalkTest, MissingEmptyOrNonFolderStartAddsNothing) {
    writeFile(temp / "plainfile");
    makeDirs(temp / "empty");
    for (const std::string& folder :
         {temp / "missing/", temp / "empty/", temp / "plainfile/", std::string()}) {
        FileList list = {"kept"};
        WalkInto(folder, list);
        EXPECT_EQ(list, FileList{"kept"}) << "folder \"" << folder << '"';
    }
}

TEST_F(FileWalkTest, NamedWalksFillTheirOwnLists) {
    writeFile(root + "x");
    const FileList one = {root + "x"};
    const FileList two = {root + "x", root + "x"};
    SearchFolder = root;
    Form1Lists() = MainWindowLists{};
    Form2Lists() = OptionsWindowLists{};
    ListFilesBefore(SearchFolder);
    ListFilesAfter(SearchFolder);
    ListFilesAfter(SearchFolder);
    ListInternetFiles(SearchFolder);
    ListTempFiles(SearchFolder);
    ListTempFiles(SearchFolder);
    EXPECT_EQ(Form1Lists().List7, one);
    EXPECT_EQ(Form1Lists().List6, two);
    EXPECT_EQ(Form2Lists().List1, one);
    EXPECT_EQ(Form2Lists().List2, two);
    EXPECT_TRUE(Form1Lists().List1.empty());
    EXPECT_TRUE(Form1Lists().List2.empty());
    EXPECT_TRUE(Form1Lists().List5.empty());
    Form1Lists() = MainWindowLists{};
    Form2Lists() = OptionsWindowLists{};
}

TEST_F(FileWalkTest, ListsHoldMoreThan32767Entries) {
    // 1,100 files walked 30 times into one list: 33,000 entries, none lost past 32,767.
    constexpr int files = 1100;
    constexpr int walks = 30;
    const int dirFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dirFd, 0);
    for (int i = 0; i < files; ++i) {
        const int fd = ::openat(dirFd, std::to_string(i).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    ::close(dirFd);
    SearchFolder = root;
    FileList list;
    for (int i = 0; i < walks; ++i) {
        WalkInto(SearchFolder, list);
    }
    ASSERT_EQ(list.size(), static_cast<std::size_t>(files) * walks);
    EXPECT_EQ(std::count(list.begin(), list.end(), root + "1099"), walks);
    EXPECT_EQ(std::count(list.begin(), list.end(), root + "0"), walks);
}

TEST_F(FileWalkTest, UnreadableFoldersAddNothingAndTheWalkGoesOn) {
    writeFile(root + "a/visible");
    writeFile(root + "a/locked/hidden");
    writeFile(root + "b/visible2");
    writeFile(root + "noexec/name-only");
    writeFile(root + "top");
    ASSERT_EQ(::chmod((root + "a/locked").c_str(), 0), 0);
    // Readable but not searchable: its names can be read but its subfolders not opened.
    makeDirs(root + "noexec/inner");
    writeFile(root + "noexec/inner/never");
    for (const char* folder : {"", "a", "b", "noexec/inner"}) {
        ASSERT_EQ(::chmod((root + folder).c_str(), 0755), 0);
    }
    ASSERT_EQ(::chmod((root + "noexec").c_str(), 0744), 0);
    // The folders above the temp folder may be closed to others: the child starts
    // inside the temp folder (searchable by others) and walks a relative folder.
    ASSERT_EQ(::chmod(temp.path().c_str(), 0711), 0);
    const int cwd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(cwd, 0);
    ASSERT_EQ(::chdir(temp.path().c_str()), 0);

    const ChildResult result = runInChild([](ChildResult& r) {
        if (::setgroups(0, nullptr) != 0 && ::getuid() == 0) {
            r.note = "setgroups failed";
            return;
        }
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            r.note = std::string("cannot drop to uid 65534: ") + std::strerror(errno);
            return;
        }
        SearchPattern = "*.*";
        SearchSubFolders = true;
        WalkInto("tree/", r.list);
        FileList closedStart = {"kept"};
        WalkInto("tree/a/locked/", closedStart);
        if (closedStart != FileList{"kept"}) {
            r.note = "the closed start folder changed the list";
            return;
        }
        r.status = 'O';
    });
    ASSERT_EQ(::fchdir(cwd), 0);
    ::close(cwd);
    ASSERT_EQ(result.status, 'O') << result.note;
    EXPECT_EQ(sorted(result.list),
              sorted({"tree/a/visible", "tree/b/visible2", "tree/noexec/name-only", "tree/top"}));
}

TEST_F(FileWalkTest, OtherMountedFilesystemsAreNotEntered) {
    writeFile(root + "before");
    writeFile(root + "plain/inside");
    makeDirs(root + "tmpfs-here");
    makeDirs(root + "bind-here");
    writeFile(root + "bind-here/under-the-mount");
    writeFile(temp / "bind-source/from-bind");

    const std::string tempPath = temp.path();
    const std::string tree = root;
    const ChildResult result = runInChild([&](ChildResult& r) {
        if (::unshare(CLONE_NEWNS) != 0) {
            r.status = 'S';
            r.note = std::string("no mount namespace: ") + std::strerror(errno);
            return;
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            r.status = 'S';
            r.note = std::string("cannot make mounts private: ") + std::strerror(errno);
            return;
        }
        if (::mount("tidorax-test", (tree + "tmpfs-here").c_str(), "tmpfs", 0, "size=1m") != 0) {
            r.status = 'S';
            r.note = std::string("tmpfs mount refused: ") + std::strerror(errno);
            return;
        }
        writeFile(tree + "tmpfs-here/on-tmpfs");
        writeFile(tree + "tmpfs-here/deeper/on-tmpfs2");
        const bool bound = ::mount((tempPath + "/bind-source").c_str(), (tree + "bind-here").c_str(), nullptr,
                                   MS_BIND, nullptr) == 0;
        SearchPattern = "*.*";
        SearchSubFolders = true;
        WalkInto(tree, r.list);
        r.note = bound ? "bind" : "";
        r.status = 'O';
    });
    if (result.status == 'S') {
        GTEST_SKIP() << result.note;
    }
    ASSERT_EQ(result.status, 'O') << result.note;
    std::vector<std::string> expected = {"before", "plain/inside"};
    if (result.note != "bind") {
        expected.push_back("bind-here/under-the-mount"); // only the tmpfs could be mounted
    }
    EXPECT_EQ(sorted(result.list), fullPaths(root, expected));
    // Nothing leaked out of the child's namespace: the folders are plain again.
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, {"before", "bind-here/under-the-mount", "plain/inside"}));
}

TEST_F(FileWalkTest, DeepTreesDoNotCrash) {
    constexpr int depth = 1000;
    std::string relative;
    for (int i = 0; i < depth; ++i) {
        relative += "d/";
    }
    makeDirs(root + relative);
    std::vector<std::string> expected;
    std::string level;
    for (int i = 0; i < depth; ++i) {
        level += "d/";
        writeFile(root + level + "f");
        expected.push_back(level + "f");
    }
    EXPECT_EQ(sorted(walk(root)), fullPaths(root, expected));

    // With few descriptors left the walk stops descending and keeps what it found.
    const ChildResult result = runInChild([&](ChildResult& r) {
        const rlimit limit{64, 64};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            r.note = "setrlimit failed";
            return;
        }
        SearchPattern = "*.*";
        SearchSubFolders = true;
        WalkInto(root, r.list);
        r.status = 'O';
    });
    ASSERT_EQ(result.status, 'O') << result.note;
    EXPECT_GT(result.list.size(), 10u);
    EXPECT_LT(result.list.size(), 64u);
    const std::vector<std::string> shallowest(expected.begin(),
                                              expected.begin() + static_cast<long>(result.list.size()));
    EXPECT_EQ(sorted(result.list), fullPaths(root, shallowest));
}

} // namespace
} // namespace tidorax

#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace tidorax::test {
namespace {

AutostartRedirect autostartIn(const TempDir& dir) {
    return {dir / "autostart", "/opt/tidorax/tidorax"};
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(RegistryHiveFile, CreatesAPrivateFileAndKeepsEveryWriteAcrossReopen) {
    TempDir dir;
    const std::string path = dir / "config/tidorax/registry.sqlite3";
    {
        RegistryHive hive(path, autostartIn(dir));
        ASSERT_TRUE(hive.usable());
        const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\UserFolder");
        ASSERT_EQ(setValue(hive, key, "File0", REG_SZ, sz("/home/u/junk")), ERROR_SUCCESS);
        ASSERT_EQ(setValue(hive, key, "File1", REG_SZ, ""), ERROR_SUCCESS);
        ASSERT_EQ(setValue(hive, key, "File2", REG_SZ, std::string(1, '\0')), ERROR_SUCCESS);
        ASSERT_NE(createKey(hive, HKEY_CURRENT_USER, "Software\\Gone"), 0u);
        ASSERT_EQ(hive.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Gone"), ERROR_SUCCESS);
        // The handle stays open: every write must already be in the file.
        RegistryHive second(path, autostartIn(dir));
        const HKEY seen =
            openKey(second, HKEY_CURRENT_USER, "software\\quillon software\\tidora\\userfolder");
        EXPECT_EQ(queryValue(second, seen, "File0"), (StoredValue{REG_SZ, sz("/home/u/junk")}));
    }
    EXPECT_EQ(modeOf(dir / "config/tidorax"), 0700u);
    EXPECT_EQ(modeOf(dir / "config"), 0700u);
    EXPECT_EQ(modeOf(path), 0600u);

    RegistryHive reopened(path, autostartIn(dir));
    const HKEY key = openKey(reopened, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora\\UserFolder");
    ASSERT_NE(key, 0u);
    EXPECT_EQ(valueNames(reopened, key), (std::vector<std::string>{"File0", "File1", "File2"}));
    EXPECT_EQ(queryValue(reopened, key, "File1"), (StoredValue{REG_SZ, ""}));
    EXPECT_EQ(queryValue(reopened, key, "File2"), (StoredValue{REG_SZ, std::string(1, '\0')}));
    EXPECT_EQ(subKeyNames(reopened, openKey(reopened, HKEY_CURRENT_USER, "Software")),
              std::vector<std::string>{"Quillon Software"});
}

TEST(RegistryHiveFile, TwoProcessesWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir / "registry.sqlite3";
    {
        RegistryHive hive(path, autostartIn(dir));
        ASSERT_TRUE(hive.usable());
    }
    constexpr int kWriters = 2;
    constexpr int kValuesEach = 60;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            {
                RegistryHive hive(path, autostartIn(dir));
                for (int i = 0; i < kValuesEach; ++i) {
                    // Both writers create the same keys and write to a shared one.
                    const HKEY own =
                        createKey(hive, HKEY_CURRENT_USER, "Software\\Shared\\Key" + std::to_string(i % 7));
                    const std::string name = "w" + std::to_string(writer) + "_" + std::to_string(i);
                    failures += own == 0 ? 1 : 0;
                    failures += setValue(hive, own, name, REG_SZ, sz(name)) != ERROR_SUCCESS ? 1 : 0;
                    hive.RegCloseKey(own);
                }
            }
            ::_exit(failures > 100 ? 100 : failures);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "failed writes in a child";
    }
    RegistryHive hive(path, autostartIn(dir));
    const HKEY shared = openKey(hive, HKEY_CURRENT_USER, "Software\\Shared");
    EXPECT_EQ(subKeyNames(hive, shared).size(), 7u);
    std::size_t total = 0;
    for (const std::string& name : subKeyNames(hive, shared)) {
        total += valueNames(hive, openKey(hive, shared, name)).size();
    }
    EXPECT_EQ(total, static_cast<std::size_t>(kWriters * kValuesEach));
}

TEST(RegistryHiveFile, ADamagedFileFailsEveryCallAndIsLeftAlone) {
    TempDir dir;
    // A real hive with enough in it to span several pages, to cut short later.
    const std::string good = dir / "good.sqlite3";
    {
        RegistryHive hive(good, autostartIn(dir));
        const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Big");
        for (int i = 0; i < 200; ++i) {
            setValue(hive, key, "Value" + std::to_string(i), REG_SZ, sz(std::string(100, 'a' + i % 26)));
        }
    }
    const std::string goodBytes = readFile(good);
    ASSERT_GT(goodBytes.size(), 16384u);
    std::string garbage;
    for (int i = 0; i < 8192; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 251));
    }
    std::string foreign = goodBytes;
    foreign[68] = 'Z'; // the application id in the header: another program's database
    makeDirs(dir / "folder.sqlite3/inside");
    writeFile(dir / "blocker", "x");
    struct Case {
        const char* what;
        std::optional<std::string> contents; // nullopt: made above
        std::string path;
        LONG openError;
    };
    const std::vector<Case> cases = {
        {"random bytes", garbage, dir / "random.sqlite3", ERROR_BADDB},
        {"text file", "registry = broken\n", dir / "text.sqlite3", ERROR_BADDB},
        {"cut to half", goodBytes.substr(0, goodBytes.size() / 2), dir / "half.sqlite3", ERROR_BADDB},
        {"cut inside the header", goodBytes.substr(0, 60), dir / "header.sqlite3", ERROR_BADDB},
        {"header kept, pages zeroed", goodBytes.substr(0, 4096) + std::string(goodBytes.size() - 4096, '\0'),
         dir / "zeroed.sqlite3", ERROR_BADDB},
        {"another program's database", foreign, dir / "foreign.sqlite3", ERROR_BADDB},
        {"a folder", std::nullopt, dir / "folder.sqlite3", ERROR_CANTOPEN},
        {"parent is a file", std::nullopt, dir / "blocker/registry.sqlite3", ERROR_CANTOPEN},
    };
    for (const Case& c : cases) {
        if (c.contents) {
            writeFile(c.path, *c.contents);
        }
        const std::string before = readFile(c.path);
        {
            RegistryHive hive(c.path, autostartIn(dir));
            EXPECT_FALSE(hive.usable()) << c.what;
            HKEY key = 0;
            EXPECT_EQ(hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), c.openError)
                << c.what;
            EXPECT_EQ(key, 0u) << c.what;
            EXPECT_EQ(createKey(hive, HKEY_CURRENT_USER, "Software\\New"), 0u) << c.what;
            EXPECT_NE(setValue(hive, HKEY_CURRENT_USER, "x", REG_SZ, sz("y")), ERROR_SUCCESS) << c.what;
            EXPECT_FALSE(queryValue(hive, HKEY_CURRENT_USER, "x").has_value()) << c.what;
            EXPECT_EQ(queryValue(hive, 0x4321, "x"), std::nullopt) << c.what;
            EXPECT_EQ(hive.RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), c.openError) << c.what;
        }
        EXPECT_EQ(readFile(c.path), before) << c.what;
    }
    EXPECT_TRUE(exists(dir / "folder.sqlite3/inside"));
    EXPECT_EQ(readFile(dir / "blocker"), "x");
}

// Runs check in a child process that cannot bypass file permissions. Root reads and
// writes any file, so a root child first gives up the capabilities that let it
// (it stays the owner of the test's folders, which a change of user would lock out
// of a private $TMPDIR). Returns the check's count of failures, or 100+ when the
// child could not be set up.
int failuresWithoutPermissionBypass(int (*check)()) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        return 101;
    }
    if (pid == 0) {
        if (::geteuid() == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct data[2] = {};
            if (::syscall(SYS_capget, &header, data) != 0) {
                ::_exit(102);
            }
            const unsigned bypass =
                (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
            data[0].effective &= ~bypass;
            data[0].permitted &= ~bypass;
            data[0].inheritable &= ~bypass;
            if (::syscall(SYS_capset, &header, data) != 0) {
                ::_exit(103);
            }
        }
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return 104;
    }
    return WEXITSTATUS(status);
}

// What the child checks look at (set before the fork).
std::string gHivePath;
bool gReadable = false;

TEST(RegistryHiveFile, AClosedFileFailsEvenWithoutRootsPowers) {
    struct Case {
        const char* what;
        mode_t fileMode;
        mode_t folderMode;
        bool readable; // reads still answer, writes fail
    };
    for (const Case& c :
         {Case{"mode 000", 0, 0700, false}, Case{"read-only file and folder", 0444, 0555, true}}) {
        TempDir dir;
        const std::string folder = dir / "hive";
        const std::string path = folder + "/registry.sqlite3";
        {
            RegistryHive hive(path, autostartIn(dir));
            setValue(hive, createKey(hive, HKEY_CURRENT_USER, "Software\\Kept"), "v", REG_SZ, sz("kept"));
        }
        const std::string before = readFile(path);
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        gHivePath = path;
        gReadable = c.readable;
        EXPECT_EQ(failuresWithoutPermissionBypass([] {
                      // The file really is closed to this process.
                      const int fd = ::open(gHivePath.c_str(), gReadable ? O_WRONLY : O_RDONLY);
                      if (fd >= 0 || errno != EACCES) {
                          return 50;
                      }
                      RegistryHive hive(gHivePath, AutostartRedirect{"/nonexistent", "/opt/tidorax/tidorax"});
                      HKEY key = 0;
                      const LONG opened =
                          hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kept", 0, KEY_ALL_ACCESS, &key);
                      int failed = hive.usable() == gReadable ? 0 : 1;
                      if (!gReadable) {
                          failed += opened != ERROR_CANTOPEN;
                          return failed +
                                 (setValue(hive, HKEY_CURRENT_USER, "x", REG_SZ, sz("y")) != ERROR_CANTOPEN);
                      }
                      failed += queryValue(hive, key, "v") == StoredValue{REG_SZ, sz("kept")} ? 0 : 1;
                      failed += setValue(hive, key, "v", REG_SZ, sz("new")) != ERROR_CANTWRITE;
                      failed += createKey(hive, HKEY_CURRENT_USER, "Software\\New") != 0;
                      return failed + (hive.RegDeleteValueA(key, "v") != ERROR_CANTWRITE);
                  }),
                  0)
            << c.what;
        EXPECT_EQ(modeOf(path), c.fileMode) << c.what;
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(readFile(path), before) << c.what;
    }
}

TEST(RegistryHiveFile, AFileDamagedWhileOpenFailsLaterCallsWithoutACrash) {
    TempDir dir;
    const std::string path = dir / "registry.sqlite3";
    RegistryHive hive(path, autostartIn(dir));
    const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Live");
    ASSERT_EQ(setValue(hive, key, "v", REG_SZ, sz("1")), ERROR_SUCCESS);
    std::string garbage(readFile(path).size(), '\x5a');
    writeFile(path, garbage);
    const std::vector<LONG> acceptable = {ERROR_BADDB, ERROR_CANTREAD, ERROR_CANTWRITE, ERROR_KEY_DELETED};
    const LONG set = setValue(hive, key, "v", REG_SZ, sz("2"));
    EXPECT_NE(std::find(acceptable.begin(), acceptable.end(), set), acceptable.end()) << set;
    HKEY other = 0;
    EXPECT_EQ(hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &other), ERROR_BADDB);
    EXPECT_EQ(readFile(path), garbage);
}

} // namespace
} // namespace tidorax::test

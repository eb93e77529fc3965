#include "platform/RegistryHive.h"
#include "tests/platform/HiveTestSupport.h"
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
#include <memory>

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

// What a damaged hive must do: no key opens, nothing is written, the file stays as it was.
void expectRefusedAndUntouched(const std::string& path, const std::string& autostart, LONG expectedOpenError,
                               const std::string& what) {
    const std::string before = readFile(path);
    {
        RegistryHive hive(path, AutostartRedirect{autostart, "/opt/tidorax/tidorax"});
        EXPECT_FALSE(hive.usable()) << what;
        HKEY key = 0;
        EXPECT_EQ(hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), expectedOpenError)
            << what;
        EXPECT_EQ(key, 0u) << what;
        DWORD disposition = 0;
        EXPECT_NE(hive.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS,
                                       nullptr, &key, &disposition),
                  ERROR_SUCCESS)
            << what;
        EXPECT_NE(setValue(hive, HKEY_CURRENT_USER, "x", REG_SZ, sz("y")), ERROR_SUCCESS) << what;
        DWORD size = 0;
        EXPECT_NE(hive.RegQueryValueExA(HKEY_CURRENT_USER, "x", nullptr, nullptr, nullptr, &size),
                  ERROR_SUCCESS)
            << what;
        EXPECT_EQ(hive.RegQueryValueExA(0x4321, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE)
            << what;
        EXPECT_EQ(hive.RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), expectedOpenError) << what;
    }
    EXPECT_EQ(readFile(path), before) << what;
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
    struct Case {
        const char* what;
        std::string contents;
        LONG expected;
    };
    const std::vector<Case> cases = {
        {"random bytes", garbage, ERROR_BADDB},
        {"text file", "registry = broken\n", ERROR_BADDB},
        {"cut to half", goodBytes.substr(0, goodBytes.size() / 2), ERROR_BADDB},
        {"cut inside the header", goodBytes.substr(0, 60), ERROR_BADDB},
        {"header kept, pages zeroed", goodBytes.substr(0, 4096) + std::string(goodBytes.size() - 4096, '\0'),
         ERROR_BADDB},
    };
    for (const Case& c : cases) {
        const std::string path =
            dir / (std::string("damaged-") + std::to_string(&c - cases.data()) + ".sqlite3");
        writeFile(path, c.contents);
        expectRefusedAndUntouched(path, dir / "autostart", c.expected, c.what);
    }

    // A database of some other program is not taken over.
    const std::string foreign = dir / "foreign.sqlite3";
    {
        RegistryHive hive(good, autostartIn(dir));
        ASSERT_TRUE(hive.usable());
    }
    std::string foreignBytes = goodBytes;
    foreignBytes[68] = 'Z'; // application id in the header
    writeFile(foreign, foreignBytes);
    expectRefusedAndUntouched(foreign, dir / "autostart", ERROR_BADDB, "another program's database");

    // A folder where the file should be.
    const std::string folder = dir / "folder.sqlite3";
    makeDirs(folder + "/inside");
    expectRefusedAndUntouched(folder, dir / "autostart", ERROR_CANTOPEN, "a folder");
    EXPECT_TRUE(exists(folder + "/inside"));

    // A parent that is a file.
    writeFile(dir / "blocker", "x");
    expectRefusedAndUntouched(dir / "blocker/registry.sqlite3", dir / "autostart", ERROR_CANTOPEN,
                              "parent is a file");
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

// Where the child checks find their hive (set before the fork).
std::string gHivePath;

TEST(RegistryHiveFile, AnUnreadableFileFailsEvenWithoutRootsPowers) {
    TempDir dir;
    const std::string path = dir / "hive/registry.sqlite3";
    {
        RegistryHive hive(path, autostartIn(dir));
        ASSERT_NE(createKey(hive, HKEY_CURRENT_USER, "Software\\Kept"), 0u);
    }
    const std::string before = readFile(path);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    gHivePath = path;
    EXPECT_EQ(failuresWithoutPermissionBypass([] {
                  // The file really is closed to this process.
                  const int fd = ::open(gHivePath.c_str(), O_RDONLY);
                  if (fd >= 0 || errno != EACCES) {
                      return 50;
                  }
                  RegistryHive hive(gHivePath, AutostartRedirect{"/nonexistent", "/opt/tidorax/tidorax"});
                  HKEY key = 0;
                  int failed = hive.usable() ? 1 : 0;
                  failed += hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kept", 0, KEY_READ, &key) !=
                            ERROR_CANTOPEN;
                  failed += setValue(hive, HKEY_CURRENT_USER, "x", REG_SZ, sz("y")) != ERROR_CANTOPEN;
                  return failed;
              }),
              0);
    EXPECT_EQ(modeOf(path), 0u);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(readFile(path), before);
}

TEST(RegistryHiveFile, AReadOnlyFileStillAnswersReadsAndRefusesWrites) {
    TempDir dir;
    const std::string folder = dir / "hive";
    const std::string path = folder + "/registry.sqlite3";
    {
        RegistryHive hive(path, autostartIn(dir));
        setValue(hive, createKey(hive, HKEY_CURRENT_USER, "Software\\R"), "v", REG_SZ, sz("kept"));
    }
    const std::string before = readFile(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    gHivePath = path;
    EXPECT_EQ(failuresWithoutPermissionBypass([] {
                  const int fd = ::open(gHivePath.c_str(), O_WRONLY);
                  if (fd >= 0 || errno != EACCES) {
                      return 50;
                  }
                  RegistryHive hive(gHivePath, AutostartRedirect{"/nonexistent", "/opt/tidorax/tidorax"});
                  const HKEY key = openKey(hive, HKEY_CURRENT_USER, "Software\\R");
                  int failed = hive.usable() ? 0 : 1;
                  failed += queryValue(hive, key, "v") == StoredValue{REG_SZ, sz("kept")} ? 0 : 1;
                  failed += setValue(hive, key, "v", REG_SZ, sz("new")) != ERROR_CANTWRITE;
                  failed += createKey(hive, HKEY_CURRENT_USER, "Software\\New") != 0;
                  failed += hive.RegDeleteValueA(key, "v") != ERROR_CANTWRITE;
                  return failed;
              }),
              0);
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ(readFile(path), before);
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

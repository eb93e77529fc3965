#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tidorax::test {
namespace {

constexpr HKEY kUser = HKEY_CURRENT_USER;

AutostartRedirect autostartIn(const TempDir& dir) {
    return {dir / "autostart", "/opt/tidorax/tidorax"};
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

pid_t inChild(const std::function<int()>& run) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(run());
    }
    return pid;
}

// The child's exit code: its count of failures.
int exitCodeOf(pid_t pid) {
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(RegistryHiveFile, CreatesAPrivateFileAndEveryWriteIsInItWhenTheCallReturns) {
    TempDir dir;
    const std::string path = dir / "config/tidorax/registry.sqlite3";
    RegistryHive hive(path, autostartIn(dir));
    const HKEY key = createKey(hive, kUser, "Software\\Tidora\\UserFolder");
    ASSERT_EQ(setValue(hive, key, "File0", REG_SZ, sz("/home/u/junk")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, key, "File1", REG_SZ, ""), ERROR_SUCCESS);
    // The first hive stays open: a second one sees what another process would.
    RegistryHive second(path, autostartIn(dir));
    EXPECT_EQ(storedValue(second, kUser, "software\\tidora\\userfolder", "File0"),
              (StoredValue{REG_SZ, sz("/home/u/junk")}));
    EXPECT_EQ(storedValue(second, kUser, "Software\\Tidora\\UserFolder", "File1"), (StoredValue{REG_SZ, ""}));
    EXPECT_EQ(modeOf(dir / "config/tidorax"), 0700u);
    EXPECT_EQ(modeOf(path), 0600u);
}

TEST(RegistryHiveFile, TwoProcessesWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir / "registry.sqlite3";
    const auto writer = [&](const std::string& id) {
        return inChild([&] {
            RegistryHive hive(path, autostartIn(dir));
            int failures = 0;
            for (int i = 0; i < 60; ++i) {
                // Both writers create the same keys and write to them.
                const HKEY key = createKey(hive, kUser, "Software\\Shared\\Key" + std::to_string(i % 7));
                const std::string name = id + std::to_string(i);
                failures += key == 0 || setValue(hive, key, name, REG_SZ, sz(name)) != ERROR_SUCCESS;
            }
            return std::min(failures, 99);
        });
    };
    const pid_t first = writer("a");
    const pid_t second = writer("b");
    EXPECT_EQ(exitCodeOf(first), 0);
    EXPECT_EQ(exitCodeOf(second), 0);
    RegistryHive hive(path, autostartIn(dir));
    const HKEY shared = openKey(hive, kUser, "Software\\Shared");
    std::size_t total = 0;
    for (const std::string& name : subKeyNames(hive, shared)) {
        total += valueNames(hive, openKey(hive, shared, name)).size();
    }
    EXPECT_EQ(total, 120u);
}

TEST(RegistryHiveFile, ADamagedOrClosedFileFailsEveryCallAndIsLeftAlone) {
    TempDir dir;
    // A real hive spanning several pages, to damage in different ways.
    const std::string good = dir / "good.sqlite3";
    {
        RegistryHive hive(good, autostartIn(dir));
        setValue(hive, createKey(hive, kUser, "Software\\Kept"), "v", REG_SZ, sz("kept"));
        const HKEY key = createKey(hive, kUser, "Software\\Big");
        for (int i = 0; i < 200; ++i) {
            setValue(hive, key, "Value" + std::to_string(i), REG_SZ, sz(std::string(100, 'a' + i % 26)));
        }
    }
    const std::string bytes = readFile(good);
    std::string foreign = bytes;
    foreign[68] = 'Z'; // the application id in the header: another program's database
    const StoredValue kept{REG_SZ, sz("kept")};
    struct Case {
        std::string what;
        std::optional<std::string> contents; // nullopt: a folder stands there
        mode_t fileMode, folderMode;
        LONG writeResult;
        std::optional<StoredValue> read;
    };
    for (const Case& c : std::vector<Case>{
             {"text", "registry = broken\n", 0600, 0700, ERROR_BADDB, std::nullopt},
             {"cut to half", bytes.substr(0, bytes.size() / 2), 0600, 0700, ERROR_BADDB, std::nullopt},
             {"zeroed", bytes.substr(0, 4096) + std::string(bytes.size() - 4096, '\0'), 0600, 0700,
              ERROR_BADDB, std::nullopt},
             {"foreign", foreign, 0600, 0700, ERROR_BADDB, std::nullopt},
             {"folder", std::nullopt, 0700, 0700, ERROR_CANTOPEN, std::nullopt},
             {"unreadable", bytes, 0000, 0700, ERROR_CANTOPEN, std::nullopt},
             {"read-only", bytes, 0444, 0555, ERROR_CANTWRITE, kept},
         }) {
        const std::string path = dir / c.what + "/registry.sqlite3";
        c.contents ? writeFile(path, *c.contents) : makeDirs(path);
        ASSERT_EQ(::chmod(path.c_str(), c.fileMode) | ::chmod((dir / c.what).c_str(), c.folderMode), 0);
        EXPECT_EQ(exitCodeOf(inChild([&] {
                      // Root reads and writes any file: give up the powers that let it.
                      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
                      __user_cap_data_struct caps[2] = {};
                      ::syscall(SYS_capget, &header, caps);
                      caps[0].effective &=
                          ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
                      if (::syscall(SYS_capset, &header, caps) != 0) {
                          return 50;
                      }
                      RegistryHive hive(path, autostartIn(dir));
                      return (hive.usable() != c.read.has_value()) +
                             (storedValue(hive, kUser, "Software\\Kept", "v") != c.read) +
                             (setValue(hive, kUser, "x", REG_SZ, sz("y")) != c.writeResult) +
                             (hive.RegDeleteKeyA(kUser, "Software\\Kept") != c.writeResult);
                  })),
                  0)
            << c.what;
        ASSERT_EQ(::chmod((dir / c.what).c_str(), 0700) | ::chmod(path.c_str(), 0700), 0);
        EXPECT_EQ(c.contents ? readFile(path) : "", c.contents.value_or("")) << c.what;
    }
}

TEST(RegistryHiveFile, AFileDamagedWhileOpenFailsLaterCallsAndIsLeftAlone) {
    TempDir dir;
    const std::string path = dir / "registry.sqlite3";
    RegistryHive hive(path, autostartIn(dir));
    const HKEY key = createKey(hive, kUser, "Software\\Live");
    ASSERT_EQ(setValue(hive, key, "v", REG_SZ, sz("1")), ERROR_SUCCESS);
    const std::string garbage(readFile(path).size(), '\x5a');
    writeFile(path, garbage);
    EXPECT_NE(setValue(hive, key, "v", REG_SZ, sz("2")), ERROR_SUCCESS);
    HKEY other = 0;
    EXPECT_EQ(hive.RegOpenKeyExA(kUser, "Software", 0, KEY_READ, &other), ERROR_BADDB);
    EXPECT_EQ(readFile(path), garbage);
}

} // namespace
} // namespace tidorax::test

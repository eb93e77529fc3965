#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

namespace tidorax::test {
namespace {

namespace fs = std::filesystem;
constexpr HKEY kUser = HKEY_CURRENT_USER;

const AutostartRedirect kAutostart{"/nonexistent/autostart", "/opt/tidorax/tidorax"};

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

TEST(RegistryHiveFile, APrivateFileHoldsEveryWriteWhenTheCallReturns) {
    TempDir dir;
    const std::string path = dir / "config/tidorax/registry.sqlite3";
    RegistryHive hive(path, kAutostart);
    const HKEY key = createKey(hive, kUser, "Software\\Tidora\\UserFolder");
    ASSERT_EQ(setValue(hive, key, "File0", REG_SZ, sz("/home/u/junk")), ERROR_SUCCESS);
    // The first hive stays open: a second one sees what another process would.
    RegistryHive second(path, kAutostart);
    EXPECT_EQ(storedValue(second, kUser, "software\\tidora\\userfolder", "File0"),
              (StoredValue{REG_SZ, sz("/home/u/junk")}));
    EXPECT_EQ(std::pair(fs::status(dir / "config/tidorax").permissions(), fs::status(path).permissions()),
              std::pair(fs::perms::owner_all, fs::perms::owner_read | fs::perms::owner_write));

    // Damaged while open: later calls fail and the file is left as it is.
    const std::string garbage(readFile(path).size(), '\x5a');
    writeFile(path, garbage);
    EXPECT_EQ(setValue(hive, key, "File0", REG_SZ, sz("2")), ERROR_BADDB);
    EXPECT_EQ(readFile(path), garbage);
}

TEST(RegistryHiveFile, TwoProcessesOfTwoThreadsEachWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = dir / "registry.sqlite3";
    const auto writer = [&](const std::string& id) {
        return inChild([&] {
            RegistryHive hive(path, kAutostart);
            std::atomic<int> failures = 0;
            const auto write = [&](const std::string& thread) {
                for (int i = 0; i < 30; ++i) {
                    // Every writer creates the same keys and writes to them.
                    const HKEY key = createKey(hive, kUser, "Software\\Shared\\Key" + std::to_string(i % 7));
                    const std::string name = id + thread + std::to_string(i);
                    failures += key == 0 || setValue(hive, key, name, REG_SZ, sz(name)) != ERROR_SUCCESS;
                }
            };
            std::thread other(write, "y");
            write("x");
            other.join();
            return std::min(failures.load(), 99);
        });
    };
    for (const pid_t child : {writer("a"), writer("b")}) {
        EXPECT_EQ(exitCodeOf(child), 0);
    }
    RegistryHive hive(path, kAutostart);
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
        RegistryHive hive(good, kAutostart);
        const HKEY key = createKey(hive, kUser, "Software\\Kept");
        for (int i = 0; i < 200; ++i) {
            setValue(hive, key, "v" + std::to_string(i), REG_SZ, sz(std::string(100, 'k')));
        }
    }
    const std::string bytes = readFile(good);
    std::string foreign = bytes;
    foreign[68] = 'Z';          // the application id in the header: another program's database
    std::string zeroed = bytes; // the header kept, every page after it zeroed
    std::fill(zeroed.begin() + 4096, zeroed.end(), '\0');
    struct Case {
        std::string what;
        std::optional<std::string> contents; // nullopt: a folder stands there
        int fileMode;
        LONG writeResult;
        std::optional<StoredValue> read; // a readable file still answers reads
    };
    for (const Case& c : std::vector<Case>{
             {"cut to half", bytes.substr(0, bytes.size() / 2), 0600, ERROR_BADDB, {}},
             {"zeroed", zeroed, 0600, ERROR_BADDB, {}},
             {"foreign", foreign, 0600, ERROR_BADDB, {}},
             {"folder", std::nullopt, 0700, ERROR_CANTOPEN, {}},
             {"unreadable", bytes, 0000, ERROR_CANTOPEN, {}},
             {"read-only", bytes, 0444, ERROR_CANTWRITE, StoredValue{REG_SZ, sz(std::string(100, 'k'))}},
         }) {
        const std::string path = dir / c.what + "/registry.sqlite3";
        c.contents ? writeFile(path, *c.contents) : makeDirs(path);
        fs::permissions(path, fs::perms(c.fileMode));
        fs::permissions(dir / c.what, c.read ? fs::perms(0555) : fs::perms::owner_all);
        EXPECT_EQ(exitCodeOf(inChild([&] {
                      // Root reads and writes any file: give up the powers that let it.
                      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
                      __user_cap_data_struct caps[2] = {};
                      ::syscall(SYS_capget, &header, caps);
                      caps[0].effective &=
                          ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
                      const bool dropped = ::syscall(SYS_capset, &header, caps) == 0;
                      RegistryHive hive(path, kAutostart);
                      return !dropped + (hive.usable() != c.read.has_value()) +
                             (storedValue(hive, kUser, "Software\\Kept", "v7") != c.read) +
                             (setValue(hive, kUser, "x", REG_SZ, sz("y")) != c.writeResult) +
                             (hive.RegDeleteKeyA(kUser, "Software\\Kept") != c.writeResult);
                  })),
                  0)
            << c.what;
        fs::permissions(dir / c.what, fs::perms::owner_all);
        fs::permissions(path, fs::perms::owner_all);
        EXPECT_EQ(c.contents ? readFile(path) : "", c.contents.value_or("")) << c.what;
    }
}

} // namespace
} // namespace tidorax::test

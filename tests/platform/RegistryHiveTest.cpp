#include "platform/hive/RegistryHive.h"
#include "tests/support/EngineTestSupport.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace tidorax::test {
namespace {

namespace fs = std::filesystem;
constexpr HKEY kUser = HKEY_CURRENT_USER;
const AutostartRedirect kAutostart{"/nonexistent/autostart", "/opt/tidorax/tidorax"};

class RegistryHiveTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string folder = dir / "my config/autostart";
    std::string entry = folder + "/Tidora.desktop";
    std::string program = dir / "my 100% \"bin\"/tidorax";
    RegistryHive hive{dir / "config/tidorax/registry.sqlite3", AutostartRedirect{folder, program}};
};

TEST_F(RegistryHiveTest, EveryCallAnswersWithTheWindowsResultCode) {
    const HKEY app = createKey(hive, kUser, "Software\\Test\\App");
    ASSERT_EQ(setValue(hive, app, "Name", REG_SZ, sz("abc")), ERROR_SUCCESS);
    const HKEY child = createKey(hive, app, "Child");
    const HKEY setOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_SET_VALUE);
    HKEY opened = 0;
    DWORD nameRoom = 4, size = 0;
    char name[8] = {};
    BYTE buffer[16] = {};
    const auto query = [&](DWORD room, const char* value) {
        size = room;
        return hive.RegQueryValueExA(app, value, nullptr, nullptr, buffer, &size);
    };
    // Run in this order: the later ones see what the earlier ones did.
    const std::vector<std::tuple<const char*, LONG, LONG>> cases = {
        {"open a missing key", hive.RegOpenKeyExA(kUser, "Software\\Nope", 0, KEY_READ, &opened),
         ERROR_FILE_NOT_FOUND},
        {"query a missing value", query(4, "Nope"), ERROR_FILE_NOT_FOUND},
        {"query into a small buffer", query(3, "Name"), ERROR_MORE_DATA},
        {"size needed", static_cast<LONG>(size), 4},
        {"set with the right", setValue(hive, setOnly, "Other", REG_SZ, sz("x")), ERROR_SUCCESS},
        {"delete a missing value", hive.RegDeleteValueA(app, "Nope"), ERROR_FILE_NOT_FOUND},
        {"delete with the right", hive.RegDeleteValueA(setOnly, "other"), ERROR_SUCCESS},
        {"name without room for its zero",
         hive.RegEnumValueA(app, 0, name, &nameRoom, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA},
        {"delete a key with subkeys", hive.RegDeleteKeyA(kUser, "Software\\Test\\App"), ERROR_ACCESS_DENIED},
        {"delete a missing key", hive.RegDeleteKeyA(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND},
        {"delete a root", hive.RegDeleteKeyA(kUser, ""), ERROR_ACCESS_DENIED},
        {"delete a key", hive.RegDeleteKeyA(app, "child"), ERROR_SUCCESS},
        {"set in a deleted key", setValue(hive, child, "v", REG_SZ, ""), ERROR_KEY_DELETED},
    };
    for (const auto& [what, result, expected] : cases) {
        EXPECT_EQ(result, expected) << what;
    }
    // The file is private.
    EXPECT_EQ(
        std::pair(fs::status(dir / "config/tidorax").permissions(), fs::status(hive.path()).permissions()),
        std::pair(fs::perms::owner_all, fs::perms::owner_read | fs::perms::owner_write));
}

TEST_F(RegistryHiveTest, ValuesAreKeptAsFirstWritten) {
    const HKEY key = createKey(hive, kUser, "Software\\Data");
    const std::vector<std::pair<const char*, StoredValue>> cases = {
        {"NoBytes", {REG_SZ, ""}},
        {"Binary", {REG_BINARY, std::string("\x00\xff\x00\x10", 4)}},
        {"", {REG_SZ, sz("unnamed")}},
        {"Odd type", {0x1234, "raw"}}};
    for (const auto& [valueName, value] : cases) {
        ASSERT_EQ(setValue(hive, key, valueName, value.type, value.data), ERROR_SUCCESS) << valueName;
        EXPECT_EQ(storedValue(hive, kUser, "Software\\Data", valueName), value) << valueName;
    }
    // An update under another spelling keeps the name and its place.
    ASSERT_EQ(setValue(hive, key, "NOBYTES", REG_DWORD, std::string(4, '\x01')), ERROR_SUCCESS);
    EXPECT_EQ(storedValue(hive, kUser, "Software\\Data", "nobytes"),
              (StoredValue{REG_DWORD, std::string(4, '\x01')}));
    EXPECT_EQ(names(hive, key, false), (std::vector<std::string>{"NoBytes", "Binary", "", "Odd type"}));
    ASSERT_TRUE(createKey(hive, kUser, "SOFTWARE\\DATA\\kZ") != 0 && createKey(hive, key, "ka") != 0);
    EXPECT_EQ(names(hive, openKey(hive, kUser, "sOfTwArE\\data"), true),
              (std::vector<std::string>{"kZ", "ka"}));
}

TEST_F(RegistryHiveTest, AGroupOfWritesIsOneTransactionThatKeepsEveryResultCode) {
    RegistryHive other{hive.path(), kAutostart};
    const HKEY key = createKey(hive, kUser, "Software\\Group");
    const HKEY gone = createKey(hive, key, "Gone");
    ASSERT_EQ(hive.RegDeleteKeyA(key, "Gone"), ERROR_SUCCESS);
    const auto seenByOther = [&other](const char* name) {
        return storedValue(other, kUser, "Software\\Group", name).has_value();
    };
    const std::vector<std::tuple<const char*, LONG, LONG>> cases = {
        {"begin", hive.BeginWriteGroup(), ERROR_SUCCESS},
        {"write", setValue(hive, key, "A", REG_SZ, sz("a")), ERROR_SUCCESS},
        {"a failing write keeps its code", setValue(hive, gone, "X", REG_SZ, sz("x")), ERROR_KEY_DELETED},
        {"write after it", setValue(hive, key, "B", REG_SZ, sz("b")), ERROR_SUCCESS},
        {"not yet seen by another process", seenByOther("A") || seenByOther("B"), 0},
        {"end", hive.EndWriteGroup(), ERROR_SUCCESS},
        {"then both are there", seenByOther("A") && seenByOther("B"), 1},
        {"and only once ended", hive.EndWriteGroup(), ERROR_INVALID_FUNCTION},
    };
    for (const auto& [what, result, expected] : cases) {
        EXPECT_EQ(result, expected) << what;
    }
}

TEST_F(RegistryHiveTest, TheLogOnValueIsTheAutostartEntry) {
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey); // (it always exists)
    ASSERT_EQ(setValue(hive, run, "TIDORA", REG_SZ, sz("C:\\Tidora30.exe")), ERROR_SUCCESS);
    // The program in the Exec line: quoted, "%" doubled, the quote escaped and the escape too.
    const std::string exec = "\"" + dir.path() + "/my 100%% \\\\\"bin\\\\\"/tidorax\"";
    // TryExec names it as it is, so that a removed program is not started.
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\nType=Application\nName=Tidorax\nExec=" + exec +
                                   "\nTryExec=" + program +
                                   "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n"
                                   "X-Tidorax-Run-Value=C:\\\\Tidora30.exe\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no temporary left";
    // Any hive reads it back: the value is the file. Blanks at the ends, line breaks,
    // backslashes and what a desktop entry reserves come back as written.
    RegistryHive other(hive.path(), AutostartRedirect{folder, "/elsewhere/tidorax"});
    const std::string text = " a\nb\tc\rd back\\slash\\s \\n %u 100% $HOME \"q\" `x` =#[Group] ";
    ASSERT_EQ(setValue(hive, run, "Tidora", REG_SZ, sz(text)), ERROR_SUCCESS);
    EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz(text)}));

    ASSERT_EQ(hive.RegDeleteValueA(run, "tiDORa"), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(entry));
    // Made by hand, without the value (comments, CR LF, blanks, arguments): the program is the value.
    writeFile(entry, "# mine\r\n[Desktop Entry]\r\nExec = " + exec + " --tray %u\r\n");
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz(program)}));
}

TEST_F(RegistryHiveTest, TwoProcessesOfTwoThreadsEachWritingAtOnceLoseNothing) {
    // Two threads on one hive create the same keys and write to them; the count of failures.
    const auto writer = [&](const std::string& id) {
        RegistryHive mine(hive.path(), kAutostart);
        std::atomic<int> failures = 0;
        const auto write = [&](const std::string& thread) {
            for (int i = 0; i < 30; ++i) {
                const HKEY key = createKey(mine, kUser, "Software\\Shared\\Key" + std::to_string(i % 7));
                const std::string name = id + thread + std::to_string(i);
                failures += key == 0 || setValue(mine, key, name, REG_SZ, sz(name)) != ERROR_SUCCESS;
            }
        };
        std::thread other(write, "y");
        write("x");
        other.join();
        return std::min(failures.load(), 99);
    };
    const pid_t child = startChild([&] { return writer("b"); });
    EXPECT_EQ(writer("a") + waitChild(child), 0); // the parent writes while its child does
    std::size_t total = 0;
    for (int k = 0; k < 7; ++k) {
        total += names(hive, openKey(hive, kUser, "Software\\Shared\\Key" + std::to_string(k)), false).size();
    }
    EXPECT_EQ(total, 120u);
}

TEST_F(RegistryHiveTest, ADamagedOrUnreachableFileIsLeftAlone) {
    // A real hive spanning several pages, to damage in different ways.
    const HKEY kept = createKey(hive, kUser, "Software\\Kept");
    for (int i = 0; i < 200; ++i) {
        setValue(hive, kept, "v" + std::to_string(i), REG_SZ, sz(std::string(100, 'k')));
    }
    const std::string bytes = readFile(hive.path());
    // What, the contents (nullopt: a folder stands there), the file's mode, what writes answer,
    // and what a read finds (a readable file still answers reads).
    using Case = std::tuple<std::string, std::optional<std::string>, int, LONG, std::optional<StoredValue>>;
    const Case cases[] = {
        {"cut to half", bytes.substr(0, bytes.size() / 2), 0600, ERROR_BADDB, {}},
        // The application id in the header changed: another program's database.
        {"foreign", bytes.substr(0, 68) + 'Z' + bytes.substr(69), 0600, ERROR_BADDB, {}},
        {"folder", std::nullopt, 0700, ERROR_CANTOPEN, {}},
        {"unreadable", bytes, 0000, ERROR_CANTOPEN, {}},
        {"read-only", bytes, 0444, ERROR_CANTWRITE, StoredValue{REG_SZ, sz(std::string(100, 'k'))}},
    };
    for (const auto& [what, contents, fileMode, writeResult, read] : cases) {
        const std::string path = dir / what + "/registry.sqlite3";
        contents ? writeFile(path, *contents) : makeDirs(path);
        fs::permissions(path, fs::perms(fileMode));
        fs::permissions(dir / what, read ? fs::perms(0555) : fs::perms::owner_all);
        EXPECT_EQ(runInChild([&] {
                      // Root reads and writes any file: give up the powers that let it.
                      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
                      __user_cap_data_struct caps[2] = {};
                      ::syscall(SYS_capget, &header, caps);
                      caps[0].effective &=
                          ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
                      const bool dropped = ::syscall(SYS_capset, &header, caps) == 0;
                      RegistryHive hive(path, kAutostart);
                      return !dropped + (hive.usable() != read.has_value()) +
                             (storedValue(hive, kUser, "Software\\Kept", "v7") != read) +
                             (setValue(hive, kUser, "x", REG_SZ, sz("y")) != writeResult) +
                             (hive.RegDeleteKeyA(kUser, "Software\\Kept") != writeResult);
                  }),
                  0)
            << what;
        fs::permissions(path, fs::perms::owner_all);
        EXPECT_EQ(contents ? readFile(path) : "", contents.value_or("")) << what;
    }
    // Damaged while open: later calls fail and the file is left as it is.
    const std::string garbage(bytes.size(), '\x5a');
    writeFile(hive.path(), garbage);
    EXPECT_EQ(setValue(hive, kept, "v0", REG_SZ, sz("2")), ERROR_BADDB);
    EXPECT_EQ(readFile(hive.path()), garbage);
}

} // namespace
} // namespace tidorax::test

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

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryHiveTest : public ::testing::Test {
protected:
    LONG open(HKEY parent, const char* path) {
        HKEY key = 0;
        return hive.RegOpenKeyExA(parent, path, 0, KEY_READ, &key);
    }
    LONG query(HKEY key, DWORD room, const char* name = "Name") {
        size = room;
        return hive.RegQueryValueExA(key, name, nullptr, nullptr, buffer, &size);
    }
    // The line of one key of the autostart entry as written in the file.
    std::string line(const std::string& key) {
        const std::string contents = readFile(entry);
        const auto at = contents.find("\n" + key + "=");
        return at == std::string::npos ? "" : contents.substr(at + 1, contents.find('\n', at + 1) - at - 1);
    }
    std::optional<StoredValue> runValue(RegistryHive& reader) {
        return storedValue(reader, HKEY_LOCAL_MACHINE, kRunKey, "Tidora");
    }
    LONG setRunValue(RegistryHive& writer, const std::string& data, DWORD type = REG_SZ) {
        return setValue(writer, openKey(writer, HKEY_LOCAL_MACHINE, kRunKey), "Tidora", type, data);
    }

    TempDir dir;
    std::string folder = dir / "my config/autostart";
    std::string entry = folder + "/Tidora.desktop";
    RegistryHive hive{dir / "registry.sqlite3", AutostartRedirect{folder, dir / "my bin/tidorax"}};
    DWORD size = 0;
    BYTE buffer[16] = {};
};

TEST_F(RegistryHiveTest, EveryCallAnswersWithTheWindowsResultCode) {
    const HKEY app = createKey(hive, kUser, "Software\\Test\\App");
    ASSERT_EQ(setValue(hive, app, "Name", REG_SZ, sz("abc")), ERROR_SUCCESS);
    const HKEY child = createKey(hive, app, "Child");
    const HKEY queryOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_QUERY_VALUE);
    const HKEY setOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_SET_VALUE);
    DWORD nameRoom = 4;
    char name[8] = {};
    // Run in this order: the later ones see what the earlier ones did.
    const std::vector<std::tuple<const char*, LONG, LONG>> cases = {
        {"open a missing key", open(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND},
        {"open below a bad handle", open(0x1234, "x"), ERROR_INVALID_HANDLE},
        {"create without the right", static_cast<LONG>(createKey(hive, queryOnly, "New")), 0},
        {"query a missing value", query(app, 4, "Nope"), ERROR_FILE_NOT_FOUND},
        {"query into a small buffer", query(app, 3), ERROR_MORE_DATA},
        {"size needed", static_cast<LONG>(size), 4},
        {"query without the right", query(setOnly, 4), ERROR_ACCESS_DENIED},
        {"set without the right", setValue(hive, queryOnly, "New", REG_SZ, sz("x")), ERROR_ACCESS_DENIED},
        {"set with the right", setValue(hive, setOnly, "Other", REG_SZ, sz("x")), ERROR_SUCCESS},
        {"delete a missing value", hive.RegDeleteValueA(app, "Nope"), ERROR_FILE_NOT_FOUND},
        {"delete without the right", hive.RegDeleteValueA(queryOnly, "Name"), ERROR_ACCESS_DENIED},
        {"delete with the right", hive.RegDeleteValueA(setOnly, "other"), ERROR_SUCCESS},
        {"name without room for its zero",
         hive.RegEnumValueA(app, 0, name, &nameRoom, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA},
        {"delete a key with subkeys", hive.RegDeleteKeyA(kUser, "Software\\Test\\App"), ERROR_ACCESS_DENIED},
        {"delete a missing key", hive.RegDeleteKeyA(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND},
        {"delete a root", hive.RegDeleteKeyA(kUser, ""), ERROR_ACCESS_DENIED},
        {"delete a key", hive.RegDeleteKeyA(app, "child"), ERROR_SUCCESS},
        {"set in a deleted key", setValue(hive, child, "v", REG_SZ, ""), ERROR_KEY_DELETED},
        {"a new key of that name", static_cast<LONG>(createKey(hive, app, "Child") != 0), 1},
        {"does not revive the handle", setValue(hive, child, "v", REG_SZ, ""), ERROR_KEY_DELETED},
        {"a key name of 256 characters", static_cast<LONG>(createKey(hive, app, std::string(256, 'k'))), 0},
        {"a key name of 255 characters", static_cast<LONG>(createKey(hive, app, std::string(255, 'k')) != 0),
         1},
        {"a value name of 16,384 characters", setValue(hive, app, std::string(16384, 'v'), REG_SZ, ""),
         ERROR_INVALID_PARAMETER},
        {"a value name of 16,383 characters", setValue(hive, app, std::string(16383, 'v'), REG_SZ, ""),
         ERROR_SUCCESS},
        {"close", hive.RegCloseKey(queryOnly), ERROR_SUCCESS},
        {"close again", hive.RegCloseKey(queryOnly), ERROR_INVALID_HANDLE},
        {"use a closed handle", query(queryOnly, 4), ERROR_INVALID_HANDLE},
    };
    for (const auto& [what, result, expected] : cases) {
        EXPECT_EQ(result, expected) << what;
    }
}

TEST_F(RegistryHiveTest, ValuesKeepTypeBytesOrderAndTheFirstSpellingOfTheirName) {
    const HKEY key = createKey(hive, kUser, "Software\\Data");
    const std::vector<std::pair<const char*, StoredValue>> cases = {
        {"NoBytes", {REG_SZ, ""}},         {"EmptyText", {REG_SZ, std::string(1, '\0')}},
        {"Unterminated", {REG_SZ, "abc"}}, {"Binary", {REG_BINARY, std::string("\x00\xff\x00\x10", 4)}},
        {"", {REG_SZ, sz("unnamed")}},     {"Odd type", {0x1234, "raw"}},
    };
    for (const auto& [valueName, value] : cases) {
        ASSERT_EQ(setValue(hive, key, valueName, value.type, value.data), ERROR_SUCCESS) << valueName;
    }
    for (const auto& [valueName, value] : cases) {
        EXPECT_EQ(queryValue(hive, key, valueName), value) << valueName;
    }
    // An update under another spelling keeps the name and its place; a new value goes last.
    ASSERT_EQ(setValue(hive, key, "NOBYTES", REG_DWORD, std::string(4, '\x01')), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, key, "Long", REG_SZ, sz("a much longer text")), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, key, "nobytes"), (StoredValue{REG_DWORD, std::string(4, '\x01')}));
    EXPECT_EQ(valueNames(hive, key), (std::vector<std::string>{"NoBytes", "EmptyText", "Unterminated",
                                                               "Binary", "", "Odd type", "Long"}));
    ASSERT_TRUE(createKey(hive, kUser, "SOFTWARE\\DATA\\kZ") != 0 && createKey(hive, key, "ka") != 0);
    EXPECT_EQ(subKeyNames(hive, openKey(hive, kUser, "sOfTwArE\\data")),
              (std::vector<std::string>{"kZ", "ka"}));
    // The settings size their buffers by the longest name and data.
    DWORD maxName = 0, maxData = 0;
    ASSERT_EQ(hive.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(maxName, maxData),
              std::make_pair(DWORD{12}, DWORD(sz("a much longer text").size())));
}

TEST_F(RegistryHiveTest, AGroupOfWritesIsOneTransactionThatKeepsEveryResultCode) {
    RegistryHive other{dir / "registry.sqlite3", kAutostart};
    const HKEY key = createKey(hive, kUser, "Software\\Group");
    const HKEY gone = createKey(hive, key, "Gone");
    ASSERT_EQ(hive.RegDeleteKeyA(key, "Gone"), ERROR_SUCCESS);
    const auto seenByOther = [&other](const char* name) {
        return queryValue(other, openKey(other, kUser, "Software\\Group", KEY_READ), name).has_value();
    };
    const std::vector<std::tuple<const char*, LONG, LONG>> cases = {
        {"end without a group", hive.EndWriteGroup(), ERROR_INVALID_FUNCTION},
        {"begin", hive.BeginWriteGroup(), ERROR_SUCCESS},
        {"begin inside", hive.BeginWriteGroup(), ERROR_SUCCESS},
        {"write", setValue(hive, key, "A", REG_SZ, sz("a")), ERROR_SUCCESS},
        {"a failing write keeps its code", setValue(hive, gone, "X", REG_SZ, sz("x")), ERROR_KEY_DELETED},
        {"write after it", setValue(hive, key, "B", REG_SZ, sz("b")), ERROR_SUCCESS},
        {"end inside", hive.EndWriteGroup(), ERROR_SUCCESS},
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
    const HKEY run = openKey(hive, HKEY_LOCAL_MACHINE, kRunKey);
    ASSERT_NE(run, 0u) << "the Run key always exists";
    ASSERT_EQ(setValue(hive, run, "Other", REG_SZ, sz("x")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, run, "TIDORA", REG_SZ, sz("C:\\Tidora30.exe")), ERROR_SUCCESS);
    EXPECT_EQ(readFile(entry).rfind("[Desktop Entry]\nType=Application\nName=Tidorax\n", 0), 0u);
    EXPECT_EQ(line("Exec"), "Exec=\"" + dir.path() + "/my bin/tidorax\"");
    EXPECT_EQ(line("X-Tidorax-Run-Value"), "X-Tidorax-Run-Value=C:\\\\Tidora30.exe");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << "no temporary left";

    // Any hive reads it back (the value is the file), after the values kept in the hive.
    RegistryHive other(hive.path(), AutostartRedirect{folder, "/elsewhere/tidorax"});
    EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz("C:\\Tidora30.exe")}));
    EXPECT_EQ(valueNames(hive, run), (std::vector<std::string>{"Other", "Tidora"}));
    // A value of that name under any other key is an ordinary one.
    setValue(hive, createKey(hive, HKEY_CURRENT_USER, kRunKey), "Tidora", REG_SZ, "");
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("C:\\Tidora30.exe")}));

    ASSERT_EQ(hive.RegDeleteValueA(run, "tiDORa"), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(hive.RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunKey), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryHiveTest, TextsOfEveryShapeReadBackAsWrittenAndOnlyTextFits) {
    for (const std::string text :
         {"", " leading and trailing ", "line\nbreak\ttab\rreturn", "back\\slash\\s \\n",
          "%u 100% $HOME \"q\" `x`", "=equals=", "#hash", "[Group]"}) {
        ASSERT_EQ(setRunValue(hive, sz(text)), ERROR_SUCCESS) << text;
        EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz(text)})) << text;
    }
    ASSERT_EQ(setRunValue(hive, "bare", REG_EXPAND_SZ), ERROR_SUCCESS);
    EXPECT_EQ(setRunValue(hive, std::string(4, '\1'), REG_DWORD), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(setRunValue(hive, std::string("a\0b", 3)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(runValue(hive), (StoredValue{REG_SZ, sz("bare")}));
    // When the autostart folder cannot be made, the write says so.
    writeFile(dir / "blocked", "x");
    RegistryHive blocked(hive.path(), AutostartRedirect{dir / "blocked/autostart", "/opt/tidorax/tidorax"});
    EXPECT_NE(setRunValue(blocked, sz("x")), ERROR_SUCCESS);
}

TEST_F(RegistryHiveTest, AnEntryWithoutTheValueReadsAsTheProgramOfItsExecLine) {
    // {program, its Exec line}: quoted only when needed, "%" doubled.
    for (const auto& [program, exec] : std::vector<std::pair<std::string, std::string>>{
             {"/opt/tidorax", "/opt/tidorax"},
             {"/home/u/my apps/tidorax", "\"/home/u/my apps/tidorax\""},
             {"/home/u/a$b \"c\"/back\\slash", "\"/home/u/a\\\\$b \\\\\"c\\\\\"/back\\\\\\\\slash\""},
             {"/home/u/100%", "/home/u/100%%"},
             {"/home/u/my 100% \"odd\" dir/tidorax", "\"/home/u/my 100%% \\\\\"odd\\\\\" dir/tidorax\""},
         }) {
        RegistryHive other(hive.path(), AutostartRedirect{folder, program});
        ASSERT_EQ(setRunValue(other, sz("v")), ERROR_SUCCESS);
        EXPECT_EQ(line("Exec"), "Exec=" + exec);
        // Made by hand (comments, CR LF, blanks, arguments): the program is the value.
        writeFile(entry, "# mine\r\n[Desktop Entry]\r\nExec = " + exec + " --tray %u\r\n");
        EXPECT_EQ(runValue(other), (StoredValue{REG_SZ, sz(program)}));
    }
    writeFile(entry,
              "[Desktop Entry]\nName=No program\n[Other Group]\nExec=/wrong\nX-Tidorax-Run-Value=wrong\n");
    EXPECT_FALSE(runValue(hive).has_value());
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

TEST_F(RegistryHiveTest, TheFileIsPrivateAndADamageWhileOpenFailsTheCalls) {
    const std::string path = dir / "config/tidorax/registry.sqlite3";
    RegistryHive hive(path, kAutostart);
    const HKEY key = createKey(hive, kUser, "Software\\Tidora\\UserFolder");
    ASSERT_EQ(setValue(hive, key, "File0", REG_SZ, sz("/home/u/junk")), ERROR_SUCCESS);
    EXPECT_EQ(std::pair(fs::status(dir / "config/tidorax").permissions(), fs::status(path).permissions()),
              std::pair(fs::perms::owner_all, fs::perms::owner_read | fs::perms::owner_write));

    // Damaged while open: later calls fail and the file is left as it is.
    const std::string garbage(readFile(path).size(), '\x5a');
    writeFile(path, garbage);
    EXPECT_EQ(setValue(hive, key, "File0", REG_SZ, sz("2")), ERROR_BADDB);
    EXPECT_EQ(readFile(path), garbage);
}

TEST_F(RegistryHiveTest, TwoProcessesOfTwoThreadsEachWritingAtOnceLoseNothing) {
    const std::string path = dir / "shared.sqlite3";
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

TEST_F(RegistryHiveTest, ADamagedOrClosedFileFailsEveryCallAndIsLeftAlone) {
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

#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

namespace tidorax::test {
namespace {

constexpr HKEY kUser = HKEY_CURRENT_USER;
constexpr HKEY kBadHandle = 0x1234;

class RegistryHiveTest : public ::testing::Test {
protected:
    RegistryHiveTest()
        : hive(dir / "config/tidorax/registry.sqlite3",
               AutostartRedirect{dir / "autostart", "/opt/tidorax/tidorax"}) {}

    LONG open(HKEY parent, const char* path) {
        HKEY key = 0;
        return hive.RegOpenKeyExA(parent, path, 0, KEY_READ, &key);
    }
    LONG query(HKEY key, const char* valueName, BYTE* data, DWORD room) {
        size = room;
        return hive.RegQueryValueExA(key, valueName, nullptr, &type, data, &size);
    }

    TempDir dir;
    RegistryHive hive;
    DWORD size = 0;
    DWORD type = 0;
    char name[8] = {};
    BYTE buffer[16] = {};
};

TEST_F(RegistryHiveTest, EveryCallAnswersWithTheWindowsResultCode) {
    ASSERT_TRUE(hive.usable());
    const HKEY app = createKey(hive, kUser, "Software\\Test\\App");
    ASSERT_EQ(setValue(hive, app, "Name", REG_SZ, sz("abc")), ERROR_SUCCESS);
    ASSERT_NE(createKey(hive, app, "Child"), 0u);
    const HKEY queryOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_QUERY_VALUE);
    const HKEY setOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_SET_VALUE);
    const HKEY readOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_READ);
    DWORD nameRoom = 4;
    struct Case {
        const char* what;
        LONG result;
        LONG expected;
    };
    // Run in this order: the later ones see what the earlier ones did.
    const std::vector<Case> cases = {
        {"open the key itself", open(app, ""), ERROR_SUCCESS},
        {"open a missing key", open(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND},
        {"open below a bad handle", open(kBadHandle, "x"), ERROR_INVALID_HANDLE},
        {"create without the right", static_cast<LONG>(createKey(hive, readOnly, "New")), 0},
        {"query a missing value", query(app, "Nope", nullptr, 0), ERROR_FILE_NOT_FOUND},
        {"query into a small buffer", query(app, "Name", buffer, 3), ERROR_MORE_DATA},
        {"size needed", static_cast<LONG>(size), 4},
        {"query without the right", query(setOnly, "Name", nullptr, 0), ERROR_ACCESS_DENIED},
        {"query with the right", query(queryOnly, "Name", buffer, 4), ERROR_SUCCESS},
        {"set without the right", setValue(hive, queryOnly, "New", REG_SZ, sz("x")), ERROR_ACCESS_DENIED},
        {"set with the right", setValue(hive, setOnly, "Other", REG_SZ, sz("x")), ERROR_SUCCESS},
        {"delete a missing value", hive.RegDeleteValueA(app, "Nope"), ERROR_FILE_NOT_FOUND},
        {"delete without the right", hive.RegDeleteValueA(queryOnly, "Name"), ERROR_ACCESS_DENIED},
        {"delete with the right", hive.RegDeleteValueA(setOnly, "other"), ERROR_SUCCESS},
        {"delete a key with subkeys", hive.RegDeleteKeyA(kUser, "Software\\Test\\App"), ERROR_ACCESS_DENIED},
        {"delete a missing key", hive.RegDeleteKeyA(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND},
        {"delete a root", hive.RegDeleteKeyA(kUser, ""), ERROR_ACCESS_DENIED},
        {"name without room for its zero",
         hive.RegEnumValueA(app, 0, name, &nameRoom, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA},
        {"close", hive.RegCloseKey(queryOnly), ERROR_SUCCESS},
        {"close again", hive.RegCloseKey(queryOnly), ERROR_INVALID_HANDLE},
        {"use a closed handle", query(queryOnly, "Name", nullptr, 0), ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, c.expected) << c.what;
    }
}

TEST_F(RegistryHiveTest, ValuesKeepTheirTypeAndExactBytesAndNamesTheirFirstSpelling) {
    const HKEY key = createKey(hive, kUser, "Software\\Data");
    const std::vector<std::pair<const char*, StoredValue>> cases = {
        {"NoBytes", {REG_SZ, ""}},           {"EmptyText", {REG_SZ, std::string(1, '\0')}},
        {"Unterminated", {REG_SZ, "abc"}},   {"Binary", {REG_BINARY, std::string("\x00\xff\x00\x10", 4)}},
        {"", {REG_SZ, sz("default value")}}, {"Odd type", {0x1234, "raw"}},
    };
    for (const auto& [valueName, value] : cases) {
        ASSERT_EQ(setValue(hive, key, valueName, value.type, value.data), ERROR_SUCCESS) << valueName;
    }
    for (const auto& [valueName, value] : cases) {
        EXPECT_EQ(queryValue(hive, key, valueName), value) << valueName;
    }

    // Rewriting under another spelling changes type and data but keeps the name.
    ASSERT_EQ(setValue(hive, key, "BINARY", REG_DWORD, std::string(4, '\x01')), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, key, "binary"), (StoredValue{REG_DWORD, std::string(4, '\x01')}));
    EXPECT_EQ(valueNames(hive, key)[3], "Binary");
    // Only ASCII letters fold; other bytes compare exactly.
    ASSERT_EQ(setValue(hive, key, "\xc4rger", REG_SZ, sz("1")), ERROR_SUCCESS);
    EXPECT_FALSE(queryValue(hive, key, "\xe4rger").has_value());

    ASSERT_NE(createKey(hive, kUser, "SOFTWARE\\DATA\\Sub"), 0u);
    EXPECT_EQ(subKeyNames(hive, openKey(hive, kUser, "sOfTwArE")), std::vector<std::string>{"Data"});
    EXPECT_FALSE(keyExists(hive, HKEY_USERS, "Software")) << "the roots are separate trees";
}

TEST_F(RegistryHiveTest, EnumerationFollowsCreationOrderAndInfoCountsMatch) {
    const HKEY key = createKey(hive, kUser, "Software\\Order");
    for (const char* valueName : {"Zeta", "alpha", "Mid"}) {
        ASSERT_EQ(setValue(hive, key, valueName, REG_SZ, sz(valueName)), ERROR_SUCCESS);
    }
    ASSERT_TRUE(createKey(hive, key, "kZ") != 0 && createKey(hive, key, "ka") != 0);
    // An update keeps the value's place; a removed and re-added value goes last.
    ASSERT_EQ(setValue(hive, key, "ZETA", REG_SZ, sz("a much longer text")), ERROR_SUCCESS);
    ASSERT_EQ(hive.RegDeleteValueA(key, "alpha"), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, key, "Alpha", REG_SZ, sz("x")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(hive, key), (std::vector<std::string>{"Zeta", "Mid", "Alpha"}));
    EXPECT_EQ(subKeyNames(hive, key), (std::vector<std::string>{"kZ", "ka"}));

    // The settings size their buffers by the longest name and data.
    DWORD maxName = 0, maxData = 0;
    ASSERT_EQ(hive.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(maxName, maxData),
              std::make_pair(DWORD{5}, DWORD(sz("a much longer text").size())));
}

TEST_F(RegistryHiveTest, DeletingAKeyTakesItsValuesAndStalesOtherHandles) {
    const std::string path = "Software\\Q\\Tidora\\CleanPath";
    const HKEY section = createKey(hive, kUser, path);
    ASSERT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_SUCCESS);
    ASSERT_EQ(hive.RegDeleteKeyA(openKey(hive, kUser, "Software\\Q\\Tidora"), "cleanpath"), ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(hive, kUser, path));
    EXPECT_EQ(query(section, "TempFiles", nullptr, 0), ERROR_KEY_DELETED);
    EXPECT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_KEY_DELETED);
    // A new key of the same name starts empty and does not revive the old handle.
    const HKEY fresh = createKey(hive, kUser, path);
    EXPECT_FALSE(queryValue(hive, fresh, "TempFiles").has_value());
    EXPECT_EQ(query(section, "TempFiles", nullptr, 0), ERROR_KEY_DELETED);
}

TEST_F(RegistryHiveTest, ThreadsOfOneProcessShareTheHiveSafely) {
    const HKEY key = createKey(hive, kUser, "Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, key, t] {
            for (int i = 0; i < 25; ++i) {
                const HKEY own = openKey(hive, kUser, "Software\\Threads");
                setValue(hive, own, "t" + std::to_string(t) + "v" + std::to_string(i), REG_SZ, sz("x"));
                hive.RegCloseKey(own);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(valueNames(hive, key).size(), 100u);
}

} // namespace
} // namespace tidorax::test

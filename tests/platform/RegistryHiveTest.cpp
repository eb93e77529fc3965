#include "platform/hive/RegistryHive.h"
#include "tests/support/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace tidorax::test {
namespace {

constexpr HKEY kUser = HKEY_CURRENT_USER;

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

    TempDir dir;
    RegistryHive hive{dir / "registry.sqlite3", AutostartRedirect{dir / "autostart", "/opt/tidorax/tidorax"}};
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
    RegistryHive other{dir / "registry.sqlite3",
                       AutostartRedirect{dir / "autostart", "/opt/tidorax/tidorax"}};
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

} // namespace
} // namespace tidorax::test

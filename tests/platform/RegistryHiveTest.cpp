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

    LONG open(HKEY parent, const char* path, REGSAM access = KEY_READ) {
        HKEY key = 0;
        return hive.RegOpenKeyExA(parent, path, 0, access, &key);
    }
    LONG create(HKEY parent, const char* path) {
        HKEY key = 0;
        return hive.RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }
    // Queries into data (may be null) with size set to bufferSize first.
    LONG query(HKEY key, const char* valueName, BYTE* data, DWORD bufferSize) {
        size = bufferSize;
        return hive.RegQueryValueExA(key, valueName, nullptr, &type, data, &size);
    }
    LONG enumValue(HKEY key, DWORD index, DWORD nameRoom, BYTE* data = nullptr, DWORD dataRoom = 0) {
        nameLength = nameRoom;
        size = dataRoom;
        return hive.RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data,
                                  data ? &size : nullptr);
    }
    LONG enumKey(HKEY key, DWORD index, DWORD nameRoom) {
        nameLength = nameRoom;
        return hive.RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    }
    LONG info(HKEY key) {
        return hive.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
    }

    TempDir dir;
    RegistryHive hive;
    DWORD size = 0;
    DWORD type = 0;
    DWORD nameLength = 0;
    char name[16] = {};
    BYTE buffer[16] = {};
};

TEST_F(RegistryHiveTest, EveryCallAnswersWithTheWindowsResultCode) {
    ASSERT_TRUE(hive.usable());
    const HKEY app = createKey(hive, kUser, "Software\\Test\\App");
    ASSERT_EQ(setValue(hive, app, "Name", REG_SZ, sz("abc")), ERROR_SUCCESS);
    ASSERT_NE(createKey(hive, kUser, "Software\\Test\\App\\Child"), 0u);
    const HKEY queryOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_QUERY_VALUE);
    const HKEY setOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_SET_VALUE);
    const HKEY readOnly = openKey(hive, kUser, "Software\\Test\\App", KEY_READ);
    ASSERT_TRUE(queryOnly != 0 && setOnly != 0 && readOnly != 0);

    // Opening and creating keys.
    EXPECT_EQ(open(kUser, "Software\\Test"), ERROR_SUCCESS);
    EXPECT_EQ(open(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND);
    for (const char* self : {"", "\\", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(open(app, self), ERROR_SUCCESS) << (self ? self : "null");
    }
    EXPECT_EQ(open(kBadHandle, "x"), ERROR_INVALID_HANDLE);
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                      HKEY_CURRENT_CONFIG, HKEY_DYN_DATA}) {
        EXPECT_EQ(open(root, ""), ERROR_SUCCESS) << root;
    }
    EXPECT_EQ(open(0x80000004u, ""), ERROR_INVALID_HANDLE); // HKEY_PERFORMANCE_DATA
    EXPECT_EQ(hive.RegCreateKeyExA(app, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(create(kBadHandle, "X"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(create(readOnly, "New"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(create(readOnly, "child"), ERROR_SUCCESS); // it exists already

    // Reading values: sizes, buffers and rights.
    EXPECT_EQ(query(app, "Nope", nullptr, 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(query(app, "Name", nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(size, type), std::make_pair(DWORD{4}, DWORD{REG_SZ}));
    EXPECT_EQ(query(app, "Name", buffer, 3), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(query(app, "Name", buffer, 4), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), sz("abc"));
    EXPECT_EQ(hive.RegQueryValueExA(app, "Name", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(query(kBadHandle, "Name", nullptr, 0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(query(setOnly, "Name", nullptr, 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(query(queryOnly, "Name", nullptr, 0), ERROR_SUCCESS);

    // Writing and deleting values and keys.
    EXPECT_EQ(setValue(hive, queryOnly, "New", REG_SZ, sz("x")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(setValue(hive, readOnly, "New", REG_SZ, sz("x")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(setValue(hive, setOnly, "Other", REG_SZ, sz("x")), ERROR_SUCCESS);
    EXPECT_EQ(hive.RegSetValueExA(app, "Bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(hive.RegDeleteValueA(app, "Nope"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(hive.RegDeleteValueA(queryOnly, "Name"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive.RegDeleteValueA(setOnly, "Other"), ERROR_SUCCESS);
    EXPECT_EQ(hive.RegDeleteKeyA(kUser, "Software\\Test\\App"), ERROR_ACCESS_DENIED); // it has a subkey
    EXPECT_EQ(hive.RegDeleteKeyA(kUser, "Software\\Nope"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(hive.RegDeleteKeyA(kUser, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(hive.RegDeleteKeyA(app, nullptr), ERROR_INVALID_PARAMETER);

    // Enumerating: the end, names without room for their zero, data buffers too small, rights.
    EXPECT_EQ(enumValue(app, 1, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(enumValue(app, 0, 4), ERROR_MORE_DATA);
    EXPECT_EQ(enumValue(app, 0, 5), ERROR_SUCCESS);
    EXPECT_EQ(std::make_pair(std::string(name), nameLength), std::make_pair(std::string("Name"), DWORD{4}));
    EXPECT_EQ(enumValue(app, 0, sizeof name, buffer, 2), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(enumValue(setOnly, 0, sizeof name), ERROR_ACCESS_DENIED);
    EXPECT_EQ(enumKey(app, 1, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(enumKey(app, 0, 5), ERROR_MORE_DATA);
    EXPECT_EQ(enumKey(queryOnly, 0, sizeof name), ERROR_ACCESS_DENIED);
    EXPECT_EQ(info(setOnly), ERROR_ACCESS_DENIED);
    EXPECT_EQ(info(kBadHandle), ERROR_INVALID_HANDLE);

    // Closing.
    EXPECT_EQ(hive.RegCloseKey(kBadHandle), ERROR_INVALID_HANDLE);
    EXPECT_EQ(hive.RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(hive.RegCloseKey(queryOnly), ERROR_SUCCESS);
    EXPECT_EQ(hive.RegCloseKey(queryOnly), ERROR_INVALID_HANDLE);
    EXPECT_EQ(query(queryOnly, "Name", nullptr, 0), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryHiveTest, ValuesKeepTheirTypeAndExactBytes) {
    const HKEY key = createKey(hive, kUser, "Software\\Data");
    const std::vector<std::pair<const char*, StoredValue>> cases = {
        {"NoBytes", {REG_SZ, ""}},
        {"EmptyText", {REG_SZ, std::string(1, '\0')}},
        {"Text", {REG_SZ, sz("Yes")}},
        {"Unterminated", {REG_SZ, "abc"}},
        {"Binary", {REG_BINARY, std::string("\x00\xff\x00\x10", 4)}},
        {"Number", {REG_DWORD, std::string("\x0a\x00\x00\x00", 4)}},
        {"Expand", {REG_EXPAND_SZ, sz("%HOME%\\x")}},
        {"", {REG_SZ, sz("default value")}},
        {"Nothing", {REG_NONE, ""}},
        {"Odd type", {0x1234, "raw"}},
    };
    for (const auto& [valueName, value] : cases) {
        ASSERT_EQ(setValue(hive, key, valueName, value.type, value.data), ERROR_SUCCESS) << valueName;
    }
    for (const auto& [valueName, value] : cases) {
        EXPECT_EQ(queryValue(hive, key, valueName), value) << valueName;
    }
    // A null value name is the unnamed value.
    EXPECT_EQ(query(key, nullptr, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(size, sz("default value").size());
    // Rewriting changes type and size.
    ASSERT_EQ(setValue(hive, key, "Text", REG_DWORD, std::string(4, '\x01')), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, key, "Text"), (StoredValue{REG_DWORD, std::string(4, '\x01')}));
}

TEST_F(RegistryHiveTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    const HKEY first = createKey(hive, kUser, "Software\\Quillon Software\\Tidora");
    ASSERT_NE(first, 0u);
    HKEY again = 0;
    DWORD disposition = 0;
    ASSERT_EQ(hive.RegCreateKeyExA(kUser, "SOFTWARE\\quillon software\\TIDORA", 0, nullptr, 0, KEY_ALL_ACCESS,
                                   nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(hive.RegCreateKeyExA(kUser, "Software\\New\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(subKeyNames(hive, kUser), std::vector<std::string>{"Software"});
    EXPECT_EQ(subKeyNames(hive, openKey(hive, kUser, "sOfTwArE")),
              (std::vector<std::string>{"Quillon Software", "New"}));
    EXPECT_FALSE(keyExists(hive, HKEY_USERS, "Software")) << "the roots are separate trees";

    ASSERT_EQ(setValue(hive, first, "FirstRun", REG_SZ, sz("No")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, first, "FIRSTRUN", REG_SZ, sz("Yes")), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, first, "firstrun"), (StoredValue{REG_SZ, sz("Yes")}));
    EXPECT_EQ(valueNames(hive, first), std::vector<std::string>{"FirstRun"});
    ASSERT_EQ(hive.RegDeleteValueA(first, "FIRSTrun"), ERROR_SUCCESS);
    EXPECT_TRUE(valueNames(hive, first).empty());
    // Only ASCII letters fold; other bytes compare exactly.
    ASSERT_EQ(setValue(hive, first, "\xc4rger", REG_SZ, sz("1")), ERROR_SUCCESS);
    EXPECT_FALSE(queryValue(hive, first, "\xe4rger").has_value());
}

TEST_F(RegistryHiveTest, EnumerationFollowsCreationOrderAndInfoCountsMatch) {
    const HKEY key = createKey(hive, kUser, "Software\\Order");
    for (const char* valueName : {"Zeta", "alpha", "Mid", "B"}) {
        ASSERT_EQ(setValue(hive, key, valueName, REG_SZ, sz(valueName)), ERROR_SUCCESS);
    }
    for (const char* keyName : {"kZ", "ka", "kM"}) {
        ASSERT_NE(createKey(hive, key, keyName), 0u);
    }
    // An update keeps the value's place; a removed and re-added value goes last.
    ASSERT_EQ(setValue(hive, key, "ZETA", REG_SZ, sz("a much longer text than before")), ERROR_SUCCESS);
    ASSERT_EQ(hive.RegDeleteValueA(key, "alpha"), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, key, "Alpha", REG_SZ, sz("x")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(hive, key), (std::vector<std::string>{"Zeta", "Mid", "B", "Alpha"}));
    EXPECT_EQ(subKeyNames(hive, key), (std::vector<std::string>{"kZ", "ka", "kM"}));
    EXPECT_EQ(enumValue(key, 1, sizeof name, buffer, sizeof buffer), ERROR_SUCCESS);
    EXPECT_EQ(std::make_tuple(std::string(name), nameLength, type,
                              std::string(reinterpret_cast<char*>(buffer), size)),
              std::make_tuple(std::string("Mid"), DWORD{3}, DWORD{REG_SZ}, sz("Mid")));

    DWORD subKeys = 99, maxSubKey = 99, maxClass = 99, values = 99, maxName = 99, maxData = 99, security = 99;
    char className[8] = "zzzzzzz";
    DWORD classLength = sizeof className;
    ASSERT_EQ(hive.RegQueryInfoKeyA(key, className, &classLength, nullptr, &subKeys, &maxSubKey, &maxClass,
                                    &values, &maxName, &maxData, &security, nullptr),
              ERROR_SUCCESS);
    // "Alpha" is the longest value name, Zeta's text the longest data.
    EXPECT_EQ(std::vector<DWORD>({subKeys, maxSubKey, maxClass, values, maxName, maxData, classLength}),
              std::vector<DWORD>({3, 2, 0, 4, 5, DWORD(sz("a much longer text than before").size()), 0}));
    EXPECT_EQ(className[0], '\0');
    ASSERT_EQ(hive.RegQueryInfoKeyA(createKey(hive, kUser, "Software\\Empty"), nullptr, nullptr, nullptr,
                                    &subKeys, &maxSubKey, nullptr, &values, &maxName, &maxData, nullptr,
                                    nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<DWORD>({subKeys, maxSubKey, values, maxName, maxData}), std::vector<DWORD>(5, 0));
}

TEST_F(RegistryHiveTest, DeletingAKeyTakesItsValuesAndStalesOtherHandles) {
    const std::string path = "Software\\Q\\Tidora\\CleanPath";
    const HKEY section = createKey(hive, kUser, path);
    ASSERT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_SUCCESS);
    ASSERT_EQ(
        hive.RegDeleteKeyA(openKey(hive, kUser, "Software\\Q\\Tidora", KEY_CREATE_SUB_KEY), "cleanpath"),
        ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(hive, kUser, path));
    EXPECT_EQ(query(section, "TempFiles", nullptr, 0), ERROR_KEY_DELETED);
    EXPECT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_KEY_DELETED);
    EXPECT_EQ(createKey(hive, section, "Sub"), 0u);

    // A new key of the same name starts empty and does not revive the old handle.
    const HKEY fresh = createKey(hive, kUser, path);
    ASSERT_NE(fresh, 0u);
    EXPECT_FALSE(queryValue(hive, fresh, "TempFiles").has_value());
    EXPECT_EQ(query(section, "TempFiles", nullptr, 0), ERROR_KEY_DELETED);
    EXPECT_EQ(hive.RegCloseKey(section), ERROR_SUCCESS);

    // Deleting a key through an empty subkey removes the handle's own key.
    ASSERT_EQ(hive.RegDeleteKeyA(fresh, ""), ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(hive, kUser, path));
    EXPECT_EQ(subKeyNames(hive, openKey(hive, kUser, "Software\\Q")), std::vector<std::string>{"Tidora"});
}

TEST_F(RegistryHiveTest, ThreadsOfOneProcessShareTheHiveSafely) {
    const HKEY key = createKey(hive, kUser, "Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, key, t] {
            for (int i = 0; i < 25; ++i) {
                const std::string valueName = "t" + std::to_string(t) + "v" + std::to_string(i);
                const HKEY own = openKey(hive, kUser, "Software\\Threads");
                setValue(hive, key, valueName, REG_SZ, sz(valueName));
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

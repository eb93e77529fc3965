#include "platform/RegistryHive.h"
#include "tests/platform/HiveTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace tidorax::test {
namespace {

class RegistryHiveTest : public ::testing::Test {
protected:
    RegistryHiveTest()
        : hive(dir / "config/tidorax/registry.sqlite3",
               AutostartRedirect{dir / "autostart", "/opt/tidorax/tidorax"}) {}

    TempDir dir;
    RegistryHive hive;
};

TEST_F(RegistryHiveTest, EveryCallAnswersWithTheWindowsResultCode) {
    ASSERT_TRUE(hive.usable());
    const HKEY app = createKey(hive, HKEY_CURRENT_USER, "Software\\Test\\App");
    ASSERT_NE(app, 0u);
    ASSERT_EQ(setValue(hive, app, "Name", REG_SZ, sz("abc")), ERROR_SUCCESS);
    ASSERT_NE(createKey(hive, HKEY_CURRENT_USER, "Software\\Test\\App\\Child"), 0u);
    const HKEY readOnly = openKey(hive, HKEY_CURRENT_USER, "Software\\Test\\App", KEY_QUERY_VALUE);
    const HKEY setOnly = openKey(hive, HKEY_CURRENT_USER, "Software\\Test\\App", KEY_SET_VALUE);
    const HKEY readKey = openKey(hive, HKEY_CURRENT_USER, "Software\\Test\\App", KEY_READ);
    ASSERT_NE(readOnly, 0u);
    ASSERT_NE(setOnly, 0u);
    ASSERT_NE(readKey, 0u);
    const HKEY notAHandle = 0x1234;

    BYTE buffer[16];
    DWORD size = 0;
    DWORD type = 0;
    HKEY opened = 0;
    char name[16];
    DWORD nameLength = 0;
    struct Case {
        const char* what;
        std::function<LONG()> call;
        LONG expected;
    };
    const std::vector<Case> cases = {
        {"open existing key",
         [&] { return hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &opened); },
         ERROR_SUCCESS},
        {"open missing key",
         [&] { return hive.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nope", 0, KEY_READ, &opened); },
         ERROR_FILE_NOT_FOUND},
        {"open empty subkey", [&] { return hive.RegOpenKeyExA(app, "", 0, KEY_READ, &opened); },
         ERROR_SUCCESS},
        {"open backslash subkey", [&] { return hive.RegOpenKeyExA(app, "\\", 0, KEY_READ, &opened); },
         ERROR_SUCCESS},
        {"open null subkey", [&] { return hive.RegOpenKeyExA(app, nullptr, 0, KEY_READ, &opened); },
         ERROR_SUCCESS},
        {"open below a bad handle", [&] { return hive.RegOpenKeyExA(notAHandle, "x", 0, KEY_READ, &opened); },
         ERROR_INVALID_HANDLE},
        {"open below every root",
         [&] {
             for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                               HKEY_CURRENT_CONFIG, HKEY_DYN_DATA}) {
                 if (const LONG result = hive.RegOpenKeyExA(root, "", 0, KEY_READ, &opened)) {
                     return result;
                 }
             }
             return ERROR_SUCCESS;
         },
         ERROR_SUCCESS},
        {"open below HKEY_PERFORMANCE_DATA",
         [&] { return hive.RegOpenKeyExA(0x80000004u, "", 0, KEY_READ, &opened); }, ERROR_INVALID_HANDLE},
        {"create without result pointer",
         [&] {
             return hive.RegCreateKeyExA(app, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"create below a bad handle",
         [&] {
             return hive.RegCreateKeyExA(notAHandle, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                                         nullptr);
         },
         ERROR_INVALID_HANDLE},
        {"create new subkey through a KEY_READ handle",
         [&] {
             return hive.RegCreateKeyExA(readKey, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                                         nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"create existing subkey through a KEY_READ handle",
         [&] {
             return hive.RegCreateKeyExA(readKey, "child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                                         nullptr);
         },
         ERROR_SUCCESS},
        {"query missing value",
         [&] { return hive.RegQueryValueExA(app, "Nope", nullptr, &type, nullptr, &size); },
         ERROR_FILE_NOT_FOUND},
        {"query size only",
         [&] {
             size = 0;
             const LONG result = hive.RegQueryValueExA(app, "Name", nullptr, &type, nullptr, &size);
             return result == ERROR_SUCCESS && size == 4 && type == REG_SZ ? result : -1;
         },
         ERROR_SUCCESS},
        {"query into a buffer one byte short",
         [&] {
             size = 3;
             const LONG result = hive.RegQueryValueExA(app, "Name", nullptr, &type, buffer, &size);
             return size == 4 ? result : -1;
         },
         ERROR_MORE_DATA},
        {"query into an exact buffer",
         [&] {
             size = 4;
             const LONG result = hive.RegQueryValueExA(app, "Name", nullptr, &type, buffer, &size);
             return size == 4 && std::string(reinterpret_cast<char*>(buffer), 4) == sz("abc") ? result : -1;
         },
         ERROR_SUCCESS},
        {"query with data but no size",
         [&] { return hive.RegQueryValueExA(app, "Name", nullptr, &type, buffer, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"query through a bad handle",
         [&] { return hive.RegQueryValueExA(notAHandle, "Name", nullptr, &type, nullptr, &size); },
         ERROR_INVALID_HANDLE},
        {"query through a KEY_SET_VALUE handle",
         [&] { return hive.RegQueryValueExA(setOnly, "Name", nullptr, &type, nullptr, &size); },
         ERROR_ACCESS_DENIED},
        {"query through a KEY_QUERY_VALUE handle",
         [&] { return hive.RegQueryValueExA(readOnly, "Name", nullptr, &type, nullptr, &size); },
         ERROR_SUCCESS},
        {"set through a KEY_QUERY_VALUE handle",
         [&] { return setValue(hive, readOnly, "New", REG_SZ, sz("x")); }, ERROR_ACCESS_DENIED},
        {"set through a KEY_READ handle", [&] { return setValue(hive, readKey, "New", REG_SZ, sz("x")); },
         ERROR_ACCESS_DENIED},
        {"set through a KEY_SET_VALUE handle",
         [&] { return setValue(hive, setOnly, "Other", REG_SZ, sz("x")); }, ERROR_SUCCESS},
        {"set with no data pointer but a size",
         [&] { return hive.RegSetValueExA(app, "Bad", 0, REG_BINARY, nullptr, 4); }, ERROR_INVALID_PARAMETER},
        {"delete missing value", [&] { return hive.RegDeleteValueA(app, "Nope"); }, ERROR_FILE_NOT_FOUND},
        {"delete value through a KEY_QUERY_VALUE handle",
         [&] { return hive.RegDeleteValueA(readOnly, "Name"); }, ERROR_ACCESS_DENIED},
        {"delete value through a KEY_SET_VALUE handle",
         [&] { return hive.RegDeleteValueA(setOnly, "Other"); }, ERROR_SUCCESS},
        {"delete key with subkeys",
         [&] { return hive.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Test\\App"); }, ERROR_ACCESS_DENIED},
        {"delete missing key", [&] { return hive.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Nope"); },
         ERROR_FILE_NOT_FOUND},
        {"delete a root", [&] { return hive.RegDeleteKeyA(HKEY_CURRENT_USER, ""); }, ERROR_ACCESS_DENIED},
        {"delete with null subkey", [&] { return hive.RegDeleteKeyA(app, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"enumerate value past the end",
         [&] {
             nameLength = sizeof name;
             return hive.RegEnumValueA(app, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_NO_MORE_ITEMS},
        {"enumerate value into a name buffer without room for the zero",
         [&] {
             nameLength = 4;
             return hive.RegEnumValueA(app, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_MORE_DATA},
        {"enumerate value name exactly fitting",
         [&] {
             nameLength = 5;
             const LONG result =
                 hive.RegEnumValueA(app, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
             return nameLength == 4 && std::string(name) == "Name" ? result : -1;
         },
         ERROR_SUCCESS},
        {"enumerate value with a data buffer too small",
         [&] {
             nameLength = sizeof name;
             size = 2;
             const LONG result = hive.RegEnumValueA(app, 0, name, &nameLength, nullptr, &type, buffer, &size);
             return size == 4 ? result : -1;
         },
         ERROR_MORE_DATA},
        {"enumerate value through a KEY_SET_VALUE handle",
         [&] {
             nameLength = sizeof name;
             return hive.RegEnumValueA(setOnly, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"enumerate key past the end",
         [&] {
             nameLength = sizeof name;
             return hive.RegEnumKeyExA(app, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_NO_MORE_ITEMS},
        {"enumerate key into a short buffer",
         [&] {
             nameLength = 5;
             return hive.RegEnumKeyExA(app, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_MORE_DATA},
        {"enumerate key through a KEY_QUERY_VALUE handle",
         [&] {
             nameLength = sizeof name;
             return hive.RegEnumKeyExA(readOnly, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"query info through a KEY_SET_VALUE handle",
         [&] {
             return hive.RegQueryInfoKeyA(setOnly, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_ACCESS_DENIED},
        {"query info through a bad handle",
         [&] {
             return hive.RegQueryInfoKeyA(notAHandle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr);
         },
         ERROR_INVALID_HANDLE},
        {"close a bad handle", [&] { return hive.RegCloseKey(notAHandle); }, ERROR_INVALID_HANDLE},
        {"close a root", [&] { return hive.RegCloseKey(HKEY_LOCAL_MACHINE); }, ERROR_SUCCESS},
        {"close an open handle", [&] { return hive.RegCloseKey(readOnly); }, ERROR_SUCCESS},
        {"close it twice", [&] { return hive.RegCloseKey(readOnly); }, ERROR_INVALID_HANDLE},
        {"use a closed handle",
         [&] { return hive.RegQueryValueExA(readOnly, "Name", nullptr, &type, nullptr, &size); },
         ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.expected) << c.what;
    }
}

TEST_F(RegistryHiveTest, ValuesKeepTheirTypeAndExactBytes) {
    const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Data");
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
    };
    const std::vector<Case> cases = {
        {"NoBytes", REG_SZ, ""},
        {"EmptyText", REG_SZ, std::string(1, '\0')},
        {"Text", REG_SZ, sz("Yes")},
        {"Unterminated", REG_SZ, "abc"},
        {"Binary", REG_BINARY, std::string("\x00\xff\x00\x10", 4)},
        {"Number", REG_DWORD, std::string("\x0a\x00\x00\x00", 4)},
        {"Expand", REG_EXPAND_SZ, sz("%HOME%\\x")},
        {"", REG_SZ, sz("default value")},
        {"Nothing", REG_NONE, ""},
        {"Odd type", 0x1234, "raw"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(setValue(hive, key, c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
    }
    for (const Case& c : cases) {
        EXPECT_EQ(queryValue(hive, key, c.name), (StoredValue{c.type, c.data})) << c.name;
    }
    // A null value name is the unnamed value.
    DWORD size = 0;
    ASSERT_EQ(hive.RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sz("default value").size());
    // Rewriting changes type and size.
    ASSERT_EQ(setValue(hive, key, "Text", REG_DWORD, std::string(4, '\x01')), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, key, "Text"), (StoredValue{REG_DWORD, std::string(4, '\x01')}));
}

TEST_F(RegistryHiveTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    const HKEY first = createKey(hive, HKEY_CURRENT_USER, "Software\\Quillon Software\\Tidora");
    ASSERT_NE(first, 0u);
    HKEY again = 0;
    DWORD disposition = 0;
    ASSERT_EQ(hive.RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\quillon software\\TIDORA", 0, nullptr, 0,
                                   KEY_ALL_ACCESS, nullptr, &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(subKeyNames(hive, HKEY_CURRENT_USER), std::vector<std::string>{"Software"});
    EXPECT_EQ(subKeyNames(hive, openKey(hive, HKEY_CURRENT_USER, "sOfTwArE")),
              std::vector<std::string>{"Quillon Software"});

    ASSERT_EQ(setValue(hive, first, "FirstRun", REG_SZ, sz("No")), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, again, "FIRSTRUN", REG_SZ, sz("Yes")), ERROR_SUCCESS);
    EXPECT_EQ(queryValue(hive, first, "firstrun"), (StoredValue{REG_SZ, sz("Yes")}));
    EXPECT_EQ(valueNames(hive, first), std::vector<std::string>{"FirstRun"});
    ASSERT_EQ(hive.RegDeleteValueA(first, "FIRSTrun"), ERROR_SUCCESS);
    EXPECT_TRUE(valueNames(hive, first).empty());
    // Only ASCII letters fold; other bytes compare exactly.
    ASSERT_EQ(setValue(hive, first, "\xc4rger", REG_SZ, sz("1")), ERROR_SUCCESS);
    EXPECT_FALSE(queryValue(hive, first, "\xe4rger").has_value());
}

TEST_F(RegistryHiveTest, EnumerationFollowsCreationOrderAndInfoCountsMatch) {
    const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Order");
    for (const char* name : {"Zeta", "alpha", "Mid", "B"}) {
        ASSERT_EQ(setValue(hive, key, name, REG_SZ, sz(name)), ERROR_SUCCESS);
    }
    for (const char* name : {"kZ", "ka", "kM"}) {
        ASSERT_NE(createKey(hive, key, name), 0u);
    }
    // An update keeps the value's place; a removed and re-added value goes last.
    ASSERT_EQ(setValue(hive, key, "ZETA", REG_SZ, sz("a much longer text than before")), ERROR_SUCCESS);
    ASSERT_EQ(hive.RegDeleteValueA(key, "alpha"), ERROR_SUCCESS);
    ASSERT_EQ(setValue(hive, key, "Alpha", REG_SZ, sz("x")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(hive, key), (std::vector<std::string>{"Zeta", "Mid", "B", "Alpha"}));
    EXPECT_EQ(subKeyNames(hive, key), (std::vector<std::string>{"kZ", "ka", "kM"}));

    DWORD subKeys = 99, maxSubKey = 99, maxClass = 99, values = 99, maxName = 99, maxData = 99, security = 99;
    char className[8] = "zzzzzzz";
    DWORD classLength = sizeof className;
    ASSERT_EQ(hive.RegQueryInfoKeyA(key, className, &classLength, nullptr, &subKeys, &maxSubKey, &maxClass,
                                    &values, &maxName, &maxData, &security, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(maxSubKey, 2u);
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(values, 4u);
    EXPECT_EQ(maxName, 5u); // "Alpha"
    EXPECT_EQ(maxData, sz("a much longer text than before").size());
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(className[0], '\0');

    // The enumeration of one value gives its name length without the zero, type and data.
    char name[16];
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    BYTE data[64];
    DWORD dataSize = sizeof data;
    ASSERT_EQ(hive.RegEnumValueA(key, 1, name, &nameLength, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "Mid");
    EXPECT_EQ(nameLength, 3u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), dataSize), sz("Mid"));

    const HKEY empty = createKey(hive, HKEY_CURRENT_USER, "Software\\Empty");
    ASSERT_EQ(hive.RegQueryInfoKeyA(empty, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                                    &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<DWORD>({subKeys, maxSubKey, values, maxName, maxData}), std::vector<DWORD>(5, 0));
}

TEST_F(RegistryHiveTest, DeletingAKeyTakesItsValuesAndStalesOtherHandles) {
    const HKEY section = createKey(hive, HKEY_CURRENT_USER, "Software\\Q\\Tidora\\CleanPath");
    ASSERT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_SUCCESS);
    const HKEY parent = openKey(hive, HKEY_CURRENT_USER, "Software\\Q\\Tidora", KEY_CREATE_SUB_KEY);
    ASSERT_EQ(hive.RegDeleteKeyA(parent, "cleanpath"), ERROR_SUCCESS);
    EXPECT_EQ(openKey(hive, HKEY_CURRENT_USER, "Software\\Q\\Tidora\\CleanPath"), 0u);
    DWORD size = 0;
    EXPECT_EQ(hive.RegQueryValueExA(section, "TempFiles", nullptr, nullptr, nullptr, &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(setValue(hive, section, "TempFiles", REG_SZ, sz("Yes")), ERROR_KEY_DELETED);
    EXPECT_EQ(createKey(hive, section, "Sub"), 0u);

    // A new key of the same name starts empty and does not revive the old handle.
    const HKEY fresh = createKey(hive, HKEY_CURRENT_USER, "Software\\Q\\Tidora\\CleanPath");
    ASSERT_NE(fresh, 0u);
    EXPECT_FALSE(queryValue(hive, fresh, "TempFiles").has_value());
    EXPECT_EQ(hive.RegQueryValueExA(section, "TempFiles", nullptr, nullptr, nullptr, &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(hive.RegCloseKey(section), ERROR_SUCCESS);

    // Deleting a key through an empty subkey removes the handle's own key.
    ASSERT_EQ(hive.RegDeleteKeyA(fresh, ""), ERROR_SUCCESS);
    EXPECT_EQ(openKey(hive, HKEY_CURRENT_USER, "Software\\Q\\Tidora\\CleanPath"), 0u);
    EXPECT_EQ(subKeyNames(hive, openKey(hive, HKEY_CURRENT_USER, "Software\\Q")),
              std::vector<std::string>{"Tidora"});
}

TEST_F(RegistryHiveTest, CreateReportsWhetherItMadeTheKey) {
    HKEY key = 0;
    DWORD disposition = 0;
    ASSERT_EQ(hive.RegCreateKeyExA(HKEY_USERS, "A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                   &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    ASSERT_EQ(
        hive.RegCreateKeyExA(HKEY_USERS, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    // The roots are separate trees.
    EXPECT_EQ(openKey(hive, HKEY_CURRENT_USER, "A"), 0u);
    EXPECT_NE(openKey(hive, HKEY_USERS, "a\\b\\c"), 0u);
}

TEST_F(RegistryHiveTest, ThreadsOfOneProcessShareTheHiveSafely) {
    const HKEY key = createKey(hive, HKEY_CURRENT_USER, "Software\\Threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, key, t] {
            for (int i = 0; i < 25; ++i) {
                const std::string name = "t" + std::to_string(t) + "v" + std::to_string(i);
                HKEY own = openKey(hive, HKEY_CURRENT_USER, "Software\\Threads");
                setValue(hive, key, name, REG_SZ, sz(name));
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

// The tree of keys and values in the hive's SQLite file. Names compare
// case-insensitively (ASCII letters only) and keep the case they were created with; a
// value is its type plus its raw bytes. Every call is its own transaction, and every
// failure is thrown as a HiveError. Not thread-safe: RegistryHive serialises the calls.
#pragma once

#include "platform/Win32Types.h"
#include "platform/hive/SqliteDatabase.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tidorax {

class HiveStore {
public:
    struct StoredValue {
        std::string name;
        DWORD type = REG_NONE;
        std::string data;
    };
    // The value at an index of a key's enumeration, or how many values the key holds
    // when the index is past its last.
    struct ValueAt {
        std::optional<StoredValue> value;
        std::int64_t count = 0;
    };
    enum class Removal { Removed, Missing, HasSubKeys };

    // Opens the file at path (creating it and its tables when missing) and makes sure
    // the roots and the Run key exist.
    explicit HiveStore(const std::string& path);

    bool writable() const { return db_.writable(); }
    std::int64_t rootId(HKEY root) const { return rootIds_.at(root); }
    bool isRoot(std::int64_t key) const;
    std::int64_t runKeyId() const { return runKeyId_; }

    // Opens and ends a group of writes: one durable transaction for all calls made in
    // between, each of which still succeeds or fails alone. An ended group that could
    // not be committed is rolled back and thrown.
    void beginGroup();
    void endGroup();
    // True while a group is open.
    bool inGroup() const;

    bool keyExists(std::int64_t key);
    // The key at parts below start, or nullopt when one of them is missing.
    std::optional<std::int64_t> findKey(std::int64_t start, const std::vector<std::string>& parts);
    // Creates the missing keys of parts below start and returns the last one, with
    // created telling whether any was new; nullopt when start no longer exists.
    std::optional<std::int64_t> createKey(std::int64_t start, const std::vector<std::string>& parts,
                                          bool& created);
    // Removes a key without subkeys together with its values.
    Removal deleteKey(std::int64_t key);
    std::optional<std::string> subKeyAt(std::int64_t key, std::int64_t index);

    std::optional<StoredValue> findValue(std::int64_t key, const std::string& name);
    // Writes the value (an update keeps its name and place); false when the key no
    // longer exists.
    bool setValue(std::int64_t key, const std::string& name, DWORD type, const std::string& bytes);
    // True when a value was removed.
    bool deleteValue(std::int64_t key, const std::string& name);
    ValueAt valueAt(std::int64_t key, std::int64_t index);

private:
    std::int64_t schemaObjects();
    void prepareSchema();
    void loadRootsAndRunKey();
    bool resolveRootsAndRunKey(bool create);
    std::optional<std::int64_t> findChild(std::int64_t parent, const std::string& name);
    std::int64_t insertKey(std::int64_t parent, const std::string& name);

    SqliteDatabase db_;
    std::map<HKEY, std::int64_t> rootIds_;
    std::int64_t runKeyId_ = -1;
};

} // namespace tidorax

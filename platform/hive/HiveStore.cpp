#include "platform/hive/HiveStore.h"

#include "platform/AsciiCase.h"
#include "platform/RegistryRoots.h"
#include "platform/hive/HiveError.h"
#include "platform/hive/HiveLayout.h"
#include "platform/hive/SqliteStatement.h"
#include "platform/hive/SqliteTransaction.h"

#include <sqlite3.h>

namespace tidorax {

namespace {

// Marks a file as this program's hive ("TDRX").
constexpr int kApplicationId = 0x54445258;
constexpr int kSchemaVersion = 1;

// A name as it compares, kept in the "folded" columns: ASCII letters in lower case.
std::string fold(const std::string& name) {
    return lowerAscii(name);
}

} // namespace

HiveStore::HiveStore(const std::string& path) : db_(path) {
    prepareSchema();
}

std::int64_t HiveStore::schemaObjects() {
    SqliteStatement count(db_.handle(), "SELECT count(*) FROM sqlite_master", false);
    count.step();
    return count.integer(0);
}

void HiveStore::prepareSchema() {
    sqlite3* db = db_.handle();
    if (schemaObjects() == 0) {
        if (!writable()) {
            throw HiveError{ERROR_CANTOPEN};
        }
        SqliteTransaction txn(db, true);
        // Another process may have set the file up meanwhile.
        if (schemaObjects() == 0) {
            execute(db,
                    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
                    " name BLOB NOT NULL, folded BLOB NOT NULL, UNIQUE(parent, folded));"
                    "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
                    " name BLOB NOT NULL, folded BLOB NOT NULL, type INTEGER NOT NULL,"
                    " data BLOB NOT NULL, UNIQUE(key, folded));",
                    true);
            execute(db, ("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str(), true);
            execute(db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(), true);
        }
        txn.commit();
    }
    {
        SqliteStatement id(db, "PRAGMA application_id", false);
        id.step();
        SqliteStatement version(db, "PRAGMA user_version", false);
        version.step();
        if (id.integer(0) != kApplicationId || version.integer(0) > kSchemaVersion) {
            throw HiveError{ERROR_BADDB};
        }
    }
    loadRootsAndRunKey();
}

// The roots always exist, and so does the Run key (it holds the log-on value).
void HiveStore::loadRootsAndRunKey() {
    bool complete = true;
    {
        SqliteTransaction txn(db_.handle(), false);
        complete = resolveRootsAndRunKey(false);
        txn.commit();
    }
    if (complete || !writable()) {
        if (rootIds_.size() != kRegistryRoots.size()) {
            throw HiveError{ERROR_BADDB};
        }
        return;
    }
    SqliteTransaction txn(db_.handle(), true);
    resolveRootsAndRunKey(true);
    txn.commit();
}

bool HiveStore::resolveRootsAndRunKey(bool create) {
    rootIds_.clear();
    runKeyId_ = -1;
    bool complete = true;
    for (const RegistryRoot& root : kRegistryRoots) {
        auto id = findChild(0, root.longName);
        if (!id && create) {
            id = insertKey(0, root.longName);
        }
        if (!id) {
            complete = false;
            continue;
        }
        rootIds_[root.handle] = *id;
    }
    if (!complete) {
        return false;
    }
    std::int64_t key = rootIds_[HKEY_LOCAL_MACHINE];
    for (const char* part : kRunPath) {
        auto id = findChild(key, part);
        if (!id && create) {
            id = insertKey(key, part);
        }
        if (!id) {
            return false;
        }
        key = *id;
    }
    runKeyId_ = key;
    return true;
}

std::optional<std::int64_t> HiveStore::findChild(std::int64_t parent, const std::string& name) {
    SqliteStatement find(db_.handle(), "SELECT id FROM keys WHERE parent=?1 AND folded=?2", false);
    find.bind(1, parent).bind(2, fold(name));
    if (!find.step()) {
        return std::nullopt;
    }
    return find.integer(0);
}

std::int64_t HiveStore::insertKey(std::int64_t parent, const std::string& name) {
    SqliteStatement insert(db_.handle(), "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)", true);
    insert.bind(1, parent).bind(2, name).bind(3, fold(name)).run();
    return sqlite3_last_insert_rowid(db_.handle());
}

void HiveStore::beginGroup() {
    if (!writable()) {
        throw HiveError{ERROR_CANTWRITE};
    }
    execute(db_.handle(), "BEGIN IMMEDIATE", true);
}

void HiveStore::endGroup() {
    if (!inGroup()) {
        return;
    }
    try {
        execute(db_.handle(), "COMMIT", true);
    } catch (...) {
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool HiveStore::inGroup() const {
    return sqlite3_get_autocommit(db_.handle()) == 0;
}

bool HiveStore::isRoot(std::int64_t key) const {
    for (const auto& [root, id] : rootIds_) {
        if (id == key) {
            return true;
        }
    }
    return false;
}

bool HiveStore::keyExists(std::int64_t key) {
    SqliteStatement find(db_.handle(), "SELECT 1 FROM keys WHERE id=?1", false);
    find.bind(1, key);
    return find.step();
}

std::optional<std::int64_t> HiveStore::findKey(std::int64_t start, const std::vector<std::string>& parts) {
    SqliteTransaction txn(db_.handle(), false);
    std::optional<std::int64_t> key = start;
    for (const std::string& part : parts) {
        key = findChild(*key, part);
        if (!key) {
            break;
        }
    }
    txn.commit();
    return key;
}

std::optional<std::int64_t> HiveStore::createKey(std::int64_t start, const std::vector<std::string>& parts,
                                                 bool& created) {
    SqliteTransaction txn(db_.handle(), true);
    if (!keyExists(start)) {
        return std::nullopt;
    }
    std::int64_t current = start;
    for (const std::string& part : parts) {
        const auto child = findChild(current, part);
        if (child) {
            current = *child;
        } else {
            current = insertKey(current, part);
            created = true;
        }
    }
    txn.commit();
    return current;
}

HiveStore::Removal HiveStore::deleteKey(std::int64_t key) {
    sqlite3* db = db_.handle();
    SqliteTransaction txn(db, true);
    if (!keyExists(key)) {
        return Removal::Missing;
    }
    {
        SqliteStatement children(db, "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1", true);
        children.bind(1, key);
        if (children.step()) {
            return Removal::HasSubKeys;
        }
    }
    SqliteStatement(db, "DELETE FROM vals WHERE key=?1", true).bind(1, key).run();
    SqliteStatement(db, "DELETE FROM keys WHERE id=?1", true).bind(1, key).run();
    txn.commit();
    return Removal::Removed;
}

std::optional<std::string> HiveStore::subKeyAt(std::int64_t key, std::int64_t index) {
    SqliteTransaction txn(db_.handle(), false);
    SqliteStatement find(db_.handle(), "SELECT name FROM keys WHERE parent=?1 ORDER BY id LIMIT 1 OFFSET ?2",
                         false);
    find.bind(1, key).bind(2, index);
    std::optional<std::string> name;
    if (find.step()) {
        name = find.bytes(0);
    }
    txn.commit();
    return name;
}

std::optional<HiveStore::StoredValue> HiveStore::findValue(std::int64_t key, const std::string& name) {
    SqliteTransaction txn(db_.handle(), false);
    std::optional<StoredValue> value;
    {
        SqliteStatement find(db_.handle(), "SELECT name, type, data FROM vals WHERE key=?1 AND folded=?2",
                             false);
        find.bind(1, key).bind(2, fold(name));
        if (find.step()) {
            value = StoredValue{find.bytes(0), static_cast<DWORD>(find.integer(1)), find.bytes(2)};
        }
    }
    txn.commit();
    return value;
}

bool HiveStore::setValue(std::int64_t key, const std::string& name, DWORD type, const std::string& bytes) {
    sqlite3* db = db_.handle();
    SqliteTransaction txn(db, true);
    if (!keyExists(key)) {
        return false;
    }
    // An update keeps the value's name and its place in the enumeration order.
    SqliteStatement update(db, "UPDATE vals SET type=?1, data=?2 WHERE key=?3 AND folded=?4", true);
    update.bind(1, static_cast<std::int64_t>(type)).bind(2, bytes).bind(3, key).bind(4, fold(name));
    update.run();
    if (update.changes() == 0) {
        SqliteStatement insert(
            db, "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)", true);
        insert.bind(1, key).bind(2, name).bind(3, fold(name)).bind(4, static_cast<std::int64_t>(type));
        insert.bind(5, bytes).run();
    }
    txn.commit();
    return true;
}

bool HiveStore::deleteValue(std::int64_t key, const std::string& name) {
    SqliteTransaction txn(db_.handle(), true);
    SqliteStatement remove(db_.handle(), "DELETE FROM vals WHERE key=?1 AND folded=?2", true);
    remove.bind(1, key).bind(2, fold(name)).run();
    const bool removed = remove.changes() > 0;
    txn.commit();
    return removed;
}

HiveStore::ValueAt HiveStore::valueAt(std::int64_t key, std::int64_t index) {
    sqlite3* db = db_.handle();
    SqliteTransaction txn(db, false);
    ValueAt at;
    SqliteStatement find(db, "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id LIMIT 1 OFFSET ?2",
                         false);
    find.bind(1, key).bind(2, index);
    if (find.step()) {
        at.value = StoredValue{find.bytes(0), static_cast<DWORD>(find.integer(1)), find.bytes(2)};
    } else {
        SqliteStatement count(db, "SELECT count(*) FROM vals WHERE key=?1", false);
        count.bind(1, key).step();
        at.count = count.integer(0);
    }
    txn.commit();
    return at;
}

} // namespace tidorax

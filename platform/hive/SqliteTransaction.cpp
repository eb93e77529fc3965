#include "platform/hive/SqliteTransaction.h"

#include "platform/hive/SqliteStatement.h"

#include <sqlite3.h>

namespace tidorax {

SqliteTransaction::SqliteTransaction(sqlite3* db, bool writing)
    : db_(db), writing_(writing), nested_(sqlite3_get_autocommit(db) == 0) {
    // Prepared once per connection and kept: a read of one value is mostly this.
    SqliteStatement(db_, nested_ ? "SAVEPOINT call" : writing ? "BEGIN IMMEDIATE" : "BEGIN", writing).run();
}

SqliteTransaction::~SqliteTransaction() {
    if (done_) {
        return;
    }
    if (nested_) {
        // Only this call's changes go; the enclosing group goes on.
        sqlite3_exec(db_, "ROLLBACK TO call; RELEASE call", nullptr, nullptr, nullptr);
    } else {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteTransaction::commit() {
    SqliteStatement(db_, nested_ ? "RELEASE call" : "COMMIT", writing_).run();
    done_ = true;
}

} // namespace tidorax

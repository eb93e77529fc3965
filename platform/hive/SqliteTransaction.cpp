#include "platform/hive/SqliteTransaction.h"

#include "platform/hive/SqliteStatement.h"

#include <sqlite3.h>

namespace tidorax {

SqliteTransaction::SqliteTransaction(sqlite3* db, bool writing) : db_(db), writing_(writing) {
    execute(db_, writing ? "BEGIN IMMEDIATE" : "BEGIN", writing);
}

SqliteTransaction::~SqliteTransaction() {
    if (!done_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteTransaction::commit() {
    execute(db_, "COMMIT", writing_);
    done_ = true;
}

} // namespace tidorax

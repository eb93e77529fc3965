#include "platform/hive/SqliteStatement.h"

#include "platform/hive/HiveError.h"

#include <sqlite3.h>

namespace tidorax {

LONG mapSqliteError(int rc, bool writing) {
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
    case SQLITE_CONSTRAINT:
        return ERROR_BADDB;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_CANTOPEN;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
        return ERROR_CANTWRITE;
    default:
        return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

void execute(sqlite3* db, const char* sql, bool writing) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        throw HiveError{mapSqliteError(rc, writing)};
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql, bool writing) : db_(db), writing_(writing) {
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        throw HiveError{mapSqliteError(rc, writing_)};
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::string& bytes) {
    check(sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size()),
                            SQLITE_TRANSIENT));
    return *this;
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    throw HiveError{mapSqliteError(rc, writing_)};
}

void SqliteStatement::run() {
    while (step()) {
    }
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) {
        return {};
    }
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

int SqliteStatement::changes() const {
    return sqlite3_changes(db_);
}

void SqliteStatement::check(int rc) const {
    if (rc != SQLITE_OK) {
        throw HiveError{mapSqliteError(rc, writing_)};
    }
}

} // namespace tidorax

#include "platform/hive/SqliteStatement.h"

#include "platform/hive/HiveError.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sqlite3.h>
#include <utility>
#include <vector>

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

namespace {

// Statements that have been used, kept for the next use of the same text on the same
// connection: preparing is most of the cost of reading one value.
struct IdleStatements {
    std::mutex mutex;
    std::vector<std::pair<sqlite3*, sqlite3_stmt*>> statements;
};

// Never destroyed: connections are still closed by the destructors of other statics.
IdleStatements& idle() {
    static IdleStatements* const statements = new IdleStatements;
    return *statements;
}

sqlite3_stmt* takeIdle(sqlite3* db, const char* sql) {
    IdleStatements& cache = idle();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    const auto found = std::find_if(cache.statements.begin(), cache.statements.end(), [&](const auto& kept) {
        return kept.first == db && std::strcmp(sqlite3_sql(kept.second), sql) == 0;
    });
    if (found == cache.statements.end()) {
        return nullptr;
    }
    sqlite3_stmt* stmt = found->second;
    cache.statements.erase(found);
    return stmt;
}

} // namespace

void FinalizeIdleStatements(sqlite3* db) {
    IdleStatements& cache = idle();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    std::erase_if(cache.statements, [db](const auto& kept) {
        if (kept.first == db) {
            sqlite3_finalize(kept.second);
        }
        return kept.first == db;
    });
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql, bool writing)
    : db_(db), stmt_(takeIdle(db, sql)), writing_(writing) {
    if (stmt_ != nullptr) {
        return;
    }
    const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        throw HiveError{mapSqliteError(rc, writing_)};
    }
}

SqliteStatement::~SqliteStatement() {
    if (stmt_ == nullptr) {
        return;
    }
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    IdleStatements& cache = idle();
    const std::lock_guard<std::mutex> lock(cache.mutex);
    cache.statements.emplace_back(db_, stmt_);
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

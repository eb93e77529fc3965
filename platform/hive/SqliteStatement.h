// The SQLite helpers of the hive: one prepared statement, a plain statement run at
// once, and the Windows result code that a SQLite failure ends with. Every failure is
// thrown as a HiveError.
#pragma once

#include "platform/Win32Types.h"

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace tidorax {

// The result code for a SQLite failure; writing tells a failed write from a failed read.
LONG mapSqliteError(int rc, bool writing);

// Runs sql (no rows) or throws.
void execute(sqlite3* db, const char* sql, bool writing);

// Finalizes the statements kept for the connection's next queries; called before it is
// closed.
void FinalizeIdleStatements(sqlite3* db);

// One prepared statement. When it goes out of scope it is reset and kept for the next
// statement of the same text on the same connection.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql, bool writing);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, std::int64_t value);
    // Binds the bytes as a blob; a zero-length blob is bound as such (never as NULL).
    SqliteStatement& bind(int index, const std::string& bytes);
    // True when a row is ready, false when the statement is done.
    bool step();
    void run();
    std::int64_t integer(int column) const;
    std::string bytes(int column) const;
    // Rows changed by the connection's last statement.
    int changes() const;

private:
    void check(int rc) const;

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool writing_;
};

} // namespace tidorax

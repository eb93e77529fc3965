// One open SQLite file, closed when it goes out of scope. Opening creates the file
// (mode 0600) and its parent folders when missing, never creates anything in place
// of a file that is there, waits for other processes through a busy timeout, makes
// every commit durable and refuses a damaged file. Failures are thrown as HiveError.
#pragma once

#include <string>

struct sqlite3;

namespace tidorax {

class SqliteDatabase {
public:
    explicit SqliteDatabase(const std::string& path);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return db_; }
    // False when the file could only be opened for reading.
    bool writable() const { return writable_; }

private:
    void checkIntegrity();

    sqlite3* db_ = nullptr;
    bool writable_ = false;
};

} // namespace tidorax

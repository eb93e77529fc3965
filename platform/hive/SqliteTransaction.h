// A transaction that rolls back unless committed. Writers take the write lock at once
// (BEGIN IMMEDIATE) so that two processes wait for each other through the busy
// timeout instead of failing on a lock upgrade.
#pragma once

struct sqlite3;

namespace tidorax {

class SqliteTransaction {
public:
    SqliteTransaction(sqlite3* db, bool writing);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit();

private:
    sqlite3* db_;
    bool writing_;
    bool done_ = false;
};

} // namespace tidorax

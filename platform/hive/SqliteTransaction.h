// A transaction that rolls back unless committed. Writers take the write lock at once
// (BEGIN IMMEDIATE) so that two processes wait for each other through the busy
// timeout instead of failing on a lock upgrade. Inside a transaction that is already
// open (a group of writes) it is a savepoint: its rollback undoes only its own changes.
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
    bool nested_;
    bool done_ = false;
};

} // namespace tidorax

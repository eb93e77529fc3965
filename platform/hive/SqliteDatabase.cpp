#include "platform/hive/SqliteDatabase.h"

#include "platform/hive/FileAccess.h"
#include "platform/hive/HiveError.h"
#include "platform/hive/SqliteStatement.h"
#include "platform/hive/StoreWaits.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tidorax {

namespace {

thread_local int storeWaitLimitMs = kDefaultStoreWaitMs;
thread_local std::chrono::steady_clock::time_point gaveUpAt;
constexpr std::chrono::seconds kNoWaitAfterGivingUp{1};

// Called by SQLite while another connection holds the file: waits a few milliseconds
// and tries again, up to the calling thread's limit.
int waitWhileBusy(void* /*unused*/, int attempt) {
    thread_local std::chrono::steady_clock::time_point firstAttempt;
    thread_local int limitMs = 0;
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        firstAttempt = now;
        limitMs = StoreWaitNowOfThisThread();
    }
    if (now - firstAttempt >= std::chrono::milliseconds(limitMs)) {
        StoreWaitGivenUpByThisThread();
        return 0;
    }
    sqlite3_sleep(attempt < 10 ? 1 : 5);
    return 1;
}

// Makes sure a regular file is at path, creating an empty one when nothing is.
void createFileWhenMissing(const std::string& path) {
    if (path.empty() || !makeParentFolders(path)) {
        throw HiveError{ERROR_CANTOPEN};
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            throw HiveError{ERROR_CANTOPEN};
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            throw HiveError{ERROR_CANTOPEN};
        }
        if (fd >= 0) {
            ::close(fd);
        }
    } else if (!S_ISREG(st.st_mode)) {
        throw HiveError{ERROR_CANTOPEN};
    }
}

} // namespace

void SetStoreWaitLimitOfThisThread(int milliseconds) {
    storeWaitLimitMs = milliseconds;
}

int StoreWaitNowOfThisThread() {
    const bool justGaveUp = gaveUpAt.time_since_epoch().count() != 0 &&
                            std::chrono::steady_clock::now() - gaveUpAt < kNoWaitAfterGivingUp;
    return justGaveUp ? 0 : storeWaitLimitMs;
}

void StoreWaitGivenUpByThisThread() {
    gaveUpAt = std::chrono::steady_clock::now();
}

SqliteDatabase::SqliteDatabase(const std::string& path) {
    createFileWhenMissing(path);
    sqlite3* handle = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(handle);
        throw HiveError{mapSqliteError(rc, false) == ERROR_BADDB ? ERROR_BADDB : ERROR_CANTOPEN};
    }
    db_ = handle;
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_handler(db_, waitWhileBusy, nullptr);
        writable_ = sqlite3_db_readonly(db_, "main") == 0;
        execute(db_, "PRAGMA synchronous=FULL", false);
        checkIntegrity();
    } catch (...) {
        FinalizeIdleStatements(db_);
        sqlite3_close_v2(db_);
        throw;
    }
}

SqliteDatabase::~SqliteDatabase() {
    FinalizeIdleStatements(db_);
    sqlite3_close_v2(db_);
}

void SqliteDatabase::checkIntegrity() {
    SqliteStatement check(db_, "PRAGMA quick_check(1)", false);
    if (!check.step() || check.bytes(0) != "ok") {
        throw HiveError{ERROR_BADDB};
    }
}

} // namespace tidorax

#include "core/browsers/CookieStoreClean.h"

#include <sqlite3.h>

#include <algorithm>

namespace tidorax {

namespace {

using Outcome = CookieStoreResult::Outcome;

// "name" quoted as an SQL identifier.
std::string quoted(const char* name) {
    std::string text = "\"";
    for (const char* c = name; *c != '\0'; ++c) {
        text += *c == '"' ? std::string("\"\"") : std::string(1, *c);
    }
    return text + "\"";
}

// The SQL function kept_host(host): 1 when the user keeps the host's cookies.
void keptHost(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* kept = static_cast<const KeptSites*>(sqlite3_user_data(context));
    const auto* host = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    const int length = sqlite3_value_bytes(values[0]);
    sqlite3_result_int(context, host != nullptr && kept->keeps(std::string_view(host, length)) ? 1 : 0);
}

bool busy(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

class Store {
public:
    explicit Store(const std::string& path) {
        rc_ = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (rc_ == SQLITE_OK) {
            sqlite3_extended_result_codes(db_, 1);
            sqlite3_busy_timeout(db_, kCookieStoreBusyMilliseconds);
        }
    }
    ~Store() { sqlite3_close_v2(db_); }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    bool ok() const { return rc_ == SQLITE_OK; }
    sqlite3* db() const { return db_; }
    bool execute(const std::string& sql) {
        return (rc_ = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr)) == SQLITE_OK;
    }
    bool count(const std::string& sql, std::size_t& value) {
        sqlite3_stmt* statement = nullptr;
        rc_ = sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr);
        if (rc_ == SQLITE_OK && (rc_ = sqlite3_step(statement)) == SQLITE_ROW) {
            value = static_cast<std::size_t>(sqlite3_column_int64(statement, 0));
            rc_ = SQLITE_OK;
        }
        sqlite3_finalize(statement);
        return rc_ == SQLITE_OK;
    }
    // What went wrong last, nothing having been changed.
    CookieStoreResult failure() const {
        CookieStoreResult result;
        result.outcome = busy(rc_) ? Outcome::Busy : Outcome::Failed;
        result.error = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc_);
        return result;
    }

private:
    sqlite3* db_ = nullptr;
    int rc_ = SQLITE_OK;
};

} // namespace

CookieStoreResult CleanCookieStore(const std::string& path, const CookieStoreLayout& layout,
                                   const KeptSites& kept) {
    Store store(path);
    if (!store.ok()) {
        return store.failure();
    }
    if (sqlite3_create_function_v2(store.db(), "kept_host", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   const_cast<KeptSites*>(&kept), keptHost, nullptr, nullptr,
                                   nullptr) != SQLITE_OK) {
        return store.failure();
    }
    const std::string table = quoted(layout.table);
    CookieStoreResult result;
    // The write lock at once: a browser that holds the store answers now, not halfway.
    if (!store.execute("BEGIN IMMEDIATE")) {
        return store.failure();
    }
    std::size_t after = 0;
    if (!store.count("SELECT count(*) FROM " + table, result.before) ||
        !store.execute("DELETE FROM " + table + " WHERE NOT kept_host(" + quoted(layout.hostColumn) + ")") ||
        !store.count("SELECT count(*) FROM " + table, after) || !store.execute("COMMIT")) {
        CookieStoreResult failed = store.failure();
        sqlite3_exec(store.db(), "ROLLBACK", nullptr, nullptr, nullptr);
        return failed;
    }
    result.outcome = Outcome::Cleaned;
    result.deleted = result.before - std::min(after, result.before);
    return result;
}

} // namespace tidorax

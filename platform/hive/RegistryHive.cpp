#include "platform/hive/RegistryHive.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tidorax {

namespace {

// Marks a file as this program's hive ("TDRX").
constexpr int kApplicationId = 0x54445258;
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 10000;
// Handles given out for opened keys start here and never reach the predefined roots.
constexpr HKEY kFirstHandle = 0x1000;

struct RootKey {
    HKEY handle;
    const char* name;
};

constexpr std::array<RootKey, 6> kRoots{{
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
}};

// The machine's Run key below HKEY_LOCAL_MACHINE and the one value in it that lives
// in the desktop's autostart folder instead of the hive file.
constexpr std::array<const char*, 5> kRunPath{{"Software", "Microsoft", "Windows", "CurrentVersion", "Run"}};
constexpr const char* kRunValueName = "Tidora";
constexpr const char* kRunValueFolded = "tidora";
constexpr const char* kDesktopFileName = "Tidora.desktop";
constexpr const char* kRunValueKey = "X-Tidorax-Run-Value";

// A failed call, carrying the Windows result code it ends with.
struct HiveError {
    LONG code;
};

std::string fold(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// "A\B\\C\" -> {"A", "B", "C"}; empty parts are dropped, so "" and "\" name the key itself.
std::vector<std::string> splitKeyPath(const char* subKey) {
    std::vector<std::string> parts;
    if (subKey == nullptr) {
        return parts;
    }
    std::string current;
    for (const char* p = subKey; *p != '\0'; ++p) {
        if (*p == '\\') {
            if (!current.empty()) {
                parts.push_back(current);
            }
            current.clear();
        } else {
            current.push_back(*p);
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

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

LONG mapErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_CANTWRITE;
    }
}

// One prepared statement, finalized when it goes out of scope. Every failure
// becomes a HiveError with the matching Windows code.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, bool writing) : db_(db), writing_(writing) {
        const int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            throw HiveError{mapSqliteError(rc, writing_)};
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value) {
        check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    Statement& bind(int index, const std::string& bytes) {
        // A zero-length blob is bound as such (never as NULL).
        check(sqlite3_bind_blob(stmt_, index, bytes.empty() ? "" : bytes.data(),
                                static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True when a row is ready, false when the statement is done.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc == SQLITE_DONE) {
            return false;
        }
        throw HiveError{mapSqliteError(rc, writing_)};
    }
    void run() {
        while (step()) {
        }
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string bytes(int column) const {
        const void* data = sqlite3_column_blob(stmt_, column);
        const int size = sqlite3_column_bytes(stmt_, column);
        if (data == nullptr || size <= 0) {
            return {};
        }
        return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
    }
    int changes() const { return sqlite3_changes(db_); }

private:
    void check(int rc) const {
        if (rc != SQLITE_OK) {
            throw HiveError{mapSqliteError(rc, writing_)};
        }
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool writing_;
};

void execute(sqlite3* db, const char* sql, bool writing) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        throw HiveError{mapSqliteError(rc, writing)};
    }
}

// A transaction that rolls back unless committed. Writers take the write lock at
// once (BEGIN IMMEDIATE) so that two processes wait for each other through the busy
// timeout instead of failing on a lock upgrade.
class Transaction {
public:
    Transaction(sqlite3* db, bool writing) : db_(db), writing_(writing) {
        execute(db_, writing ? "BEGIN IMMEDIATE" : "BEGIN", writing);
    }
    ~Transaction() {
        if (!done_) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        execute(db_, "COMMIT", writing_);
        done_ = true;
    }

private:
    sqlite3* db_;
    bool writing_;
    bool done_ = false;
};

// Creates the missing folders of path (not the last part) with mode 0700.
bool makeParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

// ---- The autostart entry -------------------------------------------------------

// Escapes a text for a string value of a desktop entry.
std::string escapeDesktopString(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            // Blanks at either end would be lost to the reader's trimming.
            out += (i == 0 || i + 1 == text.size()) ? "\\s" : " ";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string unescapeDesktopString(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 's':
            out.push_back(' ');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case '\\':
            out.push_back('\\');
            break;
        default:
            out.push_back('\\');
            out.push_back(next);
        }
    }
    return out;
}

// One argument of an Exec line, quoted when it holds a blank or a reserved
// character, with "%" doubled so that it is not taken for a field code.
std::string quoteExecArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    std::string out;
    if (quote) {
        out.push_back('"');
    }
    for (const char c : argument) {
        if (c == '%') {
            out += "%%";
        } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out.push_back('\\');
            out.push_back(c);
        } else {
            out.push_back(c);
        }
    }
    if (quote) {
        out.push_back('"');
    }
    return out;
}

// The program of an Exec line (already unescaped as a string): its first argument.
std::string execProgram(const std::string& exec) {
    std::size_t i = exec.find_first_not_of(" \t");
    std::string program;
    if (i == std::string::npos) {
        return program;
    }
    if (exec[i] == '"') {
        for (++i; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size()) {
                ++i;
            }
            program.push_back(exec[i]);
        }
    } else {
        for (; i < exec.size() && exec[i] != ' ' && exec[i] != '\t'; ++i) {
            program.push_back(exec[i]);
        }
    }
    std::string unpercent;
    for (std::size_t k = 0; k < program.size(); ++k) {
        unpercent.push_back(program[k]);
        if (program[k] == '%' && k + 1 < program.size() && program[k + 1] == '%') {
            ++k;
        }
    }
    return unpercent;
}

// The keys of the [Desktop Entry] group (values unescaped).
std::map<std::string, std::string> parseDesktopEntry(const std::string& contents) {
    std::map<std::string, std::string> keys;
    bool inMainGroup = false;
    std::size_t start = 0;
    while (start <= contents.size()) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos) {
            end = contents.size();
        }
        std::string line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        if (line[first] == '[') {
            inMainGroup = line.substr(first) == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(first, equals - first);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.pop_back();
        }
        std::string value = line.substr(equals + 1);
        const std::size_t valueStart = value.find_first_not_of(" \t");
        value = valueStart == std::string::npos ? std::string() : value.substr(valueStart);
        keys.emplace(key, unescapeDesktopString(value));
    }
    return keys;
}

bool readWholeFile(const std::string& path, std::string& contents, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    contents.clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            ::close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const std::string& contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies bytes to a caller's buffer the way the registry does: the size is always
// reported, the data only when it fits.
LONG deliver(const std::string& bytes, BYTE* lpData, DWORD* lpcbData) {
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    const auto size = static_cast<DWORD>(bytes.size());
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size > 0) {
            std::memcpy(lpData, bytes.data(), size);
        }
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

// Copies a name with its terminating zero when it fits; the count excludes the zero.
LONG deliverName(const std::string& name, char* buffer, DWORD* lpcch) {
    if (*lpcch <= name.size()) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *lpcch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

struct Handle {
    std::int64_t key = 0;
    REGSAM access = 0;
};

} // namespace

struct RegistryHive::Impl {
    std::string path;
    AutostartRedirect autostart;
    std::mutex mutex;
    sqlite3* db = nullptr;
    bool writable = false;
    LONG openError = ERROR_CANTOPEN;
    std::map<HKEY, std::int64_t> rootIds;
    std::int64_t runKeyId = -1;
    std::map<HKEY, Handle> handles;
    HKEY nextHandle = kFirstHandle;

    ~Impl() { closeDatabase(ERROR_CANTOPEN); }

    void closeDatabase(LONG reason) {
        if (db != nullptr) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
        openError = reason;
        rootIds.clear();
        runKeyId = -1;
    }

    // Opens the file when it is not open yet; on failure remembers why.
    void ensureOpen() {
        if (db != nullptr) {
            return;
        }
        try {
            openDatabase();
        } catch (const HiveError& error) {
            closeDatabase(error.code);
        } catch (const std::bad_alloc&) {
            closeDatabase(ERROR_NOT_ENOUGH_MEMORY);
        }
    }

    void openDatabase() {
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
        sqlite3* handle = nullptr;
        const int rc =
            sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close_v2(handle);
            throw HiveError{mapSqliteError(rc, false) == ERROR_BADDB ? ERROR_BADDB : ERROR_CANTOPEN};
        }
        db = handle;
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        writable = sqlite3_db_readonly(db, "main") == 0;
        execute(db, "PRAGMA synchronous=FULL", false);
        checkIntegrity();
        prepareSchema();
        openError = ERROR_SUCCESS;
    }

    void checkIntegrity() {
        Statement check(db, "PRAGMA quick_check(1)", false);
        if (!check.step() || check.bytes(0) != "ok") {
            throw HiveError{ERROR_BADDB};
        }
    }

    std::int64_t schemaObjects() {
        Statement count(db, "SELECT count(*) FROM sqlite_master", false);
        count.step();
        return count.integer(0);
    }

    void prepareSchema() {
        if (schemaObjects() == 0) {
            if (!writable) {
                throw HiveError{ERROR_CANTOPEN};
            }
            Transaction txn(db, true);
            // Another process may have set the file up meanwhile.
            if (schemaObjects() == 0) {
                execute(db,
                        "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
                        " name BLOB NOT NULL, folded BLOB NOT NULL, UNIQUE(parent, folded));"
                        "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT, key INTEGER NOT NULL,"
                        " name BLOB NOT NULL, folded BLOB NOT NULL, type INTEGER NOT NULL,"
                        " data BLOB NOT NULL, UNIQUE(key, folded));",
                        true);
                execute(db, ("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str(), true);
                execute(db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str(), true);
            }
            txn.commit();
        }
        {
            Statement id(db, "PRAGMA application_id", false);
            id.step();
            Statement version(db, "PRAGMA user_version", false);
            version.step();
            if (id.integer(0) != kApplicationId || version.integer(0) > kSchemaVersion) {
                throw HiveError{ERROR_BADDB};
            }
        }
        loadRootsAndRunKey();
    }

    std::optional<std::int64_t> findChild(std::int64_t parent, const std::string& name) {
        Statement find(db, "SELECT id FROM keys WHERE parent=?1 AND folded=?2", false);
        find.bind(1, parent).bind(2, fold(name));
        if (!find.step()) {
            return std::nullopt;
        }
        return find.integer(0);
    }

    std::int64_t insertKey(std::int64_t parent, const std::string& name) {
        Statement insert(db, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)", true);
        insert.bind(1, parent).bind(2, name).bind(3, fold(name)).run();
        return sqlite3_last_insert_rowid(db);
    }

    // The roots always exist, and so does the Run key (it holds the log-on value).
    void loadRootsAndRunKey() {
        bool complete = true;
        {
            Transaction txn(db, false);
            complete = resolveRootsAndRunKey(false);
            txn.commit();
        }
        if (complete || !writable) {
            if (rootIds.size() != kRoots.size()) {
                throw HiveError{ERROR_BADDB};
            }
            return;
        }
        Transaction txn(db, true);
        resolveRootsAndRunKey(true);
        txn.commit();
    }

    bool resolveRootsAndRunKey(bool create) {
        rootIds.clear();
        runKeyId = -1;
        bool complete = true;
        for (const RootKey& root : kRoots) {
            auto id = findChild(0, root.name);
            if (!id && create) {
                id = insertKey(0, root.name);
            }
            if (!id) {
                complete = false;
                continue;
            }
            rootIds[root.handle] = *id;
        }
        if (!complete) {
            return false;
        }
        std::int64_t key = rootIds[HKEY_LOCAL_MACHINE];
        for (const char* part : kRunPath) {
            auto id = findChild(key, part);
            if (!id && create) {
                id = insertKey(key, part);
            }
            if (!id) {
                return false;
            }
            key = *id;
        }
        runKeyId = key;
        return true;
    }

    static std::optional<HKEY> rootOf(HKEY hKey) {
        for (const RootKey& root : kRoots) {
            if (root.handle == hKey) {
                return root.handle;
            }
        }
        return std::nullopt;
    }

    bool keyExists(std::int64_t key) {
        Statement find(db, "SELECT 1 FROM keys WHERE id=?1", false);
        find.bind(1, key);
        return find.step();
    }

    // The key behind a handle, after checking that it is valid, that it was opened
    // with the rights the call needs and that its key still exists.
    Handle resolve(HKEY hKey, REGSAM needed) {
        const auto root = rootOf(hKey);
        const auto it = handles.find(hKey);
        if (!root && it == handles.end()) {
            throw HiveError{ERROR_INVALID_HANDLE};
        }
        ensureOpen();
        if (db == nullptr) {
            throw HiveError{openError};
        }
        if (root) {
            return Handle{rootIds.at(*root), KEY_ALL_ACCESS};
        }
        if ((it->second.access & needed) != needed) {
            throw HiveError{ERROR_ACCESS_DENIED};
        }
        if (!keyExists(it->second.key)) {
            throw HiveError{ERROR_KEY_DELETED};
        }
        return it->second;
    }

    void requireWritable() const {
        if (!writable) {
            throw HiveError{ERROR_CANTWRITE};
        }
    }

    HKEY addHandle(std::int64_t key, REGSAM access) {
        const HKEY handle = nextHandle;
        nextHandle += 4;
        handles[handle] = Handle{key, access};
        return handle;
    }

    // Walks the parts below start; nullopt when one is missing.
    std::optional<std::int64_t> walk(std::int64_t start, const std::vector<std::string>& parts) {
        std::int64_t key = start;
        for (const std::string& part : parts) {
            const auto child = findChild(key, part);
            if (!child) {
                return std::nullopt;
            }
            key = *child;
        }
        return key;
    }

    bool isRunValue(std::int64_t key, const char* valueName) const {
        return key == runKeyId && fold(valueName == nullptr ? "" : valueName) == kRunValueFolded;
    }

    // ---- Values in the hive ------------------------------------------------------

    struct StoredValue {
        std::string name;
        DWORD type = REG_NONE;
        std::string data;
    };

    std::optional<StoredValue> findValue(std::int64_t key, const std::string& name) {
        Statement find(db, "SELECT name, type, data FROM vals WHERE key=?1 AND folded=?2", false);
        find.bind(1, key).bind(2, fold(name));
        if (!find.step()) {
            return std::nullopt;
        }
        return StoredValue{find.bytes(0), static_cast<DWORD>(find.integer(1)), find.bytes(2)};
    }

    // ---- The log-on value in the autostart folder ----------------------------------

    std::string desktopFilePath() const { return autostart.folder + "/" + kDesktopFileName; }

    // The text the log-on value was last written with, with its terminating zero byte.
    LONG readRunValue(std::string& data) const {
        std::string contents;
        int error = 0;
        if (!readWholeFile(desktopFilePath(), contents, error)) {
            return error == ENOENT || error == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_CANTREAD;
        }
        const auto keys = parseDesktopEntry(contents);
        if (const auto it = keys.find(kRunValueKey); it != keys.end()) {
            data = it->second;
        } else if (const auto exec = keys.find("Exec");
                   exec != keys.end() && !execProgram(exec->second).empty()) {
            data = execProgram(exec->second);
        } else {
            return ERROR_FILE_NOT_FOUND;
        }
        data.push_back('\0');
        return ERROR_SUCCESS;
    }

    LONG writeRunValue(DWORD type, const BYTE* lpData, DWORD cbData) const {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            // The entry holds a command line: only text fits in it.
            return ERROR_INVALID_PARAMETER;
        }
        std::string text(reinterpret_cast<const char*>(lpData), cbData);
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        if (text.find('\0') != std::string::npos) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::string contents = "[Desktop Entry]\nType=Application\nName=Tidorax\nExec=" +
                                     escapeDesktopString(quoteExecArgument(autostart.exec)) +
                                     "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n" + kRunValueKey +
                                     "=" + escapeDesktopString(text) + "\n";
        if (autostart.folder.empty()) {
            return ERROR_CANTWRITE;
        }
        if (!makeParentFolders(desktopFilePath())) {
            return mapErrno(errno);
        }
        std::string temp = autostart.folder + "/.Tidora.desktop.XXXXXX";
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) {
            return mapErrno(errno);
        }
        const bool written = writeAll(fd, contents) && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(temp.c_str());
            return mapErrno(written ? errno : writeError);
        }
        if (::rename(temp.c_str(), desktopFilePath().c_str()) != 0) {
            const int renameError = errno;
            ::unlink(temp.c_str());
            return mapErrno(renameError);
        }
        const int folderFd = ::open(autostart.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
        return ERROR_SUCCESS;
    }

    LONG deleteRunValue() const {
        if (::unlink(desktopFilePath().c_str()) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : mapErrno(errno);
        }
        return ERROR_SUCCESS;
    }

    bool runValueExists() const {
        std::string data;
        return readRunValue(data) == ERROR_SUCCESS;
    }

    // Runs one call under the lock and turns every failure into its result code.
    template <typename Call> LONG guarded(Call&& call) {
        std::lock_guard<std::mutex> lock(mutex);
        try {
            return call();
        } catch (const HiveError& error) {
            if (error.code == ERROR_BADDB) {
                // The file went bad under us: stop using it until it can be opened again.
                closeDatabase(ERROR_BADDB);
            }
            return error.code;
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
};

RegistryHive::RegistryHive(std::string path, AutostartRedirect autostart) : impl_(std::make_unique<Impl>()) {
    impl_->path = std::move(path);
    impl_->autostart = std::move(autostart);
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->ensureOpen();
}

RegistryHive::~RegistryHive() = default;

const std::string& RegistryHive::path() const {
    return impl_->path;
}

bool RegistryHive::usable() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->db != nullptr;
}

LONG RegistryHive::RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                 PHKEY phkResult) {
    return impl_->guarded([&]() -> LONG {
        if (phkResult == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        *phkResult = 0;
        const Handle parent = impl_->resolve(hKey, 0);
        std::optional<std::int64_t> key;
        {
            Transaction txn(impl_->db, false);
            key = impl_->walk(parent.key, splitKeyPath(lpSubKey));
            txn.commit();
        }
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        *phkResult = impl_->addHandle(*key, samDesired);
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*Reserved*/,
                                   const char* /*lpClass*/, DWORD /*dwOptions*/, REGSAM samDesired,
                                   const void* /*lpSecurityAttributes*/, PHKEY phkResult,
                                   DWORD* lpdwDisposition) {
    return impl_->guarded([&]() -> LONG {
        if (phkResult == nullptr || lpSubKey == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        *phkResult = 0;
        const Handle parent = impl_->resolve(hKey, 0);
        const std::vector<std::string> parts = splitKeyPath(lpSubKey);
        std::optional<std::int64_t> key;
        {
            Transaction txn(impl_->db, false);
            key = impl_->walk(parent.key, parts);
            txn.commit();
        }
        DWORD disposition = REG_OPENED_EXISTING_KEY;
        if (!key) {
            // Creating a subkey needs the right to do so on the handle given.
            if ((parent.access & KEY_CREATE_SUB_KEY) != KEY_CREATE_SUB_KEY) {
                return ERROR_ACCESS_DENIED;
            }
            impl_->requireWritable();
            Transaction txn(impl_->db, true);
            if (!impl_->keyExists(parent.key)) {
                return ERROR_KEY_DELETED;
            }
            std::int64_t current = parent.key;
            for (const std::string& part : parts) {
                const auto child = impl_->findChild(current, part);
                if (child) {
                    current = *child;
                } else {
                    current = impl_->insertKey(current, part);
                    disposition = REG_CREATED_NEW_KEY;
                }
            }
            txn.commit();
            key = current;
        }
        *phkResult = impl_->addHandle(*key, samDesired);
        if (lpdwDisposition != nullptr) {
            *lpdwDisposition = disposition;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType,
                                    BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
        if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        if (impl_->isRunValue(handle.key, lpValueName)) {
            std::string data;
            const LONG result = impl_->readRunValue(data);
            if (result != ERROR_SUCCESS) {
                return result;
            }
            if (lpType != nullptr) {
                *lpType = REG_SZ;
            }
            return deliver(data, lpData, lpcbData);
        }
        std::optional<Impl::StoredValue> value;
        {
            Transaction txn(impl_->db, false);
            value = impl_->findValue(handle.key, lpValueName == nullptr ? "" : lpValueName);
            txn.commit();
        }
        if (!value) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (lpType != nullptr) {
            *lpType = value->type;
        }
        return deliver(value->data, lpData, lpcbData);
    });
}

LONG RegistryHive::RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType,
                                  const BYTE* lpData, DWORD cbData) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
        if (lpData == nullptr && cbData > 0) {
            return ERROR_INVALID_PARAMETER;
        }
        const BYTE empty = 0;
        const BYTE* data = lpData == nullptr ? &empty : lpData;
        if (impl_->isRunValue(handle.key, lpValueName)) {
            return impl_->writeRunValue(dwType, data, cbData);
        }
        impl_->requireWritable();
        const std::string name = lpValueName == nullptr ? "" : lpValueName;
        const std::string bytes(reinterpret_cast<const char*>(data), cbData);
        Transaction txn(impl_->db, true);
        if (!impl_->keyExists(handle.key)) {
            return ERROR_KEY_DELETED;
        }
        // An update keeps the value's name and its place in the enumeration order.
        Statement update(impl_->db, "UPDATE vals SET type=?1, data=?2 WHERE key=?3 AND folded=?4", true);
        update.bind(1, static_cast<std::int64_t>(dwType))
            .bind(2, bytes)
            .bind(3, handle.key)
            .bind(4, fold(name));
        update.run();
        if (update.changes() == 0) {
            Statement insert(impl_->db,
                             "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)",
                             true);
            insert.bind(1, handle.key)
                .bind(2, name)
                .bind(3, fold(name))
                .bind(4, static_cast<std::int64_t>(dwType));
            insert.bind(5, bytes).run();
        }
        txn.commit();
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegDeleteValueA(HKEY hKey, const char* lpValueName) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_SET_VALUE);
        if (impl_->isRunValue(handle.key, lpValueName)) {
            return impl_->deleteRunValue();
        }
        const std::string name = lpValueName == nullptr ? "" : lpValueName;
        {
            Transaction txn(impl_->db, false);
            const bool present = impl_->findValue(handle.key, name).has_value();
            txn.commit();
            if (!present) {
                return ERROR_FILE_NOT_FOUND;
            }
        }
        impl_->requireWritable();
        Transaction txn(impl_->db, true);
        Statement remove(impl_->db, "DELETE FROM vals WHERE key=?1 AND folded=?2", true);
        remove.bind(1, handle.key).bind(2, fold(name)).run();
        const bool removed = remove.changes() > 0;
        txn.commit();
        return removed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegistryHive::RegDeleteKeyA(HKEY hKey, const char* lpSubKey) {
    return impl_->guarded([&]() -> LONG {
        const Handle parent = impl_->resolve(hKey, 0);
        if (lpSubKey == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        const std::vector<std::string> parts = splitKeyPath(lpSubKey);
        std::optional<std::int64_t> key;
        {
            Transaction txn(impl_->db, false);
            key = impl_->walk(parent.key, parts);
            txn.commit();
        }
        if (!key) {
            return ERROR_FILE_NOT_FOUND;
        }
        for (const auto& [root, id] : impl_->rootIds) {
            if (id == *key) {
                return ERROR_ACCESS_DENIED;
            }
        }
        if (*key == impl_->runKeyId) {
            // The Run key belongs to the system; it always exists.
            return ERROR_ACCESS_DENIED;
        }
        impl_->requireWritable();
        Transaction txn(impl_->db, true);
        if (!impl_->keyExists(*key)) {
            return ERROR_FILE_NOT_FOUND;
        }
        {
            Statement children(impl_->db, "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1", true);
            children.bind(1, *key);
            if (children.step()) {
                return ERROR_ACCESS_DENIED;
            }
        }
        Statement(impl_->db, "DELETE FROM vals WHERE key=?1", true).bind(1, *key).run();
        Statement(impl_->db, "DELETE FROM keys WHERE id=?1", true).bind(1, *key).run();
        txn.commit();
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName,
                                 DWORD* lpReserved, DWORD* lpType, BYTE* lpData, DWORD* lpcbData) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
        if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
            (lpData != nullptr && lpcbData == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        std::optional<Impl::StoredValue> value;
        std::int64_t stored = 0;
        {
            Transaction txn(impl_->db, false);
            Statement find(impl_->db,
                           "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id LIMIT 1 OFFSET ?2",
                           false);
            find.bind(1, handle.key).bind(2, static_cast<std::int64_t>(dwIndex));
            if (find.step()) {
                value = Impl::StoredValue{find.bytes(0), static_cast<DWORD>(find.integer(1)), find.bytes(2)};
            } else {
                Statement count(impl_->db, "SELECT count(*) FROM vals WHERE key=?1", false);
                count.bind(1, handle.key).step();
                stored = count.integer(0);
            }
            txn.commit();
        }
        if (!value && handle.key == impl_->runKeyId && dwIndex == stored) {
            // The log-on value follows the values kept in the file.
            std::string data;
            if (impl_->readRunValue(data) == ERROR_SUCCESS) {
                value = Impl::StoredValue{kRunValueName, REG_SZ, data};
            }
        }
        if (!value) {
            return ERROR_NO_MORE_ITEMS;
        }
        if (deliverName(value->name, lpValueName, lpcchValueName) != ERROR_SUCCESS) {
            return ERROR_MORE_DATA;
        }
        if (lpType != nullptr) {
            *lpType = value->type;
        }
        return deliver(value->data, lpData, lpcbData);
    });
}

LONG RegistryHive::RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                 char* lpClass, DWORD* lpcchClass, void* /*lpftLastWriteTime*/) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_ENUMERATE_SUB_KEYS);
        if (lpName == nullptr || lpcchName == nullptr || lpReserved != nullptr ||
            (lpClass != nullptr && lpcchClass == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        std::optional<std::string> name;
        {
            Transaction txn(impl_->db, false);
            Statement find(impl_->db, "SELECT name FROM keys WHERE parent=?1 ORDER BY id LIMIT 1 OFFSET ?2",
                           false);
            find.bind(1, handle.key).bind(2, static_cast<std::int64_t>(dwIndex));
            if (find.step()) {
                name = find.bytes(0);
            }
            txn.commit();
        }
        if (!name) {
            return ERROR_NO_MORE_ITEMS;
        }
        if (deliverName(*name, lpName, lpcchName) != ERROR_SUCCESS) {
            return ERROR_MORE_DATA;
        }
        // Keys carry no class. The last-write time is not kept and left as given.
        if (lpClass != nullptr && *lpcchClass > 0) {
            lpClass[0] = '\0';
        }
        if (lpcchClass != nullptr) {
            *lpcchClass = 0;
        }
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD* lpReserved,
                                    DWORD* lpcSubKeys, DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen,
                                    DWORD* lpcValues, DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen,
                                    DWORD* lpcbSecurityDescriptor, void* /*lpftLastWriteTime*/) {
    return impl_->guarded([&]() -> LONG {
        const Handle handle = impl_->resolve(hKey, KEY_QUERY_VALUE);
        if (lpReserved != nullptr || (lpClass != nullptr && lpcchClass == nullptr)) {
            return ERROR_INVALID_PARAMETER;
        }
        std::int64_t subKeys = 0;
        std::int64_t maxSubKey = 0;
        std::int64_t values = 0;
        std::int64_t maxName = 0;
        std::int64_t maxData = 0;
        {
            Transaction txn(impl_->db, false);
            Statement keys(impl_->db,
                           "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent=?1",
                           false);
            keys.bind(1, handle.key).step();
            subKeys = keys.integer(0);
            maxSubKey = keys.integer(1);
            Statement vals(impl_->db,
                           "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0)"
                           " FROM vals WHERE key=?1",
                           false);
            vals.bind(1, handle.key).step();
            values = vals.integer(0);
            maxName = vals.integer(1);
            maxData = vals.integer(2);
            txn.commit();
        }
        if (handle.key == impl_->runKeyId) {
            std::string data;
            if (impl_->readRunValue(data) == ERROR_SUCCESS) {
                ++values;
                maxName =
                    std::max<std::int64_t>(maxName, static_cast<std::int64_t>(std::strlen(kRunValueName)));
                maxData = std::max<std::int64_t>(maxData, static_cast<std::int64_t>(data.size()));
            }
        }
        if (lpClass != nullptr && *lpcchClass > 0) {
            lpClass[0] = '\0';
        }
        if (lpcchClass != nullptr) {
            *lpcchClass = 0;
        }
        const auto put = [](DWORD* target, std::int64_t value) {
            if (target != nullptr) {
                *target = static_cast<DWORD>(value);
            }
        };
        put(lpcSubKeys, subKeys);
        put(lpcbMaxSubKeyLen, maxSubKey);
        put(lpcbMaxClassLen, 0);
        put(lpcValues, values);
        put(lpcbMaxValueNameLen, maxName);
        put(lpcbMaxValueLen, maxData);
        put(lpcbSecurityDescriptor, 0);
        return ERROR_SUCCESS;
    });
}

LONG RegistryHive::RegCloseKey(HKEY hKey) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (Impl::rootOf(hKey)) {
        return ERROR_SUCCESS;
    }
    return impl_->handles.erase(hKey) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace tidorax

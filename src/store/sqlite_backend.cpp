// The store of a data folder: RESDATA.TPS is the main database of one SQLite connection and
// USERS.TPS is attached to it under the built-in owner password, so one transaction spans
// both files atomically (the rollback journal, not WAL, keeps that true on shared folders).
//
// Dialect: a text column that a key takes without regard to case is declared COLLATE NOCASE,
// so every comparison, order and index on it folds case by itself; the row identity is the
// table's INTEGER PRIMARY KEY; CROSS JOIN keeps the outer table first. Locks: a transaction
// takes the write lock of each file it asked for at once, by a write of no row, within the
// busy timeout; a file it did not ask for is locked by SQLite at its first write there.

#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "sql_backend.h"

namespace store::sql {

namespace {

constexpr const char* kCatalog = "tembrix_layout";

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

/// A path as an SQLite URI file name: everything but unreserved characters escaped.
std::string uriOf(const std::string& path, const char* mode) {
    static const char* hex = "0123456789ABCDEF";
    std::string u = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            u += char(c);
        } else {
            u += '%';
            u += hex[c >> 4];
            u += hex[c & 15];
        }
    }
    return u + "?mode=" + mode;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

class FileStatement : public Statement {
  public:
    explicit FileStatement(sqlite3_stmt* st) : st_(st) {}
    ~FileStatement() override { sqlite3_finalize(st_); }

    void bind(int param, long long value) override { sqlite3_bind_int64(st_, param, value); }
    void bind(int param, std::string_view text) override {
        sqlite3_bind_text(st_, param, text.data(), int(text.size()), SQLITE_TRANSIENT);
    }
    int parameterCount() const override { return sqlite3_bind_parameter_count(st_); }
    int step() override { return sqlite3_step(st_); }
    void reset() override { sqlite3_reset(st_); }
    void clearBindings() override { sqlite3_clear_bindings(st_); }

    ValueType type(int col) const override {
        switch (sqlite3_column_type(st_, col)) {
            case SQLITE_INTEGER:
                return ValueType::Integer;
            case SQLITE_FLOAT:
                return ValueType::Float;
            case SQLITE_TEXT:
                return ValueType::Text;
            case SQLITE_BLOB:
                return ValueType::Blob;
            default:
                return ValueType::Null;
        }
    }
    long long number(int col) const override { return sqlite3_column_int64(st_, col); }
    double real(int col) const override { return sqlite3_column_double(st_, col); }
    std::string_view text(int col) const override {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(st_, col)))
                 : std::string_view();
    }

  private:
    sqlite3_stmt* st_;
};

class FileDialect : public Dialect {
  public:
    std::string identityColumns() const override {
        return "_rid INTEGER PRIMARY KEY AUTOINCREMENT, _ver INTEGER NOT NULL DEFAULT 1";
    }
    std::string columnType(bool text, bool caseInsensitive) const override {
        if (!text) return "INTEGER NOT NULL DEFAULT 0";
        return std::string("TEXT NOT NULL DEFAULT ''") + (caseInsensitive ? " COLLATE NOCASE" : "");
    }
    std::string keyTerm(const std::string& expr, bool) const override { return expr; }
    std::string createIndex(bool unique, const std::string& schema, const std::string& name,
                            const std::string& table, const std::string& terms) const override {
        return std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + schema + "." +
               quoted(name) + " ON " + quoted(table) + " (" + terms + ")";
    }
    const char* fixedOrderJoin() const override { return "CROSS JOIN"; }
    const char* storedOrder() const override { return " NOT INDEXED"; }
    const char* insertReturning() const override { return ""; }
    // AUTOINCREMENT keeps the highest identity handed out in sqlite_sequence.
    std::string identityHigh(const std::string& schema, const std::string& table) const override {
        return "SELECT coalesce((SELECT max(seq) FROM " + schema +
               ".sqlite_sequence WHERE name = '" + table + "'), 0)";
    }
    std::string setIdentityHigh(const std::string& schema, const std::string& table,
                                long long high) const override {
        return "DELETE FROM " + schema + ".sqlite_sequence WHERE name = '" + table +
               "'; INSERT INTO " + schema + ".sqlite_sequence (name, seq) VALUES ('" + table +
               "', " + std::to_string(high) + ")";
    }
};

class FileConnection : public Connection {
  public:
    explicit FileConnection(std::string folder) : folder_(std::move(folder)) {}
    ~FileConnection() override {
        if (db_) sqlite3_close(db_);
    }

    const Dialect& dialect() const override { return dialect_; }

    std::string pathOf(StoreFile f) const {
        std::string dir = folder_.empty() ? std::string(".") : folder_;
        if (dir.back() != '/') dir += '/';
        return dir + (f == StoreFile::USERS ? "USERS.TPS" : "RESDATA.TPS");
    }

    int open(bool create, bool readOnly) override {
        pinned_.clear();
        const std::string path = pathOf(StoreFile::RESDATA);
        if (!fileExists(path)) {
            if (!create) return NotFound;
            if (readOnly) return ReadOnly;
        }
        const char* mode = readOnly ? "ro" : (create ? "rwc" : "rw");
        // The mode in the file name decides whether RESDATA.TPS may be made; the flags only
        // bound what any file of the connection may do, and USERS.TPS, attached later, may
        // have to be made even when RESDATA.TPS was there already.
        int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX |
                    (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(uriOf(path, mode).c_str(), &db, flags, nullptr);
        if (rc != SQLITE_OK) {
            os_ = db ? sqlite3_system_errno(db) : 0;
            pinned_ = os_ ? std::strerror(os_) : sqlite3_errstr(rc);
            sqlite3_close(db);
            return rc;
        }
        db_ = db;
        os_ = 0;
        sqlite3_exec(db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
        return Ok;
    }
    bool isOpen() const override { return db_ != nullptr; }

    int openUsers(bool create, bool readOnly) override {
        pinned_.clear();
        const std::string path = pathOf(StoreFile::USERS);
        if (!fileExists(path)) {
            if (!create) return NotFound;
            if (readOnly) return ReadOnly;
        }
        const char* mode = readOnly ? "ro" : (create ? "rwc" : "rw");
        const std::string uri = uriOf(path, mode);
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, "ATTACH DATABASE ?1 AS users KEY ?2", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(st, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, kOwnerPassword, -1, SQLITE_STATIC);
            rc = sqlite3_step(st);
        }
        if (rc != SQLITE_DONE) {
            // SQLite's own text names the file by the URI it was given ("file:...?mode=rw"):
            // the general text of the code says the same without it.
            const std::string msg = sqlite3_errmsg(db_);
            if (msg.find(uri) != std::string::npos) {
                pinned_ = sqlite3_errstr(rc);
                os_ = sqlite3_system_errno(db_);
            }
            sqlite3_finalize(st);
            return rc;
        }
        sqlite3_finalize(st);
        // A file written without the owner password may attach and then read as empty;
        // one of ours that holds anything always holds its catalog.
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 && info.st_size > 0) {
            rc = sqlite3_prepare_v2(db_, "SELECT count(*) FROM users.sqlite_master", -1, &st,
                                    nullptr);
            long long objects = -1;
            if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW)
                objects = sqlite3_column_int64(st, 0), rc = SQLITE_OK;
            sqlite3_finalize(st);
            if (rc != SQLITE_OK || objects == 0) {
                if (rc == SQLITE_OK) rc = SQLITE_NOTADB;
                pinned_ = rc == SQLITE_NOTADB ? sqlite3_errstr(rc) : sqlite3_errmsg(db_);
                os_ = sqlite3_system_errno(db_);
                sqlite3_exec(db_, "DETACH DATABASE users", nullptr, nullptr, nullptr);
                return rc;
            }
        }
        usersAttached_ = true;
        return Ok;
    }
    bool usersOpen() const override { return usersAttached_; }
    std::string schemaOf(StoreFile f) const override {
        return f == StoreFile::USERS ? "users" : "main";
    }
    bool isReadOnly(StoreFile f) override {
        return sqlite3_db_readonly(db_, schemaOf(f).c_str()) == 1;
    }
    bool isFileStore() const override { return true; }
    std::string placeOf(StoreFile f) const override { return pathOf(f); }

    std::unique_ptr<Statement> prepare(const std::string& sql) override {
        pinned_.clear();
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            return nullptr;
        return std::make_unique<FileStatement>(st);
    }
    int exec(const std::string& sql) override {
        pinned_.clear();
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    }
    long long changes() override { return sqlite3_changes(db_); }
    long long lastInsertRow() override { return sqlite3_last_insert_rowid(db_); }
    int errorCode() override { return db_ ? sqlite3_errcode(db_) : Error; }
    std::string errorMessage(int code) override {
        if (!pinned_.empty()) return pinned_;
        return db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    }
    int systemErrno() override { return pinned_.empty() && db_ ? sqlite3_system_errno(db_) : os_; }

    int tableNames(StoreFile f, std::vector<std::string>& names) override {
        return query("SELECT name FROM " + schemaOf(f) +
                         ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
                         "ESCAPE '!'",
                     {}, names);
    }
    int indexNames(StoreFile f, const std::string& table,
                   std::vector<std::string>& names) override {
        return query("SELECT name FROM " + schemaOf(f) +
                         ".sqlite_master WHERE type = 'index' AND tbl_name = ?1",
                     table, names);
    }
    int columns(StoreFile f, const std::string& table, std::vector<Column>& cols) override {
        cols.clear();
        const std::string sql = "PRAGMA " + schemaOf(f) + ".table_info(" + quoted(table) + ")";
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        if (rc != SQLITE_OK) return rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
            cols.push_back({name ? name : "", type ? type : ""});
        }
        sqlite3_finalize(st);
        return rc == SQLITE_DONE ? Ok : rc;
    }
    int check(StoreFile f, std::string& problem) override {
        problem.clear();
        sqlite3_stmt* st = nullptr;
        const std::string sql = "PRAGMA " + schemaOf(f) + ".quick_check";
        int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                const char* line = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
                if (problem.empty() && line && std::strcmp(line, "ok") != 0) problem = line;
            }
        }
        sqlite3_finalize(st);
        return rc == SQLITE_DONE || rc == SQLITE_OK ? Ok : rc;
    }

    void setLockWait(int seconds) override {
        if (db_) sqlite3_busy_timeout(db_, seconds * 1000);
    }
    int begin(int waitSeconds, bool usersToo, int lockWaitAfter) override {
        pinned_.clear();
        // The statements that take the locks are made before the transaction opens: making
        // one may read the file's layout, and a file already read inside a transaction gets
        // no wait for its write lock.
        std::vector<sqlite3_stmt*> locks;
        int rc = SQLITE_OK;
        for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
            const bool users = f == StoreFile::USERS;
            if (users && (!usersToo || !usersAttached_)) continue;
            const std::string sql = writeLockSql(users ? 1 : 0, schemaOf(f));
            if (sql.empty()) continue;  // no table yet: its first write takes the lock
            sqlite3_stmt* st = nullptr;
            rc = sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &st, nullptr);
            if (rc != SQLITE_OK) break;
            locks.push_back(st);
        }
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db_, waitSeconds * 1000);
            rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
        }
        for (sqlite3_stmt* st : locks) {
            if (rc != SQLITE_OK) break;
            rc = sqlite3_step(st);
            if (rc == SQLITE_DONE) rc = SQLITE_OK;
        }
        // The failure's text before the statements go and the rollback.
        if (rc != SQLITE_OK) pinned_ = sqlite3_errmsg(db_), os_ = sqlite3_system_errno(db_);
        for (sqlite3_stmt* st : locks) sqlite3_finalize(st);
        if (rc != SQLITE_OK) {
            if (!sqlite3_get_autocommit(db_))
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_busy_timeout(db_, lockWaitAfter * 1000);
        }
        return rc;
    }
    int lockForWrite(StoreFile) override { return Ok; }
    int commit(int lockWaitAfter) override {
        pinned_.clear();
        const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) sqlite3_busy_timeout(db_, lockWaitAfter * 1000);
        return rc;
    }
    int rollback(int lockWaitAfter) override {
        pinned_.clear();
        const int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db_, lockWaitAfter * 1000);
        return rc;
    }
    bool inTransaction() override { return db_ && !sqlite3_get_autocommit(db_); }
    int savepoint(const char* name) override { return exec(std::string("SAVEPOINT ") + name); }
    int release(const char* name) override { return exec(std::string("RELEASE ") + name); }
    int rollbackTo(const char* name) override { return exec(std::string("ROLLBACK TO ") + name); }

    int copy(StoreFile f, const std::string& toPath, int lockWaitSeconds) override;
    std::string plan(const std::string& sql) override {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &st, nullptr) !=
            SQLITE_OK)
            return std::string("error: ") + sqlite3_errmsg(db_);
        std::string plan;
        while (sqlite3_step(st) == SQLITE_ROW)
            plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + "\n";
        sqlite3_finalize(st);
        return plan;
    }

  private:
    int query(const std::string& sql, const std::string& param, std::vector<std::string>& out) {
        out.clear();
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        if (rc != SQLITE_OK) return rc;
        if (!param.empty()) sqlite3_bind_text(st, 1, param.c_str(), -1, SQLITE_TRANSIENT);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return rc == SQLITE_DONE ? Ok : rc;
    }

    /// SQL that takes a file's write lock and changes nothing: a delete of no row from one
    /// of its tables, the layout catalog where there is one; empty while the file holds no
    /// table. Read outside any transaction.
    std::string writeLockSql(int file, const std::string& schema) {
        if (!lockSql_[file].empty()) return lockSql_[file];
        const std::string q = "SELECT name FROM " + schema +
                              ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
                              "ESCAPE '!' ORDER BY name <> '" +
                              kCatalog + "', name LIMIT 1";
        sqlite3_stmt* st = nullptr;
        std::string name;
        if (sqlite3_prepare_v2(db_, q.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        if (name.empty()) return {};
        const std::string sql = "DELETE FROM " + schema + "." + quoted(name) + " WHERE 0";
        // The catalog stays for good; any other table may be replaced, so it is looked up
        // again next time.
        if (name == kCatalog) lockSql_[file] = sql;
        return sql;
    }

    std::string folder_;
    sqlite3* db_ = nullptr;
    bool usersAttached_ = false;
    std::string lockSql_[2];
    std::string pinned_;  // the text of a failure that SQLite's own text would misname
    int os_ = 0;          // the system's code of a failure to open, after the handle went
    FileDialect dialect_;
};

int FileConnection::copy(StoreFile f, const std::string& toPath, int lockWaitSeconds) {
    pinned_.clear();
    const std::string temp = toPath + ".part";
    std::remove(temp.c_str());
    std::remove((temp + "-journal").c_str());
    sqlite3* to = nullptr;
    int rc = sqlite3_open_v2(
        uriOf(temp, "rwc").c_str(), &to,
        SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
        nullptr);
    // The users file never exists unencrypted, not even as a copy: the key is set before
    // the first page is written.
    if (rc == SQLITE_OK && f == StoreFile::USERS)
        rc = sqlite3_key(to, kOwnerPassword, int(std::strlen(kOwnerPassword)));
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(to, "main", db_, schemaOf(f).c_str());
        if (!b) {
            rc = sqlite3_errcode(to);
        } else {
            // All pages in one step, under one read lock: the copy is one committed state.
            // A station that is committing holds the file for a moment; wait for it as
            // any read would, up to the lock wait.
            const auto deadline =
                std::chrono::steady_clock::now() + std::chrono::seconds(lockWaitSeconds);
            for (;;) {
                rc = sqlite3_backup_step(b, -1);
                if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) ||
                    std::chrono::steady_clock::now() >= deadline)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            const int finished = sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE) rc = finished;
        }
    }
    const std::string message = to ? sqlite3_errmsg(to) : sqlite3_errstr(rc);
    const int os = to ? sqlite3_system_errno(to) : 0;
    if (sqlite3_close(to) != SQLITE_OK && rc == SQLITE_OK) rc = SQLITE_IOERR;

    if (rc == SQLITE_OK && std::rename(temp.c_str(), toPath.c_str()) != 0) {
        const int err = errno;
        std::remove(temp.c_str());
        os_ = err;
        pinned_ = std::strerror(err);
        return IoErr;
    }
    if (rc != SQLITE_OK) {
        std::remove(temp.c_str());
        std::remove((temp + "-journal").c_str());
        rc &= 0xff;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) return Busy;
        os_ = os;
        pinned_ = os ? std::strerror(os) : message;
        return rc == Ok ? IoErr : rc;
    }
    return Ok;
}

}  // namespace

std::unique_ptr<Connection> makeFileConnection(const std::string& folder) {
    return std::make_unique<FileConnection>(folder);
}

}  // namespace store::sql

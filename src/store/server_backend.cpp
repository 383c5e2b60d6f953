// The store of a data folder kept in a PostgreSQL database (15 or later), reached through
// libpq with the connection parameters of the folder's server file.
//
// Layout. RESDATA.TPS becomes the schema "main" and USERS.TPS the schema "users", so that
// statements name tables exactly as on the file store (main."ACTIVITY", users."USERS") and
// one transaction spans both. The users schema is made with no rights for anybody but its
// owner, the program's role. Each schema keeps its own layout catalogue (tembrix_layout).
//
// Dialect. Numbers are bigint, texts `text COLLATE "C"` (byte order, as the files compare
// them), both NOT NULL with the empty default; texts are stored without their trailing
// blanks, as on the files. A text field that a key takes without regard to case is
// compared, ordered and indexed as lower(column) - an expression index - where the file
// store declares its column COLLATE NOCASE; under the C collation lower() folds ASCII
// letters only, as NOCASE does. Keys that exclude empty values are partial indexes with the
// very condition the queries repeat. The row identity _rid is an identity column and an
// insert hands it back with RETURNING.
//
// Statements. Texts come with ?N parameters and are sent with $N; every value travels as
// text and the server types it from its column. A statement is prepared on the server once
// per connection.
//
// Locks. The file store's transactions are BEGIN IMMEDIATE: one writer per file at a time,
// and a reader never waits. The same rule holds here with one transaction-scoped advisory
// lock per store file, taken within the transaction's lock wait (lock_timeout): a
// transaction takes the lock of RESDATA (and of USERS when asked) at its start, and that of
// a file it did not ask for at its first write there. A write outside any transaction is
// framed by a transaction of its own that takes the same lock, so that no write slips in
// between a booking save's check and its write. Rows carry the version that change
// detection compares, as on the files. Inside a transaction each write runs under a
// savepoint of its own, sent with the write and its release in one round trip (libpq's
// pipeline): a write that fails (a duplicate key) leaves the transaction usable, as on the
// files, instead of spoiling it. Many runs of one write (a booking's occurrences, through
// Engine::addEach) go together in the same way, under one savepoint for all of them, instead
// of one round trip each.

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

#include "server_config.h"
#include "sql_backend.h"

namespace store::sql {

namespace {

// The advisory lock keys of the two store files (one pair per database).
constexpr long long kFileLock[2] = {0x54424D0001LL, 0x54424D0002LL};

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

/// The code for an SQL state: what the engine makes of the failure.
int codeOf(const char* state) {
    if (!state) return IoErr;  // no answer at all: the connection is gone
    const std::string s(state);
    if (s == "55P03" || s == "40P01" || s == "40001" || s == "57014") return Busy;
    if (s.compare(0, 2, "23") == 0) return Constraint;
    if (s == "25006" || s == "42501") return ReadOnly;
    if (s.compare(0, 2, "08") == 0 || s.compare(0, 2, "57") == 0) return IoErr;
    if (s.compare(0, 2, "53") == 0) return Full;
    if (s == "3D000" || s == "28000" || s == "28P01") return CantOpen;
    if (s.compare(0, 2, "XX") == 0) return Corrupt;
    return Error;
}

/// The first line of a server message, without its "ERROR:" prefix.
std::string firstLine(const char* message) {
    std::string m = message ? message : "";
    if (m.compare(0, 7, "ERROR: ") == 0) m = m.substr(7);
    while (!m.empty() && (m[0] == ' ')) m.erase(0, 1);
    const auto nl = m.find('\n');
    if (nl != std::string::npos) m.resize(nl);
    return m;
}

/// ?N parameters as $N; `highest` receives the highest N, `used` every N that appears.
/// Quoted names and texts are copied as they are.
std::string numberedParameters(const std::string& text, int& highest, std::set<int>& used) {
    std::string out;
    highest = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out += c;
        } else if (c == '?' && i + 1 < text.size() && std::isdigit((unsigned char)text[i + 1])) {
            int n = 0;
            while (i + 1 < text.size() && std::isdigit((unsigned char)text[i + 1]))
                n = n * 10 + (text[++i] - '0');
            out += "$" + std::to_string(n);
            used.insert(n);
            highest = std::max(highest, n);
        } else {
            out += c;
        }
    }
    return out;
}

/// Whether libpq reaches `host` through the machine itself (a Unix socket folder or the
/// loopback address), where nothing travels over a network.
bool localHost(const std::string& host) {
    if (host.empty()) return true;  // libpq's default: the Unix socket
    std::size_t start = 0;
    for (;;) {  // a list of hosts is local only when every one of them is
        const std::size_t comma = host.find(',', start);
        const std::string one = host.substr(start, comma - start);
        if (!(one.empty() || one[0] == '/' || one[0] == '@' || one == "localhost" ||
              one.compare(0, 4, "127.") == 0 || one == "::1"))
            return false;
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

/// Connects with the parameters connectionParameters gives.
PGconn* connect(const std::string& conninfo) {
    std::string error;
    const std::vector<std::pair<std::string, std::string>> params =
        connectionParameters(conninfo, error);
    // Parameters that cannot be read: libpq says why in its own words.
    if (!error.empty()) return PQconnectdb(conninfo.c_str());
    std::vector<const char*> keys, values;
    for (const auto& [key, value] : params)
        keys.push_back(key.c_str()), values.push_back(value.c_str());
    keys.push_back(nullptr);
    values.push_back(nullptr);
    return PQconnectdbParams(keys.data(), values.data(), 0);
}

class ServerConnection;

class ServerStatement : public Statement {
  public:
    ServerStatement(ServerConnection& c, std::string name, std::string text, std::vector<Oid> types,
                    bool write, StoreFile file, int session)
        : c_(c),
          name_(std::move(name)),
          text_(std::move(text)),
          types_(std::move(types)),
          session_(session),
          values_(types_.size()),
          set_(types_.size(), false),
          write_(write),
          file_(file) {}
    ~ServerStatement() override;

    void bind(int param, long long value) override { bindText(param, std::to_string(value)); }
    void bind(int param, std::string_view text) override { bindText(param, std::string(text)); }
    int parameterCount() const override { return int(values_.size()); }
    int step() override;
    /// Connection::runEach for this statement.
    int runEach(int count, const std::function<void(int)>& bindRun,
                std::vector<long long>& firstValues, int& failedRun);
    void reset() override {
        if (result_) PQclear(result_);
        result_ = nullptr;
        row_ = -1;
    }
    void clearBindings() override { std::fill(set_.begin(), set_.end(), false); }

    ValueType type(int col) const override {
        if (PQgetisnull(result_, row_, col)) return ValueType::Null;
        switch (PQftype(result_, col)) {
            case 16:  // bool
            case 20:  // int8
            case 21:  // int2
            case 23:  // int4
            case 26:  // oid
                return ValueType::Integer;
            case 700:
            case 701:
            case 1700:
                return ValueType::Float;
            case 17:
                return ValueType::Blob;
            default:
                return ValueType::Text;
        }
    }
    long long number(int col) const override {
        return std::strtoll(PQgetvalue(result_, row_, col), nullptr, 10);
    }
    double real(int col) const override {
        return std::strtod(PQgetvalue(result_, row_, col), nullptr);
    }
    std::string_view text(int col) const override {
        return std::string_view(PQgetvalue(result_, row_, col),
                                std::size_t(PQgetlength(result_, row_, col)));
    }

  private:
    /// Runs the statement once; `retry` is set when the connection was found lost before
    /// anything of it could have been done, and a new session may run it again.
    int run(bool& retry);
    /// Prepares the statement again in a session that replaced a lost one.
    int prepareAgain();

    void bindText(int param, std::string v) {
        if (param < 1 || param > int(values_.size())) return;
        values_[std::size_t(param - 1)] = std::move(v);
        set_[std::size_t(param - 1)] = true;
    }

    ServerConnection& c_;
    std::string name_;
    std::string text_;
    std::vector<Oid> types_;
    int session_;  // the session it was prepared in
    std::vector<std::string> values_;
    std::vector<bool> set_;
    bool write_;
    StoreFile file_;
    PGresult* result_ = nullptr;
    int row_ = -1;
};

class ServerDialect : public Dialect {
  public:
    std::string identityColumns() const override {
        return "_rid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, "
               "_ver bigint NOT NULL DEFAULT 1";
    }
    std::string columnType(bool text, bool) const override {
        return text ? "text COLLATE \"C\" NOT NULL DEFAULT ''" : "bigint NOT NULL DEFAULT 0";
    }
    std::string keyTerm(const std::string& expr, bool caseInsensitive) const override {
        return caseInsensitive ? "lower(" + expr + ")" : expr;
    }
    std::string createIndex(bool unique, const std::string& schema, const std::string& name,
                            const std::string& table, const std::string& terms) const override {
        return std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + quoted(name) +
               " ON " + schema + "." + quoted(table) + " (" + terms + ")";
    }
    bool identityEndsIndexes() const override { return true; }
    bool sealsFields() const override { return true; }
    const char* fixedOrderJoin() const override { return "JOIN"; }
    const char* storedOrder() const override { return ""; }
    const char* insertReturning() const override { return " RETURNING _rid"; }
    // The identity column's sequence; a sequence never used yet has no last value.
    std::string identityHigh(const std::string& schema, const std::string& table) const override {
        return "SELECT coalesce(pg_sequence_last_value(" + sequenceOf(schema, table) + "), 0)";
    }
    std::string setIdentityHigh(const std::string& schema, const std::string& table,
                                long long high) const override {
        return "SELECT setval(" + sequenceOf(schema, table) + ", " +
               (high > 0 ? std::to_string(high) + ", true" : "1, false") + ")";
    }

  private:
    static std::string sequenceOf(const std::string& schema, const std::string& table) {
        return "pg_get_serial_sequence('" + schema + ".\"" + table + "\"', '_rid')::regclass";
    }
};

class ServerConnection : public Connection {
  public:
    ServerConnection(std::string conninfo, std::string refusal)
        : conninfo_(std::move(conninfo)), refusal_(std::move(refusal)) {}
    ~ServerConnection() override {
        if (pg_) PQfinish(pg_);
    }

    const Dialect& dialect() const override { return dialect_; }

    int open(bool create, bool readOnly) override {
        if (!refusal_.empty()) return failWith(CantOpen, refusal_.c_str());
        if (!pg_) {
            pg_ = connect(conninfo_);
            if (PQstatus(pg_) != CONNECTION_OK) {
                failWith(CantOpen, PQerrorMessage(pg_));
                PQfinish(pg_);
                pg_ = nullptr;
                return CantOpen;
            }
            readOnly_ = readOnly;
            if (int rc = setUpSession()) return closeWith(rc);
            // Texts are kept byte for byte, as in the files: a record's text may be cut
            // inside a character, which a database that checks its encoding would refuse
            // at the first such save.
            std::vector<std::string> encoding;
            if (int rc = list("SELECT current_setting('server_encoding')", {}, 1, encoding))
                return closeWith(rc);
            if (encoding.empty() || encoding[0] != "SQL_ASCII") {
                const std::string why =
                    "The database holds its texts as " +
                    (encoding.empty() ? std::string("?") : encoding[0]) +
                    "; a store needs one made with ENCODING 'SQL_ASCII' LC_COLLATE 'C' "
                    "LC_CTYPE 'C'";
                failWith(CantOpen, why.c_str());
                PQfinish(pg_);
                pg_ = nullptr;
                return CantOpen;
            }
        }
        bool exists = false;
        if (int rc = schemaExists("main", exists)) return closeWith(rc);
        if (!exists) {
            if (!create) return closeWith(NotFound);
            if (readOnly) return closeWith(ReadOnly);
            if (int rc = run("CREATE SCHEMA IF NOT EXISTS main")) return closeWith(rc);
        }
        mainOpen_ = true;
        return Ok;
    }
    bool isOpen() const override { return mainOpen_; }

    int openUsers(bool create, bool readOnly) override {
        bool exists = false;
        if (int rc = schemaExists("users", exists)) return rc;
        if (!exists) {
            if (!create) return NotFound;
            if (readOnly) return ReadOnly;
            // The users are the program's alone: no other role of the server reads them.
            if (int rc = run("CREATE SCHEMA IF NOT EXISTS users; "
                             "REVOKE ALL ON SCHEMA users FROM PUBLIC"))
                return rc;
        }
        usersOpen_ = true;
        return Ok;
    }
    bool usersOpen() const override { return usersOpen_; }
    std::string schemaOf(StoreFile f) const override {
        return f == StoreFile::USERS ? "users" : "main";
    }
    bool isReadOnly(StoreFile) override { return readOnly_; }
    bool isFileStore() const override { return false; }
    std::string placeOf(StoreFile f) const override {
        return std::string(f == StoreFile::USERS ? "users" : "bookings") +
               " schema of the server database " + databaseName();
    }

    std::unique_ptr<Statement> prepare(const std::string& sql) override {
        int highest = 0;
        std::set<int> used;
        const std::string text = numberedParameters(sql, highest, used);
        // A parameter number the text skips still needs a type; it is never bound.
        std::vector<Oid> types(std::size_t(highest), 0);
        for (int i = 1; i <= highest; ++i)
            if (!used.count(i)) types[std::size_t(i - 1)] = 25;  // text
        const std::string name = "t" + std::to_string(++statements_);
        if (lost()) recover();
        PGresult* r = PQprepare(pg_, name.c_str(), text.c_str(), highest, types.data());
        if (PQresultStatus(r) != PGRES_COMMAND_OK && lost() && recover()) {
            PQclear(r);
            r = PQprepare(pg_, name.c_str(), text.c_str(), highest, types.data());
        }
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        if (!ok) failWith(r);
        PQclear(r);
        if (!ok) return nullptr;
        std::size_t verb = text.find_first_not_of(" (");
        const std::string head = text.substr(verb == std::string::npos ? 0 : verb, 6);
        const bool write = head == "INSERT" || head == "UPDATE" || head == "DELETE";
        const StoreFile file =
            text.find(" users.") != std::string::npos ? StoreFile::USERS : StoreFile::RESDATA;
        return std::make_unique<ServerStatement>(*this, name, text, std::move(types), write, file,
                                                 session_);
    }
    int exec(const std::string& sql) override { return run(sql); }
    bool runsTogether() const override { return true; }
    int runEach(Statement& st, int count, const std::function<void(int)>& bindRun,
                std::vector<long long>& firstValues, int& failedRun) override {
        return static_cast<ServerStatement&>(st).runEach(count, bindRun, firstValues, failedRun);
    }
    long long changes() override { return changes_; }
    long long lastInsertRow() override { return 0; }
    int errorCode() override { return code_; }
    std::string errorMessage(int) override { return message_; }
    int systemErrno() override { return 0; }

    int tableNames(StoreFile f, std::vector<std::string>& names) override {
        return list("SELECT tablename FROM pg_tables WHERE schemaname = $1", {schemaOf(f)}, 1,
                    names);
    }
    int indexNames(StoreFile f, const std::string& table,
                   std::vector<std::string>& names) override {
        return list("SELECT indexname FROM pg_indexes WHERE schemaname = $1 AND tablename = $2",
                    {schemaOf(f), table}, 1, names);
    }
    int columns(StoreFile f, const std::string& table, std::vector<Column>& cols) override {
        cols.clear();
        std::vector<std::string> pairs;
        int rc = list(
            "SELECT column_name::text, data_type::text FROM information_schema.columns "
            "WHERE table_schema = $1 AND table_name = $2 ORDER BY ordinal_position",
            {schemaOf(f), table}, 2, pairs);
        if (rc) return rc;
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
            std::string type = pairs[i + 1];
            if (type == "bigint")
                type = "INTEGER";
            else if (type == "text")
                type = "TEXT";
            cols.push_back({pairs[i], type});
        }
        return Ok;
    }
    int check(StoreFile, std::string& problem) override {
        // The server keeps its own files sound; what can be checked from here is that it
        // still answers.
        problem.clear();
        return run("SELECT 1");
    }

    void setLockWait(int seconds) override {
        lockWait_ = seconds;
        if (pg_ && !inTransaction()) run("SET lock_timeout = '" + waitText(seconds) + "'");
    }
    int begin(int waitSeconds, bool usersToo, int) override {
        locked_[0] = locked_[1] = false;
        if (lost()) recover();
        const std::string start = "BEGIN; SET LOCAL lock_timeout = '" + waitText(waitSeconds) + "'";
        int rc = run(start);
        // A session lost while nobody was working is replaced; nothing had begun in it.
        if (rc != Ok && lost() && recover()) rc = run(start);
        if (rc == Ok) txOpen_ = true;
        if (rc == Ok) rc = lockFile(StoreFile::RESDATA);
        if (rc == Ok && usersToo) rc = lockFile(StoreFile::USERS);
        if (rc != Ok) {
            const int code = code_;
            const std::string message = message_;
            run("ROLLBACK");
            txOpen_ = false;
            code_ = code, message_ = message;
        }
        return rc;
    }
    int beginSnapshot(int, bool, int) override {
        locked_[0] = locked_[1] = false;
        if (lost()) recover();
        const char* start = "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY";
        int rc = run(start);
        if (rc != Ok && lost() && recover()) rc = run(start);
        if (rc == Ok) txOpen_ = true;
        return rc;
    }
    int lockForWrite(StoreFile f) override {
        if (!inTransaction() || locked_[int(f)]) return Ok;
        return lockFile(f);
    }
    int commit(int) override {
        txOpen_ = false;
        PGresult* r = PQexec(pg_, "COMMIT");
        int rc = Ok;
        // A transaction spoilt by a failure reports its COMMIT as a rollback.
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            rc = failWith(r);
        else if (std::strcmp(PQcmdStatus(r), "ROLLBACK") == 0)
            rc = failWith(Error, "the transaction was rolled back by the server");
        PQclear(r);
        locked_[0] = locked_[1] = false;
        return rc;
    }
    int rollback(int) override {
        locked_[0] = locked_[1] = false;
        implicit_.clear();
        txOpen_ = false;
        return run("ROLLBACK");
    }
    bool inTransaction() override {
        if (!pg_) return false;
        const PGTransactionStatusType s = PQtransactionStatus(pg_);
        // A lost session knows no more: what was begun here is what counts.
        if (s == PQTRANS_UNKNOWN) return txOpen_;
        return s != PQTRANS_IDLE;
    }
    int savepoint(const char* name) override {
        if (!inTransaction()) {
            if (lost()) recover();
            if (int rc = run("BEGIN")) return rc;
            txOpen_ = true;
            implicit_ = name;
        }
        return run(std::string("SAVEPOINT ") + name);
    }
    int release(const char* name) override {
        int rc = run(std::string("RELEASE SAVEPOINT ") + name);
        if (implicit_ == name) {
            implicit_.clear();
            txOpen_ = false;
            locked_[0] = locked_[1] = false;
            if (rc == Ok) return commit(lockWait_);
            run("ROLLBACK");
        }
        return rc;
    }
    int rollbackTo(const char* name) override {
        return run(std::string("ROLLBACK TO SAVEPOINT ") + name);
    }

    int copy(StoreFile, const std::string&, int) override {
        return failWith(Error, "a store on a server is not copied as a file");
    }
    /// The plan the server uses for the statement whatever its values (the generic plan of
    /// a prepared statement), one line per step.
    std::string plan(const std::string& sql) override {
        int highest = 0;
        std::set<int> used;
        const std::string text = numberedParameters(sql, highest, used);
        std::vector<Oid> types(std::size_t(highest), 0);
        for (int i = 1; i <= highest; ++i)
            if (!used.count(i)) types[std::size_t(i - 1)] = 25;
        const std::string name = "p" + std::to_string(++statements_);
        PGresult* r = PQprepare(pg_, name.c_str(), text.c_str(), highest, types.data());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        if (!ok) failWith(r);
        PQclear(r);
        if (!ok) return "error: " + message_;
        std::string args;
        for (int i = 0; i < highest; ++i) args += (i ? ", " : "(") + std::string("NULL");
        if (highest) args += ")";
        std::vector<std::string> lines;
        run("SET plan_cache_mode = force_generic_plan");
        list(("EXPLAIN EXECUTE " + name + args).c_str(), {}, 1, lines);
        run("RESET plan_cache_mode");
        run("DEALLOCATE " + name);
        std::string plan;
        for (const std::string& l : lines) plan += l + "\n";
        return plan;
    }

    // For the statements.
    PGconn* pg() { return pg_; }
    /// Counts the sessions: a statement prepared in an earlier one is prepared again.
    int session() const { return session_; }
    /// Whether the server's session was lost (the server restarted, the network dropped).
    bool lost() const { return pg_ && PQstatus(pg_) == CONNECTION_BAD; }
    /// Whether a transaction of the engine's is open here: its work is lost with the
    /// session, so the session is not replaced under it.
    bool userTransaction() const { return txOpen_; }
    /// Replaces a lost session by a new one with the same settings, outside transactions
    /// only: a key walk holds nothing open between a user's steps, so it goes on in the new
    /// session from the last key it read. False when the server still does not answer.
    bool recover() {
        if (!pg_ || txOpen_) return false;
        PQreset(pg_);
        if (PQstatus(pg_) != CONNECTION_OK) return false;
        ++session_;
        locked_[0] = locked_[1] = false;
        implicit_.clear();
        return setUpSession() == Ok;
    }
    int failWith(PGresult* r) {
        return failWith(codeOf(r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr),
                        r ? PQresultErrorMessage(r) : PQerrorMessage(pg_));
    }
    int failWith(int code, const char* message) {
        code_ = code;
        message_ = firstLine(message);
        if (message_.empty() && pg_) message_ = firstLine(PQerrorMessage(pg_));
        return code;
    }
    void setChanges(long long n) { changes_ = n; }
    int run(const std::string& sql) {
        PGresult* r = PQexec(pg_, sql.c_str());
        const ExecStatusType s = PQresultStatus(r);
        const int rc = s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK ? Ok : failWith(r);
        PQclear(r);
        return rc;
    }
    int lockFile(StoreFile f) {
        const int rc =
            run("SELECT pg_advisory_xact_lock(" + std::to_string(kFileLock[int(f)]) + ")");
        if (rc == Ok) locked_[int(f)] = true;
        return rc;
    }
    static std::string waitText(int seconds) {
        // No wait at all is a wait of a moment: 0 would wait for ever.
        return std::to_string(seconds > 0 ? seconds * 1000 : 1) + "ms";
    }
    int lockWait() const { return lockWait_; }

  private:
    /// The settings every session of a station has.
    int setUpSession() {
        // Notices (a schema that exists already) are no news to anybody.
        PQsetNoticeProcessor(
            pg_, [](void*, const char*) {}, nullptr);
        if (int rc = run("SET client_min_messages = warning")) return rc;
        if (readOnly_)
            if (int rc = run("SET default_transaction_read_only = on")) return rc;
        return run("SET lock_timeout = '" + waitText(lockWait_) + "'");
    }
    /// The database the connection parameters name (libpq's default, the user's name, when
    /// they name none).
    std::string databaseName() const {
        if (pg_) return PQdb(pg_);
        std::string name, user;
        if (PQconninfoOption* options = PQconninfoParse(conninfo_.c_str(), nullptr)) {
            for (PQconninfoOption* o = options; o->keyword; ++o) {
                if (std::strcmp(o->keyword, "dbname") == 0 && o->val) name = o->val;
                if (std::strcmp(o->keyword, "user") == 0 && o->val) user = o->val;
            }
            PQconninfoFree(options);
        }
        if (name.empty()) name = user;
        return name.empty() ? "named in " + std::string(kServerFileName) : name;
    }
    int closeWith(int rc) {
        if (rc == NotFound || rc == ReadOnly) {
            PQfinish(pg_);
            pg_ = nullptr;
        }
        return rc;
    }
    int schemaExists(const char* schema, bool& exists) {
        std::vector<std::string> found;
        int rc =
            list("SELECT nspname::text FROM pg_namespace WHERE nspname = $1", {schema}, 1, found);
        exists = !found.empty();
        return rc;
    }
    /// Runs a catalogue query and appends each row's first `width` values to `out`.
    int list(const char* sql, const std::vector<std::string>& params, int width,
             std::vector<std::string>& out) {
        out.clear();
        std::vector<const char*> values;
        for (const std::string& p : params) values.push_back(p.c_str());
        PGresult* r =
            PQexecParams(pg_, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK && lost() && recover()) {
            PQclear(r);
            r = PQexecParams(pg_, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr,
                             0);
        }
        int rc = Ok;
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            rc = failWith(r);
        } else {
            for (int i = 0; i < PQntuples(r); ++i)
                for (int c = 0; c < width; ++c) out.emplace_back(PQgetvalue(r, i, c));
        }
        PQclear(r);
        return rc;
    }

    std::string conninfo_;
    std::string refusal_;
    PGconn* pg_ = nullptr;
    bool mainOpen_ = false;
    bool usersOpen_ = false;
    bool readOnly_ = false;
    bool locked_[2] = {false, false};
    std::string implicit_;  // the savepoint that opened the running transaction
    bool txOpen_ = false;   // a transaction begun here is open
    int session_ = 1;
    int lockWait_ = 10;
    long long changes_ = 0;
    int statements_ = 0;
    int code_ = Ok;
    std::string message_;
    ServerDialect dialect_;
};

ServerStatement::~ServerStatement() {
    reset();
    if (c_.pg() && session_ == c_.session() && !c_.lost() &&
        PQtransactionStatus(c_.pg()) != PQTRANS_INERROR)
        c_.run("DEALLOCATE " + name_);
}

int ServerStatement::step() {
    if (result_) {
        if (++row_ < PQntuples(result_)) return Row;
        return Done;
    }
    if (c_.lost() && !c_.userTransaction()) c_.recover();
    bool retry = false;
    const int rc = run(retry);
    // Lost before anything of it could be done: run once more in a new session.
    if (retry && c_.recover()) return run(retry = false);
    return rc;
}

int ServerStatement::prepareAgain() {
    PGresult* r =
        PQprepare(c_.pg(), name_.c_str(), text_.c_str(), int(types_.size()), types_.data());
    const int rc = PQresultStatus(r) == PGRES_COMMAND_OK ? Ok : c_.failWith(r);
    PQclear(r);
    if (rc == Ok) session_ = c_.session();
    return rc;
}

int ServerStatement::run(bool& retry) {
    if (session_ != c_.session())
        if (int rc = prepareAgain()) {
            retry = c_.lost() && !c_.userTransaction();
            return rc;
        }
    // A write inside a transaction runs under a savepoint, so that its failure leaves the
    // transaction usable; one outside any frames itself with the lock of its file.
    const bool framed = write_ && !c_.inTransaction();
    const bool guarded = write_ && !framed;
    if (framed) {
        int rc = c_.run("BEGIN; SET LOCAL lock_timeout = '" +
                        ServerConnection::waitText(c_.lockWait()) + "'");
        if (rc == Ok) rc = c_.lockFile(file_);
        if (rc != Ok) {
            // Lost before the write was sent: it did not happen, and may run again.
            retry = c_.lost();
            const int code = c_.errorCode(), kept = code == Ok ? Busy : code;
            const std::string message = c_.errorMessage(code);
            c_.rollback(0);
            c_.failWith(kept, message.c_str());
            return kept;
        }
    }
    std::vector<const char*> values(values_.size());
    for (std::size_t i = 0; i < values_.size(); ++i)
        values[i] = set_[i] ? values_[i].c_str() : nullptr;
    PGconn* pg = c_.pg();
    bool releasedToo = false;
    if (guarded) {
        // The savepoint, the write and the release go in one round trip; a write that fails
        // makes the server skip the release, and the savepoint is rolled back to after.
        PGresult* r[3] = {nullptr, nullptr, nullptr};
        if (PQenterPipelineMode(pg) == 1) {
            PQsendQueryParams(pg, "SAVEPOINT tembrix_write", 0, nullptr, nullptr, nullptr, nullptr,
                              0);
            PQsendQueryPrepared(pg, name_.c_str(), int(values.size()), values.data(), nullptr,
                                nullptr, 0);
            PQsendQueryParams(pg, "RELEASE SAVEPOINT tembrix_write", 0, nullptr, nullptr, nullptr,
                              nullptr, 0);
            PQpipelineSync(pg);
            for (PGresult*& one : r) {
                one = PQgetResult(pg);
                while (PGresult* more = PQgetResult(pg)) PQclear(more);
            }
            // The sync's own result ends the pipeline.
            while (PGresult* sync = PQgetResult(pg)) {
                const bool last = PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
                PQclear(sync);
                if (last) break;
            }
            PQexitPipelineMode(pg);
        }
        if (PQresultStatus(r[0]) != PGRES_COMMAND_OK) {
            // Not even the savepoint was made: the write did not run.
            const int rc = c_.failWith(r[0]);
            for (PGresult* one : r) PQclear(one);
            if (c_.inTransaction()) c_.run("ROLLBACK TO SAVEPOINT tembrix_write");
            return rc;
        }
        releasedToo = PQresultStatus(r[2]) == PGRES_COMMAND_OK;
        const ExecStatusType wrote = PQresultStatus(r[1]);
        if (!releasedToo && (wrote == PGRES_COMMAND_OK || wrote == PGRES_TUPLES_OK)) {
            // Written but not released: the write is undone below and reported as failed.
            const int rc = c_.failWith(r[2]);
            for (PGresult* one : r) PQclear(one);
            c_.run("ROLLBACK TO SAVEPOINT tembrix_write; RELEASE SAVEPOINT tembrix_write");
            c_.failWith(rc, c_.errorMessage(rc).c_str());
            return rc;
        }
        PQclear(r[0]);
        PQclear(r[2]);
        result_ = r[1];
    } else {
        result_ = PQexecPrepared(pg, name_.c_str(), int(values.size()), values.data(), nullptr,
                                 nullptr, 0);
    }
    const ExecStatusType s = PQresultStatus(result_);
    int rc;
    if (s == PGRES_TUPLES_OK || s == PGRES_COMMAND_OK) {
        const char* n = PQcmdTuples(result_);
        if (write_) c_.setChanges(n && *n ? std::strtoll(n, nullptr, 10) : 0);
        row_ = 0;
        rc = s == PGRES_TUPLES_OK && PQntuples(result_) > 0 ? Row : Done;
    } else {
        rc = c_.failWith(result_);
        PQclear(result_);
        result_ = nullptr;
        // A read outside any transaction changed nothing and may run again.
        retry = !write_ && c_.lost() && !c_.userTransaction();
    }
    if (guarded && !releasedToo) {
        const int code = c_.errorCode();
        const std::string message = c_.errorMessage(code);
        c_.run("ROLLBACK TO SAVEPOINT tembrix_write; RELEASE SAVEPOINT tembrix_write");
        if (rc != Row && rc != Done) c_.failWith(code, message.c_str());
    }
    if (framed) {
        if (rc == Row || rc == Done) {
            if (int c = c_.commit(0)) rc = c;
        } else {
            const int code = c_.errorCode();
            const std::string message = c_.errorMessage(code);
            c_.rollback(0);
            c_.failWith(code, message.c_str());
        }
    }
    return rc;
}

int ServerStatement::runEach(int count, const std::function<void(int)>& bindRun,
                             std::vector<long long>& firstValues, int& failedRun) {
    firstValues.clear();
    failedRun = -1;
    if (!c_.inTransaction()) return c_.failWith(Error, "runs sent together need a transaction");
    reset();
    PGconn* pg = c_.pg();
    // Runs go in slices, each ended by a sync whose answers are read before the next slice
    // is sent, so that neither side's buffers fill while the other waits; one slice holds
    // a year of daily occurrences.
    constexpr int kSlice = 400;
    int rc = Ok;
    bool savepointMade = false;
    for (int from = 0; from < count && rc == Ok; from += kSlice) {
        const int to = std::min(count, from + kSlice);
        const bool first = from == 0, last = to == count;
        if (PQenterPipelineMode(pg) != 1) return c_.failWith(IoErr, PQerrorMessage(pg));
        if (first)
            PQsendQueryParams(pg, "SAVEPOINT tembrix_each", 0, nullptr, nullptr, nullptr, nullptr,
                              0);
        std::vector<const char*> values(values_.size());
        for (int i = from; i < to; ++i) {
            bindRun(i);
            for (std::size_t v = 0; v < values_.size(); ++v)
                values[v] = set_[v] ? values_[v].c_str() : nullptr;
            PQsendQueryPrepared(pg, name_.c_str(), int(values.size()), values.data(), nullptr,
                                nullptr, 0);
        }
        if (last)
            PQsendQueryParams(pg, "RELEASE SAVEPOINT tembrix_each", 0, nullptr, nullptr, nullptr,
                              nullptr, 0);
        PQpipelineSync(pg);
        // The answers in the order sent: the savepoint, the runs, the release.
        const int answers = (to - from) + (first ? 1 : 0) + (last ? 1 : 0);
        for (int a = 0; a < answers; ++a) {
            PGresult* r = PQgetResult(pg);
            while (PGresult* more = PQgetResult(pg)) PQclear(more);
            const ExecStatusType s = PQresultStatus(r);
            const int run = from + a - (first ? 1 : 0);
            if (first && a == 0) {
                savepointMade = s == PGRES_COMMAND_OK;
                if (!savepointMade && rc == Ok) rc = c_.failWith(r);
            } else if (last && a == answers - 1) {
                if (s != PGRES_COMMAND_OK && rc == Ok) rc = c_.failWith(r);
            } else if (s == PGRES_TUPLES_OK || s == PGRES_COMMAND_OK) {
                if (s == PGRES_TUPLES_OK && PQntuples(r) > 0)
                    firstValues.push_back(std::strtoll(PQgetvalue(r, 0, 0), nullptr, 10));
            } else if (rc == Ok) {
                // The first failure; the runs after it were skipped by the server.
                rc = c_.failWith(r);
                failedRun = run;
            }
            PQclear(r);
        }
        while (PGresult* sync = PQgetResult(pg)) {
            const bool end = PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
            PQclear(sync);
            if (end) break;
        }
        PQexitPipelineMode(pg);
    }
    if (rc != Ok) {
        const std::string message = c_.errorMessage(rc);
        if (savepointMade)
            c_.run("ROLLBACK TO SAVEPOINT tembrix_each; RELEASE SAVEPOINT tembrix_each");
        c_.failWith(rc, message.c_str());
        firstValues.clear();
        return rc;
    }
    c_.setChanges(count);
    return Ok;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> connectionParameters(const std::string& conninfo,
                                                                      std::string& error) {
    std::vector<std::pair<std::string, std::string>> out;
    char* why = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &why);
    if (!options) {
        error = why ? firstLine(why) : "the connection parameters cannot be read";
        PQfreemem(why);
        return out;
    }
    std::string host;
    bool timeout = false, sslmode = false, name = false;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val) continue;
        const std::string key = o->keyword;
        out.emplace_back(key, o->val);
        if (key == "host" || (key == "hostaddr" && host.empty())) host = o->val;
        timeout |= key == "connect_timeout";
        sslmode |= key == "sslmode" || key == "requiressl";
        name |= key == "application_name";
    }
    PQconninfoFree(options);
    if (host.empty() && std::getenv("PGHOST")) host = std::getenv("PGHOST");
    if (!timeout && !std::getenv("PGCONNECT_TIMEOUT")) out.emplace_back("connect_timeout", "10");
    if (!sslmode && !std::getenv("PGSSLMODE") && !localHost(host))
        out.emplace_back("sslmode", "require");
    if (!name) out.emplace_back("application_name", "tembrixm");
    return out;
}

std::unique_ptr<Connection> makeServerConnection(const std::string& conninfo,
                                                 const std::string& refusal) {
    return std::make_unique<ServerConnection>(conninfo, refusal);
}

}  // namespace store::sql

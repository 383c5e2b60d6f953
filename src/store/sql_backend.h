#pragma once

// The seam below the record-file engine: one SQL connection to the place a data folder's
// store lives, and the statements prepared on it.
//
// The Engine (engine.h) keeps every rule of the store: record buffers, key walks that hold
// nothing open, change detection by row version, the layout catalogue, the engine error
// codes. It writes its SQL itself, from the table declarations (tables.cpp), and never
// talks to a database library. What differs between the places a store can live is below
// this line, in two parts:
//
// - A Connection does the work: open the store (the two files of a folder, or the two
//   schemas of a server database), prepare and run statements, read the catalogue (which
//   tables, indexes and columns there are), take the write locks of a transaction within a
//   lock wait, check and copy a whole store file. FileConnection (sqlite_backend.cpp) is the
//   store of a data folder; ServerConnection (server_backend.cpp) a PostgreSQL database
//   named by the folder's server file (server_config.h).
// - A Dialect says how the same statement is spelt: column types, the row identity, keys
//   that ignore letter case (a collation on the file, lower() in an expression index on the
//   server), the join that keeps the outer table first, how an insert hands back its row.
//   The Engine asks the Dialect while it builds a statement, so one builder serves both.
//
// Statement texts number their parameters ?1, ?2, ... (gaps allowed: ?90 and ?99 are kept
// for ranges and page sizes). Every value is bound as a whole number or as text.
//
// Result codes follow the file engine's own numbering (Ok 0, Busy 5, Constraint 19, Row 100,
// Done 101, ...), so the file connection hands its codes on unchanged and the server
// connection maps its SQL states onto the same few: a lock not had in time is Busy, a
// duplicate in a unique key is Constraint, a refused write is ReadOnly, a lost server is
// IoErr. The Engine turns them into engine errors in one place (Engine::failSql).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "table_decl.h"

namespace store::sql {

/// The built-in owner password: a folder's users file is encrypted under it, and a server
/// store's sealed fields under a key derived from it.
inline constexpr const char* kOwnerPassword = "Vortam";

enum Code : int {
    Ok = 0,
    Error = 1,
    Perm = 3,
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    NotFound = 12,
    Full = 13,
    CantOpen = 14,
    Schema = 17,
    Constraint = 19,
    NotADb = 26,
    Row = 100,
    Done = 101,
};

/// The kind of a value read from a column.
enum class ValueType { Integer, Float, Text, Blob, Null };

/// A statement prepared once and run many times. Its values stay bound between runs.
class Statement {
  public:
    virtual ~Statement() = default;
    virtual void bind(int param, long long value) = 0;
    virtual void bind(int param, std::string_view text) = 0;
    /// The highest parameter number the text uses.
    virtual int parameterCount() const = 0;
    /// Runs the statement (first call) or moves to its next row: Row, Done or an error code.
    virtual int step() = 0;
    /// Ends a run so that the statement can run again; the bindings stay.
    virtual void reset() = 0;
    virtual void clearBindings() = 0;

    /// The current row's columns, counted from 0. REQUIRES: the last step gave Row.
    virtual ValueType type(int col) const = 0;
    virtual long long number(int col) const = 0;
    virtual double real(int col) const = 0;
    /// The value as text (a number as its digits); valid until the next step or reset.
    virtual std::string_view text(int col) const = 0;
};

struct Column {
    std::string name;
    std::string type;  // INTEGER or TEXT as the Dialect declares them; anything else as is
};

/// How one kind of database spells what the Engine's statements need.
class Dialect {
  public:
    virtual ~Dialect() = default;
    /// The row identity and version columns that open every table's column list.
    virtual std::string identityColumns() const = 0;
    /// A field's column type with its default (and, for text, how it compares).
    virtual std::string columnType(bool text, bool caseInsensitive) const = 0;
    /// The type names that columns() reports for a number and a text column.
    virtual std::string numberTypeName() const { return "INTEGER"; }
    virtual std::string textTypeName() const { return "TEXT"; }
    /// A column or parameter as a key compares it: itself, or folded to lower case for a
    /// field that a key takes without regard to case where the column cannot say so.
    virtual std::string keyTerm(const std::string& expr, bool caseInsensitive) const = 0;
    /// "CREATE [UNIQUE] INDEX <name> ON <table> (<terms>)" for an index of `schema`.
    virtual std::string createIndex(bool unique, const std::string& schema, const std::string& name,
                                    const std::string& table, const std::string& terms) const = 0;
    /// Whether an index of a key that allows duplicates must end in the row identity to give
    /// the key's order (on the files every index ends in the row number by itself).
    virtual bool identityEndsIndexes() const { return false; }
    /// The join that reads the outer table first and reaches the inner one through its
    /// link condition: "<join> <inner> AS i ON ...".
    virtual const char* fixedOrderJoin() const = 0;
    /// Words after the table name of a delete that must read the table in stored order.
    virtual const char* storedOrder() const = 0;
    /// Whether the fields a declaration marks sealed are sealed on the way to the database
    /// and opened on the way back (sealed_text.h): on a server, not in a folder's users file,
    /// which is encrypted as a whole.
    virtual bool sealsFields() const { return false; }
    /// Appended to an INSERT so that the statement's row gives the new record's identity;
    /// empty where the connection tells it afterwards (Connection::lastInsertRow).
    virtual const char* insertReturning() const = 0;
    /// A statement whose one row holds the highest row identity a table has handed out,
    /// records deleted since included (0 when none); the next record added gets a higher one.
    virtual std::string identityHigh(const std::string& schema, const std::string& table) const = 0;
    /// Statements that make a table hand out identities above `high` from now on (after
    /// records were added with identities of their own, as a store copy adds them).
    virtual std::string setIdentityHigh(const std::string& schema, const std::string& table,
                                        long long high) const = 0;
};

/// One connection to a store. Every call returns a Code; a failed call leaves its text in
/// errorMessage(). The Engine owns the one connection of a data folder.
class Connection {
  public:
    virtual ~Connection() = default;
    virtual const Dialect& dialect() const = 0;

    /// Opens the store's main part (RESDATA.TPS), making it when `create`. NotFound when it
    /// is not there and may not be made.
    virtual int open(bool create, bool readOnly) = 0;
    virtual bool isOpen() const = 0;
    /// Connects the users part (USERS.TPS) beside the main one; NotFound when missing and
    /// not to be made. Statements prepared before must be prepared again afterwards.
    virtual int openUsers(bool create, bool readOnly) = 0;
    virtual bool usersOpen() const = 0;
    /// The schema under which statements name the tables of a store file ("main", "users").
    virtual std::string schemaOf(StoreFile f) const = 0;
    virtual bool isReadOnly(StoreFile f) = 0;
    /// Whether the store is a folder's files (stale journals, file copies, query plans).
    virtual bool isFileStore() const = 0;
    /// Where a store file lives, as a message names it: the file's path, or the schema and
    /// database on the server.
    virtual std::string placeOf(StoreFile f) const = 0;

    /// Null when the text cannot be prepared (the code in errorCode()).
    virtual std::unique_ptr<Statement> prepare(const std::string& sql) = 0;
    /// Runs statements that return no rows.
    virtual int exec(const std::string& sql) = 0;
    /// Whether runEach sends many runs of a write together (a server, where every statement
    /// otherwise waits for its answer); the files run them one by one.
    virtual bool runsTogether() const { return false; }
    /// Inside a transaction: runs a prepared write once per set of values `bindRun(i)`
    /// binds on it (i from 0 to count - 1), sent together, as one unit under a savepoint:
    /// Ok when every run succeeded, `firstValues` holding each run's first returned value
    /// (an insert's new row identity); else the code of the first failure, its run in
    /// `failedRun`, and nothing of any run left, the transaction still usable. Error where
    /// runsTogether() is false.
    virtual int runEach(Statement& st, int count, const std::function<void(int)>& bindRun,
                        std::vector<long long>& firstValues, int& failedRun) {
        (void)st, (void)count, (void)bindRun, (void)firstValues, (void)failedRun;
        return Error;
    }
    /// Rows changed by the last insert, update or delete.
    virtual long long changes() = 0;
    /// The identity of the row the last insert added (where the dialect returns none).
    virtual long long lastInsertRow() = 0;
    virtual int errorCode() = 0;
    virtual std::string errorMessage(int code) = 0;
    /// The operating system's error code behind the last failure, 0 when none.
    virtual int systemErrno() = 0;

    // The catalogue of a store file.
    /// The tables of a file, internal ones left out.
    virtual int tableNames(StoreFile f, std::vector<std::string>& names) = 0;
    virtual int indexNames(StoreFile f, const std::string& table,
                           std::vector<std::string>& names) = 0;
    /// The columns of a table in their order; none when the table is missing.
    virtual int columns(StoreFile f, const std::string& table, std::vector<Column>& cols) = 0;
    /// Checks a file's structure: `problem` receives the first fault found, empty if none.
    virtual int check(StoreFile f, std::string& problem) = 0;

    // Transactions.
    /// The wait for locks outside transactions.
    virtual void setLockWait(int seconds) = 0;
    /// Begins a transaction holding the write lock of RESDATA and, with `usersToo`, of
    /// USERS, waiting at most waitSeconds. Busy when the locks were not had in time; then
    /// no transaction is left open.
    virtual int begin(int waitSeconds, bool usersToo, int lockWaitAfter) = 0;
    /// Begins a transaction that only reads and sees the store as it stood at one moment,
    /// while other stations go on writing, where the database keeps such snapshots; else
    /// the same as begin.
    virtual int beginSnapshot(int waitSeconds, bool usersToo, int lockWaitAfter) {
        return begin(waitSeconds, usersToo, lockWaitAfter);
    }
    /// Takes the write lock of a file before a transaction's first write there, where the
    /// database does not take it by itself.
    virtual int lockForWrite(StoreFile f) = 0;
    virtual int commit(int lockWaitAfter) = 0;
    virtual int rollback(int lockWaitAfter) = 0;
    /// Whether a transaction (begun here or by a savepoint) is open.
    virtual bool inTransaction() = 0;
    /// A savepoint, which opens a transaction of its own when none is open; its release
    /// then commits it.
    virtual int savepoint(const char* name) = 0;
    virtual int release(const char* name) = 0;
    virtual int rollbackTo(const char* name) = 0;

    // Whole files.
    /// Copies a store file as it stood at one commit to a new file at `toPath`.
    virtual int copy(StoreFile f, const std::string& toPath, int lockWaitSeconds) = 0;
    /// What the planner makes of a statement, one line per step.
    virtual std::string plan(const std::string& sql) = 0;
};

/// The connection of a data folder's own files (RESDATA.TPS, USERS.TPS in `folder`).
std::unique_ptr<Connection> makeFileConnection(const std::string& folder);
/// The libpq parameters a station connects with: those of the server file (key=value pairs
/// or a postgresql:// address), and, where neither the file nor the environment says
/// otherwise, a wait of 10 seconds for a server that does not answer (libpq would wait for
/// ever), encryption required for a server on another machine (libpq would fall back to
/// plain text when the server offers none) and the program's name in the server's list of
/// sessions. `error` receives why parameters cannot be read.
std::vector<std::pair<std::string, std::string>> connectionParameters(const std::string& conninfo,
                                                                      std::string& error);

/// A connection to a server database; `conninfo` as the folder's server file gives it. With
/// a `refusal` (a server file that names no server) every open fails with that text.
std::unique_ptr<Connection> makeServerConnection(const std::string& conninfo,
                                                 const std::string& refusal = {});

}  // namespace store::sql

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine_status.h"
#include "table_decl.h"

namespace store {

namespace sql {
class Connection;
class Statement;
}  // namespace sql

class Engine;

/// Where a record was read: its stable row number and the version it had then. A
/// write of the record succeeds only while the stored version is still this one.
struct RecordPosition {
    long long rowid = 0;
    long long version = 0;

    bool valid() const { return rowid != 0; }
};

/// One table of a store as one process sees it: its declared layout, its single record
/// buffer (shared by every user of the table in the process) and its read position.
class Table {
  public:
    explicit Table(const TableDecl& decl);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const TableDecl& decl() const { return decl_; }
    std::byte* buffer() { return buffer_.get(); }
    const std::byte* buffer() const { return buffer_.get(); }
    int recordSize() const { return decl_.recordSize; }
    /// Clears the buffer: every text blank, every number 0.
    void clearBuffer();

    /// The record last read, added or written.
    RecordPosition position() const { return position_; }
    bool isOpen() const { return open_; }
    bool readOnly() const { return readOnly_; }
    /// After an add or put that failed with DupKeyErr: the first key the record duplicates.
    int duplicateKey() const { return duplicateKey_; }

  private:
    friend class Engine;
    enum class CursorState { None, AtStart, AtValue, After };

    const TableDecl& decl_;
    std::unique_ptr<std::byte[]> buffer_;
    RecordPosition position_;
    bool open_ = false;
    bool readOnly_ = false;
    int duplicateKey_ = -1;

    // The read cursor: where the next NEXT or PREVIOUS continues, and a page of records
    // read ahead in the last direction. Nothing is held open in the database between
    // calls; a page is dropped whenever this process writes the table.
    CursorState cursor_ = CursorState::None;
    int cursorKey_ = -1;         // -1: file order
    int cursorComponents_ = -1;  // leading key components a value position uses
    std::unique_ptr<std::byte[]> cursorRecord_;
    long long cursorRowid_ = 0;
    int pageDirection_ = 0;  // +1 next, -1 previous, 0 no page
    std::vector<std::byte> page_;
    std::vector<RecordPosition> pagePositions_;
    // The engine that opened the table, told when the table goes, and the statements of
    // its kinds of access, prepared once.
    Engine* engine_ = nullptr;
    std::unordered_map<std::uint32_t, sql::Statement*> statements_;
    std::size_t pageNext_ = 0;
    int pageLimit_ = 0;
    bool pageExhausted_ = false;
    // A walk goes on from the key values as the file holds them, with the row number:
    // the record image may hold them otherwise (a text's trailing blanks dropped).
    struct StoredValue {
        bool text = false;
        long long number = 0;
        std::string bytes;
    };
    std::vector<StoredValue> pageKeys_;    // the cursor key's values of each page record
    std::vector<StoredValue> cursorKeys_;  // those of the record last read
    bool cursorStored_ = false;            // whether cursorKeys_ say where the cursor is
    // A record the page stopped at because it could not be read (damaged data): reported
    // once the records before it have been read.
    EngineStatus pageFault_;
};

/// A read along a relation in one statement: the records of an outer table at a value of
/// one of its keys, each with the records of an inner table linked to it by equal fields
/// and, optionally, an inner field within a range. It serves look-ups that would otherwise
/// seek the inner key once per outer record (the bookings of a resource over a period).
struct JoinQuery {
    int outerKey = 0;
    int outerEqual = 1;  // leading components of outerKey equal to the outer buffer's values
    int innerKey = 0;    // the inner key whose leading components the links and range fill
    std::vector<FieldLink> links;  // (outer field, inner field), equal
    Field rangeField = {};         // when valid: an inner field in [low, high]
    long long low = 0, high = 0;
    /// Optionally an outer field in [outerLow, outerHigh] as well: the next component of
    /// outerKey bounds the read along the key (occurrences of a day from a time).
    Field outerRangeField = {};
    long long outerLow = 0, outerHigh = 0;
    /// Optionally a third table read with every pair (join's `lookup`): its record of the
    /// key `lookupKey` whose leading components equal these outer fields, as (outer field,
    /// lookup field). Where it has none its buffer comes back cleared.
    int lookupKey = 0;
    std::vector<FieldLink> lookupLinks;
};

/// Records of one table that no record of another table links to (the bookings left
/// without occurrences), for the set operations countUnlinked and eraseUnlinked.
struct Unlinked {
    std::vector<FieldLink> links;  // (field of the table, field of the other)
    int otherKey = 0;              // the key of the other table whose records count as links
    /// Optionally (when valid) only records of the other table whose field lies in
    /// [low, high] count as links.
    Field rangeField = {};
    long long low = 0, high = 0;
};

/// A stored value that its field cannot hold, as Engine::findUnfitValue finds it.
struct UnfitValue {
    long long record = 0;  // the record's place in the order records were added, from 1;
                           // 0 when every value fits
    std::string field;     // the field's name, NAME_2 for the second element of an array
    std::string found;     // what is stored there, as a user reads it: "the text \"abc\""
};

/// Options for opening a data folder.
struct EngineOptions {
    /// Open both files for reading only (a viewing station, or files on read-only media).
    bool readOnly = false;
};

/// The record-file engine over the two store files of a data folder. RESDATA.TPS is the
/// main database of one SQLite connection and USERS.TPS is attached to it under the
/// built-in owner password, so one transaction can span both files atomically. A folder
/// with a server file (server_config.h) keeps its store in a server database instead: the
/// same tables, keys, catalogue and rules, through the same interface (sql_backend.h).
///
/// Every operation returns an engine error code (0 on success) and leaves it, with its
/// text, in status(). A failed operation changes nothing.
class Engine {
  public:
    explicit Engine(std::string folder, EngineOptions options = {});
    /// An engine over a store that a connection names rather than the folder (a store
    /// copy's source or target); `folder` is only where its files are, for a file store.
    Engine(std::string folder, std::unique_ptr<sql::Connection> connection,
           EngineOptions options = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const std::string& folder() const { return folder_; }
    /// Whether the store lives in a server database rather than in the folder's files.
    bool onServer() const;
    std::string pathOf(StoreFile f) const;
    /// Where a store file lives, as messages name it: its path in the folder, or its schema
    /// in the server database ("users schema of the server database tembrix").
    std::string placeOf(StoreFile f) const;
    const EngineStatus& status() const { return status_; }
    EngineStatus& status() { return status_; }
    /// The connection below, for whole-store work that reads and writes rows as they are
    /// stored, identities and versions included (store_copy.h). Nothing else writes SQL.
    sql::Connection& connection();

    /// Opens a table. FileNotFoundErr when the table (or its file) does not exist yet,
    /// AccessDeniedErr when write access was asked for and the file is read-only,
    /// InvalidRecordDeclarationErr when the stored layout is not the declared one,
    /// KeysMustBeRebuiltErr when a key's index is missing, FileSystemErr for a file that
    /// cannot be read as a store (not a database, damaged, wrong password).
    int open(Table& t, bool write = true);
    /// Creates the table (and its file) with its keys and its catalog entry; a table that
    /// another station created meanwhile is left as it is.
    int create(Table& t);
    void close(Table& t);
    /// Builds every key's index anew (creating missing ones).
    int buildKeys(Table& t);
    /// Drops every key's index (bulk loading); buildKeys brings them back.
    int dropKeys(Table& t);
    /// How many records the table holds.
    long long records(Table& t);

    /// Whether this station may write the folder: not opened for reading only, and the
    /// folder and its store files writable.
    bool writable() const;
    /// From now on every table opens for reading only (a folder that cannot be written,
    /// opened for viewing once the user agreed).
    void setReadOnly() { options_.readOnly = true; }
    /// Whether the user has been told that a file cannot be written: one message per file,
    /// not one per table of it.
    bool writeRefusalTold(StoreFile f) const { return writeRefusalTold_[int(f)]; }
    void setWriteRefusalTold(StoreFile f) { writeRefusalTold_[int(f)] = true; }

    /// Connects one store file without touching its tables (USERS.TPS is attached), making
    /// it, empty, when `create` and it is missing. Tables of USERS.TPS can take part in a
    /// transaction only when the file was connected before the transaction began.
    int connectFile(StoreFile f, bool create);
    /// Reads the connected files through and checks their structure: FileSystemErr, with
    /// the engine's own description, for a file that is damaged or cut short.
    int checkFiles();
    /// Reads an open table through, in the order its records were added, for the first
    /// value that its field cannot hold: anything but a whole number in a number field or a
    /// number beyond the field's range, anything but text in a text field or a text longer
    /// than the field. A record buffer would hold such a value cut or as 0, so a reader that
    /// must take a file's values exactly asks here first. 0 with unfit.record 0 when every
    /// value fits; InvalidRecordDeclarationErr when the table's columns are not the declared
    /// ones (a missing column would otherwise read as its own name).
    int findUnfitValue(Table& t, UnfitValue& unfit);
    /// The same for one connected file.
    int checkFile(StoreFile f);
    /// Whether any table of a store file holds a record. A missing file holds none; an
    /// existing one is connected (never made) to look.
    int holdsRecords(StoreFile f, bool& holds);
    /// Puts the rows of `from` in the place of the table `target` declares: the table of
    /// that name (in whatever layout, if there is one) is dropped, `from` takes its name,
    /// the target's keys are built and the catalog records the target's layout. `from` must
    /// be declared with the target's fields under another stored name of the same file
    /// (InvalidRecordDeclarationErr otherwise) and is gone afterwards; both are closed.
    /// All or nothing; inside a transaction a rollback undoes it with the rest.
    int replaceTable(Table& from, const TableDecl& target);

    /// Positions at the start of a key's order (key -1: the order in which records were
    /// added). NEXT then reads the first record and PREVIOUS the last.
    int set(Table& t, int key);
    /// Positions at the key value in the buffer: NEXT reads the first record whose key is
    /// at or after it, PREVIOUS the last one at or before it.
    /// With components > 0 only that many leading components of the key count.
    int setAtValue(Table& t, int key, int components = -1);
    /// Positions at a record read earlier (its image and position): NEXT then reads the
    /// record after it in the key's order and PREVIOUS the one before, wherever it is now.
    int setAt(Table& t, int key, const std::byte* record, RecordPosition p);
    /// Reads the next/previous record into the buffer. RecordNotAvailableErr at the end.
    int next(Table& t);
    int previous(Table& t);
    /// Reads the record whose key equals the buffer's key value. RecordNotFoundErr when
    /// there is none; the buffer is left as it was then.
    int get(Table& t, int key);
    /// Reads the record at a remembered position. RecordNotFoundErr when it is gone.
    int reget(Table& t, RecordPosition p);
    /// Reads the pairs of a JoinQuery: for each pair both buffers (and their positions)
    /// are filled and `row` is called; `row` returns false to stop. The outer table is read
    /// along its key and the inner one through an index on its linked fields, so the cost
    /// follows the records read, never the size of the tables. With `lookup`, the record of
    /// that table named by q.lookupLinks comes with each pair (the booking of each
    /// occurrence), read in the same statement through its key.
    int join(Table& outer, Table& inner, const JoinQuery& q, const std::function<bool()>& row,
             Table* lookup = nullptr);
    /// Set operations, for work on many records at once (the purge of old occurrences):
    /// each is one statement, its cost following the records it touches. `key` is a key
    /// whose first component is a number; a record counts when the key holds it and that
    /// component lies in [low, high], both ends included.
    long long countRange(Table& t, int key, long long low, long long high);
    /// Deletes the records countRange counts; `erased` (when given) receives how many went.
    /// Read positions in `t` are dropped; a record read before may be gone afterwards.
    /// When the range holds a large share of the table, the table is read in its stored
    /// order a slice at a time instead of through the key (far fewer pages touched), and
    /// `progress`, when given, hears the share done after each slice.
    int eraseRange(Table& t, int key, long long low, long long high, long long* erased = nullptr,
                   const std::function<void(double done)>& progress = {});
    /// How many records of `t` no record of `other` links to as `q` describes.
    /// REQUIRES: t and other are different tables.
    long long countUnlinked(Table& t, Table& other, const Unlinked& q);
    /// Deletes the records countUnlinked counts, on the same terms as eraseRange.
    int eraseUnlinked(Table& t, Table& other, const Unlinked& q, long long* erased = nullptr);
    /// The query plan of eraseRange's and eraseUnlinked's statements, for tests that make
    /// sure they go through indexes.
    std::string rangePlan(Table& t, int key);
    std::string unlinkedPlan(Table& t, Table& other, const Unlinked& q);

    /// Makes p the record that put and erase act on, as if it had just been read there.
    void setPosition(Table& t, RecordPosition p) { t.position_ = p; }
    /// Adds the buffer as a new record. DupKeyErr when a unique key is duplicated.
    int add(Table& t);
    /// Inside a transaction: adds `count` records, `fill(i)` putting the i-th into the buffer
    /// just before it is added, as one unit: all of them, or, when one fails (DupKeyErr as
    /// add says), none, with the failing record left in the buffer and the transaction
    /// still usable. On a server the records travel together instead of one round trip
    /// each. The position afterwards is the last record added. RecordNotAvailableErr
    /// outside a transaction.
    int addEach(Table& t, int count, const std::function<void(int i)>& fill);
    /// Writes the buffer back over the record last read. RecordChangedErr when another
    /// station changed it since; RecordNotAvailableErr when it was deleted meanwhile.
    int put(Table& t);
    /// Deletes the record last read, on the same terms as put.
    int erase(Table& t);

    /// Begins a transaction, waiting at most waitSeconds for the write lock on RESDATA.TPS
    /// and, with `usersToo`, on USERS.TPS as well. A transaction takes the lock of a file
    /// only when it writes there, so that a booking save never holds the users file; one
    /// that writes USERS.TPS without having asked for it takes that lock at its first write
    /// there, waiting for it only when it has not read that file yet. Whatever files it
    /// wrote commit together or not at all. TransactionActiveErr when one is already
    /// running; RecordHeldErr when the locks could not be had in time.
    int begin(int waitSeconds, bool usersToo = false);
    /// Begins a transaction that only reads, seeing the store as it stood when it began
    /// while other stations go on writing (on a server; a folder's files take the write lock
    /// as begin does). A write inside it fails.
    int beginSnapshot(int waitSeconds, bool usersToo = false);
    int commit();
    int rollback();
    bool inTransaction() const { return inTransaction_; }
    /// The wait for locks outside transactions (the lock-recovery wait), in seconds.
    void setLockWait(int seconds);

    /// Copies a whole store file to toPath as one consistent database: the file as it
    /// stood at one commit, even while this and other stations go on using it. The copy
    /// goes through this engine's own connection, is written to a temporary file beside
    /// toPath and is renamed over toPath only when complete, so toPath holds either its
    /// old content or the whole new copy. The copy of the users file is encrypted under
    /// the same owner password as the file itself. TransactionActiveErr inside a
    /// transaction, RecordHeldErr when other stations kept the file locked past the lock
    /// wait, FileSystemErr when the copy cannot be written. A store on a server is written
    /// as a file of the folder format (store_copy.h), so that its backup restores into a
    /// folder.
    int copyFile(StoreFile f, const std::string& toPath);

    /// The query plan of the statement that walks a key, fetches on it, and so on, for
    /// tests that make sure every key access goes through an index.
    std::string queryPlan(Table& t, const std::string& which, int key);

    /// The query plan of a JoinQuery's statement.
    std::string joinPlan(Table& outer, Table& inner, const JoinQuery& q, Table* lookup = nullptr);
    /// The layout signature stored in a file's catalog for a declaration.
    static std::string layoutSignature(const TableDecl& d);

  private:
    /// The connection and the statements prepared on it.
    struct Impl;

    int beginWith(int waitSeconds, bool usersToo, bool snapshot);
    int fetchPage(Table& t, int direction);
    int deliver(Table& t);
    /// NEXT (+1) or PREVIOUS (-1).
    int step(Table& t, int direction);
    /// After a fetch's step `rc`: reads the row into the buffer when its values fit their
    /// fields, resets the statement; FileSystemErr for a damaged row, the buffer untouched.
    int readChecked(sql::Statement* st, int rc, Table& t);
    int connect(bool create);
    int attachUsers(bool create);
    /// Deletes super-journal files that no commit will ever finish, when both files can
    /// be locked at once without waiting.
    void removeStaleSuperJournals();
    int fail(int code);
    int failSql(int rc, bool forWrite);
    void dropPage(Table& t);
    int findDuplicate(Table& t, long long self);
    /// The statement that adds a record to the table, prepared once.
    sql::Statement* insertStatement(Table& t);
    /// Takes the write lock of a file before a transaction's first write there.
    int lockForWrite(StoreFile f);
    /// Runs one set statement on `t` (a count or a delete); `result` receives the count or
    /// the number of records deleted.
    int runSet(Table& t, const std::string& text, long long low, long long high, bool write,
               long long* result, long long from = 0, long long to = 0);
    bool stillThere(Table& t);
    /// Records a table's layout in a file's catalog; a connection result code.
    int writeCatalog(const std::string& schema, const char* name, const std::string& layout);
    /// Releases a savepoint when rc is SQLITE_OK, else rolls back to it; an engine code.
    int endSavepoint(const char* name, int rc);
    friend class Table;
    /// A table that goes is no longer the engine's to look after.
    void forget(Table& t);

    std::string folder_;
    EngineOptions options_;
    EngineStatus status_;
    bool inTransaction_ = false;
    int lockWait_ = 10;
    bool writeRefusalTold_[2] = {false, false};
    std::unique_ptr<Impl> d_;
};

}  // namespace store

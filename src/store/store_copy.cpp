#include "store_copy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "engine.h"
#include "sealed_text.h"
#include "sql_backend.h"
#include "tables.h"

namespace store {

namespace {

namespace fs = std::filesystem;

// Records read from the source per statement: enough to keep round trips to a server few,
// few enough to keep memory small.
constexpr int kReadPage = 4000;
// How often a check reports its progress, in records.
constexpr long long kCheckReport = 20000;

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

/// The stored columns of a table, as the engine makes them: identity, version, fields.
std::vector<std::string> storedColumns(const TableDecl& d) {
    std::vector<std::string> cols{"_rid", "_ver"};
    for (const FieldDecl& f : d.fields) {
        if (f.count == 1) {
            cols.emplace_back(f.name);
        } else {
            for (int e = 1; e <= f.count; ++e)
                cols.push_back(std::string(f.name) + "_" + std::to_string(e));
        }
    }
    return cols;
}

/// The field of each stored column after the first two, with its element.
struct ColumnField {
    const FieldDecl* field;
    int element;
};

std::vector<ColumnField> columnFields(const TableDecl& d) {
    std::vector<ColumnField> out;
    for (const FieldDecl& f : d.fields)
        for (int e = 0; e < f.count; ++e) out.push_back({&f, e});
    return out;
}

std::string fieldName(const TableDecl& d, const FieldDecl& f, int element) {
    std::string name = std::string(d.prefix) + ":" + f.name;
    if (f.count > 1) name += "_" + std::to_string(element + 1);
    return name;
}

/// A value as it travels from one store to the other.
struct Value {
    bool text = false;
    long long number = 0;
    std::string bytes;
};

/// Empty when a stored value can be copied unchanged into a column of its field (a whole
/// number within the field's range, or a text - `text`, as the record holds it - no longer
/// than the field); else what it is.
std::string unfit(sql::Statement* st, int col, const FieldDecl* f, std::string_view text) {
    const sql::ValueType type = st->type(col);
    if (!f) {
        if (type == sql::ValueType::Integer) return {};
        return "no whole number";
    }
    if (isText(f->type)) {
        if (type != sql::ValueType::Text) return "a value that is no text";
        if (int(text.size()) > f->width)
            return "a text of " + std::to_string(text.size()) + " characters, longer than its " +
                   std::to_string(f->width);
        return {};
    }
    if (type != sql::ValueType::Integer) return "a value that is no whole number";
    const long long v = st->number(col);
    const long long low = f->type == FieldType::LONG    ? INT32_MIN
                          : f->type == FieldType::SHORT ? INT16_MIN
                                                        : 0;
    const long long high = f->type == FieldType::LONG    ? INT32_MAX
                           : f->type == FieldType::SHORT ? INT16_MAX
                                                         : UINT8_MAX;
    if (v < low || v > high)
        return "the number " + std::to_string(v) + ", beyond the field's range";
    return {};
}

/// The first difference between two record images of a table, as a user reads it.
std::string firstDifference(const TableDecl& d, const std::byte* a, const std::byte* b) {
    for (const FieldDecl& f : d.fields)
        for (int e = 0; e < f.count; ++e) {
            const std::size_t at = std::size_t(f.offset + e * f.width);
            if (std::memcmp(a + at, b + at, std::size_t(f.width)) != 0)
                return fieldName(d, f, e) + " differs";
        }
    return "the record differs";
}

class Copier {
  public:
    Copier(Engine& from, Engine& to, const StoreCopyOptions& o) : from_(from), to_(to), o_(o) {}

    StoreCopyResult run();

  private:
    bool has(StoreFile f) const {
        return std::find(files_.begin(), files_.end(), f) != files_.end();
    }
    /// Records a failure (the first one counts); returns false for `return fail(...)`.
    bool fail(int code, std::string message) {
        if (result_.code == 0) {
            result_.code = code;
            result_.message = std::move(message);
        }
        return false;
    }
    bool failEngine(Engine& e, const std::string& what) {
        return fail(e.status().code ? e.status().code : FileSystemErr,
                    what + ": " + e.status().message());
    }
    bool failSql(sql::Connection& c, const std::string& what) {
        const int rc = c.errorCode();
        return fail(FileSystemErr, what + ": " + c.errorMessage(rc));
    }
    void report(StoreCopyProgress::Phase phase, const TableDecl& d, const std::string& key,
                long long done, long long total) {
        if (!o_.progress) return;
        o_.progress({phase, d.fullName(), key, done, total});
    }

    bool checkTargetEmpty();
    bool connectTarget();
    bool copyTable(Table& source, Table& target);
    bool copyRows(Table& source, long long total);
    bool keepIdentityHigh(const TableDecl& d, long long copiedHigh);
    bool checkTable(Table& source, Table& target);
    bool walk(Table& source, Table& target, int key, long long total);
    void undoTarget();

    Engine& from_;
    Engine& to_;
    const StoreCopyOptions& o_;
    std::vector<StoreFile> files_;
    StoreCopyResult result_;
    // What the copy made in the target, to go again on failure.
    std::vector<std::string> madeFiles_;
    bool madeSchema_[2] = {false, false};
    bool fromBegun_ = false, toBegun_ = false;
};

StoreCopyResult Copier::run() {
    if (from_.inTransaction() || to_.inTransaction()) {
        fail(TransactionActiveErr, "A store is copied only while no transaction runs on it");
        return result_;
    }
    // The source: every file asked for that it holds. A store without a users file has
    // none to copy; one without RESDATA is no store.
    for (StoreFile f : o_.files) {
        if (from_.connectFile(f, false) == 0) {
            files_.push_back(f);
        } else if (from_.status().code != FileNotFoundErr || f == StoreFile::RESDATA) {
            failEngine(from_, from_.status().code == FileNotFoundErr
                                  ? "There is no store to copy (no RESDATA)"
                                  : "The store to copy cannot be opened");
            return result_;
        }
    }
    if (files_.empty()) {
        fail(FileNotFoundErr, "There is no store to copy");
        return result_;
    }
    if (!checkTargetEmpty() || !connectTarget()) {
        undoTarget();
        return result_;
    }

    bool ok = true;
    // The source's write lock first: from here on no station changes it. A backup reads a
    // snapshot instead where there is one, and keeps nobody waiting.
    const int begun = o_.snapshot ? from_.beginSnapshot(o_.lockWait, has(StoreFile::USERS))
                                  : from_.begin(o_.lockWait, has(StoreFile::USERS));
    if (begun != 0)
        ok = failEngine(from_, from_.status().code == RecordHeldErr
                                   ? "Another station is writing the store; the copy waited " +
                                         std::to_string(o_.lockWait) + " seconds"
                                   : "The store to copy cannot be locked");
    fromBegun_ = ok;
    if (ok && to_.begin(o_.lockWait, has(StoreFile::USERS)) != 0)
        ok = failEngine(to_, "The copy's target cannot be written");
    toBegun_ = ok;

    // Every declared table the source holds, file by file, in table order.
    std::vector<std::pair<std::unique_ptr<Table>, std::unique_ptr<Table>>> copied;
    for (StoreFile f : files_) {
        for (int i = 0; ok && i < kTableCount; ++i) {
            const TableDecl& d = tableDecl(Tbl(i));
            if (d.file != f) continue;
            auto source = std::make_unique<Table>(d);
            if (from_.open(*source, false) != 0) {
                if (from_.status().code == FileNotFoundErr) continue;  // never made there
                std::string why = from_.status().message();
                if (!from_.status().detail.empty()) why += " - " + from_.status().detail;
                const int code = from_.status().code;
                const char* what = code == InvalidRecordDeclarationErr
                                       ? " is not in today's layout (convert the store first): "
                                   : code == KeysMustBeRebuiltErr
                                       ? " needs its keys rebuilt before it is copied: "
                                       : " cannot be read: ";
                ok = fail(code, d.fullName() + what + why);
                break;
            }
            auto target = std::make_unique<Table>(d);
            ok = copyTable(*source, *target);
            if (ok) copied.emplace_back(std::move(source), std::move(target));
        }
    }
    if (ok && o_.beforeCheck) o_.beforeCheck(to_);
    for (auto& [source, target] : copied) {
        if (!ok) break;
        ok = checkTable(*source, *target);
    }
    if (ok) {
        result_.tables = int(copied.size());
        if (to_.commit() != 0) ok = failEngine(to_, "The copy could not be committed");
        toBegun_ = false;
    }
    copied.clear();
    if (fromBegun_) from_.rollback();  // nothing was written there: only the lock goes
    fromBegun_ = false;
    if (!ok) {
        undoTarget();
        result_.records = 0;
        result_.tables = 0;
    }
    return result_;
}

bool Copier::checkTargetEmpty() {
    if (to_.onServer()) {
        // A database that is there but holds nothing of a store; its schemas may be there
        // already (made by hand), empty. Both are looked at, whatever is copied.
        for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
            if (to_.connectFile(f, false) != 0) {
                if (to_.status().code != FileNotFoundErr)
                    return failEngine(to_, "The server database cannot be used");
                madeSchema_[int(f)] = true;
                // The users schema is looked up beside the main one, which is made here.
                if (f == StoreFile::USERS) continue;
                if (to_.connectFile(f, true) != 0)
                    return failEngine(to_, "The server database cannot be used");
            }
            std::vector<std::string> names;
            if (to_.connection().tableNames(f, names) != sql::Ok)
                return failSql(to_.connection(), "The server database cannot be read");
            if (!names.empty())
                return fail(FileSystemErr, "The server database already holds store tables (" +
                                               to_.connection().schemaOf(f) + "." + names.front() +
                                               "); a store is copied only into an empty database");
        }
        return true;
    }
    for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
        std::error_code ec;
        if (fs::exists(to_.pathOf(f), ec))
            return fail(FileSystemErr, "The folder already holds a store (" + to_.pathOf(f) +
                                           "); a store is copied only into a folder without one");
    }
    return true;
}

bool Copier::connectTarget() {
    // RESDATA first even when only USERS is copied: the users file is connected beside it.
    for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
        if (f == StoreFile::USERS && !has(f)) continue;
        if (!to_.onServer()) madeFiles_.push_back(to_.pathOf(f));
        if (to_.connectFile(f, true) != 0)
            return failEngine(to_, "The copy's target cannot be made");
    }
    return true;
}

bool Copier::copyTable(Table& source, Table& target) {
    const TableDecl& d = source.decl();
    const long long total = from_.records(source);
    if (from_.status().code) return failEngine(from_, d.fullName() + " cannot be counted");
    report(StoreCopyProgress::Phase::Copying, d, {}, 0, total);
    // The table as the program makes it; its keys are built once its records are in, which
    // is far quicker than keeping every index in order record by record.
    if (to_.create(target) != 0)
        return failEngine(to_, d.fullName() + " cannot be made in the copy");
    if (to_.dropKeys(target) != 0) return failEngine(to_, d.fullName() + " cannot be loaded");
    if (!copyRows(source, total)) return false;
    if (to_.buildKeys(target) != 0)
        return failEngine(to_, "The keys of " + d.fullName() + " cannot be built");
    if (to_.open(target, true) != 0)
        return failEngine(to_, d.fullName() + " cannot be opened in the copy");
    result_.records += total;
    return true;
}

bool Copier::copyRows(Table& source, long long total) {
    const TableDecl& d = source.decl();
    sql::Connection& in = from_.connection();
    sql::Connection& out = to_.connection();
    const std::vector<std::string> cols = storedColumns(d);
    const std::vector<ColumnField> fields = columnFields(d);
    const int width = int(cols.size());

    std::string list;
    for (const std::string& c : cols) list += (list.empty() ? "" : ", ") + quoted(c);
    const std::string fromTable = in.schemaOf(d.file) + "." + quoted(d.name);
    const std::string toTable = out.schemaOf(d.file) + "." + quoted(d.name);
    std::unique_ptr<sql::Statement> read = in.prepare("SELECT " + list + " FROM " + fromTable +
                                                      " WHERE _rid > ?1 ORDER BY _rid LIMIT ?2");
    if (!read) return failSql(in, d.fullName() + " cannot be read");

    // Many records per insert: the file store takes at most 999 values and 500 rows a
    // statement, a server far more, and each statement is a round trip there.
    const int maxValues = out.isFileStore() ? 999 : 30000;
    const int batch = std::max(1, std::min(out.isFileStore() ? 500 : 1000, maxValues / width));
    std::map<int, std::unique_ptr<sql::Statement>> inserts;  // by rows per statement
    auto insertOf = [&](int rows) -> sql::Statement* {
        auto it = inserts.find(rows);
        if (it != inserts.end()) return it->second.get();
        std::string values;
        int p = 1;
        for (int r = 0; r < rows; ++r) {
            values += r ? ", (" : "(";
            for (int c = 0; c < width; ++c) values += (c ? ", ?" : "?") + std::to_string(p++);
            values += ")";
        }
        std::unique_ptr<sql::Statement> st =
            out.prepare("INSERT INTO " + toTable + " (" + list + ") VALUES " + values);
        if (!st) return nullptr;
        return inserts.emplace(rows, std::move(st)).first->second.get();
    };
    std::vector<Value> pending;
    pending.reserve(std::size_t(batch * width));
    auto flush = [&]() -> bool {
        const int rows = int(pending.size()) / width;
        if (rows == 0) return true;
        sql::Statement* st = insertOf(rows);
        if (!st) return failSql(out, d.fullName() + " cannot be written in the copy");
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (pending[i].text)
                st->bind(int(i) + 1, std::string_view(pending[i].bytes));
            else
                st->bind(int(i) + 1, pending[i].number);
        }
        const int rc = st->step();
        st->reset();
        if (rc != sql::Done && rc != sql::Row)
            return fail(FileSystemErr,
                        d.fullName() + ": the copy refused a record: " + out.errorMessage(rc));
        pending.clear();
        return true;
    };

    long long last = 0, done = 0, high = 0;
    for (;;) {
        read->bind(1, last);
        read->bind(2, kReadPage);
        int rc, rows = 0;
        while ((rc = read->step()) == sql::Row) {
            ++rows;
            for (int c = 0; c < width; ++c) {
                const FieldDecl* f = c < 2 ? nullptr : fields[std::size_t(c - 2)].field;
                // A sealed field (a password) is opened as it leaves a server and sealed as
                // it reaches one: neither store ever holds it in the other's form.
                const bool sealed = f && isText(f->type) && d.sealed(int(f - d.fields.data()));
                std::string text(read->type(c) == sql::ValueType::Text ? read->text(c) : "");
                if (sealed && in.dialect().sealsFields()) text = openText(text);
                const std::string bad = unfit(read.get(), c, f, text);
                if (!bad.empty()) {
                    const long long number = read->number(0);
                    const std::string where =
                        c < 2 ? std::string(c == 0 ? "its identity" : "its version")
                              : fieldName(d, *f, fields[std::size_t(c - 2)].element);
                    read->reset();
                    return fail(FileSystemErr, d.fullName() + ": the record numbered " +
                                                   std::to_string(number) + " holds " + bad +
                                                   " in " + where +
                                                   "; it cannot be copied unchanged");
                }
                Value v;
                v.text = f && isText(f->type);
                if (v.text)
                    v.bytes = sealed && out.dialect().sealsFields() ? sealText(text) : text;
                else
                    v.number = read->number(c);
                pending.push_back(std::move(v));
            }
            last = read->number(0);
            high = std::max(high, last);
            if (int(pending.size()) >= batch * width && !flush()) return read->reset(), false;
        }
        read->reset();
        if (rc != sql::Done) return failSql(in, d.fullName() + " cannot be read");
        done += rows;
        report(StoreCopyProgress::Phase::Copying, d, {}, done, total);
        if (rows < kReadPage) break;
    }
    if (!flush()) return false;
    if (done != total)
        return fail(FileSystemErr, d.fullName() + " held " + std::to_string(total) +
                                       " records when counted but " + std::to_string(done) +
                                       " when read");
    return keepIdentityHigh(d, high);
}

bool Copier::keepIdentityHigh(const TableDecl& d, long long copiedHigh) {
    // Identities of deleted records are never handed out again: a station that remembers
    // one must not find another record there. The copy goes on from the same point.
    sql::Connection& in = from_.connection();
    sql::Connection& out = to_.connection();
    std::unique_ptr<sql::Statement> st =
        in.prepare(in.dialect().identityHigh(in.schemaOf(d.file), d.name));
    if (!st) return failSql(in, d.fullName() + ": its next record number cannot be read");
    const int rc = st->step();
    const long long sourceHigh = rc == sql::Row ? st->number(0) : 0;
    st->reset();
    if (rc != sql::Row)
        return failSql(in, d.fullName() + ": its next record number cannot be read");
    const long long high = std::max(sourceHigh, copiedHigh);
    if (out.exec(out.dialect().setIdentityHigh(out.schemaOf(d.file), d.name, high)) != sql::Ok)
        return failSql(out, d.fullName() + ": its next record number cannot be kept");
    return true;
}

bool Copier::checkTable(Table& source, Table& target) {
    const TableDecl& d = source.decl();
    const long long have = from_.records(source);
    if (from_.status().code) return failEngine(from_, d.fullName() + " cannot be counted");
    const long long made = to_.records(target);
    if (to_.status().code) return failEngine(to_, d.fullName() + " cannot be counted in the copy");
    if (have != made)
        return fail(FileSystemErr, "The copy was checked and differs: " + d.fullName() + " holds " +
                                       std::to_string(have) + " records, the copy " +
                                       std::to_string(made));
    // The order the records were added in shows every field of every record; each key's
    // walk shows that its index holds the same records in the same order.
    for (int key = -1; key < int(d.keys.size()); ++key)
        if (!walk(source, target, key, have)) return false;
    return true;
}

bool Copier::walk(Table& source, Table& target, int key, long long total) {
    const TableDecl& d = source.decl();
    const std::string keyName = key < 0 ? std::string() : d.keys[std::size_t(key)].description;
    const std::string along = key < 0 ? " in the order records were added" : " along " + keyName;
    report(StoreCopyProgress::Phase::Checking, d, keyName, 0, total);
    if (from_.set(source, key) != 0)
        return failEngine(from_, d.fullName() + " cannot be read" + along);
    if (to_.set(target, key) != 0)
        return failEngine(to_, d.fullName() + " cannot be read in the copy" + along);
    auto differs = [&](long long n, const std::string& what) {
        return fail(FileSystemErr, "The copy was checked and differs: " + d.fullName() + along +
                                       ", record " + std::to_string(n) + ": " + what);
    };
    for (long long n = 1;; ++n) {
        const int a = from_.next(source);
        const int b = to_.next(target);
        if (a != 0 && a != RecordNotAvailableErr)
            return failEngine(from_, d.fullName() + " cannot be read" + along);
        if (b != 0 && b != RecordNotAvailableErr)
            return failEngine(to_, d.fullName() + " cannot be read in the copy" + along);
        if (a == RecordNotAvailableErr && b == RecordNotAvailableErr) break;
        if (a != b)
            return differs(n, a == 0 ? "the copy ends early" : "the copy holds a record more");
        if (source.position().rowid != target.position().rowid)
            return differs(n, "record number " + std::to_string(source.position().rowid) +
                                  " in the store, " + std::to_string(target.position().rowid) +
                                  " in the copy");
        if (source.position().version != target.position().version)
            return differs(n, "the record numbered " + std::to_string(source.position().rowid) +
                                  " has another version");
        if (std::memcmp(source.buffer(), target.buffer(), std::size_t(d.recordSize)) != 0)
            return differs(n, "the record numbered " + std::to_string(source.position().rowid) +
                                  ": " + firstDifference(d, source.buffer(), target.buffer()));
        if (n % kCheckReport == 0) report(StoreCopyProgress::Phase::Checking, d, keyName, n, total);
    }
    report(StoreCopyProgress::Phase::Checking, d, keyName, total, total);
    return true;
}

void Copier::undoTarget() {
    if (toBegun_) to_.rollback();
    toBegun_ = false;
    if (fromBegun_) from_.rollback();
    fromBegun_ = false;
    if (to_.onServer()) {
        // Schemas the copy made go again; without CASCADE, so that nothing else goes with
        // them (the rollback took their tables).
        for (StoreFile f : {StoreFile::USERS, StoreFile::RESDATA})
            if (madeSchema_[int(f)] && to_.connection().isOpen())
                to_.connection().exec("DROP SCHEMA IF EXISTS " + to_.connection().schemaOf(f));
        return;
    }
    for (const std::string& path : madeFiles_) {
        std::error_code ec;
        for (const char* suffix : {"", "-journal"}) fs::remove(path + suffix, ec);
    }
}

}  // namespace

StoreCopyResult copyStore(Engine& from, Engine& to, const StoreCopyOptions& options) {
    return Copier(from, to, options).run();
}

int copyStoreFile(Engine& from, StoreFile f, const std::string& toPath) {
    // A folder of its own beside the backup, so that the copy is a folder's store file as
    // the program makes it; only the finished, checked file takes toPath's place.
    const fs::path target(toPath);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string tmpl = (dir / (target.filename().string() + ".partXXXXXX")).string();
    auto failWith = [&](int os, const std::string& text) {
        from.status().setFileError(os, text);
        return FileSystemErr;
    };
    if (!::mkdtemp(tmpl.data())) return failWith(errno, std::strerror(errno));
    const std::string folder = tmpl;
    int code = 0;
    {
        Engine to(folder, sql::makeFileConnection(folder));
        StoreCopyOptions o;
        o.files = {f};
        o.snapshot = true;
        const StoreCopyResult r = copyStore(from, to, o);
        if (!r.ok()) {
            if (r.code == RecordHeldErr || r.code == TransactionActiveErr)
                from.status().set(r.code);
            else
                failWith(r.code, r.message);
            code =
                r.code == RecordHeldErr || r.code == TransactionActiveErr ? r.code : FileSystemErr;
        }
    }
    if (code == 0) {
        const std::string made = folder + (f == StoreFile::USERS ? "/USERS.TPS" : "/RESDATA.TPS");
        if (std::rename(made.c_str(), toPath.c_str()) != 0)
            code = failWith(errno, std::strerror(errno));
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (code == 0) from.status().clear();
    return code;
}

}  // namespace store

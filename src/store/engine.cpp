#include "engine.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>
#include <unordered_map>
#include <utility>

#include "record_image.h"

namespace store {

namespace {

constexpr const char* kOwnerPassword = "Vortam";
constexpr const char* kCatalog = "tembrix_layout";
constexpr int kFirstPage = 8;
constexpr int kLargestPage = 1024;

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

const char* schemaOf(const TableDecl& d) {
    return d.file == StoreFile::USERS ? "users" : "main";
}

std::string tableRef(const TableDecl& d) {
    return std::string(schemaOf(d)) + "." + quoted(d.name);
}

std::string indexName(const TableDecl& d, const KeyDecl& k) {
    return std::string(d.name) + "_" + k.name;
}

/// Column names of a field: the field's own name, or NAME_1 .. NAME_n for an array.
std::vector<std::string> columnsOf(const FieldDecl& f) {
    if (f.count == 1) return {f.name};
    std::vector<std::string> cols;
    for (int e = 1; e <= f.count; ++e)
        cols.push_back(std::string(f.name) + "_" + std::to_string(e));
    return cols;
}

std::string selectList(const TableDecl& d, const std::string& alias = "") {
    const std::string a = alias.empty() ? "" : alias + ".";
    std::string s = a + "_rid, " + a + "_ver";
    for (const FieldDecl& f : d.fields)
        for (const std::string& c : columnsOf(f)) s += ", " + a + quoted(c);
    return s;
}

/// How many columns selectList gives.
int selectColumns(const TableDecl& d) {
    int n = 2;
    for (const FieldDecl& f : d.fields) n += f.count;
    return n;
}

/// The condition that keeps records with an all-empty key out of a key that excludes
/// them. Index and queries use this very text, so that SQLite sees that the partial
/// index covers the query.
std::string notEmptyCondition(const TableDecl& d, const KeyDecl& k, const std::string& alias = "") {
    std::string s = "NOT (";
    for (std::size_t i = 0; i < k.components.size(); ++i) {
        const FieldDecl& f = d.fields[k.components[i].field];
        if (i) s += " AND ";
        s += (alias.empty() ? "" : alias + ".") + quoted(f.name) +
             (isText(f.type) ? " = ''" : " = 0");
    }
    return s + ")";
}

/// A unique key that leaves empty values out orders its records by the key alone; any
/// other key has the row number as its last component, so that equal keys keep the
/// order in which their records were added.
bool rowidInKey(const KeyDecl& k) {
    return !(k.unique && k.excludesEmpty);
}

/// The order of a key in a direction. The first `skip` components, held equal by the
/// query, are left out: SQLite then sees at once that the index gives the order.
std::string orderBy(const TableDecl& d, int key, int direction, int skip = 0) {
    if (key < 0) return direction > 0 ? "_rid" : "_rid DESC";
    const KeyDecl& k = d.keys[key];
    std::string s;
    for (int i = skip; i < int(k.components.size()); ++i) {
        const KeyComponent& c = k.components[i];
        const bool desc = c.descending != (direction < 0);
        if (!s.empty()) s += ", ";
        s += quoted(d.fields[c.field].name) + (desc ? " DESC" : "");
    }
    if (rowidInKey(k))
        s += std::string(s.empty() ? "" : ", ") + (direction > 0 ? "_rid" : "_rid DESC");
    return s;
}

/// One level of a seek in key order: the first `equal` components equal their values
/// (?1..?equal) and, with `range`, the next component (the row number when all are
/// equal) lies beyond its value (?equal+1) in the direction of reading. A position in a
/// key is left by running the levels from the deepest to 0; each level is one plain
/// index range, whatever the collation or direction of the components.
std::string levelCondition(const TableDecl& d, int key, int direction, int equal, bool range) {
    if (key < 0) return range ? (direction > 0 ? "_rid > ?1" : "_rid < ?1") : "";
    const KeyDecl& k = d.keys[key];
    std::string s;
    for (int i = 0; i < equal; ++i) {
        if (!s.empty()) s += " AND ";
        s += quoted(d.fields[k.components[i].field].name) + " = ?" + std::to_string(i + 1);
    }
    if (range) {
        if (!s.empty()) s += " AND ";
        const std::string param = "?" + std::to_string(equal + 1);
        if (equal < int(k.components.size())) {
            const KeyComponent& c = k.components[equal];
            const bool up = (direction > 0) != c.descending;
            s += quoted(d.fields[c.field].name) + (up ? " > " : " < ") + param;
        } else {
            s += std::string("_rid") + (direction > 0 ? " > " : " < ") + param;
        }
    }
    return s;
}

std::string pageSql(const TableDecl& d, int key, int direction, int equal, bool range) {
    std::string where;
    if (key >= 0 && d.keys[key].excludesEmpty) where = notEmptyCondition(d, d.keys[key]);
    const std::string level = levelCondition(d, key, direction, equal, range);
    if (!level.empty()) where += (where.empty() ? "" : " AND ") + level;
    const std::string order = orderBy(d, key, direction, equal);
    return "SELECT " + selectList(d) + " FROM " + tableRef(d) +
           (where.empty() ? "" : " WHERE " + where) + (order.empty() ? "" : " ORDER BY " + order) +
           " LIMIT ?99";
}

/// Reads the first record whose key equals ?1..?n.
std::string fetchSql(const TableDecl& d, int key) {
    const KeyDecl& k = d.keys[key];
    std::string where = k.excludesEmpty ? notEmptyCondition(d, k) + " AND " : "";
    where += levelCondition(d, key, +1, int(k.components.size()), false);
    // A unique key holds at most one such record: no order to ask for.
    const std::string order = k.unique && k.excludesEmpty ? "" : " ORDER BY _rid";
    return "SELECT " + selectList(d) + " FROM " + tableRef(d) + " WHERE " + where + order +
           " LIMIT 1";
}

std::string createTableSql(const TableDecl& d) {
    std::string s = "CREATE TABLE " + tableRef(d) +
                    " (_rid INTEGER PRIMARY KEY AUTOINCREMENT, _ver INTEGER NOT NULL DEFAULT 1";
    for (int i = 0; i < int(d.fields.size()); ++i) {
        const FieldDecl& f = d.fields[i];
        for (const std::string& c : columnsOf(f)) {
            s += ", " + quoted(c);
            if (isText(f.type))
                s += std::string(" TEXT NOT NULL DEFAULT ''") +
                     (fieldCaseInsensitive(d, i) ? " COLLATE NOCASE" : "");
            else
                s += " INTEGER NOT NULL DEFAULT 0";
        }
    }
    return s + ")";
}

std::string createIndexSql(const TableDecl& d, const KeyDecl& k) {
    std::string s = std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX " + schemaOf(d) +
                    "." + quoted(indexName(d, k)) + " ON " + quoted(d.name) + " (";
    for (std::size_t i = 0; i < k.components.size(); ++i) {
        if (i) s += ", ";
        s += quoted(d.fields[k.components[i].field].name);
        if (k.components[i].descending) s += " DESC";
    }
    s += ")";
    if (k.excludesEmpty) s += " WHERE " + notEmptyCondition(d, k);
    return s;
}

/// Whether the table the file holds has exactly the columns the declaration makes, with
/// their types. SQLite reads a quoted name that is no column as text, so a statement on a
/// table without one of its columns would read (or index) the column's name as its value.
/// SQLITE_OK when they match, SQLITE_NOTFOUND when the table is missing, SQLITE_SCHEMA
/// when it differs (with the first difference in `difference`), or the failing SQLite code.
int checkColumns(sqlite3* db, const TableDecl& d, std::string* difference = nullptr) {
    std::vector<std::pair<std::string, std::string>> want{{"_rid", "INTEGER"}, {"_ver", "INTEGER"}};
    for (const FieldDecl& f : d.fields)
        for (const std::string& c : columnsOf(f))
            want.emplace_back(c, isText(f.type) ? "TEXT" : "INTEGER");
    const std::string sql =
        std::string("PRAGMA ") + schemaOf(d) + ".table_info(" + quoted(d.name) + ")";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) return rc;
    std::vector<std::pair<std::string, std::string>> have;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
        have.emplace_back(name ? name : "", type ? type : "");
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return rc;
    if (have.empty()) return SQLITE_NOTFOUND;
    auto upper = [](std::string s) {
        for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (auto* list : {&want, &have})
        for (auto& [name, type] : *list) name = upper(name), type = upper(type);
    auto find = [](const auto& list, const std::string& name) {
        return std::find_if(list.begin(), list.end(),
                            [&](const auto& c) { return c.first == name; });
    };
    // The first difference in the declaration's order, then a column it does not declare.
    std::string found;
    for (const auto& [name, type] : want) {
        const auto it = find(have, name);
        if (it == have.end())
            found = "column " + name + " is missing";
        else if (it->second != type)
            found = "column " + name + " is of type " + (it->second.empty() ? "none" : it->second) +
                    " instead of " + type;
        if (!found.empty()) break;
    }
    for (std::size_t i = 0; found.empty() && i < have.size(); ++i)
        if (find(want, have[i].first) == want.end())
            found = "column " + have[i].first + " is not one of its own";
    if (found.empty() && have.size() != want.size()) found = "a column appears twice";
    if (found.empty()) return SQLITE_OK;
    if (difference) *difference = found;
    return SQLITE_SCHEMA;
}

const char* typeName(FieldType t) {
    switch (t) {
        case FieldType::LONG:
            return "LONG";
        case FieldType::SHORT:
            return "SHORT";
        case FieldType::BYTE:
            return "BYTE";
        case FieldType::STRING:
            return "STRING";
        case FieldType::MEMO:
            return "MEMO";
    }
    return "?";
}

}  // namespace

std::string Engine::layoutSignature(const TableDecl& d) {
    std::string s = std::string(d.name) + "/" + std::to_string(d.recordSize) + ":";
    for (const FieldDecl& f : d.fields) {
        s += std::string(f.name) + " " + typeName(f.type) + "(" + std::to_string(f.width) + ")";
        if (f.count > 1) s += "x" + std::to_string(f.count);
        s += "@" + std::to_string(f.offset) + ";";
    }
    for (const KeyDecl& k : d.keys) {
        s += std::string("|") + k.name + "(";
        for (const KeyComponent& c : k.components)
            s += std::string(d.fields[c.field].name) + (c.descending ? "-" : "+");
        s += ")";
        s += k.unique ? "U" : "D";
        s += k.primary ? "P" : "";
        s += k.excludesEmpty ? "E" : "";
        s += k.caseInsensitive ? "I" : "X";
    }
    return s;
}

// ---------------------------------------------------------------------------------------

Table::Table(const TableDecl& decl)
    : decl_(decl),
      buffer_(new std::byte[decl.recordSize]),
      cursorRecord_(new std::byte[decl.recordSize]) {
    clearBuffer();
}

Table::~Table() {
    if (engine_) engine_->forget(*this);
}

void Table::clearBuffer() {
    clearRecord(decl_, buffer_.get());
}

// ---------------------------------------------------------------------------------------

struct Engine::Impl {
    sqlite3* db = nullptr;
    bool usersAttached = false;
    std::unordered_map<std::string, sqlite3_stmt*> statements;
    std::vector<Table*> tables;  // every table this engine has opened

    /// What a transaction wrote, so that a rollback can put the read positions back.
    struct Written {
        Table* table;
        long long rowid;
        long long oldVersion;  // 0 for a record the transaction added
    };
    std::vector<Written> journal;

    ~Impl() {
        for (auto& [sql, st] : statements) sqlite3_finalize(st);
        if (db) sqlite3_close(db);
    }

    sqlite3_stmt* statement(const std::string& sql) {
        auto it = statements.find(sql);
        if (it != statements.end()) return it->second;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK)
            return nullptr;
        statements.emplace(sql, st);
        return st;
    }
    /// The statement of one kind of access to a table, its text built only the first
    /// time: a fetch or a step of a walk then costs no string work at all.
    template <class MakeSql>
    sqlite3_stmt* statement(Table& t, std::uint32_t kind, MakeSql&& makeSql) {
        auto it = t.statements_.find(kind);
        if (it != t.statements_.end()) return static_cast<sqlite3_stmt*>(it->second);
        sqlite3_stmt* st = statement(makeSql());
        if (st) t.statements_.emplace(kind, st);
        return st;
    }
    /// SQL that takes a file's write lock and changes nothing: a delete of no row from one
    /// of its tables, the layout catalog where there is one; empty while the file holds no
    /// table. Read outside any transaction.
    std::string writeLockSql(int file, const char* schema) {
        if (!lockSql[file].empty()) return lockSql[file];
        const std::string q = std::string("SELECT name FROM ") + schema +
                              ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
                              "ESCAPE '!' ORDER BY name <> '" +
                              kCatalog + "', name LIMIT 1";
        sqlite3_stmt* st = nullptr;
        std::string name;
        if (sqlite3_prepare_v2(db, q.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        if (name.empty()) return {};
        const std::string sql =
            std::string("DELETE FROM ") + schema + "." + quoted(std::as_const(name)) + " WHERE 0";
        // The catalog stays for good; any other table may be replaced, so it is looked up
        // again next time.
        if (name == kCatalog) lockSql[file] = sql;
        return sql;
    }
    std::string lockSql[2];

    void forgetStatements() {
        for (Table* t : tables) t->statements_.clear();
        for (auto& [sql, st] : statements) sqlite3_finalize(st);
        statements.clear();
    }
};

namespace {

/// The kinds of statement kept per table, with what tells two of a kind apart.
enum StatementKind : std::uint32_t {
    PageOf = 1,
    FetchOf,
    RegetOf,
    InsertOf,
    UpdateOf,
    DeleteOf,
    ExistsOf
};

std::uint32_t pageKind(int key, int direction, int equal, bool range) {
    return PageOf | std::uint32_t(key + 1) << 4 | std::uint32_t(direction > 0) << 12 |
           std::uint32_t(equal) << 13 | std::uint32_t(range) << 20;
}

/// Binds the values of key components (?1..?n) from a record image.
void bindKey(sqlite3_stmt* st, const TableDecl& d, const KeyDecl& k, const std::byte* rec,
             int components = -1) {
    int p = 1;
    const int n = components < 0 ? int(k.components.size()) : components;
    for (int i = 0; i < n; ++i) {
        const FieldDecl& f = d.fields[k.components[i].field];
        if (isText(f.type)) {
            std::string_view v = getText(f, rec);
            sqlite3_bind_text(st, p++, v.data(), int(v.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(st, p++, getNumber(f, rec));
        }
    }
}

/// Binds every field of a record image, starting at parameter `first`; returns the next.
int bindRecord(sqlite3_stmt* st, const TableDecl& d, const std::byte* rec, int first) {
    int p = first;
    for (const FieldDecl& f : d.fields) {
        for (int e = 0; e < f.count; ++e) {
            if (isText(f.type)) {
                std::string_view v = getText(f, rec, e);
                sqlite3_bind_text(st, p++, v.data(), int(v.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(st, p++, getNumber(f, rec, e));
            }
        }
    }
    return p;
}

/// Reads the current row (columns _rid, _ver, fields..., from column `first`) into a
/// record image.
RecordPosition readRow(sqlite3_stmt* st, const TableDecl& d, std::byte* rec, int first = 0) {
    int col = first + 2;
    for (const FieldDecl& f : d.fields) {
        for (int e = 0; e < f.count; ++e, ++col) {
            if (isText(f.type)) {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
                const int n = sqlite3_column_bytes(st, col);
                setText(f, rec, std::string_view(text ? text : "", text ? n : 0), e);
            } else {
                setNumber(f, rec, sqlite3_column_int64(st, col), e);
            }
        }
    }
    return {sqlite3_column_int64(st, first), sqlite3_column_int64(st, first + 1)};
}

/// The column of the current row that holds a field's first element.
int columnOf(const TableDecl& d, int field, int first = 0) {
    int col = first + 2;
    for (int i = 0; i < field; ++i) col += d.fields[i].count;
    return col;
}

/// What a stored value is, in words, for a message about a value that does not fit.
std::string describeValue(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_NULL:
            return "no value";
        case SQLITE_BLOB:
            return "binary data";
        case SQLITE_TEXT: {
            std::string v(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                          std::size_t(sqlite3_column_bytes(st, col)));
            if (v.size() > 20) v = v.substr(0, 20) + "...";
            return "the text '" + v + "'";
        }
        default:
            return reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    }
}

/// Empty when every value of the current row fits its field; else what is wrong with the
/// first that does not ("DAT:DATE holds 5000000000"). A value that does not fit is never
/// cut down to fit: it would be read as another value, and a walk that goes on from it
/// would come back to it for ever.
std::string misfitOf(sqlite3_stmt* st, const TableDecl& d, int first = 0) {
    int col = first + 2;
    for (const FieldDecl& f : d.fields) {
        for (int e = 0; e < f.count; ++e, ++col) {
            const int type = sqlite3_column_type(st, col);
            bool fits;
            if (isText(f.type)) {
                fits = type == SQLITE_TEXT && sqlite3_column_bytes(st, col) <= f.width;
            } else {
                const long long v = sqlite3_column_int64(st, col);
                const long long low = f.type == FieldType::LONG    ? INT32_MIN
                                      : f.type == FieldType::SHORT ? INT16_MIN
                                                                   : 0;
                const long long high = f.type == FieldType::LONG    ? INT32_MAX
                                       : f.type == FieldType::SHORT ? INT16_MAX
                                                                    : UINT8_MAX;
                fits = type == SQLITE_INTEGER && v >= low && v <= high;
            }
            if (fits) continue;
            std::string name = std::string(d.prefix) + ":" + f.name;
            if (f.count > 1) name += "_" + std::to_string(e + 1);
            const std::string what =
                isText(f.type) && type == SQLITE_TEXT
                    ? "a text of " + std::to_string(sqlite3_column_bytes(st, col)) +
                          " characters, longer than its " + std::to_string(f.width)
                    : describeValue(st, col);
            return "Damaged data: " + name + " holds " + what + ", which does not fit the field";
        }
    }
    return {};
}

/// What SQLite's planner makes of a statement, one line per step.
std::string planOf(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &st, nullptr) !=
        SQLITE_OK)
        return std::string("error: ") + sqlite3_errmsg(db);
    std::string plan;
    while (sqlite3_step(st) == SQLITE_ROW)
        plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + "\n";
    sqlite3_finalize(st);
    return plan;
}

/// The statement of a JoinQuery: the outer table drives (CROSS JOIN keeps that order), held
/// at its key value; the inner table is reached through its linked fields, and the lookup
/// table, when there is one, through its key (a LEFT JOIN: a pair without it still counts).
std::string joinSql(const TableDecl& o, const TableDecl& i, const JoinQuery& q,
                    const TableDecl* l) {
    const KeyDecl& k = o.keys[q.outerKey];
    std::string on;
    for (const auto& [of, inf] : q.links) {
        if (!on.empty()) on += " AND ";
        on += "i." + quoted(i.field(inf).name) + " = o." + quoted(o.field(of).name);
    }
    std::string where = k.excludesEmpty ? notEmptyCondition(o, k, "o") : "";
    const KeyDecl& ik = i.keys[q.innerKey];
    if (ik.excludesEmpty) where += (where.empty() ? "" : " AND ") + notEmptyCondition(i, ik, "i");
    for (int c = 0; c < q.outerEqual; ++c) {
        if (!where.empty()) where += " AND ";
        where +=
            "o." + quoted(o.fields[k.components[c].field].name) + " = ?" + std::to_string(c + 1);
    }
    if (q.rangeField.valid()) {
        const std::string f = "i." + quoted(i.field(q.rangeField).name);
        where += (where.empty() ? "" : " AND ") + f + " >= ?90 AND " + f + " <= ?91";
    }
    if (q.outerRangeField.valid()) {
        const std::string f = "o." + quoted(o.field(q.outerRangeField).name);
        where += (where.empty() ? "" : " AND ") + f + " >= ?92 AND " + f + " <= ?93";
    }
    std::string lookup;
    if (l) {
        std::string lon;
        for (const auto& [of, lf] : q.lookupLinks) {
            if (!lon.empty()) lon += " AND ";
            lon += "l." + quoted(l->field(lf).name) + " = o." + quoted(o.field(of).name);
        }
        const KeyDecl& lk = l->keys[q.lookupKey];
        if (lk.excludesEmpty) lon += " AND " + notEmptyCondition(*l, lk, "l");
        lookup = " LEFT JOIN " + tableRef(*l) + " AS l ON " + lon;
    }
    return "SELECT " + selectList(o, "o") + ", " + selectList(i, "i") +
           (l ? ", " + selectList(*l, "l") : "") + " FROM " + tableRef(o) + " AS o CROSS JOIN " +
           tableRef(i) + " AS i ON " + on + lookup + (where.empty() ? "" : " WHERE " + where);
}

/// The records of a key whose first component lies in [?1, ?2]. The key's own condition
/// comes first, word for word, so that SQLite can use its (partial) index.
std::string rangeWhere(const TableDecl& d, int key) {
    const KeyDecl& k = d.keys[key];
    const std::string f = quoted(d.fields[k.components[0].field].name);
    return (k.excludesEmpty ? notEmptyCondition(d, k) + " AND " : "") + f + " >= ?1 AND " + f +
           " <= ?2";
}

/// The records of `t` that no record of `o` links to: one index probe into `o` per record
/// of `t`, through the other key's index (its condition repeated for the partial index).
std::string unlinkedWhere(const TableDecl& t, const TableDecl& o, const Unlinked& q) {
    std::string where;
    const KeyDecl& k = o.keys[q.otherKey];
    if (k.excludesEmpty) where = notEmptyCondition(o, k, "o");
    for (const auto& [tf, of] : q.links) {
        if (!where.empty()) where += " AND ";
        where +=
            "o." + quoted(o.field(of).name) + " = " + tableRef(t) + "." + quoted(t.field(tf).name);
    }
    if (q.rangeField.valid()) {
        const std::string f = "o." + quoted(o.field(q.rangeField).name);
        where += (where.empty() ? "" : " AND ") + f + " >= ?1 AND " + f + " <= ?2";
    }
    return "NOT EXISTS (SELECT 1 FROM " + tableRef(o) + " AS o WHERE " + where + ")";
}

}  // namespace

Engine::Engine(std::string folder, EngineOptions options)
    : folder_(std::move(folder)), options_(options), d_(new Impl) {}

Engine::~Engine() {
    for (Table* t : d_->tables) {
        t->engine_ = nullptr;
        t->statements_.clear();
    }
}

void Engine::forget(Table& t) {
    d_->tables.erase(std::remove(d_->tables.begin(), d_->tables.end(), &t), d_->tables.end());
}

std::string Engine::pathOf(StoreFile f) const {
    std::string dir = folder_.empty() ? std::string(".") : folder_;
    if (dir.back() != '/') dir += '/';
    return dir + (f == StoreFile::USERS ? "USERS.TPS" : "RESDATA.TPS");
}

bool Engine::writable() const {
    if (options_.readOnly) return false;
    // A folder that is not there is reported when its files are made.
    const std::string dir = folder_.empty() ? std::string(".") : folder_;
    if (::access(dir.c_str(), W_OK) != 0 && errno != ENOENT) return false;
    for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
        const std::string path = pathOf(f);
        if (fileExists(path) && ::access(path.c_str(), W_OK) != 0) return false;
    }
    return true;
}

int Engine::fail(int code) {
    status_.set(code);
    return code;
}

int Engine::failSql(int rc, bool forWrite) {
    const int primary = rc & 0xff;
    std::string msg = d_->db ? sqlite3_errmsg(d_->db) : sqlite3_errstr(rc);
    switch (primary) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return fail(RecordHeldErr);
        case SQLITE_CONSTRAINT:
            return fail(DupKeyErr);
        case SQLITE_READONLY:
            return fail(AccessDeniedErr);
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN:
        case SQLITE_FULL:
        case SQLITE_PERM: {
            const int os = d_->db ? sqlite3_system_errno(d_->db) : 0;
            if (os == EACCES || os == EROFS) {
                if (forWrite) return fail(AccessDeniedErr);
            }
            if (os != 0)
                status_.setFileError(os, std::strerror(os));
            else
                status_.setFileError(primary, msg);
            return FileSystemErr;
        }
        default:
            // A file that is not a store, is damaged, or cannot be decrypted: the
            // engine's own code and text stand in for the system's.
            status_.setFileError(primary, msg);
            return FileSystemErr;
    }
}

int Engine::connect(bool create) {
    if (d_->db) return 0;
    const std::string path = pathOf(StoreFile::RESDATA);
    if (!fileExists(path)) {
        if (!create) return fail(FileNotFoundErr);
        if (options_.readOnly) return fail(AccessDeniedErr);
    }
    const char* mode = options_.readOnly ? "ro" : (create ? "rwc" : "rw");
    // The mode in the file name decides whether RESDATA.TPS may be made; the flags only
    // bound what any file of the connection may do, and USERS.TPS, attached later, may
    // have to be made even when RESDATA.TPS was there already.
    int flags =
        SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX |
        (options_.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(uriOf(path, mode).c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int os = db ? sqlite3_system_errno(db) : 0;
        if (os)
            status_.setFileError(os, std::strerror(os));
        else
            status_.setFileError(rc, sqlite3_errstr(rc));
        sqlite3_close(db);
        return FileSystemErr;
    }
    d_->db = db;
    sqlite3_busy_timeout(db, lockWait_ * 1000);
    sqlite3_exec(db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
    status_.clear();
    return 0;
}

int Engine::attachUsers(bool create) {
    if (d_->usersAttached) return 0;
    const std::string path = pathOf(StoreFile::USERS);
    if (!fileExists(path)) {
        if (!create) return fail(FileNotFoundErr);
        if (options_.readOnly) return fail(AccessDeniedErr);
    }
    const char* mode = options_.readOnly ? "ro" : (create ? "rwc" : "rw");
    const std::string uri = uriOf(path, mode);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(d_->db, "ATTACH DATABASE ?1 AS users KEY ?2", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, kOwnerPassword, -1, SQLITE_STATIC);
        rc = sqlite3_step(st);
    }
    if (rc != SQLITE_DONE) {
        int code = failSql(rc, false);
        // SQLite's own text names the file by the URI it was given ("file:...?mode=rw"):
        // the general text of the code says the same without it.
        if (code == FileSystemErr && status_.fileText.find(uri) != std::string::npos)
            status_.fileText = sqlite3_errstr(rc);
        sqlite3_finalize(st);
        return code;
    }
    sqlite3_finalize(st);
    // A file written without the owner password may attach and then read as empty;
    // one of ours that holds anything always holds its catalog.
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && info.st_size > 0) {
        rc = sqlite3_prepare_v2(d_->db, "SELECT count(*) FROM users.sqlite_master", -1, &st,
                                nullptr);
        long long objects = -1;
        if (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW)
            objects = sqlite3_column_int64(st, 0), rc = SQLITE_OK;
        sqlite3_finalize(st);
        if (rc != SQLITE_OK || objects == 0) {
            if (rc == SQLITE_OK) rc = SQLITE_NOTADB;
            int code = failSql(rc, false);
            if (rc == SQLITE_NOTADB && status_.fileText.empty() == false)
                status_.fileText = sqlite3_errstr(SQLITE_NOTADB);
            sqlite3_exec(d_->db, "DETACH DATABASE users", nullptr, nullptr, nullptr);
            return code;
        }
    }
    // Cached statements were prepared against the schema without USERS.
    d_->forgetStatements();
    d_->usersAttached = true;
    removeStaleSuperJournals();
    status_.clear();
    return 0;
}

void Engine::setLockWait(int seconds) {
    lockWait_ = seconds;
    if (d_->db && !inTransaction_) sqlite3_busy_timeout(d_->db, seconds * 1000);
}

int Engine::open(Table& t, bool write) {
    const TableDecl& d = t.decl();
    if (int rc = connect(false)) return rc;
    if (d.file == StoreFile::USERS)
        if (int rc = attachUsers(false)) return rc;
    if (write && (options_.readOnly || sqlite3_db_readonly(d_->db, schemaOf(d)) == 1))
        return fail(AccessDeniedErr);

    // What the file holds of this table: the table, its indexes, the catalog entry.
    const std::string sql = std::string("SELECT type, name FROM ") + schemaOf(d) +
                            ".sqlite_master WHERE tbl_name = ?1 OR name = ?2";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(d_->db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) return failSql(rc, false);
    sqlite3_bind_text(st, 1, d.name, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, kCatalog, -1, SQLITE_STATIC);
    bool hasTable = false, hasCatalog = false;
    std::vector<std::string> indexes;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        if (name == kCatalog && type == "table") hasCatalog = true;
        if (name == d.name && type == "table") hasTable = true;
        if (type == "index") indexes.push_back(name);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return failSql(rc, false);
    if (!hasTable) return fail(FileNotFoundErr);

    std::string stored;
    if (hasCatalog) {
        const std::string q =
            std::string("SELECT layout FROM ") + schemaOf(d) + "." + kCatalog + " WHERE name = ?1";
        rc = sqlite3_prepare_v2(d_->db, q.c_str(), -1, &st, nullptr);
        if (rc != SQLITE_OK) return failSql(rc, false);
        sqlite3_bind_text(st, 1, d.name, -1, SQLITE_STATIC);
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) stored = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failSql(rc, false);
    }
    if (stored != layoutSignature(d)) return fail(InvalidRecordDeclarationErr);
    for (const KeyDecl& k : d.keys) {
        if (std::find(indexes.begin(), indexes.end(), indexName(d, k)) == indexes.end())
            return fail(KeysMustBeRebuiltErr);
    }
    // The catalogue says what layout was written, the table's columns what is there: a
    // column lost or renamed by hand would otherwise read back as its own name.
    std::string difference;
    switch (rc = checkColumns(d_->db, d, &difference)) {
        case SQLITE_OK:
            break;
        case SQLITE_SCHEMA:
            fail(InvalidRecordDeclarationErr);
            status_.detail = difference;
            return InvalidRecordDeclarationErr;
        default:
            return failSql(rc, false);
    }

    t.open_ = true;
    t.readOnly_ = !write;
    if (std::find(d_->tables.begin(), d_->tables.end(), &t) == d_->tables.end())
        d_->tables.push_back(&t);
    t.engine_ = this;
    status_.clear();
    return 0;
}

int Engine::create(Table& t) {
    const TableDecl& d = t.decl();
    if (int rc = connect(true)) return rc;
    if (d.file == StoreFile::USERS)
        if (int rc = attachUsers(true)) return rc;
    if (options_.readOnly || sqlite3_db_readonly(d_->db, schemaOf(d)) == 1)
        return fail(AccessDeniedErr);

    // A savepoint makes the table, its keys and its catalog entry one change, whether or
    // not a transaction is running; a table that another station created first is kept.
    auto exec = [&](const std::string& sql) {
        return sqlite3_exec(d_->db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    int rc = exec("SAVEPOINT tembrix_create");
    if (rc != SQLITE_OK) return failSql(rc, true);
    std::string check = std::string("SELECT count(*) FROM ") + schemaOf(d) +
                        ".sqlite_master WHERE type = 'table' AND name = '" + d.name + "'";
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(d_->db, check.c_str(), -1, &st, nullptr);
    bool exists = false;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) exists = sqlite3_column_int(st, 0) > 0, rc = SQLITE_OK;
        sqlite3_finalize(st);
    }
    if (rc == SQLITE_OK && !exists) {
        rc = exec(std::string("CREATE TABLE IF NOT EXISTS ") + schemaOf(d) + "." + kCatalog +
                  " (name TEXT PRIMARY KEY, layout TEXT NOT NULL)");
        if (rc == SQLITE_OK) rc = exec(createTableSql(d));
        for (const KeyDecl& k : d.keys)
            if (rc == SQLITE_OK) rc = exec(createIndexSql(d, k));
        if (rc == SQLITE_OK) rc = writeCatalog(schemaOf(d), d.name, layoutSignature(d));
    }
    return endSavepoint("tembrix_create", rc);
}

int Engine::writeCatalog(const std::string& schema, const char* name, const std::string& layout) {
    sqlite3_stmt* st = nullptr;
    const std::string sql =
        "INSERT OR REPLACE INTO " + schema + "." + kCatalog + " (name, layout) VALUES (?1, ?2)";
    int rc = sqlite3_prepare_v2(d_->db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) return rc;
    sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, layout.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(d_->db);
    sqlite3_finalize(st);
    return rc;
}

int Engine::endSavepoint(const char* name, int rc) {
    auto exec = [&](const std::string& sql) {
        return sqlite3_exec(d_->db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    if (rc != SQLITE_OK) {
        const int code = failSql(rc, true);
        exec(std::string("ROLLBACK TO ") + name);
        exec(std::string("RELEASE ") + name);
        return code;
    }
    rc = exec(std::string("RELEASE ") + name);
    if (rc != SQLITE_OK) {
        const int code = failSql(rc, true);
        if (!inTransaction_) exec("ROLLBACK");
        return code;
    }
    status_.clear();
    return 0;
}

void Engine::close(Table& t) {
    t.open_ = false;
    t.cursor_ = Table::CursorState::None;
    dropPage(t);
}

int Engine::buildKeys(Table& t) {
    const TableDecl& d = t.decl();
    if (int rc = connect(false)) return rc;
    if (d.file == StoreFile::USERS)
        if (int rc = attachUsers(false)) return rc;
    std::string difference;
    switch (int rc = checkColumns(d_->db, d, &difference)) {
        case SQLITE_OK:
            break;
        case SQLITE_NOTFOUND:
            return fail(FileNotFoundErr);
        case SQLITE_SCHEMA:
            fail(InvalidRecordDeclarationErr);
            status_.detail = difference;
            return InvalidRecordDeclarationErr;
        default:
            return failSql(rc, false);
    }
    auto exec = [&](const std::string& sql) {
        return sqlite3_exec(d_->db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    int rc = exec("SAVEPOINT tembrix_keys");
    for (const KeyDecl& k : d.keys) {
        if (rc == SQLITE_OK)
            rc = exec(std::string("DROP INDEX IF EXISTS ") + schemaOf(d) + "." +
                      quoted(indexName(d, k)));
        if (rc == SQLITE_OK) rc = exec(createIndexSql(d, k));
    }
    if (rc != SQLITE_OK) {
        int code = failSql(rc, true);
        exec("ROLLBACK TO tembrix_keys");
        exec("RELEASE tembrix_keys");
        return code;
    }
    rc = exec("RELEASE tembrix_keys");
    if (rc != SQLITE_OK) return failSql(rc, true);
    d_->forgetStatements();
    status_.clear();
    return 0;
}

int Engine::dropKeys(Table& t) {
    const TableDecl& d = t.decl();
    if (!d_->db) return fail(FileNotOpenErr);
    for (const KeyDecl& k : d.keys) {
        std::string sql =
            std::string("DROP INDEX IF EXISTS ") + schemaOf(d) + "." + quoted(indexName(d, k));
        int rc = sqlite3_exec(d_->db, sql.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return failSql(rc, true);
    }
    d_->forgetStatements();
    status_.clear();
    return 0;
}

int Engine::connectFile(StoreFile f, bool create) {
    if (int rc = connect(create)) return rc;
    if (f == StoreFile::USERS) return attachUsers(create);
    status_.clear();
    return 0;
}

int Engine::checkFiles() {
    if (!d_->db) return fail(FileNotOpenErr);
    if (int rc = checkFile(StoreFile::RESDATA)) return rc;
    if (d_->usersAttached)
        if (int rc = checkFile(StoreFile::USERS)) return rc;
    status_.clear();
    return 0;
}

int Engine::checkFile(StoreFile f) {
    if (!d_->db || (f == StoreFile::USERS && !d_->usersAttached)) return fail(FileNotOpenErr);
    const char* schema = f == StoreFile::USERS ? "users" : "main";
    sqlite3_stmt* st = nullptr;
    const std::string sql = std::string("PRAGMA ") + schema + ".quick_check";
    int rc = sqlite3_prepare_v2(d_->db, sql.c_str(), -1, &st, nullptr);
    std::string problem;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const char* line = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            if (problem.empty() && line && std::strcmp(line, "ok") != 0) problem = line;
        }
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_OK) return failSql(rc, false);
    if (!problem.empty()) {
        status_.setFileError(SQLITE_CORRUPT, problem);
        return FileSystemErr;
    }
    status_.clear();
    return 0;
}

int Engine::holdsRecords(StoreFile f, bool& holds) {
    holds = false;
    if (!fileExists(pathOf(f))) return status_.clear(), 0;
    if (int rc = connectFile(f, false)) return rc;
    const std::string schema = f == StoreFile::USERS ? "users" : "main";
    const std::string q = "SELECT name FROM " + schema +
                          ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
                          "ESCAPE '!' AND name <> '" +
                          kCatalog + "'";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(d_->db, q.c_str(), -1, &st, nullptr);
    std::vector<std::string> names;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    if (rc != SQLITE_DONE) return failSql(rc, false);
    for (const std::string& name : names) {
        rc = sqlite3_prepare_v2(
            d_->db, ("SELECT 1 FROM " + schema + "." + quoted(name) + " LIMIT 1").c_str(), -1, &st,
            nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            sqlite3_finalize(st);
        }
        if (rc == SQLITE_ROW) {
            holds = true;
            break;
        }
        if (rc != SQLITE_DONE) return failSql(rc, false);
    }
    status_.clear();
    return 0;
}

namespace {

/// What a stored value is, as a user reads it: "the text \"abc\"", "the number 1.5".
std::string storedValueText(sqlite3_stmt* st, int col) {
    switch (sqlite3_column_type(st, col)) {
        case SQLITE_INTEGER:
            return "the number " + std::to_string(sqlite3_column_int64(st, col));
        case SQLITE_FLOAT: {
            char text[40];
            std::snprintf(text, sizeof text, "%.10g", sqlite3_column_double(st, col));
            return std::string("the number ") + text;
        }
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
            std::string text(p ? p : "", std::size_t(sqlite3_column_bytes(st, col)));
            if (text.size() > 30) text = text.substr(0, 30) + "...";
            return "the text \"" + text + "\"";
        }
        case SQLITE_BLOB:
            return "binary data of " + std::to_string(sqlite3_column_bytes(st, col)) + " bytes";
        default:
            return "no value";
    }
}

/// True when the stored value fits the field as a record buffer holds it.
bool valueFits(const FieldDecl& f, sqlite3_stmt* st, int col) {
    const int type = sqlite3_column_type(st, col);
    if (isText(f.type)) return type == SQLITE_TEXT && sqlite3_column_bytes(st, col) <= f.width;
    if (type != SQLITE_INTEGER) return false;
    const long long v = sqlite3_column_int64(st, col);
    switch (f.type) {
        case FieldType::LONG:
            return v >= INT32_MIN && v <= INT32_MAX;
        case FieldType::SHORT:
            return v >= INT16_MIN && v <= INT16_MAX;
        case FieldType::BYTE:
            return v >= 0 && v <= UINT8_MAX;
        default:
            return false;
    }
}

}  // namespace

int Engine::findUnfitValue(Table& t, UnfitValue& unfit) {
    unfit = UnfitValue{};
    const TableDecl& d = t.decl();
    if (!t.open_ || !d_->db) return fail(FileNotOpenErr);
    switch (int rc = checkColumns(d_->db, d)) {
        case SQLITE_OK:
            break;
        case SQLITE_NOTFOUND:
            return fail(FileNotFoundErr);
        case SQLITE_SCHEMA:
            return fail(InvalidRecordDeclarationErr);
        default:
            return failSql(rc, false);
    }
    const std::string sql = "SELECT " + selectList(d) + " FROM " + tableRef(d) + " ORDER BY _rid";
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(d_->db, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) return failSql(rc, false);
    long long record = 0;
    while (unfit.record == 0 && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++record;
        int col = 2;
        for (const FieldDecl& f : d.fields) {
            for (int e = 1; e <= f.count && unfit.record == 0; ++e, ++col) {
                if (valueFits(f, st, col)) continue;
                unfit.record = record;
                unfit.field = f.count == 1 ? f.name : f.name + ("_" + std::to_string(e));
                unfit.found = storedValueText(st, col);
            }
        }
    }
    sqlite3_finalize(st);
    if (unfit.record == 0 && rc != SQLITE_DONE) return failSql(rc, false);
    status_.clear();
    return 0;
}

int Engine::replaceTable(Table& from, const TableDecl& target) {
    const TableDecl& d = from.decl();
    // The signatures without the stored names: the same fields, offsets and keys.
    const std::string have = layoutSignature(d), want = layoutSignature(target);
    if (d.file != target.file || std::strcmp(d.name, target.name) == 0 ||
        have.substr(have.find('/')) != want.substr(want.find('/')))
        return fail(InvalidRecordDeclarationErr);
    if (!d_->db) return fail(FileNotOpenErr);
    if (options_.readOnly || sqlite3_db_readonly(d_->db, schemaOf(d)) == 1)
        return fail(AccessDeniedErr);

    // Statements prepared on either table would keep it from being dropped or renamed.
    d_->forgetStatements();
    for (Table* t : d_->tables) {
        if (t->decl().file == d.file && (std::strcmp(t->decl().name, d.name) == 0 ||
                                         std::strcmp(t->decl().name, target.name) == 0))
            close(*t);
    }
    auto exec = [&](const std::string& sql) {
        return sqlite3_exec(d_->db, sql.c_str(), nullptr, nullptr, nullptr);
    };
    const std::string schema = schemaOf(d);
    int rc = exec("SAVEPOINT tembrix_replace");
    if (rc == SQLITE_OK) rc = exec("DROP TABLE IF EXISTS " + tableRef(target));
    for (const KeyDecl& k : d.keys)
        if (rc == SQLITE_OK)
            rc = exec("DROP INDEX IF EXISTS " + schema + "." + quoted(indexName(d, k)));
    if (rc == SQLITE_OK)
        rc = exec("ALTER TABLE " + tableRef(d) + " RENAME TO " + quoted(target.name));
    for (const KeyDecl& k : target.keys)
        if (rc == SQLITE_OK) rc = exec(createIndexSql(target, k));
    if (rc == SQLITE_OK)
        rc = exec("CREATE TABLE IF NOT EXISTS " + schema + "." + kCatalog +
                  " (name TEXT PRIMARY KEY, layout TEXT NOT NULL)");
    sqlite3_stmt* st = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(
            d_->db, ("DELETE FROM " + schema + "." + kCatalog + " WHERE name = ?1").c_str(), -1,
            &st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(st, 1, d.name, -1, SQLITE_STATIC);
        rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(d_->db);
        sqlite3_finalize(st);
    }
    if (rc == SQLITE_OK) rc = writeCatalog(schema, target.name, want);
    return endSavepoint("tembrix_replace", rc);
}

long long Engine::records(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr), 0;
    sqlite3_stmt* st = d_->statement("SELECT count(*) FROM " + tableRef(t.decl()));
    if (!st) return failSql(sqlite3_errcode(d_->db), false), 0;
    long long n = 0;
    int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) n = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    if (rc != SQLITE_ROW) return failSql(rc, false), 0;
    status_.clear();
    return n;
}

// --- reading ---------------------------------------------------------------------------

void Engine::dropPage(Table& t) {
    t.pageDirection_ = 0;
    t.page_.clear();
    t.pagePositions_.clear();
    t.pageKeys_.clear();
    t.pageFault_.clear();
    t.pageNext_ = 0;
    t.pageExhausted_ = false;
}

int Engine::set(Table& t, int key) {
    if (!t.open_) return fail(FileNotOpenErr);
    t.cursor_ = Table::CursorState::AtStart;
    t.cursorKey_ = key < int(t.decl().keys.size()) ? key : -1;
    t.cursorStored_ = false;
    t.pageLimit_ = kFirstPage / 2;
    dropPage(t);
    status_.clear();
    return 0;
}

int Engine::setAtValue(Table& t, int key, int components) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (key >= int(t.decl().keys.size())) key = -1;
    t.cursor_ = key < 0 ? Table::CursorState::AtStart : Table::CursorState::AtValue;
    t.cursorKey_ = key;
    t.cursorComponents_ = key < 0 || components < 0
                              ? -1
                              : std::min(components, int(t.decl().keys[key].components.size()));
    std::memcpy(t.cursorRecord_.get(), t.buffer(), t.recordSize());
    t.cursorStored_ = false;
    t.pageLimit_ = kFirstPage / 2;
    dropPage(t);
    status_.clear();
    return 0;
}

int Engine::setAt(Table& t, int key, const std::byte* record, RecordPosition p) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (key >= int(t.decl().keys.size())) key = -1;
    t.cursor_ = Table::CursorState::After;
    t.cursorKey_ = key;
    t.cursorComponents_ = -1;
    std::memcpy(t.cursorRecord_.get(), record, t.recordSize());
    t.cursorRowid_ = p.rowid;
    t.cursorStored_ = false;
    t.pageLimit_ = kFirstPage / 2;
    dropPage(t);
    status_.clear();
    return 0;
}

int Engine::fetchPage(Table& t, int direction) {
    const TableDecl& d = t.decl();
    const int key = t.cursorKey_;
    const int limit =
        t.pageDirection_ == direction ? std::min(t.pageLimit_ * 2, kLargestPage) : kFirstPage;
    t.page_.resize(std::size_t(limit) * t.recordSize());
    t.pagePositions_.clear();
    t.pageKeys_.clear();
    t.pageFault_.clear();
    const int n = key < 0 ? 0 : int(d.keys[key].components.size());
    std::vector<int> keyColumns;
    for (int i = 0; i < n; ++i) keyColumns.push_back(columnOf(d, d.keys[key].components[i].field));

    // Binds key component i as parameter `param`: the value the file held for the record
    // last read, else the cursor record's.
    auto bindComponent = [&](sqlite3_stmt* st, int param, int i) {
        if (t.cursorStored_) {
            const Table::StoredValue& v = t.cursorKeys_[i];
            if (v.text)
                sqlite3_bind_text(st, param, v.bytes.data(), int(v.bytes.size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_int64(st, param, v.number);
            return;
        }
        const FieldDecl& f = d.fields[d.keys[key].components[i].field];
        if (isText(f.type)) {
            std::string_view v = getText(f, t.cursorRecord_.get());
            sqlite3_bind_text(st, param, v.data(), int(v.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(st, param, getNumber(f, t.cursorRecord_.get()));
        }
    };
    // Runs one level of the seek, appending its records to the page; stops at a record
    // that cannot be read.
    auto run = [&](int equal, bool range) {
        sqlite3_stmt* st = d_->statement(t, pageKind(key, direction, equal, range),
                                         [&] { return pageSql(d, key, direction, equal, range); });
        if (!st) return failSql(sqlite3_errcode(d_->db), false);
        for (int i = 0; i < equal; ++i) bindComponent(st, i + 1, i);
        if (range) {
            const int param = key < 0 ? 1 : equal + 1;
            if (key < 0 || equal == n)
                sqlite3_bind_int64(st, param, t.cursorRowid_);
            else
                bindComponent(st, param, equal);
        }
        sqlite3_bind_int(st, 99, limit - int(t.pagePositions_.size()));
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const std::string misfit = misfitOf(st, d);
            if (!misfit.empty()) {
                t.pageFault_.setFileError(SQLITE_CORRUPT, misfit);
                rc = SQLITE_DONE;
                break;
            }
            std::byte* rec = t.page_.data() + t.pagePositions_.size() * t.recordSize();
            t.pagePositions_.push_back(readRow(st, d, rec));
            for (int col : keyColumns) {
                Table::StoredValue v;
                v.text = sqlite3_column_type(st, col) == SQLITE_TEXT;
                if (v.text)
                    v.bytes.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                                   std::size_t(sqlite3_column_bytes(st, col)));
                else
                    v.number = sqlite3_column_int64(st, col);
                t.pageKeys_.push_back(std::move(v));
            }
        }
        sqlite3_reset(st);
        return rc == SQLITE_DONE ? 0 : failSql(rc, false);
    };
    auto full = [&] { return t.pageFault_.code != 0 || int(t.pagePositions_.size()) >= limit; };

    int rc = 0;
    if (t.cursor_ == Table::CursorState::AtStart) {
        rc = run(0, false);
    } else if (t.cursor_ == Table::CursorState::AtValue) {
        const int m = t.cursorComponents_ < 0 ? n : t.cursorComponents_;
        rc = run(m, false);
        for (int level = m - 1; rc == 0 && level >= 0 && !full(); --level) rc = run(level, true);
    } else {
        const int deepest = key < 0 || rowidInKey(d.keys[key]) ? n : n - 1;
        for (int level = deepest; rc == 0 && level >= 0 && !full(); --level) rc = run(level, true);
    }
    if (rc != 0) {
        dropPage(t);
        return rc;
    }
    t.pageDirection_ = direction;
    t.pageLimit_ = limit;
    t.pageNext_ = 0;
    t.pageExhausted_ = !full();
    return 0;
}

int Engine::deliver(Table& t) {
    const std::byte* rec = t.page_.data() + t.pageNext_ * t.recordSize();
    std::memcpy(t.buffer(), rec, t.recordSize());
    std::memcpy(t.cursorRecord_.get(), rec, t.recordSize());
    t.position_ = t.pagePositions_[t.pageNext_];
    t.cursorRowid_ = t.position_.rowid;
    t.cursor_ = Table::CursorState::After;
    const std::size_t n = t.cursorKey_ < 0 ? 0 : t.decl().keys[t.cursorKey_].components.size();
    t.cursorKeys_.assign(t.pageKeys_.begin() + long(t.pageNext_ * n),
                         t.pageKeys_.begin() + long((t.pageNext_ + 1) * n));
    t.cursorStored_ = n > 0;
    ++t.pageNext_;
    status_.clear();
    return 0;
}

int Engine::step(Table& t, int direction) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.cursor_ == Table::CursorState::None) return fail(RecordNotAvailableErr);
    const bool paging = t.pageDirection_ == direction;
    if (paging && t.pageNext_ < t.pagePositions_.size()) return deliver(t);
    // The record after the last one read is damaged: each further step reports it again.
    if (paging && t.pageFault_.code != 0) return status_ = t.pageFault_, status_.code;
    if (paging && t.pageExhausted_) return fail(RecordNotAvailableErr);
    if (int rc = fetchPage(t, direction)) return rc;
    if (!t.pagePositions_.empty()) return deliver(t);
    if (t.pageFault_.code != 0) return status_ = t.pageFault_, status_.code;
    return fail(RecordNotAvailableErr);
}

int Engine::next(Table& t) {
    return step(t, +1);
}

int Engine::previous(Table& t) {
    return step(t, -1);
}

int Engine::get(Table& t, int key) {
    if (!t.open_) return fail(FileNotOpenErr);
    const TableDecl& d = t.decl();
    if (key < 0 || key >= int(d.keys.size())) return fail(RecordNotFoundErr);
    const KeyDecl& k = d.keys[key];
    if (k.excludesEmpty && keyEmpty(d, k, t.buffer())) return fail(RecordNotFoundErr);
    sqlite3_stmt* st =
        d_->statement(t, FetchOf | std::uint32_t(key) << 4, [&] { return fetchSql(d, key); });
    if (!st) return failSql(sqlite3_errcode(d_->db), false);
    bindKey(st, d, k, t.buffer());
    int rc = sqlite3_step(st);
    if (int bad = readChecked(st, rc, t)) return bad;
    if (rc == SQLITE_DONE) return fail(RecordNotFoundErr);
    if (rc != SQLITE_ROW) return failSql(rc, false);
    status_.clear();
    return 0;
}

int Engine::reget(Table& t, RecordPosition p) {
    if (!t.open_) return fail(FileNotOpenErr);
    const TableDecl& d = t.decl();
    sqlite3_stmt* st = d_->statement(t, RegetOf, [&] {
        return "SELECT " + selectList(d) + " FROM " + tableRef(d) + " WHERE _rid = ?1";
    });
    if (!st) return failSql(sqlite3_errcode(d_->db), false);
    sqlite3_bind_int64(st, 1, p.rowid);
    int rc = sqlite3_step(st);
    if (int bad = readChecked(st, rc, t)) return bad;
    if (rc == SQLITE_DONE) return fail(RecordNotFoundErr);
    if (rc != SQLITE_ROW) return failSql(rc, false);
    status_.clear();
    return 0;
}

int Engine::readChecked(sqlite3_stmt* st, int rc, Table& t) {
    if (rc == SQLITE_ROW) {
        const std::string misfit = misfitOf(st, t.decl());
        if (!misfit.empty()) {
            sqlite3_reset(st);
            status_.setFileError(SQLITE_CORRUPT, misfit);
            return FileSystemErr;
        }
        t.position_ = readRow(st, t.decl(), t.buffer());
    }
    sqlite3_reset(st);
    return 0;
}

// --- writing ---------------------------------------------------------------------------

int Engine::add(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.readOnly_) return fail(AccessDeniedErr);
    const TableDecl& d = t.decl();
    sqlite3_stmt* st = d_->statement(t, InsertOf, [&] {
        std::string cols = "_ver", params = "1";
        int n = 1;
        for (const FieldDecl& f : d.fields)
            for (const std::string& c : columnsOf(f)) {
                cols += ", " + quoted(c);
                params += ", ?" + std::to_string(n++);
            }
        return "INSERT INTO " + tableRef(d) + " (" + cols + ") VALUES (" + params + ")";
    });
    if (!st) return failSql(sqlite3_errcode(d_->db), true);
    bindRecord(st, d, t.buffer(), 1);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    dropPage(t);
    if (rc != SQLITE_DONE) {
        int code = failSql(rc, true);
        if (code == DupKeyErr) t.duplicateKey_ = findDuplicate(t, 0);
        return code;
    }
    t.position_ = {sqlite3_last_insert_rowid(d_->db), 1};
    if (inTransaction_) d_->journal.push_back({&t, t.position_.rowid, 0});
    status_.clear();
    return 0;
}

int Engine::findDuplicate(Table& t, long long self) {
    const TableDecl& d = t.decl();
    const std::byte* rec = t.buffer();
    for (int i = 0; i < int(d.keys.size()); ++i) {
        const KeyDecl& k = d.keys[i];
        if (!k.unique || (k.excludesEmpty && keyEmpty(d, k, rec))) continue;
        std::string where = k.excludesEmpty ? notEmptyCondition(d, k) + " AND " : "";
        for (std::size_t c = 0; c < k.components.size(); ++c)
            where += quoted(d.fields[k.components[c].field].name) + " = ?" + std::to_string(c + 1) +
                     " AND ";
        where += "_rid <> ?" + std::to_string(k.components.size() + 1);
        sqlite3_stmt* st =
            d_->statement("SELECT 1 FROM " + tableRef(d) + " WHERE " + where + " LIMIT 1");
        if (!st) continue;
        bindKey(st, d, k, rec);
        sqlite3_bind_int64(st, int(k.components.size()) + 1, self);
        const bool found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_reset(st);
        if (found) return i;
    }
    return -1;
}

int Engine::put(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.readOnly_) return fail(AccessDeniedErr);
    if (!t.position_.valid()) return fail(RecordNotAvailableErr);
    const TableDecl& d = t.decl();
    int n = 1;  // the parameter after the fields: the row number, then its version
    for (const FieldDecl& f : d.fields) n += f.count;
    sqlite3_stmt* st = d_->statement(t, UpdateOf, [&] {
        std::string sets = "_ver = _ver + 1";
        int p = 1;
        for (const FieldDecl& f : d.fields)
            for (const std::string& c : columnsOf(f))
                sets += ", " + quoted(c) + " = ?" + std::to_string(p++);
        return "UPDATE " + tableRef(d) + " SET " + sets + " WHERE _rid = ?" + std::to_string(p) +
               " AND _ver = ?" + std::to_string(p + 1);
    });
    if (!st) return failSql(sqlite3_errcode(d_->db), true);
    bindRecord(st, d, t.buffer(), 1);
    sqlite3_bind_int64(st, n, t.position_.rowid);
    sqlite3_bind_int64(st, n + 1, t.position_.version);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    dropPage(t);
    if (rc != SQLITE_DONE) {
        int code = failSql(rc, true);
        if (code == DupKeyErr) t.duplicateKey_ = findDuplicate(t, t.position_.rowid);
        return code;
    }
    if (sqlite3_changes(d_->db) == 0)
        return fail(stillThere(t) ? RecordChangedErr : RecordNotAvailableErr);
    if (inTransaction_) d_->journal.push_back({&t, t.position_.rowid, t.position_.version});
    ++t.position_.version;
    status_.clear();
    return 0;
}

int Engine::erase(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.readOnly_) return fail(AccessDeniedErr);
    if (!t.position_.valid()) return fail(RecordNotAvailableErr);
    sqlite3_stmt* st = d_->statement(t, DeleteOf, [&] {
        return "DELETE FROM " + tableRef(t.decl()) + " WHERE _rid = ?1 AND _ver = ?2";
    });
    if (!st) return failSql(sqlite3_errcode(d_->db), true);
    sqlite3_bind_int64(st, 1, t.position_.rowid);
    sqlite3_bind_int64(st, 2, t.position_.version);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    dropPage(t);
    if (rc != SQLITE_DONE) return failSql(rc, true);
    if (sqlite3_changes(d_->db) == 0)
        return fail(stillThere(t) ? RecordChangedErr : RecordNotAvailableErr);
    if (inTransaction_) d_->journal.push_back({&t, t.position_.rowid, t.position_.version});
    t.position_ = {};
    status_.clear();
    return 0;
}

bool Engine::stillThere(Table& t) {
    sqlite3_stmt* st = d_->statement(
        t, ExistsOf, [&] { return "SELECT 1 FROM " + tableRef(t.decl()) + " WHERE _rid = ?1"; });
    if (!st) return false;
    sqlite3_bind_int64(st, 1, t.position_.rowid);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_reset(st);
    return found;
}

// --- transactions ----------------------------------------------------------------------

int Engine::begin(int waitSeconds, bool usersToo) {
    if (inTransaction_) return fail(TransactionActiveErr);
    if (int rc = connect(false)) return rc;
    // The statements that take the locks are made before the transaction opens: making one
    // may read the file's layout, and a file already read inside a transaction gets no
    // wait for its write lock.
    std::vector<sqlite3_stmt*> locks;
    for (StoreFile f : {StoreFile::RESDATA, StoreFile::USERS}) {
        const bool users = f == StoreFile::USERS;
        if (users && (!usersToo || !d_->usersAttached)) continue;
        const std::string sql = d_->writeLockSql(users ? 1 : 0, users ? "users" : "main");
        if (sql.empty()) continue;  // no table yet: its first write takes the lock
        sqlite3_stmt* st = d_->statement(sql);
        if (!st) return failSql(sqlite3_errcode(d_->db), true);
        locks.push_back(st);
    }
    sqlite3_busy_timeout(d_->db, waitSeconds * 1000);
    int rc = sqlite3_exec(d_->db, "BEGIN", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* st : locks) {
        if (rc != SQLITE_OK) break;
        rc = sqlite3_step(st);
        sqlite3_reset(st);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
        const int code = failSql(rc, true);
        if (!sqlite3_get_autocommit(d_->db))
            sqlite3_exec(d_->db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(d_->db, lockWait_ * 1000);
        return code;
    }
    inTransaction_ = true;
    d_->journal.clear();
    status_.clear();
    return 0;
}

void Engine::removeStaleSuperJournals() {
    namespace fs = std::filesystem;
    if (options_.readOnly || inTransaction_ || !d_->usersAttached) return;
    const fs::path mainFile(pathOf(StoreFile::RESDATA));
    const std::string prefix = mainFile.filename().string() + "-mj";
    std::vector<fs::path> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(mainFile.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 9 && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + long(prefix.size()), name.end(),
                        [](unsigned char c) { return std::isxdigit(c) != 0; }))
            found.push_back(entry.path());
    }
    if (found.empty()) return;
    // A commit over both files keeps the write lock of RESDATA.TPS until it has deleted its
    // super-journal, and a station that died within one left a journal that the next reader
    // of that file rolls back, super-journal and all. So once both files are held here and
    // no journal is left, a super-journal belongs to no commit and goes. When the files
    // cannot be had at once, another open tries again.
    if (d_->writeLockSql(0, "main").empty()) return;
    const EngineStatus kept = status_;
    if (begin(0, true) == 0) {
        if (!fileExists(pathOf(StoreFile::RESDATA) + "-journal") &&
            !fileExists(pathOf(StoreFile::USERS) + "-journal"))
            for (const fs::path& p : found) fs::remove(p, ec);
        rollback();
    }
    status_ = kept;
}

int Engine::commit() {
    if (!inTransaction_) return fail(RecordNotAvailableErr);
    int rc = sqlite3_exec(d_->db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        // A commit that cannot finish (its lock not had in time, a full disk) leaves the
        // files as they were: undo the whole transaction.
        int code = failSql(rc, true);
        EngineStatus kept = status_;
        rollback();
        status_ = kept;
        return code;
    }
    inTransaction_ = false;
    d_->journal.clear();
    sqlite3_busy_timeout(d_->db, lockWait_ * 1000);
    status_.clear();
    return 0;
}

int Engine::rollback() {
    if (!inTransaction_) return fail(RecordNotAvailableErr);
    int rc = sqlite3_exec(d_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction_ = false;
    sqlite3_busy_timeout(d_->db, lockWait_ * 1000);
    // The records are as they were before the transaction, so are their versions: a
    // record read before and written during it can still be written again afterwards.
    for (auto it = d_->journal.rbegin(); it != d_->journal.rend(); ++it) {
        Table& t = *it->table;
        if (it->oldVersion == 0 && t.position_.rowid == it->rowid) t.position_ = {};
        if (it->oldVersion != 0 && (t.position_.rowid == it->rowid || !t.position_.valid()))
            t.position_ = {it->rowid, it->oldVersion};
    }
    d_->journal.clear();
    for (Table* t : d_->tables) dropPage(*t);
    if (rc != SQLITE_OK) return failSql(rc, true);
    status_.clear();
    return 0;
}

// --- copies ----------------------------------------------------------------------------

int Engine::copyFile(StoreFile f, const std::string& toPath) {
    if (inTransaction_) return fail(TransactionActiveErr);
    if (int rc = connect(false)) return rc;
    if (f == StoreFile::USERS)
        if (int rc = attachUsers(false)) return rc;

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
        sqlite3_backup* b =
            sqlite3_backup_init(to, "main", d_->db, f == StoreFile::USERS ? "users" : "main");
        if (!b) {
            rc = sqlite3_errcode(to);
        } else {
            // All pages in one step, under one read lock: the copy is one committed state.
            // A station that is committing holds the file for a moment; wait for it as
            // any read would, up to the lock wait.
            const auto deadline =
                std::chrono::steady_clock::now() + std::chrono::seconds(lockWait_);
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
    std::string message = to ? sqlite3_errmsg(to) : sqlite3_errstr(rc);
    const int os = to ? sqlite3_system_errno(to) : 0;
    if (sqlite3_close(to) != SQLITE_OK && rc == SQLITE_OK) rc = SQLITE_IOERR;

    if (rc == SQLITE_OK && std::rename(temp.c_str(), toPath.c_str()) != 0) {
        const int err = errno;
        std::remove(temp.c_str());
        status_.setFileError(err, std::strerror(err));
        return FileSystemErr;
    }
    if (rc != SQLITE_OK) {
        std::remove(temp.c_str());
        std::remove((temp + "-journal").c_str());
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) return fail(RecordHeldErr);
        if (os != 0)
            status_.setFileError(os, std::strerror(os));
        else
            status_.setFileError(rc & 0xff, message);
        return FileSystemErr;
    }
    status_.clear();
    return 0;
}

int Engine::join(Table& outer, Table& inner, const JoinQuery& q, const std::function<bool()>& row,
                 Table* lookup) {
    if (!outer.open_ || !inner.open_ || (lookup && !lookup->open_)) return fail(FileNotOpenErr);
    const TableDecl& o = outer.decl();
    const TableDecl& i = inner.decl();
    const TableDecl* l = lookup ? &lookup->decl() : nullptr;
    sqlite3_stmt* st = d_->statement(joinSql(o, i, q, l));
    if (!st) return failSql(sqlite3_errcode(d_->db), false);
    bindKey(st, o, o.keys[q.outerKey], outer.buffer(), q.outerEqual);
    if (q.rangeField.valid()) {
        sqlite3_bind_int64(st, 90, q.low);
        sqlite3_bind_int64(st, 91, q.high);
    }
    if (q.outerRangeField.valid()) {
        sqlite3_bind_int64(st, 92, q.outerLow);
        sqlite3_bind_int64(st, 93, q.outerHigh);
    }
    // The rows are read first and handed out after the statement is reset: a caller may
    // read other tables (or these) from `row` without meeting a half-done statement.
    const int os = outer.recordSize(), is = inner.recordSize();
    const int ls = lookup ? lookup->recordSize() : 0;
    const int width = os + is + ls;
    const int tables = lookup ? 3 : 2;
    std::vector<std::byte> rows;
    std::vector<RecordPosition> positions;
    std::vector<std::byte> image(width);
    int rc;
    std::string misfit;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        misfit = misfitOf(st, o);
        if (misfit.empty()) misfit = misfitOf(st, i, selectColumns(o));
        if (misfit.empty() && lookup &&
            sqlite3_column_type(st, selectColumns(o) + selectColumns(i)) != SQLITE_NULL)
            misfit = misfitOf(st, *l, selectColumns(o) + selectColumns(i));
        if (!misfit.empty()) break;
        positions.push_back(readRow(st, o, image.data()));
        positions.push_back(readRow(st, i, image.data() + os, selectColumns(o)));
        if (lookup) {
            const int first = selectColumns(o) + selectColumns(i);
            if (sqlite3_column_type(st, first) == SQLITE_NULL) {
                lookup->clearBuffer();
                std::memcpy(image.data() + os + is, lookup->buffer(), ls);
                positions.push_back({});
            } else {
                positions.push_back(readRow(st, *l, image.data() + os + is, first));
            }
        }
        rows.insert(rows.end(), image.begin(), image.end());
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (!misfit.empty()) {
        status_.setFileError(SQLITE_CORRUPT, misfit);
        return FileSystemErr;
    }
    if (rc != SQLITE_DONE) return failSql(rc, false);
    status_.clear();
    for (std::size_t r = 0; r < positions.size() / tables; ++r) {
        const std::byte* at = rows.data() + r * width;
        std::memcpy(outer.buffer(), at, os);
        std::memcpy(inner.buffer(), at + os, is);
        outer.position_ = positions[tables * r];
        inner.position_ = positions[tables * r + 1];
        if (lookup) {
            std::memcpy(lookup->buffer(), at + os + is, ls);
            lookup->position_ = positions[tables * r + 2];
        }
        if (!row()) break;
    }
    return 0;
}

// --- set operations --------------------------------------------------------------------

int Engine::runSet(Table& t, const std::string& sql, long long low, long long high, bool write,
                   long long* result, long long from, long long to) {
    if (result) *result = 0;
    if (!t.open_) return fail(FileNotOpenErr);
    if (write && t.readOnly_) return fail(AccessDeniedErr);
    sqlite3_stmt* st = d_->statement(sql);
    if (!st) return failSql(sqlite3_errcode(d_->db), write);
    sqlite3_bind_int64(st, 1, low);
    sqlite3_bind_int64(st, 2, high);
    if (sqlite3_bind_parameter_count(st) >= 4) {
        sqlite3_bind_int64(st, 3, from);
        sqlite3_bind_int64(st, 4, to);
    }
    int rc = sqlite3_step(st);
    long long n = 0;
    if (rc == SQLITE_ROW) n = sqlite3_column_int64(st, 0), rc = SQLITE_DONE;
    sqlite3_reset(st);
    if (write) {
        dropPage(t);
        if (rc == SQLITE_DONE) n = sqlite3_changes(d_->db);
    }
    if (rc != SQLITE_DONE) return failSql(rc, write);
    if (result) *result = n;
    status_.clear();
    return 0;
}

long long Engine::countRange(Table& t, int key, long long low, long long high) {
    const TableDecl& d = t.decl();
    long long n = 0;
    runSet(t, "SELECT count(*) FROM " + tableRef(d) + " WHERE " + rangeWhere(d, key), low, high,
           false, &n);
    return n;
}

int Engine::eraseRange(Table& t, int key, long long low, long long high, long long* erased,
                       const std::function<void(double done)>& progress) {
    if (erased) *erased = 0;
    const TableDecl& d = t.decl();
    const std::string where = rangeWhere(d, key);
    const long long inRange = countRange(t, key, low, high);
    if (status_.code != 0) return status_.code;
    const long long all = records(t);
    if (status_.code != 0) return status_.code;
    // A small share is found through the key. A large one is deleted reading the table in
    // its stored order, slice by slice: going through the key would visit the table's
    // pages in key order, each many times over.
    if (inRange == 0 || inRange * 8 < all) {
        const int rc =
            runSet(t, "DELETE FROM " + tableRef(d) + " WHERE " + where, low, high, true, erased);
        if (rc == 0 && progress) progress(1.0);
        return rc;
    }
    long long first = 0, last = 0;
    {
        sqlite3_stmt* st = d_->statement("SELECT min(_rid), max(_rid) FROM " + tableRef(d));
        if (!st) return failSql(sqlite3_errcode(d_->db), false);
        int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            first = sqlite3_column_int64(st, 0), last = sqlite3_column_int64(st, 1);
        sqlite3_reset(st);
        if (rc != SQLITE_ROW) return failSql(rc, false);
    }
    const std::string sql =
        "DELETE FROM " + tableRef(d) + " NOT INDEXED WHERE _rid >= ?3 AND _rid <= ?4 AND " + where;
    constexpr long long kSlices = 50;
    const long long span = last - first + 1;
    for (long long i = 0; i < kSlices; ++i) {
        const long long from = first + span * i / kSlices;
        const long long to = first + span * (i + 1) / kSlices - 1;
        if (to < from) continue;
        long long n = 0;
        if (int rc = runSet(t, sql, low, high, true, &n, from, to)) return rc;
        if (erased) *erased += n;
        if (progress) progress(double(i + 1) / double(kSlices));
    }
    return 0;
}

long long Engine::countUnlinked(Table& t, Table& other, const Unlinked& q) {
    if (!other.open_) return fail(FileNotOpenErr), 0;
    const TableDecl& d = t.decl();
    long long n = 0;
    runSet(t, "SELECT count(*) FROM " + tableRef(d) + " WHERE " + unlinkedWhere(d, other.decl(), q),
           q.low, q.high, false, &n);
    return n;
}

int Engine::eraseUnlinked(Table& t, Table& other, const Unlinked& q, long long* erased) {
    if (erased) *erased = 0;
    if (!other.open_) return fail(FileNotOpenErr);
    const TableDecl& d = t.decl();
    return runSet(t, "DELETE FROM " + tableRef(d) + " WHERE " + unlinkedWhere(d, other.decl(), q),
                  q.low, q.high, true, erased);
}

std::string Engine::rangePlan(Table& t, int key) {
    const TableDecl& d = t.decl();
    return planOf(d_->db, "DELETE FROM " + tableRef(d) + " WHERE " + rangeWhere(d, key));
}

std::string Engine::unlinkedPlan(Table& t, Table& other, const Unlinked& q) {
    const TableDecl& d = t.decl();
    return planOf(d_->db,
                  "DELETE FROM " + tableRef(d) + " WHERE " + unlinkedWhere(d, other.decl(), q));
}

std::string Engine::joinPlan(Table& outer, Table& inner, const JoinQuery& q, Table* lookup) {
    return planOf(d_->db,
                  joinSql(outer.decl(), inner.decl(), q, lookup ? &lookup->decl() : nullptr));
}

std::string Engine::queryPlan(Table& t, const std::string& which, int key) {
    const TableDecl& d = t.decl();
    const KeyDecl& k = d.keys[key];
    const int n = int(k.components.size());
    std::vector<std::string> statements;
    if (which == "walk") {
        statements.push_back(pageSql(d, key, +1, 0, false));
    } else if (which == "after" || which == "before") {
        const int direction = which == "after" ? +1 : -1;
        for (int level = rowidInKey(k) ? n : n - 1; level >= 0; --level)
            statements.push_back(pageSql(d, key, direction, level, true));
    } else if (which == "value") {
        statements.push_back(pageSql(d, key, +1, n, false));
    } else {
        statements.push_back(fetchSql(d, key));
    }
    std::string plan;
    for (const std::string& sql : statements) plan += planOf(d_->db, sql);
    return plan;
}

}  // namespace store

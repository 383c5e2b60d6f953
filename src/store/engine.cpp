#include "engine.h"

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
#include "sealed_text.h"
#include "server_config.h"
#include "sql_backend.h"
#include "store_copy.h"

namespace store {

namespace {

constexpr const char* kCatalog = "tembrix_layout";
constexpr int kFirstPage = 8;
constexpr int kLargestPage = 1024;

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
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

/// A field's column (with `alias.` in front when given) as its keys compare it.
std::string term(const sql::Dialect& x, const TableDecl& d, int field,
                 const std::string& alias = "") {
    const FieldDecl& f = d.fields[field];
    return x.keyTerm((alias.empty() ? "" : alias + ".") + quoted(f.name),
                     isText(f.type) && fieldCaseInsensitive(d, field));
}

/// A parameter compared with a field, spelt as the field's column is.
std::string termParam(const sql::Dialect& x, const TableDecl& d, int field, int param) {
    const FieldDecl& f = d.fields[field];
    return x.keyTerm("?" + std::to_string(param), isText(f.type) && fieldCaseInsensitive(d, field));
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
std::string orderBy(const sql::Dialect& x, const TableDecl& d, int key, int direction,
                    int skip = 0) {
    if (key < 0) return direction > 0 ? "_rid" : "_rid DESC";
    const KeyDecl& k = d.keys[key];
    std::string s;
    for (int i = skip; i < int(k.components.size()); ++i) {
        const KeyComponent& c = k.components[i];
        const bool desc = c.descending != (direction < 0);
        if (!s.empty()) s += ", ";
        s += term(x, d, c.field) + (desc ? " DESC" : "");
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
std::string levelCondition(const sql::Dialect& x, const TableDecl& d, int key, int direction,
                           int equal, bool range) {
    if (key < 0) return range ? (direction > 0 ? "_rid > ?1" : "_rid < ?1") : "";
    const KeyDecl& k = d.keys[key];
    std::string s;
    for (int i = 0; i < equal; ++i) {
        if (!s.empty()) s += " AND ";
        const int f = k.components[i].field;
        s += term(x, d, f) + " = " + termParam(x, d, f, i + 1);
    }
    if (range) {
        if (!s.empty()) s += " AND ";
        if (equal < int(k.components.size())) {
            const KeyComponent& c = k.components[equal];
            const bool up = (direction > 0) != c.descending;
            s += term(x, d, c.field) + (up ? " > " : " < ") + termParam(x, d, c.field, equal + 1);
        } else {
            s +=
                std::string("_rid") + (direction > 0 ? " > ?" : " < ?") + std::to_string(equal + 1);
        }
    }
    return s;
}

std::string pageSql(const sql::Dialect& x, const TableDecl& d, int key, int direction, int equal,
                    bool range) {
    std::string where;
    if (key >= 0 && d.keys[key].excludesEmpty) where = notEmptyCondition(d, d.keys[key]);
    const std::string level = levelCondition(x, d, key, direction, equal, range);
    if (!level.empty()) where += (where.empty() ? "" : " AND ") + level;
    const std::string order = orderBy(x, d, key, direction, equal);
    return "SELECT " + selectList(d) + " FROM " + tableRef(d) +
           (where.empty() ? "" : " WHERE " + where) + (order.empty() ? "" : " ORDER BY " + order) +
           " LIMIT ?99";
}

/// Reads the first record whose key equals ?1..?n.
std::string fetchSql(const sql::Dialect& x, const TableDecl& d, int key) {
    const KeyDecl& k = d.keys[key];
    std::string where = k.excludesEmpty ? notEmptyCondition(d, k) + " AND " : "";
    where += levelCondition(x, d, key, +1, int(k.components.size()), false);
    // A unique key holds at most one such record: no order to ask for.
    const std::string order = k.unique && k.excludesEmpty ? "" : " ORDER BY _rid";
    return "SELECT " + selectList(d) + " FROM " + tableRef(d) + " WHERE " + where + order +
           " LIMIT 1";
}

std::string createTableSql(const sql::Dialect& x, const TableDecl& d) {
    std::string s = "CREATE TABLE " + tableRef(d) + " (" + x.identityColumns();
    for (int i = 0; i < int(d.fields.size()); ++i) {
        const FieldDecl& f = d.fields[i];
        for (const std::string& c : columnsOf(f))
            s += ", " + quoted(c) + " " +
                 x.columnType(isText(f.type), isText(f.type) && fieldCaseInsensitive(d, i));
    }
    return s + ")";
}

std::string createIndexSql(const sql::Dialect& x, const TableDecl& d, const KeyDecl& k) {
    std::string terms;
    for (std::size_t i = 0; i < k.components.size(); ++i) {
        if (i) terms += ", ";
        terms += term(x, d, k.components[i].field);
        if (k.components[i].descending) terms += " DESC";
    }
    // Equal keys keep the order their records were added in (see rowidInKey).
    if (!k.unique && x.identityEndsIndexes()) terms += ", _rid";
    std::string s = x.createIndex(k.unique, schemaOf(d), indexName(d, k), d.name, terms);
    if (k.excludesEmpty) s += " WHERE " + notEmptyCondition(d, k);
    return s;
}

/// Whether the table the file holds has exactly the columns the declaration makes, with
/// their types. SQLite reads a quoted name that is no column as text, so a statement on a
/// table without one of its columns would read (or index) the column's name as its value.
/// sql::Ok when they match, sql::NotFound when the table is missing, sql::Schema when it
/// differs (with the first difference in `difference`), or the connection's failing code.
int checkColumns(sql::Connection& db, const TableDecl& d, std::string* difference = nullptr) {
    const std::string number = db.dialect().numberTypeName(), text = db.dialect().textTypeName();
    std::vector<std::pair<std::string, std::string>> want{{"_rid", number}, {"_ver", number}};
    for (const FieldDecl& f : d.fields)
        for (const std::string& c : columnsOf(f))
            want.emplace_back(c, isText(f.type) ? text : number);
    std::vector<sql::Column> cols;
    if (int rc = db.columns(d.file, d.name, cols)) return rc;
    std::vector<std::pair<std::string, std::string>> have;
    for (sql::Column& c : cols) have.emplace_back(std::move(c.name), std::move(c.type));
    if (have.empty()) return sql::NotFound;
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
    if (found.empty()) return sql::Ok;
    if (difference) *difference = found;
    return sql::Schema;
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
    std::unique_ptr<sql::Connection> db;
    std::unordered_map<std::string, std::unique_ptr<sql::Statement>> statements;
    std::vector<Table*> tables;  // every table this engine has opened

    /// What a transaction wrote, so that a rollback can put the read positions back.
    struct Written {
        Table* table;
        long long rowid;
        long long oldVersion;  // 0 for a record the transaction added
    };
    std::vector<Written> journal;

    const sql::Dialect& dialect() const { return db->dialect(); }

    sql::Statement* statement(const std::string& sql) {
        auto it = statements.find(sql);
        if (it != statements.end()) return it->second.get();
        std::unique_ptr<sql::Statement> st = db->prepare(sql);
        if (!st) return nullptr;
        return statements.emplace(sql, std::move(st)).first->second.get();
    }
    /// The statement of one kind of access to a table, its text built only the first
    /// time: a fetch or a step of a walk then costs no string work at all.
    template <class MakeSql>
    sql::Statement* statement(Table& t, std::uint32_t kind, MakeSql&& makeSql) {
        auto it = t.statements_.find(kind);
        if (it != t.statements_.end()) return it->second;
        sql::Statement* st = statement(makeSql());
        if (st) t.statements_.emplace(kind, st);
        return st;
    }

    void forgetStatements() {
        for (Table* t : tables) t->statements_.clear();
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
void bindKey(sql::Statement* st, const TableDecl& d, const KeyDecl& k, const std::byte* rec,
             int components = -1) {
    int p = 1;
    const int n = components < 0 ? int(k.components.size()) : components;
    for (int i = 0; i < n; ++i) {
        const FieldDecl& f = d.fields[k.components[i].field];
        if (isText(f.type)) {
            std::string_view v = getText(f, rec);
            st->bind(p++, std::string_view(v));
        } else {
            st->bind(p++, getNumber(f, rec));
        }
    }
}

/// Binds every field of a record image, starting at parameter `first`; returns the next.
/// Sealed fields go sealed where the dialect seals them.
int bindRecord(sql::Statement* st, const sql::Dialect& dl, const TableDecl& d, const std::byte* rec,
               int first) {
    int p = first;
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const FieldDecl& f = d.fields[i];
        const bool seal = dl.sealsFields() && d.sealed(int(i));
        for (int e = 0; e < f.count; ++e) {
            if (isText(f.type)) {
                std::string_view v = getText(f, rec, e);
                if (seal)
                    st->bind(p++, std::string_view(sealText(v)));
                else
                    st->bind(p++, std::string_view(v));
            } else {
                st->bind(p++, getNumber(f, rec, e));
            }
        }
    }
    return p;
}

/// Reads the current row (columns _rid, _ver, fields..., from column `first`) into a
/// record image, opening sealed fields where the dialect seals them.
RecordPosition readRow(sql::Statement* st, const sql::Dialect& dl, const TableDecl& d,
                       std::byte* rec, int first = 0) {
    int col = first + 2;
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const FieldDecl& f = d.fields[i];
        const bool seal = dl.sealsFields() && d.sealed(int(i));
        for (int e = 0; e < f.count; ++e, ++col) {
            if (isText(f.type)) {
                if (seal)
                    setText(f, rec, openText(st->text(col)), e);
                else
                    setText(f, rec, st->text(col), e);
            } else {
                setNumber(f, rec, st->number(col), e);
            }
        }
    }
    return {st->number(first), st->number(first + 1)};
}

/// The column of the current row that holds a field's first element.
int columnOf(const TableDecl& d, int field, int first = 0) {
    int col = first + 2;
    for (int i = 0; i < field; ++i) col += d.fields[i].count;
    return col;
}

/// What a stored value is, in words, for a message about a value that does not fit.
std::string describeValue(sql::Statement* st, int col) {
    switch (st->type(col)) {
        case sql::ValueType::Null:
            return "no value";
        case sql::ValueType::Blob:
            return "binary data";
        case sql::ValueType::Text: {
            std::string v(st->text(col));
            if (v.size() > 20) v = v.substr(0, 20) + "...";
            return "the text '" + v + "'";
        }
        default:
            return std::string(st->text(col));
    }
}

/// Empty when every value of the current row fits its field; else what is wrong with the
/// first that does not ("DAT:DATE holds 5000000000"). A value that does not fit is never
/// cut down to fit: it would be read as another value, and a walk that goes on from it
/// would come back to it for ever.
std::string misfitOf(sql::Statement* st, const sql::Dialect& dl, const TableDecl& d,
                     int first = 0) {
    int col = first + 2;
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
        const FieldDecl& f = d.fields[i];
        // A sealed value fits when what it holds does.
        const bool seal = dl.sealsFields() && d.sealed(int(i));
        for (int e = 0; e < f.count; ++e, ++col) {
            const sql::ValueType type = st->type(col);
            bool fits;
            if (isText(f.type)) {
                const std::size_t size =
                    seal ? openText(st->text(col)).size() : st->text(col).size();
                fits = type == sql::ValueType::Text && int(size) <= f.width;
            } else {
                const long long v = st->number(col);
                const long long low = f.type == FieldType::LONG    ? INT32_MIN
                                      : f.type == FieldType::SHORT ? INT16_MIN
                                                                   : 0;
                const long long high = f.type == FieldType::LONG    ? INT32_MAX
                                       : f.type == FieldType::SHORT ? INT16_MAX
                                                                    : UINT8_MAX;
                fits = type == sql::ValueType::Integer && v >= low && v <= high;
            }
            if (fits) continue;
            std::string name = std::string(d.prefix) + ":" + f.name;
            if (f.count > 1) name += "_" + std::to_string(e + 1);
            const std::string what = isText(f.type) && type == sql::ValueType::Text
                                         ? "a text of " + std::to_string(st->text(col).size()) +
                                               " characters, longer than its " +
                                               std::to_string(f.width)
                                         : describeValue(st, col);
            return "Damaged data: " + name + " holds " + what + ", which does not fit the field";
        }
    }
    return {};
}

/// Two columns compared as the first one's keys compare it (the file store's rule: the
/// collation of the left side decides).
std::string equalTerms(const sql::Dialect& x, const TableDecl& d, Field f, const std::string& left,
                       const std::string& right) {
    const bool ci = isText(d.field(f).type) && fieldCaseInsensitive(d, f.index());
    return x.keyTerm(left, ci) + " = " + x.keyTerm(right, ci);
}

/// The statement of a JoinQuery: the outer table drives (the dialect's fixed-order join),
/// held at its key value; the inner table is reached through its linked fields, and the
/// lookup table, when there is one, through its key (a LEFT JOIN: a pair without it still
/// counts).
std::string joinSql(const sql::Dialect& x, const TableDecl& o, const TableDecl& i,
                    const JoinQuery& q, const TableDecl* l) {
    const KeyDecl& k = o.keys[q.outerKey];
    std::string on;
    for (const auto& [of, inf] : q.links) {
        if (!on.empty()) on += " AND ";
        on += equalTerms(x, i, inf, "i." + quoted(i.field(inf).name),
                         "o." + quoted(o.field(of).name));
    }
    std::string where = k.excludesEmpty ? notEmptyCondition(o, k, "o") : "";
    const KeyDecl& ik = i.keys[q.innerKey];
    if (ik.excludesEmpty) where += (where.empty() ? "" : " AND ") + notEmptyCondition(i, ik, "i");
    for (int c = 0; c < q.outerEqual; ++c) {
        if (!where.empty()) where += " AND ";
        const int f = k.components[c].field;
        where += term(x, o, f, "o") + " = " + termParam(x, o, f, c + 1);
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
            lon += equalTerms(x, *l, lf, "l." + quoted(l->field(lf).name),
                              "o." + quoted(o.field(of).name));
        }
        const KeyDecl& lk = l->keys[q.lookupKey];
        if (lk.excludesEmpty) lon += " AND " + notEmptyCondition(*l, lk, "l");
        lookup = " LEFT JOIN " + tableRef(*l) + " AS l ON " + lon;
    }
    return "SELECT " + selectList(o, "o") + ", " + selectList(i, "i") +
           (l ? ", " + selectList(*l, "l") : "") + " FROM " + tableRef(o) + " AS o " +
           x.fixedOrderJoin() + " " + tableRef(i) + " AS i ON " + on + lookup +
           (where.empty() ? "" : " WHERE " + where);
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
std::string unlinkedWhere(const sql::Dialect& x, const TableDecl& t, const TableDecl& o,
                          const Unlinked& q) {
    std::string where;
    const KeyDecl& k = o.keys[q.otherKey];
    if (k.excludesEmpty) where = notEmptyCondition(o, k, "o");
    for (const auto& [tf, of] : q.links) {
        if (!where.empty()) where += " AND ";
        where += equalTerms(x, o, of, "o." + quoted(o.field(of).name),
                            tableRef(t) + "." + quoted(t.field(tf).name));
    }
    if (q.rangeField.valid()) {
        const std::string f = "o." + quoted(o.field(q.rangeField).name);
        where += (where.empty() ? "" : " AND ") + f + " >= ?1 AND " + f + " <= ?2";
    }
    return "NOT EXISTS (SELECT 1 FROM " + tableRef(o) + " AS o WHERE " + where + ")";
}

}  // namespace

Engine::Engine(std::string folder, EngineOptions options)
    : folder_(std::move(folder)), options_(options), d_(new Impl) {
    // A folder that names a server keeps its store there; any other keeps it in its files.
    const ServerFile server = readServerFile(folder_);
    d_->db = !server.present ? sql::makeFileConnection(folder_)
                             : sql::makeServerConnection(server.conninfo, server.problem);
}

Engine::Engine(std::string folder, std::unique_ptr<sql::Connection> connection,
               EngineOptions options)
    : folder_(std::move(folder)), options_(options), d_(new Impl) {
    d_->db = std::move(connection);
}

sql::Connection& Engine::connection() {
    return *d_->db;
}

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

std::string Engine::placeOf(StoreFile f) const {
    return d_->db->placeOf(f);
}

bool Engine::onServer() const {
    return !d_->db->isFileStore();
}

bool Engine::writable() const {
    if (options_.readOnly) return false;
    // A server's rights are its own: a write it refuses is reported as the write fails.
    if (onServer()) return true;
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
    const std::string msg = d_->db->errorMessage(rc);
    switch (primary) {
        case sql::Busy:
        case sql::Locked:
            return fail(RecordHeldErr);
        case sql::Constraint:
            return fail(DupKeyErr);
        case sql::ReadOnly:
            return fail(AccessDeniedErr);
        case sql::IoErr:
        case sql::CantOpen:
        case sql::Full:
        case sql::Perm: {
            const int os = d_->db->systemErrno();
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
    if (d_->db->isOpen()) return 0;
    const int rc = d_->db->open(create, options_.readOnly);
    if (rc == sql::NotFound) return fail(FileNotFoundErr);
    if (rc == sql::ReadOnly) return fail(AccessDeniedErr);
    if (rc != sql::Ok) {
        const int os = d_->db->systemErrno();
        status_.setFileError(os ? os : rc, d_->db->errorMessage(rc));
        return FileSystemErr;
    }
    d_->db->setLockWait(lockWait_);
    status_.clear();
    return 0;
}

int Engine::attachUsers(bool create) {
    if (d_->db->usersOpen()) return 0;
    const int rc = d_->db->openUsers(create, options_.readOnly);
    if (rc == sql::NotFound) return fail(FileNotFoundErr);
    // A users file (or schema) that may not be made here is refused as a write would be.
    if (rc != sql::Ok) return failSql(rc, false);
    // Cached statements were prepared against the schema without USERS.
    d_->forgetStatements();
    removeStaleSuperJournals();
    status_.clear();
    return 0;
}

void Engine::setLockWait(int seconds) {
    lockWait_ = seconds;
    if (d_->db->isOpen() && !inTransaction_) d_->db->setLockWait(seconds);
}

int Engine::open(Table& t, bool write) {
    const TableDecl& d = t.decl();
    if (int rc = connect(false)) return rc;
    if (d.file == StoreFile::USERS)
        if (int rc = attachUsers(false)) return rc;
    if (write && (options_.readOnly || d_->db->isReadOnly(d.file))) return fail(AccessDeniedErr);

    // What the file holds of this table: the table, its indexes, the catalog entry.
    std::vector<std::string> tables, indexes;
    int rc = d_->db->tableNames(d.file, tables);
    if (rc == sql::Ok) rc = d_->db->indexNames(d.file, d.name, indexes);
    if (rc != sql::Ok) return failSql(rc, false);
    const bool hasTable = std::find(tables.begin(), tables.end(), d.name) != tables.end();
    const bool hasCatalog = std::find(tables.begin(), tables.end(), kCatalog) != tables.end();
    if (!hasTable) return fail(FileNotFoundErr);

    std::string stored;
    if (hasCatalog) {
        sql::Statement* st = d_->statement(std::string("SELECT layout FROM ") + schemaOf(d) + "." +
                                           kCatalog + " WHERE name = ?1");
        if (!st) return failSql(d_->db->errorCode(), false);
        st->bind(1, std::string_view(d.name));
        rc = st->step();
        if (rc == sql::Row) stored = st->text(0);
        st->reset();
        if (rc != sql::Row && rc != sql::Done) return failSql(rc, false);
    }
    if (stored != layoutSignature(d)) return fail(InvalidRecordDeclarationErr);
    for (const KeyDecl& k : d.keys) {
        if (std::find(indexes.begin(), indexes.end(), indexName(d, k)) == indexes.end())
            return fail(KeysMustBeRebuiltErr);
    }
    // The catalogue says what layout was written, the table's columns what is there: a
    // column lost or renamed by hand would otherwise read back as its own name.
    std::string difference;
    switch (rc = checkColumns(*d_->db, d, &difference)) {
        case sql::Ok:
            break;
        case sql::Schema:
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
    if (options_.readOnly || d_->db->isReadOnly(d.file)) return fail(AccessDeniedErr);

    // The table, its keys and its catalog entry are one change; a table that another
    // station created first is kept. Outside a transaction the change is a transaction of
    // its own that waits for the write lock as it begins: a savepoint would read the file
    // first and then, asking for the lock while another station commits, be refused at
    // once instead of waiting. Inside one, a savepoint.
    sql::Connection& db = *d_->db;
    const bool own = !db.inTransaction();
    int rc = own ? db.begin(lockWait_, d.file == StoreFile::USERS, lockWait_)
                 : db.savepoint("tembrix_create");
    if (rc != sql::Ok) return failSql(rc, true);
    // Two stations making the same table wait for each other here.
    if (!own) rc = db.lockForWrite(d.file);
    std::vector<std::string> tables;
    if (rc == sql::Ok) rc = db.tableNames(d.file, tables);
    const bool exists = std::find(tables.begin(), tables.end(), d.name) != tables.end();
    if (rc == sql::Ok && !exists) {
        rc = db.exec(std::string("CREATE TABLE IF NOT EXISTS ") + schemaOf(d) + "." + kCatalog +
                     " (name TEXT PRIMARY KEY, layout TEXT NOT NULL)");
        if (rc == sql::Ok) rc = db.exec(createTableSql(db.dialect(), d));
        for (const KeyDecl& k : d.keys)
            if (rc == sql::Ok) rc = db.exec(createIndexSql(db.dialect(), d, k));
        if (rc == sql::Ok) rc = writeCatalog(schemaOf(d), d.name, layoutSignature(d));
    }
    if (!own) return endSavepoint("tembrix_create", rc);
    if (rc == sql::Ok) rc = db.commit(lockWait_);
    if (rc != sql::Ok) {
        const int code = failSql(rc, true);
        if (db.inTransaction()) db.rollback(lockWait_);
        return code;
    }
    status_.clear();
    return 0;
}

int Engine::writeCatalog(const std::string& schema, const char* name, const std::string& layout) {
    // A delete and an insert rather than an upsert: both engines spell them alike.
    std::unique_ptr<sql::Statement> del =
        d_->db->prepare("DELETE FROM " + schema + "." + kCatalog + " WHERE name = ?1");
    if (!del) return d_->db->errorCode();
    del->bind(1, std::string_view(name));
    int rc = del->step();
    if (rc != sql::Done) return rc;
    std::unique_ptr<sql::Statement> ins = d_->db->prepare("INSERT INTO " + schema + "." + kCatalog +
                                                          " (name, layout) VALUES (?1, ?2)");
    if (!ins) return d_->db->errorCode();
    ins->bind(1, std::string_view(name));
    ins->bind(2, std::string_view(layout));
    rc = ins->step();
    return rc == sql::Done || rc == sql::Row ? sql::Ok : rc;
}

int Engine::endSavepoint(const char* name, int rc) {
    sql::Connection& db = *d_->db;
    if (rc != sql::Ok) {
        const int code = failSql(rc, true);
        db.rollbackTo(name);
        db.release(name);
        return code;
    }
    rc = db.release(name);
    if (rc != sql::Ok) {
        const int code = failSql(rc, true);
        if (!inTransaction_ && db.inTransaction()) db.rollback(lockWait_);
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
    sql::Connection& db = *d_->db;
    std::string difference;
    switch (int rc = checkColumns(db, d, &difference)) {
        case sql::Ok:
            break;
        case sql::NotFound:
            return fail(FileNotFoundErr);
        case sql::Schema:
            fail(InvalidRecordDeclarationErr);
            status_.detail = difference;
            return InvalidRecordDeclarationErr;
        default:
            return failSql(rc, false);
    }
    // Statements prepared on the table keep the file store from dropping its indexes.
    d_->forgetStatements();
    int rc = db.savepoint("tembrix_keys");
    for (const KeyDecl& k : d.keys) {
        if (rc == sql::Ok)
            rc = db.exec(std::string("DROP INDEX IF EXISTS ") + schemaOf(d) + "." +
                         quoted(indexName(d, k)));
        if (rc == sql::Ok) rc = db.exec(createIndexSql(db.dialect(), d, k));
    }
    if (rc != sql::Ok) {
        int code = failSql(rc, true);
        db.rollbackTo("tembrix_keys");
        db.release("tembrix_keys");
        return code;
    }
    rc = db.release("tembrix_keys");
    if (rc != sql::Ok) return failSql(rc, true);
    d_->forgetStatements();
    status_.clear();
    return 0;
}

int Engine::dropKeys(Table& t) {
    const TableDecl& d = t.decl();
    if (!d_->db->isOpen()) return fail(FileNotOpenErr);
    d_->forgetStatements();
    for (const KeyDecl& k : d.keys) {
        const std::string sql =
            std::string("DROP INDEX IF EXISTS ") + schemaOf(d) + "." + quoted(indexName(d, k));
        int rc = d_->db->exec(sql);
        if (rc != sql::Ok) return failSql(rc, true);
    }
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
    if (!d_->db->isOpen()) return fail(FileNotOpenErr);
    if (int rc = checkFile(StoreFile::RESDATA)) return rc;
    if (d_->db->usersOpen())
        if (int rc = checkFile(StoreFile::USERS)) return rc;
    status_.clear();
    return 0;
}

int Engine::checkFile(StoreFile f) {
    if (!d_->db->isOpen() || (f == StoreFile::USERS && !d_->db->usersOpen()))
        return fail(FileNotOpenErr);
    std::string problem;
    const int rc = d_->db->check(f, problem);
    if (rc != sql::Ok) return failSql(rc, false);
    if (!problem.empty()) {
        status_.setFileError(sql::Corrupt, problem);
        return FileSystemErr;
    }
    status_.clear();
    return 0;
}

int Engine::holdsRecords(StoreFile f, bool& holds) {
    holds = false;
    if (!onServer() && !fileExists(pathOf(f))) return status_.clear(), 0;
    if (int rc = connectFile(f, false)) {
        // A server that does not hold the store yet holds no records of it.
        if (rc == FileNotFoundErr && onServer()) return status_.clear(), 0;
        return rc;
    }
    std::vector<std::string> names;
    int rc = d_->db->tableNames(f, names);
    if (rc != sql::Ok) return failSql(rc, false);
    const std::string schema = d_->db->schemaOf(f);
    for (const std::string& name : names) {
        if (name == kCatalog) continue;
        std::unique_ptr<sql::Statement> st =
            d_->db->prepare("SELECT 1 FROM " + schema + "." + quoted(name) + " LIMIT 1");
        rc = st ? st->step() : d_->db->errorCode();
        if (rc == sql::Row) {
            holds = true;
            break;
        }
        if (rc != sql::Done) return failSql(rc, false);
    }
    status_.clear();
    return 0;
}

namespace {

/// What a stored value is, as a user reads it: "the text \"abc\"", "the number 1.5".
std::string storedValueText(sql::Statement* st, int col) {
    switch (st->type(col)) {
        case sql::ValueType::Integer:
            return "the number " + std::to_string(st->number(col));
        case sql::ValueType::Float: {
            char text[40];
            std::snprintf(text, sizeof text, "%.10g", st->real(col));
            return std::string("the number ") + text;
        }
        case sql::ValueType::Text: {
            std::string text(st->text(col));
            if (text.size() > 30) text = text.substr(0, 30) + "...";
            return "the text \"" + text + "\"";
        }
        case sql::ValueType::Blob:
            return "binary data of " + std::to_string(st->text(col).size()) + " bytes";
        default:
            return "no value";
    }
}

/// True when the stored value fits the field as a record buffer holds it.
bool valueFits(const FieldDecl& f, sql::Statement* st, int col) {
    const sql::ValueType type = st->type(col);
    if (isText(f.type)) return type == sql::ValueType::Text && int(st->text(col).size()) <= f.width;
    if (type != sql::ValueType::Integer) return false;
    const long long v = st->number(col);
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
    if (!t.open_ || !d_->db->isOpen()) return fail(FileNotOpenErr);
    switch (int rc = checkColumns(*d_->db, d)) {
        case sql::Ok:
            break;
        case sql::NotFound:
            return fail(FileNotFoundErr);
        case sql::Schema:
            return fail(InvalidRecordDeclarationErr);
        default:
            return failSql(rc, false);
    }
    const std::string sql = "SELECT " + selectList(d) + " FROM " + tableRef(d) + " ORDER BY _rid";
    std::unique_ptr<sql::Statement> owned = d_->db->prepare(sql);
    if (!owned) return failSql(d_->db->errorCode(), false);
    sql::Statement* st = owned.get();
    int rc = sql::Ok;
    long long record = 0;
    while (unfit.record == 0 && (rc = st->step()) == sql::Row) {
        ++record;
        int col = 2;
        for (std::size_t i = 0; i < d.fields.size(); ++i) {
            const FieldDecl& f = d.fields[i];
            const bool seal = d_->db->dialect().sealsFields() && d.sealed(int(i));
            for (int e = 1; e <= f.count && unfit.record == 0; ++e, ++col) {
                if (seal ? int(openText(st->text(col)).size()) <= f.width : valueFits(f, st, col))
                    continue;
                unfit.record = record;
                unfit.field = f.count == 1 ? f.name : f.name + ("_" + std::to_string(e));
                unfit.found = storedValueText(st, col);
            }
        }
    }
    st->reset();
    if (unfit.record == 0 && rc != sql::Done) return failSql(rc, false);
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
    if (!d_->db->isOpen()) return fail(FileNotOpenErr);
    if (options_.readOnly || d_->db->isReadOnly(d.file)) return fail(AccessDeniedErr);

    // Statements prepared on either table would keep it from being dropped or renamed.
    d_->forgetStatements();
    for (Table* t : d_->tables) {
        if (t->decl().file == d.file && (std::strcmp(t->decl().name, d.name) == 0 ||
                                         std::strcmp(t->decl().name, target.name) == 0))
            close(*t);
    }
    sql::Connection& db = *d_->db;
    auto exec = [&](const std::string& sql) { return db.exec(sql); };
    const std::string schema = schemaOf(d);
    int rc = db.savepoint("tembrix_replace");
    if (rc == sql::Ok) rc = db.lockForWrite(d.file);
    if (rc == sql::Ok) rc = exec("DROP TABLE IF EXISTS " + tableRef(target));
    for (const KeyDecl& k : d.keys)
        if (rc == sql::Ok)
            rc = exec("DROP INDEX IF EXISTS " + schema + "." + quoted(indexName(d, k)));
    if (rc == sql::Ok)
        rc = exec("ALTER TABLE " + tableRef(d) + " RENAME TO " + quoted(target.name));
    for (const KeyDecl& k : target.keys)
        if (rc == sql::Ok) rc = exec(createIndexSql(db.dialect(), target, k));
    if (rc == sql::Ok)
        rc = exec("CREATE TABLE IF NOT EXISTS " + schema + "." + kCatalog +
                  " (name TEXT PRIMARY KEY, layout TEXT NOT NULL)");
    if (rc == sql::Ok) {
        std::unique_ptr<sql::Statement> st =
            db.prepare("DELETE FROM " + schema + "." + kCatalog + " WHERE name = ?1");
        if (st) st->bind(1, std::string_view(d.name));
        rc = !st ? db.errorCode() : st->step() == sql::Done ? sql::Ok : db.errorCode();
    }
    if (rc == sql::Ok) rc = writeCatalog(schema, target.name, want);
    return endSavepoint("tembrix_replace", rc);
}

long long Engine::records(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr), 0;
    sql::Statement* st = d_->statement("SELECT count(*) FROM " + tableRef(t.decl()));
    if (!st) return failSql(d_->db->errorCode(), false), 0;
    long long n = 0;
    int rc = st->step();
    if (rc == sql::Row) n = st->number(0);
    st->reset();
    if (rc != sql::Row) return failSql(rc, false), 0;
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
    auto bindComponent = [&](sql::Statement* st, int param, int i) {
        if (t.cursorStored_) {
            const Table::StoredValue& v = t.cursorKeys_[i];
            if (v.text)
                st->bind(param, std::string_view(v.bytes));
            else
                st->bind(param, v.number);
            return;
        }
        const FieldDecl& f = d.fields[d.keys[key].components[i].field];
        if (isText(f.type)) {
            std::string_view v = getText(f, t.cursorRecord_.get());
            st->bind(param, std::string_view(v));
        } else {
            st->bind(param, getNumber(f, t.cursorRecord_.get()));
        }
    };
    // Runs one level of the seek, appending its records to the page; stops at a record
    // that cannot be read.
    auto run = [&](int equal, bool range) {
        sql::Statement* st = d_->statement(t, pageKind(key, direction, equal, range), [&] {
            return pageSql(d_->dialect(), d, key, direction, equal, range);
        });
        if (!st) return failSql(d_->db->errorCode(), false);
        for (int i = 0; i < equal; ++i) bindComponent(st, i + 1, i);
        if (range) {
            const int param = key < 0 ? 1 : equal + 1;
            if (key < 0 || equal == n)
                st->bind(param, t.cursorRowid_);
            else
                bindComponent(st, param, equal);
        }
        st->bind(99, (long long)(limit - int(t.pagePositions_.size())));
        int rc;
        while ((rc = st->step()) == sql::Row) {
            const std::string misfit = misfitOf(st, d_->db->dialect(), d);
            if (!misfit.empty()) {
                t.pageFault_.setFileError(sql::Corrupt, misfit);
                rc = sql::Done;
                break;
            }
            std::byte* rec = t.page_.data() + t.pagePositions_.size() * t.recordSize();
            t.pagePositions_.push_back(readRow(st, d_->db->dialect(), d, rec));
            for (int col : keyColumns) {
                Table::StoredValue v;
                v.text = st->type(col) == sql::ValueType::Text;
                if (v.text)
                    v.bytes.assign(st->text(col));
                else
                    v.number = st->number(col);
                t.pageKeys_.push_back(std::move(v));
            }
        }
        st->reset();
        return rc == sql::Done ? 0 : failSql(rc, false);
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
    sql::Statement* st = d_->statement(t, FetchOf | std::uint32_t(key) << 4,
                                       [&] { return fetchSql(d_->dialect(), d, key); });
    if (!st) return failSql(d_->db->errorCode(), false);
    bindKey(st, d, k, t.buffer());
    int rc = st->step();
    if (int bad = readChecked(st, rc, t)) return bad;
    if (rc == sql::Done) return fail(RecordNotFoundErr);
    if (rc != sql::Row) return failSql(rc, false);
    status_.clear();
    return 0;
}

int Engine::reget(Table& t, RecordPosition p) {
    if (!t.open_) return fail(FileNotOpenErr);
    const TableDecl& d = t.decl();
    sql::Statement* st = d_->statement(t, RegetOf, [&] {
        return "SELECT " + selectList(d) + " FROM " + tableRef(d) + " WHERE _rid = ?1";
    });
    if (!st) return failSql(d_->db->errorCode(), false);
    st->bind(1, p.rowid);
    int rc = st->step();
    if (int bad = readChecked(st, rc, t)) return bad;
    if (rc == sql::Done) return fail(RecordNotFoundErr);
    if (rc != sql::Row) return failSql(rc, false);
    status_.clear();
    return 0;
}

int Engine::readChecked(sql::Statement* st, int rc, Table& t) {
    if (rc == sql::Row) {
        const std::string misfit = misfitOf(st, d_->db->dialect(), t.decl());
        if (!misfit.empty()) {
            st->reset();
            status_.setFileError(sql::Corrupt, misfit);
            return FileSystemErr;
        }
        t.position_ = readRow(st, d_->db->dialect(), t.decl(), t.buffer());
    }
    st->reset();
    return 0;
}

// --- writing ---------------------------------------------------------------------------

sql::Statement* Engine::insertStatement(Table& t) {
    const TableDecl& d = t.decl();
    return d_->statement(t, InsertOf, [&] {
        std::string cols = "_ver", params = "1";
        int n = 1;
        for (const FieldDecl& f : d.fields)
            for (const std::string& c : columnsOf(f)) {
                cols += ", " + quoted(c);
                params += ", ?" + std::to_string(n++);
            }
        return "INSERT INTO " + tableRef(d) + " (" + cols + ") VALUES (" + params + ")" +
               d_->dialect().insertReturning();
    });
}

int Engine::add(Table& t) {
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.readOnly_) return fail(AccessDeniedErr);
    const TableDecl& d = t.decl();
    sql::Statement* st = insertStatement(t);
    if (!st) return failSql(d_->db->errorCode(), true);
    if (int rc = lockForWrite(d.file)) return rc;
    bindRecord(st, d_->db->dialect(), d, t.buffer(), 1);
    int rc = st->step();
    long long rowid = 0;
    if (rc == sql::Row) rowid = st->number(0), rc = sql::Done;
    st->reset();
    dropPage(t);
    if (rc != sql::Done) {
        int code = failSql(rc, true);
        if (code == DupKeyErr) t.duplicateKey_ = findDuplicate(t, 0);
        return code;
    }
    t.position_ = {rowid ? rowid : d_->db->lastInsertRow(), 1};
    if (inTransaction_) d_->journal.push_back({&t, t.position_.rowid, 0});
    status_.clear();
    return 0;
}

int Engine::addEach(Table& t, int count, const std::function<void(int i)>& fill) {
    if (!inTransaction_) return fail(RecordNotAvailableErr);
    if (!t.open_) return fail(FileNotOpenErr);
    if (t.readOnly_) return fail(AccessDeniedErr);
    if (count <= 0) {
        status_.clear();
        return 0;
    }
    sql::Connection& db = *d_->db;
    const RecordPosition before = t.position_;
    const std::size_t journalBefore = d_->journal.size();
    if (!db.runsTogether()) {
        // One by one under a savepoint, so that a failure takes back the records before it.
        if (int rc = db.savepoint("tembrix_each")) return failSql(rc, true);
        for (int i = 0; i < count; ++i) {
            fill(i);
            if (int code = add(t)) {
                const EngineStatus kept = status_;
                db.rollbackTo("tembrix_each");
                db.release("tembrix_each");
                d_->journal.resize(journalBefore);
                t.position_ = before;
                status_ = kept;
                return code;
            }
        }
        return endSavepoint("tembrix_each", sql::Ok);
    }
    const TableDecl& d = t.decl();
    sql::Statement* st = insertStatement(t);
    if (!st) return failSql(db.errorCode(), true);
    if (int rc = lockForWrite(d.file)) return rc;
    std::vector<long long> rows;
    int failed = -1;
    const int rc = db.runEach(
        *st, count,
        [&](int i) {
            fill(i);
            bindRecord(st, db.dialect(), d, t.buffer(), 1);
        },
        rows, failed);
    dropPage(t);
    if (rc != sql::Ok) {
        if (failed >= 0) fill(failed);
        const int code = failSql(rc, true);
        if (code == DupKeyErr) t.duplicateKey_ = failed >= 0 ? findDuplicate(t, 0) : -1;
        return code;
    }
    for (long long rowid : rows) d_->journal.push_back({&t, rowid, 0});
    if (!rows.empty()) t.position_ = {rows.back(), 1};
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
        for (std::size_t c = 0; c < k.components.size(); ++c) {
            const int f = k.components[c].field;
            where += term(d_->dialect(), d, f) + " = " +
                     termParam(d_->dialect(), d, f, int(c) + 1) + " AND ";
        }
        where += "_rid <> ?" + std::to_string(k.components.size() + 1);
        sql::Statement* st =
            d_->statement("SELECT 1 FROM " + tableRef(d) + " WHERE " + where + " LIMIT 1");
        if (!st) continue;
        bindKey(st, d, k, rec);
        st->bind(int(k.components.size()) + 1, self);
        const bool found = st->step() == sql::Row;
        st->reset();
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
    sql::Statement* st = d_->statement(t, UpdateOf, [&] {
        std::string sets = "_ver = _ver + 1";
        int p = 1;
        for (const FieldDecl& f : d.fields)
            for (const std::string& c : columnsOf(f))
                sets += ", " + quoted(c) + " = ?" + std::to_string(p++);
        return "UPDATE " + tableRef(d) + " SET " + sets + " WHERE _rid = ?" + std::to_string(p) +
               " AND _ver = ?" + std::to_string(p + 1);
    });
    if (!st) return failSql(d_->db->errorCode(), true);
    if (int rc = lockForWrite(d.file)) return rc;
    bindRecord(st, d_->db->dialect(), d, t.buffer(), 1);
    st->bind(n, t.position_.rowid);
    st->bind(n + 1, t.position_.version);
    int rc = st->step();
    st->reset();
    dropPage(t);
    if (rc != sql::Done) {
        int code = failSql(rc, true);
        if (code == DupKeyErr) t.duplicateKey_ = findDuplicate(t, t.position_.rowid);
        return code;
    }
    if (d_->db->changes() == 0)
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
    sql::Statement* st = d_->statement(t, DeleteOf, [&] {
        return "DELETE FROM " + tableRef(t.decl()) + " WHERE _rid = ?1 AND _ver = ?2";
    });
    if (!st) return failSql(d_->db->errorCode(), true);
    if (int rc = lockForWrite(t.decl().file)) return rc;
    st->bind(1, t.position_.rowid);
    st->bind(2, t.position_.version);
    int rc = st->step();
    st->reset();
    dropPage(t);
    if (rc != sql::Done) return failSql(rc, true);
    if (d_->db->changes() == 0)
        return fail(stillThere(t) ? RecordChangedErr : RecordNotAvailableErr);
    if (inTransaction_) d_->journal.push_back({&t, t.position_.rowid, t.position_.version});
    t.position_ = {};
    status_.clear();
    return 0;
}

int Engine::lockForWrite(StoreFile f) {
    if (!inTransaction_) return 0;
    const int rc = d_->db->lockForWrite(f);
    return rc == sql::Ok ? 0 : failSql(rc, true);
}

bool Engine::stillThere(Table& t) {
    sql::Statement* st = d_->statement(
        t, ExistsOf, [&] { return "SELECT 1 FROM " + tableRef(t.decl()) + " WHERE _rid = ?1"; });
    if (!st) return false;
    st->bind(1, t.position_.rowid);
    const bool found = st->step() == sql::Row;
    st->reset();
    return found;
}

// --- transactions ----------------------------------------------------------------------

int Engine::begin(int waitSeconds, bool usersToo) {
    return beginWith(waitSeconds, usersToo, false);
}

int Engine::beginSnapshot(int waitSeconds, bool usersToo) {
    return beginWith(waitSeconds, usersToo, true);
}

int Engine::beginWith(int waitSeconds, bool usersToo, bool snapshot) {
    if (inTransaction_) return fail(TransactionActiveErr);
    if (int rc = connect(false)) return rc;
    const bool users = usersToo && d_->db->usersOpen();
    const int rc = snapshot ? d_->db->beginSnapshot(waitSeconds, users, lockWait_)
                            : d_->db->begin(waitSeconds, users, lockWait_);
    if (rc != sql::Ok) return failSql(rc, true);
    inTransaction_ = true;
    d_->journal.clear();
    status_.clear();
    return 0;
}

void Engine::removeStaleSuperJournals() {
    namespace fs = std::filesystem;
    if (options_.readOnly || inTransaction_ || !d_->db->usersOpen() || onServer()) return;
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
    std::vector<std::string> tables;
    if (d_->db->tableNames(StoreFile::RESDATA, tables) != sql::Ok || tables.empty()) return;
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
    int rc = d_->db->commit(lockWait_);
    if (rc != sql::Ok) {
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
    status_.clear();
    return 0;
}

int Engine::rollback() {
    if (!inTransaction_) return fail(RecordNotAvailableErr);
    int rc = d_->db->rollback(lockWait_);
    inTransaction_ = false;
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
    if (rc != sql::Ok) return failSql(rc, true);
    status_.clear();
    return 0;
}

// --- copies ----------------------------------------------------------------------------

int Engine::copyFile(StoreFile f, const std::string& toPath) {
    if (inTransaction_) return fail(TransactionActiveErr);
    if (onServer()) return copyStoreFile(*this, f, toPath);
    if (int rc = connect(false)) return rc;
    if (f == StoreFile::USERS)
        if (int rc = attachUsers(false)) return rc;
    const int rc = d_->db->copy(f, toPath, lockWait_);
    if (rc == sql::Busy || rc == sql::Locked) return fail(RecordHeldErr);
    if (rc != sql::Ok) {
        const int os = d_->db->systemErrno();
        status_.setFileError(os ? os : rc, d_->db->errorMessage(rc));
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
    sql::Statement* st = d_->statement(joinSql(d_->dialect(), o, i, q, l));
    if (!st) return failSql(d_->db->errorCode(), false);
    bindKey(st, o, o.keys[q.outerKey], outer.buffer(), q.outerEqual);
    if (q.rangeField.valid()) {
        st->bind(90, q.low);
        st->bind(91, q.high);
    }
    if (q.outerRangeField.valid()) {
        st->bind(92, q.outerLow);
        st->bind(93, q.outerHigh);
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
    while ((rc = st->step()) == sql::Row) {
        misfit = misfitOf(st, d_->db->dialect(), o);
        if (misfit.empty()) misfit = misfitOf(st, d_->db->dialect(), i, selectColumns(o));
        if (misfit.empty() && lookup &&
            st->type(selectColumns(o) + selectColumns(i)) != sql::ValueType::Null)
            misfit = misfitOf(st, d_->db->dialect(), *l, selectColumns(o) + selectColumns(i));
        if (!misfit.empty()) break;
        positions.push_back(readRow(st, d_->db->dialect(), o, image.data()));
        positions.push_back(readRow(st, d_->db->dialect(), i, image.data() + os, selectColumns(o)));
        if (lookup) {
            const int first = selectColumns(o) + selectColumns(i);
            if (st->type(first) == sql::ValueType::Null) {
                lookup->clearBuffer();
                std::memcpy(image.data() + os + is, lookup->buffer(), ls);
                positions.push_back({});
            } else {
                positions.push_back(
                    readRow(st, d_->db->dialect(), *l, image.data() + os + is, first));
            }
        }
        rows.insert(rows.end(), image.begin(), image.end());
    }
    st->reset();
    st->clearBindings();
    if (!misfit.empty()) {
        status_.setFileError(sql::Corrupt, misfit);
        return FileSystemErr;
    }
    if (rc != sql::Done) return failSql(rc, false);
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

int Engine::runSet(Table& t, const std::string& text, long long low, long long high, bool write,
                   long long* result, long long from, long long to) {
    if (result) *result = 0;
    if (!t.open_) return fail(FileNotOpenErr);
    if (write && t.readOnly_) return fail(AccessDeniedErr);
    sql::Statement* st = d_->statement(text);
    if (!st) return failSql(d_->db->errorCode(), write);
    if (write)
        if (int rc = lockForWrite(t.decl().file)) return rc;
    st->bind(1, low);
    st->bind(2, high);
    if (st->parameterCount() >= 4) {
        st->bind(3, from);
        st->bind(4, to);
    }
    int rc = st->step();
    long long n = 0;
    if (rc == sql::Row) n = st->number(0), rc = sql::Done;
    st->reset();
    if (write) {
        dropPage(t);
        if (rc == sql::Done) n = d_->db->changes();
    }
    if (rc != sql::Done) return failSql(rc, write);
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
        sql::Statement* st = d_->statement("SELECT min(_rid), max(_rid) FROM " + tableRef(d));
        if (!st) return failSql(d_->db->errorCode(), false);
        int rc = st->step();
        if (rc == sql::Row) first = st->number(0), last = st->number(1);
        st->reset();
        if (rc != sql::Row) return failSql(rc, false);
    }
    const std::string sql = "DELETE FROM " + tableRef(d) + d_->dialect().storedOrder() +
                            " WHERE _rid >= ?3 AND _rid <= ?4 AND " + where;
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
    runSet(t,
           "SELECT count(*) FROM " + tableRef(d) + " WHERE " +
               unlinkedWhere(d_->dialect(), d, other.decl(), q),
           q.low, q.high, false, &n);
    return n;
}

int Engine::eraseUnlinked(Table& t, Table& other, const Unlinked& q, long long* erased) {
    if (erased) *erased = 0;
    if (!other.open_) return fail(FileNotOpenErr);
    const TableDecl& d = t.decl();
    return runSet(
        t,
        "DELETE FROM " + tableRef(d) + " WHERE " + unlinkedWhere(d_->dialect(), d, other.decl(), q),
        q.low, q.high, true, erased);
}

std::string Engine::rangePlan(Table& t, int key) {
    const TableDecl& d = t.decl();
    return d_->db->plan("DELETE FROM " + tableRef(d) + " WHERE " + rangeWhere(d, key));
}

std::string Engine::unlinkedPlan(Table& t, Table& other, const Unlinked& q) {
    const TableDecl& d = t.decl();
    return d_->db->plan("DELETE FROM " + tableRef(d) + " WHERE " +
                        unlinkedWhere(d_->dialect(), d, other.decl(), q));
}

std::string Engine::joinPlan(Table& outer, Table& inner, const JoinQuery& q, Table* lookup) {
    return d_->db->plan(
        joinSql(d_->dialect(), outer.decl(), inner.decl(), q, lookup ? &lookup->decl() : nullptr));
}

std::string Engine::queryPlan(Table& t, const std::string& which, int key) {
    const TableDecl& d = t.decl();
    const KeyDecl& k = d.keys[key];
    const int n = int(k.components.size());
    std::vector<std::string> statements;
    if (which == "walk") {
        statements.push_back(pageSql(d_->dialect(), d, key, +1, 0, false));
    } else if (which == "after" || which == "before") {
        const int direction = which == "after" ? +1 : -1;
        for (int level = rowidInKey(k) ? n : n - 1; level >= 0; --level)
            statements.push_back(pageSql(d_->dialect(), d, key, direction, level, true));
    } else if (which == "value") {
        statements.push_back(pageSql(d_->dialect(), d, key, +1, n, false));
    } else {
        statements.push_back(fetchSql(d_->dialect(), d, key));
    }
    std::string plan;
    for (const std::string& sql : statements) plan += d_->db->plan(sql);
    return plan;
}

}  // namespace store

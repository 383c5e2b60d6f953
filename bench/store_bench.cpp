// Throughput of the store on a DATES table of 1,000,000 occurrences, each operation set
// against the same work done by raw SQLite statements on the same file in the same run:
// a full walk in date/time order, fetches of single occurrences by booking and date/time,
// inserts and updates in transactions of 1,000, and pages of a browse list (25 records
// from a random date on).
//
// With a server named in TEMBRIX_TEST_SERVER (libpq parameters without a database, for a
// role that may create databases) the same store is copied into a database made for the
// run (and dropped at its end), and the store's measurements run there too, beside the
// files' and raw SQLite's. Without one that part is skipped, saying so.
//
// The store is generated in a fresh folder that is removed afterwards, or kept in the
// folder TEMBRIX_BENCH_DIR names and reused when that folder already holds exactly
// 1,000,000 occurrences. Google Benchmark's table comes first; a summary of the rates and
// their ratio (ours / raw) ends the output.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "store/error_class.h"
#include "store/scripted_questions.h"
#include "store/server_config.h"
#include "store/store.h"
#include "store/store_copy.h"

namespace {

using store::DATES;
using store::FileManager;
using store::Level_Benign;
using store::LONG;
using store::Tbl;

constexpr long long kRecords = 1'000'000;
constexpr int kPerTransaction = 1'000;
constexpr int kFetchKeys = 100'000;
constexpr int kPageRecords = 25;  // one screen of a browse list
// The page cache of the store's own connection, given to the raw connection as well.
constexpr const char* kCacheSize = "PRAGMA cache_size = -16384";

constexpr LONG kFirstDay = 79'000;  // 14 April 2017
constexpr int kDays = 5 * 365;
constexpr LONG kQuarterHour = 90'000;  // in hundredths of a second
constexpr LONG kMinute = 6'000;

/// The folders this run made for its store; removed however the run ends.
std::vector<std::string> temporaryFolders;
/// The server database this run made (its admin connection and name); dropped at the end.
std::string serverAdmin, serverDatabase;

void dropServerDatabase() {
    if (serverDatabase.empty()) return;
    PGconn* c = PQconnectdb(serverAdmin.c_str());
    if (PQstatus(c) == CONNECTION_OK)
        PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + serverDatabase + " WITH (FORCE)").c_str()));
    PQfinish(c);
    serverDatabase.clear();
}

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "store_bench: %s\n", what.c_str());
    std::error_code ignored;
    for (const std::string& f : temporaryFolders) std::filesystem::remove_all(f, ignored);
    dropServerDatabase();
    std::exit(1);
}

// --- test data -------------------------------------------------------------------------

/// Makes bookings as an office enters them: each a series of 1 to 19 occurrences (ten on
/// average), daily, weekly, fortnightly or every four weeks, from a first day anywhere in
/// five years, starting on a quarter hour between 07:00 and 19:45 and lasting a quarter
/// hour to four hours. A quarter of the bookings carry actual times on the occurrences
/// that had taken place by the end of the fourth year.
class BookingMaker {
  public:
    BookingMaker(std::uint64_t seed, LONG firstActnumber) : rng_(seed), next_(firstActnumber) {}

    /// Appends the occurrences of one more booking to out, stopping when out holds limit.
    void book(std::vector<DATES>& out, std::size_t limit) {
        static constexpr int kSteps[] = {1, 7, 7, 7, 14, 28};
        const LONG actnumber = next_++;
        const int occurrences = uniform(1, 19);
        const int step = kSteps[uniform(0, 5)];
        const LONG firstDay = kFirstDay + uniform(0, kDays - 1);
        const LONG start = 1 + uniform(28, 79) * kQuarterHour;
        const LONG end = start + uniform(1, 16) * kQuarterHour;
        const bool actualTimes = uniform(0, 3) == 0;
        for (int i = 0; i < occurrences && out.size() < limit; ++i) {
            DATES d;
            d.ACTNUMBER = actnumber;
            d.DATE = firstDay + i * step;
            d.TIME = start;
            d.ENDTIME = end;
            d.ACTUALSTART = 0;
            d.ACTUALEND = 0;
            if (actualTimes && d.DATE < kFirstDay + 4 * 365) {
                d.ACTUALSTART = start + uniform(-10, 10) * kMinute;
                d.ACTUALEND = std::max(end + uniform(-10, 15) * kMinute, d.ACTUALSTART + kMinute);
            }
            out.push_back(d);
        }
    }

  private:
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    std::mt19937_64 rng_;
    LONG next_;
};

std::vector<DATES> makeOccurrences(std::uint64_t seed, LONG firstActnumber, std::size_t count) {
    std::vector<DATES> out;
    out.reserve(count);
    BookingMaker maker(seed, firstActnumber);
    while (out.size() < count) maker.book(out, count);
    return out;
}

/// An order-sensitive digest of the records a walk or a run of fetches read, so that the
/// store's figures and the raw ones are shown to stand for the same records.
struct Digest {
    std::uint64_t value = 0;
    void add(long long v) { value = (value ^ std::uint64_t(v)) * 0x100000001b3ull; }
    void add(const DATES& d, long long rowid, long long version) {
        add(rowid), add(version);
        add(d.ACTNUMBER), add(d.DATE), add(d.TIME);
        add(d.ACTUALSTART), add(d.ACTUALEND), add(d.ENDTIME);
    }
};

// --- raw SQLite ------------------------------------------------------------------------

std::string quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

/// The statements the store's engine runs for DATES, written out the way it derives them
/// from the table's declaration: the same columns, key order and "not all components
/// empty" condition, so that SQLite picks the same partial indexes.
struct RawSql {
    std::string table, columns, walk, fetch, insert, page, update;

    RawSql() {
        const store::TableDecl& d = store::tableDecl(Tbl::DATES);
        table = "main." + quoted(d.name);
        columns = "_rid, _ver";
        std::string names = "_ver", params = "1";
        for (std::size_t i = 0; i < d.fields.size(); ++i) {
            columns += ", " + quoted(d.fields[i].name);
            names += ", " + quoted(d.fields[i].name);
            params += ", ?" + std::to_string(i + 1);
        }
        const store::KeyDecl& dateTime = d.keys[store::DAT::DATETIME_KEY];
        std::string order;
        for (const store::KeyComponent& c : dateTime.components)
            order += quoted(d.fields[c.field].name) + ", ";
        walk = "SELECT " + columns + " FROM " + table + " WHERE " + notEmpty(d, dateTime) +
               " ORDER BY " + order + "_rid";
        // A browse page from a date on: the key's first component at or after ?1.
        page = "SELECT " + columns + " FROM " + table + " WHERE " + notEmpty(d, dateTime) +
               " AND " + quoted(d.fields[dateTime.components[0].field].name) + " >= ?1 ORDER BY " +
               order + "_rid LIMIT " + std::to_string(kPageRecords);
        // A write as the engine makes it: the version raised, only while it is the one read.
        update = "UPDATE " + table + " SET \"ACTUALEND\" = ?1, _ver = _ver + 1 WHERE _rid = ?2 " +
                 "AND _ver = ?3";

        const store::KeyDecl& actDates = d.keys[store::DAT::ACTDATES_KEY];
        fetch = "SELECT " + columns + " FROM " + table + " WHERE " + notEmpty(d, actDates);
        for (std::size_t i = 0; i < actDates.components.size(); ++i)
            fetch += " AND " + quoted(d.fields[actDates.components[i].field].name) + " = ?" +
                     std::to_string(i + 1);
        fetch += " LIMIT 1";

        insert = "INSERT INTO " + table + " (" + names + ") VALUES (" + params + ")";
    }

    static std::string notEmpty(const store::TableDecl& d, const store::KeyDecl& k) {
        std::string s = "NOT (";
        for (std::size_t i = 0; i < k.components.size(); ++i)
            s += (i ? " AND " : "") + quoted(d.fields[k.components[i].field].name) + " = 0";
        return s + ")";
    }
};

/// A second connection to the store's file, opened as the engine opens its own.
class RawConnection {
  public:
    explicit RawConnection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK)
            die("cannot open " + path + ": " + sqlite3_errmsg(db_));
        sqlite3_busy_timeout(db_, 10'000);
        exec(kCacheSize);
        walk = prepare(sql.walk);
        fetch = prepare(sql.fetch);
        insert = prepare(sql.insert);
        page = prepare(sql.page);
        update = prepare(sql.update);
        purge = prepare("DELETE FROM " + sql.table + " WHERE _rid > ?1");
    }
    ~RawConnection() {
        for (sqlite3_stmt* st : {walk, fetch, insert, page, update, purge}) sqlite3_finalize(st);
        sqlite3_close(db_);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    sqlite3* db() { return db_; }
    std::string error() const { return sqlite3_errmsg(db_); }

    void exec(const std::string& text) {
        if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            die(text + ": " + error());
    }
    sqlite3_stmt* prepare(const std::string& text) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, text.c_str(), -1, &st, nullptr) != SQLITE_OK)
            die(text + ": " + error());
        return st;
    }
    long long number(const std::string& query) {
        sqlite3_stmt* st = prepare(query);
        if (sqlite3_step(st) != SQLITE_ROW) die(query + ": " + error());
        const long long n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return n;
    }
    /// The query plan of a statement, one line per step.
    std::string plan(const std::string& query) {
        sqlite3_stmt* st = prepare("EXPLAIN QUERY PLAN " + query);
        std::string out;
        while (sqlite3_step(st) == SQLITE_ROW)
            out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + "\n";
        sqlite3_finalize(st);
        return out;
    }
    /// Reads the current row of walk or fetch (_rid, _ver, then the fields in order).
    static void read(sqlite3_stmt* st, Digest& digest) {
        DATES d;
        d.ACTNUMBER = LONG(sqlite3_column_int64(st, 2));
        d.DATE = LONG(sqlite3_column_int64(st, 3));
        d.TIME = LONG(sqlite3_column_int64(st, 4));
        d.ACTUALSTART = LONG(sqlite3_column_int64(st, 5));
        d.ACTUALEND = LONG(sqlite3_column_int64(st, 6));
        d.ENDTIME = LONG(sqlite3_column_int64(st, 7));
        digest.add(d, sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1));
    }
    /// Binds the six fields of a record as ?1..?6, in stored order.
    static void bind(sqlite3_stmt* st, const DATES& d) {
        sqlite3_bind_int64(st, 1, d.ACTNUMBER);
        sqlite3_bind_int64(st, 2, d.DATE);
        sqlite3_bind_int64(st, 3, d.TIME);
        sqlite3_bind_int64(st, 4, d.ACTUALSTART);
        sqlite3_bind_int64(st, 5, d.ACTUALEND);
        sqlite3_bind_int64(st, 6, d.ENDTIME);
    }

    const RawSql sql;
    sqlite3_stmt* walk = nullptr;
    sqlite3_stmt* fetch = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* page = nullptr;
    sqlite3_stmt* update = nullptr;
    sqlite3_stmt* purge = nullptr;

  private:
    sqlite3* db_ = nullptr;
};

// --- the store under measurement -------------------------------------------------------

/// The key of one occurrence on DAT:ACTDATES_KEY.
struct ActDates {
    LONG actnumber, date, time, endtime;
};

/// One store the measurements run on: the folder's own files, or the same records copied
/// into a server database.
struct Side {
    std::string name;  // "files" or "server"
    std::string folder;
    store::ErrorClass errors;
    std::unique_ptr<store::Store> db;
    // Raised by every update run on this store: the records read afterwards differ.
    int generation = 0;

    FileManager& dates() { return db->Access(Tbl::DATES); }
    store::Table& table() { return db->table(Tbl::DATES); }
};

/// The generated store with its connections, and what the measurements share.
struct Bench {
    bool ownFolder = false;
    store::ScriptedQuestions questions;  // no box may wait for an answer
    Side files;
    std::unique_ptr<Side> server;  // when a test server is named
    std::unique_ptr<RawConnection> raw;

    long long lastRowid = 0;  // rows after this one were added by an insert run
    LONG nextActnumber = 0;   // first booking number no occurrence carries yet
    double generatedSeconds = -1;
    double copySeconds = -1;  // the copy onto the server, checked
    std::vector<ActDates> fetchKeys;
    std::vector<DATES> inserts;  // made when an insert run first needs them

    // The digests of the walks, fetches and pages: ours and raw must agree.
    std::map<std::string, std::uint64_t> digests;

    std::string lastQuestion() const { return questions.lastText(); }

    ~Bench() {
        raw.reset();
        server.reset();
        files.db.reset();
        std::error_code ignored;
        for (const std::string& f : temporaryFolders)
            if (ownFolder || f != files.folder) std::filesystem::remove_all(f, ignored);
        dropServerDatabase();
    }

    /// Compares a digest with the one of the same work on the same store in the same state
    /// (raw SQLite reads the files' store).
    void checkDigest(const std::string& what, const Side& side, std::uint64_t value) {
        const std::string key = what + "@" + side.name + "#" + std::to_string(side.generation);
        auto [it, first] = digests.emplace(key, value);
        if (!first && it->second != value)
            die(what + ": the store and raw SQLite read different records");
    }
};

void openSide(Bench& b, Side& side) {
    side.errors.INIT();
    side.errors.endProgram = [&b](int) { die("the store gave up: " + b.lastQuestion()); };
    side.db = std::make_unique<store::Store>(side.folder, side.errors);
    side.db->DCTINIT();
    if (side.dates().OPEN(true) != Level_Benign) die("opening DATES: " + b.lastQuestion());
}

/// Loads kRecords occurrences: the store creates DATES (table, keys, layout catalog) and
/// drops its keys for the load; the rows go in through raw SQL in one transaction; the
/// store then builds its keys again.
void generate(Bench& b) {
    const auto start = std::chrono::steady_clock::now();
    store::Engine& engine = b.files.db->engine();
    if (engine.dropKeys(b.files.table()) != 0) die("dropping the keys: " + engine.status().text);
    const std::vector<DATES> rows = makeOccurrences(20'240'601, 1, kRecords);
    RawConnection& raw = *b.raw;
    raw.exec("BEGIN IMMEDIATE");
    raw.exec("DELETE FROM " + raw.sql.table);
    for (const DATES& d : rows) {
        RawConnection::bind(raw.insert, d);
        if (sqlite3_step(raw.insert) != SQLITE_DONE) die("loading: " + raw.error());
        sqlite3_reset(raw.insert);
    }
    raw.exec("COMMIT");
    if (engine.buildKeys(b.files.table()) != 0) die("building the keys: " + engine.status().text);
    b.generatedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// A database of the run's own on the server TEMBRIX_TEST_SERVER names, holding a copy of
/// the files' store: the copy (with its check) is timed. Skipped, saying why, without one.
void prepareServer(Bench& b) {
    const char* server = std::getenv("TEMBRIX_TEST_SERVER");
    if (!server || !*server) {
        std::printf(
            "server: skipped (TEMBRIX_TEST_SERVER names no server; "
            "scripts/pg_test_server.sh starts one)\n");
        return;
    }
    serverAdmin = std::string(server) + " dbname=postgres";
    const std::string name = "tembrix_bench_" + std::to_string(::getpid());
    PGconn* c = PQconnectdb(serverAdmin.c_str());
    PGresult* r = PQexec(c, ("CREATE DATABASE " + name +
                             " TEMPLATE template0 ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C'")
                                .c_str());
    const bool made = PQresultStatus(r) == PGRES_COMMAND_OK;
    const std::string why = PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    if (!made) {
        std::printf("server: skipped (the database cannot be made: %s)\n", why.c_str());
        return;
    }
    serverDatabase = name;

    std::string templ = (std::filesystem::temp_directory_path() / "tembrix-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) die("cannot make a temporary folder");
    temporaryFolders.push_back(templ);
    {
        std::FILE* f = std::fopen((templ + "/" + store::kServerFileName).c_str(), "w");
        if (!f) die("cannot write the server file");
        std::fprintf(f, "# The benchmark's own database\n%s dbname=%s\n", server, name.c_str());
        std::fclose(f);
    }
    const auto start = std::chrono::steady_clock::now();
    {
        store::Engine to(templ);
        store::StoreCopyOptions o;
        o.files = {store::StoreFile::RESDATA};
        const store::StoreCopyResult copied = store::copyStore(b.files.db->engine(), to, o);
        if (!copied.ok()) die("copying the store onto the server: " + copied.message);
    }
    b.copySeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    b.server = std::make_unique<Side>();
    b.server->name = "server";
    b.server->folder = templ;
    openSide(b, *b.server);
}

/// Opens (creating when needed) the store and the raw connection, generates the records
/// unless the folder holds them already, and picks the occurrences to fetch.
void prepare(Bench& b) {
    b.files.name = "files";
    if (const char* dir = std::getenv("TEMBRIX_BENCH_DIR"); dir && *dir) {
        b.files.folder = dir;
        std::filesystem::create_directories(b.files.folder);
    } else {
        std::string templ =
            (std::filesystem::temp_directory_path() / "tembrix-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) die("cannot make a temporary folder");
        b.files.folder = templ;
        b.ownFolder = true;
        temporaryFolders.push_back(templ);
    }
    openSide(b, b.files);
    b.raw = std::make_unique<RawConnection>(b.files.db->engine().pathOf(store::StoreFile::RESDATA));

    RawConnection& raw = *b.raw;
    if (raw.number("SELECT count(*) FROM " + raw.sql.table) != kRecords) generate(b);
    b.lastRowid = raw.number("SELECT max(_rid) FROM " + raw.sql.table);
    b.nextActnumber = LONG(raw.number("SELECT max(ACTNUMBER) FROM " + raw.sql.table) + 1);

    // Every statement compared must go through its key's index, or the comparison says
    // nothing about the store.
    for (const std::string* q : {&raw.sql.walk, &raw.sql.fetch, &raw.sql.page}) {
        const std::string plan = raw.plan(*q);
        if (plan.find("USING INDEX") == std::string::npos &&
            plan.find("USING COVERING INDEX") == std::string::npos)
            die("no index used by " + *q + "\n" + plan);
    }

    // Occurrences to fetch, picked at random among those stored.
    const long long first = raw.number("SELECT min(_rid) FROM " + raw.sql.table);
    sqlite3_stmt* st = raw.prepare("SELECT ACTNUMBER, DATE, TIME, ENDTIME FROM " + raw.sql.table +
                                   " WHERE _rid = ?1");
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<long long> pick(first, b.lastRowid);
    while (b.fetchKeys.size() < kFetchKeys) {
        sqlite3_bind_int64(st, 1, pick(rng));
        if (sqlite3_step(st) == SQLITE_ROW)
            b.fetchKeys.push_back(
                {LONG(sqlite3_column_int64(st, 0)), LONG(sqlite3_column_int64(st, 1)),
                 LONG(sqlite3_column_int64(st, 2)), LONG(sqlite3_column_int64(st, 3))});
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    prepareServer(b);
}

// --- the measurements ------------------------------------------------------------------

void setRate(benchmark::State& state, long long records) {
    state.counters["rec/s"] = benchmark::Counter(double(records), benchmark::Counter::kIsRate);
}

void walkOurs(benchmark::State& state, Bench& b, Side& side) {
    FileManager& dat = side.dates();
    const DATES& rec = side.db->DAT;
    long long records = 0;
    Digest digest;
    for (auto _ : state) {
        digest = {};
        long long n = 0;
        if (dat.SET(store::DAT::DATETIME_KEY) != Level_Benign) {
            state.SkipWithError(("SET: " + b.lastQuestion()).c_str());
            break;
        }
        while (dat.NEXT() == Level_Benign) {
            const store::RecordPosition at = dat.POSITION();
            digest.add(rec, at.rowid, at.version);
            ++n;
        }
        if (!dat.atEnd()) {
            state.SkipWithError(("NEXT: " + b.lastQuestion()).c_str());
            break;
        }
        records += n;
    }
    if (state.error_occurred()) return;
    b.checkDigest("walk", side, digest.value);
    setRate(state, records);
}

void walkRaw(benchmark::State& state, Bench& b) {
    sqlite3_stmt* st = b.raw->walk;
    long long records = 0;
    Digest digest;
    for (auto _ : state) {
        digest = {};
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            RawConnection::read(st, digest);
            ++records;
        }
        sqlite3_reset(st);
        if (rc != SQLITE_DONE) {
            state.SkipWithError(b.raw->error().c_str());
            break;
        }
    }
    if (state.error_occurred()) return;
    b.checkDigest("walk", b.files, digest.value);
    setRate(state, records);
}

void fetchOurs(benchmark::State& state, Bench& b, Side& side) {
    FileManager& dat = side.dates();
    DATES& rec = side.db->DAT;
    std::size_t i = 0;
    Digest digest;
    for (auto _ : state) {
        const ActDates& k = b.fetchKeys[i];
        rec.ACTNUMBER = k.actnumber;
        rec.DATE = k.date;
        rec.TIME = k.time;
        rec.ENDTIME = k.endtime;
        if (dat.FETCH(store::DAT::ACTDATES_KEY) != Level_Benign) {
            state.SkipWithError("FETCH found no record");
            break;
        }
        const store::RecordPosition at = dat.POSITION();
        digest.add(rec, at.rowid, at.version);
        if (++i == b.fetchKeys.size()) i = 0;
    }
    if (state.error_occurred()) return;
    b.checkDigest("fetch " + std::to_string(state.iterations()), side, digest.value);
    setRate(state, state.iterations());
}

void fetchRaw(benchmark::State& state, Bench& b) {
    sqlite3_stmt* st = b.raw->fetch;
    std::size_t i = 0;
    Digest digest;
    for (auto _ : state) {
        const ActDates& k = b.fetchKeys[i];
        sqlite3_bind_int64(st, 1, k.actnumber);
        sqlite3_bind_int64(st, 2, k.date);
        sqlite3_bind_int64(st, 3, k.time);
        sqlite3_bind_int64(st, 4, k.endtime);
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) RawConnection::read(st, digest);
        sqlite3_reset(st);
        if (rc != SQLITE_ROW) {
            state.SkipWithError("the fetch found no record");
            break;
        }
        if (++i == b.fetchKeys.size()) i = 0;
    }
    if (state.error_occurred()) return;
    b.checkDigest("fetch " + std::to_string(state.iterations()), b.files, digest.value);
    setRate(state, state.iterations());
}

/// One page of a browse list as a window reads it: positioned at a date, then NEXT for
/// each line, nothing held open afterwards.
void pageOurs(benchmark::State& state, Bench& b, Side& side) {
    FileManager& dat = side.dates();
    DATES& rec = side.db->DAT;
    std::size_t i = 0;
    Digest digest;
    for (auto _ : state) {
        dat.PRIMERECORD();
        rec.DATE = b.fetchKeys[i].date;
        if (dat.SET(store::DAT::DATETIME_KEY, true) != Level_Benign) {
            state.SkipWithError(("SET: " + b.lastQuestion()).c_str());
            break;
        }
        for (int n = 0; n < kPageRecords && dat.NEXT() == Level_Benign; ++n) {
            const store::RecordPosition at = dat.POSITION();
            digest.add(rec, at.rowid, at.version);
        }
        if (++i == b.fetchKeys.size()) i = 0;
    }
    if (state.error_occurred()) return;
    b.checkDigest("page " + std::to_string(state.iterations()), side, digest.value);
    setRate(state, state.iterations() * kPageRecords);
}

void pageRaw(benchmark::State& state, Bench& b) {
    sqlite3_stmt* st = b.raw->page;
    std::size_t i = 0;
    Digest digest;
    for (auto _ : state) {
        sqlite3_bind_int64(st, 1, b.fetchKeys[i].date);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) RawConnection::read(st, digest);
        sqlite3_reset(st);
        if (rc != SQLITE_DONE) {
            state.SkipWithError(b.raw->error().c_str());
            break;
        }
        if (++i == b.fetchKeys.size()) i = 0;
    }
    if (state.error_occurred()) return;
    b.checkDigest("page " + std::to_string(state.iterations()), b.files, digest.value);
    setRate(state, state.iterations() * kPageRecords);
}

/// Makes sure the records an insert run adds exist: new bookings after the stored ones.
void makeInserts(Bench& b, benchmark::IterationCount transactions) {
    const std::size_t needed = std::size_t(transactions) * kPerTransaction;
    if (b.inserts.size() < needed) b.inserts = makeOccurrences(99, b.nextActnumber, needed);
}

/// Takes out what an insert run added, outside the measured time, so that every run
/// starts from the same 1,000,000 records: on the files by raw SQL after the last stored
/// row, on a server through the store, by booking number.
void removeInserts(Bench& b, Side& side) {
    if (&side != &b.files) {
        store::Engine& engine = side.db->engine();
        if (engine.eraseRange(side.table(), store::DAT::ACTNUMBER_KEY, b.nextActnumber,
                              INT32_MAX) != 0)
            die("removing the inserted records: " + engine.status().message());
        return;
    }
    sqlite3_stmt* st = b.raw->purge;
    sqlite3_bind_int64(st, 1, b.lastRowid);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) die("removing the inserted records: " + b.raw->error());
}

/// Ends a transaction of our engine: committed, or rolled back when a step failed (`verb`
/// names the step). False, with the run stopped, when it did not commit.
bool endTransaction(store::Engine& engine, benchmark::State& state, bool failed, const char* verb,
                    Bench& b) {
    if (failed) {
        engine.rollback();
        state.SkipWithError((std::string(verb) + ": " + b.lastQuestion()).c_str());
        return false;
    }
    if (engine.commit() == 0) return true;
    state.SkipWithError(("commit: " + engine.status().text).c_str());
    return false;
}

void insertOurs(benchmark::State& state, Bench& b, Side& side) {
    makeInserts(b, state.max_iterations);
    store::Engine& engine = side.db->engine();
    FileManager& dat = side.dates();
    std::size_t next = 0;
    for (auto _ : state) {
        if (engine.begin(2) != 0) {
            state.SkipWithError(("begin: " + engine.status().text).c_str());
            break;
        }
        bool failed = false;
        for (int i = 0; i < kPerTransaction && !failed; ++i) {
            side.db->DAT = b.inserts[next++];
            failed = dat.INSERT() != Level_Benign;
        }
        if (!endTransaction(engine, state, failed, "INSERT", b)) break;
    }
    removeInserts(b, side);
    setRate(state, (long long)next);
}

/// Ends a transaction of the raw connection: committed, or rolled back when a step failed.
/// False, with the run stopped, when it did not commit.
bool endRawTransaction(RawConnection& raw, benchmark::State& state, bool failed) {
    if (!failed && sqlite3_exec(raw.db(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    state.SkipWithError(raw.error().c_str());
    if (failed) sqlite3_exec(raw.db(), "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

void insertRaw(benchmark::State& state, Bench& b) {
    makeInserts(b, state.max_iterations);
    RawConnection& raw = *b.raw;
    std::size_t next = 0;
    for (auto _ : state) {
        if (sqlite3_exec(raw.db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError(raw.error().c_str());
            break;
        }
        bool failed = false;
        for (int i = 0; i < kPerTransaction && !failed; ++i) {
            RawConnection::bind(raw.insert, b.inserts[next++]);
            failed = sqlite3_step(raw.insert) != SQLITE_DONE;
            sqlite3_reset(raw.insert);
        }
        if (!endRawTransaction(raw, state, failed)) break;
    }
    removeInserts(b, b.files);
    setRate(state, (long long)next);
}

/// Updates in transactions of 1,000: each record fetched by its key and written back with
/// its actual end a minute later (no key changes), change detection and all.
void updateOurs(benchmark::State& state, Bench& b, Side& side) {
    store::Engine& engine = side.db->engine();
    FileManager& dat = side.dates();
    DATES& rec = side.db->DAT;
    std::size_t next = 0;
    for (auto _ : state) {
        if (engine.begin(2) != 0) {
            state.SkipWithError(("begin: " + engine.status().text).c_str());
            break;
        }
        bool failed = false;
        for (int i = 0; i < kPerTransaction && !failed; ++i) {
            const ActDates& k = b.fetchKeys[next++ % b.fetchKeys.size()];
            rec.ACTNUMBER = k.actnumber;
            rec.DATE = k.date;
            rec.TIME = k.time;
            rec.ENDTIME = k.endtime;
            failed = dat.FETCH(store::DAT::ACTDATES_KEY) != Level_Benign;
            rec.ACTUALEND = rec.ACTUALEND + kMinute;
            failed = failed || dat.UPDATE() != Level_Benign;
        }
        if (!endTransaction(engine, state, failed, "UPDATE", b)) break;
    }
    ++side.generation;
    setRate(state, (long long)next);
}

void updateRaw(benchmark::State& state, Bench& b) {
    RawConnection& raw = *b.raw;
    std::size_t next = 0;
    for (auto _ : state) {
        if (sqlite3_exec(raw.db(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError(raw.error().c_str());
            break;
        }
        bool failed = false;
        for (int i = 0; i < kPerTransaction && !failed; ++i) {
            const ActDates& k = b.fetchKeys[next++ % b.fetchKeys.size()];
            sqlite3_bind_int64(raw.fetch, 1, k.actnumber);
            sqlite3_bind_int64(raw.fetch, 2, k.date);
            sqlite3_bind_int64(raw.fetch, 3, k.time);
            sqlite3_bind_int64(raw.fetch, 4, k.endtime);
            failed = sqlite3_step(raw.fetch) != SQLITE_ROW;
            if (!failed) {
                sqlite3_bind_int64(raw.update, 1, sqlite3_column_int64(raw.fetch, 6) + kMinute);
                sqlite3_bind_int64(raw.update, 2, sqlite3_column_int64(raw.fetch, 0));
                sqlite3_bind_int64(raw.update, 3, sqlite3_column_int64(raw.fetch, 1));
            }
            sqlite3_reset(raw.fetch);
            failed =
                failed || sqlite3_step(raw.update) != SQLITE_DONE || sqlite3_changes(raw.db()) != 1;
            sqlite3_reset(raw.update);
        }
        if (!endRawTransaction(raw, state, failed)) break;
    }
    ++b.files.generation;
    setRate(state, (long long)next);
}

// --- the summary -----------------------------------------------------------------------

/// The console table as usual, keeping every run's rate for the summary at the end.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            const std::string& name = r.run_name.function_name;
            auto it = r.counters.find("rec/s");
            if (r.error_occurred || it == r.counters.end())
                failed_.push_back(name);
            else
                rates_[name].push_back(it->second.value);
        }
    }

    /// The median rate of a benchmark's runs; 0 when it has none.
    double rate(const std::string& name) const {
        auto it = rates_.find(name);
        if (it == rates_.end() || it->second.empty()) return 0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    const std::vector<std::string>& failed() const { return failed_; }
    bool failed(const std::string& name) const {
        return std::find(failed_.begin(), failed_.end(), name) != failed_.end();
    }

  private:
    std::map<std::string, std::vector<double>> rates_;
    std::vector<std::string> failed_;
};

std::string rateText(double perSecond) {
    char buf[32];
    if (perSecond >= 1e6)
        std::snprintf(buf, sizeof buf, "%.2f M rec/s", perSecond / 1e6);
    else
        std::snprintf(buf, sizeof buf, "%.1f k rec/s", perSecond / 1e3);
    return buf;
}

/// One line of the summary: both rates, their ratio, and what one unit of work took.
void summaryLine(const SummaryReporter& r, const char* label, const std::string& name,
                 const char* unit, double recordsPerUnit, double unitScale, const char* scaleName) {
    const double ours = r.rate(name + "/ours"), raw = r.rate(name + "/raw");
    if (ours <= 0 || raw <= 0) {
        const bool failed = r.failed(name + "/ours") || r.failed(name + "/raw");
        std::printf("%-24s %s\n", label,
                    failed ? "a run failed" : "not run (needs both ours and raw)");
        return;
    }
    std::printf("%-24s ours %-14s  raw %-14s  ratio %.2f   %s %.2f %s (raw %.2f %s)\n", label,
                rateText(ours).c_str(), rateText(raw).c_str(), ours / raw, unit,
                recordsPerUnit / ours * unitScale, scaleName, recordsPerUnit / raw * unitScale,
                scaleName);
}

/// One line of the server's summary: its rate beside the files' and raw SQLite's.
void serverLine(const SummaryReporter& r, const char* label, const std::string& name,
                const char* unit, double recordsPerUnit, double unitScale, const char* scaleName) {
    const double server = r.rate(name + "/server"), ours = r.rate(name + "/ours"),
                 raw = r.rate(name + "/raw");
    if (server <= 0 || ours <= 0 || raw <= 0) {
        std::printf("%-24s %s\n", label,
                    r.failed(name + "/server") ? "a run failed" : "not run (needs all three)");
        return;
    }
    std::printf("%-24s server %-14s  /files %.2f  /raw %.2f   %s %.2f %s (files %.2f %s)\n", label,
                rateText(server).c_str(), server / ours, server / raw, unit,
                recordsPerUnit / server * unitScale, scaleName, recordsPerUnit / ours * unitScale,
                scaleName);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Bench b;
    prepare(b);
    std::printf("DATES: %lld records in %s", kRecords,
                b.files.db->engine().pathOf(store::StoreFile::RESDATA).c_str());
    if (b.generatedSeconds >= 0)
        std::printf(" (generated in %.1f s)\n", b.generatedSeconds);
    else
        std::printf(" (reused)\n");
    if (b.server)
        std::printf(
            "server: the same records copied into database %s in %.1f s, every key "
            "checked\n",
            serverDatabase.c_str(), b.copySeconds);
    std::fflush(stdout);

    // Each walk reads every record; fetches, pages and transactions run a fixed count, a few
    // seconds on a small machine. The machine may be busy with other work, so every
    // measurement is made in three rounds, ours and raw side by side in the order
    // ours-raw, raw-ours, ours-raw so that neither always goes first (the server's after
    // both), and the summary takes the median of the rounds.
    using Ours = void (*)(benchmark::State&, Bench&, Side&);
    using Raw = void (*)(benchmark::State&, Bench&);
    struct Operation {
        const char* name;
        Ours ours;
        Raw raw;
        benchmark::IterationCount iterations;
        benchmark::TimeUnit unit;
    };
    const Operation operations[] = {
        {"walk_DATETIME_KEY", walkOurs, walkRaw, 1, benchmark::kMillisecond},
        {"page_DATETIME_KEY", pageOurs, pageRaw, 2'000, benchmark::kMicrosecond},
        {"fetch_ACTDATES_KEY", fetchOurs, fetchRaw, 100'000, benchmark::kMicrosecond},
        {"insert_1000_per_tx", insertOurs, insertRaw, 40, benchmark::kMillisecond},
        {"update_1000_per_tx", updateOurs, updateRaw, 20, benchmark::kMillisecond},
    };
    auto add = [](const std::string& name, std::function<void(benchmark::State&)> fn,
                  const Operation& op, double share) {
        benchmark::RegisterBenchmark(name.c_str(), std::move(fn))
            ->Iterations(std::max<benchmark::IterationCount>(1, op.iterations * share))
            ->Unit(op.unit)
            ->UseRealTime();
    };
    for (int round = 0; round < 3; ++round) {
        for (const Operation& op : operations) {
            const std::string name = op.name;
            auto ours = [&b, fn = op.ours](benchmark::State& s) { fn(s, b, b.files); };
            auto raw = [&b, fn = op.raw](benchmark::State& s) { fn(s, b); };
            if (round % 2 == 0) add(name + "/ours", ours, op, 1);
            add(name + "/raw", raw, op, 1);
            if (round % 2 == 1) add(name + "/ours", ours, op, 1);
            // Every fetch is a round trip to a server: a tenth of the count says as much.
            if (b.server)
                add(
                    name + "/server",
                    [&b, fn = op.ours](benchmark::State& s) { fn(s, b, *b.server); }, op,
                    op.iterations >= 100'000 ? 0.1 : 1);
        }
    }

    SummaryReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf(
        "\nratio = ours / raw, median of three rounds; the same file, page cache and run\n");
    summaryLine(reporter, "walk DAT:DATETIME_KEY", "walk_DATETIME_KEY", "full walk",
                double(kRecords), 1, "s");
    summaryLine(reporter, "page DAT:DATETIME_KEY", "page_DATETIME_KEY", "one page", kPageRecords,
                1e3, "ms");
    summaryLine(reporter, "fetch DAT:ACTDATES_KEY", "fetch_ACTDATES_KEY", "one fetch", 1, 1e6,
                "us");
    summaryLine(reporter, "insert (1,000 per tx)", "insert_1000_per_tx", "one tx", kPerTransaction,
                1e3, "ms");
    summaryLine(reporter, "update (1,000 per tx)", "update_1000_per_tx", "one tx", kPerTransaction,
                1e3, "ms");
    if (b.server) {
        std::printf("\nthe server's store beside the files' (ours) and raw SQLite, same records\n");
        serverLine(reporter, "walk DAT:DATETIME_KEY", "walk_DATETIME_KEY", "full walk",
                   double(kRecords), 1, "s");
        serverLine(reporter, "page DAT:DATETIME_KEY", "page_DATETIME_KEY", "one page", kPageRecords,
                   1e3, "ms");
        serverLine(reporter, "fetch DAT:ACTDATES_KEY", "fetch_ACTDATES_KEY", "one fetch", 1, 1e6,
                   "us");
        serverLine(reporter, "insert (1,000 per tx)", "insert_1000_per_tx", "one tx",
                   kPerTransaction, 1e3, "ms");
        serverLine(reporter, "update (1,000 per tx)", "update_1000_per_tx", "one tx",
                   kPerTransaction, 1e3, "ms");
        const double page = reporter.rate("page_DATETIME_KEY/server");
        if (page > 0)
            std::printf(
                "aim: a key walk page (%d records) under 5 ms on a local server: %.2f ms, "
                "%s\n",
                kPageRecords, kPageRecords / page * 1e3,
                kPageRecords / page * 1e3 < 5 ? "met" : "NOT met");
    }
    for (const std::string& name : reporter.failed()) std::printf("failed: %s\n", name.c_str());
    benchmark::Shutdown();
    return reporter.failed().empty() ? 0 : 1;
}

// The save of a new booking with every check, on the benchmark store (bench_store.h): 3 resources
// (two single, one pooled) booked daily for a year, each of the 365 occurrences checked for
// weekends, special days, collisions and pool capacity, the user accepting every finding, then
// written in one transaction after the second look under the lock. Set against raw collision
// queries for the same occurrences in the same run: one query per occurrence and resource, and one
// range query per resource.
//
// It runs on the folder's files and then, with the same records, on a server database: the one
// TEMBRIX_TEST_SERVER names (libpq parameters without a database, for a role that may create
// databases; scripts/pg_test_server.sh starts one), in a database the benchmark makes and drops.
// Without it the server's part is left out, saying so.

#include <libpq-fe.h>

#include <fstream>
#include <memory>

#include "bench_store.h"
#include "booking/booking_form.h"
#include "booking/collisions.h"
#include "booking/repeat.h"
#include "store/questions.h"
#include "store/session.h"

namespace {

using namespace bench;

const LONG kYearStart = store::Date::fromMDY(3, 1, 2026).value;
constexpr int kRepetitions = 5;
const char* const kMine[] = {"R010", "R011", "R190"};

/// Answers every conflict with "Accept this conflict", so that every occurrence is checked
/// to its end, and every other question with its default.
class Accepting : public store::UserQuestions {
  public:
    long long conflicts = 0;
    store::Button message(const std::string&, const std::string&, store::Icon, unsigned,
                          store::Button b) override {
        return b;
    }
    bool stop(const std::string& text) override { die("stop box: " + text); }
    int conflict(const store::ConflictQuestion&) override {
        ++conflicts;
        return store::AcceptThis;
    }
};

/// The raw queries of one kind of store that the engine's work is set against.
class Raw {
  public:
    virtual ~Raw() = default;
    /// One collision query per occurrence and resource; rows of other bookings than `number`.
    virtual long long perOccurrence(LONG number) = 0;
    /// One range query per resource over the year; the rows read.
    virtual long long perResource() = 0;
    /// The writes of the same booking (under another number) in one transaction.
    virtual void writeBooking() = 0;
    /// Removes the bookings `number` and the raw one, for the next repetition.
    virtual void remove(LONG number) = 0;
};

class RawFiles : public Raw {
  public:
    explicit RawFiles(const std::string& folder) {
        if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &db_) != SQLITE_OK) die("raw open");
        sqlite3_prepare_v2(
            db_,
            "SELECT d.TIME, d.ENDTIME, r.ACTNUMBER, r.UNITS FROM RESACT r "
            "CROSS JOIN DATES d ON d.ACTNUMBER = r.ACTNUMBER WHERE " kIndexed
            " AND r.RESOURCE = ?1 AND d.DATE = ?2 AND d.TIME < ?4 AND d.ENDTIME > ?3",
            -1, &one_, nullptr);
        sqlite3_prepare_v2(db_,
                           "SELECT d.DATE, d.TIME, d.ENDTIME, r.ACTNUMBER, r.UNITS FROM RESACT r "
                           "CROSS JOIN DATES d ON d.ACTNUMBER = r.ACTNUMBER WHERE " kIndexed
                           " AND r.RESOURCE = ?1 AND d.DATE BETWEEN ?2 AND ?3",
                           -1, &range_, nullptr);
        const std::string insertSql =
            "INSERT INTO DATES (ACTNUMBER, DATE, TIME, ENDTIME) VALUES (999999, ?1, " +
            std::to_string(hour(10) + 400) + ", " + std::to_string(hour(11)) + ")";
        sqlite3_prepare_v2(db_, insertSql.c_str(), -1, &insert_, nullptr);
        if (!one_ || !range_ || !insert_) die(sqlite3_errmsg(db_));
    }
    ~RawFiles() override {
        sqlite3_finalize(one_);
        sqlite3_finalize(range_);
        sqlite3_finalize(insert_);
        sqlite3_close(db_);
    }
    long long perOccurrence(LONG number) override {
        long long rows = 0;
        for (int d = 0; d < 365; ++d)
            for (const char* r : kMine) {
                sqlite3_bind_text(one_, 1, r, -1, SQLITE_STATIC);
                sqlite3_bind_int(one_, 2, kYearStart + d);
                sqlite3_bind_int(one_, 3, hour(10) + 400);
                sqlite3_bind_int(one_, 4, hour(11));
                while (sqlite3_step(one_) == SQLITE_ROW)
                    if (sqlite3_column_int(one_, 2) != number) ++rows;
                sqlite3_reset(one_);
            }
        return rows;
    }
    long long perResource() override {
        long long rows = 0;
        for (const char* r : kMine) {
            sqlite3_bind_text(range_, 1, r, -1, SQLITE_STATIC);
            sqlite3_bind_int(range_, 2, kYearStart);
            sqlite3_bind_int(range_, 3, kYearStart + 364);
            while (sqlite3_step(range_) == SQLITE_ROW) ++rows;
            sqlite3_reset(range_);
        }
        return rows;
    }
    void writeBooking() override {
        exec(db_, "BEGIN IMMEDIATE");
        exec(db_, "INSERT INTO ACTIVITY (ACTNUMBER, NAME, CLIENT) VALUES (999999, 'Y', 'C')");
        exec(db_, "INSERT INTO REPACT (ACTNUMBER, REPNUMBER) VALUES (999999, 1)");
        for (int d = 0; d < 365; ++d) {
            sqlite3_bind_int(insert_, 1, kYearStart + d);
            sqlite3_step(insert_);
            sqlite3_reset(insert_);
        }
        for (const char* r : kMine)
            exec(db_,
                 std::string("INSERT INTO RESACT (ACTNUMBER, RESOURCE, UNITS) VALUES (999999, '") +
                     r + "', 1)");
        exec(db_, "COMMIT");
    }
    void remove(LONG number) override {
        exec(db_, "BEGIN IMMEDIATE");
        for (const std::string& n : {std::string("999999"), std::to_string(number)})
            for (const char* t : {"DATES", "RESACT", "ACTIVITY", "REPACT", "ACTNOTES"})
                exec(db_, std::string("DELETE FROM ") + t + " WHERE ACTNUMBER = " + n);
        exec(db_, "COMMIT");
    }

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* one_ = nullptr;
    sqlite3_stmt* range_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
};

/// Runs SQL on a server connection; the benchmark ends when it fails.
void run(PGconn* c, const std::string& sql) {
    PGresult* r = PQexec(c, sql.c_str());
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        die(sql.substr(0, 80) + ": " + PQresultErrorMessage(r));
    PQclear(r);
}

/// The same raw queries on the server, prepared once, each one round trip.
class RawServer : public Raw {
  public:
    explicit RawServer(const std::string& conninfo) : c_(PQconnectdb(conninfo.c_str())) {
        if (PQstatus(c_) != CONNECTION_OK) die(std::string("raw server: ") + PQerrorMessage(c_));
        prepare(
            "one",
            "SELECT d.\"TIME\", d.\"ENDTIME\", r.\"ACTNUMBER\", r.\"UNITS\" FROM main.\"RESACT\" "
            "r JOIN main.\"DATES\" d ON d.\"ACTNUMBER\" = r.\"ACTNUMBER\" WHERE r.\"RESOURCE\" "
            "= $1 AND d.\"DATE\" = $2::bigint AND d.\"TIME\" < $4::bigint AND d.\"ENDTIME\" > "
            "$3::bigint",
            4);
        prepare("range",
                "SELECT d.\"DATE\", d.\"TIME\", d.\"ENDTIME\", r.\"ACTNUMBER\", r.\"UNITS\" FROM "
                "main.\"RESACT\" r JOIN main.\"DATES\" d ON d.\"ACTNUMBER\" = r.\"ACTNUMBER\" "
                "WHERE r.\"RESOURCE\" = $1 AND d.\"DATE\" BETWEEN $2::bigint AND $3::bigint",
                3);
        prepare("insert",
                "INSERT INTO main.\"DATES\" (\"ACTNUMBER\", \"DATE\", \"TIME\", \"ENDTIME\") "
                "VALUES (999999, $1::bigint, " +
                    std::to_string(hour(10) + 400) + ", " + std::to_string(hour(11)) + ")",
                1);
    }
    ~RawServer() override { PQfinish(c_); }
    long long perOccurrence(LONG number) override {
        long long rows = 0;
        const std::string from = std::to_string(hour(10) + 400), to = std::to_string(hour(11));
        for (int d = 0; d < 365; ++d) {
            const std::string date = std::to_string(kYearStart + d);
            for (const char* r : kMine) {
                const char* v[] = {r, date.c_str(), from.c_str(), to.c_str()};
                PGresult* res = PQexecPrepared(c_, "one", 4, v, nullptr, nullptr, 0);
                for (int i = 0; i < PQntuples(res); ++i)
                    if (std::atoll(PQgetvalue(res, i, 2)) != number) ++rows;
                PQclear(res);
            }
        }
        return rows;
    }
    long long perResource() override {
        long long rows = 0;
        const std::string low = std::to_string(kYearStart), high = std::to_string(kYearStart + 364);
        for (const char* r : kMine) {
            const char* v[] = {r, low.c_str(), high.c_str()};
            PGresult* res = PQexecPrepared(c_, "range", 3, v, nullptr, nullptr, 0);
            rows += PQntuples(res);
            PQclear(res);
        }
        return rows;
    }
    void writeBooking() override {
        run(c_, "BEGIN");
        run(c_,
            "INSERT INTO main.\"ACTIVITY\" (\"ACTNUMBER\", \"NAME\", \"CLIENT\") VALUES (999999, "
            "'Y', 'C')");
        run(c_, "INSERT INTO main.\"REPACT\" (\"ACTNUMBER\", \"REPNUMBER\") VALUES (999999, 1)");
        for (int d = 0; d < 365; ++d) {
            const std::string date = std::to_string(kYearStart + d);
            const char* v[] = {date.c_str()};
            PQclear(PQexecPrepared(c_, "insert", 1, v, nullptr, nullptr, 0));
        }
        for (const char* r : kMine)
            run(c_,
                std::string("INSERT INTO main.\"RESACT\" (\"ACTNUMBER\", \"RESOURCE\", \"UNITS\") "
                            "VALUES (999999, '") +
                    r + "', 1)");
        run(c_, "COMMIT");
    }
    void remove(LONG number) override {
        run(c_, "BEGIN");
        for (const std::string& n : {std::string("999999"), std::to_string(number)})
            for (const char* t : {"DATES", "RESACT", "ACTIVITY", "REPACT", "ACTNOTES"})
                run(c_, std::string("DELETE FROM main.\"") + t + "\" WHERE \"ACTNUMBER\" = " + n);
        run(c_, "COMMIT");
    }

  private:
    void prepare(const char* name, const std::string& sql, int params) {
        PGresult* r = PQprepare(c_, name, sql.c_str(), params, nullptr);
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            die(std::string("raw server: ") + PQresultErrorMessage(r));
        PQclear(r);
    }
    PGconn* c_;
};

/// The medians of one kind of store.
struct Times {
    double ours = 0, lookup = 0, perQuery = 0, perRange = 0, perWrite = 0;
    long long occurrences = 0, found = 0;
};

/// The booking saved kRepetitions times on the store of `folder`, each time on a clean slate,
/// with the raw queries of the same kind of store beside it.
Times measure(const std::string& folder, Raw& raw, Accepting& user) {
    store::ErrorClass errors;
    errors.INIT();
    store::Store db(folder, errors);
    db.DCTINIT();
    db.USP.STARTTIME = hour(10);
    db.USP.DURATION = store::Length::fromHours(1).value;
    db.USP.WEEKEND = 1;
    db.USP.SCANTEXT = "Name";
    db.USP.NAME = "Yearly";
    db.USP.CLIENT = "C";

    // The look-up measured on its own reads these two tables, kept open for the whole run.
    for (Tbl t : {Tbl::RESACT, Tbl::DATES}) {
        store::FileManager& fm = db.Access(t);
        if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
            die("cannot open the tables");
    }
    std::vector<double> ours, lookup, perQuery, perRange, perWrite;
    Times times;
    for (int rep = 0; rep < kRepetitions; ++rep) {
        LONG number = 0;
        {
            booking::BookingForm form(db);
            if (!form.open(store::InsertRecord)) die("form did not open");
            number = db.ACT.ACTNUMBER;
            form.insertResources({{kMine[0], 1}, {kMine[1], 1}, {kMine[2], 5}});
            form.UPDATEUNITS = [](const std::string&, int) { return 1; };
            for (int d = 1; d < 365; ++d)
                form.occurrenceList().push_back(
                    {kYearStart + d, hour(10) + 400, hour(11), 0, 0, number});
            form.date = kYearStart;
            form.startAccepted(hour(10));
            db.ACT.REPEATTYPE = booking::FixedDays;
            db.REP.REPNUMBER = 1;
            db.REP.REPEND = kYearStart + 364;
            db.REP.WEEKENDREPEAT = booking::BookAnyway;
            user.conflicts = 0;
            const auto t0 = Clock::now();
            const booking::OkOutcome outcome = form.OK();
            ours.push_back(seconds(Clock::now() - t0));
            if (outcome != booking::OkOutcome::Completed) die("the booking was not saved");
            times.occurrences = long(form.occurrences().size());
            times.found = user.conflicts;
        }
        // Ours: the collision look-up alone, for the same year and resources.
        {
            booking::CollisionIndex index;
            const auto t1 = Clock::now();
            if (!index.load(db, {kMine[0], kMine[1], kMine[2]}, kYearStart, kYearStart + 364, 0))
                die(index.error());
            lookup.push_back(seconds(Clock::now() - t1));
        }
        long long rows = 0;
        auto t0 = Clock::now();
        rows += raw.perOccurrence(number);
        perQuery.push_back(seconds(Clock::now() - t0));
        t0 = Clock::now();
        rows += raw.perResource();
        perRange.push_back(seconds(Clock::now() - t0));
        t0 = Clock::now();
        raw.writeBooking();
        perWrite.push_back(seconds(Clock::now() - t0));
        // The next repetition books the same year again on a clean slate.
        raw.remove(number);
        if (rows < 0) die("no rows");
    }
    for (Tbl t : {Tbl::RESACT, Tbl::DATES}) db.Access(t).CLOSE();
    db.DCTKILL();
    times.ours = median(ours);
    times.lookup = median(lookup);
    times.perQuery = median(perQuery);
    times.perRange = median(perRange);
    times.perWrite = median(perWrite);
    return times;
}

void print(const char* where, const char* raw, const Times& t) {
    std::printf("%s:\n", where);
    std::printf("  ours, checks and save:          %8.1f ms  (%6.1f us per occurrence)\n",
                t.ours * 1e3, t.ours * 1e6 / double(t.occurrences));
    std::printf("  ours, the collision look-up alone: %5.1f ms\n", t.lookup * 1e3);
    std::printf("  raw %s, one query per occurrence:  %8.1f ms  (%6.1f us per occurrence)\n", raw,
                t.perQuery * 1e3, t.perQuery * 1e6 / 365.0);
    std::printf("  raw %s, one range query per resource: %5.1f ms\n", raw, t.perRange * 1e3);
    std::printf("  raw %s, writing the booking in one transaction: %5.1f ms\n", raw,
                t.perWrite * 1e3);
    std::printf("  ratio of the look-up, ours / raw range queries: %.2f\n", t.lookup / t.perRange);
    std::printf("  ratio ours / (raw per-occurrence queries + raw writes): %.2f\n",
                t.ours / (t.perQuery + t.perWrite));
    std::printf("  ratio ours / (raw range queries + raw writes):          %.2f\n",
                t.ours / (t.perRange + t.perWrite));
}

/// The benchmark store in a database of its own on the test server, dropped at the end.
class ServerStore {
  public:
    /// Empty problem() when made; the folder's server file names the database.
    explicit ServerStore(const std::string& server) {
        admin_ = server + " dbname=postgres";
        name_ = "tembrix_bench_" + std::to_string(::getpid());
        PGconn* c = PQconnectdb(admin_.c_str());
        bool made = false;
        if (PQstatus(c) == CONNECTION_OK) {
            PGresult* r = PQexec(c, ("CREATE DATABASE " + name_ +
                                     " TEMPLATE template0 ENCODING 'SQL_ASCII' LC_COLLATE 'C' "
                                     "LC_CTYPE 'C'")
                                        .c_str());
            made = PQresultStatus(r) == PGRES_COMMAND_OK;
            if (!made) problem_ = PQresultErrorMessage(r);
            PQclear(r);
        } else {
            problem_ = PQerrorMessage(c);
        }
        PQfinish(c);
        if (!made) {
            name_.clear();
            return;
        }
        // A run that ends early (die) drops it as well.
        active_ = this;
        std::atexit([] {
            if (active_) active_->drop();
        });
        conninfo_ = server + " dbname=" + name_;
        char tmpl[] = "/tmp/tembrix-booking-bench-server-XXXXXX";
        if (!::mkdtemp(tmpl)) die("no temporary folder");
        folder_ = tmpl;
        std::ofstream(folder_ + "/tembrixm.SRV") << conninfo_ << "\n";
    }
    ~ServerStore() { drop(); }
    const std::string& problem() const { return problem_; }
    const std::string& folder() const { return folder_; }
    const std::string& conninfo() const { return conninfo_; }

    /// Makes the tables through the store (layout, keys, catalogue) and copies the records
    /// of the files' benchmark store into them, keys dropped meanwhile and built after.
    void fill(const std::string& filesFolder) {
        store::ErrorClass errors;
        errors.INIT();
        store::Store db(folder_, errors);
        db.DCTINIT();
        for (int i = 0; i < store::kTableCount; ++i) {
            store::FileManager& fm = db.Access(Tbl(i));
            if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
                die("cannot create the tables on the server");
        }
        sqlite3* from = nullptr;
        if (sqlite3_open((filesFolder + "/RESDATA.TPS").c_str(), &from) != SQLITE_OK)
            die("raw open");
        PGconn* to = PQconnectdb(conninfo_.c_str());
        if (PQstatus(to) != CONNECTION_OK) die(PQerrorMessage(to));
        const struct {
            Tbl table;
            const char* name;
            const char* columns;
        } copies[] = {{Tbl::RESOURCE, "RESOURCE", "RESOURCE, NAME, UNITS"},
                      {Tbl::ACTIVITY, "ACTIVITY", "ACTNUMBER, NAME, CLIENT"},
                      {Tbl::RESACT, "RESACT", "ACTNUMBER, RESOURCE, UNITS"},
                      {Tbl::DATES, "DATES", "ACTNUMBER, DATE, TIME, ENDTIME"},
                      {Tbl::CONTROL, "CONTROL", "NUMBER"}};
        for (const auto& c : copies) {
            if (db.engine().dropKeys(db.table(c.table)) != 0) die("cannot drop the keys");
            std::string quotedColumns;
            int width = 1;
            for (const char* p = c.columns; *p; ++p)
                if (*p == ',') ++width;
            {
                std::string name;
                for (const char* p = c.columns;; ++p) {
                    if (*p == ',' || !*p) {
                        quotedColumns += (quotedColumns.empty() ? "\"" : ", \"") + name + "\"";
                        name.clear();
                        if (!*p) break;
                    } else if (*p != ' ') {
                        name += *p;
                    }
                }
            }
            {
                PGresult* r = PQexec(to, (std::string("COPY main.\"") + c.name + "\" (" +
                                          quotedColumns + ") FROM STDIN")
                                             .c_str());
                if (PQresultStatus(r) != PGRES_COPY_IN)
                    die(std::string("copy of ") + c.name + ": " + PQresultErrorMessage(r));
                PQclear(r);
            }
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(from,
                               (std::string("SELECT ") + c.columns + " FROM " + c.name).c_str(), -1,
                               &st, nullptr);
            if (!st) die(sqlite3_errmsg(from));
            std::string chunk;
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int i = 0; i < width; ++i) {
                    if (i) chunk += '\t';
                    const unsigned char* v = sqlite3_column_text(st, i);
                    chunk += v ? reinterpret_cast<const char*>(v) : "";
                }
                chunk += '\n';
                if (chunk.size() > (1 << 20)) {
                    PQputCopyData(to, chunk.data(), int(chunk.size()));
                    chunk.clear();
                }
            }
            sqlite3_finalize(st);
            PQputCopyData(to, chunk.data(), int(chunk.size()));
            PQputCopyEnd(to, nullptr);
            PGresult* r = PQgetResult(to);
            if (PQresultStatus(r) != PGRES_COMMAND_OK)
                die(std::string("copy of ") + c.name + ": " + PQresultErrorMessage(r));
            PQclear(r);
            while (PGresult* more = PQgetResult(to)) PQclear(more);
            if (db.engine().buildKeys(db.table(c.table)) != 0) die("cannot build the keys");
        }
        run(to, "ANALYZE");
        PQfinish(to);
        sqlite3_close(from);
        for (int i = 0; i < store::kTableCount; ++i) db.Access(Tbl(i)).CLOSE();
        db.DCTKILL();
    }

  private:
    void drop() {
        active_ = nullptr;
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
        folder_.clear();
        if (name_.empty()) return;
        PGconn* c = PQconnectdb(admin_.c_str());
        if (PQstatus(c) == CONNECTION_OK)
            PQclear(PQexec(c, ("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)").c_str()));
        PQfinish(c);
        name_.clear();
    }
    static inline ServerStore* active_ = nullptr;
    std::string admin_, name_, conninfo_, folder_, problem_;
};

}  // namespace

int main() {
    bench::programName = "booking_bench";
    const std::string folder = bench::openFolder();
    store::setClock([] {
        return store::ClockReading{store::Date(kYearStart - 1), store::Time(1)};
    });
    Accepting user;
    store::setQuestions(&user);
    store::session().GlobalUserName = "BENCH";
    store::session().accessLevel = store::SystemAdministrator;

    Times files;
    {
        RawFiles raw(folder);
        files = measure(folder, raw, user);
    }
    std::printf(
        "\nA booking of 3 resources, daily for a year (%lld occurrences), on %lld "
        "occurrences over %d resources; median of %d runs:\n",
        files.occurrences, kOccurrences, kResources, kRepetitions);
    std::printf("  findings put to the user per save: %lld\n", files.found);
    print("On the folder's files", "SQLite", files);

    const char* server = std::getenv("TEMBRIX_TEST_SERVER");
    if (!server || !*server) {
        std::printf(
            "\nOn a server: left out, TEMBRIX_TEST_SERVER is not set "
            "(scripts/pg_test_server.sh starts a server and sets it)\n");
    } else {
        ServerStore on(server);
        if (!on.problem().empty()) {
            std::printf("\nOn a server: left out, the test server cannot be used: %s\n",
                        on.problem().c_str());
        } else {
            std::printf("\ncopying the store to the server...\n");
            const auto t0 = Clock::now();
            on.fill(folder);
            std::printf("copied in %.1f s\n", seconds(Clock::now() - t0));
            Times t;
            {
                RawServer raw(on.conninfo());
                t = measure(on.folder(), raw, user);
            }
            std::printf("\n");
            print("On a server (the same records)", "server", t);
            std::printf("  ratio server / files, checks and save: %.2f\n", t.ours / files.ours);
            std::printf("  ratio server / files, the look-up alone: %.2f\n",
                        t.lookup / files.lookup);
            std::printf("  the save with every check under 50 ms on a server: %s (%.1f ms)\n",
                        t.ours < 0.050 ? "yes" : "NO", t.ours * 1e3);
        }
    }
    store::setQuestions(nullptr);
    cleanUp();
    return 0;
}

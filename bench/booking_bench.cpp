// The save of a new booking with every check, on a store of 1,000,000 occurrences over 200
// resources: 3 resources (two single, one pooled) booked daily for a year, each of the 365
// occurrences checked for weekends, special days, collisions and pool capacity, the user
// accepting every finding, then written in one transaction after the second look under the
// lock. Set against raw SQLite collision queries for the same occurrences in the same run:
// one query per occurrence and resource, and one range query per resource.
//
// The store is generated in a fresh folder that is removed afterwards, or kept in the
// folder TEMBRIX_BENCH_DIR names and reused when it already holds the occurrences.

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "booking/booking_form.h"
#include "booking/collisions.h"
#include "booking/repeat.h"
#include "store/datetime.h"
#include "store/error_class.h"
#include "store/file_manager.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace {

using store::LONG;
using store::Tbl;
using Clock = std::chrono::steady_clock;

constexpr int kResources = 200;
constexpr int kPooledFrom = 180;  // R180..R199 have 5 units each
constexpr int kBookings = 50'000;
constexpr int kPerBooking = 20;  // weekly occurrences
constexpr long long kOccurrences = 1LL * kBookings * kPerBooking;
const LONG kFirstDay = store::Date::fromMDY(1, 1, 2024).value;
constexpr int kDays = 5 * 365;
const LONG kYearStart = store::Date::fromMDY(3, 1, 2026).value;
constexpr int kRepetitions = 5;
const char* const kMine[] = {"R010", "R011", "R190"};

std::string temporaryFolder;

// The conditions of the partial indexes of the keys the look-up goes through: without them
// SQLite may not use the indexes at all.
#define kIndexed                                      \
    "NOT (r.RESOURCE = '') AND NOT (d.ACTNUMBER = 0 " \
    "AND d.DATE = 0 AND d.TIME = 0 AND d.ENDTIME = 0)"

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "booking_bench: %s\n", what.c_str());
    if (!temporaryFolder.empty()) std::filesystem::remove_all(temporaryFolder);
    std::exit(1);
}

LONG hour(int h) {
    return store::Time::fromHMS(h, 0).value;
}

std::string code(int r) {
    char c[8];
    std::snprintf(c, sizeof c, "R%03d", r);
    return c;
}

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

void exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
        die(sql + ": " + (error ? error : "?"));
}

long long scalar(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return -1;
    long long v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

/// Creates the tables through the store (their layout, keys and catalog), then fills them
/// with raw statements in one transaction.
void generate(const std::string& folder) {
    {
        store::ErrorClass errors;
        errors.INIT();
        store::Store db(folder, errors);
        db.DCTINIT();
        for (int i = 0; i < store::kTableCount; ++i) {
            store::FileManager& fm = db.Access(Tbl(i));
            if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
                die("cannot create the tables");
            fm.CLOSE();
        }
        db.DCTKILL();
    }
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &db) != SQLITE_OK) die("open");
    exec(db, "BEGIN");
    std::mt19937 random(7);
    auto prepare = [db](const char* sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            die(std::string(sql) + ": " + sqlite3_errmsg(db));
        return st;
    };
    sqlite3_stmt* res = prepare("INSERT INTO RESOURCE (RESOURCE, NAME, UNITS) VALUES (?1, ?1, ?2)");
    sqlite3_stmt* act =
        prepare("INSERT INTO ACTIVITY (ACTNUMBER, NAME, CLIENT) VALUES (?1, 'B', 'C')");
    sqlite3_stmt* dat =
        prepare("INSERT INTO DATES (ACTNUMBER, DATE, TIME, ENDTIME) VALUES (?1, ?2, ?3, ?4)");
    sqlite3_stmt* rac =
        prepare("INSERT INTO RESACT (ACTNUMBER, RESOURCE, UNITS) VALUES (?1, ?2, ?3)");
    for (int r = 0; r < kResources; ++r) {
        const std::string c = code(r);
        sqlite3_bind_text(res, 1, c.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(res, 2, r >= kPooledFrom ? 5 : 1);
        sqlite3_step(res);
        sqlite3_reset(res);
    }
    for (int b = 1; b <= kBookings; ++b) {
        sqlite3_bind_int(act, 1, b);
        sqlite3_step(act);
        sqlite3_reset(act);
        const std::string c = code(b % kResources);
        sqlite3_bind_int(rac, 1, b);
        sqlite3_bind_text(rac, 2, c.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(rac, 3, b % kResources >= kPooledFrom ? 2 : 1);
        sqlite3_step(rac);
        sqlite3_reset(rac);
        const LONG first = kFirstDay + LONG(random() % (kDays - 7 * kPerBooking));
        const int h = 8 + int(random() % 10);
        for (int w = 0; w < kPerBooking; ++w) {
            sqlite3_bind_int(dat, 1, b);
            sqlite3_bind_int(dat, 2, first + 7 * w);
            sqlite3_bind_int(dat, 3, hour(h) + 400);
            sqlite3_bind_int(dat, 4, hour(h + 1));
            sqlite3_step(dat);
            sqlite3_reset(dat);
        }
    }
    for (sqlite3_stmt* st : {res, act, dat, rac}) sqlite3_finalize(st);
    exec(db, "INSERT INTO CONTROL (NUMBER) VALUES (" + std::to_string(kBookings) + ")");
    exec(db, "COMMIT");
    sqlite3_close(db);
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    std::string folder;
    if (const char* keep = std::getenv("TEMBRIX_BENCH_DIR")) {
        folder = keep;
        std::filesystem::create_directories(folder);
    } else {
        char tmpl[] = "/tmp/tembrix-booking-bench-XXXXXX";
        if (!::mkdtemp(tmpl)) die("no temporary folder");
        folder = temporaryFolder = tmpl;
    }
    {
        sqlite3* probe = nullptr;
        long long have = -1;
        if (std::filesystem::exists(folder + "/RESDATA.TPS") &&
            sqlite3_open((folder + "/RESDATA.TPS").c_str(), &probe) == SQLITE_OK)
            have = scalar(probe, "SELECT count(*) FROM DATES");
        if (probe) sqlite3_close(probe);
        if (have != kOccurrences) {
            std::filesystem::remove(folder + "/RESDATA.TPS");
            std::filesystem::remove(folder + "/USERS.TPS");
            std::printf("generating %lld occurrences over %d resources...\n", kOccurrences,
                        kResources);
            const auto t0 = Clock::now();
            generate(folder);
            std::printf("generated in %.1f s\n", seconds(Clock::now() - t0));
        }
    }

    store::setClock([] {
        return store::ClockReading{store::Date(kYearStart - 1), store::Time(1)};
    });
    Accepting user;
    store::setQuestions(&user);
    store::session().GlobalUserName = "BENCH";
    store::session().accessLevel = store::SystemAdministrator;
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
    sqlite3* raw = nullptr;
    if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &raw) != SQLITE_OK) die("raw open");
    sqlite3_stmt* one = nullptr;
    sqlite3_stmt* range = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT d.TIME, d.ENDTIME, r.ACTNUMBER, r.UNITS FROM RESACT r "
                       "CROSS JOIN DATES d ON d.ACTNUMBER = r.ACTNUMBER WHERE " kIndexed
                       " AND r.RESOURCE = ?1 AND d.DATE = ?2 AND d.TIME < ?4 AND d.ENDTIME > ?3",
                       -1, &one, nullptr);
    sqlite3_prepare_v2(raw,
                       "SELECT d.DATE, d.TIME, d.ENDTIME, r.ACTNUMBER, r.UNITS FROM RESACT r "
                       "CROSS JOIN DATES d ON d.ACTNUMBER = r.ACTNUMBER WHERE " kIndexed
                       " AND r.RESOURCE = ?1 AND d.DATE BETWEEN ?2 AND ?3",
                       -1, &range, nullptr);
    sqlite3_stmt* insert = nullptr;
    const std::string insertSql =
        "INSERT INTO DATES (ACTNUMBER, DATE, TIME, ENDTIME) VALUES (999999, ?1, " +
        std::to_string(hour(10) + 400) + ", " + std::to_string(hour(11)) + ")";
    sqlite3_prepare_v2(raw, insertSql.c_str(), -1, &insert, nullptr);
    if (!one || !range || !insert) die(sqlite3_errmsg(raw));

    std::vector<double> ours, lookup, perQuery, perRange, perWrite;
    long long occurrences = 0, found = 0;
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
            occurrences = long(form.occurrences().size());
            found = user.conflicts;
        }
        // Ours: the collision look-up alone, for the same year and resources.
        {
            booking::CollisionIndex index;
            const auto t1 = Clock::now();
            if (!index.load(db, {kMine[0], kMine[1], kMine[2]}, kYearStart, kYearStart + 364, 0))
                die(index.error());
            lookup.push_back(seconds(Clock::now() - t1));
        }
        // Raw: one query per occurrence and resource.
        long long rows = 0;
        auto t0 = Clock::now();
        for (int d = 0; d < 365; ++d)
            for (const char* r : kMine) {
                sqlite3_bind_text(one, 1, r, -1, SQLITE_STATIC);
                sqlite3_bind_int(one, 2, kYearStart + d);
                sqlite3_bind_int(one, 3, hour(10) + 400);
                sqlite3_bind_int(one, 4, hour(11));
                while (sqlite3_step(one) == SQLITE_ROW)
                    if (sqlite3_column_int(one, 2) != number) ++rows;
                sqlite3_reset(one);
            }
        perQuery.push_back(seconds(Clock::now() - t0));
        // Raw: one range query per resource, as the engine reads.
        t0 = Clock::now();
        for (const char* r : kMine) {
            sqlite3_bind_text(range, 1, r, -1, SQLITE_STATIC);
            sqlite3_bind_int(range, 2, kYearStart);
            sqlite3_bind_int(range, 3, kYearStart + 364);
            while (sqlite3_step(range) == SQLITE_ROW) ++rows;
            sqlite3_reset(range);
        }
        perRange.push_back(seconds(Clock::now() - t0));
        // Raw: the writes of the same booking in one transaction, rolled back.
        t0 = Clock::now();
        exec(raw, "BEGIN IMMEDIATE");
        exec(raw, "INSERT INTO ACTIVITY (ACTNUMBER, NAME, CLIENT) VALUES (999999, 'Y', 'C')");
        exec(raw, "INSERT INTO REPACT (ACTNUMBER, REPNUMBER) VALUES (999999, 1)");
        for (int d = 0; d < 365; ++d) {
            sqlite3_bind_int(insert, 1, kYearStart + d);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        for (const char* r : kMine)
            exec(raw,
                 std::string("INSERT INTO RESACT (ACTNUMBER, RESOURCE, UNITS) VALUES (999999, '") +
                     r + "', 1)");
        exec(raw, "COMMIT");
        perWrite.push_back(seconds(Clock::now() - t0));
        exec(raw, "BEGIN IMMEDIATE");
        for (const char* t : {"DATES", "RESACT", "ACTIVITY", "REPACT"})
            exec(raw, std::string("DELETE FROM ") + t + " WHERE ACTNUMBER = 999999");
        exec(raw, "COMMIT");
        // The next repetition books the same year again on a clean slate.
        const std::string n = std::to_string(number);
        exec(raw, "BEGIN IMMEDIATE");
        for (const char* t : {"DATES", "RESACT", "ACTIVITY", "REPACT", "ACTNOTES"})
            exec(raw, std::string("DELETE FROM ") + t + " WHERE ACTNUMBER = " + n);
        exec(raw, "COMMIT");
        if (rows < 0) die("no rows");
    }
    sqlite3_finalize(one);
    sqlite3_finalize(range);
    sqlite3_finalize(insert);
    sqlite3_close(raw);
    for (Tbl t : {Tbl::RESACT, Tbl::DATES}) db.Access(t).CLOSE();
    db.DCTKILL();
    store::setQuestions(nullptr);

    const double o = median(ours), q = median(perQuery), r = median(perRange), w = median(perWrite),
                 l = median(lookup);
    std::printf(
        "\nA booking of 3 resources, daily for a year (%lld occurrences), on %lld "
        "occurrences over %d resources; median of %d runs:\n",
        occurrences, kOccurrences, kResources, kRepetitions);
    std::printf("  findings put to the user per save: %lld\n", found);
    std::printf("  ours, checks and save:          %8.1f ms  (%6.1f us per occurrence)\n", o * 1e3,
                o * 1e6 / double(occurrences));
    std::printf("  ours, the collision look-up alone: %5.1f ms\n", l * 1e3);
    std::printf("  raw, one query per occurrence:  %8.1f ms  (%6.1f us per occurrence)\n", q * 1e3,
                q * 1e6 / 365.0);
    std::printf("  raw, one range query per resource: %5.1f ms\n", r * 1e3);
    std::printf("  raw, writing the booking in one transaction: %5.1f ms\n", w * 1e3);
    std::printf("  ratio of the look-up, ours / raw range queries: %.2f\n", l / r);
    std::printf("  ratio ours / (raw per-occurrence queries + raw writes): %.2f\n", o / (q + w));
    std::printf("  ratio ours / (raw range queries + raw writes):          %.2f\n", o / (r + w));
    if (!temporaryFolder.empty()) std::filesystem::remove_all(temporaryFolder);
    return 0;
}

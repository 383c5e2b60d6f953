// The save of a new booking with every check, on the benchmark store (bench_store.h): 3 resources
// (two single, one pooled) booked daily for a year, each of the 365 occurrences checked for
// weekends, special days, collisions and pool capacity, the user accepting every finding, then
// written in one transaction after the second look under the lock. Set against raw SQLite collision
// queries for the same occurrences in the same run: one query per occurrence and resource, and one
// range query per resource.

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
    cleanUp();
    return 0;
}

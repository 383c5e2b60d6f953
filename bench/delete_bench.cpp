// Alerts and the purge on the benchmark store (bench_store.h): the alert search ("All",
// a 30-minute lead) against a raw indexed read of the same occurrences with their
// bookings, and the batch purge of about 500,000 past occurrences against raw SQLite
// deleting the same rows in one transaction. Both work on copies of the store folder, so
// the shared store stays as it is.

#include <filesystem>

#include "bench_store.h"
#include "booking/alerts.h"
#include "booking/delete.h"
#include "store/session.h"

namespace {

using namespace bench;
namespace fs = std::filesystem;

constexpr int kRepetitions = 51;
const LONG kAlertDay = store::Date::fromMDY(3, 11, 2026).value;  // a Wednesday

std::string copyOf(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (const char* f : {"RESDATA.TPS", "USERS.TPS"})
        fs::copy_file(from + "/" + f, to + "/" + f, fs::copy_options::overwrite_existing);
    return to;
}

long long count(sqlite3* db, const char* table) {
    return scalar(db, std::string("SELECT count(*) FROM ") + table);
}

struct Opened {
    store::ErrorClass errors;
    std::unique_ptr<store::Store> db;
    explicit Opened(const std::string& folder) {
        errors.INIT();
        db = std::make_unique<store::Store>(folder, errors);
        db->DCTINIT();
        for (Tbl t : {Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT, Tbl::ACTNOTES, Tbl::REPACT}) {
            store::FileManager& fm = db->Access(t);
            if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
                die("cannot open the tables");
        }
    }
    ~Opened() { db->DCTKILL(); }
};

}  // namespace

int main() {
    programName = "delete_bench";
    const std::string shared = openFolder();
    char tmpl[] = "/tmp/tembrix-delete-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) die("no temporary folder");
    const std::string work = tmpl;
    store::session().GlobalUserName = "BENCH";
    const std::string ours = copyOf(shared, work + "/ours");
    const std::string raw = copyOf(shared, work + "/raw");

    // --- the alert search -------------------------------------------------------------
    {
        Opened o(ours);
        store::Store& db = *o.db;
        db.SYP.ALERT = "All";
        db.SYP.ALERTLEAD = 30;
        const store::ClockReading clock{store::Date(kAlertDay), store::Time(hour(8) + 50 * 6000)};

        sqlite3* r = nullptr;
        if (sqlite3_open((ours + "/RESDATA.TPS").c_str(), &r) != SQLITE_OK) die("raw open");
        exec(r, "PRAGMA cache_size = -16384");
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(r,
                               "SELECT d.ACTNUMBER, d.DATE, d.TIME, d.ENDTIME, a.NAME, a.CLIENT, "
                               "a.PRIME, a.USERNAME FROM DATES d LEFT JOIN ACTIVITY a ON "
                               "a.ACTNUMBER = d.ACTNUMBER AND NOT (a.ACTNUMBER = 0) WHERE NOT "
                               "(d.DATE = 0 AND d.TIME = 0 AND d.ENDTIME = 0) AND d.DATE = ?1 "
                               "AND d.TIME >= ?2 AND d.TIME <= ?3 ORDER BY d.DATE, d.TIME",
                               -1, &st, nullptr) != SQLITE_OK)
            die(sqlite3_errmsg(r));
        std::vector<double> oursTimes, rawTimes;
        std::size_t found = 0, rawFound = 0;
        // The program keeps one search: its tables stay open, and it searches again once
        // the lead allows. Each round asks on the next day at the same time, so that every
        // search runs and finds occurrences not shown before.
        booking::AlertSearch search;
        double firstSearch = 0;
        for (int i = 0; i < kRepetitions; ++i) {
            const store::ClockReading at{store::Date(kAlertDay + i), clock.time};
            const booking::AlertTimes ti =
                booking::AlertTimes::at(at.date.value, at.time.value, 30);
            auto t0 = Clock::now();
            const std::size_t n = search.search(db, at).size();
            const double took = seconds(Clock::now() - t0);
            if (i == 0)
                firstSearch = took;
            else
                oursTimes.push_back(took);

            t0 = Clock::now();
            sqlite3_bind_int(st, 1, ti.today);
            sqlite3_bind_int(st, 2, ti.now);
            sqlite3_bind_int(st, 3, ti.horizon);
            std::vector<booking::DueOccurrence> rows;
            while (sqlite3_step(st) == SQLITE_ROW) {
                booking::DueOccurrence d;
                d.ACTNUMBER = sqlite3_column_int(st, 0);
                d.DATE = sqlite3_column_int(st, 1);
                d.TIME = sqlite3_column_int(st, 2);
                d.ENDTIME = sqlite3_column_int(st, 3);
                d.name = reinterpret_cast<const char*>(sqlite3_column_text(st, 4));
                d.client = reinterpret_cast<const char*>(sqlite3_column_text(st, 5));
                d.prime = reinterpret_cast<const char*>(sqlite3_column_text(st, 6));
                d.username = reinterpret_cast<const char*>(sqlite3_column_text(st, 7));
                rows.push_back(d);
            }
            sqlite3_reset(st);
            if (i > 0) rawTimes.push_back(seconds(Clock::now() - t0));
            if (n != rows.size()) die("the alert search and the raw read disagree");
            found += n;
            rawFound += rows.size();
        }
        sqlite3_finalize(st);
        sqlite3_close(r);
        const double a = median(oursTimes) * 1000, b = median(rawTimes) * 1000;
        std::printf("alert search \"All\", 30-minute lead, %.0f occurrences due on average:\n",
                    double(found) / kRepetitions);
        std::printf("  ours %.3f ms   raw indexed read %.3f ms   ratio %.2f\n", a, b, a / b);
        std::printf("  the first search, opening its tables: %.3f ms\n", firstSearch * 1000);
        (void)rawFound;
    }

    // --- the purge ----------------------------------------------------------------------
    LONG cutoff = 0;
    {
        sqlite3* r = nullptr;
        if (sqlite3_open((raw + "/RESDATA.TPS").c_str(), &r) != SQLITE_OK) die("raw open");
        cutoff = LONG(scalar(r, "SELECT DATE FROM DATES ORDER BY DATE LIMIT 1 OFFSET 499999"));
        sqlite3_close(r);
    }
    std::printf("purge of the occurrences before %s:\n",
                store::formatDate(store::Date(cutoff), "yyyy-MM-dd").c_str());

    double oursSeconds = 0, estimateSeconds = 0;
    booking::PurgeResult result;
    int reports = 0;
    {
        Opened o(ours);
        booking::BatchDelete purge(*o.db);
        auto t0 = Clock::now();
        const booking::PurgeEstimate e = purge.estimate(cutoff);
        estimateSeconds = seconds(Clock::now() - t0);
        purge.progress = [&](double) { ++reports; };
        t0 = Clock::now();
        result = purge.run(cutoff, cutoff);
        oursSeconds = seconds(Clock::now() - t0);
        if (result.outcome != booking::PurgeResult::Outcome::Completed) die(result.message);
        if (e.occurrences != result.occurrences || e.bookings != result.bookings)
            die("the estimate and the purge disagree");
    }

    double rawSeconds = 0;
    long long rawOccurrences = 0, rawBookings = 0;
    {
        sqlite3* r = nullptr;
        if (sqlite3_open((raw + "/RESDATA.TPS").c_str(), &r) != SQLITE_OK) die("raw open");
        exec(r, "PRAGMA cache_size = -16384");
        const auto t0 = Clock::now();
        exec(r, "BEGIN IMMEDIATE");
        exec(r, "DELETE FROM DATES WHERE DATE < " + std::to_string(cutoff));
        rawOccurrences = sqlite3_changes(r);
        exec(r,
             "DELETE FROM ACTIVITY WHERE NOT EXISTS (SELECT 1 FROM DATES d WHERE "
             "NOT (d.ACTNUMBER = 0) AND d.ACTNUMBER = ACTIVITY.ACTNUMBER)");
        rawBookings = sqlite3_changes(r);
        for (const char* t : {"ACTNOTES", "REPACT", "RESACT"})
            exec(r, std::string("DELETE FROM ") + t +
                        " WHERE ACTNUMBER NOT IN (SELECT ACTNUMBER "
                        "FROM ACTIVITY)");
        exec(r, "COMMIT");
        rawSeconds = seconds(Clock::now() - t0);
        sqlite3* oursDb = nullptr;
        if (sqlite3_open((ours + "/RESDATA.TPS").c_str(), &oursDb) != SQLITE_OK) die("open");
        for (const char* t : {"DATES", "ACTIVITY", "RESACT"})
            if (count(r, t) != count(oursDb, t)) die(std::string("the copies differ in ") + t);
        sqlite3_close(oursDb);
        sqlite3_close(r);
    }
    if (rawOccurrences != result.occurrences || rawBookings != result.bookings)
        die("the purge and raw SQLite removed different rows");
    std::printf("  %lld occurrences and %lld bookings removed (%d progress reports)\n",
                result.occurrences, result.bookings, reports);
    std::printf("  estimate for the question %.2f s\n", estimateSeconds);
    std::printf("  ours %.2f s   raw SQLite %.2f s   ratio %.2f\n", oursSeconds, rawSeconds,
                oursSeconds / rawSeconds);

    fs::remove_all(work);
    cleanUp();
    return 0;
}

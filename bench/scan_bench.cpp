// The scans on the benchmark store (bench_store.h): the layout of a resource's week and
// month and of a 30-resource group's day, week and month, each read through the occupancy
// model, set against raw SQLite range queries that read the same occurrences (with their
// bookings' names and clients) in the same run; and the redraw of a scan window, layout
// plus paint, offscreen.

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "bench_store.h"
#include "framework/report_renderer.h"
#include "reports/booking_listing.h"
#include "reports/utilization.h"
#include "scan/booking_lists.h"
#include "scan/free_time.h"
#include "scan/scans.h"
#include "scan/ui/scan_view.h"
#include "store/session.h"

namespace {

using namespace bench;

constexpr int kRepetitions = 15;
constexpr int kGroupSize = 30;
const char* const kGroup = "G30";
const LONG kReference = store::Date::fromMDY(3, 11, 2026).value;  // a Wednesday

/// The group of the first 30 resources, added once to the benchmark store.
void addGroup(const std::string& folder) {
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &db) != SQLITE_OK) die("open");
    if (scalar(db, std::string("SELECT count(*) FROM GROUPRES WHERE \"GROUP\" = '") + kGroup +
                       "'") != kGroupSize) {
        exec(db, "BEGIN");
        exec(db, std::string("DELETE FROM GROUPRES WHERE \"GROUP\" = '") + kGroup + "'");
        exec(db, std::string("DELETE FROM \"GROUP\" WHERE \"GROUP\" = '") + kGroup + "'");
        exec(db, std::string("INSERT INTO \"GROUP\" (\"GROUP\") VALUES ('") + kGroup + "')");
        for (int r = 0; r < kGroupSize; ++r)
            exec(db, std::string("INSERT INTO GROUPRES (\"GROUP\", RESOURCES) VALUES ('") + kGroup +
                         "', '" + code(r) + "')");
        exec(db, "COMMIT");
    }
    sqlite3_close(db);
}

struct Case {
    const char* what;
    scan::ScanKind kind;
    std::string name;
    std::vector<std::string> resources;
};

/// Raw: occurrences in DAT:DATETIME_KEY order with their bookings, the way the by-date
/// list and listing read them, from the dates `where` admits.
sqlite3_stmt* byDateStatement(sqlite3* raw, const std::string& where, const std::string& limit) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw,
                       ("SELECT d.ACTNUMBER, d.DATE, d.TIME, d.ENDTIME, a.NAME, a.CLIENT, "
                        "a.PRIME, a.UNITS FROM DATES d LEFT JOIN ACTIVITY a ON a.ACTNUMBER = "
                        "d.ACTNUMBER AND NOT (a.ACTNUMBER = 0) WHERE NOT (d.DATE = 0 AND "
                        "d.TIME = 0 AND d.ENDTIME = 0) AND " +
                        where + " ORDER BY d.DATE, d.TIME, d.ENDTIME" + limit)
                           .c_str(),
                       -1, &st, nullptr);
    if (!st) die(sqlite3_errmsg(raw));
    return st;
}

}  // namespace

int main(int argc, char** argv) {
    programName = "scan_bench";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string folder = openFolder();
    addGroup(folder);
    store::session().GlobalUserName = "BENCH";
    store::ErrorClass errors;
    errors.INIT();
    store::Store db(folder, errors);
    db.DCTINIT();
    for (Tbl t :
         {Tbl::RESACT, Tbl::DATES, Tbl::ACTIVITY, Tbl::GROUPRES, Tbl::RESOURCE, Tbl::SPECIAL}) {
        store::FileManager& fm = db.Access(t);
        if (fm.OPEN() != store::Level_Benign || fm.USEFILE() != store::Level_Benign)
            die("cannot open the tables");
    }
    scan::ScanPrefs prefs;
    prefs.scanText = "Mixed";

    sqlite3* raw = nullptr;
    if (sqlite3_open((folder + "/RESDATA.TPS").c_str(), &raw) != SQLITE_OK) die("raw open");
    // The page cache the engine's own connection has, so that both read from memory alike.
    exec(raw, "PRAGMA cache_size = -16384");
    sqlite3_stmt* range = nullptr;
    sqlite3_prepare_v2(raw,
                       "SELECT d.DATE, d.TIME, d.ENDTIME, r.ACTNUMBER, r.UNITS, a.NAME, a.CLIENT "
                       "FROM RESACT r CROSS JOIN DATES d ON d.ACTNUMBER = r.ACTNUMBER "
                       "LEFT JOIN ACTIVITY a ON a.ACTNUMBER = r.ACTNUMBER AND "
                       "NOT (a.ACTNUMBER = 0) WHERE " kIndexed
                       " AND r.RESOURCE = ?1 AND d.DATE BETWEEN ?2 AND ?3",
                       -1, &range, nullptr);
    if (!range) die(sqlite3_errmsg(raw));
    // Raw: each resource's occurrences of a period, with their bookings' names and
    // clients, the way the occupancy model reads them; the number of rows read.
    auto rawRange = [range](const std::vector<std::string>& resources, LONG first, LONG last) {
        long long rows = 0;
        for (const std::string& r : resources) {
            sqlite3_bind_text(range, 1, r.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int(range, 2, first);
            sqlite3_bind_int(range, 3, last);
            while (sqlite3_step(range) == SQLITE_ROW) {
                rows += sqlite3_column_int(range, 1) > 0;
                (void)sqlite3_column_text(range, 5);
                (void)sqlite3_column_text(range, 6);
            }
            sqlite3_reset(range);
        }
        return rows;
    };

    std::vector<std::string> group;
    for (int r = 0; r < kGroupSize; ++r) group.push_back(code(r));
    const std::vector<Case> cases{
        {"resource week", scan::ScanKind::ResourceWeek, "R010", {"R010"}},
        {"resource month", scan::ScanKind::ResourceMonth, "R010", {"R010"}},
        {"30-resource group day", scan::ScanKind::GroupDay, kGroup, group},
        {"30-resource group week", scan::ScanKind::GroupWeek, kGroup, group},
        {"30-resource group month", scan::ScanKind::GroupMonth, kGroup, group},
        {"30-resource group free", scan::ScanKind::GroupFree, kGroup, group},
        {"pooled resource week", scan::ScanKind::PooledResource, "R190", {"R190"}},
    };
    scan::ui::ScanView view;
    std::printf("\nScans on %lld occurrences over %d resources; median of %d runs:\n", kOccurrences,
                kResources, kRepetitions);
    std::printf("  %-26s %8s %8s %6s %8s %6s\n", "", "ours ms", "raw ms", "ratio", "redraw",
                "boxes");
    for (const Case& c : cases) {
        std::vector<double> ours, rawTimes, redraws;
        std::size_t boxes = 0;
        long long rows = 0;
        const scan::Period period = scan::periodOf(c.kind, store::Date(kReference));
        for (int rep = 0; rep < kRepetitions; ++rep) {
            scan::ScanLayout layout;
            std::string error;
            auto t0 = Clock::now();
            if (!scan::drawScan(db, c.kind, prefs, c.name, store::Date(kReference), layout, error))
                die(error);
            ours.push_back(seconds(Clock::now() - t0));
            boxes = layout.boxes.size();
            t0 = Clock::now();
            view.setScan(std::move(layout));
            QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
            view.render(&image);
            redraws.push_back(seconds(Clock::now() - t0) + ours.back());

            t0 = Clock::now();
            rows = rawRange(c.resources, period.first.value, period.last.value);
            rawTimes.push_back(seconds(Clock::now() - t0));
        }
        const double o = median(ours), r = median(rawTimes), d = median(redraws);
        std::printf("  %-26s %8.2f %8.2f %6.2f %8.2f %6zu  (%lld rows read raw)\n", c.what, o * 1e3,
                    r * 1e3, o / r, d * 1e3, boxes, rows);
    }
    // Utilization of the 30-resource group over a year.
    {
        reports::UtilizationQuestion q;
        q.first = store::Date(kReference);
        q.last = q.first + 364;
        q.dayStart = store::Time::fromHMS(8, 0).value;
        q.dayEnd = store::Time::fromHMS(18, 0).value;
        std::vector<double> ours, rawTimes;
        long long used = 0;
        for (int rep = 0; rep < kRepetitions; ++rep) {
            reports::GroupUtilization g;
            std::string error;
            auto t0 = Clock::now();
            if (!reports::groupUtilization(db, q, kGroup, reports::HourRounding::Nearest, g, error))
                die(error);
            ours.push_back(seconds(Clock::now() - t0));
            used = g.workdayHoursBooked;
            t0 = Clock::now();
            rawRange(group, q.first.value, q.last.value);
            rawTimes.push_back(seconds(Clock::now() - t0));
        }
        const double o = median(ours), r = median(rawTimes);
        std::printf("  %-26s %8.2f %8.2f %6.2f %8s %6lld  (work hours used)\n",
                    "group utilization, a year", o * 1e3, r * 1e3, o / r, "-", used);
    }
    // Find free time: three resources, one hour, the next 90 days.
    {
        scan::FreeTimeQuestion q;
        q.resources = {{"R010", 1, 1}, {"R011", 1, 1}, {"R190", 2, 5}};
        q.length = store::Length::fromHours(1);
        q.first = store::Date(kReference);
        q.last = q.first + 89;
        q.dayStart = store::Time::fromHMS(8, 0);
        q.dayEnd = store::Time::fromHMS(18, 0);
        q.limit = 20;
        q.specialDays = true;  // the benchmark store has none
        std::vector<std::string> codes;
        for (const auto& r : q.resources) codes.push_back(r.resource);
        std::vector<double> ours, rawTimes;
        std::size_t found = 0;
        for (int rep = 0; rep < kRepetitions; ++rep) {
            std::vector<scan::FreePeriod> periods;
            std::string error;
            auto t0 = Clock::now();
            if (!scan::searchFreeTime(db, q, periods, error)) die(error);
            ours.push_back(seconds(Clock::now() - t0));
            found = periods.size();
            t0 = Clock::now();
            rawRange(codes, q.first.value, q.last.value);
            rawTimes.push_back(seconds(Clock::now() - t0));
        }
        const double o = median(ours), r = median(rawTimes);
        std::printf("  %-26s %8.2f %8.2f %6.2f %8s %6zu  (periods found)\n",
                    "find free time, 90 days", o * 1e3, r * 1e3, o / r, "-", found);
    }
    // The bookings browse: a first page of 60 rows and the page after it, for each list.
    {
        std::printf("\nBookings browse, pages of 60 rows from the reference date:\n");
        std::printf("  %-26s %8s %8s %8s %6s\n", "", "first ms", "next ms", "raw ms", "ratio");
        sqlite3_stmt* byDate = byDateStatement(raw, "d.DATE >= ?1", " LIMIT 120");
        const struct {
            const char* what;
            scan::BookingList::Kind kind;
            std::string selection;
            std::vector<std::string> resources;
        } lists[] = {
            {"by date", scan::BookingList::ByDate, "", {}},
            {"by resource", scan::BookingList::ByResource, "R010", {"R010"}},
            {"by 30-resource group", scan::BookingList::ByGroup, kGroup, group},
        };
        for (const auto& l : lists) {
            std::vector<double> first, next, rawTimes;
            for (int rep = 0; rep < kRepetitions; ++rep) {
                std::vector<scan::Occurrence> rows;
                auto t0 = Clock::now();
                scan::BookingList list(db, l.kind, l.selection, store::Date(kReference));
                if (!list.more(60, rows)) die(list.error());
                first.push_back(seconds(Clock::now() - t0));
                t0 = Clock::now();
                if (!list.more(60, rows)) die(list.error());
                next.push_back(seconds(Clock::now() - t0));
                // Raw: the same 120 rows by the indexed read that fits the list best.
                t0 = Clock::now();
                long long n = 0;
                if (l.kind == scan::BookingList::ByDate) {
                    sqlite3_bind_int(byDate, 1, kReference);
                    while (sqlite3_step(byDate) == SQLITE_ROW)
                        n += sqlite3_column_int(byDate, 0) > 0;
                    sqlite3_reset(byDate);
                } else {
                    // The period the two pages span, read per resource.
                    const LONG last = rows.empty() ? kReference : rows.back().date;
                    n += rawRange(l.resources, kReference, last);
                }
                rawTimes.push_back(seconds(Clock::now() - t0));
            }
            const double f = median(first), x = median(next), r = median(rawTimes);
            std::printf("  %-26s %8.2f %8.2f %8.2f %6.2f\n", l.what, f * 1e3, x * 1e3, r * 1e3,
                        (f + x) / r);
        }
        sqlite3_finalize(byDate);
        // Bookings alphabetically, located at a name: a seek on ACT:NAME_KEY and 60 records.
        std::vector<double> ours, rawTimes;
        store::Table& act = db.table(Tbl::ACTIVITY);
        sqlite3_stmt* byName = nullptr;
        sqlite3_prepare_v2(raw,
                           "SELECT * FROM ACTIVITY WHERE NOT (\"NAME\" = '') AND NAME >= 'B' "
                           "ORDER BY NAME, _rid LIMIT 60",
                           -1, &byName, nullptr);
        if (!byName) die(sqlite3_errmsg(raw));
        for (int rep = 0; rep < kRepetitions; ++rep) {
            auto t0 = Clock::now();
            act.clearBuffer();
            db.ACT.NAME = "B";
            int rc = db.engine().setAtValue(act, store::ACT::NAME_KEY, 1);
            for (int i = 0; i < 60 && rc == 0; ++i) rc = db.engine().next(act);
            ours.push_back(seconds(Clock::now() - t0));
            t0 = Clock::now();
            while (sqlite3_step(byName) == SQLITE_ROW) (void)sqlite3_column_int(byName, 0);
            sqlite3_reset(byName);
            rawTimes.push_back(seconds(Clock::now() - t0));
        }
        sqlite3_finalize(byName);
        std::printf("  %-26s %8.2f %8s %8.2f %6.2f\n", "alphabetically, located",
                    median(ours) * 1e3, "-", median(rawTimes) * 1e3,
                    median(ours) / median(rawTimes));
    }
    // The by-date listing of a month to its first preview page: read, laid out and the
    // first page painted, against the raw read of the same occurrences.
    {
        const LONG first = kReference, last = kReference + 30;
        sqlite3_stmt* month = byDateStatement(raw, "d.DATE BETWEEN ?1 AND ?2", "");
        std::vector<double> ours, layout, rawTimes;
        std::size_t rows = 0;
        int pages = 0;
        QImage page(850, 1100, QImage::Format_RGB32);
        for (int rep = 0; rep < 5; ++rep) {
            auto t0 = Clock::now();
            std::vector<scan::Occurrence> read;
            std::string error;
            if (!reports::readListing(db, scan::BookingList::ByDate, "", store::Date(first),
                                      store::Date(last), read, nullptr, error))
                die(error);
            const auto t1 = Clock::now();
            const reports::Document doc =
                reports::bookingListing("Bookings", booking::Words{}, read);
            QPainter painter(&page);
            framework::ReportRenderer::paintPage(painter, doc, 0, 100, 100);
            painter.end();
            ours.push_back(seconds(Clock::now() - t0));
            layout.push_back(seconds(Clock::now() - t1));
            rows = read.size();
            pages = doc.pageCount();
            t0 = Clock::now();
            sqlite3_bind_int(month, 1, first);
            sqlite3_bind_int(month, 2, last);
            long long n = 0;
            while (sqlite3_step(month) == SQLITE_ROW) {
                n += sqlite3_column_int(month, 0) > 0;
                (void)sqlite3_column_text(month, 4);
                (void)sqlite3_column_text(month, 5);
            }
            sqlite3_reset(month);
            rawTimes.push_back(seconds(Clock::now() - t0));
        }
        sqlite3_finalize(month);
        std::printf("\nListing by date, a month, to its first preview page:\n");
        std::printf(
            "  %-26s %8.2f %8.2f %6.2f  (of which layout and paint %.2f ms; %zu rows, "
            "%d pages)\n",
            "by date, 31 days", median(ours) * 1e3, median(rawTimes) * 1e3,
            median(ours) / median(rawTimes), median(layout) * 1e3, rows, pages);
    }
    sqlite3_finalize(range);
    sqlite3_close(raw);
    db.DCTKILL();
    cleanUp();
    return 0;
}

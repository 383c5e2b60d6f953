// Alerts: the search that the windows' timers run, and the due test it shares with the
// alert window.
#include "booking/alerts.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>

#include "booking/words.h"
#include "store/engine.h"
#include "store/session.h"
#include "store/store.h"

namespace booking {

using store::LONG;
using store::Tbl;

namespace {

/// "23:59:59" in the time encoding: a horizon beyond it reaches into tomorrow.
constexpr LONG kLastSecond = 8639901;

}  // namespace

AlertMode alertMode(std::string_view sypAlert) {
    const std::string v = trim(sypAlert);
    if (v == "All") return AlertMode::All;
    if (v == "User Only") return AlertMode::UserOnly;
    return AlertMode::Off;
}

AlertTimes AlertTimes::at(LONG today, LONG now, int leadMinutes) {
    AlertTimes t;
    t.today = today;
    t.tomorrow = today + 1;
    t.now = now;
    t.horizon = now + LONG(leadMinutes) * store::Time::kHundredthsPerMinute;
    t.overflow = t.horizon > kLastSecond ? t.horizon - kLastSecond : 0;
    return t;
}

bool isDue(const AlertTimes& t, LONG date, LONG time) {
    if (t.overflow == 0) return date == t.today && time >= t.now && time <= t.horizon;
    if (date == t.today) return time >= t.now;
    return date == t.tomorrow && time <= t.overflow;
}

std::vector<DueOccurrence> dueAmong(const std::vector<DueOccurrence>& candidates,
                                    const AlertTimes& t, AlertMode mode, const std::string& user) {
    std::vector<DueOccurrence> out;
    if (mode == AlertMode::Off) return out;
    for (const DueOccurrence& o : candidates) {
        if (!isDue(t, o.DATE, o.TIME)) continue;
        if (mode == AlertMode::UserOnly && trim(o.username) != trim(user)) continue;
        out.push_back(o);
    }
    return out;
}

/// A table of the store read on its own buffer and cursor. It is never closed: it goes
/// with its owner, and may outlive the store at the program's end.
struct AlertOwnTable {
    store::Engine& engine;
    store::Table table;
    bool open = false;

    AlertOwnTable(store::Store& db, Tbl t) : engine(db.engine()), table(db.table(t).decl()) {
        open = engine.open(table, false) == 0;
    }
    template <class R>
    R& record() {
        return *reinterpret_cast<R*>(table.buffer());
    }
};

/// The occurrences and bookings an alert search reads, on tables of its own.
struct AlertTables {
    store::Engine* engine = nullptr;
    std::unique_ptr<AlertOwnTable> dates, bookings;

    explicit AlertTables(store::Store& db)
        : engine(&db.engine()),
          dates(std::make_unique<AlertOwnTable>(db, Tbl::DATES)),
          bookings(std::make_unique<AlertOwnTable>(db, Tbl::ACTIVITY)) {}
    bool open() const { return dates->open && bookings->open; }
};

namespace {

/// The occurrences of one day starting within [from, to], with their bookings, in one
/// read along the date key.
bool readDay(AlertTables& at, LONG date, LONG from, LONG to, std::vector<DueOccurrence>& out) {
    auto& dat = at.dates->record<store::DATES>();
    auto& act = at.bookings->record<store::ACTIVITY>();
    at.dates->table.clearBuffer();
    dat.DATE = date;
    store::JoinQuery q;
    q.outerKey = store::DAT::DATETIME_KEY;
    q.outerEqual = 1;
    q.outerRangeField = store::DAT::TIME;
    q.outerLow = from;
    q.outerHigh = to;
    q.innerKey = store::ACT::ACTNUMBER_KEY;
    q.links = {{store::DAT::ACTNUMBER, store::ACT::ACTNUMBER}};
    return at.engine->join(at.dates->table, at.bookings->table, q, [&] {
        DueOccurrence o;
        o.ACTNUMBER = dat.ACTNUMBER;
        o.DATE = dat.DATE;
        o.TIME = dat.TIME;
        o.ENDTIME = dat.ENDTIME;
        o.name = act.NAME.str();
        o.client = act.CLIENT.str();
        o.prime = act.PRIME.str();
        o.username = act.USERNAME.str();
        out.push_back(std::move(o));
        return true;
    }) == 0;
}

std::vector<DueOccurrence> readDueOn(AlertTables& at, const AlertTimes& t, AlertMode mode,
                                     const std::string& user) {
    std::vector<DueOccurrence> candidates;
    if (mode == AlertMode::Off || !at.open()) return candidates;
    // Only the period that can be due is read: today from now to the horizon, or to the
    // end of the day and tomorrow up to the overflow.
    constexpr LONG kAny = std::numeric_limits<LONG>::max();
    if (!readDay(at, t.today, t.now, t.overflow ? kAny : t.horizon, candidates)) return {};
    if (t.overflow &&
        !readDay(at, t.tomorrow, std::numeric_limits<LONG>::min(), t.overflow, candidates))
        return {};
    std::stable_sort(
        candidates.begin(), candidates.end(), [](const DueOccurrence& a, const DueOccurrence& b) {
            return std::tie(a.DATE, a.TIME, a.ENDTIME) < std::tie(b.DATE, b.TIME, b.ENDTIME);
        });
    return dueAmong(candidates, t, mode, user);
}

}  // namespace

std::vector<DueOccurrence> readDue(store::Store& db, const AlertTimes& t, AlertMode mode,
                                   const std::string& user) {
    AlertTables at(db);
    return readDueOn(at, t, mode, user);
}

std::vector<std::string> bookingResources(store::Store& db, LONG number) {
    std::vector<std::string> out;
    AlertOwnTable links(db, Tbl::RESACT);
    if (!links.open) return out;
    store::Engine& e = db.engine();
    auto& rac = links.record<store::RESACT>();
    links.table.clearBuffer();
    rac.ACTNUMBER = number;
    if (e.setAtValue(links.table, store::RAC::ACTRESOURCE_KEY, 1) != 0) return out;
    while (e.next(links.table) == 0 && rac.ACTNUMBER == number) out.push_back(rac.RESOURCE.str());
    return out;
}

bool AlertSearch::searchDue(store::ClockReading clock, int leadMinutes) const {
    if (!searched_) return true;
    const long long elapsed =
        (long long)(clock.date.value - lastDate_) * store::Time::kHundredthsPerDay +
        (clock.time.value - lastTime_);
    return elapsed > (long long)leadMinutes * 1000;
}

std::vector<DueOccurrence> AlertSearch::search(store::Store& db, store::ClockReading clock) {
    const AlertMode mode = alertMode(db.SYP.ALERT.view());
    const int lead = db.SYP.ALERTLEAD;
    if (mode == AlertMode::Off || !searchDue(clock, lead)) return {};
    searched_ = true;
    lastDate_ = clock.date.value;
    lastTime_ = clock.time.value;
    const AlertTimes t = AlertTimes::at(clock.date.value, clock.time.value, lead);
    // The tables stay open between searches of the same store: a search reads, nothing more.
    if (!tables_ || tables_->engine != &db.engine() || !tables_->open())
        tables_ = std::make_unique<AlertTables>(db);
    std::vector<DueOccurrence> due = readDueOn(*tables_, t, mode, store::session().GlobalUserName);
    bool fresh = false;
    for (const DueOccurrence& o : due) fresh = shown_.insert(o.key()).second || fresh;
    if (!fresh) return {};
    return due;
}

AlertSearch::AlertSearch() = default;
AlertSearch::~AlertSearch() = default;

AlertSearch& programAlerts() {
    static AlertSearch search;
    return search;
}

}  // namespace booking

// Alerts: the search that the windows' timers run, and the due test it shares with the
// alert window.
#include "booking/alerts.h"

#include <cstring>

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

/// A table of the store read on its own buffer and cursor, closed when it goes.
struct OwnTable {
    store::Engine& engine;
    store::Table table;
    bool open = false;

    OwnTable(store::Store& db, Tbl t) : engine(db.engine()), table(db.table(t).decl()) {
        open = engine.open(table, false) == 0;
    }
    ~OwnTable() {
        if (open) engine.close(table);
    }
    template <class R>
    R& record() {
        return *reinterpret_cast<R*>(table.buffer());
    }
};

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

std::vector<DueOccurrence> readDue(store::Store& db, const AlertTimes& t, AlertMode mode,
                                   const std::string& user) {
    std::vector<DueOccurrence> candidates;
    if (mode == AlertMode::Off) return candidates;
    OwnTable dates(db, Tbl::DATES), bookings(db, Tbl::ACTIVITY);
    if (!dates.open || !bookings.open) return candidates;
    store::Engine& e = db.engine();
    auto& dat = dates.record<store::DATES>();
    auto& act = bookings.record<store::ACTIVITY>();

    // From now on in date and time order, up to the horizon: only occurrences that can be
    // due are read.
    dates.table.clearBuffer();
    dat.DATE = t.today;
    dat.TIME = t.now;
    if (e.setAtValue(dates.table, store::DAT::DATETIME_KEY, 2) != 0) return {};
    while (e.next(dates.table) == 0) {
        const bool beyond = t.overflow == 0 ? dat.DATE != t.today || dat.TIME > t.horizon
                                            : dat.DATE > t.tomorrow ||
                                                  (dat.DATE == t.tomorrow && dat.TIME > t.overflow);
        if (beyond) break;
        DueOccurrence o;
        o.ACTNUMBER = dat.ACTNUMBER;
        o.DATE = dat.DATE;
        o.TIME = dat.TIME;
        o.ENDTIME = dat.ENDTIME;
        candidates.push_back(o);
    }
    // The bookings of the few occurrences found, for "User Only" and for the window.
    for (DueOccurrence& o : candidates) {
        bookings.table.clearBuffer();
        act.ACTNUMBER = o.ACTNUMBER;
        if (e.get(bookings.table, store::ACT::ACTNUMBER_KEY) != 0) continue;
        o.name = act.NAME.str();
        o.client = act.CLIENT.str();
        o.prime = act.PRIME.str();
        o.username = act.USERNAME.str();
    }
    return dueAmong(candidates, t, mode, user);
}

std::vector<std::string> bookingResources(store::Store& db, LONG number) {
    std::vector<std::string> out;
    OwnTable links(db, Tbl::RESACT);
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
    std::vector<DueOccurrence> due = readDue(db, t, mode, store::session().GlobalUserName);
    bool fresh = false;
    for (const DueOccurrence& o : due) fresh = shown_.insert(o.key()).second || fresh;
    if (!fresh) return {};
    return due;
}

AlertSearch& programAlerts() {
    static AlertSearch search;
    return search;
}

}  // namespace booking

#include "scan/free_time.h"

#include <algorithm>

#include "booking/pool.h"
#include "booking/words.h"
#include "store/file_manager.h"
#include "store/kept_buffer.h"

namespace scan {

using store::LONG;

namespace {

constexpr LONG kMinute = store::Time::kHundredthsPerMinute;
/// A start derived from a typed time lies this far after the typed minute.
constexpr LONG kStartOffset = 400;
/// The latest end the booking form produces.
constexpr LONG kLatestEnd = 8639000;

bool special(const FreeTimeQuestion& q, LONG date) {
    return std::any_of(q.specials.begin(), q.specials.end(), [date](const SpecialPeriod& s) {
        return s.first <= date && date <= s.last;
    });
}

/// The stored times of a start typed at `typed`.
FreePeriod periodAt(const FreeTimeQuestion& q, LONG date, LONG typed) {
    FreePeriod p;
    p.date = date;
    p.typedStart = store::Time(typed);
    p.start = typed + kStartOffset;
    p.end = std::min((store::Time(typed) + q.length).value, kLatestEnd);
    return p;
}

/// The first whole minute (as a stored time) at or after a stored time.
LONG minuteAtOrAfter(LONG stored) {
    const LONG since = std::max<LONG>(stored - 1, 0);
    return 1 + (since + kMinute - 1) / kMinute * kMinute;
}

}  // namespace

bool isFree(const FreeTimeQuestion& q, const Occupancy& occupancy, LONG date, LONG start,
            LONG end) {
    for (const WantedResource& r : q.resources) {
        const std::vector<const Occurrence*> day = occupancy.on(r.resource, date);
        if (r.capacity <= 1) {
            for (const Occurrence* o : day)
                if (booking::collides({o->date, o->start, o->end, o->units}, start, end))
                    return false;
            continue;
        }
        std::vector<booking::OtherOccurrence> others;
        for (const Occurrence* o : day) others.push_back({o->date, o->start, o->end, o->units});
        if (booking::POOLCHECK(r.capacity, std::max(r.units, 1), start, end, others).exceeded)
            return false;
    }
    return true;
}

std::vector<FreePeriod> findFreeTime(const FreeTimeQuestion& q, const Occupancy& occupancy) {
    std::vector<FreePeriod> out;
    if (!freeTimeProblem(q).empty()) return out;
    const LONG firstTyped = minuteAtOrAfter(q.dayStart.value);
    for (store::Date d = q.first; d <= q.last && int(out.size()) < q.limit; d = d + 1) {
        if (!q.weekends && d.isWeekend()) continue;
        if (!q.specialDays && special(q, d.value)) continue;
        // Where a free stretch can begin: the working day's start and every end of an
        // occurrence of the wanted resources, on the minute a user would type.
        std::vector<LONG> candidates{firstTyped};
        for (const WantedResource& r : q.resources)
            for (const Occurrence* o : occupancy.on(r.resource, d.value))
                candidates.push_back(minuteAtOrAfter(o->end - kStartOffset));
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        for (LONG typed : candidates) {
            if (typed < firstTyped) continue;
            const FreePeriod p = periodAt(q, d.value, typed);
            if (p.end > q.dayEnd.value || p.end <= p.start) break;
            if (!isFree(q, occupancy, d.value, p.start, p.end)) continue;
            // Only where a free stretch begins: a minute earlier it was not free.
            if (typed > firstTyped) {
                const FreePeriod before = periodAt(q, d.value, typed - kMinute);
                if (isFree(q, occupancy, d.value, before.start, before.end)) continue;
            }
            out.push_back(p);
            if (int(out.size()) >= q.limit) break;
        }
    }
    return out;
}

std::string freeTimeProblem(const FreeTimeQuestion& q) {
    if (q.resources.empty()) return booking::tr("Choose at least one resource.");
    if (q.length.minutes() < 1) return booking::tr("The length must be at least one minute.");
    if (q.first.isNull() || q.last.isNull() || q.last < q.first)
        return booking::tr("The period must end on or after the day it starts.");
    if (q.dayEnd <= q.dayStart) return booking::tr("The working day must end after it starts.");
    for (const WantedResource& r : q.resources)
        if (r.units < 1) return booking::tr("The units wanted must be at least 1.");
    return {};
}

}  // namespace scan

namespace scan {

std::vector<SpecialPeriod> specialPeriods(store::Store& db, store::Date low, store::Date high) {
    std::vector<SpecialPeriod> out;
    if (db.Access(store::Tbl::SPECIAL).USEFILE() != store::Level_Benign) return out;
    store::KeptBuffer kept(db, store::Tbl::SPECIAL);
    store::Engine& e = db.engine();
    store::Table& spe = db.table(store::Tbl::SPECIAL);
    // Periods start in key order; those starting after the last day cannot touch it.
    if (e.set(spe, store::SPE::DATE_KEY) == 0)
        while (e.next(spe) == 0 && db.SPE.STARTDATE <= high.value)
            if (db.SPE.ENDDATE >= low.value) out.push_back({db.SPE.STARTDATE, db.SPE.ENDDATE});
    return out;
}

bool searchFreeTime(store::Store& db, const FreeTimeQuestion& q, std::vector<FreePeriod>& found,
                    std::string& error) {
    found.clear();
    std::vector<std::string> codes;
    for (const WantedResource& r : q.resources) codes.push_back(r.resource);
    Occupancy occupancy;
    if (!occupancy.load(db, codes, q.first, q.last, Occupancy::TimesOnly)) {
        error = occupancy.error();
        return false;
    }
    FreeTimeQuestion withSpecials = q;
    if (!q.specialDays) withSpecials.specials = specialPeriods(db, q.first, q.last);
    found = findFreeTime(withSpecials, occupancy);
    return true;
}

}  // namespace scan

#include "reports/utilization.h"

#include <algorithm>
#include <cmath>

#include "masterdata/group_save.h"
#include "scan/scans.h"

namespace reports {

using store::LONG;

namespace {

constexpr long long kHour = 360000;  // hundredths of a second

/// Hundredths of a second in whole hours, to the nearest or with the fraction dropped.
long long hours(long long hundredths, HourRounding r) {
    if (r == HourRounding::Truncated) return hundredths / kHour;
    return std::llround(double(hundredths) / double(kHour));
}

/// a / b × 100 with the fraction dropped; 0 for a zero divisor.
int percent(long long a, long long b) {
    return b == 0 ? 0 : int(a * 100 / b);
}

/// The working day's length in hundredths of a second.
long long workingDay(const UtilizationQuestion& q) {
    return std::max<long long>(q.dayEnd - q.dayStart, 0);
}

/// The times an occurrence counts with: scheduled or actual.
std::pair<LONG, LONG> timesOf(const UtilizationQuestion& q, const scan::Occurrence& o) {
    return q.actual ? std::pair{o.actualStart, o.actualEnd} : std::pair{o.start, o.end};
}

/// The part of [s, e) inside the working day (CALCEND − CALCSTART), possibly negative.
long long insideWorkingDay(const UtilizationQuestion& q, LONG s, LONG e) {
    return (long long)std::min(e, q.dayEnd) - std::max(s, q.dayStart);
}

}  // namespace

bool excluded(const UtilizationQuestion& q, LONG date) {
    if (!q.weekends && store::Date(date).isWeekend()) return true;
    if (q.specialDays) return false;
    return std::any_of(q.specials.begin(), q.specials.end(), [date](const scan::SpecialPeriod& s) {
        return s.first <= date && date <= s.last;
    });
}

int WORKDAYSAVAIL(const UtilizationQuestion& q) {
    int days = 0;
    for (store::Date d = q.first; !d.isNull() && d <= q.last; d = d + 1)
        if (!excluded(q, d.value)) ++days;
    return days;
}

ResourceUtilization GETSTATS(const UtilizationQuestion& q, int units,
                             const std::vector<scan::Occurrence>& occurrences) {
    ResourceUtilization r;
    LONG prevDate = 0;
    for (const scan::Occurrence& o : occurrences) {
        if (o.date < q.first.value || o.date > q.last.value || excluded(q, o.date)) continue;
        const auto [s, e] = timesOf(q, o);
        r.bookedTime += (long long)o.units * (e - s);
        const long long inside = insideWorkingDay(q, s, e);
        if (inside > 0) r.workdayTime += inside;
        // With actual times the day counts whether or not they were recorded.
        if (o.date != prevDate) ++r.workdaysBooked, prevDate = o.date;
    }
    r.workdayHoursBooked = hours(r.workdayTime, HourRounding::Nearest);
    r.totalBookedHours = hours(r.bookedTime, HourRounding::Nearest);
    r.workdaysAvail = WORKDAYSAVAIL(q);
    r.workdayHoursAvail = workingDay(q) * r.workdaysAvail * units / kHour;
    r.percentDays = percent(r.workdaysBooked, r.workdaysAvail);
    r.percentHours = percent(r.workdayHoursBooked, r.workdayHoursAvail);
    return r;
}

GroupUtilization groupUtilization(const UtilizationQuestion& q,
                                  const std::vector<std::string>& members,
                                  const scan::Occupancy& occupancy, HourRounding rounding) {
    GroupUtilization g;
    g.workdaysAvail = WORKDAYSAVAIL(q);
    const long long available = workingDay(q) * g.workdaysAvail;  // one resource's, hundredths
    for (const std::string& m : members) {
        GroupRow row;
        row.resource = m;
        LONG prevDate = 0;
        for (const scan::Occurrence& o : occupancy.of(m)) {
            if (o.date < q.first.value || o.date > q.last.value || excluded(q, o.date)) continue;
            const auto [s, e] = timesOf(q, o);
            row.bookedTime += e - s;
            const long long inside = insideWorkingDay(q, s, e);
            if (inside >= 0) row.workdayTime += inside;
            // With actual times only a day with a recorded actual start counts as used.
            if (o.date != prevDate && (!q.actual || o.actualStart != 0)) {
                ++g.workdaysBooked;
                prevDate = o.date;
            }
        }
        row.totalHours = hours(row.bookedTime, rounding);
        row.workHours = hours(row.workdayTime, rounding);
        row.percent = available == 0 ? 0 : int(row.workHours * kHour * 100 / available);
        g.bookedTime += row.bookedTime;
        g.workdayTime += row.workdayTime;
        g.rows.push_back(row);
    }
    // FINALSTATS
    g.workdayHoursBooked = hours(g.workdayTime, HourRounding::Nearest);
    g.totalBookedHours = hours(g.bookedTime, HourRounding::Nearest);
    g.workdaysGroupAvail = g.workdaysAvail * int(members.size());
    g.workdayHoursAvail = workingDay(q) * g.workdaysGroupAvail / kHour;
    g.percentDays = percent(g.workdaysBooked, g.workdaysGroupAvail);
    g.percentHours = percent(g.workdayHoursBooked, g.workdayHoursAvail);
    return g;
}

bool resourceUtilization(store::Store& db, UtilizationQuestion q, const std::string& resource,
                         ResourceUtilization& out, std::string& error) {
    if (!q.specialDays) q.specials = scan::specialPeriods(db, q.first, q.last);
    scan::Occupancy occupancy;
    if (!occupancy.load(db, {resource}, q.first, q.last, scan::Occupancy::TimesOnly)) {
        error = occupancy.error();
        return false;
    }
    out = GETSTATS(q, std::max(scan::resourceUnits(db, resource), 0), occupancy.of(resource));
    return true;
}

bool groupUtilization(store::Store& db, UtilizationQuestion q, const std::string& group,
                      HourRounding rounding, GroupUtilization& out, std::string& error) {
    if (!q.specialDays) q.specials = scan::specialPeriods(db, q.first, q.last);
    const std::vector<std::string> members = masterdata::groupMembers(db, group);
    scan::Occupancy occupancy;
    if (!occupancy.load(db, members, q.first, q.last, scan::Occupancy::TimesOnly)) {
        error = occupancy.error();
        return false;
    }
    out = groupUtilization(q, members, occupancy, rounding);
    return true;
}

}  // namespace reports

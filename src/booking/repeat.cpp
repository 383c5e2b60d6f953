#include "booking/repeat.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "store/datetime.h"

namespace booking {

using store::Date;
using store::LONG;
using store::REPACT;

namespace {

const char* const kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
const char* const kOrdinals[] = {"first", "second", "third", "fourth", "last"};

/// The name of REP:WEEKDAY (1 Monday ... 6 Saturday, 7 Sunday).
const char* weekdayName(int weekday) {
    return kWeekdayNames[((weekday % 7) + 7) % 7];
}

/// The ticked weekdays of a set-days rule, indexed by day of the week (0 Sunday).
std::array<bool, 7> tickedDays(const REPACT& r) {
    return {r.SUNDAY != 0,   r.MONDAY != 0, r.TUESDAY != 0, r.WEDNESDAY != 0,
            r.THURSDAY != 0, r.FRIDAY != 0, r.SATURDAY != 0};
}

Occurrence at(const Occurrence& seed, LONG date) {
    return {date, seed.start, seed.end};
}

/// Offers a date of the set-days and specific-weekday rules: false once the date lies
/// past the end of the rule, which ends the generation.
bool offer(LONG date, const REPACT& rule, const Occurrence& seed, const Calendar& cal,
           Occurrences& out) {
    if (date > rule.REPEND) return false;
    if (!(rule.WEEKENDREPEAT == SkipIt && cal.isSpecial(date))) out.push_back(at(seed, date));
    return true;
}

std::string until(const REPACT& rule) {
    return "until " + store::longDate(Date(rule.REPEND));
}

const char* unitOf(int type) {
    return type == FixedDays ? "days" : type == FixedWeeks ? "weeks" : "months";
}

}  // namespace

bool Calendar::isOffWeekend(LONG date) const {
    return weekendsOff && Date(date).isWeekend();
}

void FIXEDPERIOD(Occurrences& list, const Occurrence& seed) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Occurrence& o) { return o.date > seed.date; }),
               list.end());
}

Occurrences FIXEDDAYS(const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    Occurrences out;
    if (rule.REPNUMBER <= 0) return out;
    for (LONG d = seed.date;;) {
        d += rule.REPNUMBER;
        if (d > rule.REPEND) break;
        if (rule.WEEKENDREPEAT == SkipIt && (cal.isOffWeekend(d) || cal.isSpecial(d))) continue;
        if (rule.WEEKENDREPEAT == UseNextWorkDay) {
            // Moved on to the next working day; the next step counts from there.
            while (d <= rule.REPEND) {
                while (cal.isOffWeekend(d)) ++d;
                if (!cal.isSpecial(d)) break;
                ++d;
            }
        }
        if (d <= rule.REPEND) out.push_back(at(seed, d));
    }
    return out;
}

Occurrences FIXEDWEEKS(const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    Occurrences out;
    if (rule.REPNUMBER <= 0) return out;
    for (LONG d = seed.date + 7 * rule.REPNUMBER; d <= rule.REPEND; d += 7 * rule.REPNUMBER) {
        if (rule.WEEKENDREPEAT == SkipIt && (cal.isOffWeekend(d) || cal.isSpecial(d))) continue;
        out.push_back(at(seed, d));
    }
    return out;
}

Occurrences FIXEDMONTHS(const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    Occurrences out;
    const int n = rule.REPNUMBER;
    if (n <= 0) return out;
    for (Date d(seed.date);;) {
        const int m = d.month(), q = d.day(), y = d.year();
        const Date candidate = Date::fromMDY(m + n, q, y);
        const Date limit = Date::fromMDY(m + n + 1, 1, y);
        // A target month too short for the day moves to the same day of the month after.
        d = candidate < limit ? candidate : Date::fromMDY(m + n + 1, q, y);
        if (d.isNull() || d.value > rule.REPEND) break;
        if (rule.WEEKENDREPEAT == SkipIt && (cal.isOffWeekend(d.value) || cal.isSpecial(d.value)))
            continue;
        out.push_back(at(seed, d.value));
    }
    return out;
}

Occurrences SETDAYS(const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    Occurrences out;
    const auto ticked = tickedDays(rule);
    if (std::none_of(ticked.begin(), ticked.end(), [](bool t) { return t; })) return out;
    const int seedDay = Date(seed.date).weekday();
    LONG sunday = seed.date - seedDay;  // weeks run Sunday to Saturday here
    for (int day = 1; day <= 6; ++day)
        if (ticked[day] && day > seedDay && !offer(sunday + day, rule, seed, cal, out)) return out;
    for (;;) {
        sunday += 7;
        for (int day = 0; day <= 6; ++day)
            if (ticked[day] && !offer(sunday + day, rule, seed, cal, out)) return out;
    }
}

Occurrences SPECIFICWEEKDAY(const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    Occurrences out;
    const int target = rule.WEEKDAY % 7;  // 7, Sunday, compares as 0
    const int week = rule.WEEK;
    for (Date last(seed.date);;) {
        const Date first = Date::fromMDY(last.month() + 1, 1, last.year());
        if (first.isNull()) break;
        Date d;
        if (week >= 1 && week <= 4) {
            const Date from = first + 7 * (week - 1);
            d = from + ((target - from.weekday()) % 7 + 7) % 7;
        } else {
            const Date end = first.lastOfMonth();
            d = end - ((end.weekday() - target) % 7 + 7) % 7;
        }
        last = d;
        if (!offer(d.value, rule, seed, cal, out)) break;
    }
    return out;
}

Occurrences generate(int type, const REPACT& rule, const Occurrence& seed, const Calendar& cal) {
    switch (type) {
        case FixedDays:
            return FIXEDDAYS(rule, seed, cal);
        case FixedWeeks:
            return FIXEDWEEKS(rule, seed, cal);
        case FixedMonths:
            return FIXEDMONTHS(rule, seed, cal);
        case SetDaysEachWeek:
            return SETDAYS(rule, seed, cal);
        case SpecificWeekday:
            return SPECIFICWEEKDAY(rule, seed, cal);
        default:
            return {};
    }
}

std::string multiDayProblem(const Occurrence& seed, LONG lastDay, LONG endTime) {
    if (lastDay <= seed.date) return "End date must be after original date";
    if (endTime == 0) return "End time must be entered";
    return {};
}

Occurrences MULTIDAY(const Occurrence& seed, LONG lastDay, LONG endTime) {
    Occurrences out{{seed.date, seed.start, kEndOfDay}};
    for (LONG d = seed.date + 1; d <= lastDay; ++d)
        out.push_back({d, 1, d == lastDay ? endTime : kEndOfDay});
    return out;
}

void sortOccurrences(Occurrences& list) {
    std::sort(list.begin(), list.end(), [](const Occurrence& a, const Occurrence& b) {
        return std::tie(a.date, a.start, a.end) < std::tie(b.date, b.start, b.end);
    });
}

std::string formDescription(int type, const REPACT& rule, std::size_t occurrences) {
    if (type == NoRepeats || occurrences <= 1) return "SINGLE";
    switch (type) {
        case MultiDay:
            return "MULTI-DAY Booking extends to " + store::longDate(Date(rule.REPEND));
        case IrregularDates:
            return "REPEATED - Irregularly";
        case FixedDays:
        case FixedWeeks:
        case FixedMonths:
            return "REPEATED - Every " + std::to_string(rule.REPNUMBER) + " " + unitOf(type) + " " +
                   until(rule);
        case SetDaysEachWeek: {
            std::string days;
            const auto ticked = tickedDays(rule);
            for (int i = 1; i <= 7; ++i)  // Monday first, Sunday last
                if (ticked[i % 7])
                    days += (days.empty() ? "" : ", ") + std::string(kWeekdayNames[i % 7]);
            return "REPEATED - " + days + " of each week " + until(rule);
        }
        case SpecificWeekday:
            return "REPEATED - The " +
                   std::string(kOrdinals[std::clamp(int(rule.WEEK), 1, 5) - 1]) + " " +
                   weekdayName(rule.WEEKDAY) + " of the month " + until(rule);
        default:
            return "SINGLE";
    }
}

std::string windowDescription(int type, const REPACT& rule) {
    switch (type) {
        case FixedDays:
        case FixedWeeks:
        case FixedMonths:
            return "Repeated every " + std::to_string(rule.REPNUMBER) + " " + unitOf(type) + " " +
                   until(rule);
        case SetDaysEachWeek: {
            std::string days;
            const auto ticked = tickedDays(rule);
            for (int i = 1; i <= 7; ++i)
                if (ticked[i % 7])
                    days += (days.empty() ? " " : ", ") + std::string(kWeekdayNames[i % 7]);
            return "Repeated" + days + " of each week " + until(rule);
        }
        case SpecificWeekday:
            return "REPEATED the " + std::string(kOrdinals[std::clamp(int(rule.WEEK), 1, 5) - 1]) +
                   " " + weekdayName(rule.WEEKDAY) + " of the month " + until(rule);
        default:
            return {};
    }
}

}  // namespace booking

#pragma once

#include <functional>
#include <string>

#include "booking/occurrence.h"
#include "store/tables.h"

namespace booking {

/// Kinds of repeat, as ACT:REPEATTYPE stores them.
enum RepeatType : int {
    NoRepeats = 0,
    MultiDay = 1,
    IrregularDates = 2,
    FixedDays = 3,
    FixedWeeks = 4,
    FixedMonths = 5,
    SetDaysEachWeek = 6,
    SpecificWeekday = 7,
};

/// What a rule does with a date on a weekend or special day (REP:WEEKENDREPEAT).
enum WeekendRule : int { Ask = 0, BookAnyway = 1, SkipIt = 2, UseNextWorkDay = 3 };

/// What the generators need to know besides the rule: whether weekends count as
/// non-working days for this user (USP:WEEKEND) and which dates are special days.
struct Calendar {
    bool weekendsOff = false;
    std::function<bool(store::LONG date)> special;

    bool isSpecial(store::LONG date) const { return special && special(date); }
    bool isOffWeekend(store::LONG date) const;
};

/// Makes `seed` the last occurrence of the list: every occurrence dated after it goes,
/// those on or before it stay. The generators then add copies of the seed.
void FIXEDPERIOD(Occurrences& list, const Occurrence& seed);

/// The occurrences a rule of types 3 to 7 adds after the seed, up to REP:REPEND, each a
/// copy of the seed with only its date changed. An empty list for any other type.
Occurrences generate(int type, const store::REPACT& rule, const Occurrence& seed,
                     const Calendar& calendar);

Occurrences FIXEDDAYS(const store::REPACT& rule, const Occurrence& seed, const Calendar& cal);
Occurrences FIXEDWEEKS(const store::REPACT& rule, const Occurrence& seed, const Calendar& cal);
Occurrences FIXEDMONTHS(const store::REPACT& rule, const Occurrence& seed, const Calendar& cal);
Occurrences SETDAYS(const store::REPACT& rule, const Occurrence& seed, const Calendar& cal);
Occurrences SPECIFICWEEKDAY(const store::REPACT& rule, const Occurrence& seed, const Calendar& cal);

/// Why a multi-day booking cannot be made, or "" when it can.
std::string multiDayProblem(const Occurrence& seed, store::LONG lastDay, store::LONG endTime);
/// The occurrences of a multi-day booking: the seed running to the end of its day, whole
/// days in between, and the last day from midnight to `endTime`.
/// REQUIRES: multiDayProblem(...) is "".
Occurrences MULTIDAY(const Occurrence& seed, store::LONG lastDay, store::LONG endTime);

/// Irregular dates in the order the form keeps them: by date, start and end.
void sortOccurrences(Occurrences& list);

/// The line that describes the rule in the booking form ("REPEATED - Every 2 weeks until
/// ..."), dates in the long date format; "SINGLE" when at most one occurrence.
std::string formDescription(int type, const store::REPACT& rule, std::size_t occurrences);
/// The line that describes the rule in the repeat window ("Repeated every 2 weeks until
/// ..."); empty for types without a rule.
std::string windowDescription(int type, const store::REPACT& rule);

}  // namespace booking

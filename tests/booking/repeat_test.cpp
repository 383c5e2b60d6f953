// Repeat patterns: the generators of the rules, multi-day bookings, and the lines that
// describe a rule.
#include "booking/repeat.h"

#include <gtest/gtest.h>

#include "store/datetime.h"

namespace booking {
namespace {

using store::Date;
using store::LONG;

LONG day(int y, int m, int d) {
    return Date::fromMDY(m, d, y).value;
}

/// The dates of the occurrences, as "YYYY-MM-DD" joined by blanks.
std::string dates(const Occurrences& list) {
    std::string s;
    for (const Occurrence& o : list) s += (s.empty() ? "" : " ") + Date(o.date).iso();
    return s;
}

store::REPACT rule(int n, LONG end, int weekend = Ask) {
    store::REPACT r{};
    r.REPNUMBER = store::SHORT(n);
    r.REPEND = end;
    r.WEEKENDREPEAT = store::BYTE(weekend);
    return r;
}

const Occurrence kFriday1st{day(2024, 3, 1), 3240001, 3600001};  // Friday 1 March 2024

TEST(FixedDaysTest, WeekendsAreSkippedOrMovedToTheNextWorkDay) {
    Calendar weekendsOff{true, {}};
    // Every 2 days until the 8th: the 3rd is a Sunday.
    EXPECT_EQ("2024-03-05 2024-03-07",
              dates(FIXEDDAYS(rule(2, day(2024, 3, 8), SkipIt), kFriday1st, weekendsOff)));
    // Moved to Monday the 4th, and the next steps count from there.
    EXPECT_EQ("2024-03-04 2024-03-06 2024-03-08",
              dates(FIXEDDAYS(rule(2, day(2024, 3, 8), UseNextWorkDay), kFriday1st, weekendsOff)));
    // Weekends count only where the user says so.
    EXPECT_EQ("2024-03-03 2024-03-05 2024-03-07",
              dates(FIXEDDAYS(rule(2, day(2024, 3, 8), SkipIt), kFriday1st, Calendar{})));
    // A special day moves it on again: Sunday 3rd, holiday 4th, so Tuesday the 5th.
    Calendar holidays{true, [](LONG d) { return d == day(2024, 3, 4); }};
    EXPECT_EQ("2024-03-05 2024-03-07",
              dates(FIXEDDAYS(rule(2, day(2024, 3, 8), UseNextWorkDay), kFriday1st, holidays)));
    // Every generated occurrence keeps the seed's times.
    const Occurrences got = FIXEDDAYS(rule(3, day(2024, 3, 7)), kFriday1st, Calendar{});
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(kFriday1st.start, got[0].start);
    EXPECT_EQ(kFriday1st.end, got[1].end);
    // An end on the seed's own date, or a step of 0, generates nothing.
    EXPECT_TRUE(FIXEDDAYS(rule(1, kFriday1st.date), kFriday1st, Calendar{}).empty());
    EXPECT_TRUE(FIXEDDAYS(rule(0, day(2024, 4, 1)), kFriday1st, Calendar{}).empty());
}

TEST(FixedWeeksTest, OnlySkippingAdjustsTheDate) {
    const Occurrence sunday{day(2024, 3, 3), 1, 2};
    Calendar weekendsOff{true, {}};
    EXPECT_EQ("2024-03-17 2024-03-31",
              dates(FIXEDWEEKS(rule(2, day(2024, 4, 13)), sunday, weekendsOff)));
    EXPECT_EQ("", dates(FIXEDWEEKS(rule(2, day(2024, 4, 13), SkipIt), sunday, weekendsOff)));
    // "Use next work day" is not offered for weeks: the dates stay as they fall.
    EXPECT_EQ("2024-03-17 2024-03-31",
              dates(FIXEDWEEKS(rule(2, day(2024, 4, 13), UseNextWorkDay), sunday, weekendsOff)));
}

TEST(FixedMonthsTest, AShortMonthMovesToTheSameDayOfTheNextMonth) {
    const Occurrence jan31{day(2025, 1, 31), 1, 2};
    EXPECT_EQ("2025-03-31 2025-05-31 2025-07-31 2025-08-31 2025-10-31 2025-12-31",
              dates(FIXEDMONTHS(rule(1, day(2025, 12, 31)), jan31, Calendar{})));
    const Occurrence jan15{day(2025, 1, 15), 1, 2};
    EXPECT_EQ("2025-04-15 2025-07-15 2025-10-15",
              dates(FIXEDMONTHS(rule(3, day(2025, 12, 31)), jan15, Calendar{})));
    // Across the year's end, and skipping a special day.
    Calendar holidays{false, [](LONG d) { return d == day(2026, 2, 15); }};
    EXPECT_EQ("2025-12-15 2026-01-15 2026-03-15",
              dates(FIXEDMONTHS(rule(1, day(2026, 3, 31), SkipIt),
                                Occurrence{day(2025, 11, 15), 1, 2}, holidays)));
}

TEST(SetDaysTest, TheFirstWeekStartsAfterTheSeed) {
    store::REPACT r = rule(0, day(2025, 1, 27));
    r.MONDAY = 1;
    r.THURSDAY = 1;
    // Seed Wednesday 15 January 2025: Thursday of the same week, then Mondays and Thursdays.
    const Occurrence wednesday{day(2025, 1, 15), 1, 2};
    EXPECT_EQ("2025-01-16 2025-01-20 2025-01-23 2025-01-27",
              dates(SETDAYS(r, wednesday, Calendar{})));
    // Sundays open the following weeks; weekends are not skipped by this rule.
    r.SUNDAY = 1;
    EXPECT_EQ("2025-01-16 2025-01-19 2025-01-20 2025-01-23 2025-01-26 2025-01-27",
              dates(SETDAYS(r, wednesday, Calendar{true, {}})));
    // Special days are skipped with "Skip it" only.
    r.WEEKENDREPEAT = SkipIt;
    Calendar holidays{false, [](LONG d) { return d == day(2025, 1, 20); }};
    EXPECT_EQ("2025-01-16 2025-01-19 2025-01-23 2025-01-26 2025-01-27",
              dates(SETDAYS(r, wednesday, holidays)));
    // No day ticked: nothing, rather than a search without end.
    EXPECT_TRUE(SETDAYS(rule(0, day(2026, 1, 1)), wednesday, Calendar{}).empty());
}

TEST(SpecificWeekdayTest, TheNthOrLastWeekdayOfEachMonth) {
    store::REPACT r = rule(0, day(2025, 4, 30));
    r.WEEK = 2;
    r.WEEKDAY = 2;  // Tuesday
    EXPECT_EQ("2025-02-11 2025-03-11 2025-04-08",
              dates(SPECIFICWEEKDAY(r, Occurrence{day(2025, 1, 5), 1, 2}, Calendar{})));
    // The last Sunday, also when the month ends on a Sunday (August 2025).
    r.WEEK = 5;
    r.WEEKDAY = 7;
    r.REPEND = day(2025, 9, 30);
    EXPECT_EQ("2025-07-27 2025-08-31 2025-09-28",
              dates(SPECIFICWEEKDAY(r, Occurrence{day(2025, 6, 10), 1, 2}, Calendar{})));
    // The first Sunday of a month that begins on a Sunday is its first day.
    r.WEEK = 1;
    r.REPEND = day(2025, 6, 30);
    EXPECT_EQ("2025-06-01",
              dates(SPECIFICWEEKDAY(r, Occurrence{day(2025, 5, 20), 1, 2}, Calendar{})));
}

TEST(MultiDayTest, InnerDaysRunWholeAndTheLastEndsAtItsTime) {
    const Occurrence monday{day(2025, 1, 13), 3240001, 3600001};
    EXPECT_EQ("End date must be after original date",
              multiDayProblem(monday, monday.date, 4320001));
    EXPECT_EQ("End time must be entered", multiDayProblem(monday, monday.date + 2, 0));
    ASSERT_EQ("", multiDayProblem(monday, monday.date + 2, 4320001));
    EXPECT_EQ((Occurrences{{monday.date, 3240001, kEndOfDay},
                           {monday.date + 1, 1, kEndOfDay},
                           {monday.date + 2, 1, 4320001}}),
              MULTIDAY(monday, monday.date + 2, 4320001));
}

TEST(FixedPeriodTest, OnlyOccurrencesAfterTheSeedGo) {
    Occurrences list{{10, 1, 2}, {20, 1, 2}, {20, 3, 4}, {30, 1, 2}};
    FIXEDPERIOD(list, Occurrence{20, 1, 2});
    EXPECT_EQ((Occurrences{{10, 1, 2}, {20, 1, 2}, {20, 3, 4}}), list);
    Occurrences irregular{{30, 5, 6}, {10, 3, 4}, {10, 1, 9}};
    sortOccurrences(irregular);
    EXPECT_EQ((Occurrences{{10, 1, 9}, {10, 3, 4}, {30, 5, 6}}), irregular);
}

TEST(DescriptionTest, TheFormAndTheWindowDescribeTheRule) {
    store::setDateFormats(store::DateFormats{});
    store::REPACT r = rule(2, day(2025, 3, 31));
    const std::string end = store::longDate(Date(r.REPEND));
    EXPECT_EQ("SINGLE", formDescription(FixedWeeks, r, 1));
    EXPECT_EQ("REPEATED - Every 2 weeks until " + end, formDescription(FixedWeeks, r, 5));
    EXPECT_EQ("Repeated every 2 weeks until " + end, windowDescription(FixedWeeks, r));
    EXPECT_EQ("MULTI-DAY Booking extends to " + end, formDescription(MultiDay, r, 3));
    EXPECT_EQ("REPEATED - Irregularly", formDescription(IrregularDates, r, 3));
    r.TUESDAY = 1;
    r.SUNDAY = 1;
    EXPECT_EQ("REPEATED - Tuesday, Sunday of each week until " + end,
              formDescription(SetDaysEachWeek, r, 3));
    EXPECT_EQ("Repeated Tuesday, Sunday of each week until " + end,
              windowDescription(SetDaysEachWeek, r));
    r.WEEK = 5;
    r.WEEKDAY = 5;
    EXPECT_EQ("REPEATED - The last Friday of the month until " + end,
              formDescription(SpecificWeekday, r, 3));
    EXPECT_EQ("REPEATED the last Friday of the month until " + end,
              windowDescription(SpecificWeekday, r));
}

}  // namespace
}  // namespace booking

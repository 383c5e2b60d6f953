// The repeat window without its widgets: the options, the irregular dates, OK by type and
// Cancel on the booking form's list and the ACT and REP buffers; and the checks of the
// rules' parameter windows.
#include "booking/repeat_session.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <optional>

#include "booking_fixture.h"

namespace booking::test {
namespace {

using store::LONG;
using store::REPACT;

/// The dates of a list as "YYYY-MM-DD" joined by blanks.
std::string dates(const std::vector<DateEntry>& list) {
    std::string s;
    for (const DateEntry& e : list) s += (s.empty() ? "" : " ") + store::Date(e.DATE).iso();
    return s;
}

REPACT until(LONG end, int number = 1, int handling = Ask) {
    REPACT r{};
    r.ACTNUMBER = 77;  // the booking's number, as the form keeps it
    r.REPNUMBER = store::SHORT(number);
    r.REPEND = end;
    r.WEEKENDREPEAT = store::BYTE(handling);
    return r;
}

bool sameRule(const REPACT& a, const REPACT& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// --- the parameter windows' checks --------------------------------------------------------

TEST(RepeatParameterChecksTest, FixedPeriodOpensWithTheRuleOfItsOwnTypeOnly) {
    REPACT every3Days = until(day(2026, 6, 30), 3, UseNextWorkDay);
    // A rule of every 3 days seen in the window of weeks: nothing of it carries over.
    const REPACT weeks = fixedPeriodOpening(every3Days, FixedDays, FixedWeeks);
    EXPECT_EQ(0, weeks.REPNUMBER);
    EXPECT_EQ(0, weeks.REPEND);
    EXPECT_EQ(Ask, weeks.WEEKENDREPEAT);
    // In its own window it opens as it is.
    const REPACT days = fixedPeriodOpening(every3Days, FixedDays, FixedDays);
    EXPECT_EQ(3, days.REPNUMBER);
    EXPECT_EQ(day(2026, 6, 30), days.REPEND);
    EXPECT_EQ(UseNextWorkDay, days.WEEKENDREPEAT);
    // Weeks and months cannot move to the next work day: a stored 3 shows as "Ask".
    EXPECT_EQ(Ask, fixedPeriodOpening(every3Days, FixedMonths, FixedMonths).WEEKENDREPEAT);
    // The weekday rules open on the first Monday when the rule names none, and with "Ask"
    // in place of a handling they do not offer.
    const REPACT weekday = specificWeekdayOpening(every3Days);
    EXPECT_EQ(1, weekday.WEEK);
    EXPECT_EQ(1, weekday.WEEKDAY);
    EXPECT_EQ(Ask, weekday.WEEKENDREPEAT);
    EXPECT_EQ(Ask, setDaysOpening(every3Days).WEEKENDREPEAT);
    EXPECT_EQ(SkipIt, setDaysOpening(until(0, 0, SkipIt)).WEEKENDREPEAT);
}

TEST(RepeatParameterChecksTest, FixedPeriodRefusesPastDatesNoNumberAndTooFar) {
    const LONG today = day(2026, 3, 2);
    const DateLimits noLimit{today, 0}, month{today, 30};
    const Words w;
    EXPECT_FALSE(checkFixedPeriod(until(today, 1), FixedDays, noLimit, w).refused());
    // Until before today.
    Refusal r = checkFixedPeriod(until(today - 1, 1), FixedDays, noLimit, w);
    EXPECT_EQ(RepeatField::Until, r.field);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(RepeatField::Until, checkFixedPeriod(until(0, 1), FixedWeeks, noLimit, w).field);
    // A number not above 0.
    r = checkFixedPeriod(until(today + 7, 0), FixedWeeks, noLimit, w);
    EXPECT_EQ(RepeatField::Number, r.field);
    EXPECT_NE(std::string::npos, r.message.find("weeks"));
    EXPECT_EQ(RepeatField::Number,
              checkFixedPeriod(until(today + 7, -2), FixedDays, noLimit, w).field);
    // The advance limit: today + 30 passes, a day more does not; no limit when 0.
    EXPECT_FALSE(checkFixedPeriod(until(today + 30, 1), FixedDays, month, w).refused());
    r = checkFixedPeriod(until(today + 31, 1), FixedDays, month, w);
    EXPECT_EQ(RepeatField::Until, r.field);
    EXPECT_EQ("Too far in the future. System Administrator setting.", r.message);
    EXPECT_FALSE(checkFixedPeriod(until(today + 3650, 1), FixedDays, noLimit, w).refused());
}

TEST(RepeatParameterChecksTest, WeekdayRulesTakeAnUntilOnTheSeedButNotBefore) {
    const LONG today = day(2026, 3, 2), seed = day(2026, 3, 10);
    const DateLimits limits{today, 60};
    // An until date equal to the seed passes both windows.
    EXPECT_FALSE(checkSpecificWeekday(until(seed), seed, limits).refused());
    REPACT mondays = until(seed);
    mondays.MONDAY = 1;
    EXPECT_FALSE(checkSetDays(mondays, seed, limits).refused());
    // Before the seed.
    Refusal r = checkSpecificWeekday(until(seed - 1), seed, limits);
    EXPECT_EQ(RepeatField::Until, r.field);
    EXPECT_EQ("The end date must come after the selected occurrence", r.message);
    mondays.REPEND = seed - 1;
    EXPECT_EQ("End date must be after the selected occurrence",
              checkSetDays(mondays, seed, limits).message);
    // Beyond the advance limit.
    EXPECT_EQ("Too far in the future. System Administrator setting.",
              checkSpecificWeekday(until(today + 61), seed, limits).message);
    mondays.REPEND = today + 61;
    EXPECT_EQ("End date is too far in the future. System Administrator setting.",
              checkSetDays(mondays, seed, limits).message);
    // No weekday ticked.
    r = checkSetDays(until(seed + 30), seed, limits);
    EXPECT_EQ(RepeatField::Weekdays, r.field);
    EXPECT_EQ("At least one weekday must be selected", r.message);
    // Leaving the until date: it must lie after the seed; a blank entry is not refused yet.
    EXPECT_EQ("Must be later than original date", checkUntilLeft(seed, seed).message);
    EXPECT_TRUE(checkUntilLeft(seed - 5, seed).refused());
    EXPECT_FALSE(checkUntilLeft(seed + 1, seed).refused());
    EXPECT_FALSE(checkUntilLeft(0, seed).refused());
}

TEST(RepeatParameterChecksTest, IrregularDateNeedsADateAndAnEndAfterItsStart) {
    const DateLimits limits{day(2026, 3, 2), 10};
    const LONG d = day(2026, 3, 5);
    EXPECT_FALSE(checkIrregularDate({d, at(9), at(10)}, limits).refused());
    EXPECT_EQ(RepeatField::Date, checkIrregularDate({0, at(9), at(10)}, limits).field);
    Refusal r = checkIrregularDate({day(2026, 3, 13), at(9), at(10)}, limits);
    EXPECT_EQ(RepeatField::Date, r.field);
    EXPECT_EQ("Too far in the future. System Administrator setting.", r.message);
    EXPECT_EQ(RepeatField::Start, checkIrregularDate({d, 0, at(10)}, limits).field);
    // An end at or before the start is refused with the form's own message.
    r = checkIrregularDate({d, at(10), at(9)}, limits);
    EXPECT_EQ(RepeatField::End, r.field);
    EXPECT_EQ("End time must be later than Start time", r.message);
    EXPECT_EQ(RepeatField::End, checkIrregularDate({d, at(10), at(10)}, limits).field);
    EXPECT_EQ(RepeatField::End, checkIrregularDate({d, at(10), 0}, limits).field);
}

TEST(RepeatParameterChecksTest, MonthsWarningAndEndTimes) {
    EXPECT_TRUE(monthsWarningNeeded(day(2026, 1, 29)));
    EXPECT_TRUE(monthsWarningNeeded(day(2026, 1, 31)));
    EXPECT_FALSE(monthsWarningNeeded(day(2026, 1, 28)));
    EXPECT_FALSE(monthsWarningNeeded(0));
    Words w;
    w.booking = "Event";
    EXPECT_EQ(
        "Warning: If a month does not have enough days, the event will scheduled for the "
        "next month. Continue?",
        monthsWarning(w));

    const LONG half = store::Length::fromMinutes(30).value;
    std::vector<LONG> list = endTimeList(at(8), at(18), half);
    ASSERT_EQ(21u, list.size());
    EXPECT_EQ(at(8), list.front());
    EXPECT_EQ(at(8, 30), list[1]);
    EXPECT_EQ(at(18), list.back());
    // The last value is the first one at or past the end of the day.
    list = endTimeList(at(8), at(9, 10), half);
    EXPECT_EQ((std::vector<LONG>{at(8), at(8, 30), at(9), at(9, 30)}), list);
    // No interval: the start of the day alone, never an endless list.
    EXPECT_EQ(1u, endTimeList(at(8), at(18), 0).size());
    // Never past midnight.
    list = endTimeList(at(22), at(23, 59), store::Length::fromHours(1).value);
    EXPECT_EQ((std::vector<LONG>{at(22), at(23), kEndOfDay}), list);
}

// --- the session --------------------------------------------------------------------------

class RepeatSessionTest : public AnyBookingTest {
  protected:
    std::vector<DateEntry> list;
    /// The answers of the scripted parameter windows, in order: the rule entered, or
    /// nothing for Cancel. Each call records the rule the window opened with.
    std::vector<std::optional<REPACT>> windows;
    std::vector<std::pair<int, REPACT>> opened;
    std::vector<std::optional<Occurrence>> dateWindows;

    void SetUp() override {
        AnyBookingTest::SetUp();
        if (stopped()) return;
        db.table(store::Tbl::ACTIVITY).clearBuffer();
        db.table(store::Tbl::REPACT).clearBuffer();
        db.ACT.ACTNUMBER = 77;
    }
    DateEntry entry(LONG date, LONG start = at(9) + 400, LONG end = at(10)) {
        return {date, start, end, 0, 0, 77};
    }
    void script(RepeatSession& s) {
        s.parameterWindow = [this](int type, REPACT& rule) {
            opened.push_back({type, rule});
            if (windows.empty()) {
                ADD_FAILURE() << "parameter window not scripted";
                return false;
            }
            auto answer = windows.front();
            windows.erase(windows.begin());
            if (!answer) return false;
            rule = *answer;
            return true;
        };
        s.irregularWindow = [this](Occurrence& o) {
            if (dateWindows.empty()) {
                ADD_FAILURE() << "date window not scripted";
                return false;
            }
            auto answer = dateWindows.front();
            dateWindows.erase(dateWindows.begin());
            if (!answer) return false;
            o = *answer;
            return true;
        };
    }
    void addSpecial(LONG from, LONG to, const char* what) {
        a.fm(store::Tbl::SPECIAL).PRIMERECORD();
        db.SPE.STARTDATE = from;
        db.SPE.ENDDATE = to;
        db.SPE.DESCRIPTION = what;
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::SPECIAL).INSERT());
    }
};

TEST_P(RepeatSessionTest, OpeningTakesTheBookingNumberAndTheOccurrencesAsIrregularDates) {
    list = {entry(day(2026, 3, 9)), entry(day(2026, 3, 4)), entry(day(2026, 3, 6))};
    db.REP.ACTNUMBER = 0;
    RepeatSession s(db, list, 1);
    EXPECT_EQ(77, db.REP.ACTNUMBER);
    EXPECT_EQ(day(2026, 3, 4), s.seed().DATE);
    // The irregular list keeps date order whatever order the form handed over.
    EXPECT_EQ("2026-03-04 2026-03-06 2026-03-09", dates(s.irregular()));
    EXPECT_EQ(day(2026, 3, 5), s.lastDayProposal());
    EXPECT_EQ(at(18), s.endTimes().back());
}

TEST_P(RepeatSessionTest, AWeeklyRuleRepeatsTheSeedUntilItsEnd) {
    list = {entry(monday)};
    RepeatSession s(db, list, 0);
    script(s);
    windows.push_back(until(day(2026, 3, 30), 1, BookAnyway));
    ASSERT_TRUE(s.choose(FixedWeeks));
    EXPECT_EQ(FixedWeeks, s.type());
    EXPECT_EQ("Repeated every 1 weeks until " + store::longDate(store::Date(day(2026, 3, 30))),
              s.ruleLine());
    ASSERT_TRUE(s.OK());
    EXPECT_EQ("2026-03-02 2026-03-09 2026-03-16 2026-03-23 2026-03-30", dates(list));
    // Every occurrence is the seed on another date.
    for (const DateEntry& e : list) {
        EXPECT_EQ(at(9) + 400, e.TIME);
        EXPECT_EQ(at(10), e.ENDTIME);
        EXPECT_EQ(77, e.ACTNUMBER);
    }
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_EQ(1, db.REP.REPNUMBER);
    EXPECT_EQ(BookAnyway, db.REP.WEEKENDREPEAT);
    EXPECT_EQ(77, db.REP.ACTNUMBER);
    // A single occurrence is turned into a rule without asking anything.
    EXPECT_TRUE(user.asked.empty());
}

TEST_P(RepeatSessionTest, ACancelledParameterWindowBringsBackTheOptionBefore) {
    list = {entry(monday), entry(day(2026, 3, 5))};
    db.ACT.REPEATTYPE = FixedDays;
    db.REP = until(day(2026, 3, 5), 3, UseNextWorkDay);
    const REPACT before = db.REP;
    RepeatSession s(db, list, 0);
    script(s);
    windows.push_back(std::nullopt);
    EXPECT_FALSE(s.choose(FixedWeeks));
    EXPECT_EQ(FixedDays, s.type());
    EXPECT_TRUE(sameRule(before, db.REP));
    // The window of weeks opened empty on a booking repeated every 3 days.
    ASSERT_EQ(1u, opened.size());
    EXPECT_EQ(FixedWeeks, opened[0].first);
    EXPECT_EQ(0, opened[0].second.REPNUMBER);
    EXPECT_EQ(0, opened[0].second.REPEND);
    EXPECT_EQ(Ask, opened[0].second.WEEKENDREPEAT);

    // "Change" reopens the rule's own window with its values; Cancel keeps the rule.
    windows.push_back(std::nullopt);
    EXPECT_FALSE(s.changeRule());
    EXPECT_EQ(3, opened[1].second.REPNUMBER);
    EXPECT_EQ(UseNextWorkDay, opened[1].second.WEEKENDREPEAT);
    EXPECT_TRUE(sameRule(before, db.REP));
    windows.push_back(until(day(2026, 3, 20), 2));
    EXPECT_TRUE(s.changeRule());
    EXPECT_EQ(2, db.REP.REPNUMBER);
    EXPECT_EQ(77, db.REP.ACTNUMBER);

    // The weekday of each month starts on the first Monday.
    windows.push_back(std::nullopt);
    EXPECT_FALSE(s.choose(SpecificWeekday));
    EXPECT_EQ(1, opened[3].second.WEEK);
    EXPECT_EQ(1, opened[3].second.WEEKDAY);
    EXPECT_EQ(FixedDays, s.type());
    EXPECT_EQ(2, db.REP.REPNUMBER);
    // Choosing the option already current opens nothing.
    EXPECT_TRUE(s.choose(FixedDays));
    EXPECT_EQ(4u, opened.size());
}

TEST_P(RepeatSessionTest, NoRepeatsAsksBeforeDroppingOccurrencesAndKeepsTheSeed) {
    list = {entry(monday), entry(day(2026, 3, 9)), entry(day(2026, 3, 16))};
    db.ACT.REPEATTYPE = FixedWeeks;
    db.REP = until(day(2026, 3, 16), 1);
    RepeatSession s(db, list, 1);
    user.answer(store::BUTTON_NO);
    EXPECT_FALSE(s.choose(NoRepeats));
    EXPECT_EQ(FixedWeeks, s.type());
    EXPECT_EQ(
        "Selecting No Repeats will erase all occurrences of this booking except the one "
        "you originally selected. Do you want to continue?",
        user.lastText());
    user.answer(store::BUTTON_YES);
    EXPECT_TRUE(s.choose(NoRepeats));
    EXPECT_EQ(NoRepeats, s.type());
    EXPECT_EQ(0, db.REP.REPNUMBER);
    EXPECT_EQ(0, db.REP.REPEND);
    EXPECT_EQ(77, db.REP.ACTNUMBER);
    ASSERT_TRUE(s.OK());
    EXPECT_EQ("2026-03-09", dates(list));

    // With one occurrence nothing is asked.
    std::vector<DateEntry> one{entry(monday)};
    db.ACT.REPEATTYPE = IrregularDates;
    RepeatSession single(db, one, 0);
    user.clearAsked();
    EXPECT_TRUE(single.choose(NoRepeats));
    EXPECT_TRUE(user.asked.empty());
}

TEST_P(RepeatSessionTest, CancelPutsBackTheTypeTheRuleAndTheList) {
    list = {entry(monday), entry(day(2026, 3, 4))};
    db.ACT.REPEATTYPE = IrregularDates;
    db.REP = until(0, 0);
    db.REP.ACTNUMBER = 0;  // as a form that never had a rule leaves it
    const REPACT before = db.REP;
    const std::vector<DateEntry> original = list;
    RepeatSession s(db, list, 0);
    script(s);
    windows.push_back(until(day(2026, 4, 30), 1));
    ASSERT_TRUE(s.choose(FixedDays));
    user.answer(store::BUTTON_YES);
    ASSERT_TRUE(s.OK());
    EXPECT_GT(list.size(), 20u);
    s.cancel();
    EXPECT_EQ(original, list);
    EXPECT_EQ(IrregularDates, db.ACT.REPEATTYPE);
    EXPECT_TRUE(sameRule(before, db.REP));
}

TEST_P(RepeatSessionTest, MultiDayNeedsALaterLastDayAndAnEndTime) {
    list = {entry(monday)};
    RepeatSession s(db, list, 0);
    int beeps = 0;
    s.refusing = [&] { ++beeps; };
    ASSERT_TRUE(s.choose(MultiDay));
    s.lastDay = monday;
    s.lastEnd = at(12);
    EXPECT_FALSE(s.OK());
    EXPECT_EQ(RepeatField::LastDay, s.focus());
    EXPECT_TRUE(s.refused());
    EXPECT_EQ("End date must be after original date", user.lastText());
    s.lastDay = day(2026, 3, 4);
    s.lastEnd = 0;
    EXPECT_FALSE(s.OK());
    EXPECT_EQ(RepeatField::EndTime, s.focus());
    EXPECT_EQ("End time must be entered", user.lastText());
    EXPECT_EQ(1u, list.size());
    EXPECT_EQ(2, beeps);  // one for each refusal

    s.lastEnd = at(12);
    ASSERT_TRUE(s.OK());
    // Monday from its start to the end of the day, Tuesday whole, Wednesday to 12:00.
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ((std::array<LONG, 3>{monday, at(9) + 400, kEndOfDay}),
              (std::array<LONG, 3>{list[0].DATE, list[0].TIME, list[0].ENDTIME}));
    EXPECT_EQ((std::array<LONG, 3>{day(2026, 3, 3), 1, kEndOfDay}),
              (std::array<LONG, 3>{list[1].DATE, list[1].TIME, list[1].ENDTIME}));
    EXPECT_EQ((std::array<LONG, 3>{day(2026, 3, 4), 1, at(12)}),
              (std::array<LONG, 3>{list[2].DATE, list[2].TIME, list[2].ENDTIME}));
    EXPECT_EQ(MultiDay, db.ACT.REPEATTYPE);
    EXPECT_EQ(day(2026, 3, 4), db.REP.REPEND);
    EXPECT_EQ(77, list[2].ACTNUMBER);
}

TEST_P(RepeatSessionTest, MultiDayDoesNotRebuildARepeatedBooking) {
    list = {entry(monday), entry(day(2026, 3, 9))};
    db.ACT.REPEATTYPE = FixedWeeks;
    db.REP = until(day(2026, 3, 9), 1);
    const REPACT before = db.REP;
    RepeatSession s(db, list, 0);
    ASSERT_TRUE(s.choose(MultiDay));
    s.lastDay = day(2026, 3, 4);
    s.lastEnd = at(12);
    EXPECT_FALSE(s.OK());
    EXPECT_EQ("You cannot use this window to change an existing repeat or multi-day Booking",
              user.lastText());
    // The pattern as it was, and the list untouched.
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_TRUE(sameRule(before, db.REP));
    EXPECT_EQ("2026-03-02 2026-03-09", dates(list));
}

TEST_P(RepeatSessionTest, IrregularDatesAreInsertedChangedAndDeletedInDateOrder) {
    list = {entry(day(2026, 3, 10))};
    RepeatSession s(db, list, 0);
    script(s);
    ASSERT_TRUE(s.choose(IrregularDates));
    dateWindows.push_back(Occurrence{day(2026, 3, 5), at(14), at(15)});
    EXPECT_EQ(0, s.insertIrregular());
    dateWindows.push_back(Occurrence{day(2026, 3, 20), at(8), at(9)});
    EXPECT_EQ(2, s.insertIrregular());
    EXPECT_EQ("2026-03-05 2026-03-10 2026-03-20", dates(s.irregular()));
    EXPECT_EQ(77, s.irregular()[2].ACTNUMBER);
    // The same date and times twice is refused, and the window opens again.
    dateWindows.push_back(Occurrence{day(2026, 3, 5), at(14), at(15)});
    dateWindows.push_back(std::nullopt);
    EXPECT_EQ(-1, s.insertIrregular());
    EXPECT_EQ("This date and time is already in the list", user.lastText());
    EXPECT_EQ(3u, s.irregular().size());
    // A changed entry moves to its place.
    dateWindows.push_back(Occurrence{day(2026, 3, 25), at(14), at(15)});
    EXPECT_EQ(2, s.changeIrregular(0));
    EXPECT_EQ("2026-03-10 2026-03-20 2026-03-25", dates(s.irregular()));
    dateWindows.push_back(std::nullopt);
    EXPECT_EQ(-1, s.changeIrregular(0));
    s.deleteIrregular(1);
    EXPECT_EQ("2026-03-10 2026-03-25", dates(s.irregular()));
    // The list replaces the occurrences only on OK.
    EXPECT_EQ(1u, list.size());
    ASSERT_TRUE(s.OK());
    EXPECT_EQ("2026-03-10 2026-03-25", dates(list));
    EXPECT_EQ(at(14), list[1].TIME);
    EXPECT_EQ(IrregularDates, db.ACT.REPEATTYPE);
}

TEST_P(RepeatSessionTest, IrregularDatesReplaceARepeatOnlyWhenTheUserSaysSo) {
    list = {entry(monday), entry(day(2026, 3, 9)), entry(day(2026, 3, 16))};
    db.ACT.REPEATTYPE = FixedWeeks;
    db.REP = until(day(2026, 3, 16), 1, BookAnyway);
    RepeatSession s(db, list, 0);
    ASSERT_TRUE(s.choose(IrregularDates));
    s.deleteIrregular(1);
    user.answer(store::BUTTON_NO);
    EXPECT_FALSE(s.OK());
    EXPECT_FALSE(s.refused());
    EXPECT_EQ(RepeatField::Irregular, s.focus());
    EXPECT_EQ("Replace all repeats of this Booking with those in the Irregular dates list?",
              user.lastText());
    EXPECT_EQ(3u, list.size());
    user.answer(store::BUTTON_YES);
    ASSERT_TRUE(s.OK());
    EXPECT_EQ("2026-03-02 2026-03-16", dates(list));
    // The weekly rule's handling no longer steers the checks of these dates.
    EXPECT_EQ(Ask, db.REP.WEEKENDREPEAT);

    // An empty list would leave the booking without a single occurrence.
    std::vector<DateEntry> one{entry(monday)};
    RepeatSession empty(db, one, 0);
    ASSERT_TRUE(empty.choose(IrregularDates));
    empty.deleteIrregular(0);
    EXPECT_FALSE(empty.OK());
    EXPECT_TRUE(empty.refused());
    EXPECT_EQ(1u, one.size());
}

TEST_P(RepeatSessionTest, ANewRuleKeepsEarlierOccurrencesAndAsksFirst) {
    list = {entry(monday), entry(day(2026, 3, 3)), entry(day(2026, 3, 4)), entry(day(2026, 3, 5))};
    db.ACT.REPEATTYPE = FixedDays;
    db.REP = until(day(2026, 3, 5), 1);
    const REPACT before = db.REP;
    RepeatSession s(db, list, 1);  // the seed: Tuesday the 3rd
    script(s);
    windows.push_back(until(day(2026, 3, 24), 1));
    ASSERT_TRUE(s.choose(FixedWeeks));
    user.answer(store::BUTTON_NO);
    EXPECT_FALSE(s.OK());
    EXPECT_EQ("Any repeats of this bookings already scheduled for after " +
                  store::longDate(store::Date(day(2026, 3, 3))) + " may be changed. Continue?",
              user.lastText());
    // No: the pattern the window opened with, and the options to choose again.
    EXPECT_EQ(FixedDays, db.ACT.REPEATTYPE);
    EXPECT_TRUE(sameRule(before, db.REP));
    EXPECT_EQ(RepeatField::Options, s.focus());
    EXPECT_EQ(4u, list.size());

    windows.push_back(until(day(2026, 3, 24), 1));
    ASSERT_TRUE(s.choose(FixedWeeks));
    user.answer(store::BUTTON_YES);
    ASSERT_TRUE(s.OK());
    // Monday stays, the seed stays, the 4th and 5th go, and the weeks follow the seed.
    EXPECT_EQ("2026-03-02 2026-03-03 2026-03-10 2026-03-17 2026-03-24", dates(list));
}

TEST_P(RepeatSessionTest, ARuleThatAddsNothingSaysSo) {
    list = {entry(monday)};
    RepeatSession s(db, list, 0);
    script(s);
    // An until date on the seed passes the window, but adds no occurrence.
    REPACT tuesdays = until(monday);
    tuesdays.TUESDAY = 1;
    windows.push_back(tuesdays);
    ASSERT_TRUE(s.choose(SetDaysEachWeek));
    EXPECT_FALSE(s.OK());
    EXPECT_TRUE(s.refused());
    EXPECT_EQ(RepeatField::Change, s.focus());
    EXPECT_NE(std::string::npos, user.lastText().find("adds no occurrences"));
    EXPECT_EQ(1u, list.size());
    // Moved on by a week it works.
    tuesdays.REPEND = monday + 7;
    windows.push_back(tuesdays);
    ASSERT_TRUE(s.changeRule());
    ASSERT_TRUE(s.OK());
    EXPECT_EQ("2026-03-02 2026-03-03", dates(list));
}

TEST_P(RepeatSessionTest, SpecialDaysOnFileAreSkippedOnlyWhereTheRuleSaysSo) {
    addSpecial(day(2026, 3, 9), day(2026, 3, 9), "Holiday");
    addSpecial(day(2026, 3, 20), day(2026, 3, 25), "Closed");
    addSpecial(day(2025, 1, 1), day(2025, 1, 1), "Long ago");
    db.SPE.DESCRIPTION = "in the buffer";
    list = {entry(monday)};
    RepeatSession s(db, list, 0);
    script(s);
    windows.push_back(until(day(2026, 3, 30), 1, SkipIt));
    ASSERT_TRUE(s.choose(FixedWeeks));
    ASSERT_TRUE(s.OK());
    // The 9th and the 23rd fall on special days.
    EXPECT_EQ("2026-03-02 2026-03-16 2026-03-30", dates(list));
    // Whoever else uses the SPECIAL buffer finds it as it was.
    EXPECT_EQ("in the buffer", db.SPE.DESCRIPTION.str());

    std::vector<DateEntry> again{entry(monday)};
    db.ACT.REPEATTYPE = NoRepeats;
    RepeatSession book(db, again, 0);
    script(book);
    windows.push_back(until(day(2026, 3, 30), 1, BookAnyway));
    ASSERT_TRUE(book.choose(FixedWeeks));
    ASSERT_TRUE(book.OK());
    EXPECT_EQ(5u, again.size());
}

TEST_P(RepeatSessionTest, TenYearsOfDailyOccurrencesAreWorkedOutQuickly) {
    for (int year = 2026; year < 2036; ++year)
        addSpecial(day(year, 12, 25), day(year, 12, 26), "Christmas");
    list = {entry(monday)};
    RepeatSession s(db, list, 0);
    script(s);
    int busy = 0;
    s.busy = [&](bool on) { busy += on ? 1 : -1; };
    windows.push_back(until(monday + 3650, 1, BookAnyway));
    ASSERT_TRUE(s.choose(FixedDays));
    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.OK());
    const auto took = std::chrono::steady_clock::now() - began;
    EXPECT_EQ(3651u, list.size());
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(0, busy);  // the busy cursor came and went

    // Skipping special days over the same ten years drops both days of each Christmas.
    std::vector<DateEntry> skipping{entry(monday)};
    db.ACT.REPEATTYPE = NoRepeats;
    RepeatSession skip(db, skipping, 0);
    script(skip);
    windows.push_back(until(monday + 3650, 1, SkipIt));
    ASSERT_TRUE(skip.choose(FixedDays));
    ASSERT_TRUE(skip.OK());
    EXPECT_EQ(3651u - 20u, skipping.size());
}

TEMBRIX_ON_BOTH_STORES(RepeatSessionTest);

}  // namespace
}  // namespace booking::test

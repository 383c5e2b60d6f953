// Utilization of a resource and of a group: hours, days and percentages of the working
// time booked over a period.
#include "reports/utilization.h"

#include <gtest/gtest.h>

#include "../booking/booking_fixture.h"

namespace reports::test {
namespace {

using booking::test::at;
using store::LONG;

const LONG monday = store::Date::fromMDY(3, 2, 2026).value;

scan::Occurrence occ(LONG date, LONG start, LONG end, int units = 1, LONG actualStart = 0,
                     LONG actualEnd = 0) {
    scan::Occurrence o;
    o.date = date, o.start = start, o.end = end, o.units = units;
    o.actualStart = actualStart, o.actualEnd = actualEnd;
    return o;
}

/// A week from Monday with a working day of 09:00 to 17:00; weekends and special days
/// do not count.
UtilizationQuestion week() {
    UtilizationQuestion q;
    q.first = store::Date(monday);
    q.last = store::Date(monday + 6);
    q.dayStart = at(9);
    q.dayEnd = at(17);
    return q;
}

TEST(Utilization, OneResourceCountsHoursInsideAndOutsideTheWorkingDay) {
    const ResourceUtilization r = GETSTATS(week(), 1,
                                           {occ(monday, at(8), at(18)),       // 10 h, 8 inside
                                            occ(monday + 1, at(18), at(20)),  // wholly outside
                                            occ(monday + 1, at(19), at(19, 30))});
    EXPECT_EQ(13, r.totalBookedHours);  // 10 + 2 + 0.5 hours, to the nearest hour
    EXPECT_EQ(8, r.workdayHoursBooked);
    EXPECT_EQ(2, r.workdaysBooked);  // two bookings on one day count once
    EXPECT_EQ(5, r.workdaysAvail);
    EXPECT_EQ(40, r.workdayHoursAvail);
    EXPECT_EQ(40, r.percentDays);
    EXPECT_EQ(20, r.percentHours);
}

TEST(Utilization, UnitsWeighTotalAndAvailableHoursButNotWorkHours) {
    // 2 units for 3 hours inside the working day, on a resource of 2 units.
    const ResourceUtilization r = GETSTATS(week(), 2, {occ(monday, at(10), at(13), 2)});
    EXPECT_EQ(6, r.totalBookedHours);
    EXPECT_EQ(3, r.workdayHoursBooked);
    EXPECT_EQ(80, r.workdayHoursAvail);  // twice the working day per available day
}

TEST(Utilization, WeekendsAndSpecialDaysLeaveTheCountsUnlessIncluded) {
    UtilizationQuestion q = week();
    q.specials = {{monday + 1, monday + 3}};                                // Tuesday to Thursday
    const std::vector<scan::Occurrence> o{occ(monday + 5, at(10), at(12)),  // Saturday
                                          occ(monday + 2, at(10), at(12)),  // special
                                          occ(monday, at(10), at(11))};
    ResourceUtilization r = GETSTATS(q, 1, o);
    EXPECT_EQ(2, r.workdaysAvail);  // Monday and Friday
    EXPECT_EQ(1, r.workdaysBooked);
    EXPECT_EQ(1, r.totalBookedHours);
    q.weekends = true;
    q.specialDays = true;
    r = GETSTATS(q, 1, o);
    EXPECT_EQ(7, r.workdaysAvail);
    EXPECT_EQ(3, r.workdaysBooked);
    EXPECT_EQ(5, r.totalBookedHours);
}

TEST(Utilization, NoWorkingTimeGivesZeroPercentNeverADivisionByZero) {
    UtilizationQuestion q = week();
    q.dayEnd = q.dayStart;  // a working day of no length
    ResourceUtilization r = GETSTATS(q, 1, {occ(monday, at(10), at(11))});
    EXPECT_EQ(0, r.percentHours);
    q = week();
    q.last = q.first - 1;  // a period that ends before it starts
    r = GETSTATS(q, 1, {});
    EXPECT_EQ(0, r.workdaysAvail);
    EXPECT_EQ(0, r.percentDays);
}

class GroupUtilizationTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        addGroup(a, "G", {"ROOM1", "ROOM2"});
    }
    UtilizationQuestion question() {
        UtilizationQuestion q = week();
        q.first = store::Date(monday);
        q.last = store::Date(monday + 6);
        return q;
    }
    GroupUtilization group(const UtilizationQuestion& q, HourRounding r) {
        GroupUtilization g;
        std::string error;
        EXPECT_TRUE(groupUtilization(db, q, "G", r, g, error)) << error;
        return g;
    }
    /// Records an actual start and end for the occurrence of a booking typed at `typed`
    /// for an hour.
    void actual(LONG number, LONG date, LONG typed, LONG start, LONG end) {
        booking::clickOccurrence(db, number, date, typed + 400, typed + 360000);
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::DATES).FETCH(store::DAT::ACTDATES_KEY));
        db.DAT.ACTUALSTART = start;
        db.DAT.ACTUALEND = end;
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::DATES).UPDATE());
    }
};

TEST_F(GroupUtilizationTest, DaysCountPerResourceAndRowsRoundInTheWindowButNotTheReport) {
    book(db, "Long", {{"ROOM1", 1}}, {{monday, at(9), at(11, 45)}});  // 2:44:56 of work
    book(db, "Same day", {{"ROOM2", 1}}, {{monday, at(13), at(14)}});
    book(db, "Again", {{"ROOM2", 1}}, {{monday, at(15), at(16)}});
    const GroupUtilization window = group(question(), HourRounding::Nearest);
    ASSERT_EQ(2u, window.rows.size());
    EXPECT_EQ(3, window.rows[0].workHours);
    EXPECT_EQ(2, group(question(), HourRounding::Truncated).rows[0].workHours);
    // The same day for two resources counts twice; two bookings of one resource once.
    EXPECT_EQ(2, window.workdaysBooked);
    EXPECT_EQ(10, window.workdaysGroupAvail);
    EXPECT_EQ(20, window.percentDays);
    EXPECT_EQ(80, window.workdayHoursAvail);
    EXPECT_EQ(5, window.workdayHoursBooked);  // 2:44:56 + 2:00 to the nearest hour
    EXPECT_EQ(6, window.percentHours);
    EXPECT_EQ(7, window.rows[0].percent);  // 3 of 40 hours, the fraction dropped
}

TEST_F(GroupUtilizationTest, WithActualTimesOnlyADayWithAnActualStartIsUsed) {
    const LONG one = book(db, "Done", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    book(db, "Not yet", {{"ROOM1", 1}}, {{monday + 1, at(9), at(10)}});
    actual(one, monday, at(9), at(9, 30), at(11));
    UtilizationQuestion q = question();
    q.actual = true;
    const GroupUtilization g = group(q, HourRounding::Nearest);
    EXPECT_EQ(1, g.workdaysBooked);
    EXPECT_EQ(2, g.rows[0].totalHours);  // 1:30 of actual time, to the nearest hour
    // The single-resource figures count the day whether or not actual times were recorded.
    ResourceUtilization r;
    std::string error;
    ASSERT_TRUE(resourceUtilization(db, q, "ROOM1", r, error)) << error;
    EXPECT_EQ(2, r.workdaysBooked);
}

}  // namespace
}  // namespace reports::test

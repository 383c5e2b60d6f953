// The checks OK runs before a booking is saved, with the user's answers in the conflict
// dialog, and what ends up on file.
#include <gtest/gtest.h>

#include "booking_fixture.h"

namespace booking::test {
namespace {

class ChecksTest : public AnyBookingTest {};

TEST_P(ChecksTest, TypedTimesTakeTheStartOffsetAndTheLatestEnd) {
    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    EXPECT_EQ(at(9), form.start);  // the user's default start, as set
    EXPECT_EQ(at(10), form.end);
    form.startAccepted(at(9));
    EXPECT_EQ(at(9) + 400, form.start);
    EXPECT_EQ(at(10), form.end);
    form.startAccepted(at(23, 30));
    EXPECT_EQ(8639000, form.end);
    form.startAccepted(at(9));
    form.endAccepted(at(11, 30));
    EXPECT_EQ(store::Length::fromMinutes(150).value, form.duration);
    form.durationAccepted(store::Length::fromMinutes(45).value);
    EXPECT_EQ(at(9, 45), form.end);
}

TEST_P(ChecksTest, CollisionsAreStrictAtTheEdgesAndNeverWithTheBookingItself) {
    const store::LONG first = book(db, "Board", {{"ROOM1", 1}}, {{monday, at(10), at(11)}});
    EXPECT_TRUE(user.conflicts.empty());
    // Typed to start when the first one ends: no dialog.
    book(db, "Lunch", {{"ROOM1", 1}}, {{monday, at(11), at(12)}});
    EXPECT_TRUE(user.conflicts.empty());

    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    form.insertResources({{"ROOM1", 1}});
    form.startAccepted(at(10, 59));
    form.endAccepted(at(11, 30));
    user.answerConflict(store::AcceptThis);
    user.answerConflict(store::AcceptThis);
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    ASSERT_EQ(2u, user.conflicts.size());  // both the Board and the Lunch
    EXPECT_EQ("Board", user.conflicts[0].text);
    EXPECT_EQ(0, user.conflicts[0].kind);
    EXPECT_EQ("ROOM1", user.conflicts[0].resource);
    // The other booking by name, client and number, whatever the text names it by.
    EXPECT_EQ("Board", user.conflicts[0].otherName);
    EXPECT_EQ("ACME", user.conflicts[0].otherClient);
    EXPECT_EQ(first, user.conflicts[0].otherNumber);
    EXPECT_TRUE(user.conflicts[0].loop);

    // Moving the first booking within its own time collides with nothing of its own.
    user.conflicts.clear();
    BookingForm change(db);
    ASSERT_TRUE(openChange(change, first, monday, at(10) + 400, at(11)));
    change.endAccepted(at(10, 30));
    EXPECT_EQ(OkOutcome::Completed, change.OK());
    EXPECT_TRUE(user.conflicts.empty());
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(10) + 400, at(10, 30)}}),
              datesOf(first));
}

TEST_P(ChecksTest, WeekendsAndSpecialDaysFollowTheRepeatRule) {
    const store::LONG saturday = monday + 5;
    a.fm(store::Tbl::SPECIAL).PRIMERECORD();
    db.SPE.STARTDATE = monday + 1;
    db.SPE.ENDDATE = monday + 2;
    db.SPE.DESCRIPTION = "Carnival";
    ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::SPECIAL).INSERT());

    // A Saturday is no weekend for a user who does not flag weekends.
    book(db, "Sat", {{"ROOM1", 1}}, {{saturday, at(9), at(10)}});
    EXPECT_TRUE(user.conflicts.empty());

    db.USP.WEEKEND = 1;
    user.answerConflict(store::AcceptThis);  // the weekend
    user.answerConflict(store::AcceptThis);  // the special day
    book(db, "Both", {{"ROOM2", 1}},
         {{saturday + 1, at(9), at(10)}, {monday + 2, at(9), at(10)}, {monday + 3, at(9), at(10)}});
    ASSERT_EQ(2u, user.conflicts.size());
    EXPECT_EQ("Carnival", user.conflicts[0].text);
    EXPECT_EQ(1, user.conflicts[0].kind);
    EXPECT_EQ(monday + 1, user.conflicts[0].date);
    EXPECT_EQ(monday + 2, user.conflicts[0].periodEnd);
    EXPECT_EQ("weekend", user.conflicts[1].text);
    EXPECT_EQ(2, user.conflicts[1].kind);

    // "Book it anyway" reports neither.
    user.conflicts.clear();
    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    form.insertResources({{"ROOM2", 1}});
    form.date = saturday;
    form.occurrenceList().push_back({monday + 1, at(14), at(15), 0, 0, db.ACT.ACTNUMBER});
    db.ACT.REPEATTYPE = FixedDays;
    db.REP.WEEKENDREPEAT = BookAnyway;
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    EXPECT_TRUE(user.conflicts.empty());
}

TEST_P(ChecksTest, PooledCapacityIsCheckedAtTheBusiestInstant) {
    book(db, "A", {{"POOL", 2}}, {{monday, at(9), at(11)}});
    book(db, "B", {{"POOL", 2}}, {{monday, at(10), at(12)}});
    EXPECT_TRUE(user.conflicts.empty());
    book(db, "One more", {{"POOL", 1}}, {{monday, at(10), at(11)}});
    EXPECT_TRUE(user.conflicts.empty());

    user.answerConflict(store::CancelEraseAccepted);
    BookingForm form(db);
    form.UPDATEUNITS = [](const std::string&, int) { return 2; };
    ASSERT_TRUE(form.open(store::InsertRecord));
    form.insertResources({{"POOL", 5}});
    form.startAccepted(at(10));
    form.endAccepted(at(11));
    EXPECT_EQ(OkOutcome::Stay, form.OK());
    ASSERT_EQ(1u, user.conflicts.size());  // one dialog for the resource and occurrence
    EXPECT_EQ("maximum units exceeded", user.conflicts[0].text);
    EXPECT_EQ(3, user.conflicts[0].kind);
    // The numbers behind it: 2 wanted, 2 + 2 + 1 already booked at 10:00, 5 in the pool.
    EXPECT_EQ(2, user.conflicts[0].unitsWanted);
    EXPECT_EQ(5, user.conflicts[0].unitsTaken);
    EXPECT_EQ(5, user.conflicts[0].capacity);

    // Asking for more units than the pool has is reported with nobody else booked.
    user.conflicts.clear();
    user.answerConflict(store::CancelEraseAccepted);
    BookingForm alone(db);
    alone.UPDATEUNITS = [](const std::string&, int) { return 6; };
    ASSERT_TRUE(alone.open(store::InsertRecord));
    alone.insertResources({{"POOL", 5}});
    alone.date = monday + 1;
    EXPECT_EQ(OkOutcome::Stay, alone.OK());
    EXPECT_EQ(1u, user.conflicts.size());
}

/// Five Mondays booked on ROOM1 and a weekly booking that collides with every one.
class LoopTest : public AnyBookingTest {
  protected:
    void SetUp() override {
        AnyBookingTest::SetUp();
        if (stopped()) return;
        for (int w = 0; w < 5; ++w)
            book(db, "Busy", {{"ROOM1", 1}}, {{monday + 7 * w, at(9), at(10)}});
        before = count(store::Tbl::DATES);
    }
    OkOutcome weekly(BookingForm& form) {
        EXPECT_TRUE(form.open(store::InsertRecord));
        number = db.ACT.ACTNUMBER;
        form.insertResources({{"ROOM1", 1}});
        for (int w = 1; w < 5; ++w)
            form.occurrenceList().push_back({monday + 7 * w, at(9) + 400, at(10), 0, 0, number});
        db.ACT.REPEATTYPE = FixedWeeks;
        db.REP.REPNUMBER = 1;
        db.REP.REPEND = monday + 28;
        return form.OK();
    }
    long long before = 0;
    store::LONG number = 0;
};

TEST_P(LoopTest, StopOnTheThirdSavesTheFirstTwo) {
    user.answerConflict(store::AcceptThis);
    user.answerConflict(store::AcceptThis);
    user.answerConflict(store::StopSaveAccepted);
    BookingForm form(db);
    EXPECT_EQ(OkOutcome::Completed, weekly(form));
    EXPECT_EQ(3u, user.conflicts.size());
    EXPECT_EQ(2u, datesOf(number).size());
}

TEST_P(LoopTest, SkipDropsOneAndAcceptAllAsksNoMore) {
    user.answerConflict(store::SkipThis);
    user.answerConflict(store::AcceptAll);
    BookingForm form(db);
    EXPECT_EQ(OkOutcome::Completed, weekly(form));
    EXPECT_EQ(2u, user.conflicts.size());
    const auto saved = datesOf(number);
    ASSERT_EQ(4u, saved.size());
    EXPECT_EQ(monday + 7, saved[0][0]);
}

TEST_P(LoopTest, CancelWritesNothingAndTheNextOkChecksTheWholeRuleAgain) {
    user.answerConflict(store::AcceptThis);
    user.answerConflict(store::SkipThis);
    user.answerConflict(store::CancelEraseAccepted);
    BookingForm form(db);
    EXPECT_EQ(OkOutcome::Stay, weekly(form));
    EXPECT_EQ(FormField::Date, form.focus());
    EXPECT_EQ(before, count(store::Tbl::DATES));
    EXPECT_FALSE(fetchBooking(number));
    // What was accepted and skipped is undone; the rule the user built stays as it was.
    EXPECT_EQ(5u, form.occurrences().size());
    EXPECT_EQ(0, form.current());
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_EQ(1, db.REP.REPNUMBER);
    EXPECT_EQ(monday + 28, db.REP.REPEND);
    EXPECT_NE(std::string::npos, form.description().find("Every 1 weeks"));
    user.conflicts.clear();
    user.answerConflict(store::AcceptAll);
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    EXPECT_EQ(1u, user.conflicts.size());
    EXPECT_EQ(5u, datesOf(number).size());
    EXPECT_EQ(1, count(store::Tbl::REPACT));
}

TEST_P(LoopTest, ARuleGivenToABookingOnFileSurvivesACancelledCheck) {
    const store::LONG mine = book(db, "Mine", {{"ROOM2", 1}}, {{monday, at(9), at(10)}});
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, mine, monday, at(9) + 400, at(10)));
    form.insertResources({{"ROOM1", 1}});
    ASSERT_TRUE(form.beforeRepeat());
    for (int w = 1; w < 5; ++w)
        form.occurrenceList().push_back({monday + 7 * w, at(9) + 400, at(10), 0, 0, mine});
    db.ACT.REPEATTYPE = FixedWeeks;
    db.REP.REPNUMBER = 1;
    db.REP.REPEND = monday + 28;
    form.afterRepeat(true);
    user.answerConflict(store::AcceptThis);
    user.answerConflict(store::CancelEraseAccepted);
    EXPECT_EQ(OkOutcome::Stay, form.OK());
    EXPECT_EQ(5u, form.occurrences().size());
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_EQ(1u, datesOf(mine).size());
    // The next OK checks the whole rule again and saves it.
    user.conflicts.clear();
    user.answerConflict(store::AcceptAll);
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    EXPECT_EQ(1u, user.conflicts.size());
    EXPECT_EQ(5u, datesOf(mine).size());
    EXPECT_EQ(1, count(store::Tbl::REPACT));
}

TEST_P(LoopTest, SkippingEveryOccurrenceSavesNothing) {
    for (int i = 0; i < 5; ++i) user.answerConflict(store::SkipThis);
    BookingForm form(db);
    EXPECT_EQ(OkOutcome::Stay, weekly(form));
    EXPECT_NE(std::string::npos, user.lastText().find("nothing to save"));
    EXPECT_FALSE(fetchBooking(number));
}

TEST_P(LoopTest, WithoutConflictsAllowedNothingIsEverBookedOver) {
    db.SYP.NOCONFLICT = 1;
    // An answer the dialog does not offer abandons the save.
    user.answerConflict(store::AcceptThis);
    BookingForm form(db);
    EXPECT_EQ(OkOutcome::Stay, weekly(form));
    EXPECT_TRUE(user.conflicts[0].noConflict);
    EXPECT_EQ(before, count(store::Tbl::DATES));
}

TEST_P(ChecksTest, AnotherStationBookingDuringTheChecksIsCaughtInTheSave) {
    store::test::Station b{dir.path};
    openAll(b);
    preferences(*b.db);
    db.USP.WEEKEND = 1;
    const store::LONG saturday = monday + 5;
    // While the user looks at the weekend warning, the other station books the room.
    user.duringDialog = [&] { book(*b.db, "Theirs", {{"ROOM1", 1}}, {{saturday, at(9), at(10)}}); };
    user.answerConflict(store::AcceptThis);
    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    const store::LONG mine = db.ACT.ACTNUMBER;
    form.insertResources({{"ROOM1", 1}});
    form.date = saturday;
    EXPECT_EQ(OkOutcome::Stay, form.OK());
    EXPECT_NE(std::string::npos, user.lastText().find("Another station booked ROOM1"));
    EXPECT_FALSE(fetchBooking(mine));
    // OK again shows the new collision; declining it keeps the room single-booked.
    user.conflicts.clear();
    user.answerConflict(store::AcceptThis);           // weekend
    user.answerConflict(store::CancelEraseAccepted);  // "Theirs"
    EXPECT_EQ(OkOutcome::Stay, form.OK());
    ASSERT_EQ(2u, user.conflicts.size());
    EXPECT_EQ("Theirs", user.conflicts[1].text);
    EXPECT_FALSE(fetchBooking(mine));
}

TEMBRIX_ON_BOTH_STORES(ChecksTest);
TEMBRIX_ON_BOTH_STORES(LoopTest);

}  // namespace
}  // namespace booking::test

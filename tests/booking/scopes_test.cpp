// Changing bookings: the three scopes of a repeated booking, the concurrency check and the
// booking numbers.
#include <gtest/gtest.h>

#include <thread>

#include "booking/control_number.h"
#include "booking_fixture.h"

namespace booking::test {
namespace {

/// A weekly booking of four Mondays on ROOM1 and POOL, 09:00 to 10:00, with its rule.
class ScopeTest : public AnyBookingTest {
  protected:
    void SetUp() override {
        AnyBookingTest::SetUp();
        if (stopped()) return;
        BookingForm form(db);
        form.UPDATEUNITS = [](const std::string&, int) { return 2; };
        ASSERT_TRUE(form.open(store::InsertRecord));
        weekly = db.ACT.ACTNUMBER;
        db.ACT.NAME = "Weekly";
        db.ACN.NOTES = "Bring coffee";
        form.insertResources({{"ROOM1", 1}, {"POOL", 5}});
        for (int w = 1; w < 4; ++w)
            form.occurrenceList().push_back({monday + 7 * w, at(9) + 400, at(10), 0, 0, weekly});
        form.startAccepted(at(9));
        db.ACT.REPEATTYPE = FixedWeeks;
        db.REP.REPNUMBER = 1;
        db.REP.REPEND = monday + 21;
        ASSERT_EQ(OkOutcome::Completed, form.OK());
    }
    store::LONG weekly = 0;
    const store::LONG clicked = monday + 14;
};

TEST_P(ScopeTest, TheSaveWritesEveryPartOfTheBookingOnce) {
    EXPECT_EQ(4u, datesOf(weekly).size());
    EXPECT_EQ((std::vector<std::string>{"POOL:2", "ROOM1:1"}), resourcesOf(weekly));
    ASSERT_TRUE(fetchBooking(weekly));
    EXPECT_EQ("POOL", db.ACT.PRIME.str());  // the first in resource order
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_EQ("TESTER", db.ACT.USERNAME.str());
    EXPECT_EQ(1, count(store::Tbl::REPACT));
    EXPECT_EQ(1, count(store::Tbl::ACTNOTES));
    EXPECT_EQ(store::RequestCompleted, store::session().GlobalResponse);
}

TEST_P(ScopeTest, JustThisOneMakesANewSingleBooking) {
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
    EXPECT_EQ(4u, form.occurrences().size());
    EXPECT_EQ(2, form.current());
    form.CHANGEREP = [] { return int(JustThisOne); };
    form.startAccepted(at(14));
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    EXPECT_EQ(3u, datesOf(weekly).size());
    const store::LONG made = weekly + 1;
    ASSERT_TRUE(fetchBooking(made));
    EXPECT_EQ("*Weekly", db.ACT.NAME.str());
    EXPECT_EQ(NoRepeats, db.ACT.REPEATTYPE);
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{clicked, at(14) + 400, at(15)}}),
              datesOf(made));
    EXPECT_EQ((std::vector<std::string>{"POOL:2", "ROOM1:1"}), resourcesOf(made));
    EXPECT_EQ(1, count(store::Tbl::REPACT));  // the new single booking has no rule
}

TEST_P(ScopeTest, ThisOneAndFutureEndsTheOldRuleTheDayBefore) {
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
    form.CHANGEREP = [] { return int(ThisOneAndFuture); };
    form.startAccepted(at(11));
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(9) + 400, at(10)},
                                                       {monday + 7, at(9) + 400, at(10)}}),
              datesOf(weekly));
    db.REP.ACTNUMBER = weekly;
    ASSERT_EQ(0, db.engine().get(db.table(store::Tbl::REPACT), store::REP::ACTNUMBER_KEY));
    EXPECT_EQ(clicked - 1, db.REP.REPEND);
    const store::LONG made = weekly + 1;
    ASSERT_TRUE(fetchBooking(made));
    EXPECT_EQ(IrregularDates, db.ACT.REPEATTYPE);
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{clicked, at(11) + 400, at(12)},
                                                       {clicked + 7, at(11) + 400, at(12)}}),
              datesOf(made));
}

TEST_P(ScopeTest, AllMovesEveryOccurrenceAndKeepsTheNumber) {
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
    form.CHANGEREP = [] { return int(AllOccurrences); };
    form.startAccepted(at(13));
    db.ACN.NOTES = "";
    EXPECT_EQ(OkOutcome::Completed, form.OK());
    const auto saved = datesOf(weekly);
    ASSERT_EQ(4u, saved.size());
    for (const auto& d : saved) EXPECT_EQ(at(13) + 400, d[1]);
    EXPECT_EQ(1, count(store::Tbl::ACTNOTES));  // blanked notes are kept, blank
}

TEST_P(ScopeTest, NothingChangedWritesNothingAndOnlyANameChangeAsksNothing) {
    {
        BookingForm form(db);
        ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
        EXPECT_EQ(OkOutcome::Cancelled, form.OK());
    }
    BookingForm single(db);
    const store::LONG one = book(db, "One", {{"ROOM2", 1}}, {{monday, at(9), at(10)}});
    ASSERT_TRUE(openChange(single, one, monday, at(9) + 400, at(10)));
    db.ACT.NAME = "Renamed";
    user.conflicts.clear();
    EXPECT_EQ(OkOutcome::Completed, single.OK());
    EXPECT_TRUE(user.conflicts.empty());
    ASSERT_TRUE(fetchBooking(one));
    EXPECT_EQ("Renamed", db.ACT.NAME.str());
}

TEST_P(ScopeTest, AChangeByAnotherStationIsNeverOverwritten) {
    store::test::Station b{dir.path};
    openAll(b);
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
    form.CHANGEREP = [] { return int(AllOccurrences); };
    // The other station deletes one occurrence while the form is open.
    b.db->table(store::Tbl::DATES).clearBuffer();
    b.db->DAT.ACTNUMBER = weekly;
    b.db->DAT.DATE = monday;
    b.db->DAT.TIME = at(9) + 400;
    b.db->DAT.ENDTIME = at(10);
    ASSERT_EQ(store::Level_Benign, b.fm(store::Tbl::DATES).FETCH(store::DAT::ACTDATES_KEY));
    ASSERT_EQ(store::Level_Benign, b.fm(store::Tbl::DATES).DELETERECORD());
    form.startAccepted(at(13));
    EXPECT_EQ(OkOutcome::Cancelled, form.OK());
    EXPECT_NE(std::string::npos, user.lastText().find("Dates for this booking have been changed"));
    const auto saved = datesOf(weekly);
    ASSERT_EQ(3u, saved.size());
    for (const auto& d : saved) EXPECT_EQ(at(9) + 400, d[1]);
}

TEST_P(ScopeTest, TwoStationsChangingOnlyTheNotesOrTheRuleNeverOverwriteEachOther) {
    store::test::Station b{dir.path};
    openAll(b);
    store::Store& other = *b.db;
    auto open = [&](store::Store& s, BookingForm& form) {
        booking::clickOccurrence(s, weekly, clicked, at(9) + 400, at(10));
        form.CHANGEREP = [] { return int(AllOccurrences); };
        return form.open(store::ChangeRecord);
    };
    auto storedNotes = [&] {
        db.ACN.ACTNUMBER = weekly;
        EXPECT_EQ(0, db.engine().get(db.table(store::Tbl::ACTNOTES), store::ACN::ACTNUMBER_KEY));
        return db.ACN.NOTES.str();
    };
    auto storedHandling = [&] {
        db.REP.ACTNUMBER = weekly;
        EXPECT_EQ(0, db.engine().get(db.table(store::Tbl::REPACT), store::REP::ACTNUMBER_KEY));
        return int(db.REP.WEEKENDREPEAT);
    };
    // The clock stands still, so both saves carry the very same stamp: only the versions
    // on file can tell that the other station saved in between.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        BookingForm mine(db), theirs(other);
        ASSERT_TRUE(open(db, mine));
        ASSERT_TRUE(open(other, theirs));
        other.ACN.NOTES = "Theirs " + std::to_string(round);
        EXPECT_EQ(OkOutcome::Completed, theirs.OK());
        db.ACN.NOTES = "Mine " + std::to_string(round);
        EXPECT_EQ(OkOutcome::Cancelled, mine.OK());
        EXPECT_NE(std::string::npos,
                  user.lastText().find("Notes for this booking have been changed"));
        EXPECT_EQ("Theirs " + std::to_string(round), storedNotes());
    }
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        BookingForm mine(db), theirs(other);
        ASSERT_TRUE(open(db, mine));
        ASSERT_TRUE(open(other, theirs));
        other.REP.WEEKENDREPEAT = store::BYTE(round % 2 ? SkipIt : BookAnyway);
        EXPECT_EQ(OkOutcome::Completed, theirs.OK());
        db.REP.WEEKENDREPEAT = store::BYTE(UseNextWorkDay);
        EXPECT_EQ(OkOutcome::Cancelled, mine.OK());
        EXPECT_NE(std::string::npos,
                  user.lastText().find("Repeat details for this booking have been changed"))
            << user.lastText();
        EXPECT_EQ(round % 2 ? SkipIt : BookAnyway, storedHandling());
    }
    // A change that nobody overtook still saves, notes and rule included.
    BookingForm mine(db);
    ASSERT_TRUE(open(db, mine));
    db.ACN.NOTES = "Mine at last";
    db.REP.WEEKENDREPEAT = store::BYTE(Ask);
    EXPECT_EQ(OkOutcome::Completed, mine.OK());
    EXPECT_EQ("Mine at last", storedNotes());
    EXPECT_EQ(Ask, storedHandling());
}

TEST_P(ScopeTest, ALockedBookingOfAnotherUserStaysAsItIs) {
    ASSERT_TRUE(fetchBooking(weekly));
    db.ACT.LOCK = 1;
    ASSERT_EQ(0, db.engine().put(db.table(store::Tbl::ACTIVITY)));
    store::session().GlobalUserName = "OTHER";
    store::session().accessLevel = store::GeneralUser;
    BookingForm form(db);
    ASSERT_TRUE(openChange(form, weekly, clicked, at(9) + 400, at(10)));
    EXPECT_FALSE(form.lockEnabled());
    EXPECT_FALSE(form.editingAllowed());
    EXPECT_FALSE(form.saveEnabled());
    db.ACT.NAME = "Mine now";
    EXPECT_EQ(OkOutcome::Cancelled, form.OK());
    ASSERT_TRUE(fetchBooking(weekly));
    EXPECT_EQ("Weekly", db.ACT.NAME.str());
}

/// The save's own bookkeeping, on a store with no bookings yet.
class BookingSaveTest : public AnyBookingTest {};

TEST_P(BookingSaveTest, BookingNumbersAreNeverHandedOutTwice) {
    a.fm(store::Tbl::CONTROL).PRIMERECORD();
    db.CON.NUMBER = 120;
    ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::CONTROL).INSERT());
    EXPECT_EQ(121, NEWCONTROLNUMBER(db));
    // Two stations asking at the same time, each on its own thread and connection.
    store::test::Station b{dir.path};
    std::vector<store::LONG> mine, theirs;
    std::thread other([&] {
        for (int i = 0; i < 40; ++i) theirs.push_back(NEWCONTROLNUMBER(*b.db));
    });
    for (int i = 0; i < 40; ++i) mine.push_back(NEWCONTROLNUMBER(db));
    other.join();
    std::set<store::LONG> all(mine.begin(), mine.end());
    all.insert(theirs.begin(), theirs.end());
    EXPECT_EQ(80u, all.size());
    EXPECT_EQ(0u, all.count(0));
    EXPECT_EQ(201, lastControlNumber(db));
}

}  // namespace
}  // namespace booking::test

namespace booking::test {
namespace {

TEST_P(BookingSaveTest, AMultiDayBookingKeepsItsShapeWhenItsResourcesChange) {
    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    const store::LONG number = db.ACT.ACTNUMBER;
    form.insertResources({{"ROOM1", 1}});
    const Occurrences days = MULTIDAY({monday, at(9) + 400, at(10)}, monday + 2, at(12));
    for (const Occurrence& o : days)
        form.occurrenceList().push_back({o.date, o.start, o.end, 0, 0, number});
    form.setCurrent(0);
    form.date = monday;
    form.start = at(9) + 400;
    form.end = kEndOfDay;
    db.ACT.REPEATTYPE = MultiDay;
    db.REP.REPEND = monday + 2;
    ASSERT_EQ(OkOutcome::Completed, form.OK());
    const auto before = datesOf(number);
    ASSERT_EQ(3u, before.size());

    BookingForm change(db);
    ASSERT_TRUE(openChange(change, number, monday, at(9) + 400, kEndOfDay));
    change.insertResources({{"ROOM2", 1}});
    EXPECT_EQ(OkOutcome::Completed, change.OK());
    EXPECT_EQ(before, datesOf(number));
    EXPECT_EQ((std::vector<std::string>{"ROOM1:1", "ROOM2:1"}), resourcesOf(number));
}

TEMBRIX_ON_BOTH_STORES(ScopeTest);
TEMBRIX_ON_BOTH_STORES(BookingSaveTest);

}  // namespace
}  // namespace booking::test

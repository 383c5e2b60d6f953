// Deleting bookings: the scopes of one booking's deletion, who may delete, another
// station's changes, and the purge of old occurrences.
#include "booking/delete.h"

#include "booking_fixture.h"

namespace booking::test {
namespace {

class DeleteTest : public AnyBookingTest {
  protected:
    /// A weekly booking on ROOM1 of `weeks` Mondays from `first`, with notes and a rule.
    store::LONG weekly(const std::string& name, store::LONG first, int weeks) {
        std::vector<std::array<store::LONG, 3>> dates;
        for (int w = 0; w < weeks; ++w) dates.push_back({first + 7 * w, at(9), at(10)});
        db.table(store::Tbl::REPACT).clearBuffer();
        db.REP.REPNUMBER = 1;
        const store::LONG n = book(db, name, {{"ROOM1", 1}}, dates, FixedWeeks);
        a.fm(store::Tbl::ACTNOTES).PRIMERECORD();
        db.ACN.ACTNUMBER = n;
        db.ACN.NOTES = "Projector";
        EXPECT_EQ(store::Level_Benign, a.fm(store::Tbl::ACTNOTES).INSERT());
        return n;
    }
    /// An occurrence as a list shows it: the start is stored four seconds after the minute.
    static store::DATES occurrence(store::LONG number, store::LONG date, store::LONG start = at(9),
                                   store::LONG end = at(10)) {
        store::DATES d{};
        d.ACTNUMBER = number;
        d.DATE = date;
        d.TIME = start + 400;
        d.ENDTIME = end;
        return d;
    }
    /// What is on file of one booking, as a short string: "A D3 R1 N1 P1" for the booking,
    /// three occurrences, one resource row, notes and a repeat rule.
    std::string onFile(store::LONG n) {
        store::Engine& e = db.engine();
        std::string s = fetchBooking(n) ? "A" : "-";
        s += " D" + std::to_string(
                        e.countRange(db.table(store::Tbl::DATES), store::DAT::ACTNUMBER_KEY, n, n));
        s += " R" + std::to_string(
                        e.countRange(db.table(store::Tbl::RESACT), store::RAC::ACTIVITY_KEY, n, n));
        s += " N" + std::to_string(e.countRange(db.table(store::Tbl::ACTNOTES),
                                                store::ACN::ACTNUMBER_KEY, n, n));
        s += " P" + std::to_string(e.countRange(db.table(store::Tbl::REPACT),
                                                store::REP::ACTNUMBER_KEY, n, n));
        return s;
    }
    void setOwner(store::LONG n, const char* user, int lock) {
        ASSERT_TRUE(fetchBooking(n));
        db.ACT.USERNAME = user;
        db.ACT.LOCK = store::BYTE(lock);
        ASSERT_EQ(0, db.engine().put(db.table(store::Tbl::ACTIVITY)));
    }
    DeleteResult deleteOne(store::LONG n, store::LONG date, int scope) {
        DeleteBooking d(db);
        const DeleteResult opened = d.open(occurrence(n, date));
        if (opened.outcome != DeleteOutcome::AskScope &&
            opened.outcome != DeleteOutcome::DeleteAtOnce)
            return opened;
        return d.DELETEPROCESS(scope);
    }
};

TEST_P(DeleteTest, ThisOneAndFutureFromTheFirstOccurrenceRemovesTheWholeBooking) {
    const store::LONG n = weekly("Course", monday + 7, 3);
    const store::LONG other = weekly("Other", monday + 8, 2);
    ASSERT_EQ("A D3 R1 N1 P1", onFile(n));
    const DeleteResult r = deleteOne(n, monday + 7, DeleteThisOneAndFuture);
    EXPECT_EQ(DeleteOutcome::Deleted, r.outcome) << r.message;
    EXPECT_TRUE(r.bookingDeleted);
    // Nothing of the booking is left behind, and the other booking is untouched.
    EXPECT_EQ("- D0 R0 N0 P0", onFile(n));
    EXPECT_EQ("A D2 R1 N1 P1", onFile(other));
}

TEST_P(DeleteTest, ThisOneAndFutureFromALaterOccurrenceKeepsTheEarlierOnes) {
    const store::LONG n = weekly("Course", monday + 7, 3);
    const DeleteResult r = deleteOne(n, monday + 14, DeleteThisOneAndFuture);
    EXPECT_EQ(DeleteOutcome::Deleted, r.outcome) << r.message;
    EXPECT_FALSE(r.bookingDeleted);
    EXPECT_EQ("A D1 R1 N1 P1", onFile(n));
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday + 7, at(9) + 400, at(10)}}),
              datesOf(n));
}

TEST_P(DeleteTest, JustThisOneKeepsTheBookingAndRunsOnce) {
    const store::LONG n = weekly("Course", monday + 7, 2);
    DeleteBooking d(db);
    EXPECT_EQ(DeleteOutcome::AskScope, d.open(occurrence(n, monday + 14)).outcome);
    EXPECT_EQ(DeleteOutcome::Deleted, d.DELETEPROCESS(DeleteJustThisOne).outcome);
    EXPECT_EQ("A D1 R1 N1 P1", onFile(n));
    ASSERT_TRUE(fetchBooking(n));
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    // The window deletes once: a second press deletes nothing more.
    EXPECT_EQ(DeleteOutcome::AlreadyRan, d.DELETEPROCESS(DeleteAll).outcome);
    EXPECT_EQ("A D1 R1 N1 P1", onFile(n));
}

TEST_P(DeleteTest, AllRemovesTheBookingWithItsResourcesAndASingleBookingGoesUnasked) {
    const store::LONG n = weekly("Course", monday + 7, 3);
    EXPECT_EQ(DeleteOutcome::Deleted, deleteOne(n, monday + 14, DeleteAll).outcome);
    EXPECT_EQ("- D0 R0 N0 P0", onFile(n));

    const store::LONG single =
        book(db, "Once", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday + 1, at(11), at(12)}});
    EXPECT_EQ("A D1 R2 N0 P0", onFile(single));
    DeleteBooking d(db);
    EXPECT_EQ(DeleteOutcome::DeleteAtOnce,
              d.open(occurrence(single, monday + 1, at(11), at(12))).outcome);
    EXPECT_EQ(DeleteOutcome::Deleted, d.DELETEPROCESS(DeleteAll).outcome);
    EXPECT_EQ("- D0 R0 N0 P0", onFile(single));
}

TEST_P(DeleteTest, AGeneralUserMayNotDeleteAnotherUsersLockedBooking) {
    const store::LONG n = book(db, "Locked", {{"ROOM1", 1}}, {{monday + 1, at(9), at(10)}});
    setOwner(n, "OWNER", 1);
    auto& s = store::session();
    s.GlobalUserName = "OTHER";
    s.accessLevel = store::GeneralUser;
    DeleteResult r = DeleteBooking(db).open(occurrence(n, monday + 1));
    EXPECT_EQ(DeleteOutcome::NotAuthorized, r.outcome);
    EXPECT_EQ("Sorry, you are not authorized to delete this booking", r.message);
    // The owner may, and so may a resource administrator.
    s.GlobalUserName = "OWNER";
    EXPECT_EQ(DeleteOutcome::DeleteAtOnce,
              DeleteBooking(db).open(occurrence(n, monday + 1)).outcome);
    s.GlobalUserName = "OTHER";
    s.accessLevel = store::ResourceAdministrator;
    EXPECT_EQ(DeleteOutcome::Deleted, deleteOne(n, monday + 1, DeleteAll).outcome);
    EXPECT_EQ("- D0 R0 N0 P0", onFile(n));
}

TEST_P(DeleteTest, AViewOnlyUserDeletesNothingAndAnUnlockedBookingIsOpenToAll) {
    const store::LONG n = book(db, "Open", {{"ROOM1", 1}}, {{monday + 1, at(9), at(10)}});
    setOwner(n, "OWNER", 0);
    auto& s = store::session();
    s.GlobalUserName = "OTHER";
    s.accessLevel = store::ViewOnly;
    EXPECT_EQ(DeleteOutcome::NotAuthorized, deleteOne(n, monday + 1, DeleteAll).outcome);
    s.accessLevel = store::GeneralUser;
    EXPECT_EQ(DeleteOutcome::Deleted, deleteOne(n, monday + 1, DeleteAll).outcome);
}

TEST_P(DeleteTest, ABookingChangedOrDeletedByAnotherStationIsNotDeleted) {
    const store::LONG n = weekly("Course", monday + 7, 3);
    store::test::Station b{dir.path};
    openAll(b);
    for (store::Tbl t : {store::Tbl::ACTIVITY, store::Tbl::DATES}) b.fm(t).USEFILE();
    store::Store& other = *b.db;

    // Changed between the window's opening and Yes.
    DeleteBooking d(db);
    ASSERT_EQ(DeleteOutcome::AskScope, d.open(occurrence(n, monday + 7)).outcome);
    other.ACT.ACTNUMBER = n;
    ASSERT_EQ(0, other.engine().get(other.table(store::Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY));
    other.ACT.NAME = "Renamed";
    ASSERT_EQ(0, other.engine().put(other.table(store::Tbl::ACTIVITY)));
    DeleteResult r = d.DELETEPROCESS(DeleteAll);
    EXPECT_EQ(DeleteOutcome::Changed, r.outcome);
    EXPECT_NE(std::string::npos, r.message.find("changed by another station")) << r.message;
    EXPECT_EQ("A D3 R1 N1 P1", onFile(n));

    // Changed after the list read it: the window refuses as it opens.
    ListedBooking listed;
    ASSERT_TRUE(fetchBooking(n));
    listed.record = db.ACT;
    listed.position = db.table(store::Tbl::ACTIVITY).position();
    ASSERT_EQ(0, other.engine().get(other.table(store::Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY));
    other.ACT.NAME = "Renamed again";
    ASSERT_EQ(0, other.engine().put(other.table(store::Tbl::ACTIVITY)));
    EXPECT_EQ(DeleteOutcome::Changed,
              DeleteBooking(db).open(occurrence(n, monday + 7), listed).outcome);

    // The occurrence deleted by the other station while the question was open.
    DeleteBooking d2(db);
    ASSERT_EQ(DeleteOutcome::AskScope, d2.open(occurrence(n, monday + 14)).outcome);
    other.DAT = occurrence(n, monday + 14);
    ASSERT_EQ(0, other.engine().get(other.table(store::Tbl::DATES), store::DAT::ACTDATES_KEY));
    ASSERT_EQ(0, other.engine().erase(other.table(store::Tbl::DATES)));
    EXPECT_EQ(DeleteOutcome::Changed, d2.DELETEPROCESS(DeleteThisOneAndFuture).outcome);
    EXPECT_EQ("A D2 R1 N1 P1", onFile(n));

    // The whole booking deleted elsewhere.
    DeleteBooking d3(db);
    ASSERT_EQ(DeleteOutcome::AskScope, d3.open(occurrence(n, monday + 7)).outcome);
    {
        DeleteBooking elsewhere(other);
        ASSERT_EQ(DeleteOutcome::AskScope, elsewhere.open(occurrence(n, monday + 21)).outcome);
        ASSERT_EQ(DeleteOutcome::Deleted, elsewhere.DELETEPROCESS(DeleteAll).outcome);
    }
    EXPECT_EQ(DeleteOutcome::Missing, d3.DELETEPROCESS(DeleteJustThisOne).outcome);
}

// --- the purge ---------------------------------------------------------------------------

TEST_P(DeleteTest, ThePurgeKeepsAFutureOccurrenceWithItsResourcesAndRemovesPastBookings) {
    const store::LONG past = weekly("Past", monday - 21, 2);                  // both before today
    const store::LONG mixed = book(db, "Mixed", {{"ROOM2", 1}, {"POOL", 2}},  // one each side
                                   {{monday - 7, at(11), at(12)}, {monday + 7, at(11), at(12)}});
    const store::LONG future = weekly("Future", monday, 2);  // today is not before today
    // A booking that was already left without occurrences goes too.
    const store::LONG empty = weekly("Empty", monday + 14, 1);
    ASSERT_EQ(DeleteOutcome::Deleted, deleteOne(empty, monday + 14, DeleteJustThisOne).outcome);

    BatchDelete purge(db);
    const PurgeEstimate before = purge.estimate(monday);
    EXPECT_EQ(3, before.occurrences);
    EXPECT_EQ(2, before.bookings);
    std::vector<double> shown;
    purge.progress = [&](double done) { shown.push_back(done); };
    const PurgeResult r = purge.run(monday, monday);
    ASSERT_EQ(PurgeResult::Outcome::Completed, r.outcome) << r.message;
    EXPECT_EQ(3, r.occurrences);
    EXPECT_EQ(2, r.bookings);
    EXPECT_EQ("3 occurrences and 2 bookings were deleted.", r.message);
    EXPECT_EQ("- D0 R0 N0 P0", onFile(past));
    EXPECT_EQ("- D0 R0 N0 P0", onFile(empty));
    EXPECT_EQ("A D1 R2 N0 P0", onFile(mixed));
    EXPECT_EQ((std::vector<std::string>{"POOL:2", "ROOM2:1"}), resourcesOf(mixed));
    EXPECT_EQ("A D2 R1 N1 P1", onFile(future));
    // Progress only goes forward, and ends complete.
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(1.0, shown.back());
}

TEST_P(DeleteTest, ThePurgeRefusesAFutureDateAndAnotherStationsLock) {
    const store::LONG past = weekly("Past", monday - 21, 2);
    BatchDelete purge(db);
    PurgeResult r = purge.run(monday + 1, monday);
    EXPECT_EQ(PurgeResult::Outcome::Refused, r.outcome);
    EXPECT_EQ("Sorry, future dates are not allowed.", r.message);
    const PurgeDateCheck check = checkPurgeDate(monday + 1, monday);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(monday, check.date);  // the entry goes back to today

    // Another station in the middle of a save holds the tables: nothing changes.
    store::test::Station b{dir.path};
    openAll(b);
    ASSERT_EQ(0, b.db->engine().begin(1));
    r = purge.run(monday, monday);
    EXPECT_EQ(PurgeResult::Outcome::Held, r.outcome);
    EXPECT_NE(std::string::npos, r.message.find("Another station")) << r.message;
    EXPECT_EQ(0, r.occurrences);
    ASSERT_EQ(0, b.db->engine().rollback());
    EXPECT_EQ("A D2 R1 N1 P1", onFile(past));
    // Once it is done the purge goes ahead.
    EXPECT_EQ(PurgeResult::Outcome::Completed, purge.run(monday, monday).outcome);
    EXPECT_EQ("- D0 R0 N0 P0", onFile(past));
}

// On the files only: their planner follows fixed rules and names the index it takes, so the
// plan of a small table is the plan of a large one. A server's planner chooses by the
// statistics of the tables it holds (on a handful of rows, reading them all is right);
// its plans of the key accesses are checked on a table of realistic size in the store's
// server plan test.
class PurgePlanTest : public BookingTest {};

TEST_F(PurgePlanTest, ThePurgeWorksThroughIndexesOnly) {
    store::Engine& e = db.engine();
    for (store::Tbl t : {store::Tbl::ACTIVITY, store::Tbl::DATES}) a.fm(t).USEFILE();
    const std::string range = e.rangePlan(db.table(store::Tbl::DATES), store::DAT::DATETIME_KEY);
    EXPECT_NE(std::string::npos, range.find("INDEX DATES_DATETIME_KEY")) << range;
    store::Unlinked noDates;
    noDates.links = {{store::ACT::ACTNUMBER, store::DAT::ACTNUMBER}};
    noDates.otherKey = store::DAT::ACTNUMBER_KEY;
    const std::string unlinked =
        e.unlinkedPlan(db.table(store::Tbl::ACTIVITY), db.table(store::Tbl::DATES), noDates);
    // Every booking is looked at once, each with one probe of the occurrences' index.
    EXPECT_NE(std::string::npos, unlinked.find("INDEX DATES_ACTNUMBER_KEY")) << unlinked;
}

TEMBRIX_ON_BOTH_STORES(DeleteTest);

}  // namespace
}  // namespace booking::test

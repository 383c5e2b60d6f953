// Alerts: the due test around midnight, who is alerted, and how often the search runs.
#include "booking/alerts.h"

#include "booking_fixture.h"

namespace booking::test {
namespace {

store::ClockReading clockAt(store::LONG date, store::LONG time) {
    return {store::Date(date), store::Time(time)};
}

TEST(AlertDueTest, AtTenToMidnightTomorrowsFirstMinutesAreDueAndTheLastHourIsNot) {
    const store::LONG today = day(2026, 3, 2);
    const AlertTimes t = AlertTimes::at(today, at(23, 50), 30);
    EXPECT_TRUE(isDue(t, today + 1, at(0, 10)));
    EXPECT_FALSE(isDue(t, today, at(23, 40)));  // started already
    EXPECT_TRUE(isDue(t, today, at(23, 55)));
    EXPECT_FALSE(isDue(t, today + 1, at(0, 30)));  // beyond the lead
    EXPECT_FALSE(isDue(t, today + 2, at(0, 10)));
}

TEST(AlertDueTest, WithinTheDayOnlyTodaysOccurrencesAreDue) {
    const store::LONG today = day(2026, 3, 2);
    const AlertTimes t = AlertTimes::at(today, at(10), 30);
    EXPECT_EQ(0, t.overflow);
    EXPECT_TRUE(isDue(t, today, at(10, 15)));
    EXPECT_TRUE(isDue(t, today, at(10, 30)));
    EXPECT_FALSE(isDue(t, today, at(10, 31)));
    EXPECT_FALSE(isDue(t, today, at(9, 59)));
    // Tomorrow at the same time is a day away, not due.
    EXPECT_FALSE(isDue(t, today + 1, at(10, 15)));
}

TEST(AlertDueTest, UserOnlyKeepsTheUsersOwnBookingsAndOffKeepsNone) {
    const store::LONG today = day(2026, 3, 2);
    const AlertTimes t = AlertTimes::at(today, at(10), 30);
    DueOccurrence mine{1, today, at(10, 5), at(11), "Mine", "", "", "TESTER"};
    DueOccurrence theirs{2, today, at(10, 5), at(11), "Theirs", "", "", "OTHER"};
    auto names = [](const std::vector<DueOccurrence>& v) {
        std::string s;
        for (const auto& o : v) s += o.name + ";";
        return s;
    };
    EXPECT_EQ("Mine;Theirs;", names(dueAmong({mine, theirs}, t, AlertMode::All, "TESTER")));
    EXPECT_EQ("Mine;", names(dueAmong({mine, theirs}, t, AlertMode::UserOnly, "TESTER")));
    EXPECT_EQ("", names(dueAmong({mine, theirs}, t, AlertMode::Off, "TESTER")));
    EXPECT_EQ(AlertMode::UserOnly, alertMode("User Only"));
    EXPECT_EQ(AlertMode::Off, alertMode("None"));
}

class AlertSearchTest : public AnyBookingTest {
  protected:
    void SetUp() override {
        AnyBookingTest::SetUp();
        if (stopped()) return;
        db.SYP.ALERT = "All";
        db.SYP.ALERTLEAD = 30;
    }
    static std::string names(const std::vector<DueOccurrence>& v) {
        std::string s;
        for (const auto& o : v) s += o.name + "@" + store::shortTime(store::Time(o.TIME)) + ";";
        return s;
    }
};

TEST_P(AlertSearchTest, ASearchAtTenToMidnightFindsTomorrowsFirstBooking) {
    book(db, "Late", {{"ROOM1", 1}}, {{monday, at(23, 40), at(23, 50)}});
    book(db, "Early", {{"ROOM1", 1}}, {{monday + 1, at(0, 10), at(1)}});
    book(db, "Later", {{"ROOM2", 1}}, {{monday + 1, at(0, 30), at(1)}});
    AlertSearch search;
    const auto due = search.search(db, clockAt(monday, at(23, 50)));
    ASSERT_EQ("Early@00:10;", names(due));
    EXPECT_EQ("ACME", due[0].client);
    EXPECT_EQ("ROOM1", due[0].prime);
    EXPECT_EQ((std::vector<std::string>{"ROOM1"}), bookingResources(db, due[0].ACTNUMBER));
}

TEST_P(AlertSearchTest, UserOnlyLeavesAnotherUsersBookingAlone) {
    store::session().GlobalUserName = "OTHER";
    book(db, "Theirs", {{"ROOM1", 1}}, {{monday, at(8, 5), at(9)}});
    store::session().GlobalUserName = "TESTER";
    db.SYP.ALERT = "User Only";
    AlertSearch search;
    EXPECT_EQ("", names(search.search(db, clockAt(monday, at(8)))));
    book(db, "Mine", {{"ROOM2", 1}}, {{monday, at(8, 10), at(9)}});
    AlertSearch again;
    EXPECT_EQ("Mine@08:10;", names(again.search(db, clockAt(monday, at(8)))));
}

TEST_P(AlertSearchTest, NoneMakesNoSearchAndTheLeadPacesTheSearches) {
    book(db, "Soon", {{"ROOM1", 1}}, {{monday, at(8, 5), at(9)}});
    AlertSearch search;
    db.SYP.ALERT = "None";
    EXPECT_EQ("", names(search.search(db, clockAt(monday, at(8)))));
    // Switched on, the first search runs at once: "None" made none.
    db.SYP.ALERT = "All";
    EXPECT_EQ("Soon@08:05;", names(search.search(db, clockAt(monday, at(8)))));

    // A lead of 30 minutes searches at most every 300 seconds.
    book(db, "Next", {{"ROOM2", 1}}, {{monday, at(8, 20), at(9)}});
    EXPECT_FALSE(search.searchDue(clockAt(monday, at(8, 5)), 30));
    EXPECT_EQ("", names(search.search(db, clockAt(monday, at(8, 5)))));
    EXPECT_TRUE(search.searchDue(clockAt(monday, at(8, 5) + 100), 30));
    // The new one alerts, listed with the one already shown.
    EXPECT_EQ("Soon@08:05;Next@08:20;", names(search.search(db, clockAt(monday, at(8, 5) + 100))));
    // Nothing new: no second alert for the same occurrences.
    EXPECT_EQ("", names(search.search(db, clockAt(monday, at(8, 11)))));
    // The pace carries across midnight.
    EXPECT_TRUE(search.searchDue(clockAt(monday + 1, at(0, 1)), 30));
}

TEMBRIX_ON_BOTH_STORES(AlertSearchTest);

}  // namespace
}  // namespace booking::test

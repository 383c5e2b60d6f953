// The lists of the bookings browse: what each tab lists from a date on, read a page at a
// time, and how rows are labelled.
#include "scan/booking_lists.h"

#include <gtest/gtest.h>

#include "../booking/booking_fixture.h"

namespace scan::test {
namespace {

using booking::test::at;
using store::LONG;

class BookingListTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        addResource(a, "ROOM3", 1);
        a.fm(store::Tbl::CLIENT).PRIMERECORD();
        db.CLI.CLIENT = "Other Ltd";
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::CLIENT).INSERT());
        addGroup(a, "ROOMS", {"ROOM1", "ROOM2"});
    }
    /// Every row of a list, read `page` rows at a time, as "date-offset hh:mm name".
    std::vector<std::string> all(BookingList::Kind kind, const std::string& selection, LONG from,
                                 int page = 2) {
        BookingList list(db, kind, selection, store::Date(from));
        std::vector<Occurrence> rows;
        while (!list.atEnd()) {
            const std::size_t before = rows.size();
            EXPECT_TRUE(list.more(page, rows)) << list.error();
            EXPECT_LE(rows.size() - before, std::size_t(page));
            if (rows.size() == before && !list.atEnd()) {
                ADD_FAILURE() << "no progress";
                break;
            }
        }
        std::vector<std::string> out;
        for (const Occurrence& o : rows)
            out.push_back(std::to_string(o.date - monday) + " " +
                          store::shortTime(store::Time(o.start)).substr(0, 5) + " " + o.name);
        return out;
    }
    /// Books with a client other than the preferences' one.
    LONG bookFor(const std::string& client, const std::string& name,
                 const std::vector<std::pair<std::string, int>>& resources,
                 const std::vector<std::array<LONG, 3>>& occurrences) {
        const std::string kept = db.USP.CLIENT.str();
        db.USP.CLIENT = client;
        const LONG n = book(db, name, resources, occurrences);
        db.USP.CLIENT = kept;
        return n;
    }
};

TEST_F(BookingListTest, EachTabListsItsOccurrencesFromTheDateOnInDateOrder) {
    book(db, "Past", {{"ROOM1", 1}}, {{monday - 1, at(9), at(10)}});
    book(db, "Weekly", {{"ROOM1", 1}}, {{monday, at(9), at(10)}, {monday + 40, at(9), at(10)}});
    book(db, "Both", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday + 1, at(11), at(12)}});
    bookFor("Other Ltd", "Outside", {{"ROOM3", 1}}, {{monday + 1, at(8), at(9)}});
    book(db, "Late", {{"ROOM2", 1}}, {{monday + 300, at(14), at(15)}});

    EXPECT_EQ((std::vector<std::string>{"0 09:00 Weekly", "1 08:00 Outside", "1 11:00 Both",
                                        "40 09:00 Weekly", "300 14:00 Late"}),
              all(BookingList::ByDate, "", monday));
    EXPECT_EQ((std::vector<std::string>{"0 09:00 Weekly", "1 11:00 Both", "40 09:00 Weekly"}),
              all(BookingList::ByResource, "ROOM1", monday));
    // A booking of two members is listed once; one outside the group never.
    EXPECT_EQ((std::vector<std::string>{"0 09:00 Weekly", "1 11:00 Both", "40 09:00 Weekly",
                                        "300 14:00 Late"}),
              all(BookingList::ByGroup, "ROOMS", monday));
    EXPECT_EQ((std::vector<std::string>{"1 08:00 Outside"}),
              all(BookingList::ByClient, "Other Ltd", monday - 10));
    // Pages of any size give the same rows.
    EXPECT_EQ(all(BookingList::ByGroup, "ROOMS", monday, 1),
              all(BookingList::ByGroup, "ROOMS", monday, 100));
    EXPECT_EQ(all(BookingList::ByDate, "", monday, 1), all(BookingList::ByDate, "", monday, 100));
    // Nothing chosen, nothing listed.
    EXPECT_TRUE(all(BookingList::ByResource, "", monday).empty());
    EXPECT_TRUE(all(BookingList::ByGroup, "NOSUCH", monday).empty());
}

TEST_F(BookingListTest, TheDayAndDateStandOnTheFirstRowOfEachDateOnly) {
    for (int h : {9, 11, 13})
        bookFor("Other Ltd", "Day one", {{"ROOM3", 1}}, {{monday, at(h), at(h + 1)}});
    for (int h : {9, 11})
        bookFor("Other Ltd", "Day two", {{"ROOM3", 1}}, {{monday + 1, at(h), at(h + 1)}});
    BookingList list(db, BookingList::ByClient, "Other Ltd", store::Date(monday));
    std::vector<Occurrence> rows;
    ASSERT_TRUE(list.more(10, rows));
    ASSERT_EQ(5u, rows.size());
    std::vector<bool> shown;
    for (std::size_t r = 0; r < rows.size(); ++r) shown.push_back(showsDay(rows, r));
    EXPECT_EQ((std::vector<bool>{true, false, false, true, false}), shown);
}

TEST_F(BookingListTest, OtherResourcesNeverShowThePrimaryOne) {
    const LONG n =
        book(db, "Both", {{"ROOM2", 1}, {"POOL", 3}, {"ROOM1", 1}}, {{monday, at(9), at(10)}});
    ASSERT_TRUE(fetchBooking(n));
    const std::string prime = db.ACT.PRIME.str();
    const auto others = otherResources(db, n, prime);
    EXPECT_EQ(2u, others.size());
    for (const auto& [r, units] : others) EXPECT_NE(prime, r);
    EXPECT_EQ(3, otherResources(db, n, "").size());
}

}  // namespace
}  // namespace scan::test

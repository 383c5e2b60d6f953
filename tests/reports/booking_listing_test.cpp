// The listings the bookings browse prints: which occurrences, their order and labels.
#include "reports/booking_listing.h"

#include <gtest/gtest.h>

#include "../booking/booking_fixture.h"
#include "report_texts.h"

namespace reports::test {
namespace {

using booking::test::at;

class BookingListingTest : public booking::test::BookingTest {};

TEST_F(BookingListingTest, AListingRunsFromTheFirstToTheLastDayAndNamesEachDateOnce) {
    book(db, "Before", {{"ROOM1", 1}}, {{monday - 1, at(9), at(10)}});
    for (int h : {9, 11, 13}) book(db, "Day one", {{"ROOM1", 1}}, {{monday, at(h), at(h + 1)}});
    book(db, "Day two", {{"ROOM2", 1}}, {{monday + 1, at(9), at(10)}});
    book(db, "After", {{"ROOM1", 1}}, {{monday + 30, at(9), at(10)}});
    std::vector<scan::Occurrence> rows;
    std::string error;
    ASSERT_TRUE(readListing(db, scan::BookingList::ByDate, "", store::Date(monday),
                            store::Date(monday + 7), rows, nullptr, error))
        << error;
    ASSERT_EQ(4u, rows.size());
    const booking::Words w;
    const std::string title = listingTitle(scan::BookingList::ByDate, w, "", store::Date(monday),
                                           store::Date(monday + 7));
    EXPECT_EQ("Bookings By Date From 02/03/2026 To 09/03/2026", title);
    const std::vector<std::string> all = texts(bookingListing(title, w, rows));
    EXPECT_EQ(1, std::count(all.begin(), all.end(), "Monday 02/03/2026"));
    EXPECT_EQ(1, std::count(all.begin(), all.end(), "Tuesday 03/03/2026"));
    EXPECT_EQ(3, std::count(all.begin(), all.end(), "Day one"));
    EXPECT_EQ(0, std::count(all.begin(), all.end(), "After"));
    EXPECT_EQ("Bookings For ROOM2 From 02/03/2026 To 09/03/2026",
              listingTitle(scan::BookingList::ByResource, w, "ROOM2", store::Date(monday),
                           store::Date(monday + 7)));
    // By resource, and a cancel on the way.
    ASSERT_TRUE(readListing(db, scan::BookingList::ByResource, "ROOM2", store::Date(monday),
                            store::Date(monday + 7), rows, nullptr, error));
    EXPECT_EQ(1u, rows.size());
    EXPECT_FALSE(readListing(
        db, scan::BookingList::ByDate, "", store::Date(monday), store::Date(monday + 40), rows,
        [](store::Date) { return false; }, error));
    // A period without bookings still prints its title on one page.
    EXPECT_EQ(1, bookingListing(title, w, {}).pageCount());
}

}  // namespace
}  // namespace reports::test

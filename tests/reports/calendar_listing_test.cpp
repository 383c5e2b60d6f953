// The listings of the printed calendars: which bookings each covering selects, the
// other-resources text, the optional columns and bands, and the rows saved as CSV.
#include "reports/calendar_listings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../booking/booking_fixture.h"
#include "report_texts.h"

namespace reports::test {
namespace {

using booking::test::at;

class CalendarListingTest : public booking::test::BookingTest {
  protected:
    std::vector<ListingLine> read(Covering covering, const std::string& text, store::LONG first,
                                  store::LONG last, bool notes = false) {
        std::vector<ListingLine> lines;
        std::string error;
        EXPECT_TRUE(readCalendarListing(db, covering, text, store::Date(first), store::Date(last),
                                        notes, lines, nullptr, error))
            << error;
        return lines;
    }
    static std::vector<std::string> names(const std::vector<ListingLine>& lines) {
        std::vector<std::string> out;
        for (const ListingLine& l : lines) out.push_back(l.occurrence.name);
        return out;
    }
    void setNotes(store::LONG number, const std::string& notes) {
        store::Table& t = db.table(store::Tbl::ACTNOTES);
        t.clearBuffer();
        db.ACN.ACTNUMBER = number;
        const bool found = db.engine().get(t, store::ACN::ACTNUMBER_KEY) == 0;
        db.ACN.ACTNUMBER = number;
        db.ACN.NOTES = notes;
        ASSERT_EQ(0, found ? db.engine().put(t) : db.engine().add(t));
    }
    static long count(const std::vector<std::string>& all, const std::string& text) {
        return std::count(all.begin(), all.end(), text);
    }
};

TEST_F(CalendarListingTest, EachCoveringSelectsItsBookingsOnceInStartOrder) {
    addGroup(a, "UPSTAIRS", {"ROOM2", "POOL"});
    book(db, "Late both", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday, at(15), at(16)}});
    book(db, "Early room1", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    book(db, "Pool", {{"POOL", 2}}, {{monday, at(11), at(12)}});
    book(db, "Next day", {{"ROOM2", 1}}, {{monday + 1, at(9), at(10)}});
    const std::vector<std::string> all{"Early room1", "Pool", "Late both"};
    EXPECT_EQ(all, names(read(Covering::AllResources, "All Resources", monday, monday)));
    EXPECT_EQ((std::vector<std::string>{"Early room1", "Late both"}),
              names(read(Covering::OneResource, "ROOM1", monday, monday)));
    // A booking whose only resource is outside the group is left out; one with a member
    // among its resources is listed once, however many members it has.
    EXPECT_EQ((std::vector<std::string>{"Pool", "Late both", "Next day"}),
              names(read(Covering::Group, "UPSTAIRS", monday, monday + 1)));
    EXPECT_EQ(4u, read(Covering::Client, "ACME", monday, monday + 6).size());
    EXPECT_TRUE(read(Covering::Client, "Nobody", monday, monday + 6).empty());
}

TEST_F(CalendarListingTest, OtherResourcesNameSingleUnitCodesAndTheUnitsOfPooledOnes) {
    // The form makes the first resource in key order the primary one.
    addResource(a, "VANS", 3);
    const store::LONG n =
        book(db, "Four", {{"POOL", 1}, {"ROOM2", 1}, {"VANS", 2}}, {{monday, at(9), at(10)}});
    const std::vector<ListingLine> lines = read(Covering::AllResources, "", monday, monday);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(n, lines[0].occurrence.number);
    EXPECT_EQ("POOL", lines[0].occurrence.prime);
    EXPECT_EQ("ROOM2, VANS - 2", lines[0].others);
    // Codes are trimmed, and a resource no longer on file counts as a single unit.
    EXPECT_EQ("VAN, HALL - 3, GONE",
              otherResourcesText({{" VAN ", 1}, {"HALL", 3}, {"GONE", 4}},
                                 [](const std::string& c) { return c == "HALL" ? 5 : -1; }));
}

TEST_F(CalendarListingTest, TheDayListingShowsActualTimesAndNotesOnlyWhenAsked) {
    const store::LONG n = book(db, "Board", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    const booking::Words w;
    const std::string title = calendarTitle(w, "All Resources ");
    EXPECT_EQ("Bookings For All Resources", title);
    std::vector<ListingLine> lines = read(Covering::AllResources, "", monday, monday, true);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("", lines[0].notes);

    std::vector<std::string> plain = texts(DAYPORT(title, store::Date(monday), lines, w, {}));
    EXPECT_EQ(0, count(plain, "Actual"));
    EXPECT_EQ(0, count(plain, "Scheduled"));
    EXPECT_EQ(0, count(plain, "Notes:"));
    EXPECT_EQ(1, count(plain, "Board"));
    EXPECT_EQ(1, count(plain, "Monday, 2 March 2026"));

    // Notes asked for print their band even when there are none.
    std::vector<std::string> full =
        texts(DAYPORT(title, store::Date(monday), lines, w, {true, true}));
    EXPECT_EQ(1, count(full, "Actual"));
    EXPECT_EQ(1, count(full, "Scheduled"));
    EXPECT_EQ(1, count(full, "Notes:"));

    setNotes(n, "Projector needed");
    lines = read(Covering::AllResources, "", monday, monday, true);
    EXPECT_EQ("Projector needed", lines[0].notes);
    full = texts(DAYPORT(title, store::Date(monday), lines, w, {true, false}));
    EXPECT_EQ(1, count(full, "Projector needed"));

    // A day without bookings prints its header and footer on one page.
    const Document empty = DAYPORT(title, store::Date(monday + 1), {}, w, {});
    EXPECT_EQ(1, empty.pageCount());
    EXPECT_EQ(1, count(texts(empty), title));
    EXPECT_EQ(1, count(texts(empty), "Report date: 02/03/2026"));
}

TEST_F(CalendarListingTest, WeekAndPeriodListingsNameEveryDayAndTheirRowsAreTheCsv) {
    book(db, "Mon", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    book(db, "Wed", {{"ROOM2", 1}, {"ROOM1", 1}}, {{monday + 2, at(9), at(10)}});
    book(db, "Later", {{"ROOM1", 1}}, {{monday + 9, at(9), at(10)}});
    const booking::Words w;
    const std::vector<ListingLine> week = read(Covering::OneResource, "ROOM1", monday, monday + 6);
    ASSERT_EQ(2u, week.size());
    const Document doc = WEEKPORT("Week", store::Date(monday), week, w, {});
    const std::vector<std::string> all = texts(doc);
    for (const char* day : {"Monday 02/03/2026", "Tuesday 03/03/2026", "Sunday 08/03/2026"})
        EXPECT_EQ(1, count(all, day)) << day;
    EXPECT_EQ(1, count(all, "Monday, 2 March 2026 To Sunday, 8 March 2026"));
    EXPECT_EQ(1, count(all, "ROOM2"));  // Wed's other resource

    // The CSV holds a header and one row per line with the values printed.
    ASSERT_EQ(3u, doc.table.size());
    EXPECT_EQ("Wed", doc.table[2][5]);
    EXPECT_EQ("ROOM2", doc.table[2].back());
    const std::string csv = csvText(doc.table);
    EXPECT_EQ(3, std::count(csv.begin(), csv.end(), '\n'));
    EXPECT_NE(std::string::npos, csv.find("\"04/03/2026\",\"Wednesday\""));

    const std::vector<ListingLine> period = read(Covering::AllResources, "", monday, monday + 13);
    const std::vector<std::string> flex =
        texts(FLEXPER("Period", store::Date(monday), store::Date(monday + 13), period, w, {}));
    EXPECT_EQ(1, count(flex, "From 02/03/2026 To 15/03/2026"));
    EXPECT_EQ(1, count(flex, "Wednesday 11/03/2026"));
    EXPECT_EQ(1, count(flex, "Other Resources:"));
}

TEST_F(CalendarListingTest, DayByResourceBreaksOnEachResourceWithItsUnits) {
    addGroup(a, "UPSTAIRS", {"ROOM2", "POOL"});
    book(db, "Pooled", {{"POOL", 3}}, {{monday, at(10), at(11)}});
    book(db, "Room two", {{"ROOM2", 1}}, {{monday, at(9), at(10)}});
    std::vector<ResourceLines> resources;
    std::string error;
    ASSERT_TRUE(readDayByResource(db, "", store::Date(monday), false, resources, nullptr, error));
    ASSERT_EQ(3u, resources.size());
    EXPECT_EQ("POOL", resources[0].resource);
    EXPECT_EQ("ROOM1", resources[1].resource);
    EXPECT_TRUE(resources[1].lines.empty());
    ASSERT_EQ(1u, resources[0].lines.size());
    EXPECT_EQ(3, resources[0].lines[0].occurrence.units);

    const booking::Words w;
    EXPECT_EQ("All Bookings Sorted By Resource", dayByResourceTitle(w, ""));
    EXPECT_EQ("Bookings For UPSTAIRS Sorted By Resource", dayByResourceTitle(w, "UPSTAIRS"));
    const Document doc = DAYRESRPT("t", store::Date(monday), resources, w, {});
    EXPECT_EQ(1, count(texts(doc), "ROOM1"));
    EXPECT_EQ(1, count(texts(doc), "3"));
    EXPECT_EQ(3u, doc.table.size());  // header and the two bookings

    ASSERT_TRUE(
        readDayByResource(db, "UPSTAIRS", store::Date(monday), false, resources, nullptr, error));
    ASSERT_EQ(2u, resources.size());
    EXPECT_EQ("POOL", resources[0].resource);
    EXPECT_EQ("ROOM2", resources[1].resource);

    // Cancel stops at once.
    EXPECT_FALSE(readDayByResource(
        db, "", store::Date(monday), false, resources, [](int, int) { return false; }, error));
    EXPECT_EQ(1u, resources.size());
}

}  // namespace
}  // namespace reports::test

// The printed scans: where the pages split the day, what each page says, where the booking
// boxes stand on paper, and the month's and the group week's own shapes.
#include "reports/scan_sheets.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../booking/booking_fixture.h"
#include "report_texts.h"

namespace reports::test {
namespace {

using booking::test::at;
using booking::test::day;

std::vector<std::string> pageTexts(const Document& doc, int page) {
    std::vector<std::string> out;
    for (const Item& i : doc.pages[page].items)
        if (const auto* t = std::get_if<TextItem>(&i))
            out.push_back(t->shownText(page + 1, doc.pageCount()));
    return out;
}

bool has(const std::vector<std::string>& all, const std::string& text) {
    return std::find(all.begin(), all.end(), text) != all.end();
}

/// The booking boxes of a page (filled yellow), as "x,y wxh".
std::vector<std::string> boxes(const Document& doc, int page) {
    std::vector<std::string> out;
    for (const Item& i : doc.pages[page].items)
        if (const auto* b = std::get_if<BoxItem>(&i); b && b->fill == Rgb::fromPacked(0xFFFF))
            out.push_back(std::to_string(b->rect.x) + "," + std::to_string(b->rect.y) + " " +
                          std::to_string(b->rect.width) + "x" + std::to_string(b->rect.height));
    return out;
}

/// The text drawn inside a box rectangle on a page, "" when none.
std::string textIn(const Document& doc, int page, const Rect& r) {
    for (const Item& i : doc.pages[page].items)
        if (const auto* t = std::get_if<TextItem>(&i);
            t && t->rect.y == r.y && t->rect.x > r.x && t->rect.x < r.right())
            return t->text;
    return {};
}

class ScanSheetTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        // 08:00 to 18:00 in quarter hours: 40 rows of time with "Before" and "After".
        db.USP.INTERVAL = store::Length::fromMinutes(15).value;
        db.USP.SCANTEXT = "Booking";
    }
    Document sheet(ScanReport r, const std::string& name, store::LONG reference) {
        Document doc;
        std::string error;
        EXPECT_TRUE(readScanSheet(db, r, name, store::Date(reference), doc, error)) << error;
        return doc;
    }
    std::string date(store::LONG d) { return store::shortDate(store::Date(d)); }
    // Page geometry: everything stands inside the quarter-inch margin.
    static constexpr int m = 250;
};

TEST_F(ScanSheetTest, TheFortyTwoRowWeekSplitsAtItsTimeBreakOnTwoNumberedPages) {
    const scan::ScanPrefs p = scan::ScanPrefs::of(db.USP);
    EXPECT_EQ(42, scan::scanRows(p));
    EXPECT_EQ(at(15, 45), timeBreak(p));  // the start of the 33rd row
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 32}, {33, 42}}), rowPages(42));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 20}}), rowPages(20));
    // A grid of more than two pages goes on as long as it needs, never off the paper.
    EXPECT_EQ(3u, rowPages(70).size());

    book(db, "Early", {{"ROOM1", 1}}, {{monday, at(7), at(9)}});
    book(db, "Late", {{"ROOM1", 1}}, {{monday + 1, at(17), at(19)}});
    book(db, "Across", {{"ROOM1", 1}}, {{monday + 2, at(15), at(16, 30)}});
    // A Sunday prints the week of the Monday before it.
    const Document doc = sheet(ScanReport::SCANRESRPT, "ROOM1", monday + 6);
    ASSERT_EQ(2, doc.pageCount());
    EXPECT_EQ(Orientation::Landscape, doc.setup.orientation);
    const auto one = pageTexts(doc, 0), two = pageTexts(doc, 1);
    const std::string title = "Bookings For ROOM1 From " + date(monday) + " To " + date(monday + 6);
    EXPECT_EQ(title, doc.title);
    EXPECT_TRUE(has(one, title));
    EXPECT_TRUE(has(two, title));
    EXPECT_TRUE(has(one, "Page 1/2"));
    EXPECT_TRUE(has(two, "Page 2/2"));
    EXPECT_TRUE(has(one, "Monday " + date(monday)));
    EXPECT_TRUE(has(one, "Sunday " + date(monday + 6)));
    // Page 1 runs from "Before" to the row before the break, page 2 from the break on.
    EXPECT_TRUE(has(one, "Before 08:00"));
    EXPECT_TRUE(has(one, "15:30"));
    EXPECT_FALSE(has(one, "15:45"));
    EXPECT_FALSE(has(one, "After 18:00"));
    EXPECT_TRUE(has(two, "15:45"));
    EXPECT_TRUE(has(two, "After 18:00"));
    EXPECT_FALSE(has(two, "Before 08:00"));

    // Columns of 1200 from x = 1052, rows of 200 from y = 660, inside the margin.
    const int x0 = m + 1052, y0 = m + 660;
    // 07:00 to 09:00 starts in the "Before" row and ends at the 09:00 row: 5 rows.
    // 15:00 to 16:30 runs to the bottom of page 1 (32 rows) and starts page 2's first row.
    EXPECT_EQ((std::vector<std::string>{
                  std::to_string(x0) + "," + std::to_string(y0) + " 1160x1000",
                  std::to_string(x0 + 2400) + "," + std::to_string(y0 + 29 * 200) + " 1160x600"}),
              boxes(doc, 0));
    // 17:00 to 19:00 reaches the bottom of the "After" row, the grid's last line.
    EXPECT_EQ((std::vector<std::string>{
                  std::to_string(x0 + 1200) + "," + std::to_string(y0 + 5 * 200) + " 1160x1000",
                  std::to_string(x0 + 2400) + "," + std::to_string(y0) + " 1160x600"}),
              boxes(doc, 1));
    EXPECT_EQ("Early", textIn(doc, 0, {x0, y0, 1160, 1000}));
}

TEST_F(ScanSheetTest, ADayThatFitsPrintsOnePageAndFiveDaysWidenTheColumns) {
    db.USP.INTERVAL = store::Length::fromMinutes(30).value;  // 22 rows
    book(db, "Friday", {{"ROOM1", 1}}, {{monday + 4, at(10), at(11)}});
    book(db, "Saturday", {{"ROOM1", 1}}, {{monday + 5, at(10), at(11)}});
    const Document week = sheet(ScanReport::SCANRESRPT, "ROOM1", monday);
    ASSERT_EQ(1, week.pageCount());
    EXPECT_TRUE(has(pageTexts(week, 0), "Page 1/1"));
    EXPECT_TRUE(has(pageTexts(week, 0), "After 18:00"));
    EXPECT_EQ(2u, boxes(week, 0).size());
    // Monday to Friday: five columns of 1680, the first row at 640; Saturday is not printed.
    const Document five = sheet(ScanReport::SCANRESRPT2, "ROOM1", monday);
    EXPECT_EQ("Bookings For ROOM1 From " + date(monday) + " To " + date(monday + 4), five.title);
    EXPECT_EQ((std::vector<std::string>{std::to_string(m + 1052 + 4 * 1680) + "," +
                                        std::to_string(m + 640 + 5 * 200) + " 1640x400"}),
              boxes(five, 0));
    EXPECT_FALSE(has(pageTexts(five, 0), "Saturday " + date(monday + 5)));
}

TEST_F(ScanSheetTest, TheMonthListsEachDaysBookingsAndSaysMoreWhenTheCellIsFull) {
    std::vector<std::array<store::LONG, 3>> many;
    for (int h = 0; h < 11; ++h) many.push_back({monday + 2, at(7 + h), at(7 + h, 30)});
    book(db, "Drill", {{"ROOM1", 1}}, many);
    book(db, "Board", {{"ROOM1", 1}}, {{monday + 3, at(9), at(10)}});
    // Any day of the month prints the whole month.
    const Document doc = sheet(ScanReport::SCANMONTHRPT, "ROOM1", monday + 20);
    ASSERT_EQ(1, doc.pageCount());
    const auto all = pageTexts(doc, 0);
    EXPECT_EQ("Bookings For ROOM1 From " + date(day(2026, 3, 1)) + " To " + date(day(2026, 3, 31)),
              doc.title);
    EXPECT_TRUE(has(all, "09:00 Board"));
    EXPECT_TRUE(has(all, "07:00 Drill"));
    // Nine lines a cell: the eight first bookings, then "MORE" in bold for the rest.
    EXPECT_EQ(8, std::count_if(all.begin(), all.end(),
                               [](const std::string& t) { return t.find("Drill") != t.npos; }));
    EXPECT_TRUE(has(all, "MORE"));
    EXPECT_TRUE(has(all, "31"));  // the day numbers
    for (const Item& i : doc.pages[0].items) {
        const auto* t = std::get_if<TextItem>(&i);
        if (t && t->text == "MORE") {
            EXPECT_TRUE(t->font.bold);
        }
    }
    // Everything stays on the paper.
    for (const Item& i : doc.pages[0].items)
        if (const auto* t = std::get_if<TextItem>(&i)) {
            EXPECT_LE(t->rect.right(), doc.setup.width()) << t->text;
            EXPECT_LE(t->rect.bottom(), doc.setup.height()) << t->text;
        }
}

TEST_F(ScanSheetTest, TheGroupWeekPrintsTheDayBandsEightMembersAPage) {
    std::vector<std::string> members;
    for (int k = 1; k <= 9; ++k) {
        const std::string code = "R" + std::to_string(k);
        addResource(a, code.c_str(), 1);
        members.push_back(code);
    }
    addGroup(a, "BIG", members);
    book(db, "Visit", {{"R9", 1}}, {{monday + 1, at(9), at(13)}});
    const Document doc = sheet(ScanReport::SCANGROUPWEEKRPT, "BIG", monday);
    ASSERT_EQ(2, doc.pageCount());  // nine members: eight, then one
    const auto one = pageTexts(doc, 0), two = pageTexts(doc, 1);
    EXPECT_TRUE(has(one, "R8"));
    EXPECT_FALSE(has(one, "R9"));
    EXPECT_TRUE(has(two, "R9"));
    EXPECT_TRUE(has(two, "Page 2/2"));
    // Each day is a band: its name, then six rows "<08:00", the four quarters of the day
    // and ">18:00".
    for (const char* t : {"Mon", "Sun", "<08:00", "08:00", "10:30", "13:00", "15:30", ">18:00"})
        EXPECT_TRUE(has(one, t)) << t;
    // The band lines: one dark red line at the top of each of the seven days.
    int bands = 0;
    for (const Item& i : doc.pages[0].items)
        if (const auto* l = std::get_if<LineItem>(&i); l && l->colour == Rgb{128, 0, 0}) ++bands;
    EXPECT_EQ(7, bands);
    // Tuesday's booking stands in the second band, on the second page only.
    EXPECT_TRUE(boxes(doc, 0).empty());
    ASSERT_EQ(1u, boxes(doc, 1).size());
    EXPECT_TRUE(has(two, "Visit"));
    // Monday to Friday: five bands.
    const Document five = sheet(ScanReport::SCANGRPWEEKRPT2, "BIG", monday);
    EXPECT_FALSE(has(pageTexts(five, 0), "Sat"));
    EXPECT_TRUE(has(pageTexts(five, 0), "Fri"));
}

TEST_F(ScanSheetTest, TheGroupDaySplitsItsMembersAndItsRows) {
    std::vector<std::string> members;
    for (int k = 1; k <= 10; ++k) {
        const std::string code = "R" + std::to_string(k);
        addResource(a, code.c_str(), 1);
        members.push_back(code);
    }
    addGroup(a, "BIG", members);
    book(db, "Talk", {{"R1", 1}}, {{monday, at(10), at(11)}});
    const Document doc = sheet(ScanReport::SCANGROUPRPT, "BIG", monday);
    // Two column pages, each split at the time break: four pages.
    ASSERT_EQ(4, doc.pageCount());
    EXPECT_EQ("Bookings for BIG on " + date(monday), doc.title);
    // Members in key order: R1, R10, R2 ... R7 on the first column page.
    EXPECT_TRUE(has(pageTexts(doc, 0), "R10"));
    EXPECT_TRUE(has(pageTexts(doc, 0), "R7"));
    EXPECT_TRUE(has(pageTexts(doc, 0), "Before 08:00"));
    EXPECT_TRUE(has(pageTexts(doc, 1), "After 18:00"));
    EXPECT_TRUE(has(pageTexts(doc, 2), "R8"));
    EXPECT_TRUE(has(pageTexts(doc, 2), "R9"));
    EXPECT_FALSE(has(pageTexts(doc, 2), "R7"));
    EXPECT_TRUE(has(pageTexts(doc, 3), "Page 4/4"));
    // Columns of 1050 from x = 1050; 10:00 is the ninth row.
    EXPECT_EQ((std::vector<std::string>{std::to_string(m + 1050) + "," +
                                        std::to_string(m + 750 + 9 * 200) + " 1008x800"}),
              boxes(doc, 0));
    // A group without members prints one page that says so.
    addGroup(a, "EMPTY", {});
    const Document none = sheet(ScanReport::SCANGROUPRPT, "EMPTY", monday);
    ASSERT_EQ(1, none.pageCount());
    EXPECT_TRUE(has(pageTexts(none, 0), "This group has no members: there is nothing to show."));
}

}  // namespace
}  // namespace reports::test

// The scans' layouts: where each booking box lands, the rows, bands and cells around it,
// and the occupancy read under them.
#include "scan/scans.h"

#include <gtest/gtest.h>

#include <set>

#include "../booking/booking_fixture.h"
#include "scan/occupancy.h"

namespace scan::test {
namespace {

using booking::test::at;
using booking::test::day;
using store::LONG;

Occurrence occ(LONG date, LONG start, LONG end, LONG number = 1, std::string name = "Board",
               std::string client = "ACME") {
    Occurrence o;
    o.number = number, o.date = date, o.start = start, o.end = end;
    o.name = std::move(name), o.client = std::move(client);
    o.resource = "ROOM1";
    o.units = 1;
    return o;
}

/// The default settings: 08:00 to 18:00 in 15-minute rows of 8 units.
ScanPrefs prefs() {
    ScanPrefs p;
    p.beginDay = at(8);
    p.endDay = at(18);
    p.interval = store::Length::fromMinutes(15).value;
    p.height = 8;
    p.scanSize = 40;
    p.scanText = "Booking";
    return p;
}

std::vector<const Item*> ofKind(const ScanLayout& l, Item::Kind k) {
    std::vector<const Item*> out;
    for (const Item& i : l.items)
        if (i.kind == k) out.push_back(&i);
    return out;
}

/// A box as "x,y wxh".
std::string where(const Item& i) {
    return std::to_string(i.x) + "," + std::to_string(i.y) + " " + std::to_string(i.w) + "x" +
           std::to_string(i.h);
}

void expectUniqueIds(const ScanLayout& l) {
    std::set<int> ids;
    for (const Item& i : l.items) EXPECT_TRUE(ids.insert(i.id).second) << "id " << i.id;
}

class ScanLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override { store::setDateFormats(store::DateFormats{}); }
    const LONG monday = day(2026, 3, 2);
};

TEST_F(ScanLayoutTest, TheWeekRunsMondayToSundayWhateverDayIsChosen) {
    const ScanPrefs p = prefs();
    const int W = singleColumnWidth(40);
    EXPECT_EQ(60, W);
    // A Sunday shows the week of the Monday before it; the Sunday is the seventh column.
    const ScanLayout l =
        layoutResourceWeek(p, store::Date(monday + 6),
                           {occ(monday, at(9), at(10)), occ(monday + 6, at(9), at(10), 2),
                            occ(monday + 7, at(9), at(10), 3)});
    const auto boxes = ofKind(l, Item::Box);
    ASSERT_EQ(2u, boxes.size());  // the next Monday is another week
    EXPECT_EQ(48, boxes[0]->x);
    EXPECT_EQ(48 + 6 * W, boxes[1]->x);
    EXPECT_EQ(101, boxes[0]->id);
    EXPECT_EQ(1001, ofKind(l, Item::Text)[0]->id);
    EXPECT_EQ("Mon", l.items.front().text);
    // A Monday shows its own week.
    EXPECT_EQ(
        1u, ofKind(layoutResourceWeek(p, store::Date(monday + 7), {occ(monday + 7, at(9), at(10))}),
                   Item::Box)
                .size());
    EXPECT_EQ(monday, periodOf(ScanKind::ResourceWeek, store::Date(monday + 6)).first.value);
}

TEST_F(ScanLayoutTest, TheWeekGridHasABeforeRowASlotRowEachAndAnAfterRow) {
    const ScanPrefs p = prefs();
    EXPECT_EQ(42, scanRows(p));
    EXPECT_EQ("Before 08:00", rowLabel(p, 1));
    EXPECT_EQ("08:00", rowLabel(p, 2));
    EXPECT_EQ("17:45", rowLabel(p, 41));
    EXPECT_EQ("After 18:00", rowLabel(p, 42));
    const ScanLayout l = layoutResourceWeek(p, store::Date(monday), {});
    const auto lines = ofKind(l, Item::Line);
    ASSERT_EQ(8u, lines.size());
    EXPECT_EQ(47, lines[0]->x);
    EXPECT_EQ(39, lines[0]->y);
    EXPECT_EQ(335, lines[0]->h);  // (3600000 / 90001 + 2) × 8, the fraction dropped
    EXPECT_TRUE(ofKind(l, Item::Box).empty());
}

TEST_F(ScanLayoutTest, BoxesRunFromTheirStartRowToTheirEndLine) {
    const ScanPrefs p = prefs();
    const ScanLayout l = layoutResourceWeek(
        p, store::Date(monday),
        {occ(monday, at(7), at(9)), occ(monday + 1, at(6), at(7)), occ(monday + 2, at(19), at(20)),
         occ(monday + 3, at(17), at(20)), occ(monday + 4, at(9) + 400, at(10))});
    const auto boxes = ofKind(l, Item::Box);
    ASSERT_EQ(5u, boxes.size());
    const int W = 60;
    // 07:00 to 09:00 starts at the top of the grid and ends at the 09:00 line (row 6).
    EXPECT_EQ("48,39 58x40", where(*boxes[0]));
    // Wholly before the day: exactly the "Before" row.
    EXPECT_EQ(std::to_string(48 + W) + ",39 58x8", where(*boxes[1]));
    // Wholly after: exactly the row under y(E), the "After" row.
    EXPECT_EQ(std::to_string(48 + 2 * W) + ",367 58x8", where(*boxes[2]));
    // Into the evening: from 17:00 down into the "After" row.
    EXPECT_EQ(std::to_string(48 + 3 * W) + ",335 58x40", where(*boxes[3]));
    // A start four seconds after the hour stays in the hour's row.
    EXPECT_EQ(std::to_string(48 + 4 * W) + ",79 58x32", where(*boxes[4]));
    // The box list maps each box back to its occurrence.
    const BoxEntry* e = l.boxOf(boxes[2]->id);
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(monday + 2, e->date);
    EXPECT_EQ(at(19), e->start);
}

TEST_F(ScanLayoutTest, ThePrintedWeekNamesItsDatesAndMayStopOnFriday) {
    ScanPrefs p = prefs();
    p.scanText = "Mixed";
    const std::vector<Occurrence> week = {occ(monday, at(9), at(10), 1, "Meeting", "Smith"),
                                          occ(monday + 5, at(9), at(10), 2)};
    // Five days: Saturday's booking, headings and grid line are not drawn.
    const ScanLayout five = layoutResourceWeek(p, store::Date(monday), week, {5, true, 3});
    const auto boxes = ofKind(five, Item::Box);
    ASSERT_EQ(1u, boxes.size());
    // The paper's "Mixed" keeps three letters of the name.
    EXPECT_EQ("Mee:Smith", ofKind(five, Item::Text)[0]->text);
    EXPECT_EQ("Monday " + store::shortDate(store::Date(monday)), five.items.front().text);
    int lines = 0;
    for (const Item* l : ofKind(five, Item::Line)) lines += l->h > 0;
    EXPECT_EQ(6, lines);
    // The grid it tells a printed page about: its rows of 8 from y = 39.
    EXPECT_EQ(39, five.rows.top);
    EXPECT_EQ(8, five.rows.height);
    EXPECT_EQ(scanRows(p), five.rows.count);
    // The window's week is unchanged: seven days, six letters of the name.
    const ScanLayout seven = layoutResourceWeek(p, store::Date(monday), week);
    EXPECT_EQ(2u, ofKind(seven, Item::Box).size());
    EXPECT_EQ("Meetin:Smith", ofKind(seven, Item::Text)[0]->text);
    EXPECT_EQ("Mon", seven.items.front().text);
}

TEST_F(ScanLayoutTest, BoxTextsFollowTheScanTextSetting) {
    const Occurrence o = occ(monday, at(9), at(10), 1, "  Board meeting", " Acme Ltd");
    EXPECT_EQ("", boxText("No Text", o));
    EXPECT_EQ("Board meeting", boxText("Booking", o));
    EXPECT_EQ("Acme Ltd", boxText("Client", o));
    EXPECT_EQ("Board :Acme Ltd", boxText("Mixed", o));
    EXPECT_EQ("Boa:Acme Ltd", boxText("Mixed", o, 3));
    EXPECT_EQ("", boxText("Name", o));  // an unknown setting leaves the text unset
}

TEST_F(ScanLayoutTest, AFullMonthDayEndsInABoldMoreOnItsLastLine) {
    ScanPrefs p = prefs();
    p.scanText = "Client";
    const LONG third = day(2026, 3, 3);  // a Tuesday
    std::vector<Occurrence> many;
    for (int i = 0; i < 11; ++i) many.push_back(occ(third, at(8) + i * 100, at(9), i + 1));
    const ScanLayout l = layoutResourceMonth(p, store::Date(third), many);
    const auto texts = ofKind(l, Item::Text);
    ASSERT_EQ(11u, texts.size());
    const int lines = 8 * 7 / 6;  // L = 9
    int more = 0;
    for (int i = 0; i < 11; ++i) {
        if (i < lines - 1) {
            EXPECT_EQ("08:00 ACME", texts[i]->text) << i;
            EXPECT_EQ(7 * 8 + 36 + 6 * (i + 1), texts[i]->y);
        } else {
            EXPECT_EQ("MORE", texts[i]->text);
            EXPECT_TRUE(texts[i]->font.bold);
            EXPECT_EQ(7 * 8 + 36 + 6 * lines, texts[i]->y);  // every further one there too
            ++more;
        }
    }
    EXPECT_EQ(3, more);
    // 1 March 2026 is a Sunday: the 3rd is in the second week row, second column.
    EXPECT_EQ(10 + 60, texts[0]->x);
    // The day numbers stand on yellow at the cell's top right.
    int numbers = 0;
    for (const Item& i : l.items)
        if (i.background && *i.background == kYellow) ++numbers;
    EXPECT_EQ(31, numbers);
}

TEST_F(ScanLayoutTest, MonthsStepWithTheirDayCarriedOver) {
    // Forward from 31 January: 31 February is early March, so March is shown.
    const store::Date next = step(ScanKind::ResourceMonth, store::Date::fromMDY(1, 31, 2027), 1);
    EXPECT_EQ(3, next.month());
    EXPECT_EQ(store::Date::fromMDY(3, 1, 2027), periodOf(ScanKind::ResourceMonth, next).first);
    // Back from January is December of the year before, same day.
    EXPECT_EQ(store::Date::fromMDY(12, 15, 2026),
              step(ScanKind::GroupMonth, store::Date::fromMDY(1, 15, 2027), -1));
    EXPECT_EQ(store::Date(monday + 1), step(ScanKind::GroupDay, store::Date(monday), 1));
    EXPECT_EQ(store::Date(monday - 7), step(ScanKind::GroupWeek, store::Date(monday), -1));
}

/// An occupancy of hand-made occurrences, through the store as the windows read it.
class GroupLayoutTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        addResource(a, "ROOM3", 1);
    }
    Occupancy load(const std::vector<std::string>& members, LONG from, LONG to) {
        Occupancy o;
        EXPECT_TRUE(o.load(db, members, store::Date(from), store::Date(to)));
        return o;
    }
};

TEST_F(GroupLayoutTest, TheGroupDayDrawsOneColumnPerMemberAndOnlyTheirBookings) {
    const LONG both = book(db, "Both", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday, at(9), at(10)}});
    book(db, "Outside", {{"ROOM3", 1}}, {{monday, at(9), at(10)}});
    book(db, "Early", {{"ROOM2", 1}}, {{monday, at(7), at(8)}});
    const std::vector<std::string> members{"ROOM1", "ROOM2"};
    const ScanLayout l =
        layoutGroupDay(prefs(), store::Date(monday), members, load(members, monday, monday));
    const auto boxes = ofKind(l, Item::Box);
    ASSERT_EQ(3u, boxes.size());
    // The booking of two members stands in both columns; ROOM3's is never drawn.
    EXPECT_EQ("48,86 38x32", where(*boxes[0]));
    EXPECT_EQ(both, l.boxOf(boxes[0]->id)->number);
    EXPECT_EQ("88,86 38x32", where(*boxes[2]));
    // One that ends exactly when the day starts fills the "Before" row.
    EXPECT_EQ("88,46 38x8", where(*boxes[1]));
    // Names above and below, alternating lines.
    const Item* name1 = l.item(10002);
    const Item* name2 = l.item(10003);
    ASSERT_TRUE(name1 && name2);
    EXPECT_EQ("ROOM1", name1->text);
    EXPECT_EQ(34, name1->y);
    EXPECT_EQ(26, name2->y);
    EXPECT_EQ("ROOM2", l.item(10103)->text);
    EXPECT_EQ(52 + 8 * 42, l.item(10103)->y);
    // The right-hand labels stand after the last column.
    EXPECT_EQ(49 + 2 * 40, l.item(3001)->x);
    EXPECT_TRUE(l.note.empty());
}

TEST_F(GroupLayoutTest, AGroupWithoutMembersDrawsTheLabelsAndSaysSo) {
    const ScanLayout l = layoutGroupDay(prefs(), store::Date(monday), {}, Occupancy());
    EXPECT_TRUE(ofKind(l, Item::Box).empty());
    EXPECT_EQ(49, l.item(3001)->x);
    EXPECT_FALSE(l.note.empty());
}

TEST_F(GroupLayoutTest, TheGroupWeekMapsEachDayOntoABandOfThreePieces) {
    const LONG wednesday = monday + 2;
    book(db, "Early", {{"ROOM1", 1}}, {{wednesday, at(6), at(7)}});
    book(db, "Late", {{"ROOM1", 1}}, {{wednesday, at(17), at(20)}});
    book(db, "Sunday", {{"ROOM1", 1}}, {{monday + 6, at(12), at(13)}});
    const std::vector<std::string> members{"ROOM1"};
    ScanPrefs p = prefs();
    p.scanText = "Mixed";
    const ScanLayout l =
        layoutGroupWeek(p, store::Date(wednesday), members, load(members, monday, monday + 6));
    const auto boxes = ofKind(l, Item::Box);
    ASSERT_EQ(3u, boxes.size());
    const int T = 46 + 2 * 6 * 8;  // Wednesday's band
    // 06:00 to 07:00 with the day starting 08:00: 6/8 to 7/8 of the "<" row.
    EXPECT_EQ("66," + std::to_string(T + 6) + " 38x1", where(*boxes[0]));
    // 17:00 to 20:00 with the day ending 18:00: from row 5 into 2/6 of the ">" row.
    EXPECT_EQ(T + 8 + 28, boxes[1]->y);
    EXPECT_EQ(T + 42, boxes[1]->y + boxes[1]->h);
    // Sunday is the seventh band; its noon is the middle of the working day.
    EXPECT_EQ(46 + 6 * 48 + 8 + 12, boxes[2]->y);
    // Mixed shows three letters of the name.
    EXPECT_EQ("Ear:ACME", ofKind(l, Item::Text)[0]->text);
    // Row labels of a band: "<" start, start, three quarters, ">" end.
    std::vector<std::string> labels;
    for (const Item& i : l.items)
        if (i.kind == Item::Label && i.x == 20 && i.y >= T && i.y < T + 48)
            labels.push_back(i.text);
    EXPECT_EQ((std::vector<std::string>{"<08:00", "08:00", "10:30", "13:00", "15:30", ">18:00"}),
              labels);
    EXPECT_EQ(kDarkRed, l.item(3103)->colour);
    EXPECT_EQ(T, l.item(3103)->y);
}

TEST_F(GroupLayoutTest, TheGroupMonthCountsBookingsPerMemberAndDay) {
    const LONG third = day(2026, 3, 3);
    book(db, "One", {{"ROOM1", 1}}, {{third, at(9), at(10)}});
    book(db, "Two", {{"ROOM1", 1}}, {{third, at(11), at(12)}});
    const LONG both = book(db, "Both", {{"ROOM1", 1}, {"ROOM2", 1}}, {{third + 1, at(9), at(10)}});
    for (int i = 0; i < 3; ++i)
        book(db, "Busy", {{"ROOM2", 1}}, {{third + 2, at(9 + i), at(10 + i)}});
    const std::vector<std::string> members{"ROOM1", "ROOM2"};
    const LONG first = day(2026, 3, 1), last = day(2026, 3, 31);
    const ScanLayout l =
        layoutGroupMonth(prefs(), store::Date(third), members, load(members, first, last));
    // The 3rd: two bookings of ROOM1, yellow, and it opens nothing.
    const Item* yellow = l.item(100 * 3 + 350 + 1);
    ASSERT_TRUE(yellow);
    EXPECT_EQ(kYellow, yellow->colour);
    EXPECT_EQ(nullptr, l.boxOf(yellow->id));
    EXPECT_EQ("94,58 12x8", where(*yellow));
    // The 4th: one booking of two members colours one green cell in each row.
    for (int r : {1, 2}) {
        const Item* green = l.item(100 * 4 + 350 + r);
        ASSERT_TRUE(green) << r;
        EXPECT_EQ(kGreen, green->colour);
        ASSERT_NE(nullptr, l.boxOf(green->id));
        EXPECT_EQ(both, l.boxOf(green->id)->number);
    }
    EXPECT_EQ(kRed, l.item(100 * 5 + 350 + 2)->colour);
    EXPECT_EQ(nullptr, l.item(100 * 5 + 350 + 1));
    // Weekday letters over the day numbers: 1 March 2026 is a Sunday.
    EXPECT_EQ("Su", l.item(4051)->text);
    EXPECT_EQ("1", l.item(4001)->text);
}

TEST_F(GroupLayoutTest, ALeapFebruaryHasTwentyNineColumns) {
    ScanPrefs p = prefs();
    p.height = 11;
    const ScanLayout l =
        layoutGroupMonth(p, store::Date::fromMDY(2, 10, 2028), {"ROOM1", "ROOM2"}, Occupancy());
    int numbers = 0;
    for (const Item& i : l.items)
        if (i.id >= 4001 && i.id < 4051) ++numbers;
    EXPECT_EQ(29, numbers);
    const Item* h = l.item(4200);
    ASSERT_TRUE(h);
    EXPECT_EQ(12 * 29 + 60, h->w);
    // Rows of another height keep each row between its two lines.
    EXPECT_EQ(50 + 11, h->y);
    EXPECT_EQ(50 + 11, l.item(201)->y);
}

TEST_F(ScanLayoutTest, IdentifiersStayUniqueHoweverManyBoxes) {
    std::vector<Occurrence> many;
    for (int i = 0; i < 1500; ++i) many.push_back(occ(monday + i % 7, at(9), at(10), i + 1));
    const ScanLayout week = layoutResourceWeek(prefs(), store::Date(monday), many);
    EXPECT_EQ(1500u, week.boxes.size());
    expectUniqueIds(week);
    for (const BoxEntry& b : week.boxes) EXPECT_EQ(&b, week.boxOf(b.id));
    ScanPrefs fine = prefs();
    fine.interval = store::Length::fromMinutes(1).value;  // 600 slots, 1200 labels
    expectUniqueIds(
        layoutGroupDay(fine, store::Date(monday), std::vector<std::string>(150, "R"), Occupancy()));
    expectUniqueIds(layoutGroupMonth(prefs(), store::Date(monday),
                                     std::vector<std::string>(150, "R"), Occupancy()));
}

TEST_F(GroupLayoutTest, TheOccupancyReadsEachResourceThroughItsIndexesAndKeepsTheBuffers) {
    const LONG n = book(db, "Board", {{"ROOM1", 1}, {"POOL", 2}},
                        {{monday, at(9), at(10)}, {monday + 7, at(9), at(10)}});
    book(db, "Other", {{"ROOM2", 1}}, {{monday, at(9), at(10)}});
    db.ACT.NAME = "unchanged";
    db.DAT.DATE = 12345;
    const Occupancy o = load({"ROOM1", "POOL", "room1"}, monday, monday + 6);
    EXPECT_EQ("unchanged", db.ACT.NAME.str());
    EXPECT_EQ(12345, db.DAT.DATE);
    ASSERT_EQ(1u, o.of("ROOM1").size());
    EXPECT_EQ(n, o.of("ROOM1")[0].number);
    EXPECT_EQ("Board", o.of("ROOM1")[0].name);
    EXPECT_EQ("ACME", o.of("ROOM1")[0].client);
    EXPECT_EQ(2, o.of("POOL")[0].units);
    EXPECT_TRUE(o.of("room1").empty());  // codes are exact
    EXPECT_EQ(2u, o.size());
    EXPECT_EQ(1u, o.on("POOL", monday).size());
    EXPECT_TRUE(o.on("POOL", monday + 1).empty());

    store::JoinQuery q;
    q.outerKey = store::RAC::RESOURCE_KEY;
    q.innerKey = store::DAT::ACTDATES_KEY;
    q.links = {{store::RAC::ACTNUMBER, store::DAT::ACTNUMBER}};
    q.rangeField = store::DAT::DATE;
    q.lookupKey = store::ACT::ACTNUMBER_KEY;
    q.lookupLinks = {{store::RAC::ACTNUMBER, store::ACT::ACTNUMBER}};
    const std::string plan =
        db.engine().joinPlan(db.table(store::Tbl::RESACT), db.table(store::Tbl::DATES), q,
                             &db.table(store::Tbl::ACTIVITY));
    EXPECT_EQ(std::string::npos, plan.find("SCAN")) << plan;
    EXPECT_EQ(3u, [&] {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = plan.find("USING", at)) != std::string::npos; ++at) ++n;
        return n;
    }()) << plan;
}

}  // namespace
}  // namespace scan::test

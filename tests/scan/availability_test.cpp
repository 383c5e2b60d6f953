// When a group or a pooled resource has room: the slots an occurrence covers, the cells
// of the free and pooled scans, and the search for free time against a brute-force
// reference and against the booking checks themselves.
#include "scan/availability.h"

#include <gtest/gtest.h>

#include <random>

#include "../booking/booking_fixture.h"
#include "scan/free_time.h"

namespace scan::test {
namespace {

using booking::test::at;
using booking::test::day;
using store::LONG;

ScanPrefs prefs() {
    ScanPrefs p;
    p.beginDay = at(8);
    p.endDay = at(18);
    p.interval = store::Length::fromMinutes(15).value;
    p.height = 8;
    return p;
}

std::string slots(LONG start, LONG end) {
    const SlotRange r = MARKDATE(prefs(), start, end);
    return std::to_string(r.first) + "-" + std::to_string(r.last);
}

TEST(MarkDate, AnOccurrenceCountsFromTheSlotOfItsStartToTheSlotOfItsEnd) {
    EXPECT_EQ("2-3", slots(at(8), at(8, 30)));      // 08:00 and 08:15
    EXPECT_EQ("6-9", slots(at(9) + 400, at(10)));   // 09:00 to 09:45
    EXPECT_EQ("1-1", slots(at(7), at(8)));          // only the "Before" row
    EXPECT_EQ("1-3", slots(at(7), at(8, 30)));      // from before the day into it
    EXPECT_EQ("41-42", slots(at(17, 45), at(20)));  // past the end: to the "After" row
    EXPECT_EQ("42-42", slots(at(19), at(20)));      // wholly after
    EXPECT_EQ("1-42", slots(at(6), at(23)));        // all day
    EXPECT_EQ("6-6", slots(at(9), at(9)));          // no length: the slot of its instant
}

class AvailabilityTest : public booking::test::BookingTest {
  protected:
    std::vector<const Item*> cells(const ScanLayout& l) {
        std::vector<const Item*> out;
        for (const Item& i : l.items)
            if (i.kind == Item::Box) out.push_back(&i);
        return out;
    }
    const Item* cell(const ScanLayout& l, int d, int s) { return l.item(100 * d + s + 100); }
    const Item* text(const ScanLayout& l, const Item* c) {
        for (const Item& i : l.items)
            if (i.kind == Item::Text && i.x == c->x && i.y == c->y) return &i;
        return nullptr;
    }
    Occupancy load(const std::vector<std::string>& r) {
        Occupancy o;
        EXPECT_TRUE(o.load(db, r, store::Date(monday), store::Date(monday + 6))) << o.error();
        return o;
    }
};

TEST_F(AvailabilityTest, TheFreeScanCountsOccurrenceAndResourcePairsPerSlot) {
    const std::vector<std::string> members{"ROOM1", "ROOM2"};
    EXPECT_TRUE(cells(layoutFree(prefs(), store::Date(monday), members, load(members))).empty());
    const LONG both = book(db, "Both", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday, at(9), at(9, 30)}});
    const LONG one = book(db, "One", {{"ROOM1", 1}}, {{monday + 1, at(10), at(10, 15)}});
    user.answerConflict(store::AcceptThis);  // ROOM2 is double-booked on purpose
    book(db, "Three", {{"ROOM2", 1}}, {{monday, at(9, 15), at(9, 45)}});
    const ScanLayout l = layoutFree(prefs(), store::Date(monday), members, load(members));
    // Monday 09:00: one booking of two members counts 2 (yellow); 09:15 adds a third (red).
    ASSERT_TRUE(cell(l, 1, 6));
    EXPECT_EQ(kYellow, cell(l, 1, 6)->colour);
    EXPECT_EQ(kRed, cell(l, 1, 7)->colour);
    EXPECT_EQ(kGreen, cell(l, 1, 8)->colour);
    EXPECT_EQ("48,90 49x8",
              std::to_string(cell(l, 1, 6)->x) + "," + std::to_string(cell(l, 1, 6)->y) + " " +
                  std::to_string(cell(l, 1, 6)->w) + "x" + std::to_string(cell(l, 1, 6)->h));
    // Only a green cell opens its booking.
    EXPECT_EQ(nullptr, l.boxOf(cell(l, 1, 6)->id));
    ASSERT_NE(nullptr, l.boxOf(cell(l, 2, 10)->id));
    EXPECT_EQ(one, l.boxOf(cell(l, 2, 10)->id)->number);
    EXPECT_EQ(4u, cells(l).size());
    EXPECT_NE(std::string::npos, cell(l, 1, 6)->tip.find("Both"));
    (void)both;
}

TEST_F(AvailabilityTest, ThePooledScanShowsUnitsAndTheirShareOfTheCapacity) {
    addResource(a, "POOL4", 4);
    book(db, "A", {{"POOL4", 1}}, {{monday, at(9), at(9, 15)}});
    book(db, "B", {{"POOL4", 2}}, {{monday, at(9), at(9, 30)}});
    book(db, "C", {{"POOL4", 3}}, {{monday + 2, at(9), at(9, 15)}});
    user.answerConflict(store::AcceptThis);  // overbooked on purpose
    book(db, "D", {{"POOL4", 2}}, {{monday + 2, at(9), at(9, 15)}});
    // The fixture books pooled resources with the units its UPDATEUNITS answers.
    const ScanLayout l = layoutPooled(prefs(), store::Date(monday), "POOL4", 4, load({"POOL4"}));
    EXPECT_EQ("3 75%", text(l, cell(l, 1, 6))->text);
    EXPECT_EQ(kYellow, cell(l, 1, 6)->colour);
    EXPECT_EQ("2 50%", text(l, cell(l, 1, 7))->text);
    EXPECT_EQ(kGreen, cell(l, 1, 7)->colour);
    EXPECT_EQ("5 125%", text(l, cell(l, 3, 6))->text);
    EXPECT_EQ(kRed, cell(l, 3, 6)->colour);
    EXPECT_TRUE(text(l, cell(l, 1, 6))->font.bold);
    for (const Item* c : cells(l)) EXPECT_EQ(nullptr, l.boxOf(c->id));  // none opens a booking
    EXPECT_EQ(kRed, loadColour(100));
    EXPECT_EQ(kYellow, loadColour(51));
    EXPECT_EQ(kGreen, loadColour(50));
    EXPECT_EQ(kRed, loadColour(-5));
    EXPECT_EQ(4, resourceUnits(db, "POOL4"));
    EXPECT_EQ(1, resourceUnits(db, "ROOM1"));
    EXPECT_EQ(-1, resourceUnits(db, "NOSUCH"));
}

// ---------------------------------------------------------------------------------------
// Find free time.

/// The reference: every whole minute of every day that counts, tried one by one.
std::vector<FreePeriod> bruteForce(const FreeTimeQuestion& q, const Occupancy& o) {
    std::vector<FreePeriod> out;
    const LONG minute = store::Time::kHundredthsPerMinute;
    for (store::Date d = q.first; d <= q.last; d = d + 1) {
        if (!q.weekends && d.isWeekend()) continue;
        bool special = false;
        for (const SpecialPeriod& s : q.specials)
            special |= s.first <= d.value && d.value <= s.last;
        if (!q.specialDays && special) continue;
        bool before = false;
        for (LONG m = q.dayStart.value;; m += minute) {
            const LONG start = m + 400, end = (store::Time(m) + q.length).value;
            if (end > q.dayEnd.value) break;
            const bool free = isFree(q, o, d.value, start, end);
            if (free && !before) out.push_back({d.value, store::Time(m), start, end});
            before = free;
            if (int(out.size()) == q.limit) return out;
        }
    }
    return out;
}

class FreeTimeTest : public booking::test::BookingTest {
  protected:
    /// Writes an occurrence straight into the store, as other stations and older releases
    /// may have left it: any times, overlaps included.
    void put(LONG number, const std::string& resource, int units, LONG date, LONG start, LONG end) {
        auto& act = a.fm(store::Tbl::ACTIVITY);
        db.table(store::Tbl::ACTIVITY).clearBuffer();
        db.ACT.ACTNUMBER = number;
        if (db.engine().get(db.table(store::Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY) != 0) {
            act.PRIMERECORD();
            db.ACT.ACTNUMBER = number;
            db.ACT.NAME = "Random";
            db.ACT.CLIENT = "ACME";
            ASSERT_EQ(store::Level_Benign, act.INSERT());
            a.fm(store::Tbl::RESACT).PRIMERECORD();
            db.RAC.ACTNUMBER = number;
            db.RAC.RESOURCE = resource;
            db.RAC.UNITS = store::SHORT(units);
            ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::RESACT).INSERT());
        }
        a.fm(store::Tbl::DATES).PRIMERECORD();
        db.DAT.ACTNUMBER = number;
        db.DAT.DATE = date;
        db.DAT.TIME = start;
        db.DAT.ENDTIME = end;
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::DATES).INSERT());
    }
    FreeTimeQuestion question() {
        FreeTimeQuestion q;
        q.resources = {{"ROOM1", 1, 1}, {"ROOM2", 1, 1}, {"POOL", 2, 5}};
        q.length = store::Length::fromMinutes(90);
        q.first = store::Date(monday);
        q.last = store::Date(monday + 13);
        q.dayStart = store::Time(at(8));
        q.dayEnd = store::Time(at(18));
        q.limit = 200;
        return q;
    }
};

TEST_F(FreeTimeTest, TheSearchAgreesWithTryingEveryMinuteOnRandomStores) {
    std::mt19937 random(11);
    LONG number = 100000;
    for (int store = 0; store < 6; ++store) {
        for (int i = 0; i < 40; ++i) {
            const char* r[] = {"ROOM1", "ROOM2", "POOL"};
            const int which = int(random() % 3);
            const LONG date = monday + LONG(random() % 14);
            // Starts on odd seconds, zero-length and reversed times among them.
            const LONG start =
                at(7) + LONG(random() % (11 * 3600)) * 100 + LONG(random() % 3) * 400;
            const LONG length = LONG(random() % 5) == 0 ? 0 : LONG(random() % 180) * 6000;
            const LONG end = LONG(random() % 17) == 0 ? start - 6000 : start + length;
            put(++number, r[which], which == 2 ? 1 + int(random() % 4) : 1, date, start, end);
        }
        for (bool weekends : {false, true}) {
            FreeTimeQuestion q = question();
            q.weekends = weekends;
            q.specials = {{monday + 3, monday + 4}};
            q.length = store::Length::fromMinutes(15 + 25 * store);
            Occupancy o;
            ASSERT_TRUE(
                o.load(db, {"ROOM1", "ROOM2", "POOL"}, q.first, q.last, Occupancy::TimesOnly));
            const std::vector<FreePeriod> found = findFreeTime(q, o);
            EXPECT_EQ(bruteForce(q, o), found) << "store " << store;
            for (const FreePeriod& p : found) {
                EXPECT_FALSE(p.date == monday + 3 || p.date == monday + 4);
                EXPECT_TRUE(isFree(q, o, p.date, p.start, p.end));
            }
        }
    }
}

TEST_F(FreeTimeTest, APeriodOfferedIsOneTheBookingChecksAccept) {
    book(db, "Morning", {{"ROOM1", 1}}, {{monday, at(8), at(11)}});
    book(db, "Pool", {{"POOL", 4}}, {{monday, at(11), at(12)}});
    book(db, "Noon", {{"ROOM2", 1}}, {{monday, at(12), at(13, 30)}});
    FreeTimeQuestion q = question();
    q.last = store::Date(monday + 1);
    std::vector<FreePeriod> found;
    std::string error;
    ASSERT_TRUE(searchFreeTime(db, q, found, error)) << error;
    ASSERT_FALSE(found.empty());
    // 11:00 would leave the pool one unit short; after 13:30 everything is free.
    EXPECT_EQ(monday, found[0].date);
    EXPECT_EQ(at(13, 30), found[0].typedStart.value);
    EXPECT_EQ(at(15), found[0].end);
    for (const FreePeriod& p : found) {
        booking::BookingForm form(db);
        form.UPDATEUNITS = [](const std::string&, int) { return 2; };
        ASSERT_TRUE(form.open(store::InsertRecord));
        form.insertResources({{"ROOM1", 1}, {"ROOM2", 1}, {"POOL", 5}});
        form.date = p.date;
        form.durationAccepted(q.length.value);
        form.startAccepted(p.typedStart.value);
        EXPECT_EQ(p.start, form.start);
        EXPECT_EQ(p.end, form.end);
        // Any finding would be put to the user; none may be.
        user.conflicts.clear();
        EXPECT_EQ(booking::OkOutcome::Completed, form.OK());
        EXPECT_TRUE(user.conflicts.empty()) << store::shortTime(p.typedStart);
    }
}

TEST_F(FreeTimeTest, AQuestionThatCannotBeAnsweredSaysWhy) {
    FreeTimeQuestion q = question();
    EXPECT_EQ("", freeTimeProblem(q));
    q.length = store::Length();
    EXPECT_NE("", freeTimeProblem(q));
    q = question();
    q.last = q.first - 1;
    EXPECT_NE("", freeTimeProblem(q));
    q = question();
    q.resources.clear();
    EXPECT_NE("", freeTimeProblem(q));
    q = question();
    q.dayEnd = q.dayStart;
    EXPECT_NE("", freeTimeProblem(q));
    EXPECT_TRUE(findFreeTime(q, Occupancy()).empty());
}

}  // namespace
}  // namespace scan::test

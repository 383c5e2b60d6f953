// The calendar options as rules: which coverings a format allows, when Print may be
// pressed, and which report runs with which arguments.
#include "reports/calendar_options.h"

#include <gtest/gtest.h>

namespace reports::test {
namespace {

using C = CalendarChoice;

C choice(int format, int covering, std::string value = {}) {
    C c;
    c.format = format;
    c.covering = covering;
    c.resource = c.group = c.client = std::move(value);
    c.start = store::Date::fromMDY(3, 4, 2026);  // a Wednesday
    return c;
}

/// A report as "NAME(notes,preview,covering,first,last,text,name)x runs".
std::string describe(const std::optional<CalendarReport>& r) {
    if (!r) return "none";
    return procedureName(*r) + "(" + std::to_string(r->notes) + "," + std::to_string(r->preview) +
           "," + std::to_string(r->covering) + "," + r->first.iso() + "," + r->last.iso() + "," +
           r->text + "," + r->name + ")x" + std::to_string(r->runs);
}

TEST(CalendarOptionsTest, FormatsForceTheirCoveringsAndShowTheirDates) {
    // The scans of a group need a group; those of one resource a resource.
    for (int f : {C::ScanGroupDay, C::ScanGroupWeek}) {
        const FormatRules r = formatRules(f);
        EXPECT_TRUE(r.coverings[C::ResourceGroup]);
        EXPECT_FALSE(r.coverings[C::AllResources] || r.coverings[C::OneResource] ||
                     r.coverings[C::Client]);
        EXPECT_FALSE(r.endShown);
        EXPECT_EQ(C::ResourceGroup, coveringAfter(f, C::Client));
    }
    for (int f : {C::ScanSingleWeek, C::ScanSingleMonth}) {
        EXPECT_FALSE(formatRules(f).coverings[C::ResourceGroup]);
        EXPECT_EQ(C::OneResource, coveringAfter(f, C::AllResources));
    }
    // "Day by resources" lists by resource: one resource or a client falls back to all.
    EXPECT_EQ(C::AllResources, coveringAfter(C::DayByResources, C::OneResource));
    EXPECT_EQ(C::AllResources, coveringAfter(C::DayByResources, C::Client));
    EXPECT_EQ(C::ResourceGroup, coveringAfter(C::DayByResources, C::ResourceGroup));
    EXPECT_EQ(C::Client, coveringAfter(C::Week, C::Client));
    // Only the flexible period shows its end date.
    EXPECT_TRUE(formatRules(C::FlexiblePeriod).endShown);
    EXPECT_FALSE(formatRules(C::Day).endShown);
    EXPECT_STREQ("Start date:", formatRules(C::Day).dateCaption);
    EXPECT_STREQ("Start date:", formatRules(C::FlexiblePeriod).dateCaption);
    EXPECT_STREQ("Start date:", formatRules(C::ScanGroupDay).dateCaption);
    EXPECT_STREQ("Week includes:", formatRules(C::Week).dateCaption);
    EXPECT_STREQ("Week includes:", formatRules(C::ScanSingleWeek).dateCaption);
    EXPECT_STREQ("Month includes:", formatRules(C::ScanSingleMonth).dateCaption);
}

TEST(CalendarOptionsTest, PrintNeedsTheCoveringsEntryAStartAndAnOrderedPeriod) {
    EXPECT_TRUE(canPrint(choice(C::Day, C::AllResources)));
    EXPECT_FALSE(canPrint(choice(C::Day, C::OneResource)));
    EXPECT_FALSE(canPrint(choice(C::Day, C::Client, "   ")));  // blanks are no client
    EXPECT_TRUE(canPrint(choice(C::Day, C::Client, "ACME")));
    C noStart = choice(C::Day, C::AllResources);
    noStart.start = store::Date();
    EXPECT_FALSE(canPrint(noStart));
    // A covering the format does not allow never prints.
    EXPECT_FALSE(canPrint(choice(C::ScanSingleWeek, C::ResourceGroup, "G")));
    C flexible = choice(C::FlexiblePeriod, C::AllResources);
    EXPECT_FALSE(canPrint(flexible));  // no end date yet
    flexible.end = flexible.start - 1;
    EXPECT_FALSE(canPrint(flexible));
    flexible.end = flexible.start;
    EXPECT_TRUE(canPrint(flexible));
}

TEST(CalendarOptionsTest, EachFormatStartsItsReportWithItsArguments) {
    const booking::Words w;  // the system's own words
    EXPECT_EQ("DAYPORT(1,1,1,2026-03-04,2026-03-04,All Resources,)x1",
              describe(calendarReport(choice(C::Day, C::AllResources), w, false)));
    EXPECT_EQ("WEEKPORT(1,1,4,2026-03-04,2026-03-04,ACME,)x1",
              describe(calendarReport(choice(C::Week, C::Client, "ACME"), w, false)));
    C flexible = choice(C::FlexiblePeriod, C::OneResource, "ROOM1 ");
    flexible.end = flexible.start + 9;
    flexible.notes = false;
    EXPECT_EQ("FLEXPER(0,1,2,2026-03-04,2026-03-13,ROOM1,)x1",
              describe(calendarReport(flexible, w, false)));
    EXPECT_EQ("DAYRESRPT(1,1,1,2026-03-04,2026-03-04,All Resources,)x1",
              describe(calendarReport(choice(C::DayByResources, C::AllResources), w, false)));
    EXPECT_EQ("DAYRESGRPRPT(1,1,3,2026-03-04,2026-03-04,G,G)x1",
              describe(calendarReport(choice(C::DayByResources, C::ResourceGroup, "G"), w, false)));
    EXPECT_EQ("SCANGROUPRPT(1,1,3,2026-03-04,2026-03-04,G,G)x1",
              describe(calendarReport(choice(C::ScanGroupDay, C::ResourceGroup, "G"), w, false)));
    // USP:WEEKEND 1 picks the Monday-to-Friday sheets.
    EXPECT_EQ("SCANGROUPWEEKRPT", procedureName(*calendarReport(
                                      choice(C::ScanGroupWeek, C::ResourceGroup, "G"), w, false)));
    EXPECT_EQ("SCANGRPWEEKRPT2", procedureName(*calendarReport(
                                     choice(C::ScanGroupWeek, C::ResourceGroup, "G"), w, true)));
    EXPECT_EQ("SCANRESRPT", procedureName(*calendarReport(
                                choice(C::ScanSingleWeek, C::OneResource, "ROOM1"), w, false)));
    EXPECT_EQ("SCANRESRPT2", procedureName(*calendarReport(
                                 choice(C::ScanSingleWeek, C::OneResource, "ROOM1"), w, true)));
    // The month sheet prints the month that holds the start date.
    const auto month = calendarReport(choice(C::ScanSingleMonth, C::OneResource, "ROOM1"), w, true);
    EXPECT_EQ("SCANMONTHRPT(1,1,2,2026-03-04,2026-03-04,ROOM1,ROOM1)x1", describe(month));
    EXPECT_EQ(store::Date::fromMDY(3, 31, 2026), printedPeriod(month->scan, month->first).last);
    // Copies: once per copy when printed straight away; once in the preview, which prints
    // them all.
    C copies = choice(C::Day, C::AllResources);
    copies.copies = 3;
    EXPECT_EQ(1, calendarReport(copies, w, false)->runs);
    copies.preview = false;
    EXPECT_EQ(3, calendarReport(copies, w, false)->runs);
    // The organisation's own word names all resources.
    booking::Words rooms;
    rooms.resources = "Rooms";
    EXPECT_EQ("All Rooms", coveringText(choice(C::Day, C::AllResources), rooms));
    EXPECT_EQ("none", describe(calendarReport(choice(C::Day, C::OneResource), w, false)));
}

}  // namespace
}  // namespace reports::test

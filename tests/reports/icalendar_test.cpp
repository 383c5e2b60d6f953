// The calendar files: one event per occurrence with its own identifier, the booking's
// words and resources, local times with their zone, and every file read back with the
// calendar library.
#include "reports/icalendar.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <fstream>
#include <sstream>

#include "../booking/booking_fixture.h"

namespace reports::test {
namespace {

using booking::test::at;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

/// A VEVENT as read back: "UID|SUMMARY|DTSTART|DTEND|TZID|RESOURCES|CONTACT".
std::string describe(icalcomponent* ev) {
    const icaltimetype start = icalcomponent_get_dtstart(ev), end = icalcomponent_get_dtend(ev);
    icalproperty* dtstart = icalcomponent_get_first_property(ev, ICAL_DTSTART_PROPERTY);
    icalparameter* tzid = icalproperty_get_first_parameter(dtstart, ICAL_TZID_PARAMETER);
    // The library reads a list of resources back as one property per resource.
    std::string resources;
    for (icalproperty* p = icalcomponent_get_first_property(ev, ICAL_RESOURCES_PROPERTY); p;
         p = icalcomponent_get_next_property(ev, ICAL_RESOURCES_PROPERTY))
        resources += (resources.empty() ? "" : ",") + std::string(icalproperty_get_resources(p));
    icalproperty* contact = icalcomponent_get_first_property(ev, ICAL_CONTACT_PROPERTY);
    return std::string(icalcomponent_get_uid(ev)) + "|" + icalcomponent_get_summary(ev) + "|" +
           icaltime_as_ical_string(start) + "|" + icaltime_as_ical_string(end) + "|" +
           (tzid ? icalparameter_get_tzid(tzid) : (icaltime_is_utc(start) ? "UTC" : "floating")) +
           "|" + resources + "|" + (contact ? icalproperty_get_contact(contact) : "");
}

/// Every VEVENT of a file, described; the file must parse.
std::vector<std::string> readBack(const std::string& path, bool& hasZone) {
    std::vector<std::string> out;
    icalcomponent* cal = icalparser_parse_string(fileText(path).c_str());
    EXPECT_NE(nullptr, cal);
    if (!cal) return out;
    EXPECT_EQ(ICAL_VCALENDAR_COMPONENT, icalcomponent_isa(cal));
    hasZone = icalcomponent_get_first_component(cal, ICAL_VTIMEZONE_COMPONENT) != nullptr;
    for (icalcomponent* ev = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); ev;
         ev = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT))
        out.push_back(describe(ev));
    icalcomponent_free(cal);
    return out;
}

class ICalendarTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        addGroup(a, "G", {"ROOM1", "ROOM2"});
    }
};

TEST_F(ICalendarTest, AGroupsWeekIsWrittenOneEventPerOccurrenceAndReadsBack) {
    // On both rooms of the group, twice: two events, not four.
    const store::LONG both = book(db, "Board", {{"ROOM1", 1}, {"ROOM2", 1}},
                                  {{monday, at(9), at(10, 30)}, {monday + 2, at(9), at(10, 30)}});
    // Made to end at midnight below: the event ends on the next day.
    const store::LONG late = book(db, "Late", {{"ROOM2", 1}}, {{monday + 1, at(22), at(23)}});
    db.table(store::Tbl::ACTIVITY).clearBuffer();
    std::vector<CalendarEvent> events;
    std::string error;
    ASSERT_TRUE(readCalendarEvents(db, true, "G", store::Date(monday), store::Date(monday + 6),
                                   events, error))
        << error;
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(both, events[0].number);
    EXPECT_EQ((std::vector<std::string>{"ROOM1", "ROOM2"}), events[0].resources);
    EXPECT_EQ(late, events[1].number);
    // The occurrences of one booking differ by their date.
    EXPECT_NE(eventUid(events[0]), eventUid(events[2]));
    EXPECT_EQ(std::to_string(both) + "-20260302T0900@tembrix", eventUid(events[0]));
    events[1].end = store::Time::endOfDay();

    const std::string path = (dir.path / "week.ics").string();
    ASSERT_TRUE(writeICalendar(path, events, "Europe/Berlin", error)) << error;
    bool zone = false;
    const std::vector<std::string> read = readBack(path, zone);
    EXPECT_TRUE(zone);  // the zone's rules travel with the times
    const std::string n = std::to_string(both), l = std::to_string(late);
    EXPECT_EQ((std::vector<std::string>{
                  n + "-20260302T0900@tembrix|Board|20260302T090000|20260302T103000|"
                      "Europe/Berlin|ROOM1,ROOM2|ACME",
                  l + "-20260303T2200@tembrix|Late|20260303T220000|20260304T000000|"
                      "Europe/Berlin|ROOM2|ACME",
                  n + "-20260304T0900@tembrix|Board|20260304T090000|20260304T103000|"
                      "Europe/Berlin|ROOM1,ROOM2|ACME",
              }),
              read);
    EXPECT_NE(std::string::npos, fileText(path).find("VERSION:2.0"));
}

TEST_F(ICalendarTest, ZonesClientsAndFilesThatCannotBeWritten) {
    CalendarEvent e;
    e.number = 7;
    e.date = store::Date(monday);
    e.start = store::Time(at(14));
    e.end = store::Time(at(15));
    e.summary = "Visit, with \"quotes\"; and more";
    e.client = "Smith & Co";
    e.resources = {"ROOM1"};
    std::string error;
    // In UTC the times carry the UTC mark and no zone is needed.
    const std::string utc = (dir.path / "utc.ics").string();
    ASSERT_TRUE(writeICalendar(utc, {e}, "UTC", error)) << error;
    bool zone = true;
    EXPECT_EQ((std::vector<std::string>{"7-20260302T1400@tembrix|Visit, with \"quotes\"; and "
                                        "more|20260302T140000Z|20260302T150000Z|UTC|ROOM1|Smith "
                                        "& Co"}),
              readBack(utc, zone));
    EXPECT_FALSE(zone);
    // A zone the library does not know leaves the times as the workstation's own.
    const std::string floating = (dir.path / "floating.ics").string();
    ASSERT_TRUE(writeICalendar(floating, {e}, "Nowhere/Atlantis", error)) << error;
    const auto read = readBack(floating, zone);
    ASSERT_EQ(1u, read.size());
    EXPECT_NE(std::string::npos, read[0].find("|20260302T140000|20260302T150000|floating|"));
    // A folder that does not exist: refused with the path, nothing left behind.
    const std::string bad = (dir.path / "missing" / "x.ics").string();
    EXPECT_FALSE(writeICalendar(bad, {e}, "UTC", error));
    EXPECT_EQ(bad + " could not be written.", error);
}

}  // namespace
}  // namespace reports::test

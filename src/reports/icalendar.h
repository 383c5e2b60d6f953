#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scan/occupancy.h"
#include "store/datetime.h"

namespace store {
class Store;
}

namespace reports {

/// One occurrence of a booking as a calendar program receives it.
struct CalendarEvent {
    store::LONG number = 0;  // ACT:ACTNUMBER
    store::Date date;
    store::Time start, end;  // DAT:TIME, DAT:ENDTIME; an end not after the start is the next day's
    std::string summary;     // ACT:NAME
    std::string client;      // ACT:CLIENT
    std::vector<std::string> resources;  // every resource the booking uses
};

/// The events of the occurrences read for a scan: one per occurrence of a booking, however
/// many of the shown resources it uses, in date and time order. `resourcesOf` gives a
/// booking's resources; it is asked once per booking.
std::vector<CalendarEvent> calendarEvents(
    const scan::Occupancy& occupancy, const std::vector<std::string>& shown,
    const std::function<std::vector<std::string>(store::LONG number)>& resourcesOf);

/// The unique identifier of an occurrence: the booking number with the occurrence's date
/// and start ("1042-20260302T0900@tembrix"), so that every occurrence of a repeated booking
/// is an event of its own and exporting the same period again updates, not doubles, them.
std::string eventUid(const CalendarEvent& e);

/// The events as an iCalendar object (RFC 5545): one VEVENT per event with UID, SUMMARY,
/// CONTACT (the client), RESOURCES, DESCRIPTION (client and resources in words),
/// DTSTART and DTEND. `zone` is the workstation's time zone (an IANA name): the times are
/// local to it, marked with its TZID, and its VTIMEZONE is included; for "UTC" they are
/// written in UTC, and for a zone the calendar library does not know they are written as
/// floating local times.
std::string iCalendarText(const std::vector<CalendarEvent>& events, const std::string& zone);

/// Writes iCalendarText to path. False, with the reason in `error`, when the file cannot be
/// written; a partly written file is removed.
bool writeICalendar(const std::string& path, const std::vector<CalendarEvent>& events,
                    const std::string& zone, std::string& error);

/// Reads the bookings of a resource, or of a group's members, from `first` to `last` and
/// makes their events. Opens the tables it reads and closes them again. False with the
/// store's text in `error` when the store could not be read.
bool readCalendarEvents(store::Store& db, bool group, const std::string& name, store::Date first,
                        store::Date last, std::vector<CalendarEvent>& events, std::string& error);

}  // namespace reports

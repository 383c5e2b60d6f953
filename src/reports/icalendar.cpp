#include "reports/icalendar.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "booking/words.h"
#include "masterdata/group_save.h"
#include "scan/scans.h"
#include "store/relation_manager.h"
#include "store/store.h"

namespace reports {

namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : separator) + p;
    return out;
}

/// A local date and time of the calendar library, in `zone` (nullptr: floating).
icaltimetype localTime(store::Date date, store::Time time, icaltimezone* zone) {
    icaltimetype t = icaltime_null_time();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.is_date = 0;
    const long long hundredths = time.sinceMidnight();
    t.hour = int(hundredths / 360000);
    t.minute = int(hundredths / 6000 % 60);
    // Bookings are kept to the minute on every screen; stored seconds are not shown.
    t.second = 0;
    // 24:00 is midnight of the next day.
    t = icaltime_normalize(t);
    if (zone) t = icaltime_set_timezone(&t, zone);
    return t;
}

icalproperty* timeProperty(icalproperty* p, icaltimezone* zone, bool utc,
                           const std::string& zoneName) {
    if (zone && !utc) icalproperty_add_parameter(p, icalparameter_new_tzid(zoneName.c_str()));
    return p;
}

}  // namespace

std::vector<CalendarEvent> calendarEvents(
    const scan::Occupancy& occupancy, const std::vector<std::string>& shown,
    const std::function<std::vector<std::string>(store::LONG number)>& resourcesOf) {
    std::vector<CalendarEvent> out;
    std::set<std::tuple<store::LONG, store::LONG, store::LONG>> seen;
    std::map<store::LONG, std::vector<std::string>> resources;
    for (const std::string& r : shown) {
        for (const scan::Occurrence& o : occupancy.of(r)) {
            // A booking of several shown resources is one event, not one per resource.
            if (!seen.insert({o.number, o.date, o.start}).second) continue;
            auto it = resources.find(o.number);
            if (it == resources.end())
                it = resources
                         .emplace(o.number, resourcesOf ? resourcesOf(o.number)
                                                        : std::vector<std::string>{o.resource})
                         .first;
            CalendarEvent e;
            e.number = o.number;
            e.date = store::Date(o.date);
            e.start = store::Time(o.start);
            e.end = store::Time(o.end);
            e.summary = o.name;
            e.client = o.client;
            e.resources = it->second;
            out.push_back(std::move(e));
        }
    }
    std::sort(out.begin(), out.end(), [](const CalendarEvent& a, const CalendarEvent& b) {
        return std::tie(a.date, a.start, a.end, a.number) <
               std::tie(b.date, b.start, b.end, b.number);
    });
    return out;
}

std::string eventUid(const CalendarEvent& e) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d", e.date.year(), e.date.month(),
                  e.date.day(), e.start.hours(), e.start.minutes());
    return std::to_string(e.number) + "-" + stamp + "@tembrix";
}

std::string iCalendarText(const std::vector<CalendarEvent>& events, const std::string& zoneName) {
    icaltimezone* zone = nullptr;
    const bool utc = zoneName == "UTC" || zoneName == "Etc/UTC";
    if (utc)
        zone = icaltimezone_get_utc_timezone();
    else if (!zoneName.empty())
        zone = icaltimezone_get_builtin_timezone(zoneName.c_str());

    Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Tembrix//Bookings//EN"));
    icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
    if (zone && !utc) {
        // The zone's rules travel with the file, so the times mean the same elsewhere.
        if (icalcomponent* vtz = icaltimezone_get_component(zone)) {
            icalcomponent* copy = icalcomponent_new_clone(vtz);
            // The zone's own name as its TZID ("Europe/Berlin"), as calendar programs
            // write it, instead of the library's prefixed one.
            if (icalproperty* id = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY))
                icalproperty_set_tzid(id, zoneName.c_str());
            icalcomponent_add_component(cal.get(), copy);
        }
    }
    const icaltimetype now = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    for (const CalendarEvent& e : events) {
        icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(ev, icalproperty_new_uid(eventUid(e).c_str()));
        icalcomponent_add_property(ev, icalproperty_new_dtstamp(now));
        icalcomponent_add_property(ev, icalproperty_new_summary(e.summary.c_str()));
        const store::Date endDate = e.end <= e.start ? e.date + 1 : e.date;
        icalcomponent_add_property(
            ev, timeProperty(icalproperty_new_dtstart(localTime(e.date, e.start, zone)), zone, utc,
                             zoneName));
        icalcomponent_add_property(
            ev, timeProperty(icalproperty_new_dtend(localTime(endDate, e.end, zone)), zone, utc,
                             zoneName));
        if (!e.client.empty())
            icalcomponent_add_property(ev, icalproperty_new_contact(e.client.c_str()));
        if (!e.resources.empty())
            icalcomponent_add_property(
                ev, icalproperty_new_resources(joined(e.resources, ",").c_str()));
        std::string description;
        if (!e.client.empty()) description = booking::tr("Client") + ": " + e.client + "\n";
        description += booking::tr("Resources") + ": " + joined(e.resources, ", ") +
                       "\n#: " + std::to_string(e.number);
        icalcomponent_add_property(ev, icalproperty_new_description(description.c_str()));
        icalcomponent_add_component(cal.get(), ev);
    }
    char* text = icalcomponent_as_ical_string_r(cal.get());
    std::string out = text ? text : "";
    std::free(text);
    return out;
}

bool writeICalendar(const std::string& path, const std::vector<CalendarEvent>& events,
                    const std::string& zone, std::string& error) {
    const std::string text = iCalendarText(events, zone);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out) out << text;
        if (out && out.flush()) return true;
    }
    std::remove(path.c_str());
    error = booking::merge(booking::tr("%1 could not be written."), path);
    return false;
}

bool readCalendarEvents(store::Store& db, bool group, const std::string& name, store::Date first,
                        store::Date last, std::vector<CalendarEvent>& events, std::string& error) {
    std::vector<store::Tbl> opened;
    bool ok = true;
    for (store::Tbl t : {store::Tbl::ACTIVITY, store::Tbl::DATES, store::Tbl::RESACT,
                         store::Tbl::GROUP, store::Tbl::GROUPRES}) {
        if (db.Relate(t).OPEN() != store::Level_Benign) {
            ok = false;
            error = db.engine().status().message();
            break;
        }
        opened.push_back(t);
    }
    if (ok) {
        const std::vector<std::string> shown =
            group ? masterdata::groupMembers(db, name) : std::vector<std::string>{name};
        scan::Occupancy occupancy;
        ok = occupancy.load(db, shown, first, last);
        if (ok)
            events = calendarEvents(occupancy, shown, [&db](store::LONG number) {
                return scan::bookingResources(db, number);
            });
        else
            error = occupancy.error();
    }
    for (auto it = opened.rbegin(); it != opened.rend(); ++it) db.Relate(*it).CLOSE();
    return ok;
}

}  // namespace reports

#include "reports/calendar_options.h"

#include <algorithm>

namespace reports {

using C = CalendarChoice;

FormatRules formatRules(int format) {
    FormatRules r;
    switch (format) {
        case C::ScanGroupDay:
        case C::ScanGroupWeek:
            std::fill(std::begin(r.coverings), std::end(r.coverings), false);
            r.coverings[C::ResourceGroup] = true;
            break;
        case C::ScanSingleWeek:
        case C::ScanSingleMonth:
            std::fill(std::begin(r.coverings), std::end(r.coverings), false);
            r.coverings[C::OneResource] = true;
            break;
        case C::FlexiblePeriod:
            r.endShown = true;
            break;
        default:
            break;
    }
    switch (format) {
        case C::Week:
        case C::ScanGroupWeek:
        case C::ScanSingleWeek:
            r.dateCaption = "Week includes:";
            break;
        case C::ScanSingleMonth:
            r.dateCaption = "Month includes:";
            break;
        default:
            break;
    }
    return r;
}

int coveringAfter(int format, int covering) {
    switch (format) {
        case C::ScanGroupDay:
        case C::ScanGroupWeek:
            return C::ResourceGroup;
        case C::ScanSingleWeek:
        case C::ScanSingleMonth:
            return C::OneResource;
        case C::DayByResources:
            return covering == C::OneResource || covering == C::Client ? C::AllResources : covering;
        default:
            break;
    }
    return covering;
}

namespace {

bool blank(const std::string& s) {
    return booking::trim(s).empty();
}

}  // namespace

bool canPrint(const CalendarChoice& c) {
    if (c.format < C::Day || c.format > C::ScanSingleMonth) return false;
    if (!formatRules(c.format).coverings[std::clamp(c.covering, 0, 4)]) return false;
    if (c.covering == C::OneResource && blank(c.resource)) return false;
    if (c.covering == C::ResourceGroup && blank(c.group)) return false;
    if (c.covering == C::Client && blank(c.client)) return false;
    if (c.start.isNull()) return false;
    if (c.format == C::FlexiblePeriod && (c.end.isNull() || c.end < c.start)) return false;
    return true;
}

std::string coveringText(const CalendarChoice& c, const booking::Words& w) {
    switch (c.covering) {
        case C::OneResource:
            return booking::trim(c.resource);
        case C::ResourceGroup:
            return booking::trim(c.group);
        case C::Client:
            return booking::trim(c.client);
        default:
            break;
    }
    return booking::tr("All ") + booking::trim(w.resources);
}

std::optional<CalendarReport> calendarReport(const CalendarChoice& c, const booking::Words& w,
                                             bool weekdaysOnly) {
    if (!canPrint(c)) return std::nullopt;
    CalendarReport r;
    r.notes = c.notes;
    r.preview = c.preview;
    r.covering = c.covering;
    r.first = r.last = c.start;
    r.text = coveringText(c, w);
    r.runs = c.preview ? 1 : std::max(c.copies, 1);
    switch (c.format) {
        case C::Day:
            r.procedure = CalendarReport::DAYPORT;
            break;
        case C::DayByResources:
            // A covering of one resource or a client has fallen back to all resources.
            if (c.covering == C::ResourceGroup) {
                r.procedure = CalendarReport::DAYRESGRPRPT;
                r.name = booking::trim(c.group);
            } else {
                r.procedure = CalendarReport::DAYRESRPT;
            }
            break;
        case C::Week:
            r.procedure = CalendarReport::WEEKPORT;
            break;
        case C::FlexiblePeriod:
            r.procedure = CalendarReport::FLEXPER;
            r.last = c.end;
            break;
        case C::ScanGroupDay:
            r.procedure = CalendarReport::Scan;
            r.scan = ScanReport::SCANGROUPRPT;
            r.name = booking::trim(c.group);
            break;
        case C::ScanGroupWeek:
            r.procedure = CalendarReport::Scan;
            r.scan = weekReport(true, weekdaysOnly);
            r.name = booking::trim(c.group);
            break;
        case C::ScanSingleWeek:
            r.procedure = CalendarReport::Scan;
            r.scan = weekReport(false, weekdaysOnly);
            r.name = booking::trim(c.resource);
            break;
        case C::ScanSingleMonth:
            r.procedure = CalendarReport::Scan;
            r.scan = ScanReport::SCANMONTHRPT;
            r.name = booking::trim(c.resource);
            break;
    }
    return r;
}

std::string procedureName(const CalendarReport& r) {
    switch (r.procedure) {
        case CalendarReport::DAYPORT:
            return "DAYPORT";
        case CalendarReport::DAYRESRPT:
            return "DAYRESRPT";
        case CalendarReport::DAYRESGRPRPT:
            return "DAYRESGRPRPT";
        case CalendarReport::WEEKPORT:
            return "WEEKPORT";
        case CalendarReport::FLEXPER:
            return "FLEXPER";
        case CalendarReport::Scan:
            break;
    }
    return procedureName(r.scan);
}

}  // namespace reports

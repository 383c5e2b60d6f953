#pragma once

#include <optional>
#include <string>

#include "booking/words.h"
#include "reports/scan_sheets.h"
#include "store/datetime.h"

namespace reports {

/// What the calendar options window (CALENDARMAIN) holds: the period and format, what the
/// calendar covers, the dates, notes, preview and copies.
struct CalendarChoice {
    enum Format {
        Day = 1,
        DayByResources,
        Week,
        FlexiblePeriod,
        ScanGroupDay,
        ScanGroupWeek,
        ScanSingleWeek,
        ScanSingleMonth,
    };
    enum Covering { AllResources = 1, OneResource, ResourceGroup, Client };

    int format = Day;
    int covering = AllResources;
    std::string resource, group, client;
    store::Date start = store::today();
    store::Date end;  // the flexible period's last day
    bool notes = true;
    bool preview = true;
    int copies = 1;
};

/// How the window stands for a format: which coverings may be chosen, whether the end
/// date shows and what the date's caption says.
struct FormatRules {
    bool coverings[5] = {false, true, true, true, true};  // by Covering, [0] unused
    bool endShown = false;
    const char* dateCaption = "Start date:";
};
FormatRules formatRules(int format);

/// Choosing a format: the covering it forces (resource group for the group scans, one
/// resource for the single scans, all resources instead of one resource or a client for
/// "Day by resources"), else the covering as it was.
int coveringAfter(int format, int covering);

/// Whether "Print" may be pressed: the entry the covering needs is filled in, a start date
/// is given and a flexible period does not end before it starts.
bool canPrint(const CalendarChoice& c);

/// The text a listing names its selection by: "All " and the resource word (plural), the
/// resource, the group or the client.
std::string coveringText(const CalendarChoice& c, const booking::Words& w);

/// The report "Print" starts, with its arguments, as plain data.
struct CalendarReport {
    enum Procedure { DAYPORT, DAYRESRPT, DAYRESGRPRPT, WEEKPORT, FLEXPER, Scan };
    Procedure procedure = DAYPORT;
    ScanReport scan = ScanReport::SCANRESRPT;  // for Scan
    bool notes = true, preview = true;
    int covering = CalendarChoice::AllResources;
    store::Date first, last;
    std::string text;  // the covering text of the listings
    std::string name;  // the group or resource of DAYRESGRPRPT and the scans
    /// How many times it runs: once in the preview, from which every copy prints; the
    /// number of copies when printed straight away.
    int runs = 1;
};

/// The report for the window's choices; none when "Print" is not possible for them.
/// `weekdaysOnly` is the user's USP:WEEKEND, which picks the five-day week sheets.
std::optional<CalendarReport> calendarReport(const CalendarChoice& c, const booking::Words& w,
                                             bool weekdaysOnly);

/// The name a report run is known by ("DAYPORT", "SCANRESRPT2", ...).
std::string procedureName(const CalendarReport& r);

}  // namespace reports

#pragma once

#include <string>
#include <vector>

#include "scan/free_time.h"
#include "scan/occupancy.h"
#include "store/datetime.h"

namespace store {
class Store;
}

namespace reports {

/// What a utilization analysis covers: the period (both days included), the working day,
/// and whether actual times, weekends and special days count.
struct UtilizationQuestion {
    store::Date first, last;               // CalStart, CalEnd
    store::LONG dayStart = 0, dayEnd = 0;  // USP:BEGINDAY, USP:ENDDAY
    bool actual = false, weekends = false, specialDays = false;
    std::vector<scan::SpecialPeriod> specials;  // read when special days do not count
};

/// Whether a day is left out of every count: a weekend day when weekends do not count, a
/// day of a special period when special days do not.
bool excluded(const UtilizationQuestion& q, store::LONG date);
/// WORKDAYSAVAIL: the days of the period that are not left out; 0 for a period that ends
/// before it starts.
int WORKDAYSAVAIL(const UtilizationQuestion& q);

/// The figures of one resource (GETSTATS).
struct ResourceUtilization {
    long long bookedTime = 0;          // BOOKEDTIME: lengths × units, hundredths of a second
    long long workdayTime = 0;         // WORKDAYTIME: the parts inside the working day
    long long totalBookedHours = 0;    // "Total hours used"
    int workdaysAvail = 0;             // "Work days available"
    int workdaysBooked = 0;            // "Work days used"
    long long workdayHoursAvail = 0;   // "Work hours available"
    long long workdayHoursBooked = 0;  // "Work hours used"
    int percentDays = 0, percentHours = 0;
};

/// GETSTATS: the figures of a resource of `units` units from its occurrences in the period
/// (in date and time order). Total and available hours are weighed by units, the working
/// hours used are not. A zero divisor gives a percentage of 0.
ResourceUtilization GETSTATS(const UtilizationQuestion& q, int units,
                             const std::vector<scan::Occurrence>& occurrences);

/// How the group's per-resource hours are cut: the window rounds to the nearest hour, the
/// printed report drops the fraction.
enum class HourRounding { Nearest, Truncated };

/// One resource of a group (RESOURCEUTIL).
struct GroupRow {
    std::string resource;
    long long bookedTime = 0, workdayTime = 0;  // RESBOOKEDTIME, RESWORKDAYTIME
    long long totalHours = 0, workHours = 0;    // RESTOTHOURS, RESWORKHOURS
    int percent = 0;                            // RESPERCENT
};

/// The figures of a group (the group window's and report's summary, FINALSTATS).
struct GroupUtilization {
    std::vector<GroupRow> rows;
    int workdaysAvail = 0;       // WORKDAYSAVAIL of one resource
    int workdaysGroupAvail = 0;  // WORKDAYSGROUPAVAIL: of all the members together
    int workdaysBooked = 0;
    long long bookedTime = 0, workdayTime = 0;
    long long workdayHoursAvail = 0, workdayHoursBooked = 0, totalBookedHours = 0;
    int percentDays = 0, percentHours = 0;
};

/// The figures of a group of `members` from their occurrences in the period. Units do not
/// weigh; with actual times a day counts as used only where an actual start was recorded.
GroupUtilization groupUtilization(const UtilizationQuestion& q,
                                  const std::vector<std::string>& members,
                                  const scan::Occupancy& occupancy, HourRounding rounding);

/// Reads what an analysis needs through the occupancy model (one read per resource) and
/// computes it. DATES, RESACT, RESOURCE, GROUPRES and SPECIAL must be open. False, with the
/// engine's text in `error`, when the store could not be read.
bool resourceUtilization(store::Store& db, UtilizationQuestion q, const std::string& resource,
                         ResourceUtilization& out, std::string& error);
bool groupUtilization(store::Store& db, UtilizationQuestion q, const std::string& group,
                      HourRounding rounding, GroupUtilization& out, std::string& error);

}  // namespace reports

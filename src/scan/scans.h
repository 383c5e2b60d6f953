#pragma once

#include <string>
#include <vector>

#include "scan/occupancy.h"
#include "scan/scan_items.h"
#include "store/datetime.h"

namespace store {
class Store;
struct USERPREF;
}  // namespace store

namespace scan {

/// The logged-in user's settings a scan is drawn with (USP:BEGINDAY ... USP:SCANTEXT).
struct ScanPrefs {
    store::LONG beginDay = store::Time::fromHMS(8, 0).value;
    store::LONG endDay = store::Time::fromHMS(18, 0).value;
    store::LONG interval = store::Length::fromMinutes(15).value;
    int scanSize = 40;  // USP:SCANSIZE: the column width
    int height = 8;     // USP:HEIGHT: the row height H
    std::string scanText = "Client";

    static ScanPrefs of(const store::USERPREF& usp);
};

/// The single-resource scans widen USP:SCANSIZE by this factor, in tenths (fraction
/// dropped): 40 gives 60-unit day columns, wide enough for a booking's name in the
/// small text, and a week that fits the window at the default size.
inline constexpr int kSingleColumnFactorTenths = 15;
int singleColumnWidth(int scanSize);

/// The rows of the day grids: "Before", one per slot start before the day's end, "After".
int scanRows(const ScanPrefs& p);
/// The label of row r (1-based) of those rows.
std::string rowLabel(const ScanPrefs& p, int r);

/// The text a box carries under USP:SCANTEXT ("No Text", "Booking", "Client", "Mixed"),
/// with `mixedName` characters of the booking's name in "Mixed".
std::string boxText(const std::string& mode, const Occurrence& o, int mixedName = 6);

/// What a week scan shows beside the user's settings: the printed sheets of users who work
/// Monday to Friday show five days, the printed week names each day with its date, and
/// its "Mixed" box texts keep three characters of the booking's name.
struct WeekOptions {
    int days = 7;  // 7: Monday to Sunday; 5: Monday to Friday
    bool dated = false;
    int mixedName = 6;
};

/// SCANSINGLE: one resource's week, Monday to Sunday, of the week holding `reference`.
/// `occurrences` are the resource's, in drawing order; those outside the week are passed by.
ScanLayout layoutResourceWeek(const ScanPrefs& p, store::Date reference,
                              const std::vector<Occurrence>& occurrences, WeekOptions options = {});
/// SCANMONTH: one resource's month holding `reference`.
ScanLayout layoutResourceMonth(const ScanPrefs& p, store::Date reference,
                               const std::vector<Occurrence>& occurrences);
/// SCANGROUP: a group's day, one column per member in the order given.
ScanLayout layoutGroupDay(const ScanPrefs& p, store::Date day,
                          const std::vector<std::string>& members, const Occupancy& occupancy);
/// SCANGROUPWEEK: a group's week of seven day bands of six rows each.
ScanLayout layoutGroupWeek(const ScanPrefs& p, store::Date reference,
                           const std::vector<std::string>& members, const Occupancy& occupancy,
                           WeekOptions options = {});
/// SCANGROUPMONTH: a group's month as a chart of one row per member and one cell per day,
/// coloured by how many bookings the member has that day; only a cell of one booking
/// opens it.
ScanLayout layoutGroupMonth(const ScanPrefs& p, store::Date reference,
                            const std::vector<std::string>& members, const Occupancy& occupancy);

/// The five scans as the windows draw them: what to read, then the layout.
enum class ScanKind {
    ResourceWeek,
    ResourceMonth,
    GroupDay,
    GroupWeek,
    GroupMonth,
    GroupFree,       // SCANFREE: when a group's members are free
    PooledResource,  // SCANPOOLED: how much of a pooled resource is taken
};
/// Whether a scan shows a group (else one resource).
bool showsGroup(ScanKind kind);

/// The period a scan of `reference` shows: the week, the month or the day.
struct Period {
    store::Date first, last;
};
Period periodOf(ScanKind kind, store::Date reference);
/// The reference date after back (-1) or forward (+1): a week, a month (same day, its
/// overflow carried: forward from 31 January is early March) or a day.
store::Date step(ScanKind kind, store::Date reference, int direction);

/// The layout of a scan of `name` (a resource, or a group of `resources`) from what was
/// read; `capacity` is the units of a pooled resource.
ScanLayout layoutScan(ScanKind kind, const ScanPrefs& p, store::Date reference,
                      const std::string& name, const std::vector<std::string>& resources,
                      const Occupancy& occupancy, int capacity);
/// Reads what a scan of `name` (a resource, or a group for the group scans) shows and lays
/// it out. ACTIVITY, DATES, RESACT and GROUPRES must be open; their buffers are kept.
/// False, with the engine's text in `error`, when the store could not be read.
bool drawScan(store::Store& db, ScanKind kind, const ScanPrefs& p, const std::string& name,
              store::Date reference, ScanLayout& layout, std::string& error);

/// The codes of the resources a booking uses, in key order, for a box's tool tip.
std::vector<std::string> bookingResources(store::Store& db, store::LONG number);

}  // namespace scan

namespace scan {

/// The stored code of the resource an entry names (RES:RESOURCE_KEY); "" when none is on
/// file. The RESOURCE buffer then holds the record, as a look-up leaves it.
std::string findResource(store::Store& db, const std::string& typed);
/// The same for a group (GRO:GROUP_KEY).
std::string findGroup(store::Store& db, const std::string& typed);
/// RES:UNITS of a resource; -1 when it is not on file. The RESOURCE buffer is kept.
int resourceUnits(store::Store& db, const std::string& resource);

}  // namespace scan

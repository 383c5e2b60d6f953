#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "booking/words.h"
#include "reports/document.h"
#include "scan/scans.h"

namespace store {
class Store;
}

namespace reports {

/// The printed scans, each by the procedure that prints it.
enum class ScanReport {
    SCANRESRPT,        // one resource, Monday to Sunday
    SCANRESRPT2,       // one resource, Monday to Friday
    SCANMONTHRPT,      // one resource, one month
    SCANGROUPRPT,      // one group, one day
    SCANGROUPWEEKRPT,  // one group, Monday to Sunday
    SCANGRPWEEKRPT2,   // one group, Monday to Friday
};
/// The procedure's name, which is also the section of its progress window's placement.
const char* procedureName(ScanReport r);
/// Whether the report prints a group (else one resource).
bool printsGroup(ScanReport r);
/// The period the report of `reference` prints: its week, its month or the day itself.
scan::Period printedPeriod(ScanReport r, store::Date reference);
/// The week report of a resource or group for a user who works Monday to Friday
/// (USP:WEEKEND 1) or the whole week.
ScanReport weekReport(bool group, bool weekdaysOnly);

/// Where the items of a scan layout stand on paper. A layout is drawn in window units;
/// the sheet maps x to left + x·unitX and y to top + y·unitY thousandths of an inch, the
/// way the window maps them to pixels, and shows only the rows first to last of the
/// layout's time grid (what lies below the grid moves up under the last row shown).
struct Placement {
    double left = 0, top = 0;
    double unitX = 1, unitY = 1;
    int firstRow = 1, lastRow = 0;  // 0: to the grid's last row
    /// Printed font sizes: the layout's points times these, for labels and for the
    /// smaller texts of boxes and names.
    double labelPoints = 1, textPoints = 1;
    /// The fill of a booking box and the pen around every box (0: none).
    Rgb bookingFill = Rgb::fromPacked(0xFFFF);
    int boxPen = 10;
    /// How far a box's text stands inside the box's left edge.
    int textInset = 50;
};

/// Draws a scan layout's items onto a page: the lines first, then boxes, their texts and
/// the labels in the layout's order. Boxes that cross the first or last row shown are cut
/// there: a booking that runs past a page's last row reaches the page's grid bottom, one
/// that started on an earlier page begins at the first row.
void paintScan(Page& page, const scan::ScanLayout& layout, const Placement& at);

/// Rows of a printed day grid on one page, the "Before" row included.
inline constexpr int kRowsPerPage = 32;
/// The runs of rows the pages of a grid of `rows` rows show: rows 1 to 32, from 33 (the
/// time break) to 64, ..., the last run ending with the "After" row.
std::vector<std::pair<int, int>> rowPages(int rows);
/// The start of the first row of the second page: USP:BEGINDAY + 31 intervals.
store::LONG timeBreak(const scan::ScanPrefs& p);

/// Members of a group on one page of a group sheet.
inline constexpr int kMembersPerPage = 8;

/// Lays out a scan report from what was read: the resource or group `name` (with its
/// `members` for a group), the reference day and the occurrences. Pages are landscape;
/// each names the report, the day it was printed and "Page n/m".
Document scanSheet(ScanReport r, const scan::ScanPrefs& p, const booking::Words& w,
                   const std::string& name, store::Date reference,
                   const std::vector<std::string>& members, const scan::Occupancy& occupancy);

/// Reads what a scan report prints and lays it out: opens the tables it reads (ACTIVITY,
/// DATES, RESACT, GROUPRES) and closes them again. `step` is told the progress (0 to 2)
/// and may stop the work by returning false. False, with the store's text in `error`,
/// when the store could not be read; false with `error` empty when stopped.
bool readScanSheet(store::Store& db, ScanReport r, const std::string& name, store::Date reference,
                   Document& doc, std::string& error,
                   const std::function<bool(int)>& step = nullptr);

}  // namespace reports

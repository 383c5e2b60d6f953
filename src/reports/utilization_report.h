#pragma once

#include <string>

#include "reports/document.h"
#include "reports/utilization.h"

namespace reports {

/// What the printed analyses name beside their figures.
struct UtilizationHeading {
    std::string name;                      // the resource or group analysed
    std::string resourceWord;              // the organisation's word for a resource
    store::LONG dayStart = 0, dayEnd = 0;  // the system's working day (SYP:BEGINDAY, ENDDAY)
};

/// The bar chart of a group's utilization: for each resource, the work hours used against
/// the hours available to it. Drawn as items of a page inside `area`, so that the window
/// and the printed report show one and the same chart.
void utilizationChart(Page& page, Rect area, const GroupUtilization& g, store::LONG dayStart,
                      store::LONG dayEnd);

/// RESUTILRPT: one resource's analysis on one page.
Document RESUTILRPT(const UtilizationQuestion& q, const UtilizationHeading& h,
                    const ResourceUtilization& r);
/// GROUPUTILRPT: a group's analysis: a line per resource (hours with the fraction dropped),
/// the chart and the summary.
Document GROUPUTILRPT(const UtilizationQuestion& q, const UtilizationHeading& h,
                      const GroupUtilization& g);

/// The same figures as CSV (a header row, quoted fields, UTF-8), for a spreadsheet.
std::string utilizationCsv(const UtilizationHeading& h, const ResourceUtilization& r);
std::string utilizationCsv(const UtilizationHeading& h, const GroupUtilization& g);

/// The same figures as a table, the header row first.
std::vector<std::vector<std::string>> utilizationTable(const UtilizationHeading& h,
                                                       const ResourceUtilization& r);
std::vector<std::vector<std::string>> utilizationTable(const UtilizationHeading& h,
                                                       const GroupUtilization& g);

}  // namespace reports

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "booking/words.h"
#include "reports/document.h"
#include "scan/occupancy.h"
#include "store/datetime.h"

namespace store {
class Store;
}

namespace reports {

/// What a printed calendar covers.
enum class Covering { AllResources = 1, OneResource = 2, Group = 3, Client = 4 };

/// One booking line of a listing, with what its bands print besides the occurrence.
struct ListingLine {
    scan::Occurrence occurrence;
    /// The booking's other resources: "VAN, HALL - 2" (codes, and the units booked of a
    /// resource of more than one unit).
    std::string others;
    /// ACN:NOTES, read only when the notes are printed.
    std::string notes;
};

/// The bookings of one resource in a listing that breaks on the resource.
struct ResourceLines {
    std::string resource;
    std::vector<ListingLine> lines;
};

/// What every listing prints besides its lines.
struct ListingOptions {
    bool notes = false;   // "Include notes": a notes band under each booking
    bool actual = false;  // SYP:ACTUAL: the actual times and the "Scheduled" heading
};

/// The other-resources text: the codes of `others` trimmed, each followed by " - " and its
/// units when unitsOf tells that the resource has more than one unit, joined by ", ".
std::string otherResourcesText(const std::vector<std::pair<std::string, int>>& others,
                               const std::function<int(const std::string&)>& unitsOf);

/// Reads what DAYPORT, WEEKPORT and FLEXPER print: the occurrences from first to last
/// (both included) that the covering selects (text names the resource, group or client),
/// in date and start order, each occurrence once, with their other resources and, when
/// asked, their notes. `progress` is told the date reached and returns false to cancel;
/// false then, or with the engine's text in `error` when the store could not be read.
bool readCalendarListing(store::Store& db, Covering covering, const std::string& text,
                         store::Date first, store::Date last, bool notes,
                         std::vector<ListingLine>& lines,
                         const std::function<bool(store::Date)>& progress, std::string& error);

/// Reads what DAYRESRPT (group empty: every resource) and DAYRESGRPRPT print: for each
/// resource in resource order, its occurrences of the day in start order. `progress` is
/// told how many resources are done and returns false to cancel.
bool readDayByResource(store::Store& db, const std::string& group, store::Date day, bool notes,
                       std::vector<ResourceLines>& resources,
                       const std::function<bool(int done, int of)>& progress, std::string& error);

/// The titles: "Bookings For <text>" (DAYPORT, WEEKPORT, FLEXPER), "All Bookings Sorted
/// By Resource" (DAYRESRPT), "Bookings For <group> Sorted By Resource" (DAYRESGRPRPT).
std::string calendarTitle(const booking::Words& words, const std::string& text);
std::string dayByResourceTitle(const booking::Words& words, const std::string& group);

/// DAYPORT: the bookings of one day under the day in long date format.
Document DAYPORT(const std::string& title, store::Date day, const std::vector<ListingLine>& lines,
                 const booking::Words& words, const ListingOptions& options,
                 const TextMeasurer* measure = nullptr);
/// WEEKPORT: seven days from first, a date line over the bookings of each date.
Document WEEKPORT(const std::string& title, store::Date first,
                  const std::vector<ListingLine>& lines, const booking::Words& words,
                  const ListingOptions& options, const TextMeasurer* measure = nullptr);
/// FLEXPER: the bookings from first to last, a block each, under "From … To …".
Document FLEXPER(const std::string& title, store::Date first, store::Date last,
                 const std::vector<ListingLine>& lines, const booking::Words& words,
                 const ListingOptions& options, const TextMeasurer* measure = nullptr);
/// DAYRESRPT and DAYRESGRPRPT: a heading per resource, its bookings of the day under it.
Document DAYRESRPT(const std::string& title, store::Date day,
                   const std::vector<ResourceLines>& resources, const booking::Words& words,
                   const ListingOptions& options, const TextMeasurer* measure = nullptr);

}  // namespace reports

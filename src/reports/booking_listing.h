#pragma once

#include <functional>
#include <string>
#include <vector>

#include "booking/words.h"
#include "reports/document.h"
#include "scan/booking_lists.h"

namespace reports {

/// The title of a listing of the bookings browse: "Bookings By Date From … To …", or
/// "Bookings For <resource, client or group> From … To …".
std::string listingTitle(scan::BookingList::Kind kind, const booking::Words& words,
                         const std::string& selection, store::Date first, store::Date last);

/// Reads the occurrences of a browse list from `first` to `last` (both included), through
/// the same pages the browse reads. `progress` is told the date reached and returns false
/// to cancel; false then, or with the engine's text in `error` when the store could not be
/// read.
bool readListing(store::Store& db, scan::BookingList::Kind kind, const std::string& selection,
                 store::Date first, store::Date last, std::vector<scan::Occurrence>& rows,
                 const std::function<bool(store::Date)>& progress, std::string& error);

/// BYDATERPT, BYRESOURCERPT, BYCLIENTRPT and BYGROUPRPT: a line per occurrence (date and
/// weekday on the first line of each date, start, end, name, client, primary resource and
/// units) under the title, "Report date:" in the footer.
Document bookingListing(const std::string& title, const booking::Words& words,
                        const std::vector<scan::Occurrence>& rows);

}  // namespace reports

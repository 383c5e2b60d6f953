#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "booking/delete.h"
#include "scan/occupancy.h"
#include "store/datetime.h"
#include "store/engine.h"

namespace store {
class Store;
}

namespace scan {

/// The occurrences of one list of the bookings browse from a date on, in date, start, end
/// and booking order, read forward a page at a time: nothing before the first date is
/// read, and no list holds more than the pages the user has scrolled through.
class BookingList {
  public:
    enum Kind {
        ByDate,      // every booking
        ByResource,  // the bookings of one resource
        ByClient,    // those of one client
        ByGroup,     // those of the resources of one group, each occurrence once
    };

    /// `selection` is the resource, client or group (unused by ByDate). ACTIVITY, DATES,
    /// RESACT and GROUPRES must be open; their buffers are kept.
    BookingList(store::Store& db, Kind kind, std::string selection, store::Date from);

    /// Appends up to n further rows; false, with the engine's text in error(), when the store
    /// could not be read.
    bool more(int n, std::vector<Occurrence>& out);
    bool atEnd() const { return atEnd_; }
    /// The booking of a listed occurrence as the list read it (its ACTIVITY record and
    /// position), so that a change or delete can tell whether another station changed it
    /// since; nullptr for a booking not listed.
    const booking::ListedBooking* listed(store::LONG number) const;
    const std::string& error() const { return error_; }

  private:
    bool moreByDate(int n, std::vector<Occurrence>& out);
    /// Reads the next stretch of days for the other lists.
    bool readWindow();

    store::Store& db_;
    Kind kind_;
    std::string selection_;
    std::vector<std::string> members_;
    store::Date next_;  // the first day not read yet
    store::Date last_;  // the last day any occurrence is on
    int span_ = 14;     // days read at once, growing while they hold few occurrences
    std::vector<Occurrence> pending_;
    std::map<store::LONG, booking::ListedBooking> listed_;
    std::size_t handed_ = 0;
    // ByDate: where the walk stopped.
    std::vector<std::byte> lastRecord_;
    store::RecordPosition lastPosition_;
    bool atEnd_ = false;
    std::string error_;
};

/// Whether row `row` of a list shows its day and date: the first row, and the first row of
/// each further date.
bool showsDay(const std::vector<Occurrence>& rows, std::size_t row);

/// RACREFRESH: the resources of a booking other than its primary one, with their units, in
/// resource order. The RESACT buffer is kept.
std::vector<std::pair<std::string, int>> otherResources(store::Store& db, store::LONG number,
                                                        const std::string& prime);

}  // namespace scan

namespace scan {

/// The stored name of the client an entry names (CLI:CLIENT_KEY); "" when none is on file.
/// The CLIENT buffer then holds the record, as a look-up leaves it.
std::string findClient(store::Store& db, const std::string& typed);

}  // namespace scan

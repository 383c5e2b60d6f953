#pragma once

#include <string>
#include <utility>
#include <vector>

#include "booking/pool.h"
#include "scan/occupancy.h"
#include "store/questions.h"

namespace store {
class Store;
}

namespace booking {

/// Another booking's occurrence of a resource, as the collision look-up finds it.
struct BookedOccurrence {
    OtherOccurrence occurrence;
    store::LONG number = 0;  // the other booking's ACT:ACTNUMBER
};

/// One finding of the collision and pool rules for an occurrence on one resource.
struct Finding {
    store::ConflictKind kind = store::OtherBooking;  // OtherBooking or PoolExceeded
    OtherOccurrence shown;                           // the other occurrence the user is shown
    store::LONG number = 0;  // OtherBooking: the other booking's ACT:ACTNUMBER
    int unitsWanted = 0;     // PoolExceeded: the units this occurrence wants,
    int unitsTaken = 0;      // those booked already at the busiest instant,
    int capacity = 0;        // and the resource's units
};

/// The one decision of the booking checks for occurrence [start, end) of `date` on a
/// resource of `capacity` units, wanting `units` of it, against the other bookings of
/// that day: for a single resource (capacity 1 or less) every other booking that collides,
/// in the order given; for a pooled one, at most one finding, when its busiest instant
/// exceeds the capacity. The dialogue before the save and the second look under the lock
/// both ask this, so that they can never disagree.
std::vector<Finding> findConflicts(int capacity, int units, store::LONG date, store::LONG start,
                                   store::LONG end, const std::vector<BookedOccurrence>& day);

/// The occurrences of other bookings that use the given resources within a period, read
/// through the occupancy model: once per resource with one indexed statement, then looked
/// up per date in memory. A check of every day of a year therefore costs one read per
/// resource, not one per day.
class CollisionIndex {
  public:
    /// Reads the occurrences of `resources` from `low` to `high` (dates, both included),
    /// leaving out booking `own` (0 for none). RESACT and DATES must be open.
    /// False with the engine's error text in error() when the store could not be read.
    bool load(store::Store& db, const std::vector<std::string>& resources, store::LONG low,
              store::LONG high, store::LONG own);
    /// The other bookings' occurrences of `resource` on `date`, in start order.
    std::vector<BookedOccurrence> on(const std::string& resource, store::LONG date) const;
    const std::string& error() const { return occupancy_.error(); }

  private:
    scan::Occupancy occupancy_;
};

}  // namespace booking

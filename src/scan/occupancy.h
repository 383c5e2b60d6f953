#pragma once

#include <map>
#include <string>
#include <vector>

#include "store/datetime.h"
#include "store/engine.h"
#include "store/fixed_string.h"
#include "store/tables.h"

namespace store {
class Store;
}

namespace scan {

/// One occurrence of a booking on one of its resources, with what a view shows of the
/// booking.
struct Occurrence {
    store::LONG number = 0;                      // DAT:ACTNUMBER
    store::LONG date = 0;                        // DAT:DATE
    store::LONG start = 0;                       // DAT:TIME
    store::LONG end = 0;                         // DAT:ENDTIME
    store::LONG actualStart = 0, actualEnd = 0;  // DAT:ACTUALSTART, DAT:ACTUALEND
    int units = 0;                               // RAC:UNITS of the resource
    std::string resource;                        // RAC:RESOURCE
    std::string name;                            // ACT:NAME, without trailing blanks
    std::string client;                          // ACT:CLIENT, likewise
    std::string prime;                           // ACT:PRIME, the booking's primary resource
    int primeUnits = 0;                          // ACT:UNITS, the units of the primary resource
};

/// Orders occurrences by date, start, end and booking number: the order in which the
/// views draw them, later ones on top.
bool drawnBefore(const Occurrence& a, const Occurrence& b);

/// Which occurrences touch a set of resources in a period: the one read under every view
/// of bookings (scans, availability, utilization, alerts) and under the booking checks.
/// Each resource costs one indexed statement (its RESACT records, each with its booking's
/// DATES in the period and, when asked, the booking's ACTIVITY record); nothing is read
/// per occurrence and no table is scanned.
class Occupancy {
  public:
    /// What a load reads besides the occurrences themselves.
    enum Detail { TimesOnly, WithBookings };

    /// Reads the occurrences of `resources` from `low` to `high` (dates, both included),
    /// leaving out booking `leaveOut` (0 for none). RESACT and DATES (and ACTIVITY
    /// WithBookings) must be open; their record buffers and positions are kept as they
    /// were. A resource code is exact: "room1" is another resource than "ROOM1". False,
    /// with the engine's text in error(), when the store could not be read; the model is
    /// then empty.
    bool load(store::Store& db, const std::vector<std::string>& resources, store::Date low,
              store::Date high, Detail detail = WithBookings, store::LONG leaveOut = 0);

    /// The occurrences of one resource, in drawing order (drawnBefore); empty for a
    /// resource that was not loaded.
    const std::vector<Occurrence>& of(const std::string& resource) const;
    /// Those of them on one date.
    std::vector<const Occurrence*> on(const std::string& resource, store::LONG date) const;
    /// WithBookings: a booking's ACTIVITY record as it was read, and where; nullptr for one
    /// that was not read.
    const store::ACTIVITY* booking(store::LONG number, store::RecordPosition* at = nullptr) const;
    /// How many occurrence-and-resource pairs were read.
    std::size_t size() const { return size_; }
    const std::string& error() const { return error_; }

  private:
    std::map<std::string, std::vector<Occurrence>> byResource_;
    std::map<store::LONG, std::pair<store::ACTIVITY, store::RecordPosition>> bookings_;
    std::size_t size_ = 0;
    std::string error_;
};

}  // namespace scan

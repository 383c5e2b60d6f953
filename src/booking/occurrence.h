#pragma once

#include <vector>

#include "store/fixed_string.h"

namespace booking {

/// One occurrence of a booking as the booking form holds it before saving: a date with
/// its start and end time (a DATES record to be).
struct Occurrence {
    store::LONG date = 0;
    store::LONG start = 0;
    store::LONG end = 0;

    friend bool operator==(const Occurrence&, const Occurrence&) = default;
};

using Occurrences = std::vector<Occurrence>;

/// The end of the day that a multi-day booking's inner days run to.
inline constexpr store::LONG kEndOfDay = 8639000;

}  // namespace booking

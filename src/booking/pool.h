#pragma once

#include <vector>

#include "store/fixed_string.h"

namespace booking {

/// Another booking's occurrence of a resource on the date being checked.
struct OtherOccurrence {
    store::LONG date = 0;
    store::LONG start = 0;
    store::LONG end = 0;
    int units = 1;
};

/// Whether another occurrence collides with [start, end): both comparisons are strict, so
/// one that ends exactly when the other starts does not collide.
inline bool collides(const OtherOccurrence& other, store::LONG start, store::LONG end) {
    return other.start < end && other.end > start;
}

/// What the capacity check of a pooled resource found for one occurrence.
struct PoolResult {
    bool exceeded = false;
    int peak = 0;       // the most units in use at any one instant of the occurrence
    int reported = -1;  // the other occurrence shown to the user; -1 when none is involved
};

/// POOLCHECK: the units in use at the busiest instant of [start, end), own units
/// included, against the resource's capacity. Exact over the whole occurrence and over
/// every overlapping booking, however many; also exceeded when the own units alone are
/// more than the capacity. An occurrence counts exactly when it collides by collides():
/// one of no length at the instant it stands for, one that ends before it starts over
/// the span between its times, so that a pool of capacity 1 reports what a single
/// resource would. The reported occurrence is the one whose start makes the
/// busiest instant, so that the user is shown one booking per resource and occurrence.
PoolResult POOLCHECK(int capacity, int ownUnits, store::LONG start, store::LONG end,
                     const std::vector<OtherOccurrence>& others);

}  // namespace booking

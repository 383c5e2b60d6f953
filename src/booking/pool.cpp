#include "booking/pool.h"

#include <algorithm>

namespace booking {

PoolResult POOLCHECK(int capacity, int ownUnits, store::LONG start, store::LONG end,
                     const std::vector<OtherOccurrence>& others) {
    PoolResult result;
    result.peak = ownUnits;
    // Sweep the moments where the load changes: each overlapping occurrence adds its
    // units from its start (or ours, whichever is later) and takes them away at its end.
    struct Event {
        store::LONG at;
        int delta;
        int index;
    };
    std::vector<Event> events;
    for (int i = 0; i < int(others.size()); ++i) {
        const OtherOccurrence& o = others[i];
        if (!collides(o, start, end)) continue;
        events.push_back({std::max(o.start, start), o.units, i});
        events.push_back({std::min(o.end, end), -o.units, i});
    }
    // At one instant the ends come before the starts: touching occurrences do not overlap.
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.at != b.at ? a.at < b.at : a.delta < b.delta;
    });
    int load = ownUnits;
    for (const Event& e : events) {
        load += e.delta;
        if (load > result.peak) {
            result.peak = load;
            result.reported = e.index;
        }
    }
    result.exceeded = result.peak > capacity;
    if (!result.exceeded) result.reported = -1;
    return result;
}

}  // namespace booking

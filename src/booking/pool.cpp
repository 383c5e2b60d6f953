#include "booking/pool.h"

#include <algorithm>

namespace booking {

namespace {

/// The instants an occurrence stands for, on a line of doubled times so that both the
/// times themselves (even) and the moments between them (odd) have a place, as a closed
/// range [from, to]. An ordinary occurrence holds the moments strictly between its start
/// and its end; one of no length holds its single instant; one whose end comes before its
/// start (data of earlier releases holds such times) holds the span between its two
/// times, both included: another occurrence collides with it only when it covers that
/// whole span, so the span is where the two are in use together.
struct Span {
    long long from, to;
};

Span spanOf(store::LONG start, store::LONG end) {
    const long long s = 2LL * start, e = 2LL * end;
    if (start < end) return {s + 1, e - 1};
    if (start == end) return {s, s};
    return {e, s};
}

}  // namespace

PoolResult POOLCHECK(int capacity, int ownUnits, store::LONG start, store::LONG end,
                     const std::vector<OtherOccurrence>& others) {
    PoolResult result;
    result.peak = ownUnits;
    // Sweep the moments where the load changes: each colliding occurrence adds its units
    // where its span meets ours and takes them away after. Only occurrences that collide
    // by the collision rule count, and each of them meets our span somewhere, so a pooled
    // resource reports whatever a single one would.
    const Span own = spanOf(start, end);
    struct Event {
        long long at;
        int delta;
        int index;
    };
    std::vector<Event> events;
    for (int i = 0; i < int(others.size()); ++i) {
        const OtherOccurrence& o = others[i];
        if (!collides(o, start, end)) continue;
        const Span span = spanOf(o.start, o.end);
        const long long from = std::max(span.from, own.from), to = std::min(span.to, own.to);
        if (from > to) continue;
        events.push_back({from, o.units, i});
        events.push_back({to + 1, -o.units, i});
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

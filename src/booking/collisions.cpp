#include "booking/collisions.h"

#include <algorithm>

namespace booking {

bool CollisionIndex::load(store::Store& db, const std::vector<std::string>& resources,
                          store::LONG low, store::LONG high, store::LONG own) {
    return occupancy_.load(db, resources, store::Date(low), store::Date(high),
                           scan::Occupancy::TimesOnly, own);
}

std::vector<BookedOccurrence> CollisionIndex::on(const std::string& resource,
                                                 store::LONG date) const {
    std::vector<BookedOccurrence> out;
    for (const scan::Occurrence* o : occupancy_.on(resource, date))
        out.push_back({{o->date, o->start, o->end, o->units}, o->number});
    return out;
}

std::vector<Finding> findConflicts(int capacity, int units, store::LONG date, store::LONG start,
                                   store::LONG end, const std::vector<BookedOccurrence>& day) {
    std::vector<Finding> out;
    if (capacity <= 1) {
        for (const BookedOccurrence& b : day)
            if (collides(b.occurrence, start, end))
                out.push_back({store::OtherBooking, b.occurrence, b.number});
        return out;
    }
    std::vector<OtherOccurrence> others;
    for (const BookedOccurrence& b : day) others.push_back(b.occurrence);
    const int wanted = std::max(units, 1);
    const PoolResult pool = POOLCHECK(capacity, wanted, start, end, others);
    if (!pool.exceeded) return out;
    Finding f;
    f.kind = store::PoolExceeded;
    f.shown = pool.reported >= 0 ? others[pool.reported] : OtherOccurrence{date, start, end, units};
    f.unitsWanted = wanted;
    f.unitsTaken = pool.peak - wanted;
    f.capacity = capacity;
    out.push_back(f);
    return out;
}

}  // namespace booking

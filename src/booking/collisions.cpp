#include "booking/collisions.h"

#include <algorithm>

#include "scan/occupancy.h"

namespace booking {

bool CollisionIndex::load(store::Store& db, const std::vector<std::string>& resources,
                          store::LONG low, store::LONG high, store::LONG own) {
    byDay_.clear();
    error_.clear();
    scan::Occupancy occupancy;
    if (!occupancy.load(db, resources, store::Date(low), store::Date(high),
                        scan::Occupancy::TimesOnly, own)) {
        error_ = occupancy.error();
        return false;
    }
    for (const std::string& resource : resources)
        for (const scan::Occurrence& o : occupancy.of(resource)) {
            BookedOccurrence b;
            b.occurrence = {o.date, o.start, o.end, o.units};
            b.number = o.number;
            byDay_[{resource, o.date}].push_back(b);
        }
    return true;
}

const std::vector<BookedOccurrence>& CollisionIndex::on(const std::string& resource,
                                                        store::LONG date) const {
    static const std::vector<BookedOccurrence> none;
    auto it = byDay_.find({resource, date});
    return it == byDay_.end() ? none : it->second;
}

std::vector<BookedOccurrence> CollisionIndex::colliding(const std::string& resource,
                                                        store::LONG date, store::LONG start,
                                                        store::LONG end) const {
    std::vector<BookedOccurrence> out;
    for (const BookedOccurrence& b : on(resource, date))
        if (collides(b.occurrence, start, end)) out.push_back(b);
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

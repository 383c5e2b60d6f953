#include "booking/collisions.h"

#include "store/engine.h"
#include "store/store.h"

namespace booking {

using store::Tbl;

bool CollisionIndex::load(store::Store& db, const std::vector<std::string>& resources,
                          store::LONG low, store::LONG high, store::LONG own) {
    byDay_.clear();
    error_.clear();
    store::JoinQuery q;
    q.outerKey = store::RAC::RESOURCE_KEY;
    q.outerEqual = 1;
    q.innerKey = store::DAT::ACTDATES_KEY;
    q.links = {{store::RAC::ACTNUMBER - 1, store::DAT::ACTNUMBER - 1}};
    q.rangeField = store::DAT::DATE - 1;
    q.low = low;
    q.high = high;
    store::Engine& e = db.engine();
    for (const std::string& resource : resources) {
        db.RAC.RESOURCE = resource;
        // The key ignores case; a resource code is exact, so "room1" is another resource.
        const int rc = e.join(db.table(Tbl::RESACT), db.table(Tbl::DATES), q, [&] {
            if (db.RAC.ACTNUMBER != own && db.RAC.RESOURCE == resource) {
                BookedOccurrence b;
                b.occurrence = {db.DAT.DATE, db.DAT.TIME, db.DAT.ENDTIME, db.RAC.UNITS};
                b.number = db.RAC.ACTNUMBER;
                byDay_[{resource, db.DAT.DATE}].push_back(b);
            }
            return true;
        });
        if (rc != 0) {
            error_ = e.status().message();
            return false;
        }
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

}  // namespace booking

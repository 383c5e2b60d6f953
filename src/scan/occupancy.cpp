#include "scan/occupancy.h"

#include <algorithm>
#include <tuple>

#include "store/file_manager.h"
#include "store/kept_buffer.h"

namespace scan {

using store::Tbl;

bool drawnBefore(const Occurrence& a, const Occurrence& b) {
    return std::tie(a.date, a.start, a.end, a.number) < std::tie(b.date, b.start, b.end, b.number);
}

namespace {

/// Puts occurrences in drawing order by sorting small keys and moving each occurrence once:
/// an occurrence carries several texts, and a year of a resource holds thousands of them.
void sortForDrawing(std::vector<Occurrence>& list) {
    using Key = std::tuple<store::LONG, store::LONG, store::LONG, store::LONG, std::size_t>;
    std::vector<Key> keys;
    keys.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        keys.emplace_back(list[i].date, list[i].start, list[i].end, list[i].number, i);
    if (std::is_sorted(keys.begin(), keys.end())) return;
    std::sort(keys.begin(), keys.end());
    std::vector<Occurrence> sorted;
    sorted.reserve(list.size());
    for (const Key& k : keys) sorted.push_back(std::move(list[std::get<4>(k)]));
    list.swap(sorted);
}

}  // namespace

bool Occupancy::load(store::Store& db, const std::vector<std::string>& resources, store::Date low,
                     store::Date high, Detail detail, store::LONG leaveOut) {
    byResource_.clear();
    bookings_.clear();
    size_ = 0;
    error_.clear();
    const bool withBookings = detail == WithBookings;
    // Tables opened lazily by their windows are opened for real at their first read.
    for (Tbl t : {Tbl::RESACT, Tbl::DATES, Tbl::ACTIVITY}) {
        if (t == Tbl::ACTIVITY && !withBookings) continue;
        if (db.Access(t).USEFILE() != store::Level_Benign) {
            error_ = db.engine().status().message();
            return false;
        }
    }
    store::KeptBuffer rac(db, Tbl::RESACT), dat(db, Tbl::DATES), act(db, Tbl::ACTIVITY);

    store::JoinQuery q;
    q.outerKey = store::RAC::RESOURCE_KEY;
    q.outerEqual = 1;
    q.innerKey = store::DAT::ACTDATES_KEY;
    q.links = {{store::RAC::ACTNUMBER, store::DAT::ACTNUMBER}};
    q.rangeField = store::DAT::DATE;
    q.low = low.value;
    q.high = high.value;
    q.lookupKey = store::ACT::ACTNUMBER_KEY;
    q.lookupLinks = {{store::RAC::ACTNUMBER, store::ACT::ACTNUMBER}};
    store::Engine& e = db.engine();
    store::Table* lookup = withBookings ? &db.table(Tbl::ACTIVITY) : nullptr;
    for (const std::string& resource : resources) {
        if (byResource_.count(resource)) continue;
        std::vector<Occurrence>& list = byResource_[resource];
        db.RAC.RESOURCE = resource;
        // The key ignores case; a resource code is exact, so "room1" is another resource.
        const int rc = e.join(
            db.table(Tbl::RESACT), db.table(Tbl::DATES), q,
            [&] {
                if (db.RAC.ACTNUMBER == leaveOut && leaveOut != 0) return true;
                if (db.RAC.RESOURCE != resource) return true;
                Occurrence& o = list.emplace_back();
                o.number = db.DAT.ACTNUMBER;
                o.date = db.DAT.DATE;
                o.start = db.DAT.TIME;
                o.end = db.DAT.ENDTIME;
                o.actualStart = db.DAT.ACTUALSTART;
                o.actualEnd = db.DAT.ACTUALEND;
                o.units = db.RAC.UNITS;
                o.resource = resource;
                if (withBookings) {
                    o.name = db.ACT.NAME.str();
                    o.client = db.ACT.CLIENT.str();
                    o.prime = db.ACT.PRIME.str();
                    o.primeUnits = db.ACT.UNITS;
                    bookings_.try_emplace(o.number, db.ACT, db.table(Tbl::ACTIVITY).position());
                }
                return true;
            },
            lookup);
        if (rc != 0) {
            error_ = e.status().message();
            byResource_.clear();
            size_ = 0;
            return false;
        }
        sortForDrawing(list);
        size_ += list.size();
    }
    return true;
}

const std::vector<Occurrence>& Occupancy::of(const std::string& resource) const {
    static const std::vector<Occurrence> none;
    auto it = byResource_.find(resource);
    return it == byResource_.end() ? none : it->second;
}

const store::ACTIVITY* Occupancy::booking(store::LONG number, store::RecordPosition* at) const {
    auto it = bookings_.find(number);
    if (it == bookings_.end()) return nullptr;
    if (at) *at = it->second.second;
    return &it->second.first;
}

std::vector<const Occurrence*> Occupancy::on(const std::string& resource, store::LONG date) const {
    const std::vector<Occurrence>& all = of(resource);
    auto first = std::lower_bound(all.begin(), all.end(), date,
                                  [](const Occurrence& o, store::LONG d) { return o.date < d; });
    std::vector<const Occurrence*> out;
    for (auto it = first; it != all.end() && it->date == date; ++it) out.push_back(&*it);
    return out;
}

}  // namespace scan

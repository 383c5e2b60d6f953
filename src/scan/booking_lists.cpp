#include "scan/booking_lists.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "masterdata/group_save.h"
#include "store/file_manager.h"
#include "store/kept_buffer.h"

namespace scan {

using store::LONG;
using store::Tbl;

namespace {

constexpr int kLongestSpan = 512;

/// The last day any occurrence is on: the end of DAT:DATETIME_KEY.
store::Date lastOccurrenceDay(store::Store& db) {
    store::KeptBuffer kept(db, Tbl::DATES);
    store::Table& t = db.table(Tbl::DATES);
    if (db.engine().set(t, store::DAT::DATETIME_KEY) != 0 || db.engine().previous(t) != 0)
        return store::Date();
    return store::Date(db.DAT.DATE);
}

}  // namespace

BookingList::BookingList(store::Store& db, Kind kind, std::string selection, store::Date from)
    : db_(db), kind_(kind), selection_(std::move(selection)), next_(from) {
    for (Tbl t : {Tbl::DATES, Tbl::ACTIVITY, Tbl::RESACT, Tbl::GROUPRES})
        if (db_.Access(t).USEFILE() != store::Level_Benign) {
            error_ = db_.engine().status().message();
            atEnd_ = true;
            return;
        }
    last_ = lastOccurrenceDay(db_);
    if (kind_ != ByDate && selection_.empty()) atEnd_ = true;
    if (kind_ == ByGroup) members_ = masterdata::groupMembers(db_, selection_);
    if (kind_ == ByGroup && members_.empty()) atEnd_ = true;
}

bool BookingList::more(int n, std::vector<Occurrence>& out) {
    if (!error_.empty()) return false;
    if (atEnd_) return true;
    if (kind_ == ByDate) return moreByDate(n, out);
    while (pending_.size() - handed_ < std::size_t(n) && !next_.isNull() && next_ <= last_)
        if (!readWindow()) return false;
    const std::size_t take = std::min(pending_.size() - handed_, std::size_t(n));
    out.insert(out.end(), pending_.begin() + long(handed_),
               pending_.begin() + long(handed_ + take));
    handed_ += take;
    if (handed_ == pending_.size()) {
        pending_.clear();
        handed_ = 0;
        if (next_.isNull() || next_ > last_) atEnd_ = true;
    }
    return true;
}

bool BookingList::moreByDate(int n, std::vector<Occurrence>& out) {
    store::KeptBuffer dates(db_, Tbl::DATES), act(db_, Tbl::ACTIVITY);
    store::Engine& e = db_.engine();
    store::Table& t = db_.table(Tbl::DATES);
    int rc;
    if (lastRecord_.empty()) {
        t.clearBuffer();
        db_.DAT.DATE = next_.value;
        rc = e.setAtValue(t, store::DAT::DATETIME_KEY, 1);
    } else {
        rc = e.setAt(t, store::DAT::DATETIME_KEY, lastRecord_.data(), lastPosition_);
    }
    std::vector<Occurrence> page;
    while (rc == 0 && int(page.size()) < n) {
        rc = e.next(t);
        if (rc != 0) break;
        Occurrence o;
        o.number = db_.DAT.ACTNUMBER;
        o.date = db_.DAT.DATE;
        o.start = db_.DAT.TIME;
        o.end = db_.DAT.ENDTIME;
        page.push_back(o);
        lastRecord_.assign(t.buffer(), t.buffer() + t.recordSize());
        lastPosition_ = t.position();
    }
    if (rc == store::RecordNotAvailableErr) {
        atEnd_ = true;
    } else if (rc != 0) {
        error_ = e.status().message();
        return false;
    }
    // Each booking is read once, however many of its occurrences the list shows: a later
    // page takes it as the list first read it, so that every row of one booking agrees.
    for (Occurrence& o : page) {
        auto it = listed_.find(o.number);
        if (it == listed_.end()) {
            db_.table(Tbl::ACTIVITY).clearBuffer();
            db_.ACT.ACTNUMBER = o.number;
            if (e.get(db_.table(Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY) != 0)
                db_.table(Tbl::ACTIVITY).clearBuffer();
            it = listed_
                     .emplace(o.number,
                              booking::ListedBooking{db_.ACT, db_.table(Tbl::ACTIVITY).position()})
                     .first;
        }
        const store::ACTIVITY& act = it->second.record;
        o.name = act.NAME.str();
        o.client = act.CLIENT.str();
        o.prime = act.PRIME.str();
        o.primeUnits = act.UNITS;
        out.push_back(std::move(o));
    }
    return true;
}

bool BookingList::readWindow() {
    const store::Date from = next_, to = std::min(next_ + (span_ - 1), last_);
    std::vector<Occurrence> rows;
    if (kind_ == ByClient) {
        store::KeptBuffer act(db_, Tbl::ACTIVITY), dates(db_, Tbl::DATES);
        store::JoinQuery q;
        q.outerKey = store::ACT::CLIENT_KEY;
        q.innerKey = store::DAT::ACTDATES_KEY;
        q.links = {{store::ACT::ACTNUMBER, store::DAT::ACTNUMBER}};
        q.rangeField = store::DAT::DATE;
        q.low = from.value;
        q.high = to.value;
        db_.table(Tbl::ACTIVITY).clearBuffer();
        db_.ACT.CLIENT = selection_;
        const int rc = db_.engine().join(db_.table(Tbl::ACTIVITY), db_.table(Tbl::DATES), q, [&] {
            // The key ignores case; the list shows the client exactly as chosen.
            if (db_.ACT.CLIENT != selection_) return true;
            Occurrence o;
            o.number = db_.DAT.ACTNUMBER;
            o.date = db_.DAT.DATE;
            o.start = db_.DAT.TIME;
            o.end = db_.DAT.ENDTIME;
            o.name = db_.ACT.NAME.str();
            o.client = db_.ACT.CLIENT.str();
            o.prime = db_.ACT.PRIME.str();
            o.primeUnits = db_.ACT.UNITS;
            listed_[o.number] = {db_.ACT, db_.table(Tbl::ACTIVITY).position()};
            rows.push_back(std::move(o));
            return true;
        });
        if (rc != 0) {
            error_ = db_.engine().status().message();
            return false;
        }
    } else {
        const std::vector<std::string> resources =
            kind_ == ByGroup ? members_ : std::vector<std::string>{selection_};
        Occupancy occupancy;
        if (!occupancy.load(db_, resources, from, to)) {
            error_ = occupancy.error();
            return false;
        }
        // An occurrence of a booking that uses two members is listed once.
        std::set<std::tuple<LONG, LONG, LONG, LONG>> seen;
        for (const std::string& r : resources)
            for (const Occurrence& o : occupancy.of(r))
                if (seen.insert({o.number, o.date, o.start, o.end}).second) {
                    rows.push_back(o);
                    store::RecordPosition at;
                    if (const store::ACTIVITY* b = occupancy.booking(o.number, &at))
                        listed_[o.number] = {*b, at};
                }
    }
    std::sort(rows.begin(), rows.end(), drawnBefore);
    pending_.insert(pending_.end(), rows.begin(), rows.end());
    next_ = to + 1;
    if (rows.size() < 30) span_ = std::min(span_ * 2, kLongestSpan);
    return true;
}

const booking::ListedBooking* BookingList::listed(LONG number) const {
    auto it = listed_.find(number);
    return it == listed_.end() ? nullptr : &it->second;
}

bool showsDay(const std::vector<Occurrence>& rows, std::size_t row) {
    return row == 0 || row >= rows.size() || rows[row].date != rows[row - 1].date;
}

std::vector<std::pair<std::string, int>> otherResources(store::Store& db, LONG number,
                                                        const std::string& prime) {
    std::vector<std::pair<std::string, int>> out;
    if (db.Access(Tbl::RESACT).USEFILE() != store::Level_Benign) return out;
    store::KeptBuffer kept(db, Tbl::RESACT);
    store::Table& t = db.table(Tbl::RESACT);
    t.clearBuffer();
    db.RAC.ACTNUMBER = number;
    if (db.engine().setAtValue(t, store::RAC::ACTRESOURCE_KEY, 1) == 0)
        while (db.engine().next(t) == 0 && db.RAC.ACTNUMBER == number)
            if (db.RAC.RESOURCE != prime) out.push_back({db.RAC.RESOURCE.str(), db.RAC.UNITS});
    return out;
}

}  // namespace scan

namespace scan {

std::string findClient(store::Store& db, const std::string& typed) {
    if (db.Access(Tbl::CLIENT).USEFILE() != store::Level_Benign) return {};
    db.table(Tbl::CLIENT).clearBuffer();
    db.CLI.CLIENT = typed;
    if (db.engine().get(db.table(Tbl::CLIENT), store::CLI::CLIENT_KEY) != 0) return {};
    return db.CLI.CLIENT.str();
}

}  // namespace scan

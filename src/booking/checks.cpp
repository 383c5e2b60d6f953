// The checks that OK runs on the occurrences of a booking before saving it: weekends,
// special days, other bookings of single resources and the capacity of pooled ones, each
// finding put to the user in the conflict dialog; and the check that nobody else changed
// the booking since the form opened.
#include <algorithm>
#include <cstring>

#include "booking/booking_form.h"
#include "booking/pool.h"
#include "booking/repeat.h"
#include "store/datetime.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking {

using store::LONG;
using store::Tbl;

bool BookingForm::prepareChecks(const std::vector<DateEntry>& entries) {
    if (entries.empty()) return true;
    LONG low = entries.front().DATE, high = low;
    for (const DateEntry& e : entries) low = std::min(low, e.DATE), high = std::max(high, e.DATE);

    // Special periods that can hold one of the dates: those that start by the last date
    // and end on or after the first. The table holds a few periods a year.
    specials_.clear();
    store::Engine& e = db_.engine();
    store::Table& spe = db_.table(Tbl::SPECIAL);
    if (e.set(spe, store::SPE::DATE_KEY) == 0)
        while (e.next(spe) == 0 && db_.SPE.STARTDATE <= high)
            if (db_.SPE.ENDDATE >= low)
                specials_.push_back(
                    {db_.SPE.STARTDATE, db_.SPE.ENDDATE, db_.SPE.DESCRIPTION.str()});

    std::vector<std::string> codes;
    for (const ResourceEntry& r : resources_) codes.push_back(r.RESOURCE);
    if (!collisions_.load(db_, codes, low, high, loadedNumber_)) {
        store::questions().stop(collisions_.error() + " CONFLCHECK");
        answer_ = store::CancelEraseAccepted;
        return false;
    }
    return true;
}

int BookingForm::ask(store::ConflictQuestion q) {
    q.loop = loop_;
    q.noConflict = db_.SYP.NOCONFLICT == 1;
    int a = store::questions().conflict(q);
    // The dialog offers only what the situation allows; any other answer abandons the save,
    // so that a conflict can never slip through an answer that was not on offer.
    const bool single = q.kind == store::OtherBooking || q.kind == store::PoolExceeded;
    if (a < store::AcceptThis || a > store::CancelEraseAccepted) a = store::CancelEraseAccepted;
    if (!loop_ && (a == store::SkipThis || a == store::StopSaveAccepted))
        a = store::CancelEraseAccepted;
    if (q.noConflict && (a == store::AcceptAll || (single && a == store::AcceptThis)))
        a = store::CancelEraseAccepted;
    return a;
}

void BookingForm::CONFLCHECK(int index, bool override) {
    if (index < 0 || index >= int(dates_.size())) return;
    const DateEntry& e = dates_[index];
    const LONG s = override ? saved_.start : e.TIME;
    const LONG en = override ? saved_.end : e.ENDTIME;
    const auto key = std::make_tuple(e.DATE, s, en);
    checked_.insert(key);
    if (answer_ == store::AcceptAll) {
        acceptedWhole_.insert(key);
        return;
    }
    const store::Date d(e.DATE);
    if (db_.USP.WEEKEND == 1 && !d.isWorkingDay() && db_.REP.WEEKENDREPEAT != BookAnyway) {
        store::ConflictQuestion q;
        q.text = tr("weekend");
        q.kind = store::Weekend;
        answer_ = ask(q);
        if (answer_ != store::AcceptThis) {
            if (answer_ == store::AcceptAll) acceptedWhole_.insert(key);
            return;
        }
    }
    if (!CONFLCHECK2(e)) {
        if (answer_ == store::AcceptAll) acceptedWhole_.insert(key);
        return;
    }
    CONFLCHECK3(e, s, en);
    if (answer_ == store::AcceptAll) acceptedWhole_.insert(key);
}

bool BookingForm::CONFLCHECK2(const DateEntry& e) {
    for (const Special& sp : specials_) {
        if (sp.start > e.DATE || sp.end < e.DATE) continue;
        if (db_.REP.WEEKENDREPEAT == BookAnyway) break;
        store::ConflictQuestion q;
        q.text = sp.description;
        q.date = sp.start;
        q.periodEnd = sp.end;
        q.kind = store::SpecialDay;
        answer_ = ask(q);
        if (answer_ != store::AcceptThis) return false;
    }
    return true;
}

const BookingForm::OtherBooking& BookingForm::otherBooking(LONG number) {
    auto it = others_.find(number);
    if (it != others_.end()) return it->second;
    // The form's booking lives in the same buffer: it comes back, with its position.
    store::Table& act = db_.table(Tbl::ACTIVITY);
    const store::ACTIVITY form = db_.ACT;
    const store::RecordPosition formPosition = act.position();
    db_.ACT.ACTNUMBER = number;
    OtherBooking other;
    if (db_.engine().get(act, store::ACT::ACTNUMBER_KEY) == 0)
        other = {db_.ACT.NAME.str(), db_.ACT.CLIENT.str()};
    db_.ACT = form;
    db_.engine().setPosition(act, formPosition);
    return others_[number] = other;
}

void BookingForm::CONFLCHECK3(const DateEntry& e, LONG s, LONG en) {
    for (const ResourceEntry& r : resources_) {
        for (const Finding& f : findConflicts(resourceUnits(r.RESOURCE), r.UNITS, e.DATE, s, en,
                                              collisions_.on(r.RESOURCE, e.DATE))) {
            store::ConflictQuestion q;
            q.kind = f.kind;
            q.resource = r.RESOURCE;
            q.date = f.shown.date;
            q.start = f.shown.start;
            q.end = f.shown.end;
            if (f.kind == store::OtherBooking) {
                const OtherBooking& other = otherBooking(f.number);
                // Named as the user's scans name bookings: by client or by name.
                q.text = db_.USP.SCANTEXT == "Client" ? other.client : other.name;
                q.otherName = other.name;
                q.otherClient = other.client;
                q.otherNumber = f.number;
            } else {
                q.text = tr("maximum units exceeded");
                q.unitsWanted = f.unitsWanted;
                q.unitsTaken = f.unitsTaken;
                q.capacity = f.capacity;
            }
            answer_ = ask(q);
            if (answer_ != store::AcceptThis) return;
            if (f.kind == store::OtherBooking)
                accepted_.insert({r.RESOURCE, e.DATE, s, en, f.number});
            else
                acceptedPool_.insert({r.RESOURCE, e.DATE, s, en});
        }
    }
}

bool BookingForm::DATELOOPNEWREPEAT() {
    return LOOPDATECHECK(false, false);
}

bool BookingForm::LOOPDATECHECK(bool override, bool fromCurrent) {
    loop_ = true;
    const DateEntry shown =
        current_ >= 0 && current_ < int(dates_.size()) ? dates_[current_] : DateEntry{};
    int i = fromCurrent ? std::max(current_, 0) : 0;
    std::vector<DateEntry> toCheck(dates_.begin() + std::min(i, int(dates_.size())), dates_.end());
    if (!prepareChecks(toCheck)) return false;
    while (i < int(dates_.size())) {
        CONFLCHECK(i, override);
        if (answer_ == store::SkipThis) {
            dates_.erase(dates_.begin() + i);
            answer_ = store::AcceptThis;
            continue;
        }
        if (answer_ == store::StopSaveAccepted) {
            dates_.erase(dates_.begin() + i, dates_.end());
            break;
        }
        if (answer_ == store::CancelEraseAccepted) break;
        ++i;
    }
    const auto it = std::find(dates_.begin(), dates_.end(), shown);
    current_ = it != dates_.end() ? int(it - dates_.begin()) : dates_.empty() ? -1 : 0;
    if (answer_ == store::CancelEraseAccepted) return false;
    // Saving a booking whose every occurrence was dropped would leave it on file where no
    // scan ever shows it.
    if (dates_.empty()) {
        store::questions().message(
            "Tembrix",
            merge(tr("Every occurrence of this %1 was skipped, so there is nothing to save."),
                  lower(words_.booking)),
            store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
        answer_ = store::CancelEraseAccepted;
        return false;
    }
    return true;
}

bool BookingForm::SETLOOPFLAG() {
    if (db_.ACT.REPEATTYPE != IrregularDates) return true;
    return store::questions().message(
               "Tembrix",
               merge(tr("Do you want to use %1 and %2 as start and end for all occurrences."),
                     store::shortTime(store::Time(saved_.start)),
                     store::shortTime(store::Time(saved_.end))),
               store::Icon::Question, store::BUTTON_YES | store::BUTTON_NO,
               store::BUTTON_YES) == store::BUTTON_YES;
}

namespace {

/// How a record of the booking on file compares with the one the form read.
enum class Stored {
    Same,
    Changed,    // other contents, or there when it was not
    Rewritten,  // the same contents, written again since (a newer version)
    Gone,       // deleted since
    Unreadable,
};

/// Whether a record of the booking (ACTIVITY, ACTNOTES or REPACT, read by its number) is
/// still the one the form read: there, or not, as it was then, with the same contents
/// and the same version. The form's own buffer and the position read at load come back
/// either way, so that the write that follows is refused by the store if anything slips
/// in between.
template <class Record>
Stored sameAsLoaded(store::Engine& e, store::Table& t, int key, Record& buffer, LONG number,
                    bool existed, const Record& loaded, store::RecordPosition loadedAt) {
    const Record form = buffer;
    buffer.ACTNUMBER = number;
    const int rc = e.get(t, key);
    Stored result = Stored::Changed;
    if (rc == store::RecordNotFoundErr)
        result = existed ? Stored::Gone : Stored::Same;
    else if (rc != 0)
        result = Stored::Unreadable;
    else if (existed && std::memcmp(&buffer, &loaded, sizeof(Record)) == 0)
        result = t.position().rowid == loadedAt.rowid && t.position().version == loadedAt.version
                     ? Stored::Same
                     : Stored::Rewritten;
    buffer = form;
    e.setPosition(t, loadedAt);
    return result;
}

}  // namespace

bool BookingForm::CONCURRENCYCHECK() {
    store::Engine& e = db_.engine();
    if (storedDates(loadedNumber_) != datesLoaded_) {
        CCFAIL(tr("Dates"));
        return false;
    }
    if (storedResources(loadedNumber_) != resourcesLoaded_) {
        CCFAIL(tr("Resources"));
        return false;
    }
    // The notes and the rule are written by the save as well: a change made to them by
    // another station would otherwise be overwritten without a word. A rule is read only
    // for a repeated booking: a single one's rule record (never written for it) is no part
    // of what the form loaded.
    const Stored booking = sameAsLoaded(e, db_.table(Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY,
                                        db_.ACT, loadedNumber_, true, actLoaded_, actPosition_);
    const Stored notes =
        sameAsLoaded(e, db_.table(Tbl::ACTNOTES), store::ACN::ACTNUMBER_KEY, db_.ACN, loadedNumber_,
                     notesExisted_, acnLoaded_, acnPosition_);
    const Stored rule =
        loadedType_ == NoRepeats
            ? Stored::Same
            : sameAsLoaded(e, db_.table(Tbl::REPACT), store::REP::ACTNUMBER_KEY, db_.REP,
                           loadedNumber_, ruleExisted_, repLoaded_, repPosition_);
    // A booking deleted meanwhile cannot be fetched at all: a failed step of the save.
    if (booking == Stored::Gone || booking == Stored::Unreadable || notes == Stored::Unreadable ||
        rule == Stored::Unreadable) {
        TRANSERRHANDLER("8");
        return false;
    }
    // What another station changed is named first; a save that left every value as it
    // was (every save stamps the booking, and two within one hundredth of a second carry
    // the same stamp) still means the booking was saved meanwhile.
    const struct {
        Stored stored;
        const char* word;
    } parts[] = {{booking, "Booking"}, {notes, "Notes"}, {rule, "Repeat details"}};
    for (const auto& p : parts)
        if (p.stored == Stored::Changed || p.stored == Stored::Gone) {
            CCFAIL(tr(p.word));
            return false;
        }
    for (const auto& p : parts)
        if (p.stored == Stored::Rewritten) {
            CCFAIL(tr(p.word));
            return false;
        }
    return true;
}

void BookingForm::CCFAIL(const std::string& item) {
    abandon(merge(tr("%1 for this %2 have been changed by another station or window since this "
                     "window was opened. Transaction cancelled"),
                  item, lower(words_.booking)));
}

bool BookingForm::recheckInTransaction(std::string& problem) {
    std::vector<DateEntry> entries;
    for (const DateEntry& e : dates_) {
        const auto key = std::make_tuple(e.DATE, e.TIME, e.ENDTIME);
        if (checked_.count(key) && !acceptedWhole_.count(key)) entries.push_back(e);
    }
    if (entries.empty()) return true;
    LONG low = entries.front().DATE, high = low;
    for (const DateEntry& e : entries) low = std::min(low, e.DATE), high = std::max(high, e.DATE);
    std::vector<std::string> codes;
    for (const ResourceEntry& r : resources_) codes.push_back(r.RESOURCE);
    CollisionIndex now;
    if (!now.load(db_, codes, low, high, loadedNumber_)) {
        problem = now.error();
        return false;
    }
    auto report = [&](const std::string& resource, LONG d) {
        problem = merge(tr("Another station booked %1 on %2 meanwhile. Nothing was saved: press "
                           "OK to check the %3 again."),
                        resource, store::longDate(store::Date(d)), lower(words_.booking));
        return false;
    };
    for (const DateEntry& e : entries)
        for (const ResourceEntry& r : resources_)
            for (const Finding& f : findConflicts(resourceUnits(r.RESOURCE), r.UNITS, e.DATE,
                                                  e.TIME, e.ENDTIME, now.on(r.RESOURCE, e.DATE))) {
                // Only what the user accepted in the dialogue may be on file now.
                const bool accepted =
                    f.kind == store::OtherBooking
                        ? accepted_.count({r.RESOURCE, e.DATE, e.TIME, e.ENDTIME, f.number}) > 0
                        : acceptedPool_.count({r.RESOURCE, e.DATE, e.TIME, e.ENDTIME}) > 0;
                if (!accepted) return report(r.RESOURCE, e.DATE);
            }
    return true;
}

}  // namespace booking

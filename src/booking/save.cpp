// The save of the booking form: everything of one booking written in one store
// transaction, or nothing.
#include <cstring>

#include "booking/booking_form.h"
#include "booking/repeat.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking {

using store::LONG;
using store::Tbl;

namespace {

/// How long the save waits for other stations' locks.
constexpr int kLockWaitSeconds = 3;

/// Deletes the records of `t` at a key value (the first `components` components of the
/// buffer's key), one after another; `same` tells whether a record read still belongs.
template <class Same>
int eraseAll(store::Engine& e, store::Table& t, int key, int components,
             const std::vector<std::byte>& at, Same&& same) {
    for (;;) {
        std::memcpy(t.buffer(), at.data(), at.size());
        int rc = e.setAtValue(t, key, components);
        if (rc != 0) return rc;
        rc = e.next(t);
        if (rc == store::RecordNotAvailableErr || (rc == 0 && !same())) return 0;
        if (rc != 0) return rc;
        rc = e.erase(t);
        if (rc != 0) return rc;
    }
}

std::vector<std::byte> imageOf(store::Table& t) {
    return {t.buffer(), t.buffer() + t.recordSize()};
}

}  // namespace

OkOutcome BookingForm::TAKECOMPLETED() {
    store::Engine& e = db_.engine();
    if (e.begin(kLockWaitSeconds) != 0) {
        TRANSERRHANDLER("");
        return OkOutcome::Cancelled;
    }
    // A changed booking, and the old booking a changed occurrence leaves, must still be as
    // the form loaded them: compared under the lock, so nobody can write in between.
    if (loadedNumber_ != 0 && !CONCURRENCYCHECK()) return OkOutcome::Cancelled;
    std::string problem;
    if (!recheckInTransaction(problem)) {
        e.rollback();
        store::questions().message("Information Safeguard", problem, store::Icon::Exclamation,
                                   store::BUTTON_OK, store::BUTTON_OK);
        focus_ = FormField::Date;
        return OkOutcome::Stay;
    }
    std::string label;
    const bool ok = request_ == store::InsertRecord ? saveInsert(label) : saveChange(label);
    if (!ok) {
        TRANSERRHANDLER(label);
        return OkOutcome::Cancelled;
    }
    if (e.commit() != 0) {
        TRANSERRHANDLER(label);
        return OkOutcome::Cancelled;
    }
    resources_.clear();
    db_.ACN.NOTES = "";
    date = start = end = actualStart = actualEnd = 0;
    loop_ = false;
    answer_ = 0;
    store::session().GlobalResponse = store::RequestCompleted;
    return OkOutcome::Completed;
}

bool BookingForm::addOccurrences(const std::string& label, std::string& failed) {
    store::Engine& e = db_.engine();
    store::Table& dat = db_.table(Tbl::DATES);
    // Added as one unit: a year of daily occurrences reaches a server in a round trip or
    // two instead of one each.
    const int rc = e.addEach(dat, int(dates_.size()), [&](int i) {
        const DateEntry& d = dates_[std::size_t(i)];
        dat.clearBuffer();
        db_.DAT.ACTNUMBER = db_.ACT.ACTNUMBER;
        db_.DAT.DATE = d.DATE;
        db_.DAT.TIME = d.TIME;
        db_.DAT.ENDTIME = d.ENDTIME;
        db_.DAT.ACTUALSTART = d.ACTUALSTART;
        db_.DAT.ACTUALEND = d.ACTUALEND;
    });
    if (rc != 0) {
        failed = label;
        return false;
    }
    return true;
}

bool BookingForm::saveInsert(std::string& label) {
    store::Engine& e = db_.engine();
    label = "6";
    if (scope_ == JustThisOne) {
        store::Table& dat = db_.table(Tbl::DATES);
        db_.DAT = clicked_;
        db_.DAT.ACTNUMBER = loadedNumber_;
        if (e.get(dat, store::DAT::ACTDATES_KEY) != 0 || e.erase(dat) != 0) return false;
    } else if (scope_ == ThisOneAndFuture) {
        store::Table& dat = db_.table(Tbl::DATES);
        db_.DAT = clicked_;
        db_.DAT.ACTNUMBER = loadedNumber_;
        const auto from = imageOf(dat);
        if (eraseAll(e, dat, store::DAT::ACTDATES_KEY, 4, from,
                     [&] { return db_.DAT.ACTNUMBER == loadedNumber_; }) != 0)
            return false;
        // The old rule ends the day before the occurrence from which the new booking runs.
        if (loadedType_ > IrregularDates) {
            const store::REPACT rule = db_.REP;
            db_.REP.ACTNUMBER = loadedNumber_;
            store::Table& rep = db_.table(Tbl::REPACT);
            int rc = e.get(rep, store::REP::ACTNUMBER_KEY);
            if (rc == 0) {
                db_.REP.REPEND = clicked_.DATE - 1;
                rc = e.put(rep);
            }
            db_.REP = rule;
            if (rc != 0 && rc != store::RecordNotFoundErr) return false;
        }
    }
    if (e.add(db_.table(Tbl::ACTIVITY)) != 0) return false;
    if (duringSave) duringSave("ACTIVITY");
    if (db_.ACT.REPEATTYPE > IrregularDates) {
        db_.REP.ACTNUMBER = db_.ACT.ACTNUMBER;
        if (e.add(db_.table(Tbl::REPACT)) != 0) return false;
    }
    if (!trim(db_.ACN.NOTES.view()).empty()) {
        db_.ACN.ACTNUMBER = db_.ACT.ACTNUMBER;
        if (e.add(db_.table(Tbl::ACTNOTES)) != 0) return false;
    }
    if (!addOccurrences("6", label)) return false;
    if (duringSave) duringSave("DATES");
    label = "7";
    store::Table& rac = db_.table(Tbl::RESACT);
    for (const ResourceEntry& r : resources_) {
        rac.clearBuffer();
        db_.RAC.ACTNUMBER = db_.ACT.ACTNUMBER;
        db_.RAC.RESOURCE = r.RESOURCE;
        db_.RAC.UNITS = store::SHORT(r.UNITS);
        if (e.add(rac) != 0) return false;
    }
    if (duringSave) duringSave("RESACT");
    return true;
}

bool BookingForm::saveChange(std::string& label) {
    store::Engine& e = db_.engine();
    const LONG number = db_.ACT.ACTNUMBER;
    store::Table& dat = db_.table(Tbl::DATES);
    label = "10";
    dat.clearBuffer();
    db_.DAT.ACTNUMBER = number;
    if (eraseAll(e, dat, store::DAT::ACTNUMBER_KEY, 1, imageOf(dat),
                 [&] { return db_.DAT.ACTNUMBER == number; }) != 0)
        return false;
    label = "11";
    store::Table& rac = db_.table(Tbl::RESACT);
    rac.clearBuffer();
    db_.RAC.ACTNUMBER = number;
    if (eraseAll(e, rac, store::RAC::ACTIVITY_KEY, 1, imageOf(rac),
                 [&] { return db_.RAC.ACTNUMBER == number; }) != 0)
        return false;
    if (!addOccurrences("12", label)) return false;
    label = "13";
    for (const ResourceEntry& r : resources_) {
        rac.clearBuffer();
        db_.RAC.ACTNUMBER = number;
        db_.RAC.RESOURCE = r.RESOURCE;
        db_.RAC.UNITS = store::SHORT(r.UNITS);
        if (e.add(rac) != 0) return false;
    }

    // The rule and the notes are written over the records as the form read them (their
    // positions and versions from the load): a record another station wrote meanwhile
    // makes the store refuse the write instead of losing that station's change.
    store::Table& rep = db_.table(Tbl::REPACT);
    db_.REP.ACTNUMBER = number;
    if (db_.ACT.REPEATTYPE > IrregularDates) {
        if (ruleExisted_) {
            label = "14b";
            e.setPosition(rep, repPosition_);
            if (e.put(rep) != 0) return false;
        } else {
            label = "14a";
            if (e.add(rep) != 0) return false;
        }
    } else if (ruleExisted_ && loadedType_ > IrregularDates) {
        label = "14c";
        const store::REPACT rule = db_.REP;
        e.setPosition(rep, repPosition_);
        const int rc = e.erase(rep);
        db_.REP = rule;
        if (rc != 0) return false;
    }

    store::Table& acn = db_.table(Tbl::ACTNOTES);
    db_.ACN.ACTNUMBER = number;
    if (notesExisted_) {
        label = "14d";
        e.setPosition(acn, acnPosition_);
        if (e.put(acn) != 0) return false;
    } else if (!trim(db_.ACN.NOTES.view()).empty()) {
        label = "14e";
        if (e.add(acn) != 0) return false;
    }
    label = "14";
    store::Table& act = db_.table(Tbl::ACTIVITY);
    e.setPosition(act, actPosition_);
    return e.put(act) == 0;
}

void BookingForm::TRANSERRHANDLER(const std::string& label) {
    store::Engine& e = db_.engine();
    const std::string text = trim(label + " " + e.status().message());
    abandon(merge(tr("Transaction cancelled - %1"), text));
}

void BookingForm::abandon(const std::string& message) {
    store::Engine& e = db_.engine();
    if (e.inTransaction()) e.rollback();
    store::questions().message("Information Safeguard", message, store::Icon::Exclamation,
                               store::BUTTON_OK, store::BUTTON_OK);
    resources_.clear();
    dates_.clear();
    current_ = -1;
    db_.table(Tbl::ACTIVITY).clearBuffer();
    db_.table(Tbl::DATES).clearBuffer();
    db_.table(Tbl::RESACT).clearBuffer();
    PROCEDURERETURN();
}

}  // namespace booking

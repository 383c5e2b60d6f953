// Deleting bookings: one booking or some of its occurrences (DELACT), and the purge of old
// occurrences and the bookings they leave empty (BATCHDELETE).
#include "booking/delete.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "booking/repeat.h"
#include "store/session.h"
#include "store/store.h"

namespace booking {

using store::LONG;
using store::Tbl;

namespace {

constexpr long long kLowest = std::numeric_limits<std::int32_t>::min();
constexpr long long kHighest = std::numeric_limits<std::int32_t>::max();

/// Opens the booking tables for the engine's use, each once for `opened`, which the
/// owner closes; false when one cannot be opened.
bool useTables(store::Store& db, std::vector<Tbl>& opened) {
    if (!opened.empty()) return true;
    for (Tbl t : {Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT, Tbl::ACTNOTES, Tbl::REPACT}) {
        store::FileManager& fm = db.Access(t);
        if (fm.OPEN() != store::Level_Benign) return false;
        opened.push_back(t);
        if (fm.USEFILE() != store::Level_Benign) return false;
    }
    return true;
}

void closeTables(store::Store& db, std::vector<Tbl>& opened) {
    for (Tbl t : opened) db.Access(t).CLOSE();
    opened.clear();
}

std::string transactionFailed(store::Engine& e) {
    return merge(tr("Transaction cancelled - %1"), e.status().message());
}

/// Whether a booking read now is still the one read before: same row, same version, same
/// values.
bool sameBooking(store::RecordPosition now, const store::ACTIVITY& record,
                 const booking::ListedBooking& before) {
    return now.rowid == before.position.rowid && now.version == before.position.version &&
           std::memcmp(&record, &before.record, sizeof(store::ACTIVITY)) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// DELACT

DeleteBooking::DeleteBooking(store::Store& db) : db_(db), words_(Words::of(db.SYP)) {}

DeleteBooking::~DeleteBooking() {
    closeTables(db_, tables_);
}

DeleteResult DeleteBooking::fail(DeleteOutcome o, const std::string& text) {
    store::Engine& e = db_.engine();
    if (e.inTransaction()) e.rollback();
    return {o, text, false};
}

DeleteResult DeleteBooking::open(const store::DATES& occurrence,
                                 const std::optional<ListedBooking>& listed) {
    occurrence_ = occurrence;
    if (!useTables(db_, tables_))
        return fail(DeleteOutcome::Failed, transactionFailed(db_.engine()));
    store::Engine& e = db_.engine();
    const std::string gone =
        merge(tr("This %1 no longer exists: another station or window deleted it."),
              lower(words_.booking));

    db_.table(Tbl::ACTIVITY).clearBuffer();
    db_.ACT.ACTNUMBER = occurrence_.ACTNUMBER;
    if (e.get(db_.table(Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY) != 0)
        return fail(DeleteOutcome::Missing, gone);
    read_.record = db_.ACT;
    read_.position = db_.table(Tbl::ACTIVITY).position();
    // The list showed the booking as it read it; one changed since must be looked at again.
    if (listed && listed->position.valid() && listed->record.ACTNUMBER == occurrence_.ACTNUMBER &&
        !sameBooking(read_.position, read_.record, *listed))
        return changedSinceListed();

    db_.DAT = occurrence_;
    if (e.get(db_.table(Tbl::DATES), store::DAT::ACTDATES_KEY) != 0)
        return fail(DeleteOutcome::Missing,
                    merge(tr("This occurrence of the %1 no longer exists: another station or "
                             "window changed or deleted it. Nothing was deleted."),
                          lower(words_.booking)));

    const auto& s = store::session();
    const bool owner = read_.record.USERNAME == s.GlobalUserName;
    if (!store::mayAlterBooking(s.accessLevel, owner, read_.record.LOCK == 1))
        return fail(
            DeleteOutcome::NotAuthorized,
            merge(tr("Sorry, you are not authorized to delete this %1"), lower(words_.booking)));
    opened_ = true;
    const int type = read_.record.REPEATTYPE;
    return {type == NoRepeats || type == MultiDay ? DeleteOutcome::DeleteAtOnce
                                                  : DeleteOutcome::AskScope,
            {},
            false};
}

DeleteResult DeleteBooking::changedSinceListed() {
    return fail(DeleteOutcome::Changed,
                merge(tr("This %1 has been changed by another station or window since it was "
                         "listed. Nothing was deleted: look at it again first."),
                      lower(words_.booking)));
}

DeleteResult DeleteBooking::DELETEPROCESS(int scope) {
    if (ran_) return {DeleteOutcome::AlreadyRan, {}, false};
    ran_ = true;
    if (!opened_) return {DeleteOutcome::Failed, {}, false};
    store::Engine& e = db_.engine();
    if (e.begin(kLockWaitSeconds) != 0) return fail(DeleteOutcome::Failed, transactionFailed(e));

    // Under the lock: the booking and the occurrence must still be as the window found them.
    db_.ACT.ACTNUMBER = occurrence_.ACTNUMBER;
    store::Table& act = db_.table(Tbl::ACTIVITY);
    if (e.get(act, store::ACT::ACTNUMBER_KEY) != 0)
        return fail(DeleteOutcome::Missing,
                    merge(tr("This %1 no longer exists: another station or window deleted it."),
                          lower(words_.booking)));
    if (!sameBooking(act.position(), db_.ACT, read_)) return changedSinceListed();
    db_.DAT = occurrence_;
    if (e.get(db_.table(Tbl::DATES), store::DAT::ACTDATES_KEY) != 0)
        return fail(DeleteOutcome::Changed,
                    merge(tr("This occurrence of the %1 no longer exists: another station or "
                             "window changed or deleted it. Nothing was deleted."),
                          lower(words_.booking)));

    bool whole = false;
    int rc = 0;
    switch (scope) {
        case DeleteJustThisOne:
            // The booking, its resources and its rule stay, even with no occurrence left.
            rc = e.erase(db_.table(Tbl::DATES));
            break;
        case DeleteAll:
            whole = true;
            rc = eraseBooking();
            break;
        case DeleteThisOneAndFuture: {
            rc = eraseFromOccurrence();
            // From the first occurrence nothing is left: the booking goes as with "All".
            if (rc == 0 && !anyOccurrenceLeft(rc) && rc == 0) {
                whole = true;
                rc = eraseBooking();
            }
            break;
        }
        default:
            return fail(DeleteOutcome::Failed, {});
    }
    if (rc != 0 || e.commit() != 0) return fail(DeleteOutcome::Failed, transactionFailed(e));
    db_.DAT = occurrence_;
    return {DeleteOutcome::Deleted, {}, whole};
}

int DeleteBooking::eraseBooking() {
    store::Engine& e = db_.engine();
    const LONG n = occurrence_.ACTNUMBER;
    db_.ACT.ACTNUMBER = n;
    store::Table& act = db_.table(Tbl::ACTIVITY);
    if (int rc = e.get(act, store::ACT::ACTNUMBER_KEY)) return rc;
    if (int rc = e.erase(act)) return rc;
    // Everything that hangs on the booking number goes with it, resource rows included.
    const std::pair<Tbl, int> dependants[] = {
        {Tbl::DATES, store::DAT::ACTNUMBER_KEY},
        {Tbl::RESACT, store::RAC::ACTIVITY_KEY},
        {Tbl::ACTNOTES, store::ACN::ACTNUMBER_KEY},
        {Tbl::REPACT, store::REP::ACTNUMBER_KEY},
    };
    for (const auto& [t, key] : dependants)
        if (int rc = e.eraseRange(db_.table(t), key, n, n)) return rc;
    return 0;
}

int DeleteBooking::eraseFromOccurrence() {
    store::Engine& e = db_.engine();
    store::Table& dat = db_.table(Tbl::DATES);
    for (;;) {
        db_.DAT = occurrence_;
        if (int rc = e.setAtValue(dat, store::DAT::ACTDATES_KEY)) return rc;
        const int rc = e.next(dat);
        if (rc == store::RecordNotAvailableErr ||
            (rc == 0 && db_.DAT.ACTNUMBER != occurrence_.ACTNUMBER))
            return 0;
        if (rc != 0) return rc;
        if (int erc = e.erase(dat)) return erc;
    }
}

bool DeleteBooking::anyOccurrenceLeft(int& rc) {
    store::Engine& e = db_.engine();
    const LONG n = occurrence_.ACTNUMBER;
    const long long left = e.countRange(db_.table(Tbl::DATES), store::DAT::ACTNUMBER_KEY, n, n);
    rc = e.status().code;
    return left > 0;
}

// ---------------------------------------------------------------------------------------
// BATCHDELETE

PurgeDateCheck checkPurgeDate(LONG date, LONG today) {
    if (date > today) return {false, today, tr("Sorry, future dates are not allowed.")};
    return {true, date, {}};
}

BatchDelete::BatchDelete(store::Store& db) : db_(db), words_(Words::of(db.SYP)) {}

BatchDelete::~BatchDelete() {
    closeTables(db_, tables_);
}

PurgeEstimate BatchDelete::estimate(LONG cutoff) {
    PurgeEstimate out;
    if (!useTables(db_, tables_)) return out;
    store::Engine& e = db_.engine();
    out.occurrences =
        e.countRange(db_.table(Tbl::DATES), store::DAT::DATETIME_KEY, kLowest, cutoff - 1LL);
    store::Unlinked live;
    live.links = {{store::ACT::ACTNUMBER, store::DAT::ACTNUMBER}};
    live.otherKey = store::DAT::ACTDATES_KEY;
    live.rangeField = store::DAT::DATE;
    live.low = cutoff;
    live.high = kHighest;
    out.bookings = e.countUnlinked(db_.table(Tbl::ACTIVITY), db_.table(Tbl::DATES), live);
    return out;
}

void BatchDelete::report(double done) {
    if (progress) progress(std::clamp(done, 0.0, 1.0));
}

PurgeResult BatchDelete::run(LONG cutoff, LONG today) {
    PurgeResult out;
    const PurgeDateCheck date = checkPurgeDate(cutoff, today);
    if (!date.ok) {
        out.outcome = PurgeResult::Outcome::Refused;
        out.message = date.message;
        return out;
    }
    const std::string failed = tr("Delete failed - old data retained");
    const std::string held =
        merge(tr("Another station is using the %1: nothing was deleted. Run the batch delete "
                 "again when no other users are logged on."),
              lower(words_.bookings));
    if (!useTables(db_, tables_)) {
        out.message = failed;
        return out;
    }
    store::Engine& e = db_.engine();
    if (e.begin(kLockWaitSeconds) != 0) {
        const bool isHeld = e.status().code == store::RecordHeldErr;
        out.outcome = isHeld ? PurgeResult::Outcome::Held : PurgeResult::Outcome::Failed;
        out.message = isHeld ? held : failed;
        return out;
    }
    auto abandon = [&] {
        const bool isHeld = e.status().code == store::RecordHeldErr;
        if (e.inTransaction()) e.rollback();
        out.outcome = isHeld ? PurgeResult::Outcome::Held : PurgeResult::Outcome::Failed;
        out.message = isHeld ? held : failed;
        out.occurrences = out.bookings = 0;
        return out;
    };
    report(0);

    // The old occurrences go in one set operation, which tells how far it has got.
    store::Table& dat = db_.table(Tbl::DATES);
    if (e.eraseRange(dat, store::DAT::DATETIME_KEY, kLowest, cutoff - 1LL, &out.occurrences,
                     [this](double done) { report(0.8 * done); }) != 0)
        return abandon();
    report(0.8);

    // Bookings without occurrences, then what hangs on bookings that are gone.
    store::Table& act = db_.table(Tbl::ACTIVITY);
    store::Unlinked noDates;
    noDates.links = {{store::ACT::ACTNUMBER, store::DAT::ACTNUMBER}};
    noDates.otherKey = store::DAT::ACTNUMBER_KEY;
    if (e.eraseUnlinked(act, dat, noDates, &out.bookings) != 0) return abandon();
    report(0.85);
    const struct {
        Tbl table;
        store::Field field;
    } dependants[] = {
        {Tbl::ACTNOTES, store::ACN::ACTNUMBER},
        {Tbl::REPACT, store::REP::ACTNUMBER},
        {Tbl::RESACT, store::RAC::ACTNUMBER},
    };
    double done = 0.85;
    for (const auto& d : dependants) {
        store::Unlinked orphan;
        orphan.links = {{d.field, store::ACT::ACTNUMBER}};
        orphan.otherKey = store::ACT::ACTNUMBER_KEY;
        if (e.eraseUnlinked(db_.table(d.table), act, orphan) != 0) return abandon();
        report(done += 0.04);
    }
    if (e.commit() != 0) return abandon();
    report(1);
    out.outcome = PurgeResult::Outcome::Completed;
    out.message = merge(tr("%1 occurrences and %2 %3 were deleted."),
                        std::to_string(out.occurrences), std::to_string(out.bookings),
                        lower(out.bookings == 1 ? words_.booking : words_.bookings));
    return out;
}

}  // namespace booking

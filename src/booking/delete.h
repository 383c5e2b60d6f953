#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "booking/words.h"
#include "store/engine.h"
#include "store/tables.h"

namespace store {
class Store;
}

namespace booking {

/// Which occurrences of a repeated booking a deletion removes (the scope of DELACT).
enum DeleteScope : int { DeleteJustThisOne = 1, DeleteAll = 2, DeleteThisOneAndFuture = 3 };

/// The booking as a list read it when it showed the occurrence: its ACTIVITY record with
/// the position it was read at. A delete goes ahead only while the booking is still so.
struct ListedBooking {
    store::ACTIVITY record{};
    store::RecordPosition position;
};

/// How a step of DELACT ended.
enum class DeleteOutcome {
    AskScope,       // open: a repeated booking; ask which occurrences go
    DeleteAtOnce,   // open: a single or multi-day booking; the whole booking goes unasked
    Missing,        // the booking or the occurrence is gone (another station deleted it)
    Changed,        // the booking changed since it was listed; nothing was deleted
    NotAuthorized,  // a general user facing another user's locked booking
    AlreadyRan,     // this window deleted once already; nothing more is deleted
    Failed,         // the store refused (locks held, a failed write); nothing was deleted
    Deleted,        // the occurrences went (and the booking, when none is left)
};

/// What a step of DELACT found, with the text to tell the user (empty when there is
/// nothing to tell).
struct DeleteResult {
    DeleteOutcome outcome = DeleteOutcome::Failed;
    std::string message;
    bool bookingDeleted = false;  // with Deleted: the booking went with its dependants
};

/// DELACT without its window: deletes one occurrence of a booking, some of them, or the
/// whole booking with its occurrences, resources, notes and repeat rule, in one store
/// transaction. Uses the engine on the store's buffers of ACTIVITY, DATES, RESACT,
/// ACTNOTES and REPACT; the tables must be open.
class DeleteBooking {
  public:
    explicit DeleteBooking(store::Store& db);
    ~DeleteBooking();
    DeleteBooking(const DeleteBooking&) = delete;
    DeleteBooking& operator=(const DeleteBooking&) = delete;

    /// The window opens on an occurrence (DAT:ACTNUMBER, DATE, TIME, ENDTIME) with, when
    /// the caller has it, the booking as its list read it. Missing when the booking or the
    /// occurrence is no longer on file, Changed when the booking differs from `listed`,
    /// NotAuthorized by the lock rule; otherwise AskScope or DeleteAtOnce.
    DeleteResult open(const store::DATES& occurrence,
                      const std::optional<ListedBooking>& listed = std::nullopt);

    /// DELETEPROCESS: deletes by scope in one transaction (2-second lock wait), after
    /// checking under the lock that the booking and the occurrence are still as open()
    /// found them. Runs once: a second call answers AlreadyRan.
    DeleteResult DELETEPROCESS(int scope);

    const store::ACTIVITY& booking() const { return read_.record; }
    const Words& words() const { return words_; }

    static constexpr int kLockWaitSeconds = 2;

  private:
    DeleteResult fail(DeleteOutcome o, const std::string& text);
    /// Changed, telling the user the booking changed since it was listed.
    DeleteResult changedSinceListed();
    /// Deletes the whole booking (ACTIVITY, DATES, RESACT, ACTNOTES, REPACT); an engine code.
    int eraseBooking();
    int eraseFromOccurrence();
    bool anyOccurrenceLeft(int& rc);

    store::Store& db_;
    Words words_;
    store::DATES occurrence_{};
    ListedBooking read_;
    std::vector<store::Tbl> tables_;
    bool opened_ = false;
    bool ran_ = false;
};

/// The cut-off rule of the batch purge: a date later than today is refused.
struct PurgeDateCheck {
    bool ok = true;
    store::LONG date = 0;  // the date to use: today when the typed one was refused
    std::string message;
};
PurgeDateCheck checkPurgeDate(store::LONG date, store::LONG today);

/// What a purge would remove, counted before it starts (for the question the user answers).
struct PurgeEstimate {
    long long occurrences = 0;
    long long bookings = 0;
};

/// How a purge ended.
struct PurgeResult {
    enum class Outcome { Completed, Held, Failed, Refused } outcome = Outcome::Failed;
    long long occurrences = 0;  // occurrences removed
    long long bookings = 0;     // bookings removed with their resources, notes and rules
    std::string message;        // for the user: what went, or why nothing did
};

/// BATCHDELETE without its window: removes every occurrence dated before the cut-off,
/// then every booking left without occurrences with its notes, repeat rule and resources,
/// and the resource, notes and repeat rows of bookings that no longer exist, all in one
/// store transaction. Set operations do the work, never a walk of the records.
class BatchDelete {
  public:
    explicit BatchDelete(store::Store& db);
    ~BatchDelete();
    BatchDelete(const BatchDelete&) = delete;
    BatchDelete& operator=(const BatchDelete&) = delete;

    /// What a purge before `cutoff` would remove now (bookings whose every occurrence is
    /// dated before it, or that have none).
    PurgeEstimate estimate(store::LONG cutoff);

    /// Called during the purge with the share done so far (0 to 1); the purge cannot be
    /// stopped once it runs, since it is one transaction.
    std::function<void(double done)> progress;

    /// Runs the purge. Refused for a cut-off later than `today`; Held, with nothing
    /// changed, when another station holds the tables; Failed, with nothing changed, when
    /// any step fails ("Delete failed - old data retained").
    PurgeResult run(store::LONG cutoff, store::LONG today);

    static constexpr int kLockWaitSeconds = 3;

  private:
    void report(double done);

    store::Store& db_;
    Words words_;
    std::vector<store::Tbl> tables_;
};

}  // namespace booking

#pragma once

#include <string>
#include <vector>

#include "booking/booking_form.h"
#include "booking/words.h"
#include "store/fixed_string.h"
#include "store/questions.h"

class QWidget;

namespace store {
class Store;
struct REPACT;
}  // namespace store

namespace booking {
struct Occurrence;
struct DateLimits;
}  // namespace booking

namespace booking::ui {

/// The repeat window: turns the booking form's current occurrence into a single booking,
/// a multi-day booking, irregular dates or a repeat rule. Returns store::RequestCompleted
/// or store::RequestCancelled (also left in the global response). On completion
/// `occurrences` holds the new pattern, sorted by date, start and end, and db.ACT.REPEATTYPE
/// and the db.REP buffer hold the rule (type 0 clears REP); on Cancel the type, every REP
/// field and the list are as they were.
int REPEATACT(store::Store& db, QWidget* parent, std::vector<booking::DateEntry>& occurrences,
              int current, const std::vector<store::LONG>& startTimes);

/// Which occurrences of a repeated booking a change applies to: 1 "Just this one",
/// 2 "All", 3 "This one and future", or 0 when the user cancelled.
int CHANGEREP(QWidget* parent, const booking::Words& words);

/// The units a booking takes of the pooled resource `resource` of `total` units: at least
/// 1 and at most the total.
int UPDATEUNITS(QWidget* parent, const std::string& resource, int total,
                const booking::Words& words);

/// The conflict dialog: one finding of the booking checks. Returns a store::ConflictAnswer
/// (0 to 4); closing the dialog without a button answers 4 (cancel, erase accepted).
int CONFLDISP(QWidget* parent, const store::ConflictQuestion& q, const booking::Words& words);

/// Makes CONFLDISP the window that asks the booking checks' conflict questions, shown over
/// the active window with the organisation's words as db.SYP holds them when it opens.
/// REQUIRES: db outlives every conflict question.
void installConflictWindow(store::Store& db);

// The parameter windows of the repeat window; each returns true when completed, `rule` or
// `entry` then holding what the user entered, and leaves them untouched when cancelled.

/// REPWINDOW: every n days (type 3), weeks (4) or months (5) until a date.
bool REPWINDOW(QWidget* parent, int type, store::LONG seed, store::REPACT& rule,
               const booking::DateLimits& limits, bool weekendsOff, const booking::Words& words);
/// REPWINDOW2: the n-th or last given weekday of each month until a date.
bool REPWINDOW2(QWidget* parent, store::LONG seed, store::REPACT& rule,
                const booking::DateLimits& limits, const booking::Words& words);
/// REPWINDOW3: the ticked weekdays of every week until a date.
bool REPWINDOW3(QWidget* parent, store::LONG seed, store::REPACT& rule,
                const booking::DateLimits& limits, const booking::Words& words);
/// REPWINDOW4: one irregular date with its start and end, the times offered from the
/// start-time list and typable.
bool REPWINDOW4(QWidget* parent, booking::Occurrence& entry,
                const std::vector<store::LONG>& startTimes, const booking::DateLimits& limits);

}  // namespace booking::ui

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "booking/booking_form.h"
#include "booking/repeat.h"
#include "booking/words.h"
#include "store/tables.h"

namespace store {
class Store;
}

namespace booking {

/// The field of the repeat window or of one of its parameter windows that a refusal puts
/// the focus on.
enum class RepeatField {
    None,
    Options,    // the repeat options
    Change,     // the rule's "Change" button
    LastDay,    // multi-day: the last day
    EndTime,    // multi-day: the end time of the last day
    Irregular,  // the irregular dates list
    Number,     // REPWINDOW: the number of days, weeks or months
    Until,      // the rule's last date
    Weekdays,   // REPWINDOW3: the first weekday box
    Date,       // REPWINDOW4: the date
    Start,      // REPWINDOW4: the start time
    End,        // REPWINDOW4: the end time
};

/// Why a window refuses its input: the message to show (translated, terms merged; empty
/// for a refusal that only beeps) and the field that gets the focus back.
struct Refusal {
    RepeatField field = RepeatField::None;
    std::string message;

    bool refused() const { return field != RepeatField::None; }
};

/// The limits the parameter windows check a date against: today and SYP:ADVANCEDAYS (no
/// limit when 0 or below).
struct DateLimits {
    store::LONG today = 0;
    int advanceDays = 0;

    bool tooFar(store::LONG date) const { return advanceDays > 0 && date > today + advanceDays; }
};

// --- the parameter windows' checks ------------------------------------------------------

/// The values REPWINDOW opens with for a rule of `windowType` (3 days, 4 weeks, 5 months)
/// when the booking's rule is of `currentType`: number, until and handling as the rule
/// holds them, all three 0 for a rule of another type, and "Use next work day" shown as
/// "Ask" for weeks and months, which cannot move a date.
store::REPACT fixedPeriodOpening(const store::REPACT& rule, int currentType, int windowType);
/// REPWINDOW2 and REPWINDOW3 open with the handling "Use next work day" shown as "Ask",
/// and REPWINDOW2 with the first Monday when the rule names no week or weekday.
store::REPACT specificWeekdayOpening(const store::REPACT& rule);
store::REPACT setDaysOpening(const store::REPACT& rule);

/// REPWINDOW's OK: the until date not before today, a number above 0, the until date
/// within the advance limit.
Refusal checkFixedPeriod(const store::REPACT& rule, int windowType, const DateLimits& limits,
                         const Words& words);
/// REPWINDOW2's OK: the until date not before the seed, and within the advance limit.
Refusal checkSpecificWeekday(const store::REPACT& rule, store::LONG seed, const DateLimits& limits);
/// REPWINDOW3's OK: the until date not before the seed, within the advance limit, and at
/// least one weekday ticked.
Refusal checkSetDays(const store::REPACT& rule, store::LONG seed, const DateLimits& limits);
/// Leaving the until date of REPWINDOW2 or REPWINDOW3: a date must lie after the seed.
Refusal checkUntilLeft(store::LONG until, store::LONG seed);
/// REPWINDOW4's OK: a date, within the advance limit, with a start and an end after it.
Refusal checkIrregularDate(const Occurrence& entry, const DateLimits& limits);
/// Whether entering a number of months for this seed warrants the warning that short
/// months move the occurrence to the next month (a seed after the 28th).
bool monthsWarningNeeded(store::LONG seed);
/// The question REPWINDOW asks before months that cannot always hold the seed's day.
std::string monthsWarning(const Words& words);

/// The list of end times offered for the last day of a multi-day booking: from
/// USP:BEGINDAY in steps of USP:INTERVAL up to the first value at or past USP:ENDDAY.
std::vector<store::LONG> endTimeList(store::LONG beginDay, store::LONG endDay,
                                     store::LONG interval);

// --- the repeat window ------------------------------------------------------------------

/// The repeat window without its widgets (REPEATACT): it works on the booking form's
/// occurrence list, its current entry (the seed of every rule), db.ACT.REPEATTYPE and
/// db.REP. Choosing an option, editing the irregular dates and OK change them as the user
/// asks; cancel() puts every one of them back as it was when the session opened. Nothing
/// is written to the store.
class RepeatSession {
  public:
    /// Opens the session: copies for Cancel, REP:ACTNUMBER = ACT:ACTNUMBER, the irregular
    /// list from the occurrences, the end-time list from the user's working day.
    /// REQUIRES: `occurrences` outlives the session.
    RepeatSession(store::Store& db, std::vector<DateEntry>& occurrences, int current);

    /// Opens the parameter window of a rule (types 3 to 7) on `rule`, which holds the
    /// values the window opens with; true when the user completed it, `rule` then holding
    /// what was entered. Tests script it; the program shows REPWINDOW, REPWINDOW2 or
    /// REPWINDOW3.
    std::function<bool(int type, store::REPACT& rule)> parameterWindow;
    /// Opens REPWINDOW4 on one irregular occurrence; true when completed.
    std::function<bool(Occurrence& entry)> irregularWindow;
    /// Told when a rule's occurrences start (true) and finish (false) being worked out,
    /// so that the window can show the busy cursor over a long rule.
    std::function<void(bool on)> busy;
    /// Told just before a refusal's message is shown, so that the window can beep.
    std::function<void()> refusing;

    int type() const;
    /// The current occurrence as the window opened: the seed of every rule.
    const DateEntry& seed() const { return seed_; }
    const Words& words() const { return words_; }
    DateLimits limits() const;
    /// Whether weekends count as non-working days for this user (USP:WEEKEND).
    bool weekendsOff() const;

    /// Chooses an option (0 to 7). False when the choice did not take: the user declined
    /// the question of "No repeats" or cancelled the rule's parameter window; the option
    /// chosen before is then the current one again, with its rule.
    bool choose(int type);
    /// "Change": reopens the parameter window of the current rule. False when cancelled
    /// (the rule then stays as it was) or when the current type has no rule.
    bool changeRule();
    /// The line that describes the current rule in the window.
    std::string ruleLine() const;

    // Multi-day: the last day and the end time on it.
    store::LONG lastDay = 0;
    store::LONG lastEnd = 0;
    /// The date the calendar of an empty last day opens on: the day after the seed.
    store::LONG lastDayProposal() const { return seed_.DATE + 1; }
    const std::vector<store::LONG>& endTimes() const { return endTimes_; }

    // Irregular dates, kept in date, start and end order.
    const std::vector<DateEntry>& irregular() const { return irregular_; }
    /// "Insert": opens REPWINDOW4 on an empty date with the seed's times and adds the
    /// entry when completed. The index of the new entry, or -1.
    int insertIrregular();
    /// "Change": edits the entry at `index` the same way. Its new index, or -1.
    int changeIrregular(int index);
    /// "Delete": removes the entry at `index`.
    void deleteIrregular(int index);

    /// OK: applies the current option to the occurrence list. False when the window must
    /// stay open (a refusal, shown to the user, or a question answered No); focus() then
    /// names the field to return to. True when the occurrence list, the type and the rule
    /// are complete; the list is sorted by date, start and end.
    bool OK();
    /// Cancel: the type, every field of the rule and the occurrence list as they were.
    void cancel();
    RepeatField focus() const { return focus_; }
    /// Whether the last OK was refused with a message (the window beeps), rather than
    /// stopped by a question the user answered.
    bool refused() const { return refused_; }

  private:
    void setType(int type);
    void clearRule();
    bool openRuleWindow(int type, int previousType);
    bool stay(RepeatField field, const std::string& message = {});
    bool okMultiDay();
    bool okIrregular();
    bool okRule();
    /// The calendar of the rule's dates: the user's weekends and the special periods from
    /// `from` to `to`. False when SPECIAL cannot be read.
    bool calendarFor(Calendar& cal, store::LONG from, store::LONG to);
    DateEntry copyOfSeed(store::LONG date, store::LONG start, store::LONG end) const;
    int placeIrregular(const DateEntry& entry, int replacing);

    store::Store& db_;
    std::vector<DateEntry>& list_;
    Words words_;
    DateEntry seed_{};
    // The copies Cancel restores.
    std::vector<DateEntry> savedList_;
    int savedType_ = 0;
    store::REPACT savedRule_{};
    std::vector<DateEntry> irregular_;
    std::vector<store::LONG> endTimes_;
    RepeatField focus_ = RepeatField::None;
    bool refused_ = false;
};

}  // namespace booking

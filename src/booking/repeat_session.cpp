// The repeat window's logic: the options, the rules' parameter checks, the irregular dates
// and OK, working on the booking form's occurrence list and the ACT and REP buffers.
#include "booking/repeat_session.h"

#include <algorithm>
#include <memory>

#include "store/datetime.h"
#include "store/file_manager.h"
#include "store/questions.h"
#include "store/store.h"

namespace booking {

using store::LONG;
using store::REPACT;
using store::Tbl;

namespace {

Refusal refuse(RepeatField field, const char* text, const std::string& v1 = {}) {
    return {field, merge(tr(text), v1)};
}

const char* unitWord(int type) {
    return type == FixedDays ? "days" : type == FixedWeeks ? "weeks" : "months";
}

bool anyWeekday(const REPACT& r) {
    return r.MONDAY || r.TUESDAY || r.WEDNESDAY || r.THURSDAY || r.FRIDAY || r.SATURDAY || r.SUNDAY;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Parameter windows

REPACT fixedPeriodOpening(const REPACT& rule, int currentType, int windowType) {
    REPACT r = rule;
    if (currentType != windowType) {
        r.REPNUMBER = 0;
        r.REPEND = 0;
        r.WEEKENDREPEAT = Ask;
    }
    if (windowType != FixedDays && r.WEEKENDREPEAT == UseNextWorkDay) r.WEEKENDREPEAT = Ask;
    return r;
}

REPACT specificWeekdayOpening(const REPACT& rule) {
    REPACT r = rule;
    if (r.WEEK < 1 || r.WEEK > 5) r.WEEK = 1;
    if (r.WEEKDAY < 1 || r.WEEKDAY > 7) r.WEEKDAY = 1;
    if (r.WEEKENDREPEAT > SkipIt) r.WEEKENDREPEAT = Ask;
    return r;
}

REPACT setDaysOpening(const REPACT& rule) {
    REPACT r = rule;
    if (r.WEEKENDREPEAT > SkipIt) r.WEEKENDREPEAT = Ask;
    return r;
}

Refusal checkFixedPeriod(const REPACT& rule, int windowType, const DateLimits& limits,
                         const Words& words) {
    (void)words;
    if (rule.REPEND < limits.today)
        return refuse(RepeatField::Until, "The Until date must not be before today");
    if (rule.REPNUMBER <= 0)
        return refuse(RepeatField::Number, "The number of %1 must be at least 1",
                      tr(unitWord(windowType)));
    if (limits.tooFar(rule.REPEND))
        return refuse(RepeatField::Until, "Too far in the future. System Administrator setting.");
    return {};
}

Refusal checkSpecificWeekday(const REPACT& rule, LONG seed, const DateLimits& limits) {
    if (rule.REPEND < seed)
        return refuse(RepeatField::Until, "The end date must come after the selected occurrence");
    if (limits.tooFar(rule.REPEND))
        return refuse(RepeatField::Until, "Too far in the future. System Administrator setting.");
    return {};
}

Refusal checkSetDays(const REPACT& rule, LONG seed, const DateLimits& limits) {
    if (rule.REPEND < seed)
        return refuse(RepeatField::Until, "End date must be after the selected occurrence");
    if (limits.tooFar(rule.REPEND))
        return refuse(RepeatField::Until,
                      "End date is too far in the future. System Administrator setting.");
    if (!anyWeekday(rule))
        return refuse(RepeatField::Weekdays, "At least one weekday must be selected");
    return {};
}

Refusal checkUntilLeft(LONG until, LONG seed) {
    if (until != 0 && until <= seed)
        return refuse(RepeatField::Until, "Must be later than original date");
    return {};
}

Refusal checkIrregularDate(const Occurrence& entry, const DateLimits& limits) {
    if (entry.date == 0) return refuse(RepeatField::Date, "A date must be entered");
    if (limits.tooFar(entry.date))
        return refuse(RepeatField::Date, "Too far in the future. System Administrator setting.");
    if (entry.start == 0) return refuse(RepeatField::Start, "Start time must be entered");
    // An occurrence that ends before it starts would never show in a scan and collides
    // with nothing, so it is refused here rather than booked.
    if (entry.end <= entry.start)
        return refuse(RepeatField::End, "End time must be later than Start time");
    return {};
}

bool monthsWarningNeeded(LONG seed) {
    return seed != 0 && store::Date(seed).day() > 28;
}

std::string monthsWarning(const Words& words) {
    return merge(tr("Warning: If a month does not have enough days, the %1 will scheduled for "
                    "the next month. Continue?"),
                 lower(words.booking));
}

std::vector<LONG> endTimeList(LONG beginDay, LONG endDay, LONG interval) {
    std::vector<LONG> out;
    if (beginDay == 0) return out;
    out.push_back(beginDay);
    const LONG step = store::Length(interval).hundredths();
    if (step <= 0) return out;
    // The last value is the first one at or past the end of the working day; none runs
    // past the latest end a booking can have.
    for (LONG t = beginDay; t < endDay;) {
        t += step;
        if (t >= kEndOfDay) {
            out.push_back(kEndOfDay);
            break;
        }
        out.push_back(t);
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// The session

RepeatSession::RepeatSession(store::Store& db, std::vector<DateEntry>& occurrences, int current)
    : db_(db), list_(occurrences), words_(Words::of(db.SYP)) {
    savedList_ = list_;
    savedType_ = db_.ACT.REPEATTYPE;
    savedRule_ = db_.REP;
    db_.REP.ACTNUMBER = db_.ACT.ACTNUMBER;
    if (!list_.empty()) seed_ = list_[std::clamp(current, 0, int(list_.size()) - 1)];
    irregular_ = list_;
    std::stable_sort(irregular_.begin(), irregular_.end(), occursBefore);
    endTimes_ = endTimeList(db_.USP.BEGINDAY, db_.USP.ENDDAY, db_.USP.INTERVAL);
    if (savedType_ == MultiDay && list_.size() > 1) {
        lastDay = db_.REP.REPEND > seed_.DATE ? db_.REP.REPEND : list_.back().DATE;
        lastEnd = list_.back().ENDTIME;
    }
}

int RepeatSession::type() const {
    return db_.ACT.REPEATTYPE;
}

DateLimits RepeatSession::limits() const {
    return {store::today().value, db_.SYP.ADVANCEDAYS};
}

bool RepeatSession::weekendsOff() const {
    return db_.USP.WEEKEND == 1;
}

void RepeatSession::setType(int type) {
    db_.ACT.REPEATTYPE = store::BYTE(type);
}

void RepeatSession::clearRule() {
    const LONG number = db_.REP.ACTNUMBER;
    db_.table(Tbl::REPACT).clearBuffer();
    db_.REP.ACTNUMBER = number;
}

std::string RepeatSession::ruleLine() const {
    return windowDescription(type(), db_.REP);
}

bool RepeatSession::openRuleWindow(int type, int previousType) {
    REPACT rule = db_.REP;
    switch (type) {
        case FixedDays:
        case FixedWeeks:
        case FixedMonths:
            rule = fixedPeriodOpening(rule, previousType, type);
            break;
        case SetDaysEachWeek:
            rule = setDaysOpening(rule);
            break;
        case SpecificWeekday:
            rule = specificWeekdayOpening(rule);
            break;
        default:
            return false;
    }
    if (!parameterWindow || !parameterWindow(type, rule)) return false;
    rule.ACTNUMBER = db_.REP.ACTNUMBER;
    db_.REP = rule;
    return true;
}

bool RepeatSession::choose(int type) {
    const int previous = this->type();
    if (type == previous) return true;
    if (type == NoRepeats) {
        if (list_.size() >= 2 &&
            store::questions().message(
                merge(tr("%1 Repeats"), words_.booking),
                merge(tr("Selecting No Repeats will erase all occurrences of this %1 except the "
                         "one you originally selected. Do you want to continue?"),
                      lower(words_.booking)),
                store::Icon::Question, store::BUTTON_YES | store::BUTTON_NO,
                store::BUTTON_NO) != store::BUTTON_YES)
            return false;
        setType(NoRepeats);
        clearRule();
        return true;
    }
    if (type == MultiDay || type == IrregularDates) {
        setType(type);
        return true;
    }
    if (type < FixedDays || type > SpecificWeekday) return false;
    const REPACT before = db_.REP;
    setType(type);
    if (type == SpecificWeekday) {
        db_.REP.WEEKDAY = 1;
        db_.REP.WEEK = 1;
    }
    if (openRuleWindow(type, previous)) return true;
    setType(previous);
    db_.REP = before;
    return false;
}

bool RepeatSession::changeRule() {
    const int t = type();
    if (t < FixedDays || t > SpecificWeekday) return false;
    return openRuleWindow(t, t);
}

// ---------------------------------------------------------------------------------------
// Irregular dates

int RepeatSession::placeIrregular(const DateEntry& entry, int replacing) {
    if (replacing >= 0) irregular_.erase(irregular_.begin() + replacing);
    const auto at = std::upper_bound(irregular_.begin(), irregular_.end(), entry, occursBefore);
    const int index = int(at - irregular_.begin());
    irregular_.insert(at, entry);
    return index;
}

int RepeatSession::insertIrregular() {
    Occurrence o{0, seed_.TIME, seed_.ENDTIME};
    for (;;) {
        if (!irregularWindow || !irregularWindow(o)) return -1;
        const bool twice =
            std::any_of(irregular_.begin(), irregular_.end(), [&](const DateEntry& e) {
                return e.DATE == o.date && e.TIME == o.start && e.ENDTIME == o.end;
            });
        if (!twice) break;
        // The same date and times twice would be one occurrence booked twice.
        store::questions().message(merge(tr("%1 Repeats"), words_.booking),
                                   tr("This date and time is already in the list"),
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
    }
    DateEntry e{};
    e.DATE = o.date, e.TIME = o.start, e.ENDTIME = o.end, e.ACTNUMBER = db_.ACT.ACTNUMBER;
    return placeIrregular(e, -1);
}

int RepeatSession::changeIrregular(int index) {
    if (index < 0 || index >= int(irregular_.size())) return -1;
    DateEntry e = irregular_[index];
    Occurrence o{e.DATE, e.TIME, e.ENDTIME};
    for (;;) {
        if (!irregularWindow || !irregularWindow(o)) return -1;
        bool twice = false;
        for (int i = 0; i < int(irregular_.size()); ++i)
            if (i != index && irregular_[i].DATE == o.date && irregular_[i].TIME == o.start &&
                irregular_[i].ENDTIME == o.end)
                twice = true;
        if (!twice) break;
        store::questions().message(merge(tr("%1 Repeats"), words_.booking),
                                   tr("This date and time is already in the list"),
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
    }
    if (o.date != e.DATE || o.start != e.TIME || o.end != e.ENDTIME) {
        // Another occurrence now: what was recorded of the old one no longer applies.
        e.ACTUALSTART = e.ACTUALEND = 0;
    }
    e.DATE = o.date, e.TIME = o.start, e.ENDTIME = o.end;
    return placeIrregular(e, index);
}

void RepeatSession::deleteIrregular(int index) {
    if (index >= 0 && index < int(irregular_.size())) irregular_.erase(irregular_.begin() + index);
}

// ---------------------------------------------------------------------------------------
// OK and Cancel

bool RepeatSession::stay(RepeatField field, const std::string& message) {
    focus_ = field;
    refused_ = !message.empty();
    if (refused_ && refusing) refusing();
    if (refused_)
        store::questions().message(merge(tr("%1 Repeats"), words_.booking), message,
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
    return false;
}

DateEntry RepeatSession::copyOfSeed(LONG date, LONG start, LONG end) const {
    DateEntry e = seed_;
    e.DATE = date, e.TIME = start, e.ENDTIME = end;
    if (date != seed_.DATE) e.ACTUALSTART = e.ACTUALEND = 0;
    return e;
}

bool RepeatSession::OK() {
    focus_ = RepeatField::None;
    refused_ = false;
    if (seed_.DATE == 0) return stay(RepeatField::Options, tr("A date must be entered"));
    bool done = false;
    switch (type()) {
        case NoRepeats:
            list_.assign(1, seed_);
            clearRule();
            done = true;
            break;
        case MultiDay:
            done = okMultiDay();
            break;
        case IrregularDates:
            done = okIrregular();
            break;
        default:
            done = okRule();
            break;
    }
    if (done) std::stable_sort(list_.begin(), list_.end(), occursBefore);
    return done;
}

bool RepeatSession::okMultiDay() {
    if (savedList_.size() >= 2) {
        setType(savedType_);
        db_.REP = savedRule_;
        db_.REP.ACTNUMBER = db_.ACT.ACTNUMBER;
        return stay(RepeatField::Options,
                    merge(tr("You cannot use this window to change an existing repeat or "
                             "multi-day %1"),
                          words_.booking));
    }
    const std::string problem =
        multiDayProblem({seed_.DATE, seed_.TIME, seed_.ENDTIME}, lastDay, lastEnd);
    if (!problem.empty())
        return stay(lastDay <= seed_.DATE ? RepeatField::LastDay : RepeatField::EndTime,
                    tr(problem));
    if (limits().tooFar(lastDay))
        return stay(RepeatField::LastDay,
                    tr("Too far in the future. System Administrator setting."));
    std::vector<DateEntry> out;
    for (const Occurrence& o : MULTIDAY({seed_.DATE, seed_.TIME, seed_.ENDTIME}, lastDay, lastEnd))
        out.push_back(copyOfSeed(o.date, o.start, o.end));
    // Whole days carry no rule, and a rule left over from an earlier choice must not
    // steer the checks of weekends and special days.
    clearRule();
    db_.REP.REPEND = lastDay;
    list_ = std::move(out);
    return true;
}

bool RepeatSession::okIrregular() {
    if (irregular_.empty())
        return stay(RepeatField::Irregular,
                    merge(tr("The Irregular dates list is empty: insert at least one date for "
                             "this %1"),
                          lower(words_.booking)));
    if (list_.size() >= 2 &&
        store::questions().message(
            merge(tr("%1 Repeats"), words_.booking),
            merge(tr("Replace all repeats of this %1 with those in the Irregular dates list?"),
                  words_.booking),
            store::Icon::Question, store::BUTTON_YES | store::BUTTON_NO,
            store::BUTTON_YES) != store::BUTTON_YES)
        return stay(RepeatField::Irregular);
    clearRule();
    list_ = irregular_;
    return true;
}

bool RepeatSession::okRule() {
    const REPACT& rule = db_.REP;
    Calendar cal;
    if (busy) busy(true);
    const bool read = calendarFor(cal, seed_.DATE, rule.REPEND);
    const Occurrences added =
        read ? generate(type(), rule, {seed_.DATE, seed_.TIME, seed_.ENDTIME}, cal) : Occurrences{};
    if (busy) busy(false);
    if (!read) {
        store::questions().stop(db_.engine().status().message() + " REPEATACT");
        return stay(RepeatField::Options);
    }
    if (added.empty())
        return stay(RepeatField::Change,
                    merge(tr("This repeat rule adds no occurrences after %1. Press Change and "
                             "choose a later Until date."),
                          store::longDate(store::Date(seed_.DATE))));
    if (list_.size() >= 2 &&
        store::questions().message(
            merge(tr("%1 Repeats"), words_.booking),
            merge(tr("Any repeats of this %1 already scheduled for after %2 may be changed. "
                     "Continue?"),
                  lower(words_.bookings), store::longDate(store::Date(seed_.DATE))),
            store::Icon::Question, store::BUTTON_YES | store::BUTTON_NO,
            store::BUTTON_YES) != store::BUTTON_YES) {
        setType(savedType_);
        db_.REP = savedRule_;
        db_.REP.ACTNUMBER = db_.ACT.ACTNUMBER;
        return stay(RepeatField::Options);
    }
    std::vector<DateEntry> out;
    out.reserve(list_.size() + added.size());
    for (const DateEntry& e : list_)
        if (e.DATE <= seed_.DATE) out.push_back(e);
    if (std::find(out.begin(), out.end(), seed_) == out.end()) out.push_back(seed_);
    for (const Occurrence& o : added) out.push_back(copyOfSeed(o.date, o.start, o.end));
    list_ = std::move(out);
    return true;
}

bool RepeatSession::calendarFor(Calendar& cal, LONG from, LONG to) {
    cal.weekendsOff = weekendsOff();
    // The special periods that can hold a date of the rule, read once along the key of
    // their first day: those that begin by the rule's last date and end on or after the
    // seed. A rule over ten years then looks each date up in memory.
    store::FileManager& fm = db_.Access(Tbl::SPECIAL);
    if (fm.OPEN() != store::Level_Benign) return false;
    if (fm.USEFILE() != store::Level_Benign) {
        fm.CLOSE();
        return false;
    }
    struct Period {
        LONG start, end;
    };
    auto periods = std::make_shared<std::vector<Period>>();
    const store::SPECIAL kept = db_.SPE;
    store::Engine& e = db_.engine();
    store::Table& spe = db_.table(Tbl::SPECIAL);
    int rc = e.set(spe, store::SPE::DATE_KEY);
    while (rc == 0 && (rc = e.next(spe)) == 0 && db_.SPE.STARTDATE <= to)
        if (db_.SPE.ENDDATE >= from) periods->push_back({db_.SPE.STARTDATE, db_.SPE.ENDDATE});
    db_.SPE = kept;
    fm.CLOSE();
    if (rc != 0 && rc != store::RecordNotAvailableErr) return false;
    cal.special = [periods](LONG d) {
        return std::any_of(periods->begin(), periods->end(),
                           [d](const Period& p) { return p.start <= d && d <= p.end; });
    };
    return true;
}

void RepeatSession::cancel() {
    list_ = savedList_;
    setType(savedType_);
    db_.REP = savedRule_;
}

}  // namespace booking

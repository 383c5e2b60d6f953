#include "booking/booking_form.h"

#include <algorithm>
#include <cstring>

#include "booking/control_number.h"
#include "booking/repeat.h"
#include "booking/text_export.h"
#include "store/datetime.h"
#include "store/file_manager.h"
#include "store/key_walk.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking {

using store::Level_Benign;
using store::LONG;
using store::Tbl;

namespace {

/// The latest end the form produces (23:59:49.99).
constexpr LONG kLatestEnd = 8639000;
/// What the form adds to a typed start: four seconds past the minute.
constexpr LONG kStartOffset = 400;

/// The start as the user typed it: a stored start that sits four seconds past a minute
/// carries the form's offset.
LONG typedStart(LONG start) {
    return start > kStartOffset && (start - 1) % store::Time::kHundredthsPerMinute == kStartOffset
               ? start - kStartOffset
               : start;
}

LONG endAfter(LONG start, LONG length) {
    if (start == 0) return 0;
    return std::min((store::Time(start) + store::Length(length)).value, kLatestEnd);
}

template <class T>
bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void message(const std::string& text, const std::string& caption = "Tembrix",
             store::Icon icon = store::Icon::Exclamation) {
    store::questions().message(caption, text, icon, store::BUTTON_OK, store::BUTTON_OK);
}

bool askYesNo(const std::string& text) {
    return store::questions().message("Tembrix", text, store::Icon::Question,
                                      store::BUTTON_YES | store::BUTTON_NO,
                                      store::BUTTON_YES) == store::BUTTON_YES;
}

}  // namespace

BookingForm::BookingForm(store::Store& db) : db_(db) {}

BookingForm::~BookingForm() {
    for (Tbl t : tables_) db_.Access(t).CLOSE();
}

// ---------------------------------------------------------------------------------------
// Opening

bool BookingForm::open(int request) {
    request_ = request;
    words_ = Words::of(db_.SYP);
    for (Tbl t : {Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT, Tbl::REPACT, Tbl::ACTNOTES, Tbl::CONTROL,
                  Tbl::RESOURCE, Tbl::SPECIAL, Tbl::CLIENT, Tbl::GROUPRES, Tbl::RESUSER,
                  Tbl::DURLIST, Tbl::ROUTINEA}) {
        store::FileManager& fm = db_.Access(t);
        if (fm.OPEN() != Level_Benign) return false;
        tables_.push_back(t);
        if (fm.USEFILE() != Level_Benign) return false;
    }
    opened_ = true;
    if (request == store::InsertRecord) {
        PRIMEFIELDS();
        if (db_.ACT.ACTNUMBER == 0) {
            message(merge(tr("No number for a new %1 could be had: the data files are locked "
                             "by other stations or cannot be written. Please try again."),
                          lower(words_.booking)));
            return false;
        }
    } else if (!FILLQUEUES()) {
        return false;
    }
    FILLLISTS();
    asOpened_.act = db_.ACT;
    asOpened_.acn = db_.ACN;
    asOpened_.rep = db_.REP;
    asOpened_.dates = dates_;
    asOpened_.resources = resources_;
    asOpened_.fields = {date, start, end, actualStart, actualEnd, db_.ACT.ACTNUMBER};
    return true;
}

void BookingForm::PRIMEFIELDS() {
    db_.table(Tbl::ACTIVITY).clearBuffer();
    db_.table(Tbl::ACTNOTES).clearBuffer();
    db_.table(Tbl::REPACT).clearBuffer();
    const LONG number = NEWCONTROLNUMBER(db_);
    db_.ACT.ACTNUMBER = number;
    db_.ACN.ACTNUMBER = number;
    db_.ACT.REPEATTYPE = NoRepeats;
    db_.ACT.LOCK = db_.SYP.LOCK;
    db_.ACT.NAME = db_.USP.NAME.view();
    db_.ACT.CLIENT = db_.USP.CLIENT.view();
    duration = db_.USP.DURATION;
    date = store::today().value;
    start = db_.USP.STARTTIME;
    end = endAfter(start, duration);
    actualStart = actualEnd = 0;
    dates_.clear();
    current_ = -1;
    resources_.clear();
    // The user's default resource is booked once and is the primary one at once, so that
    // a booking saved without touching the list still names its primary resource.
    if (!db_.USP.RESOURCE.blank()) {
        resources_.push_back({db_.USP.RESOURCE.str(), 1});
        derivePrimary();
    }
}

bool BookingForm::FILLQUEUES() {
    store::Engine& e = db_.engine();
    clicked_ = db_.DAT;
    loadedNumber_ = db_.ACT.ACTNUMBER ? db_.ACT.ACTNUMBER : clicked_.ACTNUMBER;
    db_.ACT.ACTNUMBER = loadedNumber_;
    if (e.get(db_.table(Tbl::ACTIVITY), store::ACT::ACTNUMBER_KEY) != 0) {
        message(merge(tr("This %1 no longer exists: another station or window deleted it."),
                      lower(words_.booking)));
        loadedNumber_ = 0;
        return false;
    }
    actLoaded_ = db_.ACT;
    actPosition_ = db_.table(Tbl::ACTIVITY).position();
    loadedType_ = db_.ACT.REPEATTYPE;
    db_.table(Tbl::REPACT).clearBuffer();
    db_.REP.ACTNUMBER = loadedNumber_;
    ruleExisted_ =
        loadedType_ != NoRepeats && e.get(db_.table(Tbl::REPACT), store::REP::ACTNUMBER_KEY) == 0;
    if (ruleExisted_) {
        repPosition_ = db_.table(Tbl::REPACT).position();
    } else {
        db_.table(Tbl::REPACT).clearBuffer();
        db_.REP.ACTNUMBER = loadedNumber_;
    }
    repLoaded_ = db_.REP;
    db_.table(Tbl::ACTNOTES).clearBuffer();
    db_.ACN.ACTNUMBER = loadedNumber_;
    notesExisted_ = e.get(db_.table(Tbl::ACTNOTES), store::ACN::ACTNUMBER_KEY) == 0;
    if (notesExisted_) {
        acnPosition_ = db_.table(Tbl::ACTNOTES).position();
    } else {
        db_.table(Tbl::ACTNOTES).clearBuffer();
        db_.ACN.ACTNUMBER = loadedNumber_;
    }
    acnLoaded_ = db_.ACN;

    dates_ = storedDates(loadedNumber_);
    std::stable_sort(dates_.begin(), dates_.end(), occursBefore);
    datesLoaded_ = dates_;
    resourcesLoaded_ = storedResources(loadedNumber_);
    resources_ = resourcesLoaded_;
    std::stable_sort(resources_.begin(), resources_.end(),
                     [](const auto& a, const auto& b) { return a.RESOURCE < b.RESOURCE; });

    db_.DAT = clicked_;
    if (locateCurrent(isClicked())) {
        const DateEntry& c = dates_[current_];
        date = c.DATE, start = c.TIME, end = c.ENDTIME;
        actualStart = c.ACTUALSTART, actualEnd = c.ACTUALEND;
        clicked_.DATE = c.DATE, clicked_.TIME = c.TIME, clicked_.ENDTIME = c.ENDTIME;
        clicked_.ACTUALSTART = c.ACTUALSTART, clicked_.ACTUALEND = c.ACTUALEND;
        clicked_.ACTNUMBER = loadedNumber_;
    }
    duration = (start && end) ? (store::Time(end) - store::Time(typedStart(start))).value : 0;

    const auto& s = store::session();
    lockDisabled_ = db_.ACT.LOCK == 1 && !(db_.ACT.USERNAME == s.GlobalUserName) &&
                    !store::may(s.accessLevel, store::Right::AdministerResources);
    return true;
}

std::vector<DateEntry> BookingForm::storedDates(LONG number) {
    std::vector<DateEntry> out;
    store::Engine& e = db_.engine();
    store::Table& dat = db_.table(Tbl::DATES);
    dat.clearBuffer();
    db_.DAT.ACTNUMBER = number;
    store::walkEqual(e, dat, store::DAT::ACTDATES_KEY, 1, [&] {
        out.push_back({db_.DAT.DATE, db_.DAT.TIME, db_.DAT.ENDTIME, db_.DAT.ACTUALSTART,
                       db_.DAT.ACTUALEND, db_.DAT.ACTNUMBER});
        return true;
    });
    return out;
}

std::vector<ResourceEntry> BookingForm::storedResources(LONG number) {
    std::vector<ResourceEntry> out;
    store::Engine& e = db_.engine();
    store::Table& rac = db_.table(Tbl::RESACT);
    rac.clearBuffer();
    db_.RAC.ACTNUMBER = number;
    store::walkEqual(e, rac, store::RAC::ACTRESOURCE_KEY, 1, [&] {
        out.push_back({db_.RAC.RESOURCE.str(), db_.RAC.UNITS});
        return true;
    });
    return out;
}

void BookingForm::FILLLISTS() {
    startTimes.clear();
    durations.clear();
    names.clear();
    const LONG interval = db_.USP.INTERVAL;
    LONG t = db_.USP.BEGINDAY;
    if (t != 0) {
        startTimes.push_back(t);
        // A length of no time would never reach the end of the day.
        while (store::Length(interval).hundredths() > 0 && t < db_.USP.ENDDAY) {
            t = (store::Time(t) + store::Length(interval)).value;
            startTimes.push_back(t);
        }
    }
    store::Engine& e = db_.engine();
    const std::string user = store::session().GlobalUserName;
    store::Table& dur = db_.table(Tbl::DURLIST);
    dur.clearBuffer();
    db_.DUR.USERNAME = user;
    store::walkEqual(e, dur, store::DUR::USERNAME_KEY, 1, [&] {
        durations.push_back(db_.DUR.DURATION);
        return true;
    });
    store::Table& rou = db_.table(Tbl::ROUTINEA);
    rou.clearBuffer();
    db_.ROU.USERNAME = user;
    store::walkEqual(e, rou, store::ROU::USERNAME_KEY, 1, [&] {
        names.push_back(db_.ROU.NAME.str());
        return true;
    });
}

std::string BookingForm::numberText() const {
    return std::to_string(db_.ACT.ACTNUMBER);
}

// ---------------------------------------------------------------------------------------
// Start, duration and end

void BookingForm::startAccepted(LONG typed) {
    if (typed == 0) {
        start = 0;
        return;
    }
    const LONG newEnd = endAfter(typed, duration);
    start = typed + kStartOffset;
    endAccepted(newEnd);
}

void BookingForm::durationAccepted(LONG length) {
    duration = length;
    endAccepted(endAfter(typedStart(start), duration));
}

void BookingForm::endAccepted(LONG typedEnd) {
    end = typedEnd;
    if (end == 0 || start == 0) return;
    const LONG from = typedStart(start);
    if (endAfter(from, duration) != end && end > from)
        duration = (store::Time(end) - store::Time(from)).value;
}

void BookingForm::endFocused() {
    if (end == 0) end = endAfter(typedStart(start), db_.USP.DURATION);
}

// ---------------------------------------------------------------------------------------
// Resources

void BookingForm::derivePrimary() {
    if (resources_.empty()) {
        db_.ACT.PRIME = "";
        db_.ACT.UNITS = 0;
        return;
    }
    auto it = std::find_if(resources_.begin(), resources_.end(),
                           [&](const ResourceEntry& r) { return db_.ACT.PRIME == r.RESOURCE; });
    if (resources_.size() == 1 || it == resources_.end()) it = resources_.begin();
    db_.ACT.PRIME = it->RESOURCE;
    db_.ACT.UNITS = store::SHORT(it->UNITS);
}

int BookingForm::askUnits(const std::string& resource, int total) {
    if (total < 2) return 1;
    const int units = UPDATEUNITS ? UPDATEUNITS(resource, total) : 1;
    return units > 0 ? units : 1;
}

int BookingForm::resourceUnits(const std::string& resource) {
    auto it = units_.find(resource);
    if (it != units_.end()) return it->second;
    store::Table& res = db_.table(Tbl::RESOURCE);
    std::vector<std::byte> keep(res.buffer(), res.buffer() + res.recordSize());
    db_.RES.RESOURCE = resource;
    // A resource no longer on file is taken as a single one: its bookings still collide.
    const int units = db_.engine().get(res, store::RES::RESOURCE_KEY) == 0 ? db_.RES.UNITS : 1;
    std::memcpy(res.buffer(), keep.data(), keep.size());
    units_[resource] = units;
    return units;
}

void BookingForm::insertResources(std::vector<std::pair<std::string, int>> chosen) {
    std::sort(chosen.begin(), chosen.end());
    bool changed = false;
    for (const auto& [code, total] : chosen) {
        const std::string c = trim(code);
        if (c.empty()) continue;
        if (std::any_of(resources_.begin(), resources_.end(),
                        [&](const ResourceEntry& r) { return r.RESOURCE == c; }))
            continue;
        resources_.push_back({c, askUnits(c, total)});
        changed = true;
    }
    if (!changed) return;
    std::stable_sort(resources_.begin(), resources_.end(),
                     [](const auto& a, const auto& b) { return a.RESOURCE < b.RESOURCE; });
    changedFlag_ = true;
    derivePrimary();
}

std::vector<std::string> BookingForm::groupMembers(const std::string& group) {
    std::vector<std::string> members;
    store::Engine& e = db_.engine();
    store::Table& grp = db_.table(Tbl::GROUPRES);
    grp.clearBuffer();
    db_.GRP.GROUP = group;
    store::walkEqual(e, grp, store::GRP::GROUP_KEY, 1, [&] {
        members.push_back(db_.GRP.RESOURCES.str());
        return true;
    });
    return members;
}

bool BookingForm::authorizedFor(const std::string& resource) {
    if (store::may(store::session().accessLevel, store::Right::AdministerResources)) return true;
    db_.RUS.RESOURCE = resource;
    db_.RUS.USERNAME = store::session().GlobalUserName;
    return db_.engine().get(db_.table(Tbl::RESUSER), store::RUS::RESOURCE_KEY) == 0;
}

bool BookingForm::addGroup(const std::string& group) {
    const std::vector<std::string> members = groupMembers(group);
    for (const std::string& r : members)
        if (!authorizedFor(r)) {
            message(merge(tr("You are not authorized to book all the %1 in this group"),
                          lower(words_.resources)));
            focus_ = FormField::Name;
            return false;
        }
    std::vector<std::pair<std::string, int>> chosen;
    for (const std::string& r : members) chosen.push_back({r, resourceUnits(r)});
    insertResources(std::move(chosen));
    return true;
}

void BookingForm::deleteResource(int index) {
    if (index < 0 || index >= int(resources_.size())) return;
    resources_.erase(resources_.begin() + index);
    changedFlag_ = true;
    derivePrimary();
}

void BookingForm::deleteGroup(const std::string& group) {
    const std::vector<std::string> members = groupMembers(group);
    const auto gone = std::remove_if(resources_.begin(), resources_.end(), [&](const auto& r) {
        return std::find(members.begin(), members.end(), r.RESOURCE) != members.end();
    });
    if (gone == resources_.end()) return;
    resources_.erase(gone, resources_.end());
    changedFlag_ = true;
    derivePrimary();
}

void BookingForm::makePrimary(int index) {
    if (index < 0 || index >= int(resources_.size())) return;
    db_.ACT.PRIME = resources_[index].RESOURCE;
    db_.ACT.UNITS = store::SHORT(resources_[index].UNITS);
}

// ---------------------------------------------------------------------------------------
// Repeat

void BookingForm::saveFields() {
    saved_ = {date, start, end, actualStart, actualEnd, db_.ACT.ACTNUMBER};
}

void BookingForm::restoreFields() {
    date = saved_.date, start = saved_.start, end = saved_.end;
    actualStart = saved_.actualStart, actualEnd = saved_.actualEnd;
}

void BookingForm::writeFormOccurrence() {
    const DateEntry e{date, start, end, actualStart, actualEnd, db_.ACT.ACTNUMBER};
    if (current_ >= 0 && current_ < int(dates_.size()))
        dates_[current_] = e;
    else
        dates_.push_back(e);
    std::stable_sort(dates_.begin(), dates_.end(), occursBefore);
    current_ = int(std::find(dates_.begin(), dates_.end(), e) - dates_.begin());
}

bool BookingForm::locateCurrent(const std::function<bool(const DateEntry&)>& is) {
    const auto it = std::find_if(dates_.begin(), dates_.end(), is);
    current_ = it != dates_.end() ? int(it - dates_.begin()) : dates_.empty() ? -1 : 0;
    return current_ >= 0;
}

std::function<bool(const DateEntry&)> BookingForm::isClicked() const {
    return [this](const DateEntry& e) {
        return e.DATE == clicked_.DATE && e.TIME == clicked_.TIME && e.ENDTIME == clicked_.ENDTIME;
    };
}

void BookingForm::setCurrent(int index) {
    current_ = dates_.empty() ? -1 : std::clamp(index, 0, int(dates_.size()) - 1);
}

bool BookingForm::beforeRepeat() {
    if (start == db_.USP.STARTTIME && duration == db_.USP.DURATION &&
        !askYesNo(merge(tr("Use %1 to %2 as time for repeat occurrences?"),
                        store::shortTime(store::Time(start)),
                        store::shortTime(store::Time(end))))) {
        focus_ = FormField::Start;
        return false;
    }
    saveFields();
    writeFormOccurrence();
    newRepeat_ = changing() && dates_.size() == 1;
    return true;
}

void BookingForm::afterRepeat(bool completed) {
    if (completed) {
        if (db_.ACT.REPEATTYPE == MultiDay) saved_.end = kLatestEnd;
        changedFlag_ = true;
    } else {
        newRepeat_ = false;
    }
    restoreFields();
    if (locateCurrent([&](const DateEntry& e) {
            return e.ACTNUMBER == saved_.number && e.DATE == saved_.date && e.TIME == saved_.start;
        })) {
        const DateEntry& c = dates_[current_];
        date = c.DATE, start = c.TIME, end = c.ENDTIME;
    }
}

std::string BookingForm::description() {
    if (dates_.size() <= 1) db_.ACT.REPEATTYPE = NoRepeats;
    return formDescription(db_.ACT.REPEATTYPE, db_.REP, dates_.size());
}

// ---------------------------------------------------------------------------------------
// Rights and enabling

bool BookingForm::editingAllowed() const {
    // lockDisabled_ holds only for a locked booking of another user that this level may not
    // alter; a new booking is never locked against its maker.
    if (!store::may(store::session().accessLevel, store::Right::Book)) return false;
    return !(changing() && lockDisabled_);
}

bool BookingForm::edited() const {
    // The number, the stamp and a rule's link to its booking are the form's own doing.
    store::ACTIVITY act = db_.ACT;
    act.ACTNUMBER = asOpened_.act.ACTNUMBER;
    act.USERNAME = asOpened_.act.USERNAME;
    act.CHANGEDATE = asOpened_.act.CHANGEDATE;
    act.CHANGETIME = asOpened_.act.CHANGETIME;
    store::ACTNOTES acn = db_.ACN;
    acn.ACTNUMBER = asOpened_.acn.ACTNUMBER;
    store::REPACT rep = db_.REP;
    rep.ACTNUMBER = asOpened_.rep.ACTNUMBER;
    // One occurrence is the one in the form's fields, whether or not OK has put it in
    // the list yet; a list of more is the repeat pattern.
    auto pattern = [](const std::vector<DateEntry>& list) {
        return list.size() > 1 ? list : std::vector<DateEntry>{};
    };
    const SavedFields& f = asOpened_.fields;
    return !sameBytes(act, asOpened_.act) || !sameBytes(acn, asOpened_.acn) ||
           !sameBytes(rep, asOpened_.rep) || resources_ != asOpened_.resources ||
           pattern(dates_) != pattern(asOpened_.dates) || date != f.date || start != f.start ||
           end != f.end || actualStart != f.actualStart || actualEnd != f.actualEnd;
}

bool BookingForm::saveEnabled() const {
    return date != 0 && start != 0 && end != 0 && !trim(db_.ACT.NAME.view()).empty() &&
           !resources_.empty() && !trim(db_.ACT.CLIENT.view()).empty() && editingAllowed();
}

bool BookingForm::notesMarked() const {
    return !trim(db_.ACN.NOTES.view()).empty();
}

std::vector<std::string> BookingForm::textLines() {
    if (!changing()) USERTIMESTAMP();
    return ASCIFILE(db_, words_, date, start, end, resources_, dates_);
}

// ---------------------------------------------------------------------------------------
// OK

bool BookingForm::CHECKLOCK() {
    if (changing() && db_.ACT.LOCK == 1 && lockDisabled_) {
        message(merge(tr("Sorry %1 is locked. You are not authorized to change it."),
                      lower(words_.booking)));
        PROCEDURERETURN();
        return false;
    }
    return true;
}

bool BookingForm::CHECKENDTIME() {
    if (start >= end) {
        message(tr("End time must be later than Start time"));
        end = endAfter(typedStart(start), db_.USP.DURATION);
        focus_ = FormField::End;
        return false;
    }
    return true;
}

bool BookingForm::CHECKFUTUREDATE() {
    const int advance = db_.SYP.ADVANCEDAYS;
    if (advance > 0 && store::today().value + advance < date) {
        message(tr("Too far in the future. System Administrator setting."));
        focus_ = FormField::Date;
        return false;
    }
    return true;
}

void BookingForm::USERTIMESTAMP() {
    db_.ACT.USERNAME = store::session().GlobalUserName;
    db_.ACT.CHANGEDATE = store::today().value;
    db_.ACT.CHANGETIME = store::now().value;
}

void BookingForm::INCREMENTACT() {
    const LONG number = NEWCONTROLNUMBER(db_);
    db_.ACT.ACTNUMBER = number;
    if (db_.ACT.NAME == actLoaded_.NAME) db_.ACT.NAME = "*" + db_.ACT.NAME.str();
    db_.ACN.ACTNUMBER = number;
    USERTIMESTAMP();
}

bool BookingForm::formOccurrenceChanged() const {
    return date != clicked_.DATE || start != clicked_.TIME || end != clicked_.ENDTIME ||
           actualStart != clicked_.ACTUALSTART || actualEnd != clicked_.ACTUALEND;
}

bool BookingForm::nothingChanged() const {
    return sameBytes(db_.ACT, actLoaded_) && !changedFlag_ && !formOccurrenceChanged() &&
           sameBytes(db_.ACN, acnLoaded_) && sameBytes(db_.REP, repLoaded_);
}

void BookingForm::ERASEALL() {
    // The occurrences go back to the list as OK found it: what the checks accepted,
    // skipped or retimed is undone, and the pattern the user built (its rule included)
    // stays, to be checked again by the next OK.
    dates_ = datesAtOk_;
    current_ = dates_.empty() ? -1 : std::clamp(currentAtOk_, 0, int(dates_.size()) - 1);
    if (changing()) {
        // A scope that already made a new booking of the change is undone with it, so
        // that the next OK starts again from the booking as it stood.
        if (scope_ != NoScope) {
            db_.ACT.ACTNUMBER = loadedNumber_;
            db_.ACN.ACTNUMBER = loadedNumber_;
            if (db_.ACT.NAME == "*" + actLoaded_.NAME.str()) db_.ACT.NAME = actLoaded_.NAME.view();
            db_.ACT.REPEATTYPE = store::BYTE(typeAtOk_);
            db_.REP = ruleAtOk_;
            request_ = store::ChangeRecord;
            scope_ = NoScope;
        }
    }
    loop_ = false;
    answer_ = 0;
    restoreFields();
    focus_ = FormField::Date;
}

OkOutcome BookingForm::OK() {
    focus_ = FormField::None;
    answer_ = 0;
    loop_ = false;
    checked_.clear();
    acceptedWhole_.clear();
    accepted_.clear();
    acceptedPool_.clear();
    units_.clear();
    others_.clear();
    if (!editingAllowed()) return OkOutcome::Cancelled;
    if (!CHECKLOCK()) return OkOutcome::Cancelled;
    if (date == 0) {
        message(tr("A date must be entered"));
        focus_ = FormField::Date;
        return OkOutcome::Stay;
    }
    if (start == 0 || end == 0) {
        message(tr("Start and end times must be entered"));
        focus_ = start == 0 ? FormField::Start : FormField::End;
        return OkOutcome::Stay;
    }
    if (!CHECKENDTIME() || !CHECKFUTUREDATE()) return OkOutcome::Stay;
    if (!saveEnabled()) {
        message(merge(tr("A %1 needs a name, a %2 and at least one %3 before it can be saved."),
                      lower(words_.booking), lower(words_.client), lower(words_.resource)));
        focus_ = trim(db_.ACT.NAME.view()).empty()     ? FormField::Name
                 : trim(db_.ACT.CLIENT.view()).empty() ? FormField::Client
                                                       : FormField::Resources;
        return OkOutcome::Stay;
    }
    writeFormOccurrence();
    datesAtOk_ = dates_;
    currentAtOk_ = current_;
    typeAtOk_ = db_.ACT.REPEATTYPE;
    ruleAtOk_ = db_.REP;

    auto stayAfterErase = [&] {
        ERASEALL();
        return OkOutcome::Stay;
    };
    if (!changing() || request_ == store::InsertRecord) {
        saveFields();
        USERTIMESTAMP();
        if (!LOOPDATECHECK(false, false)) return stayAfterErase();
        return TAKECOMPLETED();
    }
    if (nothingChanged()) return OkOutcome::Cancelled;
    description();
    if (db_.ACT.REPEATTYPE == NoRepeats) {
        saveFields();
        if (changedFlag_ || formOccurrenceChanged()) {
            prepareChecks({dates_[current_]});
            CONFLCHECK(current_, false);
            if (answer_ == store::CancelEraseAccepted) return stayAfterErase();
            changedFlag_ = false;
        }
        USERTIMESTAMP();
        return TAKECOMPLETED();
    }
    if (newRepeat_) {
        saveFields();
        if (!DATELOOPNEWREPEAT()) return stayAfterErase();
        USERTIMESTAMP();
        return TAKECOMPLETED();
    }
    return changeRepeated();
}

OkOutcome BookingForm::changeRepeated() {
    auto stayAfterErase = [&] {
        ERASEALL();
        return OkOutcome::Stay;
    };
    const int scope = db_.ACT.REPEATTYPE == MultiDay ? AllOccurrences
                      : CHANGEREP                    ? CHANGEREP()
                                                     : JustThisOne;
    if (scope == NoScope) {
        focus_ = FormField::Name;
        return OkOutcome::Stay;
    }
    saveFields();
    const bool timesChanged = saved_.start != clicked_.TIME || saved_.end != clicked_.ENDTIME;
    const bool check = changedFlag_ || formOccurrenceChanged();
    switch (scope) {
        case JustThisOne: {
            if (check) {
                prepareChecks({dates_[current_]});
                CONFLCHECK(current_, false);
                if (answer_ == store::CancelEraseAccepted) return stayAfterErase();
            }
            if (!CONCURRENCYCHECK()) return OkOutcome::Cancelled;
            scope_ = JustThisOne;
            INCREMENTACT();
            db_.ACT.REPEATTYPE = NoRepeats;
            const DateEntry one{date, start, end, actualStart, actualEnd, db_.ACT.ACTNUMBER};
            dates_ = {one};
            current_ = 0;
            db_.table(Tbl::REPACT).clearBuffer();
            request_ = store::InsertRecord;
            USERTIMESTAMP();
            return TAKECOMPLETED();
        }
        case ThisOneAndFuture: {
            scope_ = ThisOneAndFuture;
            INCREMENTACT();
            bool override = db_.ACT.REPEATTYPE != IrregularDates;
            if (check) {
                override = SETLOOPFLAG();
                if (!LOOPDATECHECK(override, true)) return stayAfterErase();
            }
            std::vector<DateEntry> kept;
            for (int i = 0; i < int(dates_.size()); ++i) {
                DateEntry e = dates_[i];
                if (e.DATE < clicked_.DATE && i != current_) continue;
                if (override) e.TIME = saved_.start, e.ENDTIME = saved_.end;
                e.ACTNUMBER = db_.ACT.ACTNUMBER;
                kept.push_back(e);
            }
            dates_ = std::move(kept);
            std::stable_sort(dates_.begin(), dates_.end(), occursBefore);
            current_ = dates_.empty() ? -1 : 0;
            db_.ACT.REPEATTYPE = IrregularDates;
            request_ = store::InsertRecord;
            USERTIMESTAMP();
            return TAKECOMPLETED();
        }
        default: {
            if (check || timesChanged) {
                // The days of a multi-day booking keep their own times (the first runs to
                // the end of its day, the last from midnight): one time for all would
                // undo the booking's shape.
                const bool override = db_.ACT.REPEATTYPE != MultiDay && SETLOOPFLAG();
                if (override)
                    for (DateEntry& e : dates_) e.TIME = saved_.start, e.ENDTIME = saved_.end;
                if (!LOOPDATECHECK(override, false)) return stayAfterErase();
            }
            USERTIMESTAMP();
            return TAKECOMPLETED();
        }
    }
}

void BookingForm::PROCEDURERETURN() {
    store::session().GlobalResponse = store::RequestCancelled;
}

void clickOccurrence(store::Store& db, store::LONG number, store::LONG date, store::LONG start,
                     store::LONG end) {
    db.table(Tbl::DATES).clearBuffer();
    db.DAT.ACTNUMBER = number;
    db.DAT.DATE = date;
    db.DAT.TIME = start;
    db.DAT.ENDTIME = end;
    db.ACT.ACTNUMBER = number;
}

}  // namespace booking

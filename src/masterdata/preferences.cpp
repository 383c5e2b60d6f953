#include "masterdata/preferences.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include "store/datetime.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

namespace {

bool sameText(std::string_view a, std::string_view b) {
    return compareText(a, b, true) == 0;
}

/// Keeps a table counted as open for as long as it lives.
class Opened {
  public:
    explicit Opened(FileManager& fm) : fm_(fm) { ok_ = fm_.OPEN() == Level_Benign; }
    ~Opened() {
        if (ok_) fm_.CLOSE();
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    bool ok() { return ok_ && fm_.USEFILE() == Level_Benign; }

  private:
    FileManager& fm_;
    bool ok_ = false;
};

/// Saves a table's buffer and puts it back when it goes, unless kept.
class SavedBuffer {
  public:
    explicit SavedBuffer(FileManager& fm) : fm_(fm), ticket_(fm.SAVEBUFFER()) {}
    ~SavedBuffer() { fm_.RESTOREBUFFER(ticket_, restore); }
    SavedBuffer(const SavedBuffer&) = delete;
    SavedBuffer& operator=(const SavedBuffer&) = delete;
    bool restore = true;

  private:
    FileManager& fm_;
    std::uint16_t ticket_;
};

PreferenceResult failed(Store& db, const std::string& tag) {
    return {PreferenceResult::Failed, db.engine().status().message() + tag};
}

/// The positions of a list's rows that belong to users, and the system list's entries,
/// in key order. False when the list could not be read.
template <class Entry, class Rec, class Get>
bool readList(Store& db, Tbl t, int key, Rec& buffer, Get entry,
              std::vector<RecordPosition>& userRows, std::vector<Entry>& systemEntries) {
    Engine& e = db.engine();
    Table& table = db.table(t);
    if (e.set(table, key) != NoError) return false;
    int rc;
    while ((rc = e.next(table)) == NoError) {
        if (sameText(buffer.USERNAME.view(), kSystemListOwner))
            systemEntries.push_back(entry(buffer));
        else
            userRows.push_back(table.position());
    }
    return rc == RecordNotAvailableErr;
}

bool eraseAll(Store& db, Tbl t, const std::vector<RecordPosition>& rows) {
    Engine& e = db.engine();
    for (const RecordPosition& p : rows)
        if (e.reget(db.table(t), p) != NoError || e.erase(db.table(t)) != NoError) return false;
    return true;
}

/// Gives every user the system defaults and copies of the system lists.
/// REQUIRES: a transaction is running; the tables are open.
PreferenceResult applyToExistingUsers(Store& db) {
    Engine& e = db.engine();
    std::vector<RecordPosition> userDurations, userNames;
    std::vector<LONG> durations;
    std::vector<std::string> names;

    // 1 and 2: the users' own lists go.
    if (!readList(
            db, Tbl::DURLIST, DUR::USERNAME_KEY, db.DUR,
            [](const DURLIST& r) { return r.DURATION; }, userDurations, durations))
        return failed(db, " ViewDuration 2");
    if (!eraseAll(db, Tbl::DURLIST, userDurations)) return failed(db, " DURLIST1");
    if (!readList(
            db, Tbl::ROUTINEA, ROU::USERNAME_KEY, db.ROU,
            [](const ROUTINEA& r) { return r.NAME.str(); }, userNames, names))
        return failed(db, " ViewRoutineAct 2");
    if (!eraseAll(db, Tbl::ROUTINEA, userNames)) return failed(db, " ROUTINEACT 1");

    // 3: every user's defaults, then copies of the system lists.
    Table& usp = db.table(Tbl::USERPREF);
    std::vector<RecordPosition> users;
    if (e.set(usp, USP::USERNAME_KEY) != NoError) return failed(db, " USERPREF");
    int rc;
    while ((rc = e.next(usp)) == NoError)
        if (!sameText(db.USP.USERNAME.view(), kSystemListOwner)) users.push_back(usp.position());
    if (rc != RecordNotAvailableErr) return failed(db, " USERPREF");

    for (const RecordPosition& p : users) {
        if (e.reget(usp, p) != NoError) return failed(db, " USERPREF");
        copySystemDefaults(db.SYP, db.USP);
        if (e.put(usp) != NoError) return failed(db, " USERPREF");
        const std::string user = db.USP.USERNAME.str();
        for (LONG d : durations) {
            db.table(Tbl::DURLIST).clearBuffer();
            db.DUR.DURATION = d;
            db.DUR.USERNAME = user;
            if (e.add(db.table(Tbl::DURLIST)) != NoError) return failed(db, " Durlist 2");
        }
        for (const std::string& n : names) {
            db.table(Tbl::ROUTINEA).clearBuffer();
            db.ROU.NAME = n;
            db.ROU.USERNAME = user;
            if (e.add(db.table(Tbl::ROUTINEA)) != NoError) return failed(db, " ViewRoutineAct 2");
        }
    }
    return {};
}

/// The entry's form of the record whose key is `value` (see findDefaultClient).
template <class Field>
std::string findDefault(Store& db, Tbl t, int key, Field field, const std::string& value,
                        std::size_t width) {
    const std::string_view wanted = trimRight(value);
    if (wanted.empty()) return {};
    FileManager& fm = db.Access(t);
    Opened open(fm);
    if (!open.ok()) return {};
    SavedBuffer keep(fm);
    Engine& e = db.engine();
    fm.table().clearBuffer();
    field() = wanted;
    auto cut = [&] { return std::string(trimRight(field().view().substr(0, width))); };
    if (e.get(fm.table(), key) == NoError) return cut();
    fm.table().clearBuffer();
    field() = wanted;
    if (e.setAtValue(fm.table(), key) == NoError && e.next(fm.table()) == NoError &&
        field().view().size() > width &&
        sameText(trimRight(field().view().substr(0, width)), wanted))
        return cut();
    return {};
}

}  // namespace

std::string lengthText(LONG stored) {
    const int minutes = minutesOfLength(stored);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

LONG defaultStart(LONG typed) {
    const Time t(typed);
    if (t.isNull() || t.sinceMidnight() % Time::kHundredthsPerMinute != 0) return typed;
    return typed + 400;
}

std::vector<LONG> ownerDurations(Store& db, const std::string& owner) {
    std::vector<LONG> out;
    FileManager& fm = db.Access(Tbl::DURLIST);
    Opened open(fm);
    if (!open.ok()) return out;
    SavedBuffer keep(fm);
    fm.table().clearBuffer();
    db.DUR.USERNAME = owner;
    if (db.engine().setAtValue(fm.table(), DUR::USERNAME_KEY, 1) != NoError) return out;
    while (db.engine().next(fm.table()) == NoError && sameText(db.DUR.USERNAME.view(), owner))
        out.push_back(db.DUR.DURATION);
    return out;
}

std::vector<std::string> ownerNames(Store& db, const std::string& owner) {
    std::vector<std::string> out;
    FileManager& fm = db.Access(Tbl::ROUTINEA);
    Opened open(fm);
    if (!open.ok()) return out;
    SavedBuffer keep(fm);
    fm.table().clearBuffer();
    db.ROU.USERNAME = owner;
    if (db.engine().setAtValue(fm.table(), ROU::USERNAME_KEY, 1) != NoError) return out;
    while (db.engine().next(fm.table()) == NoError && sameText(db.ROU.USERNAME.view(), owner))
        out.push_back(db.ROU.NAME.str());
    return out;
}

std::string scanDayProblem(LONG beginDay, LONG endDay, LONG interval) {
    if (beginDay == 0 || endDay == 0) return "The regular day needs a begin and an end time.";
    if (endDay <= beginDay) return "The regular day must end after it begins.";
    if (Length(interval).minutes() < 1) return "The scan interval must be at least one minute.";
    return {};
}

std::string findDefaultClient(Store& db, const std::string& value) {
    return findDefault(
        db, Tbl::CLIENT, CLI::CLIENT_KEY, [&]() -> auto& { return db.CLI.CLIENT; }, value,
        kDefaultClientWidth);
}

std::string findDefaultResource(Store& db, const std::string& value) {
    return findDefault(
        db, Tbl::RESOURCE, RES::RESOURCE_KEY, [&]() -> auto& { return db.RES.RESOURCE; }, value,
        kDefaultResourceWidth);
}

void seedSystemDefaults(SYSPREF& to) {
    // Noon as the booking form keeps a derived start: four seconds past the minute.
    to.STARTTIME = defaultStart(Time::fromHMS(12, 0).value);
    to.DURATION = lengthFromMinutes(30);
    to.BEGINDAY = Time::fromHMS(8, 0).value;
    to.ENDDAY = Time::fromHMS(18, 0).value;
    to.INTERVAL = lengthFromMinutes(15);
    to.WEEKEND = 0;
    to.RESOURCE = "";
    to.SCANTEXT = "Client";
    to.SCANSIZE = 40;
    to.HEIGHT = 8;
    to.ACCESSTRIES = 0;
    to.ADVANCEDAYS = 0;
    to.NOCONFLICT = 0;
    to.BACKUPHOURS = 24;
    to.ALERT = kAlertNone;
    to.ALERTLEAD = 0;
    to.ACTUAL = 0;
    to.LABELS1_1 = "Booking";
    to.LABELS1_2 = "Bookings";
    to.LABELS2_1 = "Resource";
    to.LABELS2_2 = "Resources";
    to.LABELS3_1 = "Client";
    to.LABELS3_2 = "Clients";
}

bool alertLeadApplies(const std::string& alert) {
    return sameText(alert, kAlertAll) || sameText(alert, kAlertUserOnly);
}

std::string storedAlert(const std::string& shown) {
    if (sameText(shown, kAlertAll)) return kAlertAll;
    if (sameText(shown, kAlertUserOnly)) return kAlertUserOnly;
    return kAlertNone;
}

void copySystemDefaults(const SYSPREF& from, USERPREF& to) {
    to.NAME = from.NAME.view();
    to.CLIENT = from.CLIENT.view();
    to.RESOURCE = from.RESOURCE.view();
    to.STARTTIME = from.STARTTIME;
    to.DURATION = from.DURATION;
    to.BEGINDAY = from.BEGINDAY;
    to.ENDDAY = from.ENDDAY;
    to.WEEKEND = from.WEEKEND;
    to.INTERVAL = from.INTERVAL;
    to.SCANTEXT = from.SCANTEXT.view();
    to.SCANSIZE = from.SCANSIZE;
    to.HEIGHT = from.HEIGHT;
}

std::string cancelledText(const PreferenceResult& r) {
    return "Transaction cancelled - " + r.text;
}

LONG resetControlFile(Store& db, std::string* failure) {
    FileManager& con = db.Access(Tbl::CONTROL);
    Opened open(con);
    Engine& e = db.engine();
    auto fail = [&](const std::string& text) -> LONG {
        if (failure) *failure = text;
        return 0;
    };
    if (!open.ok()) return fail(e.status().message() + " CONTROL");
    SavedBuffer keep(con);
    if (e.begin(RelationManager::kTransactionWait) != NoError)
        return fail(e.status().message() + " CONTROL");
    Table& t = db.table(Tbl::CONTROL);
    LONG highest = 0;
    int rc = e.set(t, CON::NUMBER_KEY);
    if (rc == NoError) rc = e.previous(t);
    if (rc == NoError)
        highest = db.CON.NUMBER;
    else if (rc != RecordNotAvailableErr) {
        const std::string text = e.status().message() + " CONTROL";
        e.rollback();
        return fail(text);
    }
    if (highest > INT32_MAX - 1000) {
        e.rollback();
        return fail("No booking numbers are left above " + std::to_string(highest));
    }
    t.clearBuffer();
    db.CON.NUMBER = highest + 1000;
    if (e.add(t) != NoError || e.commit() != NoError) {
        const std::string text = e.status().message() + " CONTROL";
        e.rollback();
        return fail(text);
    }
    return highest + 1000;
}

PreferenceResult saveSystemPreferences(Store& db, RecordPosition readAt, bool applyToUsers) {
    FileManager& syp = db.Access(Tbl::SYSPREF);
    if (syp.VALIDATERECORD() != Level_Benign) return {PreferenceResult::Refused, {}};
    db.SYP.USERNAME = session().GlobalUserName;
    db.SYP.DATECHANGED = today().value;
    db.SYP.TIMECHANGED = now().value;

    const Tbl lists[] = {Tbl::USERPREF, Tbl::DURLIST, Tbl::ROUTINEA};
    Opened o1(syp), o2(db.Access(lists[0])), o3(db.Access(lists[1])), o4(db.Access(lists[2]));
    if (!o1.ok() || !o2.ok() || !o3.ok() || !o4.ok()) return {PreferenceResult::Refused, {}};
    // The session's user preferences, its lists' buffers: as they were, unless saved.
    SavedBuffer usp(db.Access(Tbl::USERPREF)), dur(db.Access(Tbl::DURLIST)),
        rou(db.Access(Tbl::ROUTINEA));

    Engine& e = db.engine();
    if (e.begin(RelationManager::kTransactionWait) != NoError) return failed(db, " SYSPREF");
    if (applyToUsers) {
        const PreferenceResult r = applyToExistingUsers(db);
        if (!r.ok()) {
            e.rollback();
            return r;
        }
    }
    e.setPosition(db.table(Tbl::SYSPREF), readAt);
    // Inside this transaction the save becomes part of it.
    const Level l = db.Relate(Tbl::SYSPREF).UPDATE(true);
    if (l != Level_Benign) {
        e.rollback();
        return {l == Level_Notify ? PreferenceResult::ChangedElsewhere : PreferenceResult::Refused,
                {}};
    }
    if (e.commit() != NoError) {
        PreferenceResult r = failed(db, " SYSPREF");
        e.rollback();
        return r;
    }
    if (applyToUsers) {
        // The logged-in user's preferences are now the new defaults.
        FileManager& prefs = db.Access(Tbl::USERPREF);
        usp.restore = false;
        prefs.table().clearBuffer();
        db.USP.USERNAME = session().GlobalUserName;
        if (prefs.TRYFETCH(USP::USERNAME_KEY) != Level_Benign) copySystemDefaults(db.SYP, db.USP);
    }
    return {};
}

PreferenceResult saveUserPreferences(Store& db, RecordPosition readAt) {
    FileManager& fm = db.Access(Tbl::USERPREF);
    Opened open(fm);
    if (!open.ok()) return {PreferenceResult::Refused, {}};
    db.USP.USERNAME = session().GlobalUserName;
    if (fm.VALIDATERECORD() != Level_Benign) return {PreferenceResult::Refused, {}};
    if (!readAt.valid()) {
        if (fm.INSERT() != Level_Benign) return {PreferenceResult::Refused, {}};
        return {};
    }
    db.engine().setPosition(fm.table(), readAt);
    const Level l = db.Relate(Tbl::USERPREF).UPDATE(true);
    if (l == Level_Benign) return {};
    return {l == Level_Notify ? PreferenceResult::ChangedElsewhere : PreferenceResult::Refused, {}};
}

bool rebuildFileKeys(Store& db, std::string* failure) {
    std::vector<std::unique_ptr<Opened>> open;
    for (int i = 0; i < kTableCount; ++i) {
        open.push_back(std::make_unique<Opened>(db.Access(Tbl(i))));
        if (!open.back()->ok()) {
            if (failure) *failure = db.engine().status().message() + " " + tableDecl(Tbl(i)).name;
            return false;
        }
    }
    for (int i = 0; i < kTableCount; ++i) {
        if (db.engine().buildKeys(db.table(Tbl(i))) != NoError) {
            if (failure) *failure = db.engine().status().message() + " " + tableDecl(Tbl(i)).name;
            return false;
        }
    }
    return true;
}

}  // namespace masterdata

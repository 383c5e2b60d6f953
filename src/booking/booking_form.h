#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "booking/collisions.h"
#include "booking/entries.h"
#include "booking/words.h"
#include "store/engine.h"
#include "store/questions.h"
#include "store/tables.h"

namespace store {
class Store;
}

namespace booking {

/// Which occurrences of a repeated booking a change applies to (CHANGEREP).
enum ChangeScope : int { NoScope = 0, JustThisOne = 1, AllOccurrences = 2, ThisOneAndFuture = 3 };

/// Where the focus goes when OK leaves the form open.
enum class FormField { None, Date, Start, End, Name, Client, Resources };

/// How a press of OK ended.
enum class OkOutcome {
    Stay,       // the form stays open (a refusal, a cancelled check); nothing was written
    Completed,  // the booking was saved; the form closes with "completed"
    Cancelled,  // the form closes with "cancelled" (nothing changed, locked, failed save)
};

/// Puts the occurrence a user clicked where the booking form opened for a change expects
/// it: the booking number and the occurrence in the DATES buffer, the number in ACTIVITY's.
void clickOccurrence(store::Store& db, store::LONG number, store::LONG date, store::LONG start,
                     store::LONG end);

/// The booking form without its window (UPDATEACT): the working lists of occurrences and
/// resources, the rules of the start, duration and end fields, the resource list, the
/// checks run by OK with the conflict dialog, and the save in one store transaction. The
/// booking itself lives in the shared record buffers ACT, ACN and REP while the form is
/// open, as the program's windows expect; every read of another booking keeps them.
class BookingForm {
  public:
    explicit BookingForm(store::Store& db);
    ~BookingForm();
    BookingForm(const BookingForm&) = delete;
    BookingForm& operator=(const BookingForm&) = delete;

    /// CHANGEREP: asks which occurrences a change applies to; NoScope when cancelled. The
    /// default answers "Just this one".
    std::function<int()> CHANGEREP;
    /// UPDATEUNITS: the units a booking takes of a pooled resource (code, total units); a
    /// value of 0 or less counts as 1. The default answers 1.
    std::function<int(const std::string& resource, int total)> UPDATEUNITS;
    /// Runs inside the save's transaction of a new booking once the records of a table are
    /// written ("ACTIVITY", "DATES", "RESACT"), before the commit. Empty in the program;
    /// tests stop a station there to see that a save cut short leaves nothing on file.
    std::function<void(const char* table)> duringSave;

    /// Opens the form for store::InsertRecord or store::ChangeRecord. For a change the
    /// caller has put the booking number and the clicked occurrence (date, start, end) in
    /// the DATES buffer and fetched the ACTIVITY record. False when the form cannot open:
    /// its tables failed, or the booking is gone (the user has been told).
    bool open(int request);
    int request() const { return request_; }
    bool changing() const { return loadedNumber_ != 0; }
    const Words& words() const { return words_; }

    // The form's own fields (not in any record).
    store::LONG date = 0, start = 0, end = 0, actualStart = 0, actualEnd = 0;
    store::LONG duration = 0;
    /// The booking number as the form shows it.
    std::string numberText() const;

    /// A start typed by the user: the end follows at the duration (at most 8639000), and
    /// the start is stored 400 (four seconds) after the typed minute, so that a booking
    /// typed to start when another ends does not collide with it.
    void startAccepted(store::LONG typed);
    /// A duration chosen: the end follows.
    void durationAccepted(store::LONG length);
    /// An end typed: the duration follows when it no longer matches.
    void endAccepted(store::LONG typedEnd);
    /// The end field gets the focus: an empty end takes the user's default duration.
    void endFocused();

    // Working lists.
    const std::vector<DateEntry>& occurrences() const { return dates_; }
    /// The entry shown in the form's fields; -1 when the list is empty.
    int current() const { return current_; }
    const std::vector<ResourceEntry>& resources() const { return resources_; }
    /// QUETIME, DQ:DURATION and AQ:NAME: the start times, lengths and names offered.
    std::vector<store::LONG> startTimes, durations;
    std::vector<std::string> names;

    /// "Insert" of the resource list: the resources chosen in the multiple selection (code
    /// and total units), in resource order; units are asked for pooled ones.
    void insertResources(std::vector<std::pair<std::string, int>> chosen);
    /// "Add group": every resource of the group. False, with the message shown, when the
    /// user may not book all of them (nothing is added then).
    bool addGroup(const std::string& group);
    void deleteResource(int index);
    void deleteGroup(const std::string& group);
    void makePrimary(int index);

    /// "Repeat/Multi-Day", before the repeat window opens: false when the user declines
    /// the default times (the focus goes back to the start). Puts the form's occurrence
    /// into the list, which the repeat window then works on through occurrenceList().
    bool beforeRepeat();
    /// After the repeat window, completed or not.
    void afterRepeat(bool completed);
    std::vector<DateEntry>& occurrenceList() { return dates_; }
    /// The entry the repeat window treats as the seed.
    void setCurrent(int index);

    /// OK: the checks, the conflict dialogs and the save.
    OkOutcome OK();
    /// Where the focus goes after OK answered Stay.
    FormField focus() const { return focus_; }

    /// The repeat line of the form; forces a single booking for at most one occurrence.
    std::string description();
    /// CONTROLPROP.
    bool repeatEnabled() const { return date != 0 && start != 0 && end != 0; }
    bool saveEnabled() const;
    /// Whether the user may change this booking at all (view-only users, or a general
    /// user facing another user's locked booking, may not).
    bool editingAllowed() const;
    bool lockEnabled() const { return !lockDisabled_; }
    /// Whether the user changed anything since the form opened: the booking's name,
    /// client, lock, resources, notes, date and times, or its repeat pattern. The stamp
    /// that a press of OK puts on the booking is no change of the user's.
    bool edited() const;
    bool notesMarked() const;

    /// Text lines of the booking for the text file (ASCIFILE), of the occurrence shown. A
    /// booking being added is stamped first, as its save will stamp it (this user, today),
    /// so that the text says who booked it and when.
    std::vector<std::string> textLines();

  private:
    using FindingKey = std::tuple<std::string, store::LONG, store::LONG, store::LONG>;

    // Opening.
    void PRIMEFIELDS();
    bool FILLQUEUES();
    void FILLLISTS();
    void derivePrimary();
    /// Makes the first entry that `is` accepts current, else the first entry; false when
    /// the list is empty.
    bool locateCurrent(const std::function<bool(const DateEntry&)>& is);
    /// Whether an entry is the occurrence that was clicked to open the booking.
    std::function<bool(const DateEntry&)> isClicked() const;
    int askUnits(const std::string& resource, int total);
    bool authorizedFor(const std::string& resource);
    std::vector<std::string> groupMembers(const std::string& group);

    // OK steps.
    bool CHECKLOCK();
    bool CHECKENDTIME();
    bool CHECKFUTUREDATE();
    void writeFormOccurrence();
    void saveFields();
    void restoreFields();
    void USERTIMESTAMP();
    void INCREMENTACT();
    void ERASEALL();
    bool formOccurrenceChanged() const;
    bool nothingChanged() const;
    OkOutcome changeRepeated();

    // Checks (checks.cpp).
    bool prepareChecks(const std::vector<DateEntry>& entries);
    void CONFLCHECK(int index, bool override);
    bool CONFLCHECK2(const DateEntry& e);
    void CONFLCHECK3(const DateEntry& e, store::LONG s, store::LONG en);
    /// Another booking's name and client, read once per press of OK.
    struct OtherBooking {
        std::string name, client;
    };
    const OtherBooking& otherBooking(store::LONG number);
    int ask(store::ConflictQuestion q);
    bool DATELOOPNEWREPEAT();
    bool LOOPDATECHECK(bool override, bool fromCurrent);
    bool SETLOOPFLAG();
    bool CONCURRENCYCHECK();
    void CCFAIL(const std::string& item);
    bool recheckInTransaction(std::string& problem);
    int resourceUnits(const std::string& resource);

    // Save (save.cpp).
    OkOutcome TAKECOMPLETED();
    bool saveInsert(std::string& label);
    bool saveChange(std::string& label);
    bool addOccurrences(const std::string& label, std::string& failed);
    void TRANSERRHANDLER(const std::string& label);
    /// Rolls back, tells the user why (under "Information Safeguard"), empties the form
    /// and closes it as cancelled.
    void abandon(const std::string& message);
    /// The booking's occurrences and resources as the store holds them, in key order.
    std::vector<DateEntry> storedDates(store::LONG number);
    std::vector<ResourceEntry> storedResources(store::LONG number);
    void PROCEDURERETURN();

    store::Store& db_;
    Words words_;
    int request_ = 0;
    bool opened_ = false;
    std::vector<store::Tbl> tables_;

    std::vector<DateEntry> dates_, datesLoaded_;
    int current_ = -1;
    // The occurrences and the repeat rule as OK found them, which ERASEALL brings back.
    std::vector<DateEntry> datesAtOk_;
    int currentAtOk_ = -1;
    int typeAtOk_ = 0;
    store::REPACT ruleAtOk_{};
    std::vector<ResourceEntry> resources_, resourcesLoaded_;

    // Change-mode memory.
    store::DATES clicked_{};
    store::ACTIVITY actLoaded_{};
    store::ACTNOTES acnLoaded_{};
    store::REPACT repLoaded_{};
    store::LONG loadedNumber_ = 0;  // SAV:Actnumber; 0 for a new booking
    int loadedType_ = 0;
    bool notesExisted_ = false;
    bool ruleExisted_ = false;
    bool lockDisabled_ = false;
    // Where the booking, its notes and its rule were read when the form opened, with the
    // versions they had then: the save writes over exactly those, so that the store
    // refuses the write when another station changed any of them meanwhile.
    store::RecordPosition actPosition_, acnPosition_, repPosition_;

    // The saved copy of the fields, taken when OK or Repeat is pressed.
    struct SavedFields {
        store::LONG date = 0, start = 0, end = 0, actualStart = 0, actualEnd = 0, number = 0;
    } saved_;

    // The booking as the form opened it, for edited().
    struct AsOpened {
        store::ACTIVITY act{};
        store::ACTNOTES acn{};
        store::REPACT rep{};
        std::vector<DateEntry> dates;
        std::vector<ResourceEntry> resources;
        SavedFields fields;
    } asOpened_;

    bool changedFlag_ = false;
    bool newRepeat_ = false;
    int scope_ = NoScope;
    int answer_ = 0;
    bool loop_ = false;
    FormField focus_ = FormField::None;

    // What this press of OK checked and what the user accepted, for the second look
    // inside the save transaction.
    CollisionIndex collisions_;
    struct Special {
        store::LONG start, end;
        std::string description;
    };
    std::vector<Special> specials_;
    std::set<std::tuple<store::LONG, store::LONG, store::LONG>> checked_, acceptedWhole_;
    std::set<std::tuple<std::string, store::LONG, store::LONG, store::LONG, store::LONG>> accepted_;
    std::set<FindingKey> acceptedPool_;
    std::map<std::string, int> units_;
    std::map<store::LONG, OtherBooking> others_;
};

}  // namespace booking

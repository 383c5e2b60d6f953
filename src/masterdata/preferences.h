#pragma once

#include <string>
#include <vector>

#include "store/engine.h"
#include "store/fixed_string.h"

namespace store {
class Store;
struct SYSPREF;
struct USERPREF;
}  // namespace store

namespace masterdata {

/// The owner under which the system's own duration and routine-name lists are filed.
inline constexpr const char* kSystemListOwner = "SysPref";

/// The values of the alert option as they are stored. The alert search recognises
/// exactly these; any other value switches alerts off.
inline constexpr const char* kAlertNone = "None";
inline constexpr const char* kAlertAll = "All";
inline constexpr const char* kAlertUserOnly = "User Only";

/// Writes the system preferences a new data folder starts with over `to` (a buffer its
/// table has primed): bookings of half an hour from noon, a working day of 08:00 to 18:00
/// scanned in quarter hours, a backup every day, no alerts, and the system's own terms.
/// Start-up seeds a new folder with them; tests start from them too.
void seedSystemDefaults(store::SYSPREF& to);

/// Whether the alert lead time means anything for a stored alert mode: only while alerts
/// are on ("All" or "User Only", in any letter case).
bool alertLeadApplies(const std::string& alert);
/// The stored form of an alert mode as a window shows it ("User only" -> "User Only");
/// anything unknown is "None".
std::string storedAlert(const std::string& shown);

/// A length as the preference windows list it: "hh:mm" ("00:30" for 180001).
std::string lengthText(store::LONG stored);

/// A default start as the booking form gives every start it derives from a typed time: a
/// start on the whole minute is kept 400 hundredths (four seconds) after it, so that a
/// booking ending on that minute does not collide with it. Other values stay as they are.
store::LONG defaultStart(store::LONG typed);

/// The lengths and the routine names filed under an owner (a user name, or
/// kSystemListOwner), in key order. The lists' buffers are left as they were.
std::vector<store::LONG> ownerDurations(store::Store& db, const std::string& owner);
std::vector<std::string> ownerNames(store::Store& db, const std::string& owner);

/// What is wrong with a working day and scan interval, as the user is told; "" when
/// nothing is. The scans divide the day by the interval, so all three are needed and the
/// day must end after it begins.
std::string scanDayProblem(store::LONG beginDay, store::LONG endDay, store::LONG interval);

/// Widths of the default client and resource entries: a name or code picked for them is
/// cut to these.
inline constexpr int kDefaultClientWidth = 30;
inline constexpr int kDefaultResourceWidth = 10;

/// The client or resource that a default entry names, as the entry keeps it: the stored
/// name of the record whose key equals `value`, or else of a longer one whose name, cut to
/// the entry's width as picking it would, is `value`; cut to the entry's width. "" when there is
/// none. The table's buffer is left as it was.
std::string findDefaultClient(store::Store& db, const std::string& value);
std::string findDefaultResource(store::Store& db, const std::string& value);

/// Copies the twelve defaults of a new user (name, client, resource, start, duration,
/// day begin and end, weekend flag, scan interval, text, width and height).
void copySystemDefaults(const store::SYSPREF& from, store::USERPREF& to);

/// The outcome of a change of several records made in one transaction.
struct PreferenceResult {
    enum Outcome {
        Done,
        Refused,           // a check or the store refused the record; the user was told why
        ChangedElsewhere,  // another station changed the record; its values are in the buffer
        Failed,            // a store operation failed: `text` says which and where
    };
    Outcome outcome = Done;
    /// For Failed: the engine's error text followed by the tag of the place (" Durlist 2").
    std::string text;

    bool ok() const { return outcome == Done; }
};

/// "Transaction cancelled - %1" with the failure of r, as the user is told.
std::string cancelledText(const PreferenceResult& r);
inline constexpr const char* kSafeguardCaption = "Information Safeguard";

/// Raises the numbers of new bookings: reads the highest CON:NUMBER issued and adds a
/// CONTROL record 1000 above it, in one transaction, so that the next booking number is
/// 1001 above the highest issued before. Returns the number added, or 0 when it could
/// not be added (`failure` then holds the engine's text). An empty CONTROL table counts
/// as a highest number of 0.
store::LONG resetControlFile(store::Store& db, std::string* failure = nullptr);

/// Saves the system preferences now in the SYSPREF buffer over the record read at
/// `readAt`, after the field checks (messages 16 and 18 refuse it), stamped with the
/// logged-in user's name, the date and the time. With applyToUsers, in the same
/// transaction and before the save: every user's duration and routine-name lists are
/// replaced by copies of the system lists, and every USERPREF record takes the twelve
/// defaults from the buffer. Nothing is changed unless all of it succeeds. On success the
/// USERPREF buffer holds the logged-in user's record as saved (when there is one);
/// otherwise every buffer but SYSPREF's is left as it was.
PreferenceResult saveSystemPreferences(store::Store& db, store::RecordPosition readAt,
                                       bool applyToUsers);

/// Saves the user preferences in the USERPREF buffer as the record of the logged-in user
/// (`GlobalUserName`), after the height check (message 16): the record read at `readAt`
/// is written, or, when the user had none (`readAt` not valid), one is added. On success
/// the buffer holds the record as stored.
PreferenceResult saveUserPreferences(store::Store& db, store::RecordPosition readAt);

/// Rebuilds the keys of every table, each table all or nothing. Returns false at the
/// first table that fails (`failure` then names it with the engine's text).
bool rebuildFileKeys(store::Store& db, std::string* failure = nullptr);

}  // namespace masterdata

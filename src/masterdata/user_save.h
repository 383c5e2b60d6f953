#pragma once

#include <string>

#include "masterdata/save_result.h"
#include "store/engine.h"

namespace store {
class Store;
}

namespace masterdata {

/// Copies the system defaults (SYSPREF fields 1 to 12) into the USERPREF buffer.
void copySystemDefaults(store::Store& db);

/// Reads the single SYSPREF record into its buffer; false when there is none.
bool readSystemPreferences(store::Store& db);

/// What the user form hands over to be saved; the USERS record is in db.USE, with the
/// access level already set from the form's option.
struct UserEdit {
    int request = 0;                     // store::InsertRecord or store::ChangeRecord
    std::string original;                // the user name as loaded (change)
    store::RecordPosition position;      // where the record was read (change)
    std::string password, confirmation;  // as typed
    bool authorizeAll = false;           // "Authorize for all" resources
    bool changed = true;                 // the record differs from its state when the form opened
};

/// Saves a user in one transaction: the USERS record (stamped on insert, and on change
/// when it changed), an authorization for every resource the user lacks one for when
/// "Authorize for all" is set (never for a view-only user), and for a new user the
/// preferences made from the system defaults with copies of the system's durations and
/// routine names. A renamed user takes its preferences, lists, group memberships and
/// authorizations with it. A password problem is refused with its message; a user name
/// already taken is reported with message 13. An unexpected failure leaves nothing
/// written and names its place in `tag`.
SaveResult saveUser(store::Store& db, const UserEdit& edit);

}  // namespace masterdata

#pragma once

#include <functional>

#include "store/datetime.h"

namespace store {
class Store;
}

namespace shell {

/// Shows (true) or removes (false) the busy cursor while the backup works. The program
/// passes the window framework's busy cursor; an empty function shows nothing.
using BusyCursor = std::function<void(bool busy)>;

/// What one run of BACKUPFILES did.
struct BackupOutcome {
    enum What {
        Off,     // SYP:BACKUPHOURS not above 0
        NotDue,  // the last backup is not old enough
        Made,    // the copies were attempted and the stamp written
    } what = Off;
    bool resdataCopied = false;
    bool usersCopied = false;
    bool stamped = false;
};

/// Hours since the last internal backup, as a decimal number: whole days of 24 hours
/// between the dates plus the difference of the times of day.
double hoursSinceBackup(store::Date today, store::Time now, store::LONG backupDate,
                        store::LONG backupTime);

/// The internal backup, run as the very last step of closing the frame: when
/// SYP:BACKUPHOURS is above 0 and more hours than that have passed since the stamp in
/// SYP:BACKUPDATE/BACKUPTIME, closes every table, moves RESDATA.BK1 to RESDATA.BAK,
/// copies RESDATA.TPS to RESDATA.BK1 and USERS.TPS to USERS.BK1, and stamps SYSPREF with
/// the date and time of the clock. A copy, delete or rename that fails (a missing older
/// copy, for one) is passed over and the steps after it still run. Each copy is one
/// consistent state of its file even while other stations are working on it; the users
/// copy stays encrypted under the owner password.
BackupOutcome BACKUPFILES(store::Store& db, const BusyCursor& busy = {});

}  // namespace shell

#include "shell/backup.h"

#include <filesystem>
#include <iterator>
#include <system_error>

#include "store/store.h"

namespace shell {

using store::Tbl;

namespace {

/// The tables in the order in which the backup closes them. The user groups and their
/// members live in the main file too and are closed with the rest; SYSPREF, which the
/// backup itself opened, comes last.
constexpr Tbl kCloseOrder[] = {
    Tbl::USERPREF, Tbl::ACTIVITY, Tbl::RESOURCE, Tbl::RESACT,   Tbl::RESUSER,
    Tbl::GROUPRES, Tbl::GROUP,    Tbl::SPECIAL,  Tbl::ROUTINEA, Tbl::DURLIST,
    Tbl::USERS,    Tbl::CONTROL,  Tbl::CLIENT,   Tbl::DATES,    Tbl::REPACT,
    Tbl::ACTNOTES, Tbl::USERGRP,  Tbl::USGRPUS,  Tbl::SYSPREF,
};
static_assert(std::size(kCloseOrder) == store::kTableCount);

/// Closes a table for every user still holding it: the files must be left alone while
/// they are copied.
void closeFully(store::FileManager& fm) {
    while (fm.openCount() > 0) fm.CLOSE();
}

/// Reads the single SYSPREF record: position at the start, read the first record.
bool readSysPref(store::FileManager& sysPref) {
    return sysPref.SET(-1) == store::Level_Benign && sysPref.NEXT() == store::Level_Benign;
}

/// Shows the busy cursor for as long as it lives.
class Busy {
  public:
    explicit Busy(const BusyCursor& cursor) : cursor_(cursor) {
        if (cursor_) cursor_(true);
    }
    ~Busy() {
        if (cursor_) cursor_(false);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

  private:
    const BusyCursor& cursor_;
};

}  // namespace

double hoursSinceBackup(store::Date today, store::Time now, store::LONG backupDate,
                        store::LONG backupTime) {
    return double(today.value - backupDate) * 24.0 + double(now.value) / 360000.0 -
           double(backupTime) / 360000.0;
}

BackupOutcome BACKUPFILES(store::Store& db, const BusyCursor& busy) {
    BackupOutcome outcome;
    store::FileManager& sysPref = db.Access(Tbl::SYSPREF);

    // 1. The settings; a failure leaves the values in the buffer as they are.
    sysPref.OPEN();
    readSysPref(sysPref);

    // 2. The internal backup may be switched off.
    if (db.SYP.BACKUPHOURS <= 0) {
        sysPref.CLOSE();
        return outcome;
    }

    // 3. and 4. Is it due?
    Busy cursor(busy);
    const store::ClockReading clock = store::readClock();
    const double hours =
        hoursSinceBackup(clock.date, clock.time, db.SYP.BACKUPDATE, db.SYP.BACKUPTIME);
    // A stamp later than the clock was made by a workstation whose clock ran ahead; it
    // would hold every backup off until that moment arrives, so it counts as due.
    if (hours <= db.SYP.BACKUPHOURS && hours >= 0) {
        outcome.what = BackupOutcome::NotDue;
        sysPref.CLOSE();
        return outcome;
    }
    outcome.what = BackupOutcome::Made;

    // 5. Every table closed.
    for (Tbl t : kCloseOrder) closeFully(db.Access(t));

    // 6. Two generations of the main file, one of the users file. Failures are passed
    // over: on the first backups there is no older copy to delete or move.
    const std::filesystem::path folder(db.engine().folder().empty() ? std::string(".")
                                                                    : db.engine().folder());
    std::error_code ignored;
    std::filesystem::remove(folder / "RESDATA.BAK", ignored);
    std::filesystem::rename(folder / "RESDATA.BK1", folder / "RESDATA.BAK", ignored);
    outcome.resdataCopied =
        db.engine().copyFile(store::StoreFile::RESDATA, (folder / "RESDATA.BK1").string()) == 0;
    outcome.usersCopied =
        db.engine().copyFile(store::StoreFile::USERS, (folder / "USERS.BK1").string()) == 0;

    // 7. The stamp. The record is read afresh, so that a change another station made to
    // the preferences meanwhile is kept rather than refused or overwritten.
    sysPref.OPEN();
    if (readSysPref(sysPref)) {
        const store::ClockReading done = store::readClock();
        db.SYP.BACKUPDATE = done.date.value;
        db.SYP.BACKUPTIME = done.time.value;
        outcome.stamped = sysPref.TRYUPDATE() == store::Level_Benign;
    }
    sysPref.CLOSE();
    return outcome;
}

}  // namespace shell

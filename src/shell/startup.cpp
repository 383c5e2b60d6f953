#include "shell/startup.h"

#include <filesystem>

#include "masterdata/preferences.h"
#include "masterdata/user_save.h"
#include "store/datetime.h"
#include "store/error_class.h"
#include "store/questions.h"
#include "store/server_config.h"
#include "store/session.h"
#include "store/store.h"

namespace shell {

using namespace store;

namespace {

/// The stop box: the engine's text followed by a tag naming the place. True when the
/// user chose to end the program.
bool stopBox(Store& db, const std::string& tag) {
    return questions().stop(db.engine().status().message() + tag);
}

/// What the folder's files say before anything is opened for writing.
enum class FolderState { Usable, OldFormat, Refused };

/// Where to find a good copy of a store file: the internal backups beside it.
std::string backupOf(StoreFile f) {
    return f == StoreFile::USERS ? "the backup USERS.BK1"
                                 : "the backup RESDATA.BK1 (or RESDATA.BAK)";
}

/// Refuses a damaged file in one message that names it and says what to do; nothing has
/// been written.
FolderState refuse(Store& db, StoreFile f, const std::string& problem) {
    Engine& e = db.engine();
    const std::string text = e.onServer() ? damagedServerMessage(e.placeOf(f), problem)
                                          : damagedFileMessage(e.pathOf(f), problem, backupOf(f));
    questions().message(kProductName, text, Icon::Exclamation, BUTTON_OK, BUTTON_OK);
    return FolderState::Refused;
}

/// Reads every table's layout. Data of an earlier release is recognised by a stored layout
/// other than today's; a table whose catalogue entry is today's but whose columns are not is
/// damaged, and its file is refused before any of it is read.
FolderState checkFolder(Store& db) {
    for (int i = 0; i < kTableCount; ++i) {
        Table& t = db.table(Tbl(i));
        const int rc = db.engine().open(t, false);
        if (rc == NoError) db.engine().close(t);
        if (rc == FileSystemErr)
            return refuse(db, t.decl().file,
                          "cannot be read (" + db.engine().status().message() + ")");
        if (rc != InvalidRecordDeclarationErr) continue;
        const std::string detail = db.engine().status().detail;
        if (detail.empty()) return FolderState::OldFormat;
        return refuse(db, t.decl().file,
                      std::string("is damaged: in its table ") + t.decl().name + " the " + detail);
    }
    return FolderState::Usable;
}

/// Seeding is for a new folder. Beside a RESDATA.TPS that holds data, a users file that is
/// missing, empty or damaged was lost, and a new one would let anybody in with the built-in
/// password: the start is refused and nothing is written.
FolderState checkUsersFile(Store& db) {
    Engine& e = db.engine();
    bool holds = false;
    if (e.holdsRecords(StoreFile::RESDATA, holds) != NoError || !holds) return FolderState::Usable;
    std::string problem;
    std::error_code ec;
    const std::string path = e.pathOf(StoreFile::USERS);
    if (!e.onServer() && !std::filesystem::exists(path, ec)) {
        problem = "is missing";
    } else if (!e.onServer() && std::filesystem::file_size(path, ec) == 0) {
        problem = "is empty";
    } else if (const int rc = e.connectFile(StoreFile::USERS, false); rc == FileNotFoundErr) {
        problem = "is missing";  // a server database without its users schema
    } else if (rc != NoError || e.checkFile(StoreFile::USERS) != NoError) {
        problem = "is damaged (" + e.status().message() + ")";
    } else {
        Table& users = db.table(Tbl::USERS);
        const int opened = e.open(users, false);
        if (opened == NoError) {
            if (e.records(users) == 0) problem = "holds no users";
            e.close(users);
        } else if (opened == FileNotFoundErr) {
            problem = "holds no users";
        }
    }
    if (problem.empty()) return FolderState::Usable;
    const char* what = e.onServer() ? "schema" : "file";
    const std::string beside = e.onServer() ? "the bookings schema" : "RESDATA.TPS";
    return refuse(db, StoreFile::USERS,
                  problem + ", although " + beside + " beside it holds data; a new users " + what +
                      " would let anybody in with the built-in password");
}

}  // namespace

std::string damagedFileMessage(const std::string& path, const std::string& problem,
                               const std::string& backup) {
    return "The file " + path + " " + problem +
           ". Nothing has been changed. Restore the file from " + backup +
           " in the same folder, then start " + kProductName + " again.";
}

std::string damagedServerMessage(const std::string& place, const std::string& problem) {
    return "The " + place + " " + problem +
           ". Nothing has been changed. Restore the database from the server's backup, then "
           "start " +
           kProductName + " again.";
}

std::string unreachableServerMessage(const Engine& e) {
    return "The server database named in " +
           (std::filesystem::path(e.folder()) / kServerFileName).string() + " cannot be reached (" +
           e.status().message() +
           "). Nothing has been changed. Check that file and that the server is running, then "
           "start " +
           kProductName + " again.";
}

std::string readOnlyFolderQuestion(const std::string& folder) {
    return "The data folder " + folder + " cannot be written from this workstation. Open it " +
           "for viewing only? Nothing can be added or changed until you have write access to " +
           "the folder and its files.";
}

void copyDefaultsToUserPref(Store& db) {
    masterdata::copySystemDefaults(db);
}

namespace {

bool tableEmpty(Store& db, Tbl t) {
    FileManager& fm = db.Access(t);
    const auto ticket = fm.SAVEBUFFER();
    fm.SET(-1);
    const bool empty = fm.NEXT() != Level_Benign;
    fm.RESTOREBUFFER(ticket);
    return empty;
}

/// Seeds what every store needs. False when the program must end.
bool seed(Store& db) {
    if (tableEmpty(db, Tbl::SYSPREF)) {
        FileManager& syp = db.Access(Tbl::SYSPREF);
        syp.PRIMERECORD();
        masterdata::seedSystemDefaults(db.SYP);
        if (db.engine().add(db.table(Tbl::SYSPREF)) != NoError) {
            stopBox(db, " SYSPREF");
            return false;
        }
        // The built-in administrator's preferences follow the new system defaults.
        FileManager& usp = db.Access(Tbl::USERPREF);
        usp.PRIMERECORD();
        db.USP.USERNAME = kAdministrator;
        const int rc = db.engine().get(db.table(Tbl::USERPREF), USP::USERNAME_KEY);
        if (rc == RecordNotFoundErr) {
            usp.PRIMERECORD();
            db.USP.USERNAME = kAdministrator;
            copyDefaultsToUserPref(db);
            if (db.engine().add(db.table(Tbl::USERPREF)) != NoError) {
                stopBox(db, " Adding USERPREF");
                return false;
            }
        } else if (rc == NoError) {
            copyDefaultsToUserPref(db);
            if (db.engine().put(db.table(Tbl::USERPREF)) != NoError) {
                stopBox(db, " Putting USERPREF");
                return false;
            }
        } else {
            stopBox(db, "USERPREF");
            return false;
        }
    }

    if (tableEmpty(db, Tbl::DURLIST)) {
        // Five minutes to four hours.
        for (int minutes : {5, 10, 15, 20, 30, 45, 60, 90, 120, 180, 240}) {
            db.Access(Tbl::DURLIST).PRIMERECORD();
            db.DUR.DURATION = lengthFromMinutes(minutes);
            db.DUR.USERNAME = kSysPref;
            db.engine().add(db.table(Tbl::DURLIST));  // a failing add is of no consequence
        }
    }

    db.Access(Tbl::GROUP).PRIMERECORD();
    db.GRO.GROUP = kAllResources;
    if (db.engine().get(db.table(Tbl::GROUP), GRO::GROUP_KEY) != NoError) {
        db.Access(Tbl::GROUP).PRIMERECORD();
        db.GRO.GROUP = kAllResources;
        if (db.engine().add(db.table(Tbl::GROUP)) != NoError && stopBox(db, "")) return false;
    }

    if (tableEmpty(db, Tbl::CLIENT)) {
        db.Access(Tbl::CLIENT).PRIMERECORD();
        db.CLI.CLIENT = kNoClient;
        if (db.engine().add(db.table(Tbl::CLIENT)) != NoError && stopBox(db, "")) return false;
    }

    if (tableEmpty(db, Tbl::USERS)) {
        db.Access(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = kAdministrator;
        db.USE.PASSWORD = kAdministratorPassword;
        db.USE.ACCESSLEVEL = SystemAdministrator;
        const bool failed = db.engine().add(db.table(Tbl::USERS)) != NoError;
        db.table(Tbl::USERS).clearBuffer();
        if (failed && stopBox(db, "")) return false;
    }
    return true;
}

}  // namespace

bool readSysPref(Store& db) {
    FileManager& syp = db.Access(Tbl::SYSPREF);
    if (syp.USEFILE() != Level_Benign) return false;
    if (db.engine().set(db.table(Tbl::SYSPREF), -1) != NoError) return false;
    return db.engine().next(db.table(Tbl::SYSPREF)) == NoError;
}

StoreStart OPENSTORE(Store& db) {
    if (!db.engine().writable()) {
        // Asked once for the folder, rather than told once for every table opened.
        const Button answer =
            questions().message(kProductName, readOnlyFolderQuestion(db.engine().folder()),
                                Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES);
        if (answer != BUTTON_YES) return StoreStart::Stopped;
        db.engine().setReadOnly();
        db.engine().setWriteRefusalTold(StoreFile::RESDATA);
        db.engine().setWriteRefusalTold(StoreFile::USERS);
    }
    if (db.engine().onServer()) {
        // A server that cannot be reached is neither damaged nor new: say what to check.
        const int rc = db.engine().connectFile(StoreFile::RESDATA, false);
        if (rc != NoError && rc != FileNotFoundErr) {
            questions().message(kProductName, unreachableServerMessage(db.engine()),
                                Icon::Exclamation, BUTTON_OK, BUTTON_OK);
            return StoreStart::Stopped;
        }
    }
    switch (checkFolder(db)) {
        case FolderState::Usable:
            break;
        case FolderState::OldFormat:
            questions().message(kProductName, kOldFormatMessage, Icon::Exclamation, BUTTON_OK,
                                BUTTON_OK);
            return StoreStart::OldFormat;
        case FolderState::Refused:
            return StoreStart::Stopped;
    }
    if (checkUsersFile(db) != FolderState::Usable) return StoreStart::Stopped;
    for (Tbl t : {Tbl::CLIENT, Tbl::DURLIST, Tbl::SYSPREF})
        if (db.Relate(t).OPEN() != Level_Benign) return StoreStart::Stopped;
    for (Tbl t : {Tbl::RESOURCE, Tbl::USERS, Tbl::GROUP, Tbl::USERPREF})
        if (db.Access(t).USEFILE() != Level_Benign) return StoreStart::Stopped;
    // Every table the seeding writes must be really open before it is written directly.
    for (Tbl t : {Tbl::SYSPREF, Tbl::DURLIST, Tbl::CLIENT})
        if (db.Access(t).USEFILE() != Level_Benign) return StoreStart::Stopped;
    if (!seed(db)) return StoreStart::Stopped;
    if (!readSysPref(db)) {
        stopBox(db, " SYSPREF");
        return StoreStart::Stopped;
    }
    return StoreStart::Ready;
}

void CLOSESTORE(Store& db) {
    for (Tbl t : {Tbl::CLIENT, Tbl::DURLIST, Tbl::SYSPREF}) db.Relate(t).CLOSE();
}

}  // namespace shell

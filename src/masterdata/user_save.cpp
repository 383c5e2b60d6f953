#include "masterdata/user_save.h"

#include "masterdata/child_rows.h"
#include "masterdata/master_names.h"
#include "masterdata/save_steps.h"
#include "masterdata/users.h"
#include "store/datetime.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

void copySystemDefaults(Store& db) {
    db.USP.NAME = db.SYP.NAME.view();
    db.USP.CLIENT = db.SYP.CLIENT.view();
    db.USP.RESOURCE = db.SYP.RESOURCE.view();
    db.USP.STARTTIME = db.SYP.STARTTIME;
    db.USP.DURATION = db.SYP.DURATION;
    db.USP.BEGINDAY = db.SYP.BEGINDAY;
    db.USP.ENDDAY = db.SYP.ENDDAY;
    db.USP.WEEKEND = db.SYP.WEEKEND;
    db.USP.INTERVAL = db.SYP.INTERVAL;
    db.USP.SCANTEXT = db.SYP.SCANTEXT.view();
    db.USP.SCANSIZE = db.SYP.SCANSIZE;
    db.USP.HEIGHT = db.SYP.HEIGHT;
}

bool readSystemPreferences(Store& db) {
    if (db.Access(Tbl::SYSPREF).USEFILE() != Level_Benign) return false;
    if (db.engine().set(db.table(Tbl::SYSPREF), -1) != NoError) return false;
    return db.engine().next(db.table(Tbl::SYSPREF)) == NoError;
}

namespace {

/// A failure the user is shown in the stop box: the store's text and the place.
SaveResult stopped(Store& db, SaveSteps& steps, const char* tag) {
    SaveResult r = SaveResult::cancelled(0, db.engine().status().message());
    r.tag = tag;
    steps.abandon();
    return r;
}

/// Adds an authorization for every resource the user has none for.
bool authorizeForAll(Store& db, SaveSteps& steps, const std::string& user, SaveResult& failure) {
    std::vector<std::string> codes;
    FileManager& res = db.Access(Tbl::RESOURCE);
    res.SET(RES::RESOURCE_KEY);
    while (res.NEXT() == Level_Benign) codes.push_back(db.RES.RESOURCE.str());
    Table& rus = db.table(Tbl::RESUSER);
    for (const std::string& code : codes) {
        db.Access(Tbl::RESUSER).PRIMERECORD();
        db.RUS.RESOURCE = code;
        db.RUS.USERNAME = user;
        const int rc = db.engine().get(rus, RUS::RESOURCE_KEY);
        if (rc == NoError) continue;
        if (rc != RecordNotFoundErr) {
            failure = stopped(db, steps, " RESUSER 2");
            return false;
        }
        db.Access(Tbl::RESUSER).PRIMERECORD();
        db.RUS.RESOURCE = code;
        db.RUS.USERNAME = user;
        if (db.engine().add(rus) != NoError) {
            failure = stopped(db, steps, " RESUSER 1");
            return false;
        }
    }
    return true;
}

/// Copies the rows of a system list ("SysPref") under the new user's name.
template <class Set>
bool copySystemList(Store& db, Tbl t, int key, Field userField, Set setUser) {
    const std::vector<RecordPosition> rows = rowsWith(db, t, key, userField, kSysPref);
    FileManager& fm = db.Access(t);
    for (RecordPosition p : rows) {
        if (db.engine().reget(db.table(t), p) != NoError) return false;
        setUser();
        if (db.engine().add(db.table(t)) != NoError) return false;
    }
    fm.PRIMERECORD();
    return true;
}

}  // namespace

SaveResult saveUser(Store& db, const UserEdit& edit) {
    if (PasswordProblem p = checkPassword(edit.password, edit.confirmation);
        p != PasswordProblem::None)
        return {SaveResult::Refused, 0, {}, passwordMessage(p), {}};
    OpenTables open(db, {Tbl::USERS, Tbl::RESOURCE, Tbl::RESUSER, Tbl::USERPREF, Tbl::SYSPREF,
                         Tbl::DURLIST, Tbl::ROUTINEA, Tbl::USGRPUS});
    if (!open.ok()) return SaveResult::cancelled(1, db.engine().status().message());

    db.USE.PASSWORD = edit.password;
    if (edit.request == InsertRecord || edit.changed) {
        db.USE.CHANGENAME = session().GlobalUserName;
        db.USE.DATECHANGED = today().value;
        db.USE.TIMECHANGED = now().value;
    }
    const std::string name = db.USE.USERNAME.str();

    SaveSteps steps(db);
    if (!steps.begin(true)) return steps.result();  // the user record lives in USERS.TPS
    const auto record = db.Access(Tbl::USERS).SAVEBUFFER();
    RecordPosition at;
    auto failed = [&](SaveResult r) {
        steps.abandon();
        db.Access(Tbl::USERS).RESTOREBUFFER(record);
        return r;
    };

    if (edit.request == InsertRecord) {
        if (!steps.add(Tbl::USERS, 2)) return failed(steps.result());
        at = db.Access(Tbl::USERS).POSITION();
    } else {
        if (!steps.put(Tbl::USERS, edit.position, 4)) return failed(steps.result());
        at = db.Access(Tbl::USERS).POSITION();
        if (name != edit.original) {
            // The user's own rows follow the new name, in both store files at once.
            struct Owned {
                Tbl t;
                int key;
                Field field;
            };
            const Owned owned[] = {
                {Tbl::DURLIST, DUR::USERNAME_KEY, DUR::USERNAME},
                {Tbl::ROUTINEA, ROU::USERNAME_KEY, ROU::USERNAME},
                {Tbl::USERPREF, USP::USERNAME_KEY, USP::USERNAME},
                {Tbl::USGRPUS, UGU::USERNAME_KEY, UGU::USERNAME},
                {Tbl::RESUSER, RUS::USERNAME_KEY, RUS::USERNAME},
            };
            for (const Owned& o : owned) {
                const FieldDecl& f = db.table(o.t).decl().field(o.field);
                if (!steps.rewrite(o.t, rowsWith(db, o.t, o.key, o.field, edit.original), 10,
                                   [&] { setText(f, db.Access(o.t).buffer(), name); }))
                    return failed(steps.result());
            }
        }
    }

    SaveResult failure;
    if (edit.authorizeAll && db.USE.ACCESSLEVEL != ViewOnly &&
        !authorizeForAll(db, steps, name, failure))
        return failed(failure);

    if (edit.request == InsertRecord) {
        const auto sysprefTicket = db.Access(Tbl::SYSPREF).SAVEBUFFER();
        const bool haveDefaults = readSystemPreferences(db);
        if (!haveDefaults) {
            db.Access(Tbl::SYSPREF).RESTOREBUFFER(sysprefTicket);
            return failed(stopped(db, steps, " SYSPREF"));
        }
        db.Access(Tbl::USERPREF).PRIMERECORD();
        copySystemDefaults(db);
        db.USP.USERNAME = name;
        db.Access(Tbl::SYSPREF).RESTOREBUFFER(sysprefTicket, false);
        if (db.engine().add(db.table(Tbl::USERPREF)) != NoError)
            return failed(stopped(db, steps, "Adding UserPref"));
        if (!copySystemList(db, Tbl::DURLIST, DUR::USERNAME_KEY, DUR::USERNAME,
                            [&] { db.DUR.USERNAME = name; }))
            return failed(stopped(db, steps, " Durlist 2"));
        if (!copySystemList(db, Tbl::ROUTINEA, ROU::USERNAME_KEY, ROU::USERNAME,
                            [&] { db.ROU.USERNAME = name; }))
            return failed(stopped(db, steps, " Routinea 2"));
    }

    db.Access(Tbl::USERS).RESTOREBUFFER(record);
    if (!steps.commit()) return steps.result();
    db.engine().setPosition(db.table(Tbl::USERS), at);
    if (edit.request != InsertRecord && edit.original == session().GlobalUserName)
        session().GlobalUserName = name;  // the logged-in user renamed: later stamps follow
    return {};
}

}  // namespace masterdata

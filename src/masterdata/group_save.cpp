#include "masterdata/group_save.h"

#include "masterdata/child_rows.h"
#include "masterdata/master_names.h"
#include "masterdata/save_steps.h"
#include "store/datetime.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

std::vector<std::string> groupMembers(Store& db, const std::string& group) {
    return namesWith(db, Tbl::GROUPRES, GRP::GROUP_KEY, GRP::GROUP, group, GRP::RESOURCES);
}

std::vector<std::string> userGroupMembers(Store& db, const std::string& group) {
    return namesWith(db, Tbl::USGRPUS, UGU::GROUP_KEY, UGU::GROUP, group, UGU::USERNAME, 15);
}

namespace {

/// The tables and fields of one kind of group: its record and its member rows.
struct GroupKind {
    Tbl group, member;
    int memberKey;
    Field memberGroupField, memberNameField;
    std::vector<std::string> (*members)(Store&, const std::string&);
    std::string (*name)(Store&);
    void (*stamp)(Store&);
    void (*setMember)(Store&, const std::string& group, const std::string& name);
    const char* fixedName;  // a group that keeps its name, or nullptr
};

SaveResult saveGroup(Store& db, const GroupKind& kind, const GroupEdit& edit) {
    const std::string name = kind.name(db);
    if (name.empty()) return {SaveResult::Refused, 0, {}, kGroupNeedsName, {}};
    if (edit.request != InsertRecord && kind.fixedName && edit.original == kind.fixedName &&
        name != edit.original)
        return {SaveResult::Refused, 0, {}, kAllResourcesKeepsName, {}};
    OpenTables open(db, {kind.group, kind.member});
    if (!open.ok()) return SaveResult::cancelled(1, db.engine().status().message());
    kind.stamp(db);

    SaveSteps steps(db);
    if (!steps.begin()) return steps.result();
    const auto record = db.Access(kind.group).SAVEBUFFER();
    auto done = [&](bool ok, RecordPosition at) {
        db.Access(kind.group).RESTOREBUFFER(record);
        if (ok && steps.commit()) db.engine().setPosition(db.table(kind.group), at);
        return steps.result();
    };
    auto addMembers = [&](int step) {
        for (const std::string& m : edit.members.names()) {
            db.Access(kind.member).PRIMERECORD();
            kind.setMember(db, name, m);
            if (!steps.add(kind.member, step)) return false;
        }
        return true;
    };

    if (edit.request == InsertRecord) {
        if (!steps.add(kind.group, 2)) return done(false, {});
        const RecordPosition added = db.Access(kind.group).POSITION();
        return done(addMembers(3), added);
    }
    // Members another station added or removed since the form loaded them, read inside
    // the transaction under the name the group had then.
    if (int n = listChangedSince(edit.loaded, kind.members(db, edit.original))) {
        steps.abandon();
        db.Access(kind.group).RESTOREBUFFER(record);
        return SaveResult::changed(n);
    }
    if (!steps.put(kind.group, edit.position, 4)) return done(false, {});
    const RecordPosition written = db.Access(kind.group).POSITION();
    if (!steps.erase(
            kind.member,
            rowsWith(db, kind.member, kind.memberKey, kind.memberGroupField, edit.original), 5))
        return done(false, {});
    return done(addMembers(6), written);
}

const GroupKind kResourceGroup{
    Tbl::GROUP,
    Tbl::GROUPRES,
    GRP::GROUP_KEY,
    GRP::GROUP,
    GRP::RESOURCES,
    &groupMembers,
    [](Store& db) { return db.GRO.GROUP.str(); },
    [](Store& db) {
        db.GRO.USERNAME = session().GlobalUserName;
        db.GRO.DATECHANGED = today().value;
        db.GRO.TIMECHANGED = now().value;
    },
    [](Store& db, const std::string& group, const std::string& name) {
        db.GRP.GROUP = group;
        db.GRP.RESOURCES = name;
    },
    kAllResources,
};

const GroupKind kUserGroup{
    Tbl::USERGRP,
    Tbl::USGRPUS,
    UGU::GROUP_KEY,
    UGU::GROUP,
    UGU::USERNAME,
    &userGroupMembers,
    [](Store& db) { return db.USG.GROUP.str(); },
    [](Store& db) {
        db.USG.LASTCHANGEDBY = session().GlobalUserName;
        db.USG.DATECHANGED = today().value;
        db.USG.TIMECHANGED = now().value;
    },
    [](Store& db, const std::string& group, const std::string& name) {
        db.UGU.GROUP = group;
        db.UGU.USERNAME = name;
    },
    nullptr,
};

}  // namespace

bool mayDeleteGroup(const std::string& group) {
    return group != kAllResources;
}

SaveResult saveResourceGroup(Store& db, const GroupEdit& edit) {
    return saveGroup(db, kResourceGroup, edit);
}

SaveResult saveUserGroup(Store& db, const GroupEdit& edit) {
    return saveGroup(db, kUserGroup, edit);
}

}  // namespace masterdata

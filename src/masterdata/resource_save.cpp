#include "masterdata/resource_save.h"

#include "masterdata/child_rows.h"
#include "masterdata/master_names.h"
#include "masterdata/save_steps.h"
#include "store/datetime.h"
#include "store/kept_buffer.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

std::optional<ResourceSummary> describeResource(store::Store& db, const std::string& code) {
    store::KeptBuffer kept(db, store::Tbl::RESOURCE);
    if (db.Access(store::Tbl::RESOURCE).USEFILE() != store::Level_Benign) return std::nullopt;
    db.table(store::Tbl::RESOURCE).clearBuffer();
    db.RES.RESOURCE = code;
    if (db.engine().get(db.table(store::Tbl::RESOURCE), store::RES::RESOURCE_KEY) != 0)
        return std::nullopt;
    return ResourceSummary{db.RES.NAME.str(), db.RES.UNITS};
}

std::vector<std::string> authorizedUsers(Store& db, const std::string& resource) {
    return namesWith(db, Tbl::RESUSER, RUS::RESOURCE_KEY, RUS::RESOURCE, resource, RUS::USERNAME);
}

namespace {

bool addAuthorizations(Store& db, SaveSteps& steps, const std::string& code, const NameList& users,
                       int step) {
    for (const std::string& user : users.names()) {
        db.Access(Tbl::RESUSER).PRIMERECORD();
        db.RUS.RESOURCE = code;
        db.RUS.USERNAME = user;
        if (!steps.add(Tbl::RESUSER, step)) return false;
    }
    return true;
}

/// The all-resources group itself, made when a store lacks it, so that its members are
/// never without their group.
bool ensureAllResourcesGroup(Store& db, SaveSteps& steps, int step) {
    const auto ticket = db.Access(Tbl::GROUP).SAVEBUFFER();
    db.Access(Tbl::GROUP).PRIMERECORD();
    db.GRO.GROUP = kAllResources;
    bool ok = true;
    if (db.engine().get(db.table(Tbl::GROUP), GRO::GROUP_KEY) != NoError) {
        db.Access(Tbl::GROUP).PRIMERECORD();
        db.GRO.GROUP = kAllResources;
        db.GRO.USERNAME = session().GlobalUserName;
        db.GRO.DATECHANGED = today().value;
        db.GRO.TIMECHANGED = now().value;
        ok = steps.add(Tbl::GROUP, step);
    }
    db.Access(Tbl::GROUP).RESTOREBUFFER(ticket);
    return ok;
}

}  // namespace

SaveResult saveResource(Store& db, const ResourceEdit& edit) {
    if (db.RES.RESOURCE.blank()) return {SaveResult::Refused, 0, {}, kResourceNeedsCode, {}};
    if (db.RES.UNITS < 1) return {SaveResult::Refused, 0, {}, kResourceNeedsUnits, {}};
    OpenTables open(db, {Tbl::RESOURCE, Tbl::RESUSER, Tbl::GROUPRES, Tbl::GROUP, Tbl::RESACT});
    if (!open.ok()) return SaveResult::cancelled(1, db.engine().status().message());

    db.RES.USERNAME = session().GlobalUserName;
    db.RES.DATECHANGED = today().value;
    db.RES.TIMECHANGED = now().value;
    const std::string code = db.RES.RESOURCE.str();

    SaveSteps steps(db);
    if (!steps.begin()) return steps.result();
    const auto record = db.Access(Tbl::RESOURCE).SAVEBUFFER();
    auto done = [&](bool ok) {
        db.Access(Tbl::RESOURCE).RESTOREBUFFER(record);
        if (ok) ok = steps.commit();
        return steps.result();
    };

    if (edit.request == InsertRecord) {
        if (!steps.add(Tbl::RESOURCE, 2)) return done(false);
        const RecordPosition added = db.Access(Tbl::RESOURCE).POSITION();
        if (!addAuthorizations(db, steps, code, edit.users, 3)) return done(false);
        if (!ensureAllResourcesGroup(db, steps, 11)) return done(false);
        db.Access(Tbl::GROUPRES).PRIMERECORD();
        db.GRP.GROUP = kAllResources;
        db.GRP.RESOURCES = code;
        if (!steps.add(Tbl::GROUPRES, 11)) return done(false);
        SaveResult r = done(true);
        db.engine().setPosition(db.table(Tbl::RESOURCE), added);
        return r;
    }

    // Another station's changes to the list since it was loaded: read inside the
    // transaction, so that none can slip in between the check and the writes.
    if (int n = listChangedSince(edit.loaded, authorizedUsers(db, edit.original))) {
        steps.abandon();
        db.Access(Tbl::RESOURCE).RESTOREBUFFER(record);
        return SaveResult::changed(n);
    }
    if (!steps.put(Tbl::RESOURCE, edit.position, 4)) return done(false);
    const RecordPosition written = db.Access(Tbl::RESOURCE).POSITION();
    if (!steps.erase(Tbl::RESUSER,
                     rowsWith(db, Tbl::RESUSER, RUS::RESOURCE_KEY, RUS::RESOURCE, edit.original),
                     5))
        return done(false);
    if (!addAuthorizations(db, steps, code, edit.users, 6)) return done(false);
    if (code != edit.original) {
        // A new code takes the resource's group memberships and booking links with it.
        if (!steps.rewrite(
                Tbl::GROUPRES,
                rowsWith(db, Tbl::GROUPRES, GRP::RESOURCE_KEY, GRP::RESOURCES, edit.original), 10,
                [&] { db.GRP.RESOURCES = code; }))
            return done(false);
        if (!steps.rewrite(
                Tbl::RESACT,
                rowsWith(db, Tbl::RESACT, RAC::RESOURCE_KEY, RAC::RESOURCE, edit.original), 10,
                [&] { db.RAC.RESOURCE = code; }))
            return done(false);
    }
    SaveResult r = done(true);
    db.engine().setPosition(db.table(Tbl::RESOURCE), written);
    return r;
}

int rebuildAllResources(Store& db) {
    OpenTables open(db, {Tbl::GROUPRES, Tbl::RESOURCE, Tbl::GROUP});
    if (!open.ok()) return -1;
    for (RecordPosition p :
         rowsWith(db, Tbl::GROUPRES, GRP::GROUP_KEY, GRP::GROUP, kAllResources)) {
        if (db.Access(Tbl::GROUPRES).TRYREGET(p) != Level_Benign) continue;  // gone meanwhile
        if (db.Relate(Tbl::GROUPRES).DELETE(true) != Level_Benign) return -1;
    }
    {
        SaveSteps steps(db);
        if (steps.begin() && ensureAllResourcesGroup(db, steps, 11)) steps.commit();
    }
    // Every resource joins again, in code order; the first failed add ends the rebuild.
    std::vector<std::string> codes;
    FileManager& res = db.Access(Tbl::RESOURCE);
    const auto ticket = res.SAVEBUFFER();
    res.SET(RES::RESOURCE_KEY);
    while (res.NEXT() == Level_Benign) codes.push_back(db.RES.RESOURCE.str());
    res.RESTOREBUFFER(ticket);
    int added = 0;
    for (const std::string& code : codes) {
        db.Access(Tbl::GROUPRES).PRIMERECORD();
        db.GRP.GROUP = kAllResources;
        db.GRP.RESOURCES = code;
        if (db.Access(Tbl::GROUPRES).INSERT() != Level_Benign) break;
        ++added;
    }
    return added;
}

}  // namespace masterdata

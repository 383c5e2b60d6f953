// Saving resources and groups: the authorized users and memberships written with them in
// one transaction, changes by another station recognised, renames carried to the rows
// that name the resource or group, and the all-resources group rebuilt.
#include "masterdata/resource_save.h"
#include "../store/store_fixture.h"
#include "masterdata/group_save.h"
#include "masterdata/master_names.h"
#include "masterdata/selection_lists.h"
#include "store/datetime.h"
#include "store/session.h"

namespace store::test {
namespace {

using masterdata::GroupEdit;
using masterdata::NameList;
using masterdata::ResourceEdit;
using masterdata::SaveResult;

NameList names(std::initializer_list<const char*> list) {
    NameList out;
    for (const char* n : list) out.add(n);
    return out;
}

class ResourceSaveTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        session().GlobalUserName = "ADMIN";
        session().accessLevel = SystemAdministrator;
    }

    /// Saves a new resource with its authorized users.
    SaveResult newResource(Station& s, const char* code, std::initializer_list<const char*> users,
                           int units = 1) {
        s.fm(Tbl::RESOURCE).PRIMERECORD();
        s.db->RES.RESOURCE = code;
        s.db->RES.UNITS = SHORT(units);
        ResourceEdit edit;
        edit.request = InsertRecord;
        edit.users = names(users);
        return masterdata::saveResource(*s.db, edit);
    }

    /// Opens a resource as the form does: the record and its authorized users.
    ResourceEdit load(Station& s, const char* code) {
        s.fm(Tbl::RESOURCE).PRIMERECORD();
        s.db->RES.RESOURCE = code;
        EXPECT_EQ(Level_Benign, s.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
        ResourceEdit edit;
        edit.request = ChangeRecord;
        edit.original = code;
        edit.position = s.fm(Tbl::RESOURCE).POSITION();
        for (const std::string& u : masterdata::authorizedUsers(*s.db, code)) {
            edit.users.add(u);
            edit.loaded.add(u);
        }
        return edit;
    }

    std::vector<std::string> resusers(Station& s) {
        return walk(s, Tbl::RESUSER, RUS::RESOURCE_KEY,
                    [&] { return s.db->RUS.RESOURCE.str() + "/" + s.db->RUS.USERNAME.str(); });
    }
    std::vector<std::string> memberships(Station& s) {
        return walk(s, Tbl::GROUPRES, GRP::GROUP_KEY,
                    [&] { return s.db->GRP.GROUP.str() + "/" + s.db->GRP.RESOURCES.str(); });
    }
    void addMembership(Station& s, const char* group, const char* resource) {
        s.fm(Tbl::GROUPRES).PRIMERECORD();
        s.db->GRP.GROUP = group;
        s.db->GRP.RESOURCES = resource;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::GROUPRES).INSERT());
    }
    void authorize(const char* resource, const char* userName) {
        a.fm(Tbl::RESUSER).PRIMERECORD();
        db.RUS.RESOURCE = resource;
        db.RUS.USERNAME = userName;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
    }
    void addGroup(Station& s, const char* group) {
        s.fm(Tbl::GROUP).PRIMERECORD();
        s.db->GRO.GROUP = group;
        ASSERT_EQ(Level_Benign, s.fm(Tbl::GROUP).INSERT());
    }
};

TEST_F(ResourceSaveTest, NewResourceIsWrittenWithItsUsersAndItsAllResourcesMembership) {
    ASSERT_TRUE(newResource(a, "ROOM1", {"MARY", "ANNE"}, 3).saved()) << user.lastText();
    EXPECT_EQ(1, count(a, Tbl::RESOURCE));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/ANNE", "ROOM1/MARY"}), resusers(a));
    EXPECT_EQ((std::vector<std::string>{"All resources/ROOM1"}), memberships(a));
    // The group every resource joins exists even where start-up never made it.
    db.GRO.GROUP = masterdata::kAllResources;
    EXPECT_EQ(Level_Benign, a.fm(Tbl::GROUP).TRYFETCH(GRO::GROUP_KEY));
    // Stamped with who saved it and when; the form's buffer still shows the record.
    EXPECT_EQ("ROOM1", db.RES.RESOURCE.str());
    db.RES.RESOURCE = "ROOM1";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
    EXPECT_EQ("ADMIN", db.RES.USERNAME.str());
    EXPECT_EQ(today().value, db.RES.DATECHANGED);
    EXPECT_EQ(3, db.RES.UNITS);
}

TEST_F(ResourceSaveTest, ATakenCodeIsRefusedWithMessage13AndNothingIsWritten) {
    ASSERT_TRUE(newResource(a, "ROOM1", {}).saved());
    user.clearAsked();
    const SaveResult r = newResource(a, "ROOM1", {"MARY"});
    EXPECT_EQ(SaveResult::Duplicate, r.outcome);
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_EQ("Adding this record creates a duplicate entry for the key: Short Name Order",
              user.lastText());
    EXPECT_EQ(1, count(a, Tbl::RESOURCE));
    EXPECT_TRUE(resusers(a).empty());
    EXPECT_EQ(1u, memberships(a).size());
}

TEST_F(ResourceSaveTest, AnotherStationsChangesStopTheSaveWith7Or8Or9) {
    ASSERT_TRUE(newResource(a, "ROOM1", {"MARY"}).saved());
    Station b(dir.path);
    openAll(b);

    // b authorizes one more user while a's form is open: the count differs.
    ResourceEdit edit = load(a, "ROOM1");
    b.fm(Tbl::RESUSER).PRIMERECORD();
    b.db->RUS.RESOURCE = "ROOM1";
    b.db->RUS.USERNAME = "TOM";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESUSER).INSERT());
    db.RES.NAME = "Changed by a";
    edit.users.add("ANNE");
    SaveResult r = masterdata::saveResource(db, edit);
    EXPECT_EQ(SaveResult::ChangedElsewhere, r.outcome);
    EXPECT_EQ(7, r.number);
    EXPECT_EQ("Record changed by another workstation or window. 7", masterdata::changedMessage(7));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/MARY", "ROOM1/TOM"}), resusers(a));
    db.RES.RESOURCE = "ROOM1";
    a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY);
    EXPECT_TRUE(db.RES.NAME.blank());

    // b swaps one user for another: same count, a name a never loaded.
    edit = load(a, "ROOM1");
    b.db->RUS.RESOURCE = "ROOM1";
    b.db->RUS.USERNAME = "TOM";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESUSER).FETCH(RUS::RESOURCE_KEY));
    b.db->RUS.USERNAME = "JOE";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESUSER).UPDATE());
    r = masterdata::saveResource(db, edit);
    EXPECT_EQ(8, r.number);

    // b changes the record itself.
    edit = load(a, "ROOM1");
    b.db->RES.RESOURCE = "ROOM1";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
    b.db->RES.NAME = "By b";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESOURCE).UPDATE());
    db.RES.NAME = "By a";
    edit.users.add("ZOE");
    r = masterdata::saveResource(db, edit);
    EXPECT_EQ(9, r.number);
    EXPECT_EQ((std::vector<std::string>{"ROOM1/JOE", "ROOM1/MARY"}), resusers(a));
    db.RES.RESOURCE = "ROOM1";
    a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY);
    EXPECT_EQ("By b", db.RES.NAME.str());
}

TEST_F(ResourceSaveTest, ChangedUserListReplacesTheOldRows) {
    ASSERT_TRUE(newResource(a, "ROOM1", {"MARY", "TOM"}).saved());
    ResourceEdit edit = load(a, "ROOM1");
    edit.users.remove("TOM");
    edit.users.add("ANNE");
    ASSERT_TRUE(masterdata::saveResource(db, edit).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"ROOM1/ANNE", "ROOM1/MARY"}), resusers(a));
}

TEST_F(ResourceSaveTest, RenameCarriesAuthorizationsMembershipsAndBookingLinks) {
    ASSERT_TRUE(newResource(a, "ROOM1", {"MARY", "ANNE"}).saved());
    ASSERT_TRUE(newResource(a, "ROOM2", {"MARY"}).saved());
    addGroup(a, "EAST");
    addMembership(a, "EAST", "ROOM1");
    addResAct(a, 1001, "ROOM1");
    addResAct(a, 1002, "ROOM2");

    ResourceEdit edit = load(a, "ROOM1");
    db.RES.RESOURCE = "HALL";
    ASSERT_TRUE(masterdata::saveResource(db, edit).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"HALL/ANNE", "HALL/MARY", "ROOM2/MARY"}), resusers(a));
    EXPECT_EQ((std::vector<std::string>{"All resources/HALL", "All resources/ROOM2", "EAST/HALL"}),
              memberships(a));
    EXPECT_EQ((std::vector<std::string>{"HALL", "ROOM2"}),
              walk(a, Tbl::RESACT, RAC::RESOURCE_KEY, [&] { return db.RAC.RESOURCE.str(); }));

    // Renaming onto another resource's code is refused and moves nothing.
    edit = load(a, "HALL");
    db.RES.RESOURCE = "ROOM2";
    EXPECT_EQ(SaveResult::Duplicate, masterdata::saveResource(db, edit).outcome);
    EXPECT_EQ((std::vector<std::string>{"HALL/ANNE", "HALL/MARY", "ROOM2/MARY"}), resusers(a));
}

TEST_F(ResourceSaveTest, GroupNeedsANameAndKeepsItsMembers) {
    a.fm(Tbl::GROUP).PRIMERECORD();
    GroupEdit edit;
    edit.request = InsertRecord;
    edit.members = names({"ROOM1"});
    SaveResult r = masterdata::saveResourceGroup(db, edit);
    EXPECT_EQ(SaveResult::Refused, r.outcome);
    EXPECT_EQ("Group must have a name", r.message);
    EXPECT_EQ(0, count(a, Tbl::GROUP));
    EXPECT_EQ(0, count(a, Tbl::GROUPRES));

    db.GRO.GROUP = "EAST";
    ASSERT_TRUE(masterdata::saveResourceGroup(db, edit).saved());
    EXPECT_EQ((std::vector<std::string>{"EAST/ROOM1"}), memberships(a));
    db.GRO.GROUP = "EAST";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY));
    EXPECT_EQ("ADMIN", db.GRO.USERNAME.str());

    // Change: a renamed group keeps its members, under the new name.
    GroupEdit change;
    change.request = ChangeRecord;
    change.original = "EAST";
    change.position = a.fm(Tbl::GROUP).POSITION();
    change.loaded = names({"ROOM1"});
    change.members = names({"ROOM1", "ROOM2"});
    db.GRO.GROUP = "WEST";
    ASSERT_TRUE(masterdata::saveResourceGroup(db, change).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"WEST/ROOM1", "WEST/ROOM2"}), memberships(a));
    EXPECT_EQ(1, count(a, Tbl::GROUP));

    // Another station adds a member meanwhile.
    db.GRO.GROUP = "WEST";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY));
    change.original = "WEST";
    change.position = a.fm(Tbl::GROUP).POSITION();
    change.loaded = names({"ROOM1", "ROOM2"});
    Station b(dir.path);
    openAll(b);
    addMembership(b, "WEST", "ROOM3");
    r = masterdata::saveResourceGroup(db, change);
    EXPECT_EQ(7, r.number);
}

TEST_F(ResourceSaveTest, UserGroupSavesMembersAndRenamesThem) {
    a.fm(Tbl::USERGRP).PRIMERECORD();
    db.USG.GROUP = "NURSES";
    GroupEdit edit;
    edit.request = InsertRecord;
    edit.members = names({"MARY", "TOM"});
    ASSERT_TRUE(masterdata::saveUserGroup(db, edit).saved());
    EXPECT_EQ((std::vector<std::string>{"MARY", "TOM"}),
              masterdata::userGroupMembers(db, "NURSES"));
    db.USG.GROUP = "NURSES";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERGRP).FETCH(USG::GROUP_KEY));
    EXPECT_EQ("ADMIN", db.USG.LASTCHANGEDBY.str());

    GroupEdit change;
    change.request = ChangeRecord;
    change.original = "NURSES";
    change.position = a.fm(Tbl::USERGRP).POSITION();
    change.loaded = names({"MARY", "TOM"});
    change.members = names({"MARY"});
    db.USG.GROUP = "WARD";
    ASSERT_TRUE(masterdata::saveUserGroup(db, change).saved());
    EXPECT_TRUE(masterdata::userGroupMembers(db, "NURSES").empty());
    EXPECT_EQ((std::vector<std::string>{"MARY"}), masterdata::userGroupMembers(db, "WARD"));

    a.fm(Tbl::USERGRP).PRIMERECORD();
    edit.members = {};
    EXPECT_EQ(SaveResult::Refused, masterdata::saveUserGroup(db, edit).outcome);
}

TEST_F(ResourceSaveTest, RebuildAllAsksForEachMembershipThenAddsOnePerResource) {
    ASSERT_TRUE(newResource(a, "ROOM1", {}).saved());
    ASSERT_TRUE(newResource(a, "ROOM2", {}).saved());
    addGroup(a, "EAST");
    addMembership(a, "EAST", "ROOM1");
    // A resource whose membership was lost, and a stale membership of a resource gone.
    a.fm(Tbl::RESOURCE).PRIMERECORD();
    db.RES.RESOURCE = "ROOM3";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
    addMembership(a, masterdata::kAllResources, "GONE");

    user.clearAsked();
    for (int i = 0; i < 3; ++i) user.answer(BUTTON_YES);
    EXPECT_EQ(3, masterdata::rebuildAllResources(db));
    EXPECT_EQ(3u, user.asked.size());
    EXPECT_EQ("Are you sure you want to delete the highlighted record?", user.lastText());
    EXPECT_EQ((std::vector<std::string>{"All resources/ROOM1", "All resources/ROOM2",
                                        "All resources/ROOM3", "EAST/ROOM1"}),
              memberships(a));

    // Refusing a deletion ends the rebuild there.
    user.answer(BUTTON_YES);
    user.answer(BUTTON_NO);
    EXPECT_EQ(-1, masterdata::rebuildAllResources(db));
    EXPECT_EQ(
        (std::vector<std::string>{"All resources/ROOM2", "All resources/ROOM3", "EAST/ROOM1"}),
        memberships(a));
}

TEST_F(ResourceSaveTest, TheAllResourcesGroupKeepsItsNameAndStays) {
    addGroup(a, masterdata::kAllResources);
    addMembership(a, masterdata::kAllResources, "ROOM1");
    db.GRO.GROUP = masterdata::kAllResources;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY));
    GroupEdit edit;
    edit.request = ChangeRecord;
    edit.original = masterdata::kAllResources;
    edit.position = a.fm(Tbl::GROUP).POSITION();
    edit.loaded = edit.members = names({"ROOM1"});
    db.GRO.GROUP = "Everything";
    const SaveResult r = masterdata::saveResourceGroup(db, edit);
    EXPECT_EQ(SaveResult::Refused, r.outcome);
    EXPECT_EQ("The group of all resources keeps its name", r.message);
    EXPECT_EQ((std::vector<std::string>{"All resources/ROOM1"}), memberships(a));
    EXPECT_FALSE(masterdata::mayDeleteGroup(masterdata::kAllResources));
    EXPECT_TRUE(masterdata::mayDeleteGroup("EAST"));
    // Its members can still be changed.
    db.GRO.GROUP = masterdata::kAllResources;
    edit.members = names({"ROOM1", "ROOM2"});
    EXPECT_TRUE(masterdata::saveResourceGroup(db, edit).saved());
}

TEST_F(ResourceSaveTest, SelectionListsOfferWhatEachUserMayBook) {
    for (const char* code : {"ROOM1", "ROOM2", "ROOM3"})
        ASSERT_TRUE(newResource(a, code, {}).saved());
    authorize("ROOM3", "MARY");
    authorize("ROOM1", "MARY");
    addGroup(a, "EAST");
    addMembership(a, "EAST", "ROOM2");
    addMembership(a, "EAST", "ROOM3");
    auto codes = [](const std::vector<masterdata::ResourceRow>& rows) {
        std::string out;
        for (const auto& r : rows) out += r.resource + " ";
        return out;
    };
    EXPECT_EQ("ROOM1 ROOM2 ROOM3 ", codes(masterdata::selectableResources(db, "", "BOSS", 2)));
    EXPECT_EQ("ROOM2 ROOM3 ", codes(masterdata::selectableResources(db, "EAST", "BOSS", 3)));
    EXPECT_EQ("ROOM1 ROOM3 ", codes(masterdata::selectableResources(db, "", "MARY", 1)));
    EXPECT_EQ("ROOM3 ", codes(masterdata::selectableResources(db, "EAST", "MARY", 1)));
    EXPECT_EQ("", codes(masterdata::selectableResources(db, "", "VIEWER", 0)));

    for (auto [name, level] : {std::pair{"ZOE", 1}, {"VIEWER", 0}, {"ANNE", 1}, {"BOSS", 2}}) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        db.USE.ACCESSLEVEL = BYTE(level);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
    std::string general;
    for (const auto& u : masterdata::generalUsers(db)) general += u.username + " ";
    EXPECT_EQ("ANNE ZOE ", general);
}

TEST_F(ResourceSaveTest, LocksHeldElsewhereCancelTheSaveAtStep1AndWriteNothing) {
    Station b(dir.path);
    openAll(b);
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESOURCE).USEFILE());
    ASSERT_EQ(0, b.db->engine().begin(2));  // another station in the middle of its own save
    const SaveResult r = newResource(a, "ROOM1", {"MARY"});
    EXPECT_EQ(0, b.db->engine().rollback());
    EXPECT_EQ(SaveResult::Cancelled, r.outcome);
    EXPECT_EQ(1, r.number);
    EXPECT_EQ("Transaction cancelled - " + r.errorText + " 1", masterdata::cancelledMessage(r));
    EXPECT_FALSE(r.errorText.empty());
    EXPECT_EQ(0, count(a, Tbl::RESOURCE));
    EXPECT_EQ(0, count(a, Tbl::RESUSER));
    // Once the other station is done, the same save goes through.
    EXPECT_TRUE(newResource(a, "ROOM1", {"MARY"}).saved());
}

}  // namespace
}  // namespace store::test

// Saving users: password rules, "Authorize for all", a new user's preferences and lists
// made from the system's, and renames and deletions reaching both store files.
#include "masterdata/user_save.h"
#include "../store/store_fixture.h"
#include "masterdata/master_names.h"
#include "masterdata/preferences.h"
#include "store/datetime.h"
#include "store/session.h"

namespace store::test {
namespace {

using masterdata::SaveResult;
using masterdata::UserEdit;

class UserSaveTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        session().GlobalUserName = "ADMIN";
        session().accessLevel = SystemAdministrator;
        a.fm(Tbl::SYSPREF).PRIMERECORD();
        masterdata::seedSystemDefaults(db.SYP);
        db.SYP.NAME = "Staff meeting";
        db.SYP.STARTTIME = Time::fromHMS(9, 0).value;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT()) << user.lastText();
        for (LONG d : {90001, 180001}) {
            a.fm(Tbl::DURLIST).PRIMERECORD();
            db.DUR.DURATION = d;
            db.DUR.USERNAME = masterdata::kSysPref;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
        }
        a.fm(Tbl::ROUTINEA).PRIMERECORD();
        db.ROU.NAME = "Cleaning";
        db.ROU.USERNAME = masterdata::kSysPref;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::ROUTINEA).INSERT());
        for (const char* code : {"ROOM1", "ROOM2", "ROOM3"}) {
            a.fm(Tbl::RESOURCE).PRIMERECORD();
            db.RES.RESOURCE = code;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
        }
        db.SYP.NAME = "not what is stored";  // the save reads the stored defaults
    }

    SaveResult newUser(const char* name, int level, bool all, const char* password = "secret") {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        db.USE.ACCESSLEVEL = BYTE(level);
        UserEdit edit;
        edit.request = InsertRecord;
        edit.password = edit.confirmation = password;
        edit.authorizeAll = all;
        return masterdata::saveUser(db, edit);
    }
    UserEdit load(const char* name) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        EXPECT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
        UserEdit edit;
        edit.request = ChangeRecord;
        edit.original = name;
        edit.position = a.fm(Tbl::USERS).POSITION();
        edit.password = edit.confirmation = db.USE.PASSWORD.str();
        return edit;
    }
    std::vector<std::string> resusers() {
        return walk(a, Tbl::RESUSER, RUS::USERNAME_KEY,
                    [&] { return db.RUS.USERNAME.str() + "/" + db.RUS.RESOURCE.str(); });
    }
    std::vector<std::string> listsOf(const char* name) {
        std::vector<std::string> out;
        for (auto& d : walk(a, Tbl::DURLIST, DUR::USERNAME_KEY, [&] {
                 return db.DUR.USERNAME.str() + ":" + std::to_string(db.DUR.DURATION);
             }))
            if (d.rfind(std::string(name) + ":", 0) == 0) out.push_back(d);
        for (auto& r : walk(a, Tbl::ROUTINEA, ROU::USERNAME_KEY,
                            [&] { return db.ROU.USERNAME.str() + ":" + db.ROU.NAME.str(); }))
            if (r.rfind(std::string(name) + ":", 0) == 0) out.push_back(r);
        return out;
    }
};

TEST_F(UserSaveTest, PasswordsAreMeasuredWithoutSurroundingBlanks) {
    SaveResult r = newUser("MARY", GeneralUser, false, "abcd");
    EXPECT_EQ(SaveResult::Refused, r.outcome);
    EXPECT_EQ("Password must be at least 5 characters", r.message);
    r = newUser("MARY", GeneralUser, false, "  abcde  ");
    EXPECT_TRUE(r.saved()) << r.message;
    a.fm(Tbl::USERS).PRIMERECORD();
    UserEdit edit = load("MARY");
    edit.confirmation = "other";
    r = masterdata::saveUser(db, edit);
    EXPECT_EQ("Password entries do not match. Please try again", r.message);
    EXPECT_EQ(1, count(a, Tbl::USERS));
}

TEST_F(UserSaveTest, NewUserAuthorizedForAllGetsPreferencesAndListsFromTheSystem) {
    ASSERT_TRUE(newUser("MARY", GeneralUser, true).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"MARY/ROOM1", "MARY/ROOM2", "MARY/ROOM3"}), resusers());
    db.USP.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ("Staff meeting", db.USP.NAME.str());
    EXPECT_EQ(3240001, db.USP.STARTTIME);
    EXPECT_EQ(6480001, db.USP.ENDDAY);
    EXPECT_EQ(8, db.USP.HEIGHT);
    EXPECT_EQ((std::vector<std::string>{"MARY:90001", "MARY:180001", "MARY:Cleaning"}),
              listsOf("MARY"));
    // The system's own lists stay as they were.
    EXPECT_EQ(3u, listsOf(masterdata::kSysPref).size());
    db.USE.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ("ADMIN", db.USE.CHANGENAME.str());
    EXPECT_EQ(GeneralUser, db.USE.ACCESSLEVEL);
}

TEST_F(UserSaveTest, AuthorizeForAllAddsOnlyTheMissingAndNeverForAViewer) {
    ASSERT_TRUE(newUser("MARY", GeneralUser, false).saved());
    a.fm(Tbl::RESUSER).PRIMERECORD();
    db.RUS.RESOURCE = "ROOM2";
    db.RUS.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
    UserEdit edit = load("MARY");
    edit.authorizeAll = true;
    ASSERT_TRUE(masterdata::saveUser(db, edit).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"MARY/ROOM1", "MARY/ROOM2", "MARY/ROOM3"}), resusers());

    ASSERT_TRUE(newUser("VIEWER", ViewOnly, true).saved());
    EXPECT_EQ(3u, resusers().size());
}

TEST_F(UserSaveTest, ATakenNameIsRefusedAndLeavesNothingHalfSaved) {
    ASSERT_TRUE(newUser("MARY", GeneralUser, false).saved());
    user.clearAsked();
    EXPECT_EQ(SaveResult::Duplicate, newUser("MARY", GeneralUser, true).outcome);
    EXPECT_EQ("Adding this record creates a duplicate entry for the key: USE:UserName_key",
              user.lastText());
    EXPECT_TRUE(resusers().empty());
    EXPECT_EQ(1, count(a, Tbl::USERPREF));
}

TEST_F(UserSaveTest, RenameAndDeleteReachBothStoreFiles) {
    ASSERT_TRUE(newUser("MARY", GeneralUser, true).saved());
    a.fm(Tbl::USGRPUS).PRIMERECORD();
    db.UGU.GROUP = "NURSES";
    db.UGU.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USGRPUS).INSERT());

    UserEdit edit = load("MARY");
    db.USE.USERNAME = "MARIA";
    db.USE.LASTNAME = "Smith";
    ASSERT_TRUE(masterdata::saveUser(db, edit).saved()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"MARIA/ROOM1", "MARIA/ROOM2", "MARIA/ROOM3"}), resusers());
    EXPECT_EQ((std::vector<std::string>{"MARIA:90001", "MARIA:180001", "MARIA:Cleaning"}),
              listsOf("MARIA"));
    EXPECT_TRUE(listsOf("MARY").empty());
    db.USP.USERNAME = "MARIA";
    EXPECT_EQ(Level_Benign, a.fm(Tbl::USERPREF).TRYFETCH(USP::USERNAME_KEY));
    EXPECT_EQ((std::vector<std::string>{"NURSES/MARIA"}),
              walk(a, Tbl::USGRPUS, UGU::GROUP_KEY,
                   [&] { return db.UGU.GROUP.str() + "/" + db.UGU.USERNAME.str(); }));

    // A second station sees the rename in both files at once.
    Station b(dir.path);
    openAll(b);
    b.db->USE.USERNAME = "MARIA";
    EXPECT_EQ(Level_Benign, b.fm(Tbl::USERS).TRYFETCH(USE::USERNAME_KEY));
    ASSERT_EQ(Level_Benign, b.fm(Tbl::RESUSER).USEFILE());
    EXPECT_EQ(3, count(b, Tbl::RESUSER));

    // Deleting the user removes its rows from both files.
    db.USE.USERNAME = "MARIA";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    user.answer(BUTTON_YES);
    ASSERT_EQ(Level_Benign, a.rm(Tbl::USERS).DELETE(true));
    EXPECT_EQ(0, count(a, Tbl::USERS));
    EXPECT_EQ(0, count(a, Tbl::RESUSER));
    EXPECT_EQ(0, count(a, Tbl::USGRPUS));
    EXPECT_EQ(0, count(a, Tbl::USERPREF));
    EXPECT_EQ(3u, listsOf(masterdata::kSysPref).size());
    EXPECT_TRUE(listsOf("MARIA").empty());
}

TEST_F(UserSaveTest, ARecordChangedByAnotherStationIsNotOverwritten) {
    ASSERT_TRUE(newUser("MARY", GeneralUser, false).saved());
    UserEdit edit = load("MARY");
    Station b(dir.path);
    openAll(b);
    b.db->USE.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    b.db->USE.DEPARTMENT = "Wards";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).UPDATE());
    db.USE.DEPARTMENT = "Office";
    edit.authorizeAll = true;
    const SaveResult r = masterdata::saveUser(db, edit);
    EXPECT_EQ(SaveResult::ChangedElsewhere, r.outcome);
    EXPECT_EQ(9, r.number);
    EXPECT_TRUE(resusers().empty());
}

TEST_F(UserSaveTest, TheLoggedInUserRenamedGoesOnUnderTheNewName) {
    ASSERT_TRUE(newUser("ADMIN", SystemAdministrator, false).saved());
    UserEdit edit = load("ADMIN");
    db.USE.USERNAME = "CHIEF";
    ASSERT_TRUE(masterdata::saveUser(db, edit).saved());
    EXPECT_EQ("CHIEF", session().GlobalUserName);
    // Taking a name another user has is refused, and the record keeps its own.
    ASSERT_TRUE(newUser("MARY", GeneralUser, false).saved());
    edit = load("CHIEF");
    db.USE.USERNAME = "MARY";
    user.clearAsked();
    EXPECT_EQ(SaveResult::Duplicate, masterdata::saveUser(db, edit).outcome);
    EXPECT_EQ(1u, user.asked.size());
    EXPECT_EQ("CHIEF", session().GlobalUserName);
    db.USE.USERNAME = "CHIEF";
    EXPECT_EQ(Level_Benign, a.fm(Tbl::USERS).TRYFETCH(USE::USERNAME_KEY));
}

}  // namespace
}  // namespace store::test

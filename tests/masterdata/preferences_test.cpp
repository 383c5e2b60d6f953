// System and user preferences: booking numbers raised, field checks on save, and the
// system settings applied to every existing user in one transaction.
#include <gtest/gtest.h>

#include "../store/store_fixture.h"
#include "masterdata/preferences.h"
#include "store/datetime.h"
#include "store/session.h"

namespace {

using namespace store;
using namespace store::test;
using masterdata::PreferenceResult;

class PreferencesTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        // A store in use has every table made.
        for (int i = 0; i < kTableCount; ++i) ASSERT_EQ(Level_Benign, a.fm(Tbl(i)).USEFILE());
        session() = Session{};
        session().GlobalUserName = "ADMIN";
        a.fm(Tbl::SYSPREF).PRIMERECORD();
        masterdata::seedSystemDefaults(db.SYP);
        db.SYP.NAME = "Meeting";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT());
        sysPrefAt = db.table(Tbl::SYSPREF).position();
    }

    void addNumber(LONG n) {
        a.fm(Tbl::CONTROL).PRIMERECORD();
        db.CON.NUMBER = n;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CONTROL).INSERT());
    }
    LONG highestNumber() {
        FileManager& con = a.fm(Tbl::CONTROL);
        con.SET(CON::NUMBER_KEY);
        return con.PREVIOUS() == Level_Benign ? db.CON.NUMBER : 0;
    }
    void addDuration(const char* user, LONG d) {
        a.fm(Tbl::DURLIST).PRIMERECORD();
        db.DUR.USERNAME = user;
        db.DUR.DURATION = d;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    void addName(const char* user, const char* name) {
        a.fm(Tbl::ROUTINEA).PRIMERECORD();
        db.ROU.USERNAME = user;
        db.ROU.NAME = name;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::ROUTINEA).INSERT());
    }
    void addUserPref(const char* user, const char* name, int height) {
        a.fm(Tbl::USERPREF).PRIMERECORD();
        db.USP.USERNAME = user;
        db.USP.NAME = name;
        db.USP.HEIGHT = BYTE(height);
        db.USP.SCANTEXT = "Booking";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).INSERT());
    }
    /// "user:duration" of every DURLIST row, in key order.
    std::vector<std::string> durations() {
        return walk(a, Tbl::DURLIST, DUR::USERNAME_KEY,
                    [&] { return db.DUR.USERNAME.str() + ":" + std::to_string(db.DUR.DURATION); });
    }
    std::vector<std::string> names() {
        return walk(a, Tbl::ROUTINEA, ROU::USERNAME_KEY,
                    [&] { return db.ROU.USERNAME.str() + ":" + db.ROU.NAME.str(); });
    }
    /// One user's stored preferences as "name/height/scantext/duration".
    std::string prefsOf(const char* user) {
        db.USP.USERNAME = user;
        if (a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY) != Level_Benign) return "none";
        return db.USP.NAME.str() + "/" + std::to_string(db.USP.HEIGHT) + "/" +
               db.USP.SCANTEXT.str() + "/" + std::to_string(db.USP.DURATION);
    }
    SYSPREF storedSysPref() {
        a.fm(Tbl::SYSPREF).SET(-1);
        EXPECT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).NEXT());
        return db.SYP;
    }

    RecordPosition sysPrefAt;
};

TEST_F(PreferencesTest, ResetControlFileRaisesTheNextNumberAThousandAboveTheHighest) {
    addNumber(120);
    addNumber(40);
    // The highest issued is 120: the new record is 1120, so the next booking gets 1121.
    EXPECT_EQ(1120, masterdata::resetControlFile(db));
    EXPECT_EQ(1120, highestNumber());
    EXPECT_EQ(3, count(a, Tbl::CONTROL));
    EXPECT_EQ(2120, masterdata::resetControlFile(db));
}

TEST_F(PreferencesTest, AnEmptyControlFileCountsAsNothingIssued) {
    EXPECT_EQ(1000, masterdata::resetControlFile(db));
    EXPECT_EQ(1000, highestNumber());
}

TEST_F(PreferencesTest, ResetControlFileWaitsForNoOtherStationsTransaction) {
    addNumber(120);
    Station b(dir.path);
    ASSERT_EQ(NoError, b.db->engine().begin(2));
    std::string failure;
    EXPECT_EQ(0, masterdata::resetControlFile(db, &failure));
    EXPECT_NE(std::string::npos, failure.find(" CONTROL")) << failure;
    b.db->engine().rollback();
    EXPECT_EQ(120, highestNumber());
}

TEST_F(PreferencesTest, FieldChecksRefuseTheSaveAndKeepTheStoredRecord) {
    db.SYP.HEIGHT = 5;
    db.SYP.NAME = "Changed";
    EXPECT_EQ(PreferenceResult::Refused,
              masterdata::saveSystemPreferences(db, sysPrefAt, false).outcome);
    EXPECT_EQ("The value of Height of TimeSlots in Scan must be between 6 and 20.",
              user.lastText());

    db.SYP.HEIGHT = 20;
    db.SYP.ADVANCEDAYS = -1;
    EXPECT_EQ(PreferenceResult::Refused,
              masterdata::saveSystemPreferences(db, sysPrefAt, false).outcome);
    EXPECT_EQ("The value of Max Days Booking in Advance must be higher than 0.", user.lastText());
    EXPECT_EQ("Meeting", storedSysPref().NAME.str());

    // The user's own height is checked the same way.
    db.USP.HEIGHT = 21;
    EXPECT_EQ(PreferenceResult::Refused,
              masterdata::saveUserPreferences(db, RecordPosition{}).outcome);
    EXPECT_EQ(0, count(a, Tbl::USERPREF));
}

TEST_F(PreferencesTest, ASavedRecordIsStampedAndOnlyItChanges) {
    addUserPref("ANN", "Own", 10);
    addDuration("ANN", 60001);
    db.SYP = storedSysPref();
    db.SYP.HEIGHT = 12;
    db.SYP.ADVANCEDAYS = 0;
    ASSERT_TRUE(masterdata::saveSystemPreferences(db, sysPrefAt, false).ok());
    const SYSPREF s = storedSysPref();
    EXPECT_EQ(12, s.HEIGHT);
    EXPECT_EQ("ADMIN", s.USERNAME.str());
    EXPECT_NE(0, s.DATECHANGED);
    // Without "apply", the users keep their own settings and lists.
    EXPECT_EQ("Own/10/Booking/0", prefsOf("ANN"));
    EXPECT_EQ(std::vector<std::string>{"ANN:60001"}, durations());
}

TEST_F(PreferencesTest, ApplyToExistingUsersReplacesEveryUsersListsAndDefaults) {
    addDuration("SysPref", 90001);
    addDuration("SysPref", 180001);
    addName("SysPref", "Lecture");
    addName("SysPref", "Meeting");
    addUserPref("ANN", "Own", 10);
    addUserPref("BOB", "Other", 14);
    addUserPref("ADMIN", "Mine", 9);
    addDuration("ANN", 60001);
    addDuration("ANN", 90001);
    addDuration("GONE", 30001);  // a list whose user has no preferences goes too
    addName("BOB", "Squash");
    // The session's buffer holds the logged-in user's preferences.
    db.USP.USERNAME = "ADMIN";
    a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY);

    db.SYP = storedSysPref();
    db.SYP.NAME = "Seminar";
    db.SYP.HEIGHT = 11;
    db.SYP.DURATION = 90001;
    db.SYP.SCANTEXT = "Mixed";
    ASSERT_TRUE(masterdata::saveSystemPreferences(db, sysPrefAt, true).ok());

    for (const char* u : {"ANN", "BOB", "ADMIN"}) EXPECT_EQ("Seminar/11/Mixed/90001", prefsOf(u));
    EXPECT_EQ(
        (std::vector<std::string>{"ADMIN:90001", "ADMIN:180001", "ANN:90001", "ANN:180001",
                                  "BOB:90001", "BOB:180001", "SysPref:90001", "SysPref:180001"}),
        durations());
    EXPECT_EQ((std::vector<std::string>{"ADMIN:Lecture", "ADMIN:Meeting", "ANN:Lecture",
                                        "ANN:Meeting", "BOB:Lecture", "BOB:Meeting",
                                        "SysPref:Lecture", "SysPref:Meeting"}),
              names());
    EXPECT_EQ("Seminar", storedSysPref().NAME.str());
}

TEST_F(PreferencesTest, ApplyLeavesTheSessionBufferWithTheLoggedInUsersNewValues) {
    addUserPref("ADMIN", "Mine", 9);
    db.USP.USERNAME = "ADMIN";
    a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY);
    db.SYP = storedSysPref();
    db.SYP.HEIGHT = 15;
    ASSERT_TRUE(masterdata::saveSystemPreferences(db, sysPrefAt, true).ok());
    EXPECT_EQ("ADMIN", db.USP.USERNAME.str());
    EXPECT_EQ(15, db.USP.HEIGHT);

    // Without a record of his own the logged-in user works with the new defaults.
    session().GlobalUserName = "NOPREFS";
    db.SYP.HEIGHT = 16;
    ASSERT_TRUE(
        masterdata::saveSystemPreferences(db, db.table(Tbl::SYSPREF).position(), true).ok());
    EXPECT_EQ("NOPREFS", db.USP.USERNAME.str());
    EXPECT_EQ(16, db.USP.HEIGHT);
}

TEST_F(PreferencesTest, AFailedSaveUndoesTheApplyToUsers) {
    addDuration("SysPref", 90001);
    addUserPref("ANN", "Own", 10);
    addDuration("ANN", 60001);
    db.USP.USERNAME = "ANN";
    a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY);

    // Another station changes the preferences after this one read them.
    Station b(dir.path);
    ASSERT_EQ(Level_Benign, b.rm(Tbl::SYSPREF).OPEN());
    b.fm(Tbl::SYSPREF).SET(-1);
    ASSERT_EQ(Level_Benign, b.fm(Tbl::SYSPREF).NEXT());
    b.db->SYP.NAME = "Theirs";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::SYSPREF).UPDATE());

    db.SYP.NAME = "Mine";
    db.SYP.HEIGHT = 12;
    EXPECT_EQ(PreferenceResult::ChangedElsewhere,
              masterdata::saveSystemPreferences(db, sysPrefAt, true).outcome);
    // The other station's values are on show; no user was changed.
    EXPECT_EQ("Theirs", db.SYP.NAME.str());
    EXPECT_EQ("ANN", db.USP.USERNAME.str());
    EXPECT_EQ("Own/10/Booking/0", prefsOf("ANN"));
    EXPECT_EQ((std::vector<std::string>{"ANN:60001", "SysPref:90001"}), durations());
}

TEST_F(PreferencesTest, ALockedStoreChangesNothingAndSaysWhy) {
    addUserPref("ANN", "Own", 10);
    Station b(dir.path);
    ASSERT_EQ(NoError, b.db->engine().begin(2));
    db.SYP.NAME = "Mine";
    const PreferenceResult r = masterdata::saveSystemPreferences(db, sysPrefAt, true);
    b.db->engine().rollback();
    EXPECT_EQ(PreferenceResult::Failed, r.outcome);
    EXPECT_EQ(0u, masterdata::cancelledText(r).rfind("Transaction cancelled - ", 0));
    EXPECT_EQ("Meeting", storedSysPref().NAME.str());
    EXPECT_EQ("Own/10/Booking/0", prefsOf("ANN"));
}

TEST_F(PreferencesTest, UserPreferencesAreAddedWhenMissingAndChangedWhenRead) {
    session().GlobalUserName = "ANN";
    a.fm(Tbl::USERPREF).PRIMERECORD();
    db.USP.NAME = "First";
    db.USP.HEIGHT = 8;
    ASSERT_TRUE(masterdata::saveUserPreferences(db, RecordPosition{}).ok());
    EXPECT_EQ("First/8//0", prefsOf("ANN"));

    const RecordPosition at = db.table(Tbl::USERPREF).position();
    db.USP.NAME = "Second";
    ASSERT_TRUE(masterdata::saveUserPreferences(db, at).ok());
    EXPECT_EQ("Second/8//0", prefsOf("ANN"));
    EXPECT_EQ(1, count(a, Tbl::USERPREF));

    // A write over a record changed since it was read is refused.
    db.USP.NAME = "Third";
    EXPECT_EQ(PreferenceResult::ChangedElsewhere, masterdata::saveUserPreferences(db, at).outcome);
    EXPECT_EQ("Second", db.USP.NAME.str());
}

TEST(AlertModeTest, OnlyAlertsThatAreOnHaveALeadTime) {
    EXPECT_FALSE(masterdata::alertLeadApplies("None"));
    EXPECT_FALSE(masterdata::alertLeadApplies(""));
    EXPECT_TRUE(masterdata::alertLeadApplies("All"));
    EXPECT_TRUE(masterdata::alertLeadApplies("User only"));
    EXPECT_EQ("User Only", masterdata::storedAlert("User only"));
    EXPECT_EQ("None", masterdata::storedAlert("Sometimes"));
}

TEST_F(PreferencesTest, RebuildingKeysKeepsEveryRecord) {
    addNumber(7);
    addDuration("SysPref", 90001);
    std::string failure;
    ASSERT_TRUE(masterdata::rebuildFileKeys(db, &failure)) << failure;
    EXPECT_EQ(7, highestNumber());
    EXPECT_EQ(std::vector<std::string>{"SysPref:90001"}, durations());
}

}  // namespace

namespace {

using namespace store;
using namespace store::test;

class DefaultLookupTest : public StoreTest {
  protected:
    void SetUp() override { openAll(a); }
    void addResource(const char* code) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
    }
};

TEST_F(DefaultLookupTest, APickedCodeIsCutToTheEntryAndStillNamesItsRecord) {
    addResource("PROJECTOR-12");  // 12 characters
    addResource("ROOM A");
    addClient(a, "The Northern Amateur Dramatic Society");
    db.RES.RESOURCE = "kept";
    EXPECT_EQ("ROOM A", masterdata::findDefaultResource(db, "ROOM A"));
    EXPECT_EQ("", masterdata::findDefaultResource(db, "ROOM B"));
    EXPECT_EQ("", masterdata::findDefaultResource(db, "   "));
    // The 12-character code is kept as its first 10, and those 10 still name it.
    EXPECT_EQ("PROJECTOR-", masterdata::findDefaultResource(db, "PROJECTOR-12"));
    EXPECT_EQ("PROJECTOR-", masterdata::findDefaultResource(db, "PROJECTOR-"));
    // A shorter beginning is not enough.
    EXPECT_EQ("", masterdata::findDefaultResource(db, "PROJECTOR"));
    // A name cut at a blank is kept without it, and still names its client.
    EXPECT_EQ("The Northern Amateur Dramatic",
              masterdata::findDefaultClient(db, "the northern amateur dramatic"));
    EXPECT_EQ("kept", db.RES.RESOURCE.str());
}

TEST_F(DefaultLookupTest, ListsAreReadPerOwnerInKeyOrder) {
    for (auto [user, d] :
         {std::pair{"SysPref", 360001}, {"SysPref", 90001}, {"ANN", 60001}, {"SYSPREFX", 30001}}) {
        a.fm(Tbl::DURLIST).PRIMERECORD();
        db.DUR.USERNAME = user;
        db.DUR.DURATION = d;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    EXPECT_EQ((std::vector<LONG>{90001, 360001}), masterdata::ownerDurations(db, "SysPref"));
    EXPECT_EQ((std::vector<LONG>{60001}), masterdata::ownerDurations(db, "ANN"));
    EXPECT_TRUE(masterdata::ownerNames(db, "ANN").empty());
    EXPECT_EQ("00:15", masterdata::lengthText(90001));
    // A typed default start keeps the booking form's four seconds after the minute.
    EXPECT_EQ(4680401, masterdata::defaultStart(Time::fromHMS(13, 0).value));
    EXPECT_EQ(4320401, masterdata::defaultStart(4320401));
    EXPECT_EQ(0, masterdata::defaultStart(0));
    EXPECT_EQ("01:30", masterdata::lengthText(540001));
}

TEST(ScanDayTest, TheDayMustEndAfterItBeginsWithAnInterval) {
    EXPECT_EQ("", masterdata::scanDayProblem(2880001, 6480001, 90001));
    EXPECT_NE("", masterdata::scanDayProblem(6480001, 2880001, 90001));
    EXPECT_NE("", masterdata::scanDayProblem(2880001, 2880001, 90001));
    EXPECT_NE("", masterdata::scanDayProblem(0, 6480001, 90001));
    EXPECT_NE("", masterdata::scanDayProblem(2880001, 6480001, 0));
}

}  // namespace

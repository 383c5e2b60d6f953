// The access and relation objects: priming and validation, saved buffers, change
// detection between stations, transactions, and the update and delete rules.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "store/view_manager.h"
#include "store_fixture.h"

namespace store::test {
namespace {

TEST_F(StoreTest, PrimingSetsTheInitialValuesOverACleanRecord) {
    openAll(a);
    db.SYP.NAME = "left over";
    db.SYP.HEIGHT = 99;
    a.fm(Tbl::SYSPREF).PRIMERECORD();
    EXPECT_TRUE(db.SYP.NAME.blank());
    EXPECT_EQ(0, db.SYP.HEIGHT);
    EXPECT_EQ("None", db.SYP.ALERT.str());
    EXPECT_EQ(1, db.SYP.CLIENTGENERAL);
    a.fm(Tbl::RESACT).PRIMERECORD();
    EXPECT_EQ(1, db.RAC.UNITS);
    // Keeping the buffer sets the initial values over what is there.
    db.RES.NAME = "Projector";
    db.RES.UNITS = 5;
    a.fm(Tbl::RESOURCE).PRIMERECORD(true);
    EXPECT_EQ("Projector", db.RES.NAME.str());
    EXPECT_EQ(1, db.RES.UNITS);
}

TEST_F(StoreTest, FieldChecksRefuseValuesOutsideTheirRange) {
    openAll(a);
    FileManager& syp = a.fm(Tbl::SYSPREF);
    syp.PRIMERECORD();
    for (int h : {5, 21}) {
        db.SYP.HEIGHT = BYTE(h);
        EXPECT_EQ(Level_Notify, syp.INSERT()) << h;
        EXPECT_EQ("The value of Height of TimeSlots in Scan must be between 6 and 20.",
                  user.lastText());
        EXPECT_EQ("Range Error", user.asked.back().caption);
    }
    db.SYP.HEIGHT = 20;
    db.SYP.ADVANCEDAYS = -1;
    EXPECT_EQ(Level_Notify, syp.VALIDATERECORD());
    EXPECT_EQ("The value of Max Days Booking in Advance must be higher than 0.", user.lastText());
    db.SYP.ADVANCEDAYS = 0;
    user.clearAsked();
    EXPECT_EQ(Level_Benign, syp.INSERT());
    db.SYP.HEIGHT = 6;
    EXPECT_EQ(Level_Benign, syp.UPDATE());
    EXPECT_TRUE(user.asked.empty());
    EXPECT_EQ(1, count(a, Tbl::SYSPREF));

    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "X";
    db.USE.ACCESSLEVEL = 4;
    EXPECT_EQ(Level_Notify, a.fm(Tbl::USERS).INSERT());
    EXPECT_EQ("The value of Users access rights must be between 0 and 3.", user.lastText());
    db.USE.ACCESSLEVEL = 3;
    EXPECT_EQ(Level_Benign, a.fm(Tbl::USERPREF).VALIDATEFIELD(USP::HEIGHT + 1));  // not checked
    EXPECT_EQ(0, count(a, Tbl::USERS));
}

TEST_F(StoreTest, SavedBuffersComeBackByTicket) {
    FileManager& cli = a.fm(Tbl::CLIENT);
    db.CLI.CLIENT = "First";
    const auto t1 = cli.SAVEBUFFER();
    db.CLI.CLIENT = "Second";
    const auto t2 = cli.SAVEBUFFER();
    EXPECT_TRUE(cli.EQUALBUFFER(t2));
    EXPECT_FALSE(cli.EQUALBUFFER(t1));
    db.CLI.CLIENT = "Third";
    cli.RESTOREBUFFER(t1);
    EXPECT_EQ("First", db.CLI.CLIENT.str());
    cli.RESTOREBUFFER(t2, false);  // dropped without restoring
    EXPECT_EQ("First", db.CLI.CLIENT.str());
    EXPECT_FALSE(cli.EQUALBUFFER(t2));
}

// --- two stations -------------------------------------------------------------------------

TEST_F(StoreTest, AChangeByAnotherStationIsDetectedNeverOverwritten) {
    openAll(a);
    addBooking(a, 5, "Staff meeting", "");
    Station b(dir.path);
    openAll(b);
    // Both stations read the booking.
    db.ACT.ACTNUMBER = 5;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).FETCH(ACT::ACTNUMBER_KEY));
    b.db->ACT.ACTNUMBER = 5;
    ASSERT_EQ(Level_Benign, b.fm(Tbl::ACTIVITY).FETCH(ACT::ACTNUMBER_KEY));
    // The first saves...
    db.ACT.NAME = "Staff meeting (moved)";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).UPDATE());
    // ...the second is refused and shown the first one's values.
    b.db->ACT.NAME = "Staff party";
    EXPECT_EQ(Level_Notify, b.fm(Tbl::ACTIVITY).UPDATE(true));
    EXPECT_EQ(
        "This record was changed by another station. Those changes will now be displayed. Use "
        "the Ditto Button or Ctrl+' to recall your changes.",
        user.lastText());
    EXPECT_EQ("Staff meeting (moved)", b.db->ACT.NAME.str());
    // Having seen them, the second station may save over them.
    b.db->ACT.NAME = "Staff party";
    EXPECT_EQ(Level_Benign, b.fm(Tbl::ACTIVITY).UPDATE());
    db.ACT.ACTNUMBER = 5;
    a.fm(Tbl::ACTIVITY).FETCH(ACT::ACTNUMBER_KEY);
    EXPECT_EQ("Staff party", db.ACT.NAME.str());

    // TRYUPDATE records the message without showing it.
    b.db->ACT.ACTNUMBER = 5;
    b.fm(Tbl::ACTIVITY).FETCH(ACT::ACTNUMBER_KEY);
    db.ACT.NAME = "Again";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).UPDATE());
    const std::size_t asked = user.asked.size();
    b.db->ACT.NAME = "Not this";
    EXPECT_EQ(Level_Notify, b.fm(Tbl::ACTIVITY).TRYUPDATE());
    EXPECT_EQ(6, b.fm(Tbl::ACTIVITY).lastError());
    EXPECT_EQ(asked, user.asked.size());
    // A record deleted by the other station cannot be changed either.
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).DELETERECORD());
    b.db->ACT.NAME = "Gone";
    EXPECT_EQ(Level_Notify, b.fm(Tbl::ACTIVITY).UPDATE());
    EXPECT_NE(std::string::npos, user.lastText().find("Record Not Available (33)"));
    EXPECT_EQ(0, count(a, Tbl::ACTIVITY));
}

TEST_F(StoreTest, AChangeByAnotherProcessIsDetected) {
    openAll(a);
    addClient(a, "Acme");
    db.CLI.CLIENT = "Acme";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));

    const pid_t pid = fork();
    ASSERT_NE(-1, pid);
    if (pid == 0) {
        // Another workstation: a process of its own with its own connection.
        ScriptedQuestions silent;
        Station other(dir.path);
        other.rm(Tbl::CLIENT).OPEN();
        other.db->CLI.CLIENT = "Acme";
        int ok = other.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY) == Level_Benign;
        other.db->CLI.PHONE = "555-0199";
        ok = ok && other.fm(Tbl::CLIENT).UPDATE() == Level_Benign;
        other.db.reset();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    db.CLI.PHONE = "555-0100";
    EXPECT_EQ(Level_Notify, a.fm(Tbl::CLIENT).UPDATE());
    EXPECT_EQ("This record was changed by another station.", user.lastText());
    EXPECT_EQ("555-0199", db.CLI.PHONE.str());
}

TEST_F(StoreTest, ATransactionThatCannotGetItsLocksChangesNothing) {
    openAll(a);
    addClient(a, "Acme");
    addBooking(a, 1, "Visit", "Acme");
    Station b(dir.path);
    openAll(b);
    b.db->CLI.CLIENT = "Acme";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));

    // The first station holds the files in a transaction of its own.
    ASSERT_EQ(0, db.engine().begin(2));
    b.db->CLI.CLIENT = "Acme Ltd";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Level_Notify, b.rm(Tbl::CLIENT).UPDATE());
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 1.5);
    EXPECT_LT(waited, 6.0);
    EXPECT_EQ(
        "Error: (Record Is Already Held (43)) attempting to frame the transaction on "
        "RESDATA\\!CLIENT.",
        user.lastText());
    ASSERT_EQ(0, db.engine().rollback());

    // Nothing changed; once the files are free the same change goes through.
    db.CLI.CLIENT = "Acme";
    EXPECT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    EXPECT_EQ(Level_Benign, b.rm(Tbl::CLIENT).UPDATE());
    db.ACT.ACTNUMBER = 1;
    a.fm(Tbl::ACTIVITY).FETCH(ACT::ACTNUMBER_KEY);
    EXPECT_EQ("Acme Ltd", db.ACT.CLIENT.str());
}

TEST_F(StoreTest, ARolledBackWriteCanBeMadeAgain) {
    openAll(a);
    addClient(a, "Acme");
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    ASSERT_EQ(0, db.engine().begin(2));
    db.CLI.PHONE = "1";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).UPDATE());
    ASSERT_EQ(0, db.engine().rollback());
    // The record is as it was read, so the same station may still write it.
    db.CLI.PHONE = "2";
    EXPECT_EQ(Level_Benign, a.fm(Tbl::CLIENT).UPDATE()) << user.lastText();
    EXPECT_EQ(TransactionActiveErr, (db.engine().begin(2), db.engine().begin(2)));
    db.engine().rollback();
}

// --- relations ----------------------------------------------------------------------------

TEST_F(StoreTest, ClientRenameAndDeleteCascadeIntoItsBookings) {
    openAll(a);
    addClient(a, "Acme");
    addClient(a, "Other");
    addBooking(a, 1, "Visit", "Acme");
    addBooking(a, 2, "Audit", "ACME");  // the client key ignores case
    addBooking(a, 3, "Cleaning", "");
    addBooking(a, 4, "Party", "Other");
    for (int n : {1, 2, 3}) addDate(a, n, 80000, 2880001, 3240001);
    addResAct(a, 1, "ROOM1");
    a.fm(Tbl::ACTNOTES).PRIMERECORD();
    db.ACN.ACTNUMBER = 1;
    db.ACN.NOTES = "Bring the keys";
    a.fm(Tbl::ACTNOTES).INSERT();
    a.fm(Tbl::REPACT).PRIMERECORD();
    db.REP.ACTNUMBER = 2;
    a.fm(Tbl::REPACT).INSERT();

    db.CLI.CLIENT = "Acme";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    a.rm(Tbl::CLIENT).SAVE();
    db.CLI.CLIENT = "Acme Holdings";
    ASSERT_EQ(Level_Benign, a.rm(Tbl::CLIENT).UPDATE()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"Acme Holdings", "Acme Holdings", "Other"}),
              walk(a, Tbl::ACTIVITY, ACT::CLIENT_KEY, [&] { return db.ACT.CLIENT.str(); }));

    // Deleting the client deletes its bookings (whatever the case of the name in them) with
    // their occurrences, notes and repeat rule; their resource links and the bookings
    // without a client stay.
    db.CLI.CLIENT = "Acme Holdings";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    user.answer(BUTTON_YES);
    ASSERT_EQ(Level_Benign, a.rm(Tbl::CLIENT).DELETE(true));
    EXPECT_EQ("Are you sure you want to delete the highlighted record?", user.asked.back().text);
    EXPECT_EQ((std::vector<std::string>{"Cleaning", "Party"}),
              walk(a, Tbl::ACTIVITY, ACT::NAME_KEY, [&] { return db.ACT.NAME.str(); }));
    EXPECT_EQ(1, count(a, Tbl::DATES));
    EXPECT_EQ(0, count(a, Tbl::ACTNOTES));
    EXPECT_EQ(0, count(a, Tbl::REPACT));
    EXPECT_EQ(1, count(a, Tbl::RESACT));
    EXPECT_EQ(1, count(a, Tbl::CLIENT));
}

TEST_F(StoreTest, DeclinedDeleteDeletesNothing) {
    openAll(a);
    addClient(a, "Acme");
    addBooking(a, 1, "Visit", "Acme");
    db.CLI.CLIENT = "Acme";
    a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY);
    user.answer(BUTTON_NO);
    EXPECT_EQ(Level_Cancel, a.rm(Tbl::CLIENT).DELETE(true));
    EXPECT_EQ(1, count(a, Tbl::CLIENT));
    EXPECT_EQ(1, count(a, Tbl::ACTIVITY));
}

TEST_F(StoreTest, ResourceRenameFollowsTheExactCode) {
    openAll(a);
    for (const char* code : {"proj", "PROJ"}) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
        addResAct(a, code[0] == 'p' ? 1 : 2, code);
        db.GRP.GROUP = "All resources";
        db.GRP.RESOURCES = code;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUPRES).INSERT());
        db.RUS.RESOURCE = code;
        db.RUS.USERNAME = code[0] == 'p' ? "ANNA" : "BEN";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
    }
    db.RES.RESOURCE = "proj";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
    db.RES.RESOURCE = "projector";
    ASSERT_EQ(Level_Benign, a.rm(Tbl::RESOURCE).UPDATE()) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"projector", "PROJ"}),
              walk(a, Tbl::RESACT, RAC::ACTRESOURCE_KEY, [&] { return db.RAC.RESOURCE.str(); }));
    EXPECT_EQ((std::vector<std::string>{"PROJ", "projector"}),
              walk(a, Tbl::GROUPRES, GRP::GROUP_KEY, [&] { return db.GRP.RESOURCES.str(); }));
    EXPECT_EQ((std::vector<std::string>{"projector", "PROJ"}),
              walk(a, Tbl::RESUSER, RUS::USERNAME_KEY, [&] { return db.RUS.RESOURCE.str(); }));

    // Deleting a resource removes its rights and memberships but keeps its bookings' links.
    db.RES.RESOURCE = "PROJ";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
    ASSERT_EQ(Level_Benign, a.rm(Tbl::RESOURCE).DELETE(false));
    EXPECT_EQ(1, count(a, Tbl::GROUPRES));
    EXPECT_EQ(1, count(a, Tbl::RESUSER));
    EXPECT_EQ(2, count(a, Tbl::RESACT));
}

class UserRenameTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = "ANNA";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
        db.USP.USERNAME = "ANNA";
        db.USP.HEIGHT = 10;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).INSERT());
        for (int minutes : {15, 30}) {
            db.DUR.USERNAME = "ANNA";
            db.DUR.DURATION = minutes * 6000 + 1;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
        }
        db.ROU.USERNAME = "ANNA";
        db.ROU.NAME = "Lunch";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::ROUTINEA).INSERT());
        db.UGU.GROUP = "Office";
        db.UGU.USERNAME = "ANNA";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USGRPUS).INSERT());
        db.RUS.RESOURCE = "ROOM1";
        db.RUS.USERNAME = "ANNA";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
        db.USE.USERNAME = "ANNA";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    }
    /// The owner names found in every table that follows a user, as a fresh station sees them.
    std::string owners() {
        Station s(dir.path);
        openAll(s);
        std::string out;
        auto add = [&](Tbl t, int key, auto get) {
            for (const std::string& v : walk(s, t, key, get)) out += v + " ";
        };
        add(Tbl::USERS, USE::USERNAME_KEY, [&] { return s.db->USE.USERNAME.str(); });
        add(Tbl::USERPREF, USP::USERNAME_KEY, [&] { return s.db->USP.USERNAME.str(); });
        add(Tbl::DURLIST, DUR::USERNAME_KEY, [&] { return s.db->DUR.USERNAME.str(); });
        add(Tbl::ROUTINEA, ROU::USERNAME_KEY, [&] { return s.db->ROU.USERNAME.str(); });
        add(Tbl::USGRPUS, UGU::USERNAME_KEY, [&] { return s.db->UGU.USERNAME.str(); });
        add(Tbl::RESUSER, RUS::USERNAME_KEY, [&] { return s.db->RUS.USERNAME.str(); });
        return out;
    }
};

TEST_F(UserRenameTest, RenamingAUserChangesBothFilesTogether) {
    db.USE.USERNAME = "ANNETTE";
    ASSERT_EQ(Level_Benign, a.rm(Tbl::USERS).UPDATE()) << user.lastText();
    EXPECT_EQ("ANNETTE ANNETTE ANNETTE ANNETTE ANNETTE ANNETTE ANNETTE ", owners());
}

TEST_F(UserRenameTest, AFailedCascadeLeavesBothFilesAsTheyWere) {
    // Another right under the new name makes the cascade into RESUSER fail half-way.
    db.RUS.RESOURCE = "ROOM1";
    db.RUS.USERNAME = "ANNETTE";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
    db.USE.USERNAME = "ANNETTE";
    EXPECT_EQ(Level_User, a.rm(Tbl::USERS).UPDATE());
    EXPECT_NE(std::string::npos, user.lastText().find("Creates Duplicate Key (40)"));
    EXPECT_NE(std::string::npos, user.lastText().find("RESDATA\\!RESUSER"));
    EXPECT_EQ("ANNA ANNA ANNA ANNA ANNA ANNA ANNA ANNETTE ", owners());
}

TEST_F(UserRenameTest, DeletingAUserRemovesEverythingThatFollowsIt) {
    ASSERT_EQ(Level_Benign, a.rm(Tbl::USERS).DELETE(false));
    EXPECT_EQ("", owners());
}

TEST_F(StoreTest, AFailedDeleteKeepsTheGroupAndAsksToTryAgain) {
    openAll(a);
    db.GRO.GROUP = "Vans";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).INSERT());
    for (const char* r : {"VAN1", "VAN2", "VAN3"}) {
        db.GRP.GROUP = "Vans";
        db.GRP.RESOURCES = r;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUPRES).INSERT());
    }
    db.GRO.GROUP = "Vans";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY));

    // Another station holds the files for longer than the delete waits: every try fails.
    Station b(dir.path);
    openAll(b);
    b.fm(Tbl::SPECIAL).USEFILE();
    ASSERT_EQ(0, b.db->engine().begin(2));
    EXPECT_EQ(Level_Notify, a.rm(Tbl::GROUP).DELETE(false));
    EXPECT_NE(std::string::npos, user.lastText().find("attempting to frame the transaction"));
    b.db->engine().rollback();

    // A member that another station changed in the meantime makes the delete fail
    // inside the transaction: everything is rolled back and the user asked again.
    Station c(dir.path);
    openAll(c);
    ScriptedQuestions& q = user;
    q.answer(BUTTON_OK);  // the message that the delete failed
    q.answer(BUTTON_NO);  // try again?
    // Make the group's own delete fail: the other station changed the group record.
    c.db->GRO.GROUP = "Vans";
    c.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY);
    ASSERT_EQ(Level_Benign, c.fm(Tbl::GROUP).UPDATE());
    EXPECT_EQ(Level_Notify, a.rm(Tbl::GROUP).DELETE(false));
    ASSERT_GE(q.asked.size(), 2u);
    EXPECT_NE(std::string::npos,
              q.asked[q.asked.size() - 2].text.find("Record Changed By Another Station (89)"));
    EXPECT_EQ(
        "An error was experienced deleting this record. Do you want to try to delete it "
        "again?",
        q.lastText());
    EXPECT_EQ(1, count(a, Tbl::GROUP));
    EXPECT_EQ(3, count(a, Tbl::GROUPRES));

    // Read again and tried again, it goes, members and all.
    a.fm(Tbl::GROUP).FETCH(GRO::GROUP_KEY);
    EXPECT_EQ(Level_Benign, a.rm(Tbl::GROUP).DELETE(false));
    EXPECT_EQ(0, count(a, Tbl::GROUP));
    EXPECT_EQ(0, count(a, Tbl::GROUPRES));
}

// --- views -------------------------------------------------------------------------------

TEST_F(StoreTest, ViewsKeepToTheirRangeAndFilterAndLookUpParents) {
    openAll(a);
    addBooking(a, 1, "Visit", "");
    addBooking(a, 2, "Audit", "");
    for (int d = 80000; d < 80010; ++d) {
        addDate(a, 1, d, 2880001, 3240001);
        addDate(a, 2, d, 3240001, 3600001);
    }
    ViewManager view(a.rm(Tbl::DATES));
    view.ADDSORTORDER(DAT::ACTDATES_KEY);
    view.ADDRANGE(DAT::ACTNUMBER);
    view.ADDRANGE(DAT::DATE, 80002LL, 80005LL);
    view.ADDSORTORDER(DAT::DATETIME_KEY);
    view.SETFILTER([&] { return db.DAT.DATE % 7 != 0; });  // no Sundays
    view.ADDLOOKUP(a.fm(Tbl::ACTIVITY), ACT::ACTNUMBER_KEY, {DAT::ACTNUMBER});
    ASSERT_EQ(Level_Benign, view.OPEN());

    db.DAT.ACTNUMBER = 2;
    view.SETSORT(1);
    ASSERT_EQ(Level_Benign, view.RESET());
    std::string seen;
    while (view.NEXT() == Level_Benign)
        seen += std::to_string(db.DAT.DATE) + ":" + db.ACT.NAME.str() + " ";
    EXPECT_EQ("80002:Audit 80003:Audit 80004:Audit 80005:Audit ", seen);
    // Backwards from the top of the range.
    ASSERT_EQ(Level_Benign, view.RESET());
    seen.clear();
    while (view.PREVIOUS() == Level_Benign) seen += std::to_string(db.DAT.DATE) + " ";
    EXPECT_EQ("80005 80004 80003 80002 ", seen);

    view.SETSORT(2);
    ASSERT_EQ(Level_Benign, view.RESET());
    int n = 0;
    while (view.NEXT() == Level_Benign) {
        EXPECT_NE(0, db.DAT.DATE % 7);
        ++n;
    }
    const int sundays = 80000 % 7 == 0 || (80009 / 7 * 7 >= 80000) ? 1 : 0;
    EXPECT_EQ(2 * (10 - sundays), n);
    view.CLOSE();
}

}  // namespace
}  // namespace store::test

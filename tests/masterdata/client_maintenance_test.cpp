// Clients: a renamed client's bookings follow the new name, and a deleted client takes
// its bookings with it, resource rows included, all or nothing.
#include <gtest/gtest.h>

#include "../store/store_fixture.h"
#include "masterdata/client_maintenance.h"
#include "store/record_image.h"

namespace {

using namespace store;

class ClientMaintenanceTest : public store::test::StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        addClient(a, "Acme");
        addClient(a, "Zeta Trust");
        addBooking(a, 1, "Board meeting", "Acme");
        addBooking(a, 2, "Training", "Acme");
        addBooking(a, 3, "Audit", "Zeta Trust");
        for (int n : {1, 2, 3}) addDate(a, n, 80000 + n, 2880001, 3240001);
        addResAct(a, 1, "ROOM1");
        addResAct(a, 1, "PROJECTOR");
        addResAct(a, 2, "ROOM1");
        addResAct(a, 3, "ROOM2");
    }
    void fetchClient(const char* name) {
        db.CLI.CLIENT = name;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    }
    std::vector<std::string> resourceRows() {
        return walk(a, Tbl::RESACT, RAC::ACTIVITY_KEY,
                    [&] { return std::to_string(db.RAC.ACTNUMBER) + " " + db.RAC.RESOURCE.str(); });
    }
    std::vector<std::string> bookingClients() {
        return walk(a, Tbl::ACTIVITY, ACT::ACTNUMBER_KEY,
                    [&] { return std::to_string(db.ACT.ACTNUMBER) + " " + db.ACT.CLIENT.str(); });
    }
};

TEST_F(ClientMaintenanceTest, AClientIsOnFileByItsNameInAnyLetterCase) {
    EXPECT_TRUE(masterdata::readClient(db, "zeta trust"));
    // The record read stands in the buffer, with the name as stored.
    EXPECT_EQ("Zeta Trust", db.CLI.CLIENT.str());
    EXPECT_FALSE(masterdata::readClient(db, "Nobody Inc"));
    EXPECT_EQ("Nobody Inc", db.CLI.CLIENT.str());
    // A blank name never finds a client, even beside clients on file.
    EXPECT_FALSE(masterdata::readClient(db, ""));
    EXPECT_TRUE(db.CLI.CLIENT.blank());
}

TEST_F(ClientMaintenanceTest, ARenamedClientsBookingsCarryTheNewName) {
    fetchClient("Acme");
    a.rm(Tbl::CLIENT).SAVE();
    db.CLI.CLIENT = "Acme Holdings";
    ASSERT_EQ(Level_Benign, a.rm(Tbl::CLIENT).UPDATE(true)) << user.lastText();
    EXPECT_EQ((std::vector<std::string>{"1 Acme Holdings", "2 Acme Holdings", "3 Zeta Trust"}),
              bookingClients());
}

TEST_F(ClientMaintenanceTest, DeletingAClientDeletesItsBookingsAndTheirResourceRows) {
    fetchClient("acme");  // names are one client whatever their letter case
    user.answer(BUTTON_YES);
    user.answer(BUTTON_YES);
    ASSERT_EQ(Level_Benign, masterdata::deleteClient(db)) << user.lastText();
    ASSERT_EQ(2u, user.asked.size());
    EXPECT_EQ(
        "This client has 2 bookings. They will be deleted with the client, with their "
        "dates, notes and resources. Delete them all?",
        user.asked[1].text);
    EXPECT_EQ(1, count(a, Tbl::CLIENT));
    EXPECT_EQ(std::vector<std::string>{"3 Zeta Trust"}, bookingClients());
    EXPECT_EQ(1, count(a, Tbl::DATES));
    EXPECT_EQ(std::vector<std::string>{"3 ROOM2"}, resourceRows());
    // The resource's own view of its bookings has no row left of the deleted ones.
    EXPECT_EQ(std::vector<std::string>{"3 ROOM2"}, walk(a, Tbl::RESACT, RAC::RESOURCE_KEY, [&] {
                  return std::to_string(db.RAC.ACTNUMBER) + " " + db.RAC.RESOURCE.str();
              }));
}

TEST_F(ClientMaintenanceTest, ADeclinedOrFailedDeleteLeavesEverything) {
    fetchClient("Acme");
    user.answer(BUTTON_NO);
    EXPECT_EQ(Level_Cancel, masterdata::deleteClient(db));
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    EXPECT_EQ(4u, resourceRows().size());
    // Told that the bookings would go too, the user may still keep everything.
    user.answer(BUTTON_YES);
    user.answer(BUTTON_NO);
    EXPECT_EQ(Level_Cancel, masterdata::deleteClient(db));
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    EXPECT_EQ(3u, bookingClients().size());

    // Another station holds the files in a transaction of its own: nothing is deleted,
    // the user is told, and may stop trying.
    store::test::Station b{dir.path};
    openAll(b);
    ASSERT_EQ(0, b.db->engine().begin(1));
    fetchClient("Acme");
    user.clearAsked();
    user.answer(BUTTON_NO);  // do not try again
    EXPECT_EQ(Level_Notify, masterdata::deleteClient(db, false));
    ASSERT_EQ(0, b.db->engine().rollback());
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    EXPECT_EQ(3u, bookingClients().size());
    EXPECT_EQ(4u, resourceRows().size());
    EXPECT_FALSE(user.asked.empty());
    EXPECT_TRUE(a.exits.empty());
    EXPECT_EQ("Acme", db.CLI.CLIENT.str()) << "the client stays in the buffer to try again";
}

TEST_F(ClientMaintenanceTest, AClientWithoutBookingsIsDeletedAfterOneQuestion) {
    addClient(a, "Quiet Ltd");
    fetchClient("Quiet Ltd");
    user.answer(BUTTON_YES);
    ASSERT_EQ(Level_Benign, masterdata::deleteClient(db));
    EXPECT_EQ(1u, user.asked.size());
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    EXPECT_EQ(3u, bookingClients().size());
}

TEST_F(ClientMaintenanceTest, SettingsComeFromTheSystemPreferencesWithoutDisturbingTheirBuffer) {
    a.fm(Tbl::SYSPREF).PRIMERECORD();
    db.SYP.HEIGHT = 10;
    db.SYP.CLIENTGENERAL = 1;
    db.SYP.LABELS3_1 = "Patron";
    db.SYP.LABELS3_2 = "Patrons";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT()) << user.lastText();
    db.SYP.CLIENTGENERAL = 0;
    db.SYP.LABELS3_1 = "typed but not saved";
    const masterdata::SystemWords s = masterdata::readSystemWords(db);
    EXPECT_TRUE(s.clientGeneral);
    EXPECT_EQ("Patron", s.client);
    EXPECT_EQ("Patrons", s.clients);
    EXPECT_EQ("typed but not saved", db.SYP.LABELS3_1.str());
}

}  // namespace

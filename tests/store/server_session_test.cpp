// A station whose server session is lost (the server restarted, the network dropped) goes on
// in a new one where nothing was under way, and never half-finishes a transaction.
#include "store_fixture.h"

namespace store::test {
namespace {

class ServerSessionTest : public AnyStoreTest {
  protected:
    /// Ends every session of the program's stations on the test's database, as a server
    /// restart does.
    void dropSessions() {
        ASSERT_EQ("", server.exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                  "WHERE datname = current_database() AND "
                                  "application_name = 'tembrixm'"));
    }
    void addClients(int n) {
        Engine& e = db.engine();
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
        ASSERT_EQ(0, e.begin(2)) << e.status().message();
        for (int i = 0; i < n; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "CLIENT%04d", i);
            addClient(a, name);
        }
        ASSERT_EQ(0, e.commit());
    }
};

TEST_P(ServerSessionTest, AKeyWalkGoesOnWhereItWasInANewSession) {
    openAll(a);
    addClients(400);
    FileManager& fm = a.fm(Tbl::CLIENT);
    ASSERT_EQ(Level_Benign, fm.SET(CLI::CLIENT_KEY));
    std::vector<std::string> seen;
    for (int i = 0; i < 150 && fm.NEXT() == Level_Benign; ++i) seen.push_back(db.CLI.CLIENT.str());
    dropSessions();
    while (fm.NEXT() == Level_Benign) seen.push_back(db.CLI.CLIENT.str());
    EXPECT_TRUE(user.asked.empty()) << user.lastText();
    ASSERT_EQ(400u, seen.size());
    for (int i = 0; i < 400; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "CLIENT%04d", i);
        EXPECT_EQ(name, seen[std::size_t(i)]);
    }

    // A fetch and a write in the new session, each after a session lost in between.
    dropSessions();
    db.CLI.CLIENT = "CLIENT0123";
    EXPECT_EQ(Level_Benign, fm.FETCH(CLI::CLIENT_KEY)) << user.lastText();
    dropSessions();
    addClient(a, "AFTER THE RESTART");
    EXPECT_EQ(401, count(a, Tbl::CLIENT));
}

TEST_P(ServerSessionTest, ATransactionCutOffLeavesNothingOfItAndTheNextOneWorks) {
    openAll(a);
    addClients(3);
    Engine& e = db.engine();
    ASSERT_EQ(0, e.begin(2));
    addClient(a, "HALF");
    dropSessions();
    a.fm(Tbl::CLIENT).PRIMERECORD();
    db.CLI.CLIENT = "DONE";
    // The rest of the transaction fails, and is never carried on in another session.
    EXPECT_NE(0, e.add(db.table(Tbl::CLIENT)));
    EXPECT_NE(0, e.commit());
    e.rollback();
    EXPECT_FALSE(e.inTransaction());
    EXPECT_EQ(3, count(a, Tbl::CLIENT)) << db.engine().status().message();

    // The next transaction runs in a new session.
    ASSERT_EQ(0, e.begin(2));
    addClient(a, "AGAIN");
    ASSERT_EQ(0, e.commit());
    EXPECT_EQ(4, count(a, Tbl::CLIENT));
}

INSTANTIATE_TEST_SUITE_P(Stores, ServerSessionTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

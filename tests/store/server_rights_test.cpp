// Who may read a server store: the users (and their passwords) are the program's role's
// alone; another role of the same server reads nothing of the store.
#include "store/sealed_text.h"
#include "store_fixture.h"

namespace store::test {
namespace {

class ServerRightsTest : public AnyStoreTest {
  protected:
    /// A user with a password, added by the first station.
    void addMarta() {
        openAll(a);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).USEFILE());
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = "MARTA";
        db.USE.PASSWORD = "tulip77";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
};

TEST_P(ServerRightsTest, AnotherRoleOfTheServerCannotReadTheUsers) {
    addMarta();
    if (HasFatalFailure()) return;
    ASSERT_EQ("", server.exec("DO $$ BEGIN CREATE ROLE tembrix_other LOGIN; "
                              "EXCEPTION WHEN duplicate_object THEN NULL; END $$"));
    // The same database as another role.
    EXPECT_NE(std::string::npos,
              server.exec("SET ROLE tembrix_other; SELECT * FROM users.\"USERS\"")
                  .find("permission denied for schema users"));
    EXPECT_NE(std::string::npos,
              server.exec("SET ROLE tembrix_other; SELECT * FROM main.\"CLIENT\"")
                  .find("permission denied for schema main"));
    // The program's own role reads them.
    EXPECT_EQ("", server.exec("SELECT * FROM users.\"USERS\""));
}

TEST_P(ServerRightsTest, ADatabaseThatChecksItsTextsIsRefusedBeforeAnythingIsWritten) {
    // Records keep texts byte for byte and may cut one inside a character: a database that
    // checks its encoding would refuse such a save later, in the middle of someone's work.
    const std::string other = "tembrix_utf8_" + std::to_string(::getpid());
    ASSERT_EQ("", server.exec("CREATE DATABASE " + other +
                              " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'"));
    TempDir folder;
    {
        std::ofstream(folder.file(kServerFileName))
            << std::getenv("TEMBRIX_TEST_SERVER") << " dbname=" << other << "\n";
        Engine e(folder.path.string());
        Table t(tableDecl(Tbl::CLIENT));
        EXPECT_EQ(FileSystemErr, e.create(t));
        EXPECT_EQ(
            "The database holds its texts as UTF8; a store needs one made with ENCODING "
            "'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C'",
            e.status().fileText);
    }
    EXPECT_EQ("", server.exec("DROP DATABASE " + other + " WITH (FORCE)"));
}

TEST_P(ServerRightsTest, PasswordsAreKeptSealedAndOnlyTheProgramOpensThem) {
    addMarta();
    if (HasFatalFailure()) return;

    // What the server holds (and would send to anybody who reads it) is not the password.
    const std::string query =
        "SELECT \"PASSWORD\" FROM users.\"USERS\" WHERE \"USERNAME\" = 'MARTA'";
    const std::string stored = server.value(query);
    EXPECT_EQ(0u, stored.find("$tbx1$")) << stored;
    EXPECT_EQ(std::string::npos, stored.find("tulip77"));

    // A second station reads it back as typed, and changes it sealed anew.
    Station b(dir.path);
    openAll(b);
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).USEFILE()) << user.lastText();
    b.db->USE.USERNAME = "MARTA";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY)) << user.lastText();
    EXPECT_EQ("tulip77", b.db->USE.PASSWORD.str());
    b.db->USE.PASSWORD = "rose88";
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).UPDATE());
    EXPECT_NE(stored, server.value(query));
    db.USE.USERNAME = "MARTA";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ("rose88", db.USE.PASSWORD.str());

    // A sealed value changed by hand opens to nothing a user could type.
    std::string spoilt = server.value(query);
    spoilt[10] = spoilt[10] == 'A' ? 'B' : 'A';
    ASSERT_EQ("", server.exec("UPDATE users.\"USERS\" SET \"PASSWORD\" = '" + spoilt +
                              "' WHERE \"USERNAME\" = 'MARTA'"));
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ(std::string(kUnopenedSeal), db.USE.PASSWORD.str());
}

INSTANTIATE_TEST_SUITE_P(Stores, ServerRightsTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

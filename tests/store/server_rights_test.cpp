// Who may read a server store: the users (and their passwords) are the program's role's
// alone; another role of the same server reads nothing of the store.
#include "store_fixture.h"

namespace store::test {
namespace {

class ServerRightsTest : public AnyStoreTest {};

TEST_P(ServerRightsTest, AnotherRoleOfTheServerCannotReadTheUsers) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).USEFILE());
    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "MARTA";
    db.USE.PASSWORD = "tulip77";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
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

INSTANTIATE_TEST_SUITE_P(Stores, ServerRightsTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

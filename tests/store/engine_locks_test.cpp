// Which store files a transaction holds, and the super-journals that commits over both files
// leave behind when a station dies in one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "store_fixture.h"

namespace store::test {
namespace {

class LocksTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        addClient(a, "Acme");
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = "ANNA";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
    /// Another station's write straight through its engine, waiting at most a second.
    static int addElsewhere(Station& s, Tbl t, const char* name) {
        Store& other = *s.db;
        if (s.fm(t).USEFILE() != Level_Benign) return -1;
        other.engine().setLockWait(1);
        other.table(t).clearBuffer();
        if (t == Tbl::USERS)
            other.USE.USERNAME = name;
        else
            other.CLI.CLIENT = name;
        return other.engine().add(other.table(t));
    }
    std::vector<std::string> users(Station& s) {
        return walk(s, Tbl::USERS, USE::USERNAME_KEY, [&] { return s.db->USE.USERNAME.str(); });
    }
    std::vector<std::string> clients(Station& s) {
        return walk(s, Tbl::CLIENT, CLI::CLIENT_KEY, [&] { return s.db->CLI.CLIENT.str(); });
    }
};

TEST_P(LocksTest, ATransactionOfDataLeavesTheUsersFileFree) {
    Station b(dir.path);
    openAll(b);
    Engine& e = db.engine();
    ASSERT_EQ(0, e.begin(2));
    db.CLI.CLIENT = "Acme";
    ASSERT_EQ(0, e.get(db.table(Tbl::CLIENT), CLI::CLIENT_KEY));
    db.CLI.PHONE = "555";
    ASSERT_EQ(0, e.put(db.table(Tbl::CLIENT)));
    // Another station's user is saved meanwhile; its data waits for the transaction.
    EXPECT_EQ(0, addElsewhere(b, Tbl::USERS, "BERT"));
    EXPECT_EQ(RecordHeldErr, addElsewhere(b, Tbl::CLIENT, "Bravo"));
    ASSERT_EQ(0, e.commit());
    EXPECT_EQ((std::vector<std::string>{"ANNA", "BERT"}), users(b));
}

TEST_P(LocksTest, ATransactionThatWritesBothFilesCommitsBothOrNeither) {
    Station b(dir.path);
    openAll(b);
    Engine& e = db.engine();
    // Asked for at the start, the users file is held from the start.
    ASSERT_EQ(0, e.begin(2, true));
    EXPECT_EQ(RecordHeldErr, addElsewhere(b, Tbl::USERS, "BERT"));
    db.table(Tbl::USERS).clearBuffer();
    db.USE.USERNAME = "CARL";
    ASSERT_EQ(0, e.add(db.table(Tbl::USERS)));
    db.table(Tbl::CLIENT).clearBuffer();
    db.CLI.CLIENT = "Carl's";
    ASSERT_EQ(0, e.add(db.table(Tbl::CLIENT)));
    ASSERT_EQ(0, e.rollback());
    EXPECT_EQ((std::vector<std::string>{"ANNA"}), users(b));
    EXPECT_EQ((std::vector<std::string>{"Acme"}), clients(b));

    // Not asked for, it is taken at the first write there, and both files still commit.
    ASSERT_EQ(0, e.begin(2));
    db.table(Tbl::CLIENT).clearBuffer();
    db.CLI.CLIENT = "Dora's";
    ASSERT_EQ(0, e.add(db.table(Tbl::CLIENT)));
    db.table(Tbl::USERS).clearBuffer();
    db.USE.USERNAME = "DORA";
    ASSERT_EQ(0, e.add(db.table(Tbl::USERS)));
    EXPECT_EQ(RecordHeldErr, addElsewhere(b, Tbl::USERS, "BERT"));
    ASSERT_EQ(0, e.commit());
    EXPECT_EQ((std::vector<std::string>{"ANNA", "DORA"}), users(b));
    EXPECT_EQ((std::vector<std::string>{"Acme", "Dora's"}), clients(b));
}

// Super-journals are the folder's files' own.
using LocksOnFilesTest = LocksTest;

TEST_P(LocksOnFilesTest, StaleSuperJournalsGoAtOpenButNeverWhileTheFilesAreHeld) {
    namespace fs = std::filesystem;
    const std::string stale = dir.file("RESDATA.TPS-mj1A2B3C94F");
    const std::string notOurs = dir.file("RESDATA.TPS-mjournal");
    std::ofstream(stale) << dir.file("RESDATA.TPS-journal") << '\0';
    std::ofstream(notOurs) << "kept";
    // While another station holds the files, the super-journal may be its commit's.
    ASSERT_EQ(0, db.engine().begin(2, true));
    {
        Station b(dir.path);
        openAll(b);
    }
    EXPECT_TRUE(fs::exists(stale));
    ASSERT_EQ(0, db.engine().rollback());
    // Once the files are free, the next station to open them removes it; nothing else.
    {
        Station c(dir.path);
        openAll(c);
        EXPECT_EQ((std::vector<std::string>{"ANNA"}), users(c));
    }
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(notOurs));
}

TEMBRIX_ON_BOTH_STORES(LocksTest);
INSTANTIATE_TEST_SUITE_P(Stores, LocksOnFilesTest, ::testing::Values(StoreKind::Files),
                         storeKindName);

}  // namespace
}  // namespace store::test

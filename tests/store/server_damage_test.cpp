// A server store changed by hand, as the folder's files are in damaged_store_test.cpp:
// columns that are not the declared ones and values that do not fit their fields are
// refused, never read as something else; texts stored with trailing blanks do not trap a
// walk.
#include <chrono>

#include "store_fixture.h"

namespace store::test {
namespace {

class ServerDamageTest : public AnyStoreTest {
  protected:
    void rawSql(const std::string& sql) { ASSERT_EQ("", server.exec(sql)); }
    std::string openResult(Tbl t) {
        Engine engine(dir.path.string());
        Table table(tableDecl(t));
        const int rc = engine.open(table, false);
        return std::to_string(rc) + " " + engine.status().detail;
    }
    /// Walks a key from the start, at most `cap` records: what was read and what ended it.
    std::vector<std::string> walkUpTo(FileManager& fm, int key, int cap,
                                      const std::function<std::string()>& get, Level& end) {
        std::vector<std::string> read;
        EXPECT_EQ(Level_Benign, fm.SET(key));
        while (int(read.size()) < cap && (end = fm.NEXT()) == Level_Benign) read.push_back(get());
        return read;
    }
};

TEST_P(ServerDamageTest, ATableWhoseColumnsAreNotItsDeclarationDoesNotOpen) {
    openAll(a);
    for (Tbl t : {Tbl::USERS, Tbl::SYSPREF, Tbl::ACTIVITY, Tbl::CLIENT})
        ASSERT_EQ(Level_Benign, a.fm(t).USEFILE());
    a.db.reset();
    rawSql(
        "ALTER TABLE users.\"USERS\" RENAME COLUMN \"PASSWORD\" TO \"PASSWORX\";"
        "ALTER TABLE main.\"SYSPREF\" RENAME COLUMN \"LABELS1_2\" TO \"LABELS12\";"
        "ALTER TABLE main.\"CLIENT\" ALTER COLUMN \"DATECHANGED\" TYPE text");
    EXPECT_EQ("47 column PASSWORD is missing", openResult(Tbl::USERS));
    EXPECT_EQ("47 column LABELS1_2 is missing", openResult(Tbl::SYSPREF));
    EXPECT_EQ("47 column DATECHANGED is of type TEXT instead of INTEGER", openResult(Tbl::CLIENT));
    EXPECT_EQ("0 ", openResult(Tbl::ACTIVITY));
    // Nor are keys rebuilt over such a table.
    Engine engine(dir.path.string());
    Table t(tableDecl(Tbl::SYSPREF));
    EXPECT_EQ(InvalidRecordDeclarationErr, engine.buildKeys(t));
    EXPECT_EQ("column LABELS1_2 is missing", engine.status().detail);
}

TEST_P(ServerDamageTest, ValuesThatDoNotFitTheirFieldsAreReportedNeverCut) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SPECIAL).USEFILE());
    a.db.reset();
    // Two good periods, then 2,000 whose start is far beyond any LONG.
    rawSql(
        "INSERT INTO main.\"SPECIAL\" (\"STARTDATE\", \"ENDDATE\", \"DESCRIPTION\") VALUES "
        "(80001, 80002, 'A'), (80003, 80004, 'B');"
        "INSERT INTO main.\"SPECIAL\" (\"STARTDATE\", \"ENDDATE\", \"DESCRIPTION\") "
        "SELECT 5000000000, 80005, 'Far' FROM generate_series(1, 2000)");
    Station s(dir.path);
    s.rm(Tbl::SPECIAL).OPEN();
    Level end = Level_Benign;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ((std::vector<std::string>{"A", "B"}),
              walkUpTo(
                  s.fm(Tbl::SPECIAL), SPE::DATE_KEY, 5000,
                  [&] { return s.db->SPE.DESCRIPTION.str(); }, end));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              10.0);
    EXPECT_EQ(Level_Notify, end);
    EXPECT_EQ(
        "Error: (Damaged data: SPE:STARTDATE holds 5000000000, which does not fit the field (11)) "
        "attempting to access a record from the RESDATA\\!SPECIAL file.  Returning to previous "
        "window.",
        user.lastText());
    // A fetch of one of them leaves the buffer as it was.
    Engine& e = s.db->engine();
    Table& t = s.db->table(Tbl::SPECIAL);
    s.db->SPE.DESCRIPTION = "kept";
    EXPECT_EQ(FileSystemErr, e.reget(t, RecordPosition{3, 1}));
    EXPECT_EQ("kept", s.db->SPE.DESCRIPTION.str());
    // A text longer than its field.
    rawSql(
        "UPDATE main.\"SPECIAL\" SET \"DESCRIPTION\" = 'A description of thirty chars' "
        "WHERE \"DESCRIPTION\" = 'B'");
    EXPECT_EQ(FileSystemErr, e.reget(t, RecordPosition{2, 1}));
    EXPECT_EQ(
        "Damaged data: SPE:DESCRIPTION holds a text of 29 characters, longer than its 20, "
        "which does not fit the field",
        e.status().fileText);
}

TEST_P(ServerDamageTest, AWalkGoesOnFromTheKeyAsStoredNotAsRead) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    a.db.reset();
    // Names stored with a trailing blank, as no station of ours writes them: a walk that went
    // on from the record image's "Meeting" would meet them again for ever.
    rawSql(
        "INSERT INTO main.\"ACTIVITY\" (\"ACTNUMBER\", \"NAME\") "
        "SELECT i, 'Meeting ' FROM generate_series(1, 2000) AS i;"
        "INSERT INTO main.\"ACTIVITY\" (\"ACTNUMBER\", \"NAME\") VALUES (3000, 'Meeting'), "
        "(3001, 'Zoo')");
    Station s(dir.path);
    s.rm(Tbl::ACTIVITY).OPEN();
    Level end = Level_Benign;
    const std::vector<std::string> read = walkUpTo(
        s.fm(Tbl::ACTIVITY), ACT::NAME_KEY, 5000,
        [&] { return std::to_string(s.db->ACT.ACTNUMBER); }, end);
    ASSERT_EQ(2002u, read.size());
    EXPECT_EQ("3000", read.front());
    EXPECT_EQ("3001", read.back());
    EXPECT_EQ(Level_Notify, end);
    s.fm(Tbl::ACTIVITY).SET(ACT::NAME_KEY);
    int back = 0;
    while (back < 5000 && s.fm(Tbl::ACTIVITY).PREVIOUS() == Level_Benign) ++back;
    EXPECT_EQ(2002, back);
}

// The folder's files have their own cases of these in damaged_store_test.cpp.
INSTANTIATE_TEST_SUITE_P(Stores, ServerDamageTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

// Store files damaged by hand or by accident: columns that are not the declared ones and
// values that do not fit their fields are refused, never read as something else, and the
// files are left as they were.
#include <sqlite3.h>

#include <chrono>

#include "store/record_image.h"
#include "store_fixture.h"

namespace store::test {
namespace {

class DamagedStoreTest : public StoreTest {
  protected:
    /// Runs SQL on a store file as a hand or another program would.
    void rawSql(const char* file, const std::string& sql, bool users = false) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(dir.file(file).c_str(), &raw));
        // The users file is encrypted under the built-in owner password.
        const std::string key = users ? "PRAGMA key = 'Vortam';" : "";
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(raw, (key + sql).c_str(), nullptr, nullptr, nullptr))
            << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }
    /// Changes a column's declaration in place (its name or type), keeping every row and
    /// index: the catalogue still names today's layout.
    void editColumn(const char* file, const char* table, const std::string& from,
                    const std::string& to, bool users = false) {
        rawSql(file,
               "PRAGMA writable_schema = 1; UPDATE sqlite_master SET sql = replace(sql, '" + from +
                   "', '" + to + "') WHERE type = 'table' AND name = '" + table +
                   "'; PRAGMA writable_schema = 0;",
               users);
    }
    /// Opens a table of the folder on an engine of its own: its result and what it said.
    std::string openResult(Tbl t) {
        Engine engine(dir.path.string());
        Table table(tableDecl(t));
        const int rc = engine.open(table, false);
        return std::to_string(rc) + " " + engine.status().detail;
    }
};

TEST_F(DamagedStoreTest, ATableWhoseColumnsAreNotItsDeclarationDoesNotOpen) {
    openAll(a);
    addClient(a, "Acme");
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).USEFILE());
    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "MARTA";
    db.USE.PASSWORD = "tulip77";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).USEFILE());
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    a.db.reset();

    // A renamed column is a missing one: SQLite would read the quoted name as its value.
    editColumn("USERS.TPS", "USERS", "\"PASSWORD\"", "\"PASSWORX\"", true);
    editColumn("RESDATA.TPS", "SYSPREF", "\"LABELS1_2\"", "\"LABELS12\"");
    // A number column that was made a text column by hand.
    editColumn("RESDATA.TPS", "CLIENT", "\"DATECHANGED\" INTEGER", "\"DATECHANGED\" TEXT");
    const std::size_t resdata = fileHash(dir.file("RESDATA.TPS"));
    const std::size_t users = fileHash(dir.file("USERS.TPS"));

    EXPECT_EQ("47 column PASSWORD is missing", openResult(Tbl::USERS));
    EXPECT_EQ("47 column LABELS1_2 is missing", openResult(Tbl::SYSPREF));
    EXPECT_EQ("47 column DATECHANGED is of type TEXT instead of INTEGER", openResult(Tbl::CLIENT));
    EXPECT_EQ("0 ", openResult(Tbl::ACTIVITY));

    // Through the access object the program ends with the layout error; no password is
    // ever compared with the text "PASSWORD".
    Station s(dir.path);
    s.rm(Tbl::USERS).OPEN();
    EXPECT_EQ(Level_Fatal, s.fm(Tbl::USERS).USEFILE());
    EXPECT_NE(std::string::npos, user.lastText().find("Invalid Record Declaration (47)"));
    EXPECT_EQ(std::vector<int>{3}, s.exits);
    s.db->USE.USERNAME = "MARTA";
    EXPECT_NE(0, s.db->engine().get(s.db->table(Tbl::USERS), USE::USERNAME_KEY));

    // Nor are keys rebuilt over such a table.
    Engine engine(dir.path.string());
    Table t(tableDecl(Tbl::SYSPREF));
    EXPECT_EQ(InvalidRecordDeclarationErr, engine.buildKeys(t));
    EXPECT_EQ("column LABELS1_2 is missing", engine.status().detail);
    EXPECT_EQ(resdata, fileHash(dir.file("RESDATA.TPS")));
    EXPECT_EQ(users, fileHash(dir.file("USERS.TPS")));
}

TEST_F(DamagedStoreTest, AStoreThatCannotBeWrittenIsToldOncePerFile) {
    openAll(a);
    for (Tbl t : {Tbl::CLIENT, Tbl::SPECIAL, Tbl::DATES, Tbl::USERS})
        ASSERT_EQ(Level_Benign, a.fm(t).USEFILE());
    a.db.reset();
    Station s(dir.path, EngineOptions{.readOnly = true});
    for (Tbl t : {Tbl::CLIENT, Tbl::SPECIAL, Tbl::DATES, Tbl::USERS}) {
        s.rm(t).OPEN();
        EXPECT_EQ(Level_Benign, s.fm(t).USEFILE());
        EXPECT_FALSE(s.fm(t).writeAccess());
    }
    EXPECT_EQ((std::vector<std::string>{
                  "Could not get write access to RESDATA\\!CLIENT so trying read-only.",
                  "Could not get write access to USERS\\!USERS so trying read-only."}),
              user.texts());
}

/// A walk that must end: at most `cap` records, and what stopped it.
struct Walk {
    std::vector<std::string> read;
    Level end = Level_Benign;
    double seconds = 0;
};
Walk walkUpTo(FileManager& fm, int key, int cap, const std::function<std::string()>& get) {
    Walk w;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Level_Benign, fm.SET(key));
    while (int(w.read.size()) < cap && (w.end = fm.NEXT()) == Level_Benign) w.read.push_back(get());
    w.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return w;
}

TEST_F(DamagedStoreTest, ValuesThatDoNotFitTheirFieldsAreReportedNeverCut) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SPECIAL).USEFILE());
    a.db.reset();
    // Two good periods, then 2,000 whose start is far beyond any LONG: cut to 32 bits each
    // would read as 705032704, and a walk that went on from that would start again.
    rawSql("RESDATA.TPS",
           "INSERT INTO SPECIAL (STARTDATE, ENDDATE, DESCRIPTION) VALUES (80001, 80002, 'A'), "
           "(80003, 80004, 'B');"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
           "INSERT INTO SPECIAL (STARTDATE, ENDDATE, DESCRIPTION) "
           "SELECT 5000000000, 80005, 'Far' FROM n;");
    const std::size_t before = fileHash(dir.file("RESDATA.TPS"));

    Station s(dir.path);
    s.rm(Tbl::SPECIAL).OPEN();
    auto description = [&] { return s.db->SPE.DESCRIPTION.str(); };
    Walk w = walkUpTo(s.fm(Tbl::SPECIAL), SPE::DATE_KEY, 5000, description);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), w.read);
    EXPECT_EQ(Level_Notify, w.end);
    EXPECT_LT(w.seconds, 10.0);
    EXPECT_EQ(
        "Error: (Damaged data: SPE:STARTDATE holds 5000000000, which does not fit the field (11)) "
        "attempting to access a record from the RESDATA\\!SPECIAL file.  Returning to previous "
        "window.",
        user.lastText());
    // Backwards the damaged records come first: nothing is read past them either.
    s.fm(Tbl::SPECIAL).SET(SPE::DATE_KEY);
    EXPECT_EQ(Level_Notify, s.fm(Tbl::SPECIAL).PREVIOUS());
    // A fetch of one of them leaves the buffer as it was.
    Engine& e = s.db->engine();
    Table& t = s.db->table(Tbl::SPECIAL);
    t.clearBuffer();
    s.db->SPE.DESCRIPTION = "kept";
    EXPECT_EQ(FileSystemErr, e.reget(t, RecordPosition{3, 1}));
    EXPECT_EQ("kept", s.db->SPE.DESCRIPTION.str());
    EXPECT_EQ(before, fileHash(dir.file("RESDATA.TPS")));

    // Text where a number belongs, and a text longer than its field.
    rawSql("RESDATA.TPS",
           "DELETE FROM SPECIAL WHERE STARTDATE > 80003;"
           "UPDATE SPECIAL SET ENDDATE = 'soon' WHERE DESCRIPTION = 'A';"
           "UPDATE SPECIAL SET DESCRIPTION = 'A description of thirty chars' WHERE "
           "DESCRIPTION = 'B';");
    EXPECT_EQ(FileSystemErr, e.reget(t, RecordPosition{1, 1}));
    EXPECT_EQ("Damaged data: SPE:ENDDATE holds the text 'soon', which does not fit the field",
              e.status().fileText);
    EXPECT_EQ(FileSystemErr, e.reget(t, RecordPosition{2, 1}));
    EXPECT_EQ(
        "Damaged data: SPE:DESCRIPTION holds a text of 29 characters, longer than its 20, "
        "which does not fit the field",
        e.status().fileText);
    const std::size_t edited = fileHash(dir.file("RESDATA.TPS"));
    w = walkUpTo(s.fm(Tbl::SPECIAL), SPE::DATE_KEY, 5000, description);
    EXPECT_TRUE(w.read.empty());
    EXPECT_EQ(Level_Notify, w.end);
    EXPECT_EQ(edited, fileHash(dir.file("RESDATA.TPS")));
}

TEST_F(DamagedStoreTest, AWalkGoesOnFromTheKeyAsStoredNotAsRead) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    a.db.reset();
    // Names stored with a trailing blank, as no station of ours writes them: the record
    // image drops the blank, and a walk that went on from the image's "Meeting" would meet
    // all 2,000 "Meeting " again, a page at a time, for ever.
    rawSql("RESDATA.TPS",
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
           "INSERT INTO ACTIVITY (ACTNUMBER, NAME) SELECT i, 'Meeting ' FROM n;"
           "INSERT INTO ACTIVITY (ACTNUMBER, NAME) VALUES (3000, 'Meeting'), (3001, 'Zoo');");
    const std::size_t before = fileHash(dir.file("RESDATA.TPS"));
    Station s(dir.path);
    s.rm(Tbl::ACTIVITY).OPEN();
    auto number = [&] { return std::to_string(s.db->ACT.ACTNUMBER); };
    const Walk w = walkUpTo(s.fm(Tbl::ACTIVITY), ACT::NAME_KEY, 5000, number);
    ASSERT_EQ(2002u, w.read.size());
    EXPECT_EQ("3000", w.read.front());
    EXPECT_EQ("3001", w.read.back());
    EXPECT_EQ(Level_Notify, w.end);
    EXPECT_TRUE(s.fm(Tbl::ACTIVITY).atEnd());
    EXPECT_LT(w.seconds, 10.0);
    // And back again from the end.
    s.fm(Tbl::ACTIVITY).SET(ACT::NAME_KEY);
    int back = 0;
    while (back < 5000 && s.fm(Tbl::ACTIVITY).PREVIOUS() == Level_Benign) ++back;
    EXPECT_EQ(2002, back);
    EXPECT_EQ(before, fileHash(dir.file("RESDATA.TPS")));
}

}  // namespace
}  // namespace store::test

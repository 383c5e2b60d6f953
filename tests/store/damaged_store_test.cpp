// Store files damaged by hand or by accident: columns that are not the declared ones and
// values that do not fit their fields are refused, never read as something else, and the
// files are left as they were.
#include <sqlite3.h>

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

}  // namespace
}  // namespace store::test

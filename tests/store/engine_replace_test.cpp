// What the engine offers for rewriting a table into another layout: memo fields of the
// earlier layouts, a table put in the place of another in one change, files connected
// ahead of a transaction, and the check that reads a file through.
#include <cstring>

#include "store/record_image.h"
#include "store_fixture.h"

namespace store::test {
namespace {

/// DATES as an earlier release kept it: no actual times, a date text and a memo.
TableDecl oldDates() {
    TableDecl d = tableDecl(Tbl::DATES);
    d.fields = {
        {"ACTNUMBER", FieldType::LONG, 4, 0},    {"DATE", FieldType::LONG, 4, 4},
        {"TIME", FieldType::LONG, 4, 8},         {"ENDTIME", FieldType::LONG, 4, 12},
        {"DATETEXT", FieldType::STRING, 11, 16}, {"NOTE", FieldType::MEMO, 300, 27},
    };
    d.recordSize = 327;
    d.keys = {{.name = "ACTNUMBER_KEY", .description = "x", .components = {{0}}}};
    return d;
}

TableDecl renamed(const TableDecl& d, const char* name) {
    TableDecl t = d;
    t.name = name;
    return t;
}

class ReplaceTest : public ::testing::Test {
  protected:
    TempDir dir;
    ScriptedQuestions user;
    TableDecl old = oldDates();
    TableDecl temp = renamed(tableDecl(Tbl::DATES), "CONV0001");
    const TableDecl& now = tableDecl(Tbl::DATES);

    /// Writes the old DATES table with n records.
    void writeOld(int n) {
        Engine e(dir.path.string());
        Table t(old);
        ASSERT_EQ(0, e.create(t));
        ASSERT_EQ(0, e.open(t));
        ASSERT_EQ(0, e.begin(2));
        for (int i = 1; i <= n; ++i) {
            t.clearBuffer();
            setNumber(old.fields[0], t.buffer(), i);
            setNumber(old.fields[1], t.buffer(), 80000 + i);
            setText(old.fields[4], t.buffer(), "1 Jan 2020");
            setText(old.fields[5], t.buffer(), std::string(290, 'n') + "\nend   ");
            ASSERT_EQ(0, e.add(t));
        }
        ASSERT_EQ(0, e.commit());
    }
    /// Fills CONV0001 with the old records in the current layout and puts it over DATES.
    int convert(Engine& e, bool keepTransaction = false) {
        Table src(old), dst(temp);
        EXPECT_EQ(0, e.open(src, false));
        EXPECT_EQ(0, e.begin(2));
        EXPECT_EQ(0, e.create(dst));
        EXPECT_EQ(0, e.open(dst));
        EXPECT_EQ(0, e.dropKeys(dst));
        e.set(src, -1);
        while (e.next(src) == 0) {
            dst.clearBuffer();
            for (int f : {0, 1, 2})
                setNumber(now.fields[f], dst.buffer(), getNumber(old.fields[f], src.buffer()));
            setNumber(now.field(DAT::ENDTIME), dst.buffer(),
                      getNumber(old.fields[3], src.buffer()));
            EXPECT_EQ(0, e.add(dst));
        }
        int rc = e.replaceTable(dst, now);
        if (!keepTransaction) e.commit();
        return rc;
    }
};

TEST_F(ReplaceTest, MemosKeepTheirTextAndTheirKindIsPartOfTheLayout) {
    writeOld(3);
    Engine e(dir.path.string());
    Table t(old);
    ASSERT_EQ(0, e.open(t));
    ASSERT_EQ(0, e.set(t, 0));
    ASSERT_EQ(0, e.next(t));
    EXPECT_EQ(std::string(290, 'n') + "\nend", getText(old.fields[5], t.buffer()));
    EXPECT_NE(std::string::npos, Engine::layoutSignature(old).find("NOTE MEMO(300)@27"));
    // The same field declared as a text of fixed width is another layout.
    TableDecl asString = old;
    asString.fields[5].type = FieldType::STRING;
    Table s(asString);
    EXPECT_EQ(InvalidRecordDeclarationErr, e.open(s));
    // A memo is text: blank when cleared, copied into a text field cut to its width.
    t.clearBuffer();
    EXPECT_TRUE(fieldEmpty(old.fields[5], t.buffer()));
    setText(old.fields[5], t.buffer(), "a short note");
    std::vector<std::byte> rec(40);
    FieldDecl narrow{"N", FieldType::STRING, 7, 0};
    copyField(old.fields[5], t.buffer(), narrow, rec.data());
    EXPECT_EQ("a short", getText(narrow, rec.data()));
}

TEST_F(ReplaceTest, TheNewTableTakesTheOldOnesPlaceWithItsKeysAndLayout) {
    writeOld(5);
    {
        Engine e(dir.path.string());
        ASSERT_EQ(0, convert(e));
    }
    Engine e(dir.path.string());
    Table dates(now), gone(temp), before(old);
    ASSERT_EQ(0, e.open(dates));
    EXPECT_EQ(5, e.records(dates));
    EXPECT_EQ(InvalidRecordDeclarationErr, e.open(before));
    EXPECT_EQ(FileNotFoundErr, e.open(gone));
    // The keys are there under the table's own name, and a fetch uses them.
    dates.clearBuffer();
    setNumber(now.fields[0], dates.buffer(), 4);
    ASSERT_EQ(0, e.get(dates, DAT::ACTNUMBER_KEY));
    EXPECT_EQ(80004, getNumber(now.fields[1], dates.buffer()));
    EXPECT_NE(std::string::npos, e.queryPlan(dates, "fetch", DAT::ACTDATES_KEY).find("INDEX"));
    // Records added afterwards follow the old ones in file order.
    dates.clearBuffer();
    setNumber(now.fields[0], dates.buffer(), 6);
    ASSERT_EQ(0, e.add(dates));
    e.set(dates, -1);
    int last = 0;
    while (e.next(dates) == 0) last = int(getNumber(now.fields[0], dates.buffer()));
    EXPECT_EQ(6, last);
}

TEST_F(ReplaceTest, ARolledBackReplacementLeavesTheOldTableAsItWas) {
    writeOld(4);
    const std::string before = readFile(dir.file("RESDATA.TPS"));
    {
        Engine e(dir.path.string());
        ASSERT_EQ(0, convert(e, true));
        ASSERT_EQ(0, e.rollback());
    }
    EXPECT_EQ(before, readFile(dir.file("RESDATA.TPS")));
    Engine e(dir.path.string());
    Table t(old), gone(temp);
    ASSERT_EQ(0, e.open(t));
    EXPECT_EQ(4, e.records(t));
    EXPECT_EQ(FileNotFoundErr, e.open(gone));
}

TEST_F(ReplaceTest, OnlyATableWithTheTargetsFieldsCanReplaceIt) {
    writeOld(1);
    Engine e(dir.path.string());
    TableDecl other = renamed(tableDecl(Tbl::CONTROL), "CONV0001");
    Table t(other);
    ASSERT_EQ(0, e.create(t));
    EXPECT_EQ(InvalidRecordDeclarationErr, e.replaceTable(t, now));
    Table o(old);
    EXPECT_EQ(0, e.open(o));  // untouched
}

TEST_F(ReplaceTest, AUsersFileConnectedFirstCanBeFilledInsideATransaction) {
    writeOld(1);
    Engine e(dir.path.string());
    TableDecl tempUsers = renamed(tableDecl(Tbl::USERS), "CONV0001");
    Table t(tempUsers);
    ASSERT_EQ(0, e.connectFile(StoreFile::USERS, true));
    ASSERT_EQ(0, e.begin(2));
    ASSERT_EQ(0, e.create(t));
    ASSERT_EQ(0, e.open(t));
    t.clearBuffer();
    setText(tempUsers.fields[0], t.buffer(), "ANNA");
    ASSERT_EQ(0, e.add(t));
    ASSERT_EQ(0, e.replaceTable(t, tableDecl(Tbl::USERS)));
    ASSERT_EQ(0, e.commit());

    // The main program's store finds the user in the encrypted file.
    Station s(dir.path);
    ASSERT_EQ(Level_Benign, s.rm(Tbl::USERS).OPEN());
    s.db->USE.USERNAME = "anna";
    ASSERT_EQ(Level_Benign, s.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ(std::string::npos, readFile(dir.file("USERS.TPS")).find("ANNA"));
}

TEST_F(ReplaceTest, TheFileCheckFindsAFileCutShort) {
    writeOld(3000);
    {
        Engine e(dir.path.string());
        ASSERT_EQ(0, e.connectFile(StoreFile::RESDATA, false));
        EXPECT_EQ(0, e.checkFiles()) << e.status().fileText;
    }
    std::filesystem::resize_file(dir.file("RESDATA.TPS"),
                                 std::filesystem::file_size(dir.file("RESDATA.TPS")) / 2);
    Engine e(dir.path.string());
    ASSERT_EQ(0, e.connectFile(StoreFile::RESDATA, false));
    EXPECT_EQ(FileSystemErr, e.checkFiles());
    EXPECT_FALSE(e.status().fileText.empty());
    // A folder without the file is not a store at all.
    TempDir empty;
    Engine none(empty.path.string());
    EXPECT_EQ(FileNotFoundErr, none.connectFile(StoreFile::RESDATA, false));
    EXPECT_FALSE(std::filesystem::exists(empty.file("RESDATA.TPS")));
}

}  // namespace
}  // namespace store::test

namespace store::test {
namespace {

TEST_F(StoreTest, AUsersFileMissingBesideAnExistingStoreIsCreated) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    a.db.reset();
    std::filesystem::remove(dir.file("USERS.TPS"));
    // The bookings file is opened first, without creating; the users file then is made.
    Station s(dir.path);
    ASSERT_EQ(Level_Benign, s.rm(Tbl::ACTIVITY).OPEN());
    ASSERT_EQ(Level_Benign, s.fm(Tbl::ACTIVITY).USEFILE());
    ASSERT_EQ(Level_Benign, s.rm(Tbl::USERS).OPEN());
    EXPECT_EQ(Level_Benign, s.fm(Tbl::USERS).USEFILE()) << user.lastText();
    EXPECT_TRUE(std::filesystem::exists(dir.file("USERS.TPS")));
}

}  // namespace
}  // namespace store::test

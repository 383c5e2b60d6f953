// Special days: the periods a user may save, and adding the periods of a special-days file.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sqlite3.h>

#include <chrono>
#include <fstream>

#include "../store/store_fixture.h"
#include "masterdata/special_days.h"

namespace {

using namespace store;
using masterdata::SpecialPeriod;

Date dmy(int d, int m, int y) {
    return Date::fromMDY(m, d, y);
}

TEST(SpecialPeriodTest, AnEndBeforeTheStartIsRefused) {
    EXPECT_EQ("", masterdata::specialPeriodProblem(dmy(25, 12, 2027), dmy(25, 12, 2027)));
    EXPECT_EQ("", masterdata::specialPeriodProblem(dmy(24, 12, 2027), dmy(2, 1, 2028)));
    const std::string problem =
        masterdata::specialPeriodProblem(dmy(2, 1, 2028), dmy(24, 12, 2027));
    EXPECT_NE(std::string::npos, problem.find("cannot end before it starts")) << problem;
    EXPECT_NE("", masterdata::specialPeriodProblem(Date(), dmy(1, 1, 2028)));
    EXPECT_NE("", masterdata::specialPeriodProblem(dmy(1, 1, 2028), Date()));
}

class SpecialImportTest : public store::test::StoreTest {
  protected:
    void SetUp() override { openAll(a); }
    std::vector<SpecialPeriod> tenPeriods() {
        std::vector<SpecialPeriod> p;
        // Written out of date order: the import follows the file's date order anyway.
        for (int i = 9; i >= 0; --i)
            p.push_back({dmy(1 + i, 3 + i % 3, 2027 + i / 3), dmy(2 + i, 3 + i % 3, 2027 + i / 3),
                         "Holiday " + std::to_string(i)});
        return p;
    }
    std::vector<std::string> periods() {
        return walk(a, Tbl::SPECIAL, SPE::DATE_KEY, [&] {
            return Date(db.SPE.STARTDATE).iso() + ".." + Date(db.SPE.ENDDATE).iso() + " " +
                   db.SPE.DESCRIPTION.str();
        });
    }
};

TEST_F(SpecialImportTest, TenPeriodsAreAddedInDateOrderAndTwiceGivesTwenty) {
    const std::string file = dir.file("Holidays.tps");
    ASSERT_EQ("", masterdata::writeSpecialDaysFile(file, tenPeriods()));
    const auto first = masterdata::importSpecialDays(db, file);
    EXPECT_EQ("", first.problem);
    EXPECT_EQ(10, first.added);
    const std::vector<std::string> once = periods();
    ASSERT_EQ(10u, once.size());
    EXPECT_TRUE(std::is_sorted(once.begin(), once.end()));
    EXPECT_EQ("2027-03-01..2027-03-02 Holiday 0", once.front());

    const auto second = masterdata::importSpecialDays(db, file);
    EXPECT_EQ(10, second.added);
    EXPECT_EQ(20, count(a, Tbl::SPECIAL));
    // The date key finds every period, each twice.
    const std::vector<std::string> twice = periods();
    ASSERT_EQ(20u, twice.size());
    EXPECT_EQ(twice[0], twice[1]);
    EXPECT_EQ(twice[18], twice[19]);
    // The file itself is only read.
    EXPECT_EQ(10, masterdata::importSpecialDays(db, file).added);
}

TEST_F(SpecialImportTest, ABadFileImportsNothingAndSaysWhy) {
    const std::string existing = dir.file("Existing.tps");
    ASSERT_EQ("", masterdata::writeSpecialDaysFile(
                      existing, {{dmy(1, 1, 2027), dmy(1, 1, 2027), "New Year"}}));
    ASSERT_EQ(1, masterdata::importSpecialDays(db, existing).added);

    const std::string text = dir.file("notes.tps");
    std::ofstream(text) << "These are not special days at all.\n";
    const std::string empty = dir.file("empty.tps");
    std::ofstream(empty).flush();
    for (const std::string& bad : {text, dir.file("missing.tps"), dir.path.string()}) {
        const auto r = masterdata::importSpecialDays(db, bad);
        EXPECT_EQ(0, r.added) << bad;
        EXPECT_NE("", r.problem) << bad;
        EXPECT_NE(std::string::npos, r.problem.find(bad)) << r.problem;
    }
    EXPECT_NE("", masterdata::importSpecialDays(db, empty).problem);

    // A store file whose table has another layout.
    const std::string other = dir.file("other.tps");
    {
        store::test::TempDir scratch;
        Engine engine(scratch.path.string());
        TableDecl decl = tableDecl(Tbl::DURLIST);
        decl.name = "SPECDAYS";
        Table t(decl);
        ASSERT_EQ(0, engine.create(t));
        ASSERT_EQ(0, engine.open(t, true));
        t.clearBuffer();
        ASSERT_EQ(0, engine.add(t));
        engine.close(t);
        std::filesystem::copy_file(scratch.path / "RESDATA.TPS", other);
    }
    const auto wrong = masterdata::importSpecialDays(db, other);
    EXPECT_EQ(0, wrong.added);
    EXPECT_NE(std::string::npos, wrong.problem.find("another layout")) << wrong.problem;

    EXPECT_EQ(1, count(a, Tbl::SPECIAL));
    EXPECT_TRUE(a.exits.empty()) << "the program goes on";
}

/// Special-days files damaged by hand or by another program: each is imported exactly as
/// it stands or refused as a whole, naming the file and what is wrong, and promptly.
class DamagedSpecialDaysFile : public SpecialImportTest {
  protected:
    /// A file of ten periods, (80000 + i, 80000 + i, "Holiday i") in record i + 1.
    std::string tenPeriodFile(const char* name) {
        std::vector<SpecialPeriod> p;
        for (int i = 0; i < 10; ++i)
            p.push_back({Date(80000 + i), Date(80000 + i), "Holiday " + std::to_string(i)});
        const std::string file = dir.file(name);
        EXPECT_EQ("", masterdata::writeSpecialDaysFile(file, p));
        return file;
    }
    /// Runs SQL on a file as a hand or another program would.
    static void rawSql(const std::string& file, const std::string& sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &raw));
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr))
            << sqlite3_errmsg(raw) << "\n"
            << sql;
        sqlite3_close(raw);
    }
    /// The import adds nothing and its message names the file and holds `words`.
    void expectRefused(const std::string& file, const std::string& words) {
        const long long before = count(a, Tbl::SPECIAL);
        const auto r = masterdata::importSpecialDays(db, file);
        EXPECT_EQ(0, r.added) << words;
        EXPECT_NE(std::string::npos, r.problem.find(file)) << r.problem;
        EXPECT_NE(std::string::npos, r.problem.find(words)) << r.problem;
        EXPECT_EQ(before, count(a, Tbl::SPECIAL)) << r.problem;
    }
};

TEST_F(DamagedSpecialDaysFile, ATableWithoutOneOfItsFieldsIsRefused) {
    const char* columns[] = {"STARTDATE", "ENDDATE", "DESCRIPTION"};
    for (const char* missing : columns) {
        const std::string file =
            tenPeriodFile((std::string("without-") + missing + ".tps").c_str());
        // The table made anew without the column, with its date key; its catalog entry
        // still names every field. (A quoted name that is no column is a constant to
        // SQLite, so the key is made even without the start date.)
        std::string kept = "_rid INTEGER PRIMARY KEY, _ver INTEGER";
        for (const char* c : columns)
            if (c != missing)
                kept += std::string(", ") + c + (c == columns[2] ? " TEXT" : " INTEGER");
        rawSql(file, "CREATE TABLE T (" + kept + "); INSERT INTO T SELECT * FROM (SELECT " +
                         "_rid, _ver" + (missing == columns[0] ? "" : ", STARTDATE") +
                         (missing == columns[1] ? "" : ", ENDDATE") +
                         (missing == columns[2] ? "" : ", DESCRIPTION") +
                         " FROM SPECDAYS); DROP TABLE SPECDAYS; ALTER TABLE T RENAME TO SPECDAYS;"
                         "CREATE INDEX SPECDAYS_DATE_KEY ON SPECDAYS (\"STARTDATE\");");
        expectRefused(file, "another layout");
    }
}

TEST_F(DamagedSpecialDaysFile, AValueItsFieldCannotHoldRefusesTheWholeFile) {
    struct Case {
        const char* set;  // what record 4 holds
        const char* words;
    };
    const Case cases[] = {
        {"STARTDATE = 'Holiday'", "record 4 holds the text \"Holiday\" where the start date"},
        {"ENDDATE = x'00013880'", "record 4 holds binary data of 4 bytes where the end date"},
        {"STARTDATE = 5000000000", "record 4 holds the number 5000000000 where the start"},
        {"ENDDATE = 80003.5", "record 4 holds the number 80003.5 where the end date"},
        {"DESCRIPTION = x'41'", "record 4 holds binary data of 1 bytes where the description"},
        {"DESCRIPTION = 'A holiday of twenty-one'", "where the description (up to 20"},
        {"STARTDATE = 0", "record 4 has no start date"},
        {"ENDDATE = 0", "record 4 has no end date"},
        {"STARTDATE = 99999999", "record 4 holds 99999999 as its start date, which is no day"},
        {"STARTDATE = -5", "record 4 holds -5 as its start date"},
        {"ENDDATE = 79990", "record 4 ends on"},
    };
    for (const Case& c : cases) {
        const std::string file = tenPeriodFile("damaged.tps");
        rawSql(file, std::string("UPDATE SPECDAYS SET ") + c.set + " WHERE _rid = 4;");
        expectRefused(file, c.words);
        EXPECT_NE(std::string::npos, masterdata::importSpecialDays(db, file).problem.find(
                                         "No special days were added"));
    }
    EXPECT_EQ(0, count(a, Tbl::SPECIAL));
}

TEST_F(DamagedSpecialDaysFile, ExactlyTheFileRowsArriveWhateverItsKey) {
    // The date order is gone from the file and a stray key orders it by description; the
    // records are stored out of date order.
    const std::string file = tenPeriodFile("keyless.tps");
    rawSql(file,
           "DROP INDEX SPECDAYS_DATE_KEY; UPDATE SPECDAYS SET STARTDATE = 160009 - STARTDATE, "
           "ENDDATE = 160009 - ENDDATE; CREATE INDEX stray ON SPECDAYS (DESCRIPTION DESC);");
    const std::string before = store::test::readFile(file);
    const auto r = masterdata::importSpecialDays(db, file);
    EXPECT_EQ("", r.problem);
    EXPECT_EQ(10, r.added);
    // Record i + 1 holds (80009 - i, 80009 - i, "Holiday i"): date order is from the last.
    std::vector<std::string> expected;
    for (int i = 9; i >= 0; --i)
        expected.push_back(Date(80009 - i).iso() + ".." + Date(80009 - i).iso() + " Holiday " +
                           std::to_string(i));
    EXPECT_EQ(expected, periods());
    EXPECT_EQ(before, store::test::readFile(file)) << "the file itself is only read";
}

TEST_F(DamagedSpecialDaysFile, ThousandsOfOverflowingDatesAreRefusedPromptly) {
    // Start dates beyond a date's range in every record of a large file: a walk along
    // the date key would start again from the cut-down value for ever.
    const std::string file = tenPeriodFile("overflow.tps");
    std::string sql = "BEGIN;";
    for (int i = 0; i < 2000; ++i)
        sql += "INSERT INTO SPECDAYS (STARTDATE, ENDDATE, DESCRIPTION) VALUES (" +
               std::to_string(5000000000LL + i) + ", 80000, 'Broken');";
    rawSql(file, sql + "UPDATE SPECDAYS SET STARTDATE = 5000000000 + _rid; COMMIT;");
    const auto start = std::chrono::steady_clock::now();
    expectRefused(file, "record 1 holds the number 5000000001 where the start date belongs");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(SpecialImportTest, AFileWithDatesBeyondTheirFieldEndsAndAddsNothing) {
    const std::string file = dir.file("Damaged.tps");
    std::vector<SpecialPeriod> many(2000, {dmy(1, 5, 2027), dmy(2, 5, 2027), "Far"});
    ASSERT_EQ("", masterdata::writeSpecialDaysFile(file, many));
    {
        // Starts no date field can hold: read cut to 32 bits, the file's date order would
        // start again from its beginning for ever.
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(file.c_str(), &raw));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw, "UPDATE SPECDAYS SET STARTDATE = 5000000000",
                                          nullptr, nullptr, nullptr));
        sqlite3_close(raw);
    }
    const std::size_t before = store::test::fileHash(file);
    const auto start = std::chrono::steady_clock::now();
    const auto r = masterdata::importSpecialDays(db, file);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              10.0);
    EXPECT_EQ(0, r.added);
    EXPECT_NE(std::string::npos, r.problem.find(file)) << r.problem;
    EXPECT_NE(std::string::npos, r.problem.find("5000000000")) << r.problem;
    EXPECT_EQ(0, count(a, Tbl::SPECIAL));
    EXPECT_EQ(before, store::test::fileHash(file));
}

}  // namespace

// Special days: the periods a user may save, and adding the periods of a special-days file.
#include <gtest/gtest.h>

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
    EXPECT_EQ("The special days could not be read from " + file +
                  ": Damaged data: SPD:STARTDATE holds 5000000000, which does not fit the field "
                  "(11)",
              r.problem);
    EXPECT_EQ(0, count(a, Tbl::SPECIAL));
    EXPECT_EQ(before, store::test::fileHash(file));
}

}  // namespace

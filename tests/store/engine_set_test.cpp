// The engine's set operations: a key range deleted or counted in one go, through the key
// for a few records and in stored order for many, and the records no other record links to.
#include "store_fixture.h"

namespace store::test {
namespace {

class EngineSetTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        for (Tbl t : {Tbl::ACTIVITY, Tbl::DATES, Tbl::RESACT, Tbl::CLIENT})
            ASSERT_EQ(Level_Benign, a.fm(t).USEFILE());
        addClient(a, "C");
    }
    Engine& e() { return db.engine(); }
    Table& dates() { return db.table(Tbl::DATES); }
    /// The dates left on file, in date order, as "date,date,...".
    std::string datesLeft() {
        std::string s;
        for (const std::string& d :
             walk(a, Tbl::DATES, DAT::DATETIME_KEY, [&] { return std::to_string(db.DAT.DATE); }))
            s += (s.empty() ? "" : ",") + d;
        return s;
    }
};

TEST_F(EngineSetTest, ARangeGoesWholeWhetherFewOrManyAndOnlyWhatTheKeyHolds) {
    addBooking(a, 1, "B", "C");
    for (int d = 1; d <= 20; ++d) addDate(a, 1, 100 + d, 10, 20);
    // No date, no times: the date key does not hold it, so no range of the key reaches it.
    addDate(a, 1, 0, 0, 0);
    EXPECT_EQ(20, e().countRange(dates(), DAT::DATETIME_KEY, -1000, 1000));

    // One of twenty: through the key, in one statement.
    std::vector<double> progress;
    long long erased = 0;
    ASSERT_EQ(0, e().eraseRange(dates(), DAT::DATETIME_KEY, 101, 101, &erased,
                                [&](double d) { progress.push_back(d); }));
    EXPECT_EQ(1, erased);
    EXPECT_EQ(std::vector<double>{1.0}, progress);

    // Most of them: the table read in stored order, a slice at a time.
    progress.clear();
    ASSERT_EQ(0, e().eraseRange(dates(), DAT::DATETIME_KEY, -1000, 115, &erased,
                                [&](double d) { progress.push_back(d); }));
    EXPECT_EQ(14, erased);
    EXPECT_EQ("116,117,118,119,120", datesLeft());
    EXPECT_EQ(6, count(a, Tbl::DATES));  // and the one the key does not hold
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(1.0, progress.back());
}

TEST_F(EngineSetTest, UnlinkedRecordsGoAndARollbackBringsEverythingBack) {
    for (int n = 1; n <= 3; ++n) {
        addBooking(a, n, "B", "C");
        addResAct(a, n, "R");
    }
    addDate(a, 1, 100, 10, 20);
    addDate(a, 3, 300, 10, 20);
    addResAct(a, 9, "R");  // its booking is long gone

    Unlinked noDates;
    noDates.links = {{ACT::ACTNUMBER, DAT::ACTNUMBER}};
    noDates.otherKey = DAT::ACTNUMBER_KEY;
    Table& act = db.table(Tbl::ACTIVITY);
    Table& rac = db.table(Tbl::RESACT);
    EXPECT_EQ(1, e().countUnlinked(act, dates(), noDates));
    // Counting only occurrences from day 200 on, booking 1 has none left either.
    Unlinked live = noDates;
    live.otherKey = DAT::ACTDATES_KEY;
    live.rangeField = DAT::DATE;
    live.low = 200;
    live.high = 1 << 30;
    EXPECT_EQ(2, e().countUnlinked(act, dates(), live));

    ASSERT_EQ(0, e().begin(1));
    long long erased = 0;
    ASSERT_EQ(0, e().eraseUnlinked(act, dates(), noDates, &erased));
    EXPECT_EQ(1, erased);
    Unlinked orphan;
    orphan.links = {{RAC::ACTNUMBER, ACT::ACTNUMBER}};
    orphan.otherKey = ACT::ACTNUMBER_KEY;
    ASSERT_EQ(0, e().eraseUnlinked(rac, act, orphan, &erased));
    EXPECT_EQ(2, erased);  // booking 2's resource row and the old one of booking 9
    EXPECT_EQ(2, count(a, Tbl::ACTIVITY));
    EXPECT_EQ(2, count(a, Tbl::RESACT));
    ASSERT_EQ(0, e().rollback());
    EXPECT_EQ(3, count(a, Tbl::ACTIVITY));
    EXPECT_EQ(4, count(a, Tbl::RESACT));
}

}  // namespace
}  // namespace store::test

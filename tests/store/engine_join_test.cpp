#include <gtest/gtest.h>

#include "store_fixture.h"

namespace store::test {
namespace {

/// The bookings of one resource over a period, as the collision look-up reads them.
class JoinTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        addClient(a, "ACME");
        for (int n = 1; n <= 3; ++n) addBooking(a, n, "Meeting", "ACME");
        addResAct(a, 1, "ROOM1");
        addResAct(a, 2, "ROOM1");
        addResAct(a, 2, "ROOM2");
        addResAct(a, 3, "room1x");
        addDate(a, 1, 100, 10, 20);
        addDate(a, 1, 105, 10, 20);
        addDate(a, 2, 101, 30, 40);
        addDate(a, 2, 120, 30, 40);
        addDate(a, 3, 101, 50, 60);
    }
    JoinQuery query(long long low, long long high) {
        JoinQuery q;
        q.outerKey = RAC::RESOURCE_KEY;
        q.outerEqual = 1;
        q.innerKey = DAT::ACTDATES_KEY;
        q.links = {{RAC::ACTNUMBER, DAT::ACTNUMBER}};
        q.rangeField = DAT::DATE;
        q.low = low;
        q.high = high;
        return q;
    }
    std::vector<std::pair<int, int>> read(const char* resource, long long low, long long high) {
        std::vector<std::pair<int, int>> rows;
        db.RAC.RESOURCE = resource;
        EXPECT_EQ(
            0, db.engine().join(db.table(Tbl::RESACT), db.table(Tbl::DATES), query(low, high), [&] {
                rows.push_back({db.RAC.ACTNUMBER, db.DAT.DATE});
                return true;
            }));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_P(JoinTest, ReadsTheLinkedRecordsOfOneKeyValueWithinTheRange) {
    using Rows = std::vector<std::pair<int, int>>;
    EXPECT_EQ(read("ROOM1", 100, 110), (Rows{{1, 100}, {1, 105}, {2, 101}}));
    EXPECT_EQ(read("ROOM1", 101, 101), (Rows{{2, 101}}));
    EXPECT_EQ(read("ROOM2", 0, 1000), (Rows{{2, 101}, {2, 120}}));
    EXPECT_EQ(read("ROOM3", 0, 1000), Rows{});
    // Both buffers hold the pair handed out; the positions allow a later put or delete.
    db.RAC.RESOURCE = "ROOM2";
    int calls = 0;
    db.engine().join(db.table(Tbl::RESACT), db.table(Tbl::DATES), query(120, 120), [&] {
        ++calls;
        EXPECT_EQ(2, db.RAC.ACTNUMBER);
        EXPECT_EQ(30, db.DAT.TIME);
        EXPECT_TRUE(db.table(Tbl::DATES).position().valid());
        return false;
    });
    EXPECT_EQ(1, calls);
}

// On a store this small the server may rightly read a table whole; ServerPlanTest checks
// its plans on one of some size.
using JoinOnFilesTest = JoinTest;

TEST_P(JoinOnFilesTest, GoesThroughIndexesOnBothTables) {
    const std::string plan =
        db.engine().joinPlan(db.table(Tbl::RESACT), db.table(Tbl::DATES), query(1, 2));
    EXPECT_EQ(std::string::npos, plan.find("SCAN")) << plan;
    EXPECT_NE(std::string::npos, plan.find("RESACT_RESOURCE_KEY")) << plan;
    EXPECT_NE(std::string::npos, plan.find("DATES_ACTDATES_KEY")) << plan;
}

TEMBRIX_ON_BOTH_STORES(JoinTest);
INSTANTIATE_TEST_SUITE_P(Stores, JoinOnFilesTest, ::testing::Values(StoreKind::Files),
                         storeKindName);

}  // namespace
}  // namespace store::test

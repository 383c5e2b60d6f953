// The server reaches every record through the key's own index, as the files do (see
// EveryKeyAccessUsesItsIndex): keys that ignore case through their lower() indexes, keys
// that allow duplicates in the order their records were added, without sorting.
#include "store_fixture.h"

namespace store::test {
namespace {

class ServerPlanTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        for (Tbl t : {Tbl::DATES, Tbl::RESACT, Tbl::ACTIVITY})
            ASSERT_EQ(Level_Benign, a.fm(t).USEFILE());
        // Enough records that reading a whole table would cost the server more than a key.
        ASSERT_EQ("",
                  server.exec("INSERT INTO main.\"DATES\" (\"ACTNUMBER\", \"DATE\", \"TIME\") "
                              "SELECT i % 5000 + 1, 80000 + i % 365, 2880001 + i "
                              "FROM generate_series(1, 50000) AS i;"
                              "INSERT INTO main.\"RESACT\" (\"ACTNUMBER\", \"RESOURCE\") "
                              "SELECT i, 'Room' || (i % 200) FROM generate_series(1, 5000) AS i;"
                              "INSERT INTO main.\"ACTIVITY\" (\"ACTNUMBER\", \"NAME\", \"CLIENT\") "
                              "SELECT i, 'Meeting ' || i, 'Client' || (i % 50) "
                              "FROM generate_series(1, 5000) AS i;"
                              "ANALYZE"));
    }
};

TEST_P(ServerPlanTest, EveryKeyAccessUsesItsIndex) {
    for (Tbl tb : {Tbl::DATES, Tbl::RESACT, Tbl::ACTIVITY}) {
        Table& t = db.table(tb);
        for (int k = 0; k < int(t.decl().keys.size()); ++k) {
            const std::string index = std::string(t.decl().name) + "_" + t.decl().keys[k].name;
            for (const std::string which : {"walk", "after", "before", "value", "fetch"}) {
                const std::string plan = db.engine().queryPlan(t, which, k);
                SCOPED_TRACE(index + " " + which + ":\n" + plan);
                EXPECT_NE(std::string::npos, plan.find("using \"" + index + "\""));
                EXPECT_EQ(std::string::npos, plan.find("Seq Scan"));
                EXPECT_EQ(std::string::npos, plan.find("Sort"));
            }
        }
    }
    // The bookings of a resource over a period: its resource key, then each booking's dates.
    JoinQuery q;
    q.outerKey = RAC::RESOURCE_KEY;
    q.innerKey = DAT::ACTDATES_KEY;
    q.links = {{RAC::ACTNUMBER, DAT::ACTNUMBER}};
    q.rangeField = DAT::DATE;
    q.low = 80001;
    q.high = 80002;
    const std::string plan = db.engine().joinPlan(db.table(Tbl::RESACT), db.table(Tbl::DATES), q);
    EXPECT_EQ(std::string::npos, plan.find("Seq Scan")) << plan;
    EXPECT_NE(std::string::npos, plan.find("\"RESACT_RESOURCE_KEY\"")) << plan;
    EXPECT_NE(std::string::npos, plan.find("\"DATES_ACTDATES_KEY\"")) << plan;
}

// The files' own plans are checked in engine_test.cpp and engine_join_test.cpp.
INSTANTIATE_TEST_SUITE_P(Stores, ServerPlanTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

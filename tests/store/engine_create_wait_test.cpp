// A table made while another station is in the middle of a transaction (two stations that
// start on a new store at once): the station making it waits for the other's commit, as any
// write does, instead of failing and ending the program.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "store_fixture.h"

namespace store::test {
namespace {

class CreateWaitTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        addClient(a, "Acme");
    }
};

TEST_P(CreateWaitTest, ATableMadeWhileAnotherStationWritesWaitsForItsCommit) {
    Station b(dir.path);
    openAll(b);
    ASSERT_EQ(Level_Benign, b.fm(Tbl::CLIENT).USEFILE());
    Engine& other = b.db->engine();
    ASSERT_EQ(0, other.begin(3));
    b.db->table(Tbl::CLIENT).clearBuffer();
    b.db->CLI.CLIENT = "Bravo";
    ASSERT_EQ(0, other.add(b.db->table(Tbl::CLIENT)));
    // The other station holds the write lock for a moment yet, then commits.
    int committed = -1;
    std::thread commit([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        committed = other.commit();
    });
    // Meanwhile this station uses the groups for the first time: the table is made.
    const auto t0 = std::chrono::steady_clock::now();
    const Level made = a.fm(Tbl::GROUP).USEFILE();
    const auto waited = std::chrono::steady_clock::now() - t0;
    commit.join();
    EXPECT_EQ(Level_Benign, made) << user.lastText();
    EXPECT_EQ(0, committed);
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ((std::vector<std::string>{"Acme", "Bravo"}),
              walk(a, Tbl::CLIENT, CLI::CLIENT_KEY, [&] { return db.CLI.CLIENT.str(); }));
    // The table is there, empty, for both.
    EXPECT_EQ(0, count(a, Tbl::GROUP));
    ASSERT_EQ(Level_Benign, b.fm(Tbl::GROUP).USEFILE());
    EXPECT_EQ(0, count(b, Tbl::GROUP));
}

TEMBRIX_ON_BOTH_STORES(CreateWaitTest);

}  // namespace
}  // namespace store::test

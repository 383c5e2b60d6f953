// Many records added as one unit inside a transaction (a booking's occurrences): all of them
// or none, on either kind of store, however many there are.
#include "store_fixture.h"

namespace store::test {
namespace {

class AddEachTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        for (Tbl t : {Tbl::ACTIVITY, Tbl::DATES}) ASSERT_EQ(Level_Benign, a.fm(t).USEFILE());
    }
    Engine& e() { return db.engine(); }
    /// Bookings numbered from `first`, `count` of them, through addEach.
    int addBookings(int first, int count, std::vector<int> numbers = {}) {
        Table& t = db.table(Tbl::ACTIVITY);
        return e().addEach(t, count, [&](int i) {
            t.clearBuffer();
            db.ACT.ACTNUMBER = numbers.empty() ? first + i : numbers[std::size_t(i)];
            db.ACT.NAME = "Meeting " + std::to_string(i);
        });
    }
    std::vector<std::string> numbers() {
        return walk(a, Tbl::ACTIVITY, ACT::ACTNUMBER_KEY,
                    [&] { return std::to_string(db.ACT.ACTNUMBER); });
    }
};

TEST_P(AddEachTest, EveryRecordIsAddedInOrderAndCanBeWrittenAgain) {
    ASSERT_EQ(0, e().begin(3));
    // More than one of the slices a server is sent at once.
    ASSERT_EQ(0, addBookings(1, 1000));
    // The position is the last record added: it can be written over at once.
    EXPECT_EQ(1000, db.ACT.ACTNUMBER);
    db.ACT.NAME = "Last";
    ASSERT_EQ(0, e().put(db.table(Tbl::ACTIVITY)));
    ASSERT_EQ(0, e().commit());
    const auto all = numbers();
    ASSERT_EQ(1000u, all.size());
    EXPECT_EQ("1", all.front());
    EXPECT_EQ("1000", all.back());
    db.ACT.ACTNUMBER = 1000;
    ASSERT_EQ(0, e().get(db.table(Tbl::ACTIVITY), ACT::ACTNUMBER_KEY));
    EXPECT_EQ("Last", db.ACT.NAME.str());
    db.ACT.ACTNUMBER = 500;
    ASSERT_EQ(0, e().get(db.table(Tbl::ACTIVITY), ACT::ACTNUMBER_KEY));
    EXPECT_EQ("Meeting 499", db.ACT.NAME.str());
}

TEST_P(AddEachTest, ADuplicateAddsNoneAndTheTransactionGoesOn) {
    addBooking(a, 7, "Kept", "ACME");
    ASSERT_EQ(0, e().begin(3));
    ASSERT_EQ(0, addBookings(100, 3));
    // The fourth of five duplicates the booking on file.
    EXPECT_EQ(DupKeyErr, addBookings(0, 5, {20, 21, 22, 7, 23}));
    EXPECT_EQ(7, db.ACT.ACTNUMBER);  // the record that failed is in the buffer
    EXPECT_EQ(ACT::ACTNUMBER_KEY, db.table(Tbl::ACTIVITY).duplicateKey());
    // The failure took back its own records only; the transaction commits the rest.
    ASSERT_EQ(0, addBookings(200, 2));
    ASSERT_EQ(0, e().commit());
    EXPECT_EQ((std::vector<std::string>{"7", "100", "101", "102", "200", "201"}), numbers());
}

TEST_P(AddEachTest, ARollbackTakesEverythingBackAndNoneGoesOutsideATransaction) {
    EXPECT_EQ(RecordNotAvailableErr, addBookings(1, 3));
    EXPECT_EQ(0, count(a, Tbl::ACTIVITY));
    ASSERT_EQ(0, e().begin(3));
    ASSERT_EQ(0, addBookings(1, 50));
    ASSERT_EQ(0, e().rollback());
    EXPECT_EQ(0, count(a, Tbl::ACTIVITY));
    // A record added and rolled back is nowhere to write over.
    db.ACT.NAME = "Gone";
    EXPECT_NE(0, e().put(db.table(Tbl::ACTIVITY)));
    EXPECT_EQ(0, count(a, Tbl::ACTIVITY));
}

TEMBRIX_ON_BOTH_STORES(AddEachTest);

}  // namespace
}  // namespace store::test

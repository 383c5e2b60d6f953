// Walking the records of one key value: the lists a form reads for a user, a booking or a
// group.
#include "store/key_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "store/datetime.h"
#include "store/store.h"
#include "store_fixture.h"

namespace store::test {
namespace {

class KeyWalkTest : public StoreTest {
  protected:
    void SetUp() override {
        openAll(a);
        // Owners as several stations may have typed them, filed in key order among others.
        for (auto [owner, minutes] : {std::pair{"ANN", 30}, std::pair{"Bob", 15},
                                      std::pair{"ann", 60}, std::pair{"AnnA", 45}}) {
            a.fm(Tbl::DURLIST).PRIMERECORD();
            db.DUR.USERNAME = owner;
            db.DUR.DURATION = lengthFromMinutes(minutes);
            EXPECT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
        }
    }
    /// The minutes of the lengths filed under `owner`, in key order, "" when none.
    std::string lengthsOf(const char* owner, int most = 99) {
        Table& dur = db.table(Tbl::DURLIST);
        dur.clearBuffer();
        db.DUR.USERNAME = owner;
        std::string out;
        EXPECT_EQ(0, walkEqual(db.engine(), dur, DUR::USERNAME_KEY, 1, [&] {
                      out += (out.empty() ? "" : " ") +
                             std::to_string(minutesOfLength(db.DUR.DURATION));
                      return --most > 0;
                  }));
        return out;
    }
};

TEST_F(KeyWalkTest, ReadsEveryRecordOfTheValueAsTheKeyComparesIt) {
    // The user name key ignores letter case: "ann" and "ANN" are one owner, "AnnA" another.
    EXPECT_EQ("30 60", lengthsOf("Ann"));
    EXPECT_EQ("45", lengthsOf("anna"));
    EXPECT_EQ("15", lengthsOf("BOB"));
    EXPECT_EQ("", lengthsOf("Carl"));
    EXPECT_EQ("", lengthsOf(""));
}

TEST_F(KeyWalkTest, StopsWhereTheCallerSays) {
    EXPECT_EQ("30", lengthsOf("ANN", 1));
}

}  // namespace
}  // namespace store::test

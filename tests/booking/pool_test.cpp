// The capacity of pooled resources: the busiest instant of an occurrence decides.
#include "booking/pool.h"

#include <gtest/gtest.h>

namespace booking {
namespace {

constexpr store::LONG H = 360000;  // one hour
store::LONG at(int hour) {
    return hour * H + 1;
}

TEST(PoolTest, TheBusiestInstantAgainstTheCapacity) {
    // Five units; two bookings of two units overlap 10:00-11:00.
    const std::vector<OtherOccurrence> two{{1, at(9), at(11), 2}, {1, at(10), at(12), 2}};
    EXPECT_FALSE(POOLCHECK(5, 1, at(10), at(11), two).exceeded);
    const PoolResult over = POOLCHECK(5, 2, at(10), at(11), two);
    EXPECT_TRUE(over.exceeded);
    EXPECT_EQ(6, over.peak);
    EXPECT_EQ(1, over.reported);  // the one whose start makes the peak
    // Bookings that follow each other never add up, and touching ends do not overlap.
    const std::vector<OtherOccurrence> inTurn{{1, at(8), at(10), 4}, {1, at(10), at(12), 4}};
    EXPECT_FALSE(POOLCHECK(5, 1, at(8), at(12), inTurn).exceeded);
    // Many small bookings: the peak counts every one of them, not only the first twenty.
    std::vector<OtherOccurrence> many(30, OtherOccurrence{1, at(9), at(10), 1});
    EXPECT_EQ(31, POOLCHECK(40, 1, at(9), at(10), many).peak);
    EXPECT_TRUE(POOLCHECK(30, 1, at(9), at(10), many).exceeded);
    // The own units alone can be too many, with nobody else booked.
    const PoolResult alone = POOLCHECK(3, 4, at(9), at(10), {});
    EXPECT_TRUE(alone.exceeded);
    EXPECT_EQ(-1, alone.reported);
    // Bookings outside the occurrence do not count.
    EXPECT_FALSE(POOLCHECK(2, 1, at(12), at(13), two).exceeded);
}

}  // namespace
}  // namespace booking

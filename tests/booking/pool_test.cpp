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

TEST(PoolTest, ZeroLengthAndReversedTimesOnFileCountAsTheyCollide) {
    // A capacity of one must report exactly what the collision rule reports for a single
    // resource, for every pair of times, those of no length and reversed ones included.
    for (int s = 8; s <= 12; ++s)
        for (int e = 8; e <= 12; ++e)
            for (int os = 8; os <= 12; ++os)
                for (int oe = 8; oe <= 12; ++oe) {
                    const OtherOccurrence other{1, at(os), at(oe), 1};
                    EXPECT_EQ(collides(other, at(s), at(e)),
                              POOLCHECK(1, 1, at(s), at(e), {other}).exceeded)
                        << s << "-" << e << " against " << os << "-" << oe;
                }
    // An occurrence of no length at 10:00 inside another of two units from 09:00 to 12:00.
    const std::vector<OtherOccurrence> long2{{1, at(9), at(12), 2}};
    EXPECT_EQ(3, POOLCHECK(2, 1, at(10), at(10), long2).peak);
    EXPECT_FALSE(POOLCHECK(3, 1, at(10), at(10), long2).exceeded);
    // One of no length on file counts at its instant, together with what runs then.
    const std::vector<OtherOccurrence> instant{{1, at(10), at(10), 2}, {1, at(9), at(11), 1}};
    const PoolResult inside = POOLCHECK(3, 1, at(9), at(12), instant);
    EXPECT_EQ(4, inside.peak);
    EXPECT_TRUE(inside.exceeded);
    // At our own start it touches us and does not count, as it does not collide.
    EXPECT_EQ(2, POOLCHECK(3, 1, at(10), at(12), instant).peak);
    // A reversed one (11:00 to 10:00) counts for an occurrence that spans both its times.
    const std::vector<OtherOccurrence> reversed{{1, at(11), at(10), 2}};
    EXPECT_TRUE(POOLCHECK(2, 1, at(9), at(12), reversed).exceeded);
    EXPECT_FALSE(POOLCHECK(2, 1, at(10), at(12), reversed).exceeded);
}

}  // namespace
}  // namespace booking

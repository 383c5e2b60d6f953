// The rights of the access levels, as every window, the frame's menu and the booking checks
// ask for them.
#include "store/access.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace store {
namespace {

/// The rights a level has, as "V B R S" with '-' for each right it lacks.
std::string rightsOf(int level) {
    std::string s;
    for (auto [r, c] :
         {std::pair{Right::View, 'V'}, std::pair{Right::Book, 'B'},
          std::pair{Right::AdministerResources, 'R'}, std::pair{Right::AdministerSystem, 'S'}})
        s += may(level, r) ? c : '-';
    return s;
}

TEST(AccessTest, EachLevelHasItsOwnRightsAndThoseOfTheLevelsBelow) {
    EXPECT_EQ("V---", rightsOf(ViewOnly));
    EXPECT_EQ("VB--", rightsOf(GeneralUser));
    EXPECT_EQ("VBR-", rightsOf(ResourceAdministrator));
    EXPECT_EQ("VBRS", rightsOf(SystemAdministrator));
    // A stored level out of range neither crashes nor grants what it should not.
    EXPECT_EQ("----", rightsOf(-1));
    EXPECT_EQ("VBRS", rightsOf(9));
}

TEST(AccessTest, LockedBookingsOfOthersAreAlteredOnlyByAdministrators) {
    // (own booking, locked)
    EXPECT_TRUE(mayAlterBooking(GeneralUser, true, true));
    EXPECT_TRUE(mayAlterBooking(GeneralUser, false, false));
    EXPECT_FALSE(mayAlterBooking(GeneralUser, false, true));
    EXPECT_TRUE(mayAlterBooking(ResourceAdministrator, false, true));
    EXPECT_TRUE(mayAlterBooking(SystemAdministrator, false, true));
    // A view-only user alters nothing, not even a booking filed under his own name.
    EXPECT_FALSE(mayAlterBooking(ViewOnly, true, false));
}

}  // namespace
}  // namespace store

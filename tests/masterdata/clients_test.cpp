#include <gtest/gtest.h>

#include "masterdata/clients.h"

namespace {

TEST(ClientsRightsTest, LevelAndClientGeneralDecide) {
    for (bool general : {false, true}) {
        const auto admin = masterdata::clientRights(2, general);
        EXPECT_TRUE(admin.insert && admin.change && admin.remove);
        const auto sys = masterdata::clientRights(3, general);
        EXPECT_TRUE(sys.insert && sys.change && sys.remove);
        const auto view = masterdata::clientRights(0, general);
        EXPECT_FALSE(view.insert || view.change || view.remove);
    }
    const auto plain = masterdata::clientRights(1, false);
    EXPECT_FALSE(plain.insert || plain.change || plain.remove);
    const auto allowed = masterdata::clientRights(1, true);
    EXPECT_TRUE(allowed.insert && allowed.change);
    EXPECT_FALSE(allowed.remove);
}

}  // namespace

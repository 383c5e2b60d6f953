#include <gtest/gtest.h>

#include "masterdata/resources.h"

namespace {

using masterdata::NameList;

TEST(ResourceNameList, KeepsNamesSortedOnceAndIgnoresBlanks) {
    NameList list;
    EXPECT_TRUE(list.add("MARY"));
    EXPECT_TRUE(list.add("ANNE"));
    EXPECT_FALSE(list.add("MARY"));
    EXPECT_FALSE(list.add("   "));
    EXPECT_EQ(list.names(), (std::vector<std::string>{"ANNE", "MARY"}));
    EXPECT_TRUE(list.remove("ANNE"));
    EXPECT_FALSE(list.remove("ANNE"));
    EXPECT_EQ(list.size(), 1);
}

TEST(ResourceNameList, ChangeByAnotherStationIsSeenByCountThenByName) {
    NameList loaded;
    loaded.add("ANNE");
    loaded.add("MARY");
    EXPECT_EQ(masterdata::listChangedSince(loaded, {"MARY", "ANNE"}), 0);
    EXPECT_EQ(masterdata::listChangedSince(loaded, {"ANNE", "MARY", "TOM"}), 7);
    EXPECT_EQ(masterdata::listChangedSince(loaded, {"ANNE"}), 7);
    EXPECT_EQ(masterdata::listChangedSince(loaded, {"ANNE", "TOM"}), 8);
}

}  // namespace

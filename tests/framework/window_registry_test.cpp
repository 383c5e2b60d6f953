// The program's one registry of windows: what the frame's menu, its gating and every window
// that calls another run by procedure name.
#include "framework/windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../store/store_fixture.h"
#include "framework/program.h"
#include "store/session.h"

namespace framework {
namespace {

class WindowRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program() = Program{};
        store::session() = store::Session{};
    }
    void TearDown() override { program() = Program{}; }
    store::test::TempDir dir;
    store::test::Station station{dir.path};
    store::Store& db = *station.db;
};

TEST_F(WindowRegistryTest, AWindowRunsByNameWithTheGlobalRequestSet) {
    std::vector<std::string> ran;
    defineWindow("UPDATECLIENT", [&](store::Store&, QWidget*, int request) {
        ran.push_back("UPDATECLIENT:" + std::to_string(request) + ":" +
                      std::to_string(store::session().GlobalRequest));
        return int(store::RequestCompleted);
    });
    EXPECT_TRUE(hasWindow("UPDATECLIENT"));
    EXPECT_EQ(store::RequestCompleted,
              callWindow("UPDATECLIENT", db, nullptr, store::ChangeRecord));
    EXPECT_EQ(std::vector<std::string>{"UPDATECLIENT:2:2"}, ran);
    // An unknown window is a cancelled request, never a crash; the menu keeps it disabled.
    EXPECT_FALSE(hasWindow("BROWSECLIENT"));
    EXPECT_EQ(store::RequestCancelled, callWindow("BROWSECLIENT", db, nullptr, 0));
}

TEST_F(WindowRegistryTest, ALaterDefinitionReplacesTheWindowAndAllEndWithTheProgram) {
    defineWindow("BROWSEALL",
                 [](store::Store&, QWidget*, int) { return int(store::RequestCancelled); });
    defineWindow("BROWSEALL",
                 [](store::Store&, QWidget*, int) { return int(store::RequestCompleted); });
    EXPECT_EQ(store::RequestCompleted, callWindow("BROWSEALL", db, nullptr, 0));
    // A run of the program ends by resetting the program object: no window defined on a
    // store of that run can be reached afterwards.
    program() = Program{};
    EXPECT_FALSE(hasWindow("BROWSEALL"));
}

TEST_F(WindowRegistryTest, AWindowMayRedefineItselfWhileItRuns) {
    int runs = 0;
    defineWindow("FIVEYEAR", [&](store::Store&, QWidget*, int) {
        ++runs;
        defineWindow("FIVEYEAR", [](store::Store&, QWidget*, int) { return 0; });
        return int(store::RequestCompleted);
    });
    EXPECT_EQ(store::RequestCompleted, callWindow("FIVEYEAR", db, nullptr, 0));
    EXPECT_EQ(1, runs);
    EXPECT_EQ(0, callWindow("FIVEYEAR", db, nullptr, 0));
}

}  // namespace
}  // namespace framework

// Stations that look whether something is free and take it, each inside a transaction: the
// look and the write must be one step against every other station, on either kind of store.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "store_fixture.h"

namespace store::test {
namespace {

class RaceTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        openAll(a);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DATES).USEFILE());
    }

    static constexpr int kSlots = 60;
    static constexpr int kFirstDate = 80000;

    /// One station in a process of its own: takes the first free slot, looking under the
    /// write lock, until none is left. 0 when it got to the end.
    static int takeFreeSlots(const std::filesystem::path& folder, int station) {
        ScriptedQuestions silent;
        Station s(folder);
        if (s.rm(Tbl::DATES).OPEN() != Level_Benign || s.fm(Tbl::DATES).USEFILE() != Level_Benign)
            return 1;
        Engine& e = s.db->engine();
        Table& t = s.db->table(Tbl::DATES);
        for (int tries = 0; tries < 10 * kSlots; ++tries) {
            // A lock not had within the wait is tried again, as a user would.
            if (e.begin(3) != 0) continue;
            // The first date from kFirstDate on that no record holds.
            int free = kFirstDate;
            t.clearBuffer();
            s.db->DAT.DATE = free;
            e.setAtValue(t, DAT::DATETIME_KEY, 1);
            while (e.next(t) == 0 && s.db->DAT.DATE <= free)
                if (s.db->DAT.DATE == free) ++free;
            if (free >= kFirstDate + kSlots) return e.rollback() == 0 ? 0 : 2;
            // A save takes a moment between its look and its write (its other checks):
            // without the lock, the other station would find the same slot free meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            t.clearBuffer();
            s.db->DAT.ACTNUMBER = station;
            s.db->DAT.DATE = free;
            s.db->DAT.TIME = 2880001;
            if (e.add(t) != 0 || e.commit() != 0) return 3;
        }
        return 4;
    }
};

TEST_P(RaceTest, StationsThatLookAndTakeUnderTheWriteLockNeverBothTakeOneSlot) {
    std::vector<pid_t> children;
    for (int station = 1; station <= 2; ++station) {
        const pid_t pid = fork();
        ASSERT_NE(-1, pid);
        if (pid == 0) _exit(takeFreeSlots(dir.path, station));
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << "a station died";
        EXPECT_EQ(0, WEXITSTATUS(status)) << "a station gave up";
    }
    // Every slot taken exactly once, whoever took it.
    std::map<int, int> takers;
    walk(a, Tbl::DATES, DAT::DATETIME_KEY, [&] { return std::to_string(++takers[db.DAT.DATE]); });
    EXPECT_EQ(std::size_t(kSlots), takers.size());
    for (const auto& [date, count] : takers) EXPECT_EQ(1, count) << "date " << date;
}

TEMBRIX_ON_BOTH_STORES(RaceTest);

}  // namespace
}  // namespace store::test

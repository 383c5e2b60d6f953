// Two stations, each a process of its own with its own connection, saving bookings of one
// resource at the same moments through the booking form, with conflicts not allowed: the
// save's second look under the write lock must let exactly one of them have a slot, a
// pooled resource must never be booked past its units, and a station that dies in the
// middle of a save must leave nothing of it behind nor keep the other waiting.
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "booking_fixture.h"

namespace booking::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

/// How one station's saves ended.
struct Tally {
    std::atomic<int> won{0};       // saved
    std::atomic<int> declined{0};  // the check found the slot taken; the user was asked
    std::atomic<int> caught{0};    // the second look under the lock found it taken
    std::atomic<int> failed{0};    // anything else (a lock not had in time, an error)
    char lastFailure[200] = {};
};

/// What the processes of a test share (mapped before they are forked).
struct Shared {
    std::atomic<int> reached[2];  // the last step each station arrived at
    std::atomic<int> paused{0};   // a station stopped inside its save's transaction
    std::atomic<int> waiting{0};  // the other station has begun its save
    std::atomic<long long> waitedMs{-1};
    std::atomic<int> lastOutcome{-1};
    Tally tally[2];
};

/// The answers of a station's user: every conflict declined (none may be accepted anyway),
/// every message with its default; what was asked is kept to tell the outcomes apart.
class Declining : public store::UserQuestions {
  public:
    int conflicts = 0;
    std::string lastMessage;
    store::Button message(const std::string&, const std::string& text, store::Icon, unsigned,
                          store::Button b) override {
        lastMessage = text;
        return b;
    }
    bool stop(const std::string& text) override {
        lastMessage = text;
        return false;
    }
    int conflict(const store::ConflictQuestion&) override {
        ++conflicts;
        return store::CancelEraseAccepted;
    }
};

constexpr int kSaves = 500;     // per station, of the single resource
constexpr int kPoolSlots = 60;  // slots of the pooled resource, two saves per station each
constexpr int kPerDay = 10;     // slots a day, from 08:00 on the hour

class BookingRaceTest : public AnyBookingTest {
  protected:
    Shared* shared = nullptr;

    /// The store with ROOM1 (one unit) and POOL (five) is made by a station that is gone
    /// before any other process starts: the parent holds no connection when it forks.
    void SetUp() override {
        server.require();
        if (stopped()) return;
        setUpSession();
        {
            store::test::Station seed(dir.path);
            openAll(seed);
            addResource(seed, "ROOM1", 1);
            addResource(seed, "POOL", 5);
            seed.fm(store::Tbl::CLIENT).PRIMERECORD();
            seed.db->CLI.CLIENT = "ACME";
            ASSERT_EQ(store::Level_Benign, seed.fm(store::Tbl::CLIENT).INSERT());
        }
        void* m = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                       -1, 0);
        ASSERT_NE(MAP_FAILED, m);
        shared = new (m) Shared();
    }
    void TearDown() override {
        if (shared) munmap(shared, sizeof(Shared));
        AnyBookingTest::TearDown();
    }

    /// Slot i: a weekday hour from Tuesday on.
    store::LONG slotDate(int i) const { return monday + 1 + i / kPerDay; }
    static store::LONG slotStart(int i) { return at(8 + i % kPerDay); }
    static store::LONG slotEnd(int i) { return at(9 + i % kPerDay); }

    /// A station of a child process: its own store on the folder, preferences as the
    /// program loads them, conflicts not allowed. Null when its tables do not open.
    std::unique_ptr<store::test::Station> childStation() {
        auto s = std::make_unique<store::test::Station>(dir.path);
        for (int i = 0; i < store::kTableCount; ++i)
            if (s->rm(store::Tbl(i)).OPEN() != store::Level_Benign) return nullptr;
        preferences(*s->db);
        s->db->SYP.NOCONFLICT = 1;
        return s;
    }

    /// One save of a new booking through the booking form, counted in `tally`.
    static OkOutcome save(store::Store& db, Declining& user, Tally& tally, const char* resource,
                          int units, store::LONG date, store::LONG from, store::LONG to,
                          std::function<void(const char*)> during = {}) {
        user.conflicts = 0;
        user.lastMessage.clear();
        BookingForm form(db);
        form.UPDATEUNITS = [units](const std::string&, int) { return units; };
        form.duringSave = std::move(during);
        OkOutcome outcome = OkOutcome::Cancelled;
        if (form.open(store::InsertRecord)) {
            db.ACT.NAME = "Race";
            form.insertResources({{resource, units > 1 ? 5 : 1}});
            form.date = date;
            form.startAccepted(from);
            form.endAccepted(to);
            outcome = form.OK();
        }
        if (outcome == OkOutcome::Completed)
            ++tally.won;
        else if (user.lastMessage.find("Another station booked") != std::string::npos)
            ++tally.caught;
        else if (user.conflicts > 0)
            ++tally.declined;
        else {
            ++tally.failed;
            std::strncpy(tally.lastFailure, user.lastMessage.c_str(), sizeof tally.lastFailure - 1);
        }
        return outcome;
    }

    /// Waits until the other station has come to `step` too (at most a few seconds, so
    /// that a station in trouble never holds the other for ever).
    void meet(int station, int step) {
        shared->reached[station].store(step);
        const auto until = Clock::now() + 5s;
        while (shared->reached[1 - station].load() < step && Clock::now() < until)
            std::this_thread::sleep_for(20us);
    }

    /// The two stations' runs: each books every slot of ROOM1 in turn, and then takes two
    /// units of POOL twice in every pool slot, both at the same moments.
    int station(int id) {
        Declining user;
        store::setQuestions(&user);
        auto s = childStation();
        if (!s) return 1;
        Tally& tally = shared->tally[id];
        for (int i = 0; i < kSaves; ++i) {
            meet(id, i + 1);
            save(*s->db, user, tally, "ROOM1", 1, slotDate(i), slotStart(i), slotEnd(i));
        }
        for (int j = 0; j < kPoolSlots; ++j) {
            meet(id, kSaves + j + 1);
            for (int twice = 0; twice < 2; ++twice)
                save(*s->db, user, tally, "POOL", 2, slotDate(j), slotStart(j), slotEnd(j));
        }
        s.reset();
        return 0;
    }

    /// Runs `body` in a process of its own; its exit code is the result.
    template <class Body>
    pid_t spawn(Body body) {
        const pid_t pid = fork();
        if (pid == 0) _exit(body());
        return pid;
    }
    /// Waits for a child at most `limit`; one still running then is killed. The exit code,
    /// or -1 when it did not end by itself.
    static int finish(pid_t pid, std::chrono::seconds limit) {
        const auto until = Clock::now() + limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(5ms);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    template <class Done>
    bool waitFor(Done done, std::chrono::seconds limit) {
        const auto until = Clock::now() + limit;
        while (!done())
            if (Clock::now() > until)
                return false;
            else
                std::this_thread::sleep_for(1ms);
        return true;
    }

    /// What is on file, read by the test's own station once the others are done.
    struct OnFile {
        std::vector<store::LONG> bookings;  // ACTIVITY's numbers, in key order
        std::map<store::LONG, std::vector<std::array<store::LONG, 3>>> dates;
        std::map<store::LONG, std::vector<std::pair<std::string, int>>> resources;
    };
    OnFile readAll() {
        OnFile f;
        for (store::Tbl t : {store::Tbl::ACTIVITY, store::Tbl::DATES, store::Tbl::RESACT})
            EXPECT_EQ(store::Level_Benign, a.fm(t).USEFILE());
        store::Engine& e = db.engine();
        store::Table& act = db.table(store::Tbl::ACTIVITY);
        store::Table& dat = db.table(store::Tbl::DATES);
        store::Table& rac = db.table(store::Tbl::RESACT);
        EXPECT_EQ(0, e.set(act, store::ACT::ACTNUMBER_KEY));
        while (e.next(act) == 0) f.bookings.push_back(db.ACT.ACTNUMBER);
        EXPECT_EQ(0, e.set(dat, store::DAT::ACTNUMBER_KEY));
        while (e.next(dat) == 0)
            f.dates[db.DAT.ACTNUMBER].push_back({db.DAT.DATE, db.DAT.TIME, db.DAT.ENDTIME});
        EXPECT_EQ(0, e.set(rac, store::RAC::ACTIVITY_KEY));
        while (e.next(rac) == 0)
            f.resources[db.RAC.ACTNUMBER].push_back({db.RAC.RESOURCE.str(), db.RAC.UNITS});
        return f;
    }
    /// No booking without its occurrences and resources, none of those without a booking,
    /// and no booking number twice.
    static void expectWhole(const OnFile& f) {
        const std::set<store::LONG> numbers(f.bookings.begin(), f.bookings.end());
        EXPECT_EQ(f.bookings.size(), numbers.size()) << "a booking number was given twice";
        for (store::LONG n : numbers) {
            EXPECT_TRUE(f.dates.count(n)) << "booking " << n << " has no occurrences";
            EXPECT_TRUE(f.resources.count(n)) << "booking " << n << " has no resources";
        }
        for (const auto& [n, d] : f.dates)
            EXPECT_TRUE(numbers.count(n)) << d.size() << " occurrences of no booking " << n;
        for (const auto& [n, r] : f.resources)
            EXPECT_TRUE(numbers.count(n)) << r.size() << " resources of no booking " << n;
    }
    /// Units of `resource` booked per (date, start, end) slot, and the overlaps between
    /// occurrences of it that are not of the same slot.
    static std::map<std::array<store::LONG, 3>, int> unitsPerSlot(const OnFile& f,
                                                                  const std::string& resource,
                                                                  int& overlaps) {
        std::vector<std::pair<std::array<store::LONG, 3>, int>> all;
        for (const auto& [n, rs] : f.resources)
            for (const auto& [code, units] : rs)
                if (code == resource && f.dates.count(n))
                    for (const auto& d : f.dates.at(n)) all.push_back({d, units});
        std::map<std::array<store::LONG, 3>, int> slots;
        for (const auto& [d, units] : all) slots[d] += units;
        overlaps = 0;
        // Slots in order of date and start: an overlap lies between slots of one date.
        for (auto x = slots.begin(); x != slots.end(); ++x)
            for (auto y = std::next(x); y != slots.end() && y->first[0] == x->first[0]; ++y)
                if (x->first[1] < y->first[2] && y->first[1] < x->first[2]) ++overlaps;
        return slots;
    }
};

TEST_P(BookingRaceTest, TwoStationsSavingTheSameSlotsNeverBothGetOne) {
    const auto t0 = Clock::now();
    const pid_t first = spawn([&] { return station(0); });
    const pid_t second = spawn([&] { return station(1); });
    ASSERT_NE(-1, first);
    ASSERT_NE(-1, second);
    EXPECT_EQ(0, finish(first, 120s)) << "the first station did not get to its end";
    EXPECT_EQ(0, finish(second, 120s)) << "the second station did not get to its end";
    const double took = std::chrono::duration<double>(Clock::now() - t0).count();

    openAll(a);
    const OnFile f = readAll();
    expectWhole(f);
    int overlaps = 0;
    const auto room = unitsPerSlot(f, "ROOM1", overlaps);
    EXPECT_EQ(0, overlaps);
    // Every slot of the room booked once: by one station or the other, never by both.
    EXPECT_EQ(std::size_t(kSaves), room.size());
    for (const auto& [slot, units] : room) EXPECT_EQ(1, units) << "ROOM1 double-booked";
    const auto pool = unitsPerSlot(f, "POOL", overlaps);
    EXPECT_EQ(std::size_t(kPoolSlots), pool.size());
    // Four saves of two units each in every slot, of which two fit into five units.
    for (const auto& [slot, units] : pool) {
        EXPECT_LE(units, 5) << "POOL over its units on day " << slot[0];
        EXPECT_EQ(4, units) << "POOL on day " << slot[0];
    }

    const Tally& x = shared->tally[0];
    const Tally& y = shared->tally[1];
    EXPECT_EQ(kSaves + 2 * kPoolSlots, x.won + y.won);
    EXPECT_EQ(0, x.failed + y.failed) << x.lastFailure << " / " << y.lastFailure;
    std::printf(
        "  %.1f s: saved %d + %d, declined at the check %d + %d, caught under the lock "
        "%d + %d\n",
        took, x.won.load(), y.won.load(), x.declined.load(), y.declined.load(), x.caught.load(),
        y.caught.load());
}

TEST_P(BookingRaceTest, AStationKilledInTheMiddleOfASaveLeavesNothingAndHoldsNobody) {
    const char* const steps[] = {"ACTIVITY", "DATES", "RESACT"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(steps[i]);
        shared->paused = 0;
        shared->waiting = 0;
        shared->waitedMs = -1;
        shared->lastOutcome = -1;
        // The first station stops inside its save, after writing the records of one table.
        const pid_t killed = spawn([&] {
            Declining user;
            store::setQuestions(&user);
            auto s = childStation();
            if (!s) return 1;
            save(*s->db, user, shared->tally[0], "ROOM1", 1, slotDate(i), slotStart(i), slotEnd(i),
                 [&](const char* table) {
                     if (std::strcmp(table, steps[i]) != 0) return;
                     shared->paused = 1;
                     for (;;) pause();
                 });
            return 2;  // the save was meant to stop
        });
        ASSERT_NE(-1, killed);
        ASSERT_TRUE(waitFor([&] { return shared->paused.load() == 1; }, 30s))
            << "the first station never got into its save";
        // The second saves the same slot meanwhile and waits for the lock.
        const pid_t other = spawn([&] {
            Declining user;
            store::setQuestions(&user);
            auto s = childStation();
            if (!s) return 1;
            shared->waiting = 1;
            const auto began = Clock::now();
            const OkOutcome outcome = save(*s->db, user, shared->tally[1], "ROOM1", 1, slotDate(i),
                                           slotStart(i), slotEnd(i));
            shared->waitedMs =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count();
            shared->lastOutcome = int(outcome);
            return 0;
        });
        ASSERT_NE(-1, other);
        ASSERT_TRUE(waitFor([&] { return shared->waiting.load() == 1; }, 30s));
        std::this_thread::sleep_for(300ms);
        kill(killed, SIGKILL);
        EXPECT_EQ(-1, finish(killed, 10s));
        EXPECT_EQ(0, finish(other, 30s));
        // Once the station is gone its lock goes with it: the other saves within its wait.
        EXPECT_EQ(int(OkOutcome::Completed), shared->lastOutcome.load())
            << shared->tally[1].lastFailure;
        EXPECT_LT(shared->waitedMs.load(), 3000);
    }
    openAll(a);
    const OnFile f = readAll();
    expectWhole(f);
    int overlaps = 0;
    const auto room = unitsPerSlot(f, "ROOM1", overlaps);
    EXPECT_EQ(0, overlaps);
    // Each slot holds the second station's booking alone.
    EXPECT_EQ(3u, room.size());
    EXPECT_EQ(3u, f.bookings.size());
    for (const auto& [slot, units] : room) EXPECT_EQ(1, units);
}

TEMBRIX_ON_BOTH_STORES(BookingRaceTest);

}  // namespace
}  // namespace booking::test

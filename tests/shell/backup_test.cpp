#include "shell/backup.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "../store/store_fixture.h"

namespace shell {
namespace {

namespace fs = std::filesystem;
using store::Date;
using store::Level_Benign;
using store::Tbl;
using store::Time;
using store::test::Station;
using store::test::TempDir;

const Date kToday = Date::fromMDY(3, 12, 2025);
const Date kYesterday = kToday.addDays(-1);

/// A data folder with the single SYSPREF record, one user and one client, and a clock
/// that the test sets.
class BackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        seed(24, kYesterday, Time::fromHMS(10, 0));
        addClient(a, "Alpha");
        addUser(a, "ALICE");
    }
    void TearDown() override { store::setClock({}); }

    void setNow(Date d, Time t) {
        store::setClock([d, t] { return store::ClockReading{d, t}; });
    }
    void seed(int hours, Date last, Time lastTime) {
        store::FileManager& fm = a.fm(Tbl::SYSPREF);
        ASSERT_EQ(Level_Benign, fm.OPEN());
        fm.PRIMERECORD();
        a.db->SYP.BACKUPHOURS = store::SHORT(hours);
        a.db->SYP.BACKUPDATE = last.value;
        a.db->SYP.BACKUPTIME = lastTime.value;
        a.db->SYP.HEIGHT = 8;
        ASSERT_EQ(Level_Benign, fm.INSERT()) << user.lastText();
        fm.CLOSE();
    }
    void addClient(Station& s, const char* name) {
        store::FileManager& fm = s.fm(Tbl::CLIENT);
        ASSERT_EQ(Level_Benign, fm.OPEN());
        fm.PRIMERECORD();
        s.db->CLI.CLIENT = name;
        ASSERT_EQ(Level_Benign, fm.INSERT()) << user.lastText();
        fm.CLOSE();
    }
    void addUser(Station& s, const char* name) {
        store::FileManager& fm = s.fm(Tbl::USERS);
        ASSERT_EQ(Level_Benign, fm.OPEN());
        fm.PRIMERECORD();
        s.db->USE.USERNAME = name;
        s.db->USE.PASSWORD = "secret";
        ASSERT_EQ(Level_Benign, fm.INSERT()) << user.lastText();
        fm.CLOSE();
    }
    /// The stamp as stored: "date time" in day number and stored time.
    std::pair<long, long> stamp() {
        Station s(dir.path);
        store::FileManager& fm = s.fm(Tbl::SYSPREF);
        fm.OPEN();
        EXPECT_EQ(Level_Benign, fm.SET(-1));
        EXPECT_EQ(Level_Benign, fm.NEXT());
        return {long(s.db->SYP.BACKUPDATE), long(s.db->SYP.BACKUPTIME)};
    }
    BackupOutcome backupAt(Date d, Time t) {
        setNow(d, t);
        return BACKUPFILES(*a.db, [this](bool on) { busy.push_back(on); });
    }
    bool exists(const char* name) const { return fs::exists(dir.path / name); }

    /// The values of one text field in a copy, read as a store: the copies are put in a
    /// folder of their own under the live files' names.
    template <class Get>
    std::vector<std::string> readCopy(const char* resdata, const char* users, Tbl t, Get get) {
        TempDir copy;
        fs::copy_file(dir.path / resdata, copy.path / "RESDATA.TPS");
        fs::copy_file(dir.path / users, copy.path / "USERS.TPS");
        Station s(copy.path);
        store::FileManager& fm = s.fm(t);
        std::vector<std::string> out;
        EXPECT_EQ(Level_Benign, fm.OPEN()) << user.lastText();
        EXPECT_EQ(Level_Benign, fm.SET(-1)) << user.lastText();
        while (fm.NEXT() == Level_Benign) out.push_back(get(*s.db));
        return out;
    }
    std::vector<std::string> clientsIn(const char* resdata) {
        return readCopy(resdata, "USERS.TPS", Tbl::CLIENT,
                        [](store::Store& db) { return db.CLI.CLIENT.str(); });
    }
    std::vector<std::string> usersIn(const char* users) {
        return readCopy("RESDATA.TPS", users, Tbl::USERS,
                        [](store::Store& db) { return db.USE.USERNAME.str(); });
    }

    TempDir dir;
    store::ScriptedQuestions user;
    Station a{dir.path};
    std::vector<bool> busy;
};

using Strings = std::vector<std::string>;

TEST_F(BackupTest, WaitsForTheConfiguredHoursThenCopiesAndStamps) {
    // 23 hours after the last backup: nothing.
    BackupOutcome o = backupAt(kToday, Time::fromHMS(9, 0));
    EXPECT_EQ(BackupOutcome::NotDue, o.what);
    EXPECT_FALSE(exists("RESDATA.BK1"));
    EXPECT_EQ((std::pair<long, long>{kYesterday.value, Time::fromHMS(10, 0).value}), stamp());
    EXPECT_EQ((std::vector<bool>{true, false}), busy);  // the cursor was shown and removed

    // Exactly 24 hours is not more than 24.
    EXPECT_EQ(BackupOutcome::NotDue, backupAt(kToday, Time::fromHMS(10, 0)).what);

    // 25 hours: copies, and the stamp becomes today 11:00.
    o = backupAt(kToday, Time::fromHMS(11, 0));
    EXPECT_EQ(BackupOutcome::Made, o.what);
    EXPECT_TRUE(o.resdataCopied && o.usersCopied && o.stamped) << user.lastText();
    EXPECT_TRUE(exists("RESDATA.BK1"));
    EXPECT_TRUE(exists("USERS.BK1"));
    EXPECT_FALSE(exists("RESDATA.BK1.part"));
    EXPECT_EQ((std::pair<long, long>{kToday.value, Time::fromHMS(11, 0).value}), stamp());
    EXPECT_TRUE(user.asked.empty()) << user.lastText();
}

TEST_F(BackupTest, ClosesEveryTableBeforeCopying) {
    ASSERT_EQ(Level_Benign, a.rm(Tbl::CLIENT).OPEN());
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
    a.fm(Tbl::USERS).OPEN();
    backupAt(kToday, Time::fromHMS(11, 0));
    for (int t = 0; t < store::kTableCount; ++t) {
        EXPECT_EQ(0, a.fm(Tbl(t)).openCount()) << t;
        EXPECT_FALSE(a.fm(Tbl(t)).reallyOpen()) << t;
    }
}

TEST_F(BackupTest, FirstBackupOfANewStoreMakesTheNewestCopies) {
    store::FileManager& fm = a.fm(Tbl::SYSPREF);
    fm.OPEN();
    ASSERT_EQ(Level_Benign, fm.SET(-1));
    ASSERT_EQ(Level_Benign, fm.NEXT());
    a.db->SYP.BACKUPDATE = 0;  // as seeded: never backed up
    a.db->SYP.BACKUPTIME = 0;
    ASSERT_EQ(Level_Benign, fm.UPDATE());
    fm.CLOSE();

    const BackupOutcome o = backupAt(kToday, Time::fromHMS(8, 0));
    EXPECT_EQ(BackupOutcome::Made, o.what);
    EXPECT_FALSE(exists("RESDATA.BAK"));  // nothing to move there yet, silently
    EXPECT_EQ(Strings{"Alpha"}, clientsIn("RESDATA.BK1"));
    EXPECT_EQ(Strings{"ALICE"}, usersIn("USERS.BK1"));
    EXPECT_TRUE(user.asked.empty()) << user.lastText();
}

TEST_F(BackupTest, KeepsTwoGenerationsOfTheMainFileAndOneOfTheUsers) {
    backupAt(kToday, Time::fromHMS(11, 0));
    addClient(a, "Bravo");
    backupAt(kToday.addDays(2), Time::fromHMS(11, 0));
    addClient(a, "Charlie");
    addUser(a, "BOB");
    const BackupOutcome third = backupAt(kToday.addDays(4), Time::fromHMS(11, 0));
    ASSERT_TRUE(third.resdataCopied && third.usersCopied);

    EXPECT_EQ((Strings{"Alpha", "Bravo"}), clientsIn("RESDATA.BAK"));  // the second's copy
    EXPECT_EQ((Strings{"Alpha", "Bravo", "Charlie"}), clientsIn("RESDATA.BK1"));
    EXPECT_EQ((Strings{"ALICE", "BOB"}), usersIn("USERS.BK1"));
    EXPECT_FALSE(exists("USERS.BAK"));
}

TEST_F(BackupTest, ZeroOrNegativeHoursNeverCopy) {
    for (int hours : {0, -5}) {
        TempDir other;
        Station s(other.path);
        store::FileManager& fm = s.fm(Tbl::SYSPREF);
        ASSERT_EQ(Level_Benign, fm.OPEN());
        fm.PRIMERECORD();
        s.db->SYP.BACKUPHOURS = store::SHORT(hours);
        s.db->SYP.HEIGHT = 8;
        ASSERT_EQ(Level_Benign, fm.INSERT());
        fm.CLOSE();
        setNow(kToday.addDays(1000), Time::fromHMS(11, 0));
        std::vector<bool> cursor;
        const BackupOutcome o = BACKUPFILES(*s.db, [&](bool on) { cursor.push_back(on); });
        EXPECT_EQ(BackupOutcome::Off, o.what);
        EXPECT_FALSE(fs::exists(other.path / "RESDATA.BK1"));
        EXPECT_FALSE(fs::exists(other.path / "USERS.BK1"));
        EXPECT_TRUE(cursor.empty());
        EXPECT_EQ(0, fm.openCount());
    }
}

TEST_F(BackupTest, AStampAheadOfTheClockDoesNotHoldBackupsOff) {
    // A workstation whose clock ran a month ahead made the last backup.
    setNow(kToday.addDays(30), Time::fromHMS(9, 0));
    ASSERT_EQ(BackupOutcome::Made, BACKUPFILES(*a.db).what);
    const BackupOutcome o = backupAt(kToday, Time::fromHMS(9, 0));
    EXPECT_EQ(BackupOutcome::Made, o.what);
    EXPECT_EQ((std::pair<long, long>{kToday.value, Time::fromHMS(9, 0).value}), stamp());
    // From the corrected stamp on, the hours count again.
    EXPECT_EQ(BackupOutcome::NotDue, backupAt(kToday, Time::fromHMS(20, 0)).what);
}

TEST_F(BackupTest, AFailedStepDoesNotStopTheOnesAfterIt) {
    backupAt(kToday, Time::fromHMS(11, 0));
    // Something in the way of the older copy: it can be neither deleted nor replaced.
    fs::create_directories(dir.path / "RESDATA.BAK" / "keep");
    addClient(a, "Bravo");
    const BackupOutcome o = backupAt(kToday.addDays(2), Time::fromHMS(11, 0));
    EXPECT_TRUE(o.resdataCopied && o.usersCopied && o.stamped);
    EXPECT_TRUE(fs::is_directory(dir.path / "RESDATA.BAK"));
    EXPECT_EQ((Strings{"Alpha", "Bravo"}), clientsIn("RESDATA.BK1"));
    EXPECT_EQ(kToday.addDays(2).value, stamp().first);
}

TEST_F(BackupTest, TheUsersCopyNeedsTheOwnerPassword) {
    backupAt(kToday, Time::fromHMS(11, 0));
    // Without the password the copy is no readable database.
    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2((dir.path / "USERS.BK1").c_str(), &raw,
                                         SQLITE_OPEN_READONLY, nullptr));
    const int rc =
        sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    EXPECT_EQ(SQLITE_NOTADB, rc);
    sqlite3_close(raw);
    std::ifstream in(dir.path / "USERS.BK1", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(std::string::npos, bytes.find("ALICE"));
    EXPECT_EQ(std::string::npos, bytes.find("SQLite format"));
    // With it, the store reads the users back.
    EXPECT_EQ(Strings{"ALICE"}, usersIn("USERS.BK1"));
}

TEST_F(BackupTest, ACopyTakenDuringAnotherStationsTransactionIsConsistent) {
    Station b(dir.path);
    store::FileManager& clients = b.fm(Tbl::CLIENT);
    ASSERT_EQ(Level_Benign, clients.OPEN());
    ASSERT_EQ(Level_Benign, clients.USEFILE());
    ASSERT_EQ(0, b.db->engine().begin(2));
    for (const char* name : {"Uncommitted 1", "Uncommitted 2"}) {
        clients.PRIMERECORD();
        b.db->CLI.CLIENT = name;
        ASSERT_EQ(Level_Benign, clients.INSERT());
    }
    // The other station's transaction is still open while the copy is taken.
    const std::string copy = (dir.path / "RESDATA.BK1").string();
    ASSERT_EQ(0, a.db->engine().copyFile(store::StoreFile::RESDATA, copy))
        << a.db->engine().status().text;
    ASSERT_EQ(0, b.db->engine().commit());

    sqlite3* raw = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(copy.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr));
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &st, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(st));
    EXPECT_STREQ("ok", reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(raw);
    // The copy holds what was committed when it was taken, the live file what is now.
    EXPECT_EQ(Strings{"Alpha"}, clientsIn("RESDATA.BK1"));
    EXPECT_EQ((Strings{"Alpha", "Uncommitted 1", "Uncommitted 2"}), clientsIn("RESDATA.TPS"));
}

TEST_F(BackupTest, CopiesAreRefusedInsideATransactionAndLeaveTheOldCopy) {
    backupAt(kToday, Time::fromHMS(11, 0));
    const auto before = fs::last_write_time(dir.path / "RESDATA.BK1");
    ASSERT_EQ(0, a.db->engine().begin(2));
    EXPECT_EQ(
        store::TransactionActiveErr,
        a.db->engine().copyFile(store::StoreFile::RESDATA, (dir.path / "RESDATA.BK1").string()));
    a.db->engine().rollback();
    EXPECT_EQ(before, fs::last_write_time(dir.path / "RESDATA.BK1"));
    // A copy that cannot be written leaves nothing behind.
    EXPECT_EQ(store::FileSystemErr,
              a.db->engine().copyFile(store::StoreFile::RESDATA,
                                      (dir.path / "missing" / "RESDATA.BK1").string()));
    EXPECT_FALSE(fs::exists(dir.path / "missing"));
}

// A store kept on a server is backed up as folder files, which restore into a folder.
TEST(ServerBackupTest, CopiesTheServersStoreAsFolderFiles) {
    TempDir dir;
    store::test::ServerDatabase server(dir.path, store::test::StoreKind::Server);
    server.require();
    if (IsSkipped() || HasFatalFailure()) return;
    store::ScriptedQuestions user;
    Station a(dir.path);
    store::FileManager& sysPref = a.fm(Tbl::SYSPREF);
    ASSERT_EQ(Level_Benign, sysPref.OPEN());
    sysPref.PRIMERECORD();
    a.db->SYP.BACKUPHOURS = 24;
    a.db->SYP.BACKUPDATE = kYesterday.value;
    a.db->SYP.BACKUPTIME = Time::fromHMS(10, 0).value;
    a.db->SYP.HEIGHT = 8;
    ASSERT_EQ(Level_Benign, sysPref.INSERT()) << user.lastText();
    sysPref.CLOSE();
    for (Tbl t : {Tbl::CLIENT, Tbl::USERS}) {
        store::FileManager& fm = a.fm(t);
        ASSERT_EQ(Level_Benign, fm.OPEN());
        fm.PRIMERECORD();
        if (t == Tbl::CLIENT) a.db->CLI.CLIENT = "Alpha";
        if (t == Tbl::USERS) a.db->USE.USERNAME = "ALICE";
        ASSERT_EQ(Level_Benign, fm.INSERT()) << user.lastText();
        fm.CLOSE();
    }

    store::setClock([] { return store::ClockReading{kToday, Time::fromHMS(11, 0)}; });
    const BackupOutcome o = BACKUPFILES(*a.db, [](bool) {});
    store::setClock({});
    EXPECT_EQ(BackupOutcome::Made, o.what);
    EXPECT_TRUE(o.resdataCopied && o.usersCopied && o.stamped) << user.lastText();

    TempDir restored;
    fs::copy_file(dir.path / "RESDATA.BK1", restored.path / "RESDATA.TPS");
    fs::copy_file(dir.path / "USERS.BK1", restored.path / "USERS.TPS");
    Station s(restored.path);
    EXPECT_FALSE(s.db->engine().onServer());
    for (Tbl t : {Tbl::CLIENT, Tbl::USERS}) {
        store::FileManager& fm = s.fm(t);
        ASSERT_EQ(Level_Benign, fm.OPEN()) << user.lastText();
        ASSERT_EQ(Level_Benign, fm.SET(-1));
        ASSERT_EQ(Level_Benign, fm.NEXT()) << user.lastText();
    }
    EXPECT_EQ("Alpha", s.db->CLI.CLIENT.str());
    EXPECT_EQ("ALICE", s.db->USE.USERNAME.str());
}

}  // namespace
}  // namespace shell

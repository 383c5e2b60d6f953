// Copying a whole store between a folder's files and a server database: every record, key,
// identity and version kept, the copy checked, nothing left behind when it fails; the
// backup of a server store as folder files; the two commands of the converter program.
#include <sstream>

#include "store/record_image.h"
#include "store/sql_backend.h"
#include "store/store_copy.h"
#include "store/store_move.h"
#include "store_fixture.h"

namespace store::test {
namespace {

namespace fs = std::filesystem;

/// A record's fields as text: texts without their padding, numbers as digits.
std::string recordText(const TableDecl& d, const std::byte* rec) {
    std::string s;
    for (const FieldDecl& f : d.fields)
        for (int e = 0; e < f.count; ++e) {
            if (!s.empty()) s += "|";
            if (isText(f.type)) {
                std::string_view v = getText(f, rec, e);
                while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
                s += v;
            } else {
                s += std::to_string(getNumber(f, rec, e));
            }
        }
    return s;
}

/// Every table of a store as text: its records (number, version, fields) in the order they
/// were added, then the record numbers in each key's order.
std::string dump(Engine& e) {
    std::string out;
    for (int i = 0; i < kTableCount; ++i) {
        const TableDecl& d = tableDecl(Tbl(i));
        Table t(d);
        if (e.open(t, false) != 0) {
            out += std::string(d.name) + ": " + e.status().message() + "\n";
            continue;
        }
        for (int key = -1; key < int(d.keys.size()); ++key) {
            out += std::string(d.name) + (key < 0 ? "" : std::string(" ") + d.keys[key].name) + ":";
            EXPECT_EQ(0, e.set(t, key));
            while (e.next(t) == 0) {
                out += " " + std::to_string(t.position().rowid);
                if (key < 0)
                    out += "/" + std::to_string(t.position().version) + "{" +
                           recordText(d, t.buffer()) + "}";
            }
            out += "\n";
        }
    }
    return out;
}

/// A stored text as the store file holds it, trailing blanks and all.
std::string storedText(Engine& e, const char* table, const char* column, long long rowid,
                       const char* schema = "main") {
    std::unique_ptr<sql::Statement> st =
        e.connection().prepare(std::string("SELECT \"") + column + "\" FROM " + schema + ".\"" +
                               table + "\" WHERE _rid = ?1");
    if (!st) return "(cannot read)";
    st->bind(1, rowid);
    std::string v = st->step() == sql::Row ? std::string(st->text(0)) : "(none)";
    st->reset();
    return v;
}

bool holdsStoreFiles(const fs::path& folder) {
    return fs::exists(folder / "RESDATA.TPS") || fs::exists(folder / "USERS.TPS");
}

/// How many tables the server database a folder names holds in the store's two schemas.
long long serverTables(const fs::path& folder) {
    PGconn* c = PQconnectdb(serverOf(folder.string()).c_str());
    PGresult* r = PQexec(c, "SELECT count(*) FROM pg_tables WHERE schemaname IN ('main', 'users')");
    const long long n = PQresultStatus(r) == PGRES_TUPLES_OK ? std::atoll(PQgetvalue(r, 0, 0)) : -1;
    PQclear(r);
    PQfinish(c);
    return n;
}

/// In a test's body: skips (or fails under CI) the rest of the test without the server.
#define REQUIRE_SERVER(db)                                                              \
    do {                                                                                \
        (db).require();                                                                 \
        if (::testing::Test::IsSkipped() || ::testing::Test::HasFatalFailure()) return; \
    } while (0)

class StoreCopyTest : public AnyStoreTest {
  protected:
    void SetUp() override {
        AnyStoreTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) seed();
    }

    /// A store with what keys can get wrong: letter case, descending components, keys that
    /// leave empty values out, texts that end in blanks, users, a deleted record, records
    /// written more than once.
    void seed() {
        openAll(a);
        for (int i = 0; i < kTableCount; ++i) ASSERT_EQ(Level_Benign, a.fm(Tbl(i)).USEFILE());
        for (const char* c : {"Acme", "beta", "ALPHA", "acme works", "Zeta"}) addClient(a, c);
        addBooking(a, 1, "Board meeting", "Acme");
        addBooking(a, 2, "No client", "");  // left out of ACT:CLIENT_KEY
        addBooking(a, 3, "  indented", "beta");
        addDate(a, 1, 80000, 100, 200);
        addDate(a, 1, 80001, 100, 200);
        addDate(a, 3, 79999, 5000, 9000);
        for (const char* r : {"abc", "ABC", "Room 1"}) {  // exact case: three resources
            a.fm(Tbl::RESOURCE).PRIMERECORD();
            db.RES.RESOURCE = r;
            db.RES.NAME = r;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT()) << user.lastText();
        }
        addResAct(a, 1, "abc");
        struct U {
            const char* name;
            const char* last;
            int level;
        };
        for (const U& u : {U{"ZED", "Zebedee", 3}, U{"amy", "Adams", 0}, U{"Bob", "brown", 2}}) {
            a.fm(Tbl::USERS).PRIMERECORD();
            db.USE.USERNAME = u.name;
            db.USE.LASTNAME = u.last;
            db.USE.PASSWORD = "pw";
            db.USE.ACCESSLEVEL = u.level;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT()) << user.lastText();
        }
        // "Zeta" goes: its number is never handed out again. "beta" is written twice.
        db.CLI.CLIENT = "Zeta";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).DELETERECORD());
        db.CLI.CLIENT = "beta";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
        for (const char* phone : {"1", "22"}) {
            db.CLI.PHONE = phone;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).UPDATE()) << user.lastText();
        }
        // A text stored with blanks at its end (by another program): kept as it is.
        ASSERT_EQ(0,
                  db.engine().connection().exec(
                      "UPDATE main.\"CLIENT\" SET \"CONTACT\" = 'Jo  ' WHERE \"CLIENT\" = 'Acme'"));
    }

    /// A folder of the test whose store is a server database of its own.
    struct ServerFolder {
        TempDir dir;
        ServerDatabase server{dir.path, StoreKind::Server};
        Engine engine{dir.path.string()};
    };
};

TEST_P(StoreCopyTest, RoundTripOverTheServerKeepsEveryRecordKeyAndVersion) {
    ServerFolder middle;
    REQUIRE_SERVER(middle.server);
    TempDir back;
    std::vector<StoreCopyProgress> heard;
    StoreCopyOptions o;
    o.progress = [&](const StoreCopyProgress& p) { heard.push_back(p); };
    StoreCopyResult r = copyStore(db.engine(), middle.engine, o);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(kTableCount, r.tables);
    EXPECT_EQ(5 - 1 + 3 + 3 + 3 + 1 + 3, r.records);
    Engine last(back.path.string(), sql::makeFileConnection(back.path.string()));
    r = copyStore(middle.engine, last);
    ASSERT_TRUE(r.ok()) << r.message;

    const std::string before = dump(db.engine());
    EXPECT_EQ(before, dump(middle.engine));
    EXPECT_EQ(before, dump(last));
    EXPECT_NE(std::string::npos, before.find("{Acme|Jo|")) << before;  // the dump shows fields
    const long long acme = [&] {
        Table t(tableDecl(Tbl::CLIENT));
        EXPECT_EQ(0, last.open(t, false));
        EXPECT_EQ(0, last.set(t, -1));
        EXPECT_EQ(0, last.next(t));
        return t.position().rowid;
    }();
    EXPECT_EQ("Jo  ", storedText(last, "CLIENT", "CONTACT", acme));
    // A password reaches the server sealed and comes back into a folder as it was typed.
    EXPECT_EQ(0u, storedText(middle.engine, "USERS", "PASSWORD", 1, "users").find("$tbx1$"));
    EXPECT_EQ("pw", storedText(last, "USERS", "PASSWORD", 1, "users"));
    // Progress named the tables and ended at their totals; the check walked the keys.
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(std::any_of(heard.begin(), heard.end(), [](const StoreCopyProgress& p) {
        return p.phase == StoreCopyProgress::Phase::Checking && p.key == "USE:LastName_key";
    }));

    // The folder's users file is encrypted as the program makes it.
    const std::string users = readFile(back.file("USERS.TPS"));
    EXPECT_EQ(std::string::npos, users.find("SQLite format"));
    EXPECT_EQ(std::string::npos, users.find("Zebedee"));

    // The copy opens as a store: its users are found, and the next client gets a number
    // above the deleted one's.
    Station s(back.path);
    openAll(s);
    s.db->USE.USERNAME = "zed";
    EXPECT_EQ(Level_Benign, s.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ("Zebedee", s.db->USE.LASTNAME.str());
    addClient(s, "Newcomer");
    EXPECT_EQ(6, s.db->table(Tbl::CLIENT).position().rowid);
}

TEST_P(StoreCopyTest, ATargetThatHoldsAStoreIsRefusedAndLeftAsItWas) {
    // A folder with a store of its own.
    TempDir other;
    {
        Station s(other.path);
        openAll(s);
        addClient(s, "Theirs");
    }
    const std::size_t resdata = fileHash(other.file("RESDATA.TPS"));
    Engine folder(other.path.string(), sql::makeFileConnection(other.path.string()));
    StoreCopyResult r = copyStore(db.engine(), folder);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(std::string::npos, r.message.find("already holds a store")) << r.message;
    EXPECT_EQ(resdata, fileHash(other.file("RESDATA.TPS")));

    // A server database with store tables.
    ServerFolder full;
    REQUIRE_SERVER(full.server);
    {
        Station s(full.dir.path);
        openAll(s);
        addClient(s, "Theirs");
    }
    const long long tables = serverTables(full.dir.path);
    ASSERT_GT(tables, 0);
    r = copyStore(db.engine(), full.engine);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(std::string::npos, r.message.find("already holds store tables")) << r.message;
    EXPECT_EQ(tables, serverTables(full.dir.path));
    Station s(full.dir.path);
    openAll(s);
    ASSERT_EQ(Level_Benign, s.fm(Tbl::CLIENT).USEFILE());
    EXPECT_EQ(1, count(s, Tbl::CLIENT));
}

TEST_P(StoreCopyTest, ARecordThatCannotBeCopiedLeavesTheTargetEmpty) {
    // USERS comes last: every table of RESDATA is copied before the damaged record is met.
    ASSERT_EQ(0,
              db.engine().connection().exec("UPDATE users.\"USERS\" SET \"DEPARTMENT\" = '" +
                                            std::string(60, 'x') + "' WHERE \"USERNAME\" = 'Bob'"));
    TempDir folder;
    Engine files(folder.path.string(), sql::makeFileConnection(folder.path.string()));
    StoreCopyResult r = copyStore(db.engine(), files);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(std::string::npos, r.message.find("USERS")) << r.message;
    EXPECT_NE(std::string::npos, r.message.find("USE:DEPARTMENT")) << r.message;
    EXPECT_NE(std::string::npos, r.message.find("longer than its 40")) << r.message;
    EXPECT_FALSE(holdsStoreFiles(folder.path));
    EXPECT_EQ(0, r.records);

    ServerFolder server;
    REQUIRE_SERVER(server.server);
    r = copyStore(db.engine(), server.engine);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(0, serverTables(server.dir.path));
    // Not even the schemas stay: the database is as empty as before.
    EXPECT_EQ("", server.server.exec("CREATE SCHEMA main; CREATE SCHEMA users"));

    // The source was only read, and is usable at once.
    addClient(a, "Still writable");
}

TEST_P(StoreCopyTest, AStoreInTheLayoutOfAnotherReleaseIsNotCopied) {
    ASSERT_EQ(0, db.engine().connection().exec(
                     "UPDATE main.tembrix_layout SET layout = 'CLIENT/1:' WHERE name = 'CLIENT'"));
    TempDir folder;
    Engine files(folder.path.string(), sql::makeFileConnection(folder.path.string()));
    const StoreCopyResult r = copyStore(db.engine(), files);
    EXPECT_EQ(InvalidRecordDeclarationErr, r.code);
    EXPECT_NE(std::string::npos, r.message.find("RESDATA\\!CLIENT is not in today's layout"))
        << r.message;
    EXPECT_FALSE(holdsStoreFiles(folder.path));
}

TEST_P(StoreCopyTest, ACheckThatFindsADifferenceRollsTheCopyBack) {
    StoreCopyOptions o;
    // The copy of "ALPHA" is changed once written, before the check.
    o.beforeCheck = [](Engine& target) {
        Table t(tableDecl(Tbl::CLIENT));
        ASSERT_EQ(0, target.open(t));
        ASSERT_EQ(0, target.set(t, -1));
        for (int i = 0; i < 3; ++i) ASSERT_EQ(0, target.next(t));
        setText(t.decl().field(CLI::PHONE), t.buffer(), "999");
        ASSERT_EQ(0, target.put(t));
    };
    TempDir folder;
    Engine files(folder.path.string(), sql::makeFileConnection(folder.path.string()));
    StoreCopyResult r = copyStore(db.engine(), files, o);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(std::string::npos, r.message.find("checked and differs")) << r.message;
    EXPECT_NE(std::string::npos, r.message.find("CLIENT")) << r.message;
    EXPECT_NE(std::string::npos, r.message.find("another version")) << r.message;
    EXPECT_FALSE(holdsStoreFiles(folder.path));

    // A record lost from the copy is seen by the count.
    o.beforeCheck = [](Engine& target) {
        Table t(tableDecl(Tbl::DATES));
        ASSERT_EQ(0, target.open(t));
        ASSERT_EQ(0, target.set(t, DAT::DATETIME_KEY));
        ASSERT_EQ(0, target.next(t));
        ASSERT_EQ(0, target.erase(t));
    };
    ServerFolder server;
    REQUIRE_SERVER(server.server);
    r = copyStore(db.engine(), server.engine, o);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(std::string::npos, r.message.find("DATES holds 3 records, the copy 2")) << r.message;
    EXPECT_EQ(0, serverTables(server.dir.path));
}

TEST_P(StoreCopyTest, TheCopyDetectsChangesBetweenStationsAsTheStoreDid) {
    ServerFolder target;
    REQUIRE_SERVER(target.server);
    ASSERT_TRUE(copyStore(db.engine(), target.engine).ok());
    Station one(target.dir.path), two(target.dir.path);
    openAll(one);
    openAll(two);
    for (Station* s : {&one, &two}) {
        s->db->CLI.CLIENT = "beta";
        ASSERT_EQ(Level_Benign, s->fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    }
    two.db->CLI.PHONE = "333";
    ASSERT_EQ(Level_Benign, two.fm(Tbl::CLIENT).UPDATE());
    one.db->CLI.PHONE = "444";
    EXPECT_EQ(Level_Notify, one.fm(Tbl::CLIENT).TRYUPDATE());
    EXPECT_EQ(6, one.fm(Tbl::CLIENT).lastError());  // changed by another station
    EXPECT_EQ("333", one.db->CLI.PHONE.str());      // whose values it now shows
}

TEST_P(StoreCopyTest, ABackupOfEitherStoreOpensAsAFolder) {
    TempDir backups, restored;
    ASSERT_EQ(0, db.engine().copyFile(StoreFile::RESDATA, backups.file("RESDATA.BK1")))
        << db.engine().status().message();
    ASSERT_EQ(0, db.engine().copyFile(StoreFile::USERS, backups.file("USERS.BK1")))
        << db.engine().status().message();
    // Nothing but the two backups is left beside them.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(backups.path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"RESDATA.BK1", "USERS.BK1"}), names);
    EXPECT_EQ(std::string::npos, readFile(backups.file("USERS.BK1")).find("Zebedee"));

    fs::copy_file(backups.file("RESDATA.BK1"), restored.file("RESDATA.TPS"));
    fs::copy_file(backups.file("USERS.BK1"), restored.file("USERS.TPS"));
    Engine folder(restored.path.string());
    EXPECT_EQ(dump(db.engine()), dump(folder));
}

TEST_P(StoreCopyTest, TheCommandsMoveAFolderOntoAServerAndBack) {
    // The commands start from a folder's files; the server store of this test is copied into
    // one first.
    TempDir start;
    if (onServer()) {
        std::ostringstream out, err;
        ASSERT_EQ(0, moveStoreToFolder(serverOf(dir.path.string()), start.path.string(), out, err))
            << err.str();
    } else {
        Engine files(start.path.string(), sql::makeFileConnection(start.path.string()));
        ASSERT_TRUE(copyStore(db.engine(), files).ok());
    }
    const std::size_t resdata = fileHash(start.file("RESDATA.TPS"));
    TempDir spare;
    ServerDatabase server(spare.path, StoreKind::Server);
    REQUIRE_SERVER(server);
    const std::string conninfo = serverOf(spare.path.string());

    std::ostringstream out, err;
    ASSERT_EQ(0, moveStoreToServer(start.path.string(), conninfo, out, err)) << err.str();
    EXPECT_EQ(0u, out.str().find("quarnel: Every station must have closed Tembrix")) << out.str();
    EXPECT_NE(std::string::npos, out.str().find("copying RESDATA\\!DATES: 3 records\n"))
        << out.str();
    EXPECT_NE(std::string::npos,
              out.str().find("quarnel: copied 17 records in 19 tables, every key checked"))
        << out.str();
    // The folder names the server now, and keeps its files as they were at the move.
    const std::string serverFile = readFile(start.file(kServerFileName));
    EXPECT_EQ(0u, serverFile.find("# ")) << serverFile;
    EXPECT_NE(std::string::npos, serverFile.find("\n" + conninfo + "\n")) << serverFile;
    EXPECT_EQ(conninfo, serverOf(start.path.string()));
    EXPECT_EQ(resdata, fileHash(start.file("RESDATA.TPS")));
    Station s(start.path);
    openAll(s);
    EXPECT_TRUE(s.db->engine().onServer());
    ASSERT_EQ(Level_Benign, s.fm(Tbl::CLIENT).USEFILE());
    EXPECT_EQ(4, count(s, Tbl::CLIENT));

    // Again: the folder names a server, and the database is not empty.
    std::ostringstream out2, err2;
    EXPECT_EQ(1, moveStoreToServer(start.path.string(), conninfo, out2, err2));
    EXPECT_NE(std::string::npos, err2.str().find("already names a server")) << err2.str();
    fs::remove(start.file(kServerFileName));
    std::ostringstream out3, err3;
    EXPECT_EQ(1, moveStoreToServer(start.path.string(), conninfo, out3, err3));
    EXPECT_NE(std::string::npos, err3.str().find("already holds store tables")) << err3.str();
    EXPECT_FALSE(fs::exists(start.file(kServerFileName)));

    // Back into a new folder, made by the command.
    TempDir parent;
    const std::string again = parent.file("again");
    std::ostringstream out4, err4;
    ASSERT_EQ(0, moveStoreToFolder(conninfo, again, out4, err4)) << err4.str();
    EXPECT_NE(std::string::npos, out4.str().find("copied 17 records in 19 tables")) << out4.str();
    Engine back(again, sql::makeFileConnection(again));
    EXPECT_EQ(dump(db.engine()), dump(back));
    // A folder that holds a store is refused, and one the command made goes again.
    std::ostringstream out5, err5;
    EXPECT_EQ(1, moveStoreToFolder(conninfo, again, out5, err5));
    EXPECT_NE(std::string::npos, err5.str().find("already holds RESDATA.TPS")) << err5.str();
    std::ostringstream out6, err6;
    EXPECT_EQ(1, moveStoreToFolder(conninfo + " dbname=no_such_database", parent.file("none"), out6,
                                   err6));
    EXPECT_NE(std::string::npos, err6.str().find("the store was not copied")) << err6.str();
    EXPECT_FALSE(fs::exists(parent.file("none")));
}

// A backup of a server store reads a snapshot: stations go on booking while it is taken, and
// what they write after its start is not in it.
using ServerBackupTest = StoreCopyTest;

TEST_P(ServerBackupTest, StationsGoOnWritingWhileABackupIsTaken) {
    Station b(dir.path);
    openAll(b);
    ASSERT_EQ(Level_Benign, b.fm(Tbl::CLIENT).USEFILE());
    b.db->engine().setLockWait(1);
    TempDir backup;
    Engine to(backup.path.string(), sql::makeFileConnection(backup.path.string()));
    StoreCopyOptions o;
    o.snapshot = true;
    bool written = false;
    o.progress = [&](const StoreCopyProgress& p) {
        if (written || p.phase != StoreCopyProgress::Phase::Copying) return;
        written = true;
        b.fm(Tbl::CLIENT).PRIMERECORD();
        b.db->CLI.CLIENT = "Booked meanwhile";
        EXPECT_EQ(0, b.db->engine().add(b.db->table(Tbl::CLIENT)))
            << b.db->engine().status().message();
    };
    const StoreCopyResult r = copyStore(db.engine(), to, o);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_TRUE(written);
    EXPECT_EQ(std::string::npos, dump(to).find("Booked meanwhile"));
    EXPECT_NE(std::string::npos, dump(db.engine()).find("Booked meanwhile"));
}

TEMBRIX_ON_BOTH_STORES(StoreCopyTest);
INSTANTIATE_TEST_SUITE_P(Stores, ServerBackupTest, ::testing::Values(StoreKind::Server),
                         storeKindName);

}  // namespace
}  // namespace store::test

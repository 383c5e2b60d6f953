// The record-file engine and the access objects over it: files and tables, key
// semantics, walking in key order, and what happens with files that are not right.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "store/record_image.h"
#include "store_fixture.h"

namespace store::test {
namespace {

TEST_P(AnyStoreTest, OpeningCreatesBothFilesWithEveryTableEmpty) {
    openAll(a);
    for (int i = 0; i < kTableCount; ++i) {
        ASSERT_EQ(Level_Benign, a.fm(Tbl(i)).USEFILE());
        EXPECT_EQ(0, count(a, Tbl(i))) << tableDecl(Tbl(i)).name;
    }
    // On a server the folder holds its server file and no store file.
    EXPECT_EQ(!onServer(), std::filesystem::exists(dir.file("RESDATA.TPS")));
    EXPECT_EQ(!onServer(), std::filesystem::exists(dir.file("USERS.TPS")));
    EXPECT_TRUE(user.asked.empty()) << user.lastText();
    // A second station finds the tables there and creates nothing.
    Station b(dir.path);
    openAll(b);
    EXPECT_EQ(Level_Benign, b.fm(Tbl::USERS).USEFILE());
}

TEST_F(StoreTest, UsersFileIsEncryptedUnderTheOwnerPassword) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    db.USE.USERNAME = "ZEBEDEE";
    db.USE.PASSWORD = "secretpass";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    const std::string bytes = readFile(dir.file("USERS.TPS"));
    EXPECT_EQ(std::string::npos, bytes.find("SQLite format"));
    EXPECT_EQ(std::string::npos, bytes.find("ZEBEDEE"));
    EXPECT_EQ(std::string::npos, bytes.find("secretpass"));
    // The bookings file is not encrypted.
    EXPECT_EQ(0u, readFile(dir.file("RESDATA.TPS")).find("SQLite format 3"));

    Station b(dir.path);
    b.db->USE.USERNAME = "zebedee";  // user names compare without case
    ASSERT_EQ(Level_Benign, b.rm(Tbl::USERS).OPEN());
    ASSERT_EQ(Level_Benign, b.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ("secretpass", b.db->USE.PASSWORD.str());
}

TEST_P(AnyStoreTest, UniqueKeysRefuseDuplicatesNamingTheKey) {
    openAll(a);
    addClient(a, "Smith & Co");
    // Client names are case-insensitive: another case is the same client.
    a.fm(Tbl::CLIENT).PRIMERECORD();
    db.CLI.CLIENT = "SMITH & CO   ";
    EXPECT_EQ(Level_Notify, a.fm(Tbl::CLIENT).INSERT());
    EXPECT_EQ("Adding this record creates a duplicate entry for the key: Client Alpha",
              user.lastText());
    EXPECT_EQ("Duplicate Key Error", user.asked.back().caption);

    // Resource codes compare exactly: another case is another resource.
    for (const char* code : {"proj", "PROJ", "Proj"}) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        EXPECT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT()) << code;
    }
    EXPECT_EQ((std::vector<std::string>{"PROJ", "Proj", "proj"}),
              walk(a, Tbl::RESOURCE, RES::RESOURCE_KEY, [&] { return db.RES.RESOURCE.str(); }));

    // The second unique key of USERS is named when it is the one duplicated.
    for (const char* name : {"ANNA", "BEN"}) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        db.USE.LASTNAME = "Berg";
        db.USE.FIRSTNAME = "Anna";
        a.fm(Tbl::USERS).INSERT();
    }
    EXPECT_EQ("Adding this record creates a duplicate entry for the key: USE:LastName_key",
              user.lastText());
    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "anna";
    EXPECT_EQ(Level_Notify, a.fm(Tbl::USERS).INSERT());
    EXPECT_EQ("Adding this record creates a duplicate entry for the key: USE:UserName_key",
              user.lastText());
    EXPECT_EQ(1, count(a, Tbl::USERS));

    // The same occurrence twice in one booking is refused; two bookings may share it.
    addDate(a, 7, 80000, 2880001, 3240001);
    addDate(a, 8, 80000, 2880001, 3240001);
    a.fm(Tbl::DATES).PRIMERECORD();
    db.DAT.ACTNUMBER = 7, db.DAT.DATE = 80000, db.DAT.TIME = 2880001, db.DAT.ENDTIME = 3240001;
    EXPECT_EQ(Level_Notify, a.fm(Tbl::DATES).INSERT());
    EXPECT_NE(std::string::npos, user.lastText().find("Actnumber and Date/Time"));
}

TEST_P(AnyStoreTest, AWriteThatFailsInsideATransactionLeavesTheRestOfItStanding) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
    Engine& e = db.engine();
    Table& t = db.table(Tbl::CLIENT);
    ASSERT_EQ(0, e.begin(2));
    for (const char* name : {"Acme", "ACME", "Bravo"}) {
        t.clearBuffer();
        db.CLI.CLIENT = name;
        // The second is the first in another case: refused, and nothing else with it.
        EXPECT_EQ(std::string(name) == "ACME" ? DupKeyErr : 0, e.add(t)) << name;
    }
    ASSERT_EQ(0, e.commit());
    Station b(dir.path);
    openAll(b);
    EXPECT_EQ((std::vector<std::string>{"Acme", "Bravo"}),
              walk(b, Tbl::CLIENT, CLI::CLIENT_KEY, [&] { return b.db->CLI.CLIENT.str(); }));
}

TEST_P(AnyStoreTest, KeysThatExcludeEmptyValuesLeaveSuchRecordsOut) {
    openAll(a);
    addBooking(a, 1, "Board meeting", "Acme");
    addBooking(a, 2, "Cleaning", "");
    addBooking(a, 3, "Audit", "acme");
    // Bookings without a client are not in client order...
    EXPECT_EQ((std::vector<std::string>{"Board meeting", "Audit"}),
              walk(a, Tbl::ACTIVITY, ACT::CLIENT_KEY, [&] { return db.ACT.NAME.str(); }));
    // ...but they are in the other keys.
    EXPECT_EQ(3u, walk(a, Tbl::ACTIVITY, ACT::NAME_KEY, [&] { return db.ACT.NAME.str(); }).size());
    // And a blank key value is never found by fetching.
    db.ACT.CLIENT = "";
    EXPECT_EQ(Level_Notify, a.fm(Tbl::ACTIVITY).TRYFETCH(ACT::CLIENT_KEY));

    // The access-level key includes empty values and runs from the highest level down.
    int n = 0;
    for (int level : {1, 0, 3, 0, 2}) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = "U" + std::to_string(n);
        db.USE.LASTNAME = "L" + std::to_string(n++);
        db.USE.ACCESSLEVEL = BYTE(level);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
    EXPECT_EQ((std::vector<std::string>{"3", "2", "1", "0", "0"}),
              walk(a, Tbl::USERS, USE::ACCESSLEVEL_KEY,
                   [&] { return std::to_string(db.USE.ACCESSLEVEL); }));
    // Backwards from the end: lowest first.
    FileManager& users = a.fm(Tbl::USERS);
    users.SET(USE::ACCESSLEVEL_KEY);
    std::string back;
    while (users.PREVIOUS() == Level_Benign) back += std::to_string(db.USE.ACCESSLEVEL);
    EXPECT_EQ("00123", back);
}

TEST_P(AnyStoreTest, TextsCompareWithoutTrailingBlanksAndKeepTheirWidth) {
    openAll(a);
    addClient(a, "Northwind");
    db.CLI.CLIENT = "Northwind      ";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    EXPECT_EQ(std::string(50 - 9, ' '), std::string(db.CLI.CLIENT.c + 9, 50 - 9));
    // A text longer than its field is cut to the field's width.
    a.fm(Tbl::CLIENT).PRIMERECORD();
    db.CLI.CLIENT = std::string(60, 'x');
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).INSERT());
    db.CLI.CLIENT = std::string(50, 'x');
    EXPECT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
}

TEST_P(AnyStoreTest, FetchClearsTheBufferOnFailureTryFetchKeepsIt) {
    openAll(a);
    addClient(a, "Acme");
    db.CLI.CLIENT = "Nobody";
    db.CLI.PHONE = "555";
    EXPECT_EQ(Level_Notify, a.fm(Tbl::CLIENT).TRYFETCH(CLI::CLIENT_KEY));
    EXPECT_EQ("555", db.CLI.PHONE.str());
    EXPECT_EQ(Level_Notify, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    EXPECT_TRUE(db.CLI.PHONE.blank());
    EXPECT_TRUE(db.CLI.CLIENT.blank());
    EXPECT_TRUE(user.asked.empty());  // no message for a record not found
}

/// Many occurrences in random order, walked in key order both ways and from a value,
/// across the pages the engine reads ahead.
TEST_P(AnyStoreTest, WalksFollowKeyOrderInBothDirectionsAcrossPages) {
    openAll(a);
    std::mt19937 rnd(7);
    struct Occ {
        int act, date, time, end;
    };
    std::vector<Occ> all;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::DATES).USEFILE());
    ASSERT_EQ(0, db.engine().begin(3));
    for (int i = 0; i < 3000; ++i) {
        Occ o{1 + int(rnd() % 500), 80000 + int(rnd() % 60), 1 + int(rnd() % 96) * 90000, 0};
        o.end = o.time + 90000;
        bool dup = std::any_of(all.begin(), all.end(), [&](const Occ& x) {
            return x.act == o.act && x.date == o.date && x.time == o.time;
        });
        if (dup) continue;
        all.push_back(o);
        a.fm(Tbl::DATES).PRIMERECORD();
        db.DAT.ACTNUMBER = o.act, db.DAT.DATE = o.date, db.DAT.TIME = o.time,
        db.DAT.ENDTIME = o.end;
        ASSERT_EQ(0, db.engine().add(db.table(Tbl::DATES)));
    }
    ASSERT_EQ(0, db.engine().commit());
    auto byDateTime = [](const Occ& x, const Occ& y) {
        return std::tie(x.date, x.time, x.end) < std::tie(y.date, y.time, y.end);
    };
    std::stable_sort(all.begin(), all.end(), byDateTime);  // ties stay in the order added

    FileManager& dates = a.fm(Tbl::DATES);
    std::vector<int> forward;
    dates.SET(DAT::DATETIME_KEY);
    while (dates.NEXT() == Level_Benign) forward.push_back(db.DAT.ACTNUMBER);
    ASSERT_EQ(all.size(), forward.size());
    for (std::size_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i].act, forward[i]) << i;
    EXPECT_TRUE(dates.atEnd());

    std::vector<int> backward;
    dates.SET(DAT::DATETIME_KEY);
    while (dates.PREVIOUS() == Level_Benign) backward.push_back(db.DAT.ACTNUMBER);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, backward);

    // From a value: the first record at or after it; then turning round mid-walk.
    db.DAT.DATE = 80030, db.DAT.TIME = 0, db.DAT.ENDTIME = 0;
    dates.SET(DAT::DATETIME_KEY, true);
    auto first = std::find_if(all.begin(), all.end(), [](const Occ& o) { return o.date >= 80030; });
    ASSERT_EQ(Level_Benign, dates.NEXT());
    EXPECT_EQ(first->date, db.DAT.DATE);
    EXPECT_EQ(first->time, db.DAT.TIME);
    for (int i = 0; i < 20; ++i) dates.NEXT();
    const auto at = first + 20;
    EXPECT_EQ(at->act, db.DAT.ACTNUMBER);
    ASSERT_EQ(Level_Benign, dates.PREVIOUS());
    EXPECT_EQ((at - 1)->act, db.DAT.ACTNUMBER);
    ASSERT_EQ(Level_Benign, dates.NEXT());
    EXPECT_EQ(at->act, db.DAT.ACTNUMBER);
}

TEST_P(AnyStoreTest, WritesDuringAWalkAreSeenByTheRestOfTheWalk) {
    openAll(a);
    for (int i = 1; i <= 40; ++i) addDate(a, i, 80000 + i, 2880001, 3240001);
    // Deleting every record while walking the key meets each record once.
    FileManager& dates = a.fm(Tbl::DATES);
    dates.SET(DAT::ACTNUMBER_KEY);
    int seen = 0;
    while (dates.NEXT() == Level_Benign) {
        ++seen;
        if (db.DAT.ACTNUMBER % 2) {
            ASSERT_EQ(Level_Benign, dates.DELETERECORD());
        }
        if (db.DAT.ACTNUMBER == 10) addDate(a, 30 + 100, 80000, 1, 2);  // ahead of the walk
    }
    EXPECT_EQ(41, seen);
    EXPECT_EQ(21, count(a, Tbl::DATES));
}

/// Every key access goes through its index: a walk, a continuation, a seek at a value
/// and a fetch, for every key of every table.
TEST_F(StoreTest, EveryKeyAccessUsesItsIndex) {
    openAll(a);
    for (int i = 0; i < kTableCount; ++i) {
        Table& t = db.table(Tbl(i));
        ASSERT_EQ(Level_Benign, a.fm(Tbl(i)).USEFILE());
        for (int k = 0; k < int(t.decl().keys.size()); ++k) {
            const std::string index = std::string(t.decl().name) + "_" + t.decl().keys[k].name;
            for (const std::string which : {"walk", "after", "before", "value", "fetch"}) {
                const std::string plan = db.engine().queryPlan(t, which, k);
                SCOPED_TRACE(index + " " + which + ":\n" + plan);
                EXPECT_NE(std::string::npos, plan.find("INDEX " + index));
                EXPECT_EQ(std::string::npos, plan.find("TEMP B-TREE"));
                // Only a walk from the very start reads the index from its beginning.
                if (which != "walk") {
                    EXPECT_EQ(std::string::npos, plan.find("SCAN"));
                }
            }
        }
    }
}

TEST_P(AnyStoreTest, AStoredLayoutOtherThanTheDeclaredOneIsRefused) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::DATES).USEFILE());
    // The same folder read with another layout of DATES, as an earlier release wrote it.
    TableDecl old = tableDecl(Tbl::DATES);
    old.fields.pop_back();
    old.recordSize -= 4;
    Engine engine(dir.path.string());
    Table t(old);
    EXPECT_EQ(InvalidRecordDeclarationErr, engine.open(t));
    EXPECT_EQ("Invalid Record Declaration", engine.status().text);
    // The access object ends the program with message 23 and the engine's text.
    Station b(dir.path);
    Table oldTable(old);
    FileManager fm(b.db->engine(), oldTable, b.errors);
    fm.OPEN();
    EXPECT_EQ(Level_Fatal, fm.USEFILE());
    EXPECT_EQ(
        "File (RESDATA\\!DATES) could not be opened.  Error: Invalid Record Declaration (47).  "
        "Press OK to end this application",
        user.lastText());
    EXPECT_EQ(std::vector<int>{3}, b.exits);
}

TEST_P(AnyStoreTest, MissingKeysAreRebuiltOnOpening) {
    openAll(a);
    for (int i = 1; i <= 5; ++i) addDate(a, i, 80000 + i, 2880001, 3240001);
    ASSERT_EQ(0, db.engine().dropKeys(db.table(Tbl::DATES)));
    Station b(dir.path);
    ASSERT_EQ(Level_Benign, b.rm(Tbl::DATES).OPEN());
    ASSERT_EQ(Level_Benign, b.fm(Tbl::DATES).USEFILE());
    EXPECT_EQ("RESDATA\\!DATES key file is invalid. Key must be rebuilt.", user.lastText());
    EXPECT_EQ(5u, walk(b, Tbl::DATES, DAT::DATETIME_KEY, [] { return ""; }).size());
    EXPECT_TRUE(b.exits.empty());
}

TEST_P(AnyStoreTest, OpenCountsKeepATableOpenUntilItsLastUserCloses) {
    FileManager& fm = a.fm(Tbl::SPECIAL);
    ASSERT_EQ(Level_Benign, fm.OPEN());
    ASSERT_EQ(Level_Benign, fm.OPEN());
    EXPECT_FALSE(fm.reallyOpen());  // lazily: opened for real at first use
    ASSERT_EQ(Level_Benign, fm.USEFILE());
    EXPECT_TRUE(fm.reallyOpen());
    fm.CLOSE();
    EXPECT_TRUE(fm.reallyOpen());
    EXPECT_EQ(Level_Benign, fm.SET(SPE::DATE_KEY));
    fm.CLOSE();
    EXPECT_FALSE(fm.reallyOpen());
    // A table used before it was opened is a fault of the program: message 39 ends it.
    EXPECT_EQ(Level_Program, fm.SET(SPE::DATE_KEY));
    EXPECT_EQ(
        "Attempt to use file (RESDATA\\!SPECIAL) before it was opened  Press OK to end "
        "this application",
        user.lastText());
    EXPECT_EQ(std::vector<int>{2}, a.exits);
}

TEST(ServerFileTest, AFolderNamingAnUnreachableServerIsReportedInTheServersWords) {
    TempDir dir;
    std::ofstream(dir.file(kServerFileName))
        << "# the bookings server\n\n  host=/nonexistent-tembrix dbname=x connect_timeout=2  \n";
    // The first line that is neither empty nor a comment, without its blanks.
    EXPECT_EQ("host=/nonexistent-tembrix dbname=x connect_timeout=2", serverOf(dir.path.string()));
    Engine e(dir.path.string());
    EXPECT_TRUE(e.onServer());
    Table t(tableDecl(Tbl::CLIENT));
    EXPECT_EQ(FileSystemErr, e.open(t));
    EXPECT_NE(std::string::npos, e.status().fileText.find("/nonexistent-tembrix"))
        << e.status().fileText;
    EXPECT_EQ(FileSystemErr, e.create(t));
    // Nothing was made in the folder instead.
    EXPECT_FALSE(std::filesystem::exists(dir.file("RESDATA.TPS")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("USERS.TPS")));
    // A folder without a server file keeps its store in its files.
    TempDir plain;
    EXPECT_FALSE(Engine(plain.path.string()).onServer());
}

TEST(ServerFileTest, AServerFileThatNamesNoServerIsRefusedNeverTakenForNone) {
    // A station that took such a folder for one without a server would start a second,
    // empty store in the folder beside the server's.
    TempDir dir;
    std::ofstream(dir.file(kServerFileName)) << "# host=dbserver dbname=tembrix\n\n";
    EXPECT_TRUE(readServerFile(dir.path.string()).present);
    Engine e(dir.path.string());
    EXPECT_TRUE(e.onServer());
    Table t(tableDecl(Tbl::CLIENT));
    EXPECT_EQ(FileSystemErr, e.create(t));
    EXPECT_EQ("The server file " + dir.file(kServerFileName) + " names no server",
              e.status().fileText);
    EXPECT_EQ(FileSystemErr, e.open(t));
    EXPECT_FALSE(std::filesystem::exists(dir.file("RESDATA.TPS")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("USERS.TPS")));
}

// --- files that are not right -----------------------------------------------------------

class BadFileTest : public StoreTest {
  protected:
    /// Opens table t on a fresh station and returns the message shown.
    std::string openMessage(Tbl t, Station& s) {
        s.rm(t).OPEN();
        s.fm(t).USEFILE();
        return user.lastText();
    }
};

TEST_F(BadFileTest, AFileThatIsNotAStoreIsReportedAndLeftAlone) {
    {
        std::ofstream out(dir.file("RESDATA.TPS"));
        out << "These are my holiday notes, not a booking file.\n";
    }
    const std::string before = readFile(dir.file("RESDATA.TPS"));
    Station s(dir.path);
    const std::string msg = openMessage(Tbl::ACTIVITY, s);
    EXPECT_NE(std::string::npos, msg.find("File (RESDATA\\!ACTIVITY) could not be opened."));
    EXPECT_NE(std::string::npos, msg.find("not a database"));
    EXPECT_EQ(std::vector<int>{3}, s.exits);
    EXPECT_EQ(before, readFile(dir.file("RESDATA.TPS")));
}

TEST_F(BadFileTest, ATruncatedStoreIsReportedAndLeftAlone) {
    openAll(a);
    for (int i = 1; i <= 400; ++i) addBooking(a, i, "Some booking with a long name", "");
    a.db.reset();
    std::filesystem::resize_file(dir.file("RESDATA.TPS"),
                                 std::filesystem::file_size(dir.file("RESDATA.TPS")) / 3);
    const std::string before = readFile(dir.file("RESDATA.TPS"));
    Station s(dir.path);
    s.rm(Tbl::ACTIVITY).OPEN();
    Level l = s.fm(Tbl::ACTIVITY).USEFILE();
    if (l == Level_Benign) {
        // The table itself may still open; reading into the lost part must then fail.
        s.fm(Tbl::ACTIVITY).SET(ACT::NAME_KEY);
        do {
            l = s.fm(Tbl::ACTIVITY).NEXT();
        } while (l == Level_Benign);
        EXPECT_NE(Level_Notify, l) << "the walk ended as if the file were whole";
    }
    EXPECT_FALSE(s.exits.empty() && user.asked.empty()) << "nothing was reported";
    EXPECT_EQ(before, readFile(dir.file("RESDATA.TPS")));
}

TEST_F(BadFileTest, AUsersFileThatCannotBeDecryptedIsReportedByName) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::ACTIVITY).USEFILE());
    a.db.reset();
    {
        // A users file under another password: write one with a plain store of its own.
        std::filesystem::remove(dir.file("USERS.TPS"));
        TempDir other;
        Station o(other.path);
        openAll(o);
        o.fm(Tbl::SPECIAL).USEFILE();
        o.db.reset();
        std::filesystem::copy_file(other.file("RESDATA.TPS"), dir.file("USERS.TPS"));
    }
    const std::string before = readFile(dir.file("USERS.TPS"));
    Station s(dir.path);
    const std::string msg = openMessage(Tbl::USERS, s);
    SCOPED_TRACE(msg);
    EXPECT_NE(std::string::npos, msg.find("File (USERS\\!USERS) could not be opened."));
    EXPECT_NE(std::string::npos, msg.find("encrypted or is not a database"));
    EXPECT_EQ(std::vector<int>{3}, s.exits);
    EXPECT_EQ(before, readFile(dir.file("USERS.TPS")));
    // The bookings file is still usable.
    user.clearAsked();
    EXPECT_EQ(Level_Benign, s.fm(Tbl::ACTIVITY).OPEN());
    EXPECT_EQ(Level_Benign, s.fm(Tbl::ACTIVITY).USEFILE());
}

TEST_F(BadFileTest, KeysAreNotBuiltOnATableWhoseColumnsAreNotItsOwn) {
    openAll(a);
    addClient(a, "Acme");
    a.db.reset();
    {
        // CLIENT put back by hand with other columns and no keys; the layout catalogue still
        // names today's layout, so only the keys look missing.
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(dir.file("RESDATA.TPS").c_str(), &raw));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(raw,
                                          "DROP TABLE CLIENT;"
                                          "CREATE TABLE CLIENT (_rid INTEGER PRIMARY KEY, "
                                          "_ver INTEGER, NAME TEXT, PHONE TEXT);"
                                          "INSERT INTO CLIENT VALUES (1, 1, 'Acme', '');"
                                          "INSERT INTO CLIENT VALUES (2, 1, 'Bolt', '');",
                                          nullptr, nullptr, nullptr));
        sqlite3_close(raw);
    }
    const std::size_t before = fileHash(dir.file("RESDATA.TPS"));
    Engine engine(dir.path.string());
    Table t(tableDecl(Tbl::CLIENT));
    EXPECT_EQ(KeysMustBeRebuiltErr, engine.open(t));
    // A key on a column that is not there would index its name as a constant.
    EXPECT_EQ(InvalidRecordDeclarationErr, engine.buildKeys(t));
    EXPECT_EQ(before, fileHash(dir.file("RESDATA.TPS")));

    // Opening it says why, ends the program, and leaves the file as it was.
    Station s(dir.path);
    const std::string msg = openMessage(Tbl::CLIENT, s);
    EXPECT_EQ("RESDATA\\!CLIENT key file is invalid. Key must be rebuilt.", user.texts().at(0));
    EXPECT_EQ(
        "Error: (Invalid Record Declaration (47)) repairing key for RESDATA\\!CLIENT.  Press OK "
        "to end this application",
        msg);
    EXPECT_EQ(std::vector<int>{3}, s.exits);
    EXPECT_EQ(before, fileHash(dir.file("RESDATA.TPS")));

    // A table that is not there at all has no keys to build either.
    TableDecl missing = tableDecl(Tbl::SPECIAL);
    missing.name = "NOSUCHTABLE";
    Table none(missing);
    EXPECT_EQ(FileNotFoundErr, engine.buildKeys(none));
}

TEST_F(BadFileTest, AReadOnlyStoreIsOpenedForReadingWithMessage2) {
    openAll(a);
    addClient(a, "Acme");
    a.db.reset();
    const std::string before = readFile(dir.file("RESDATA.TPS"));
    Station s(dir.path, EngineOptions{.readOnly = true});
    s.rm(Tbl::CLIENT).OPEN();
    EXPECT_EQ(Level_Benign, s.fm(Tbl::CLIENT).USEFILE());
    EXPECT_EQ("Could not get write access to RESDATA\\!CLIENT so trying read-only.",
              user.lastText());
    EXPECT_EQ(1u, walk(s, Tbl::CLIENT, CLI::CLIENT_KEY, [] { return ""; }).size());
    s.fm(Tbl::CLIENT).PRIMERECORD();
    s.db->CLI.CLIENT = "New";
    EXPECT_EQ(Level_Notify, s.fm(Tbl::CLIENT).INSERT());
    EXPECT_NE(std::string::npos, user.lastText().find("Access Denied (5)"));
    EXPECT_EQ(before, readFile(dir.file("RESDATA.TPS")));
}

TEST_F(BadFileTest, ATableMissingFromAReadOnlyStoreCannotBeCreated) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
    a.db.reset();
    Station s(dir.path, EngineOptions{.readOnly = true});
    const std::string msg = openMessage(Tbl::SPECIAL, s);
    EXPECT_EQ(
        "Error: (Access Denied (5)) creating RESDATA\\!SPECIAL.  Press OK to end this "
        "application",
        msg);
}

}  // namespace
}  // namespace store::test

namespace store::test {
namespace {

TEST(FileSystemErrorTest, ErrorsOfTheFileSystemCarryItsOwnCodeAndText) {
    ScriptedQuestions user;
    Station s("/tmp/tembrix-no-such-folder/deeper");
    s.rm(Tbl::ACTIVITY).OPEN();
    EXPECT_EQ(Level_Fatal, s.fm(Tbl::ACTIVITY).USEFILE());
    EXPECT_EQ(
        "Error: (No such file or directory (2)) creating RESDATA\\!ACTIVITY.  Press OK to "
        "end this application",
        user.lastText());
    EXPECT_FALSE(std::filesystem::exists("/tmp/tembrix-no-such-folder"));
}

}  // namespace
}  // namespace store::test

namespace store::test {
namespace {

TEST_P(AnyStoreTest, ATableThatGoesBeforeItsEngineIsForgotten) {
    openAll(a);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).USEFILE());
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SPECIAL).USEFILE());
    {
        // A second view of a table, as the converter makes for its temporary tables.
        Table extra(tableDecl(Tbl::SPECIAL));
        ASSERT_EQ(0, db.engine().open(extra));
        ASSERT_EQ(0, db.engine().set(extra, SPE::DATE_KEY));
        EXPECT_EQ(RecordNotAvailableErr, db.engine().next(extra));
    }
    // A rollback visits every table the engine looks after: the one gone is not among them.
    ASSERT_EQ(0, db.engine().begin(2));
    addClient(a, "Acme");
    EXPECT_EQ(0, db.engine().rollback());
    EXPECT_EQ(0, count(a, Tbl::CLIENT));
}

TEMBRIX_ON_BOTH_STORES(AnyStoreTest);

}  // namespace
}  // namespace store::test

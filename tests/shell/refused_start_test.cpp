// A start that ends before anybody logged in: refused data, a refused users file and a
// cancelled log-in leave every file of the folder byte for byte as they were.
#include <sqlite3.h>

#include <fstream>
#include <map>

#include "converter/releases.h"
#include "converter/sample_store.h"
#include "shell/app.h"
#include "shell/backup.h"
#include "shell/frame.h"
#include "shell/login.h"
#include "shell/startup.h"
#include "shell_fixture.h"
#include "store/engine.h"

namespace shell::test {
namespace {

using namespace store;

class RefusedStartTest : public ShellTest {
  protected:
    using Folder = std::map<std::string, std::size_t>;

    void SetUp() override {
        ShellTest::SetUp();
        // A store of today whose internal backup is due: it has never been made.
        ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
        CLOSESTORE(*db);
        db.reset();
    }

    /// Every file of the folder with a digest of its bytes.
    Folder snapshot() const {
        Folder files;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file())
                files[e.path().filename().string()] = store::test::fileHash(e.path().string());
        return files;
    }

    /// Runs SQL on a store file as a hand or another program would.
    void rawSql(const char* file, const std::string& sql, bool users = false) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open((dir / file).c_str(), &raw));
        // The users file is encrypted under the built-in owner password.
        const std::string key = users ? "PRAGMA key = 'Vortam';" : "";
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(raw, (key + sql).c_str(), nullptr, nullptr, nullptr))
            << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }

    /// Opens the frame as the program does, with the backup at its close, and lets it go.
    /// Returns whether the frame got as far as a logged-in user.
    bool start() {
        reopen();
        MAIN frame(*db, *ini);
        frame.onClosed = [this] { BACKUPFILES(*db); };
        typeLogin("NOBODY", "wrong");  // should the log-in window open after all
        const bool ok = frame.INIT();
        refused = frame.refused();
        return ok;
    }
    bool refused = false;
};

TEST_F(RefusedStartTest, OldDataIsLeftAsItWasEvenWhenTheBackupIsDue) {
    // The clients table as release 3.1 laid it out; the preferences are of today's layout,
    // so a backup at the end could read them, copy the files and stamp the preferences.
    rawSql("RESDATA.TPS", "DROP TABLE CLIENT;");
    {
        converter::SampleStore earlier(converter::Release::R31);
        Engine engine(dir.string());
        Table clients(*earlier.layout("CLIENT"));
        ASSERT_EQ(0, engine.create(clients));
    }
    const Folder before = snapshot();
    EXPECT_FALSE(start());
    EXPECT_TRUE(refused);
    EXPECT_EQ(kOldFormatMessage, user.lastText());
    // No stamp in RESDATA.TPS, no RESDATA.BK1 or USERS.BK1, no tembrixm.INI.
    EXPECT_EQ(before, snapshot());
    EXPECT_TRUE(exits.empty());
}

TEST_F(RefusedStartTest, AUsersFileOfAnotherLayoutIsRefusedUnchanged) {
    // USERS put back by hand with columns of its own and no keys; the catalogue still
    // names today's layout, so the file looks like one whose keys must be rebuilt.
    rawSql("USERS.TPS",
           "DROP TABLE USERS;"
           "CREATE TABLE USERS (_rid INTEGER PRIMARY KEY AUTOINCREMENT, _ver INTEGER NOT NULL "
           "DEFAULT 1, LOGIN TEXT NOT NULL DEFAULT '', SECRET TEXT NOT NULL DEFAULT '');"
           "INSERT INTO USERS (LOGIN, SECRET) VALUES ('MARTA', 'tulip77');",
           true);
    const Folder before = snapshot();
    EXPECT_FALSE(start());
    EXPECT_TRUE(refused);
    ASSERT_FALSE(user.texts().empty());
    EXPECT_EQ("USERS\\!USERS key file is invalid. Key must be rebuilt.", user.texts().front());
    EXPECT_EQ(
        "Error: (Invalid Record Declaration (47)) repairing key for USERS\\!USERS.  Press OK to "
        "end this application",
        user.lastText());
    // The program ends with a code that says it did not succeed.
    EXPECT_EQ(std::vector<int>{Level_Fatal}, exits);
    EXPECT_EQ(before, snapshot());
}

TEST_F(RefusedStartTest, ATableWithoutOneOfItsColumnsRefusesTheFileByName) {
    // PASSWORD renamed by hand: its rows and keys stay, the catalogue names today's layout.
    const std::string rename =
        "PRAGMA writable_schema = 1; UPDATE sqlite_master SET sql = replace(sql, "
        "'\"PASSWORD\"', '\"PASSWORX\"') WHERE name = 'USERS'; PRAGMA writable_schema = 0;";
    rawSql("USERS.TPS", rename, true);
    const Folder before = snapshot();
    EXPECT_FALSE(start());
    EXPECT_TRUE(refused);
    EXPECT_EQ(std::vector<std::string>{damagedFileMessage(
                  (dir / "USERS.TPS").string(),
                  "is damaged: in its table USERS the column PASSWORD is missing",
                  "the backup USERS.BK1")},
              user.texts());
    EXPECT_EQ(before, snapshot());
    // Had the start gone on, the name of the missing column would have been its value.
    reopen();
    db->Relate(Tbl::SYSPREF).OPEN();
    db->Relate(Tbl::USERS).OPEN();
    LoginCheck check(*db);
    EXPECT_NE(LoginCheck::Admitted, check.TRY(kAdministrator, "PASSWORD"));
    EXPECT_NE(LoginCheck::Admitted, check.TRY(kAdministrator, kAdministratorPassword));
    db.reset();
    EXPECT_EQ(before, snapshot());

    // The system preferences without one of the organisation's terms.
    rawSql("USERS.TPS",
           "PRAGMA writable_schema = 1; UPDATE sqlite_master SET sql = replace(sql, "
           "'\"PASSWORX\"', '\"PASSWORD\"') WHERE name = 'USERS';",
           true);
    rawSql("RESDATA.TPS",
           "PRAGMA writable_schema = 1; UPDATE sqlite_master SET sql = replace(sql, "
           "'\"LABELS1_2\"', '\"PLURAL\"') WHERE name = 'SYSPREF';");
    user.clearAsked();
    const Folder second = snapshot();
    EXPECT_FALSE(start());
    EXPECT_EQ((dir / "RESDATA.TPS").string() +
                  " is damaged: in its table SYSPREF the column "
                  "LABELS1_2 is missing",
              user.lastText().substr(9, user.lastText().find(". Nothing") - 9));
    EXPECT_NE(std::string::npos, user.lastText().find("RESDATA.BK1"));
    EXPECT_EQ(second, snapshot());
}

TEST_F(RefusedStartTest, AUsersFileLostBesideDataIsReportedAndNeverSeededAnew) {
    // Enough users for the file to span many pages.
    rawSql("USERS.TPS",
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
           "INSERT INTO USERS (USERNAME, PASSWORD) SELECT 'USER' || i, 'secret' FROM n;",
           true);
    const std::string path = (dir / "USERS.TPS").string();
    const std::string kept = store::test::readFile(path);
    auto restore = [&] { std::ofstream(path, std::ios::binary | std::ios::trunc) << kept; };
    // The start is refused with one message naming the file and its backup; no file of the
    // folder changes, so no users file with the built-in password appears.
    auto expectRefused = [&](const std::string& problem, bool lost = true) {
        SCOPED_TRACE(problem);
        const Folder before = snapshot();
        user.clearAsked();
        EXPECT_FALSE(start());
        EXPECT_TRUE(refused);
        ASSERT_EQ(1u, user.texts().size());
        const std::string text = user.lastText();
        EXPECT_EQ(0u, text.find("The file " + path + " " + problem)) << text;
        EXPECT_EQ(lost, text.find("the built-in password") != std::string::npos) << text;
        EXPECT_NE(std::string::npos, text.find("the backup USERS.BK1 in the same folder")) << text;
        EXPECT_EQ(before, snapshot());
        db.reset();
        EXPECT_EQ(before, snapshot());
    };

    rawSql("USERS.TPS", "DELETE FROM USERS;", true);
    expectRefused("holds no users");
    restore();
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    expectRefused("cannot be read (", false);
    std::filesystem::resize_file(path, 0);
    expectRefused("is empty");
    std::filesystem::remove(path);
    expectRefused("is missing");
    EXPECT_FALSE(std::filesystem::exists(path));

    // Put back from its copy, the users file is used as it was.
    restore();
    user.clearAsked();
    reopen();
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    EXPECT_EQ(301, count(Tbl::USERS));
}

TEST_F(RefusedStartTest, AFileThatCannotBeReadIsNamedOnceByItsPath) {
    for (const char* name : {"USERS.TPS", "RESDATA.TPS"}) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        const std::string kept = store::test::readFile(path);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            << "Not a store: a page of notes saved under the wrong name.\n";
        const Folder before = snapshot();
        user.clearAsked();
        EXPECT_FALSE(start());
        EXPECT_TRUE(refused);
        ASSERT_EQ(1u, user.texts().size());
        const std::string text = user.lastText();
        EXPECT_EQ(0u, text.find("The file " + path + " cannot be read (")) << text;
        EXPECT_NE(std::string::npos, text.find("not a database")) << text;
        EXPECT_EQ(std::string::npos, text.find("?mode=")) << text;
        EXPECT_NE(std::string::npos,
                  text.find(std::string(name).substr(0, std::string(name).find('.')) + ".BK1"))
            << text;
        EXPECT_TRUE(exits.empty());
        db.reset();
        EXPECT_EQ(before, snapshot());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << kept;
    }
}

TEST_F(RefusedStartTest, AFolderThatCannotBeWrittenIsAskedAboutOnce) {
    reopen();
    for (int i = 0; i < kTableCount; ++i) {
        db->Relate(Tbl(i)).OPEN();
        ASSERT_EQ(Level_Benign, db->Access(Tbl(i)).USEFILE());
    }
    db.reset();
    const Folder before = snapshot();
    auto readOnlyStart = [&] {
        db.reset();
        db = std::make_unique<Store>(dir.string(), errors, EngineOptions{.readOnly = true});
        db->DCTINIT();
        user.clearAsked();
        return OPENSTORE(*db);
    };
    // One question for the folder, then every table opens for reading without a word.
    ASSERT_EQ(StoreStart::Ready, readOnlyStart());
    EXPECT_EQ(std::vector<std::string>{readOnlyFolderQuestion(dir.string())}, user.texts());
    EXPECT_EQ(Icon::Question, user.asked.back().icon);
    for (int i = 0; i < kTableCount; ++i) {
        db->Relate(Tbl(i)).OPEN();
        EXPECT_EQ(Level_Benign, db->Access(Tbl(i)).USEFILE()) << tableDecl(Tbl(i)).name;
    }
    EXPECT_EQ(1u, user.texts().size()) << user.lastText();
    // Nothing can be written.
    db->Access(Tbl::CLIENT).PRIMERECORD();
    db->CLI.CLIENT = "New";
    EXPECT_NE(0, db->engine().add(db->table(Tbl::CLIENT)));
    CLOSESTORE(*db);

    // No: the program goes no further.
    user.answer(BUTTON_NO);
    EXPECT_EQ(StoreStart::Stopped, readOnlyStart());
    EXPECT_EQ(1u, user.texts().size());
    db.reset();
    EXPECT_EQ(before, snapshot());
    EXPECT_TRUE(exits.empty());
}

TEST_F(RefusedStartTest, ACancelledLogInWritesNoPlacementAndNoBackup) {
    const Folder before = snapshot();
    EXPECT_FALSE(start());
    EXPECT_FALSE(refused);
    EXPECT_EQ("Login Failed", user.lastText());
    EXPECT_EQ(before, snapshot());

    // Once somebody has logged in, closing the frame keeps its placement and backs up.
    reopen();
    {
        MAIN frame(*db, *ini);
        frame.onClosed = [this] { BACKUPFILES(*db); };
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        frame.close();
    }
    const Folder after = snapshot();
    EXPECT_EQ(1u, after.count("tembrixm.INI"));
    EXPECT_EQ(1u, after.count("RESDATA.BK1"));
    EXPECT_EQ(1u, after.count("USERS.BK1"));
}

}  // namespace
}  // namespace shell::test

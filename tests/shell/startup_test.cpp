// Start-up: the old-format refusal, first-use seeding, and the rules of logging in.
#include "shell/startup.h"

#include "shell/change_password.h"
#include "shell_fixture.h"
#include "store/engine.h"
#include "store/server_config.h"

#include <cstdlib>
#include <fstream>

namespace shell::test {
namespace {

using namespace store;

TEST_P(ShellOnBothTest, AnEmptyStoreIsSeededOnceWithWhatEveryStoreNeeds) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    EXPECT_TRUE(user.asked.empty()) << user.lastText();
    EXPECT_EQ(1, count(Tbl::SYSPREF));
    EXPECT_EQ(4320401, db->SYP.STARTTIME);
    EXPECT_EQ(180001, db->SYP.DURATION);
    EXPECT_EQ(90001, db->SYP.INTERVAL);
    EXPECT_EQ("Client", db->SYP.SCANTEXT.str());
    EXPECT_EQ(24, db->SYP.BACKUPHOURS);
    EXPECT_EQ("None", db->SYP.ALERT.str());
    EXPECT_EQ("Bookings", db->SYP.LABELS1_2.str());
    EXPECT_EQ("Clients", db->SYP.LABELS3_2.str());
    EXPECT_EQ(11, count(Tbl::DURLIST));
    EXPECT_EQ(1, count(Tbl::GROUP));
    EXPECT_EQ(1, count(Tbl::CLIENT));
    EXPECT_EQ(1, count(Tbl::USERS));
    EXPECT_EQ(1, count(Tbl::USERPREF));

    // The administrator's preferences follow the system's.
    db->USP.USERNAME = kAdministrator;
    ASSERT_EQ(Level_Benign, db->Access(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ(2880001, db->USP.BEGINDAY);
    EXPECT_EQ(8, db->USP.HEIGHT);
    db->USE.USERNAME = kAdministrator;
    ASSERT_EQ(Level_Benign, db->Access(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ(3, db->USE.ACCESSLEVEL);
    EXPECT_EQ("8260947315", db->USE.PASSWORD.str());

    // A second start finds everything in place and adds nothing.
    CLOSESTORE(*db);
    reopen();
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    EXPECT_EQ(11, count(Tbl::DURLIST));
    EXPECT_EQ(1, count(Tbl::GROUP));
    EXPECT_EQ(1, count(Tbl::CLIENT));
    EXPECT_EQ(1, count(Tbl::USERS));
    EXPECT_EQ(1, count(Tbl::SYSPREF));
}

TEST_F(ShellTest, DataOfAnEarlierReleaseIsRefusedAndLeftAlone) {
    {
        // A system preferences table as an earlier release laid it out.
        TableDecl old = tableDecl(Tbl::SYSPREF);
        old.fields.pop_back();
        old.recordSize -= 1;
        Engine engine(dir.string());
        Table t(old);
        ASSERT_EQ(0, engine.create(t));
    }
    const auto size = std::filesystem::file_size(dir / "RESDATA.TPS");
    EXPECT_EQ(StoreStart::OldFormat, OPENSTORE(*db));
    EXPECT_EQ(
        "Old data format detected. You must run QUARNEL.EXE to convert your data before "
        "running this version of Tembrix.",
        user.lastText());
    EXPECT_EQ(Icon::Exclamation, user.asked.back().icon);
    EXPECT_EQ(size, std::filesystem::file_size(dir / "RESDATA.TPS"));
    EXPECT_FALSE(std::filesystem::exists(dir / "USERS.TPS"));
}

class LoginTest : public ShellOnBothTest {
  protected:
    void SetUp() override {
        ShellOnBothTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
        db->Access(Tbl::USERS).PRIMERECORD();
        db->USE.USERNAME = "MARTA";
        db->USE.LASTNAME = "Lind";
        db->USE.PASSWORD = "tulip77";
        db->USE.ACCESSLEVEL = 1;
        ASSERT_EQ(Level_Benign, db->Access(Tbl::USERS).INSERT());
    }
    void setTries(int tries) {
        ASSERT_TRUE(readSysPref(*db));
        db->SYP.ACCESSTRIES = BYTE(tries);
        ASSERT_EQ(0, db->engine().put(db->table(Tbl::SYSPREF)));
    }
    bool suspended() {
        db->USE.USERNAME = "MARTA";
        db->Access(Tbl::USERS).FETCH(USE::USERNAME_KEY);
        return db->USE.FAILFLAG == 1;
    }
};

TEST_P(LoginTest, TheBuiltInAdministratorLogsInOnANewStore) {
    LoginCheck check(*db);
    EXPECT_EQ(LoginCheck::Admitted, check.TRY("aaaaaaaaaaaaaaa", "8260947315"));
    EXPECT_EQ(kAdministrator, session().GlobalUserName);
    EXPECT_EQ(SystemAdministrator, session().accessLevel);
}

TEST_P(LoginTest, TooManyWrongPasswordsSuspendTheUser) {
    setTries(2);
    LoginCheck check(*db);
    // Unknown names never count.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(LoginCheck::UnknownUser, check.TRY("NOBODY", "x"));
    EXPECT_EQ(LoginCheck::WrongPassword, check.TRY("MARTA", "tulip"));
    EXPECT_EQ(LoginCheck::WrongPassword, check.TRY("MARTA", "Tulip77"));  // exact case
    EXPECT_FALSE(suspended());
    EXPECT_EQ(LoginCheck::NowSuspended, check.TRY("MARTA", "tulip78"));
    EXPECT_TRUE(suspended());
    // Suspended: even the right password is refused, in a new window too.
    LoginCheck again(*db);
    EXPECT_EQ(LoginCheck::Suspended, again.TRY("MARTA", "tulip77"));
    EXPECT_TRUE(session().GlobalUserName.empty());
}

TEST_P(LoginTest, WithoutALimitNobodyIsSuspended) {
    setTries(0);
    LoginCheck check(*db);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(LoginCheck::WrongPassword, check.TRY("MARTA", "no"));
    EXPECT_FALSE(suspended());
    EXPECT_EQ(LoginCheck::Admitted, check.TRY("MARTA", "tulip77   "));  // trailing blanks
    EXPECT_EQ(GeneralUser, session().accessLevel);
}

TEST_P(LoginTest, TheWindowSaysWhatHappened) {
    setTries(2);
    LOGIN login(*db);
    login.show();
    login.userName()->setText("MARTA");
    for (const char* wrong : {"a", "b", "c"}) {
        login.password()->setText(wrong);
        pressButton(&login, "OK");
    }
    EXPECT_EQ((std::vector<std::string>{"Login Failed", "Login Failed",
                                        "Too many password failures, See your System "
                                        "Administrator.",
                                        "Login Failed"}),
              user.texts());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(QDialog::Rejected, login.result());
}

TEST_P(LoginTest, PasswordsAreCheckedAndChangedInATransaction) {
    EXPECT_EQ("Password must be at least 5 characters", passwordProblem("abc", "abc"));
    EXPECT_EQ("Entries do not match. Please try again", passwordProblem("abcde", "abcdf"));
    EXPECT_EQ("", passwordProblem("abcde", "abcde"));
    EXPECT_EQ("Password must be at least 5 characters", passwordProblem("abcd  ", "abcd  "));

    EXPECT_EQ("", SETPASSWORD(*db, "MARTA", "lily1"));
    LoginCheck check(*db);
    EXPECT_EQ(LoginCheck::WrongPassword, check.TRY("MARTA", "tulip77"));
    EXPECT_EQ(LoginCheck::Admitted, check.TRY("MARTA", "lily1"));

    // Another station holding the files: the change is cancelled and nothing written.
    store::test::Station other(dir);
    other.db->Access(Tbl::SPECIAL).OPEN();
    other.db->Access(Tbl::SPECIAL).USEFILE();
    ASSERT_EQ(0, other.db->engine().begin(2));
    EXPECT_EQ("Record Is Already Held (43)", SETPASSWORD(*db, "MARTA", "rose22"));
    other.db->engine().rollback();
    LoginCheck later(*db);
    EXPECT_EQ(LoginCheck::Admitted, later.TRY("MARTA", "lily1"));
}

TEST_P(LoginTest, ChangePasswordWindowRefusesShortAndMismatchedEntries) {
    session().GlobalUserName = "MARTA";
    CHANGEPASSWORD w(*db);
    w.show();
    w.first()->setText("abc");
    w.second()->setText("abc");
    pressButton(&w, "OK");
    EXPECT_EQ("Password must be at least 5 characters", user.lastText());
    EXPECT_TRUE(w.isVisible());
    w.second()->setText("abd");
    pressButton(&w, "OK");
    EXPECT_EQ("Entries do not match. Please try again", user.lastText());
    w.first()->setText("daisy");
    w.second()->setText("daisy");
    pressButton(&w, "OK");
    EXPECT_EQ("Password Changed", user.lastText());
    EXPECT_FALSE(w.isVisible());
    LoginCheck check(*db);
    EXPECT_EQ(LoginCheck::Admitted, check.TRY("MARTA", "daisy"));
}

// A server database keeps the same guard as a folder: users lost beside data are never
// replaced by the built-in administrator.
using ServerStartTest = ShellOnBothTest;

TEST_P(ServerStartTest, UsersLostBesideDataAreReportedAndNeverSeededAnew) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    CLOSESTORE(*db);
    db.reset();
    auto expectRefused = [&](const std::string& problem) {
        SCOPED_TRACE(problem);
        user.clearAsked();
        reopen();
        EXPECT_EQ(StoreStart::Stopped, OPENSTORE(*db));
        ASSERT_EQ(1u, user.texts().size());
        const std::string text = user.lastText();
        EXPECT_EQ(0u, text.find("The users schema of the server database ")) << text;
        EXPECT_NE(std::string::npos,
                  text.find(problem + ", although the bookings schema beside it holds data"))
            << text;
        EXPECT_NE(std::string::npos, text.find("Nothing has been changed.")) << text;
        CLOSESTORE(*db);
        db.reset();
    };
    ASSERT_EQ("", server->exec("DELETE FROM users.\"USERS\""));
    expectRefused("holds no users");
    EXPECT_EQ("", server->exec("SELECT 1 FROM users.\"USERS\" HAVING count(*) = 0"));
    ASSERT_EQ("", server->exec("DROP SCHEMA users CASCADE"));
    expectRefused("is missing");
    EXPECT_NE("", server->exec("SELECT 1 FROM users.\"USERS\""));
}

TEST_P(ServerStartTest, AServerThatCannotBeReachedIsNamedAndNothingIsMade) {
    const char* testServer = std::getenv("TEMBRIX_TEST_SERVER");
    ASSERT_TRUE(testServer);
    std::ofstream((dir / kServerFileName).string(), std::ios::trunc)
        << testServer << " dbname=tembrix_not_made_here\n";
    reopen();
    EXPECT_EQ(StoreStart::Stopped, OPENSTORE(*db));
    ASSERT_EQ(1u, user.texts().size());
    const std::string text = user.lastText();
    EXPECT_EQ(0u, text.find("The server database named in " + (dir / kServerFileName).string() +
                            " cannot be reached ("))
        << text;
    EXPECT_NE(std::string::npos, text.find("\"tembrix_not_made_here\" does not exist")) << text;
    EXPECT_NE(std::string::npos, text.find("Check that file and that the server is running"))
        << text;
    EXPECT_FALSE(std::filesystem::exists(dir / "RESDATA.TPS"));
    EXPECT_FALSE(std::filesystem::exists(dir / "USERS.TPS"));
}

TEMBRIX_ON_BOTH_STORES(ShellOnBothTest);
TEMBRIX_ON_BOTH_STORES(LoginTest);
INSTANTIATE_TEST_SUITE_P(Stores, ServerStartTest,
                         ::testing::Values(::store::test::StoreKind::Server),
                         ::store::test::storeKindName);

}  // namespace
}  // namespace shell::test

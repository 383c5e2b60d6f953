// The frame: log-in on opening, the menu gated by access level, the organisation's terms
// in menus and tips, and the window's placement kept in the configuration file.
#include "shell/frame.h"

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <climits>

#include "shell/app.h"
#include "shell/backup.h"
#include "shell/startup.h"
#include "shell_fixture.h"

namespace shell::test {
namespace {

using namespace store;

class FrameTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        registerShellProcedures();
        // Every procedure of the menu, so that gating alone decides what is enabled.
        for (const char* p :
             {"SYSPREF",        "BROWSEUSERS",    "BROWSEUSERGROUPS", "USERPREF",
              "UPDATEACT",      "BROWSEALL",      "BROWSEBYNAME",     "BATCHDELETE",
              "UPDATERESOURCE", "BROWSERESOURCE", "BROWSEGROUPS",     "REBUILDALL",
              "GROUPUTIL",      "RESUTIL",        "UPDATECLIENT",     "BROWSECLIENT",
              "SCANSINGLE",     "SCANMONTH",      "SCANGROUP",        "SCANGROUPWEEK",
              "SCANGROUPMONTH", "SCANFREE",       "SCANPOOLED",       "FINDFREETIME",
              "CALENDARMAIN",   "HELPCONTENTS",   "HELPSEARCH",       "HELPHOWTO"})
            if (!MAIN::hasProcedure(p))
                MAIN::registerProcedure(p, [this, p](MAIN&, int request) {
                    ran.push_back(std::string(p) + ":" + std::to_string(request));
                });
        ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
        addUser("GENERAL", "Gen", 1);
        addUser("RESADMIN", "Res", 2);
        addUser("VIEWER", "View", 0);
        CLOSESTORE(*db);
        reopen();
    }
    void addUser(const char* name, const char* last, int level) {
        db->Access(Tbl::USERS).PRIMERECORD();
        db->USE.USERNAME = name;
        db->USE.LASTNAME = last;
        db->USE.PASSWORD = "secret1";
        db->USE.ACCESSLEVEL = BYTE(level);
        ASSERT_EQ(Level_Benign, db->Access(Tbl::USERS).INSERT());
    }
    /// The entries that are disabled for a user, as menu paths.
    std::vector<std::string> disabledFor(const char* name) {
        std::vector<std::string> off;
        {
            MAIN frame(*db, *ini);
            typeLogin(name,
                      name == std::string(kAdministrator) ? kAdministratorPassword : "secret1");
            EXPECT_TRUE(frame.INIT()) << name << ": " << user.lastText();
            for (const std::string& p : frame.actionPaths())
                if (!frame.action(p)->isEnabled()) off.push_back(p);
            frame.close();
        }
        reopen();
        return off;
    }
    std::vector<std::string> ran;
};

TEST_F(FrameTest, MenusAreGatedByTheUsersAccessLevel) {
    const std::vector<std::string> general = {
        "File/System preferences",  "File/Users/Add/edit users", "File/Users/User groups",
        "Bookings/Delete by batch", "Resources/Add %1",          "Resources/Rebuild group ALL list",
        "Utilization/%1 group",     "Utilization/One %1",        "Clients/Add %1"};
    EXPECT_EQ(general, disabledFor("GENERAL"));
    EXPECT_EQ(general, disabledFor("VIEWER"));
    EXPECT_EQ((std::vector<std::string>{"File/System preferences", "File/Users/Add/edit users",
                                        "File/Users/User groups", "Bookings/Delete by batch"}),
              disabledFor("RESADMIN"));
    EXPECT_EQ(std::vector<std::string>{}, disabledFor(kAdministrator));
}

TEST_F(FrameTest, EntriesWithoutTheirWindowStayVisibleAndDisabled) {
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    QAction* a = frame.action("Scan/Calendar");
    ASSERT_NE(nullptr, a);
    // Only the test registered it: a procedure nobody registered leaves its entry off.
    EXPECT_TRUE(a->isEnabled());
    EXPECT_TRUE(a->isVisible());
    a->trigger();
    EXPECT_EQ(std::vector<std::string>{"CALENDARMAIN:0"}, ran);
    frame.action("toolbar/New")->trigger();
    frame.action("Bookings/Add %1")->trigger();
    EXPECT_EQ("UPDATEACT:1", ran.back());
    EXPECT_EQ(InsertRecord, session().GlobalRequest);
}

TEST_F(FrameTest, TheOrganisationsTermsAppearInMenusAndTips) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    db->SYP.LABELS1_1 = "Appointment";
    db->SYP.LABELS1_2 = "Appointments";
    db->SYP.LABELS2_1 = "Room";
    db->SYP.LABELS2_2 = "Rooms";
    ASSERT_EQ(0, db->engine().put(db->table(Tbl::SYSPREF)));
    CLOSESTORE(*db);
    reopen();

    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    EXPECT_EQ("Tembrix 3.21d", frame.windowTitle().toStdString());
    auto text = [&](const char* path) { return frame.action(path)->text().toStdString(); };
    EXPECT_EQ("Add appointment", text("Bookings/Add %1"));
    EXPECT_EQ("Browse appointments", text("Bookings/Browse %1"));
    EXPECT_EQ("Room groups", text("Resources/%1 groups"));
    EXPECT_EQ("One room", text("Utilization/One %1"));
    EXPECT_EQ("Appointments", frame.findChild<QMenu*>("Bookings")->title().toStdString());
    EXPECT_EQ("Single room", frame.findChild<QMenu*>("Scan/Single %1")->title().toStdString());
    EXPECT_EQ("Scan appointments of a room for a week",
              frame.action("toolbar/Single week")->toolTip().toStdString());
    EXPECT_EQ("Add a new appointment", frame.action("toolbar/New")->toolTip().toStdString());
}

TEST_F(FrameTest, AFailedLogInEndsTheFrame) {
    MAIN frame(*db, *ini);
    typeLogin("GENERAL", "wrong");
    EXPECT_FALSE(frame.INIT());
    EXPECT_EQ("Login Failed", user.lastText());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.refused());  // not logging in is an ordinary end
}

TEST_F(FrameTest, PlacementIsKeptInSectionMain) {
    {
        MAIN frame(*db, *ini);
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        frame.setGeometry(40, 50, 700, 500);
        frame.close();
    }
    EXPECT_EQ("No", ini->get("Main", "Maximize", ""));
    EXPECT_EQ(700, ini->getInt("Main", "Width"));
    EXPECT_EQ(500, ini->getInt("Main", "Height"));
    EXPECT_EQ(40, ini->getInt("Main", "XPos"));
    reopen();
    {
        MAIN frame(*db, *ini);
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        EXPECT_EQ(QRect(40, 50, 700, 500), frame.geometry());
        frame.showMaximized();
        frame.close();
    }
    // Closed maximised: the flag changes, the normal placement stays as it was.
    EXPECT_EQ("Yes", ini->get("Main", "Maximize", ""));
    EXPECT_EQ(700, ini->getInt("Main", "Width"));
    reopen();
    {
        MAIN frame(*db, *ini);
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        EXPECT_TRUE(frame.isMaximized());
        frame.close();
    }
    // A garbled file is no reason to complain.
    ini->put("Main", "Maximize", "Perhaps");
    ini->put("Main", "Width", "wide");
    reopen();
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());
    EXPECT_FALSE(frame.isMaximized());
}

TEST_F(FrameTest, APlacementLargerThanTheScreenOpensAFrameThatFitsAndCloses) {
    ini->put("Main", "Maximize", "No");
    ini->put("Main", "XPos", 0);
    ini->put("Main", "YPos", 0);
    ini->put("Main", "Width", INT_MAX);
    ini->put("Main", "Height", INT_MAX);
    const std::string before = store::test::readFile(ini->path());
    int screenWidth = 0;
    {
        MAIN frame(*db, *ini);
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        screenWidth = frame.screen()->availableGeometry().width();
        EXPECT_TRUE(frame.screen()->availableGeometry().contains(frame.geometry()))
            << frame.width() << "x" << frame.height();
        EXPECT_EQ(before, store::test::readFile(ini->path()));  // opening only reads
        frame.action("File/Exit")->trigger();
        EXPECT_FALSE(frame.isVisible());
    }
    // What is kept is what the user saw.
    EXPECT_LE(ini->getInt("Main", "Width").value_or(INT_MAX), screenWidth);
}

}  // namespace
}  // namespace shell::test

namespace shell::test {
namespace {

TEST_F(FrameTest, ClosingTheFrameClosesTheTablesThenBacksUp) {
    {
        MAIN frame(*db, *ini);
        frame.onClosed = [this] { BACKUPFILES(*db); };
        typeLogin(kAdministrator, kAdministratorPassword);
        ASSERT_TRUE(frame.INIT());
        frame.action("File/Exit")->trigger();
        EXPECT_FALSE(frame.isVisible());
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "RESDATA.BK1"));
    EXPECT_TRUE(std::filesystem::exists(dir / "USERS.BK1"));
    EXPECT_TRUE(ini->get("Main", "Maximize").has_value());
    // Every table the frame opened is closed again.
    for (int i = 0; i < kTableCount; ++i) EXPECT_EQ(0, db->Access(Tbl(i)).openCount()) << i;
}

}  // namespace
}  // namespace shell::test

// The frame: log-in on opening, the menu gated by access level, the organisation's terms
// in menus and tips, and the window's placement kept in the configuration file.
#include "shell/frame.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
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
        // Every procedure of the menu, so that gating alone decides what is enabled. (Help
        // and the frame's own windows need none.)
        for (const char* p :
             {"SYSPREF",        "BROWSEUSERS",    "BROWSEUSERGROUPS", "USERPREF",
              "UPDATEACT",      "BROWSEALL",      "BROWSEBYNAME",     "BATCHDELETE",
              "UPDATERESOURCE", "BROWSERESOURCE", "BROWSEGROUPS",     "REBUILDALL",
              "GROUPUTIL",      "RESUTIL",        "UPDATECLIENT",     "BROWSECLIENT",
              "SCANSINGLE",     "SCANMONTH",      "SCANGROUP",        "SCANGROUPWEEK",
              "SCANGROUPMONTH", "SCANFREE",       "SCANPOOLED",       "FINDFREETIME",
              "CALENDARMAIN"})
            framework::defineWindow(p, [p](Store&, QWidget*, int request) {
                ranLog().push_back(std::string(p) + ":" + std::to_string(request));
                return int(RequestCompleted);
            });
        ran.clear();
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
    /// What the frame ran: the stand-in windows write here.
    static std::vector<std::string>& ranLog() {
        static std::vector<std::string> log;
        return log;
    }
    std::vector<std::string>& ran = ranLog();
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
    EXPECT_EQ("&Appointments", frame.findChild<QMenu*>("Bookings")->title().toStdString());
    EXPECT_EQ("Single room", frame.findChild<QMenu*>("Scan/Single %1")->title().toStdString());
    EXPECT_EQ("Scan appointments of a room for a week",
              frame.action("toolbar/Single week")->toolTip().toStdString());
    EXPECT_EQ("Add a new appointment", frame.action("toolbar/New")->toolTip().toStdString());
}

/// Every text of the frame's menus and toolbar, one a line: titles, entries and tips.
std::string frameTexts(MAIN& frame) {
    std::string out;
    for (QMenu* m : frame.findChildren<QMenu*>()) out += m->title().toStdString() + "\n";
    for (QAction* a : frame.findChildren<QAction*>())
        out += a->text().toStdString() + " | " + a->toolTip().toStdString() + "\n";
    return out;
}

TEST_F(FrameTest, TheMenusShowTheOrganisationsWordsBeforeLogIn) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    db->SYP.LABELS1_2 = "Sessions";
    db->SYP.LABELS2_1 = "Room";
    ASSERT_EQ(0, db->engine().put(db->table(Tbl::SYSPREF)));
    CLOSESTORE(*db);
    reopen();

    MAIN frame(*db, *ini);
    // A frame not yet opened shows the system's own words.
    EXPECT_EQ(std::string::npos, frameTexts(frame).find('%')) << frameTexts(frame);
    std::string behindLogIn;
    onNextModal([&](QWidget* w) {
        behindLogIn = frameTexts(frame);
        auto* login = qobject_cast<LOGIN*>(w);
        login->userName()->setText(kAdministrator);
        login->password()->setText(kAdministratorPassword);
        pressButton(login, "OK");
    });
    ASSERT_TRUE(frame.INIT());
    EXPECT_EQ(std::string::npos, behindLogIn.find('%')) << behindLogIn;
    EXPECT_NE(std::string::npos, behindLogIn.find("Single room")) << behindLogIn;
}

TEST_F(FrameTest, TheLogInWindowOpensOverTheMiddleOfTheFrame) {
    MAIN frame(*db, *ini);
    QRect login, under;
    onNextModal([&](QWidget* w) {
        login = w->geometry();
        under = frame.geometry();
        pressButton(w, "Cancel");
    });
    EXPECT_FALSE(frame.INIT());
    EXPECT_LE((login.center() - under.center()).manhattanLength(), 4)
        << login.x() << "," << login.y() << " over " << under.x() << "," << under.y();
    EXPECT_TRUE(frame.screen()->availableGeometry().contains(under));
}

TEST_F(FrameTest, FileMenuInCommandOrderAndEveryMenuWithItsAccelerator) {
    ASSERT_EQ(StoreStart::Ready, OPENSTORE(*db));
    // A bookings word whose first letter the Scan menu has already.
    db->SYP.LABELS1_2 = "Sessions";
    db->SYP.LABELS3_2 = "Customers";
    ASSERT_EQ(0, db->engine().put(db->table(Tbl::SYSPREF)));
    CLOSESTORE(*db);
    reopen();
    MAIN frame(*db, *ini);
    typeLogin(kAdministrator, kAdministratorPassword);
    ASSERT_TRUE(frame.INIT());

    std::vector<std::string> file;
    for (QAction* a : frame.findChild<QMenu*>("File")->actions())
        if (!a->isSeparator()) file.push_back(a->text().toStdString());
    EXPECT_EQ((std::vector<std::string>{"Print setup...", "System preferences", "Users",
                                        "User preferences", "Change password", "Exit"}),
              file);

    std::vector<std::string> bar;
    std::string letters;
    for (QAction* a : frame.menuBar()->actions()) {
        const QString t = a->text();
        bar.push_back(t.toStdString());
        ASSERT_TRUE(t.contains('&')) << t.toStdString();
        letters += t[t.indexOf('&') + 1].toLower().toLatin1();
    }
    EXPECT_EQ((std::vector<std::string>{"&File", "S&essions", "&Resources", "&Utilization",
                                        "&Customers", "&Scan", "&Help"}),
              bar);
    // No two menus share a letter.
    std::string sorted = letters;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted.end(), std::adjacent_find(sorted.begin(), sorted.end())) << letters;
}

/// How much a toolbar image stands out on a light bar: the opacity-weighted darkness
/// and colour of its pixels.
double ink(const QPixmap& p) {
    const QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            sum += c.alphaF() * (1.0 - c.valueF() + c.hsvSaturationF()) / 2;
        }
    return sum;
}

TEST_F(FrameTest, EnabledAndDisabledToolbarButtonsAreToldApartAtAGlance) {
    MAIN frame(*db, *ini);
    double faintestEnabled = 1e9, strongestDisabled = 0;
    for (const char* b : {"New", "Browse", "Group day", "Group week", "Group free", "Single week",
                          "Single month"}) {
        const QIcon icon = frame.action(std::string("toolbar/") + b)->icon();
        const double on = ink(icon.pixmap(24, 24, QIcon::Normal));
        const double off = ink(icon.pixmap(24, 24, QIcon::Disabled));
        faintestEnabled = std::min(faintestEnabled, on);
        strongestDisabled = std::max(strongestDisabled, off);
    }
    EXPECT_GT(faintestEnabled, 2 * strongestDisabled);
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

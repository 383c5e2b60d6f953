// The resource, group and user windows driven as a user drives them: typing into entries,
// clicking buttons, tagging rows in the selection lists, with the store checked after.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <functional>

#include "../../store/store_fixture.h"
#include "../../test_app.h"
#include "../../widget_keys.h"
#include "framework/browse.h"
#include "framework/program.h"
#include "masterdata/master_names.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/windows.h"
#include "store/datetime.h"
#include "store/session.h"

namespace store::test {
namespace {

using framework::callWindow;

void key(QWidget* w, int k, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
}

/// Types into an entry as the keyboard would, replacing what it held.
void type(QLineEdit* e, const QString& text) {
    ASSERT_NE(nullptr, e);
    e->setFocus();
    e->selectAll();
    key(e, Qt::Key_Backspace);
    for (QChar c : text)
        key(e, c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : Qt::Key_0, QString(c));
}

template <class T = QWidget>
T* child(QWidget* w, const char* name) {
    return w ? w->findChild<T*>(name) : nullptr;
}

void click(QWidget* w, const char* name) {
    auto* b = child<QPushButton>(w, name);
    ASSERT_NE(nullptr, b) << name;
    ASSERT_TRUE(b->isEnabled()) << name;
    b->click();
}

/// Acts on the window that is modal when the event loop next runs.
void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, qApp, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, w) << "no modal window";
        act(w);
    });
}

/// In a pick list of `rows` rows, tags row `row` with the space bar and takes it with OK.
void tagOneAndTake(QWidget* pick, const char* listName, int rows, int row) {
    auto* list = child<QTableWidget>(pick, listName);
    ASSERT_NE(nullptr, list) << listName;
    ASSERT_EQ(rows, list->rowCount());
    list->setCurrentCell(row, 0);
    key(list, Qt::Key_Space, " ");
    click(pick, "OK");
}

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

class MasterWindowsTest : public StoreTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        openAll(a);
        static bool defined = false;
        if (!defined) {
            masterdata::ui::registerWindows(db);
            defined = true;
        }
        session().GlobalUserName = "ADMIN";
        session().accessLevel = SystemAdministrator;
        a.fm(Tbl::SYSPREF).PRIMERECORD();
        db.SYP.LABELS2_1 = "Resource";
        db.SYP.LABELS2_2 = "Resources";
        db.SYP.HEIGHT = 8;
        db.SYP.STARTTIME = 3240001;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT());
        a.fm(Tbl::GROUP).PRIMERECORD();
        db.GRO.GROUP = masterdata::kAllResources;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).INSERT());
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->testAttribute(Qt::WA_DeleteOnClose) && w->isVisible()) w->close();
        QApplication::processEvents();
    }

    void addUser(const char* name, int level) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        db.USE.PASSWORD = "secret";
        db.USE.ACCESSLEVEL = BYTE(level);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
    void addResource(const char* code, int units = 1) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        db.RES.UNITS = SHORT(units);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
    }
    void authorize(const char* resource, const char* userName) {
        a.fm(Tbl::RESUSER).PRIMERECORD();
        db.RUS.RESOURCE = resource;
        db.RUS.USERNAME = userName;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESUSER).INSERT());
    }
    void addMembership(const char* group, const char* resource) {
        db.GRO.GROUP = group;
        if (a.fm(Tbl::GROUP).TRYFETCH(GRO::GROUP_KEY) != Level_Benign) {
            a.fm(Tbl::GROUP).PRIMERECORD();
            db.GRO.GROUP = group;
            ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUP).INSERT());
        }
        a.fm(Tbl::GROUPRES).PRIMERECORD();
        db.GRP.GROUP = group;
        db.GRP.RESOURCES = resource;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::GROUPRES).INSERT());
    }
    void fetchResource(const char* code) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).FETCH(RES::RESOURCE_KEY));
    }
    std::vector<std::string> rows(Tbl t, int key, std::function<std::string()> get) {
        return walk(a, t, key, get);
    }
    std::vector<std::string> resusers() {
        return rows(Tbl::RESUSER, RUS::RESOURCE_KEY,
                    [&] { return db.RUS.RESOURCE.str() + "/" + db.RUS.USERNAME.str(); });
    }
    std::vector<std::string> memberships() {
        return rows(Tbl::GROUPRES, GRP::GROUP_KEY,
                    [&] { return db.GRP.GROUP.str() + "/" + db.GRP.RESOURCES.str(); });
    }
};

TEST_F(MasterWindowsTest, NewResourceIsSavedWithTwoUsersPickedFromTheGeneralUsers) {
    addUser("MARY", GeneralUser);
    addUser("ANNE", GeneralUser);
    addUser("VIEWER", ViewOnly);
    addUser("BOSS", ResourceAdministrator);
    int listed = -1;
    QString title;
    whenModal([&](QWidget* form) {
        title = form->windowTitle();
        EXPECT_EQ("Record will be Added", child<QLabel>(form, "Status")->text());
        type(child<QLineEdit>(form, "Resource"), "ROOM1");
        whenModal([&](QWidget* pick) {
            // Only general users can be authorized: neither the viewer nor the administrator.
            listed = child<QTableWidget>(pick, "List")->rowCount();
            click(pick, "TagAll");
            click(pick, "OK");
        });
        click(form, "Insert");
        EXPECT_EQ(2, child<QListWidget>(form, "Users")->count());
        click(form, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATERESOURCE", db, nullptr, InsertRecord));
    EXPECT_EQ("Add/Update Resource", title);
    EXPECT_EQ(2, listed);
    EXPECT_TRUE(masterdata::userTags().empty());
    EXPECT_EQ(1, count(a, Tbl::RESOURCE));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/ANNE", "ROOM1/MARY"}), resusers());
    EXPECT_EQ((std::vector<std::string>{"All resources/ROOM1"}), memberships());
}

TEST_F(MasterWindowsTest, AUserAddedByAnotherStationMeanwhileStopsTheSaveWith7) {
    addResource("ROOM1");
    authorize("ROOM1", "MARY");
    Station b(dir.path);
    openAll(b);
    fetchResource("ROOM1");
    whenModal([&](QWidget* form) {
        EXPECT_EQ(1, child<QListWidget>(form, "Users")->count());
        b.fm(Tbl::RESUSER).PRIMERECORD();
        b.db->RUS.RESOURCE = "ROOM1";
        b.db->RUS.USERNAME = "TOM";
        ASSERT_EQ(Level_Benign, b.fm(Tbl::RESUSER).INSERT());
        type(child<QLineEdit>(form, "Name"), "Main hall");
        click(form, "OK");
    });
    EXPECT_EQ(RequestCancelled, callWindow("UPDATERESOURCE", db, nullptr, ChangeRecord));
    EXPECT_EQ("Record changed by another workstation or window. 7", user.lastText());
    EXPECT_EQ(1u, user.asked.size());  // closed without asking to save the changes
    fetchResource("ROOM1");
    EXPECT_TRUE(db.RES.NAME.blank());
    EXPECT_EQ((std::vector<std::string>{"ROOM1/MARY", "ROOM1/TOM"}), resusers());
}

TEST_F(MasterWindowsTest, AGeneralUserLooksAtResourcesAndPicksOnlyAuthorizedOnes) {
    addResource("ROOM1", 4);
    addResource("ROOM2");
    addResource("ROOM3");
    authorize("ROOM1", "MARY");
    authorize("ROOM3", "MARY");
    addMembership("EAST", "ROOM1");
    addMembership("EAST", "ROOM2");
    session().GlobalUserName = "MARY";
    session().accessLevel = GeneralUser;

    fetchResource("ROOM1");
    whenModal([&](QWidget* form) {
        EXPECT_TRUE(child<QLineEdit>(form, "Resource")->isReadOnly());
        EXPECT_TRUE(child<QLineEdit>(form, "Name")->isReadOnly());
        EXPECT_FALSE(child<QWidget>(form, "Units")->isEnabled());
        for (const char* b : {"Insert", "Delete", "AddGroup", "DeleteGroup", "OK"})
            EXPECT_FALSE(child<QPushButton>(form, b)->isEnabled()) << b;
        click(form, "Cancel");
    });
    callWindow("UPDATERESOURCE", db, nullptr, ChangeRecord);

    std::vector<int> shown;
    whenModal([&](QWidget* pick) {
        shown.push_back(child<QTableWidget>(pick, "AllList")->rowCount());
        auto* tabs = child<QTabWidget>(pick, "Tabs");
        EXPECT_EQ("List all resources", tabs->tabText(0));
        child<QComboBox>(pick, "Group")->setCurrentText("EAST");
        shown.push_back(child<QTableWidget>(pick, "GroupList")->rowCount());
        click(pick, "TagAll");  // the "All" tab is in view
        click(pick, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSERESOURCEM", db, nullptr, SelectRecord));
    EXPECT_EQ((std::vector<int>{2, 1}), shown);
    ASSERT_EQ(2u, masterdata::resourceTags().size());
    EXPECT_EQ("ROOM1", masterdata::resourceTags()[0].resource);
    EXPECT_EQ(4, masterdata::resourceTags()[0].units);
    EXPECT_EQ("ROOM3", masterdata::resourceTags()[1].resource);
    masterdata::resourceTags().clear();

    // The browse offers no Insert or Delete either.
    callWindow("BROWSERESOURCE", db, nullptr, NoRequest);
    QWidget* browse = topLevel("BROWSERESOURCE");
    ASSERT_NE(nullptr, browse);
    EXPECT_FALSE(child<QPushButton>(browse, "Insert")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(browse, "Delete")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(browse, "Change")->isEnabled());
    browse->close();
}

TEST_F(MasterWindowsTest, MultipleSelectionTakesTheHighlightedRowWhenNoneIsTicked) {
    addResource("ROOM1");
    addResource("ROOM2");
    addUser("MARY", GeneralUser);
    addUser("ANNE", GeneralUser);
    // A highlighted row and no tick: OK takes the highlighted one.
    whenModal([&](QWidget* pick) {
        child<QTableWidget>(pick, "AllList")->selectRow(1);
        click(pick, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSERESOURCEM", db, nullptr, SelectRecord));
    ASSERT_EQ(1u, masterdata::resourceTags().size());
    EXPECT_EQ("ROOM2", masterdata::resourceTags()[0].resource);
    masterdata::resourceTags().clear();
    whenModal([&](QWidget* pick) {
        child<QTableWidget>(pick, "List")->selectRow(1);
        click(pick, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSEUSERSM", db, nullptr, SelectRecord));
    EXPECT_EQ(std::vector<std::string>{"MARY"}, masterdata::userTags());
    masterdata::userTags().clear();
    // Nothing ticked or highlighted: the user is told, and the window stays for a choice.
    bool stayed = false;
    whenModal([&](QWidget* pick) {
        auto* list = child<QTableWidget>(pick, "AllList");
        list->clearSelection();
        list->setCurrentCell(-1, -1);
        click(pick, "OK");
        stayed = pick->isVisible();
        click(pick, "Cancel");
    });
    EXPECT_EQ(RequestCancelled, callWindow("BROWSERESOURCEM", db, nullptr, SelectRecord));
    EXPECT_TRUE(stayed);
    EXPECT_EQ("Nothing was chosen. Tick one or more lines of the list, or press Cancel.",
              user.lastText());
    EXPECT_TRUE(masterdata::resourceTags().empty());
}

TEST_F(MasterWindowsTest, BrowseShowsEachResourceOnceAndSelectsFromAGroup) {
    addResource("ROOM1");
    addResource("ROOM2");
    for (const char* g : {masterdata::kAllResources, "EAST", "WEST"}) addMembership(g, "ROOM1");
    addMembership("WEST", "ROOM2");
    whenModal([&](QWidget* w) {
        EXPECT_EQ("Browse Resources", w->windowTitle());
        auto* tabs = child<QTabWidget>(w, "Tabs");
        EXPECT_EQ("All resources", tabs->tabText(0));
        EXPECT_EQ("Group resources", tabs->tabText(1));
        EXPECT_EQ(2, child<QTableView>(w, "AllList")->model()->rowCount());
        EXPECT_FALSE(child<QPushButton>(w, "Insert")->isEnabled());  // select mode
        EXPECT_FALSE(child<QPushButton>(w, "PrintAll")->isEnabled());
        tabs->setCurrentIndex(1);
        child<QComboBox>(w, "Group")->setCurrentText("WEST");
        auto* list = child<QTableView>(w, "GroupList");
        ASSERT_EQ(2, list->model()->rowCount());
        EXPECT_EQ("ROOM2", list->model()->index(1, 0).data().toString());
        // The locator finds the resource by its code.
        type(child<QLineEdit>(w, "Locator"), "ROOM2");
        EXPECT_EQ("ROOM2", list->model()->index(list->currentIndex().row(), 0).data().toString());
        click(w, "Select");
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSERESOURCE", db, nullptr, SelectRecord));
    EXPECT_EQ("ROOM2", db.RES.RESOURCE.str());
}

TEST_F(MasterWindowsTest, GroupFormRefusesABlankNameThenSavesPickedResources) {
    addResource("ROOM1");
    addResource("ROOM2");
    whenModal([&](QWidget* form) {
        click(form, "OK");
        EXPECT_EQ("Group must have a name", user.lastText());
        type(child<QLineEdit>(form, "Group"), "EAST");
        whenModal([&](QWidget* pick) { tagOneAndTake(pick, "AllList", 2, 1); });
        click(form, "Insert");
        EXPECT_EQ(1, child<QListWidget>(form, "Members")->count());
        click(form, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATERESOURCEGROUP", db, nullptr, InsertRecord));
    EXPECT_EQ(0, count(a, Tbl::GROUP) - 2);  // the all-resources group and EAST
    EXPECT_EQ((std::vector<std::string>{"EAST/ROOM2"}), memberships());
}

TEST_F(MasterWindowsTest, RebuildAllRunsAsItOpens) {
    addResource("ROOM1");
    addResource("ROOM2");
    addMembership(masterdata::kAllResources, "ROOM1");
    user.answer(BUTTON_YES);
    EXPECT_EQ(RequestCompleted, callWindow("REBUILDALL", db, nullptr, NoRequest));
    EXPECT_EQ((std::vector<std::string>{"All resources/ROOM1", "All resources/ROOM2"}),
              memberships());
    EXPECT_EQ(0u, user.pending());
}

TEST_F(MasterWindowsTest, NewUserAuthorizedForAllResources) {
    addResource("ROOM1");
    addResource("ROOM2");
    whenModal([&](QWidget* form) {
        type(child<QLineEdit>(form, "UserName"), "MARY");
        type(child<QLineEdit>(form, "Password"), "abcd");
        type(child<QLineEdit>(form, "Password2"), "abcd");
        auto* all = child<QCheckBox>(form, "AuthorizeAll");
        EXPECT_EQ("Authorize for all resources", all->text());
        // A view-only user cannot be authorized.
        child<QRadioButton>(form, "Level0")->click();
        EXPECT_FALSE(all->isEnabled());
        child<QRadioButton>(form, "Level1")->click();
        ASSERT_TRUE(all->isEnabled());
        all->click();
        click(form, "OK");
        EXPECT_EQ("Password must be at least 5 characters", user.lastText());
        type(child<QLineEdit>(form, "Password"), "abcde");
        type(child<QLineEdit>(form, "Password2"), "abcde");
        click(form, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATEUSER", db, nullptr, InsertRecord));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/MARY", "ROOM2/MARY"}), resusers());
    db.USE.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ(GeneralUser, db.USE.ACCESSLEVEL);
    EXPECT_EQ("abcde", db.USE.PASSWORD.str());
    db.USP.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ(3240001, db.USP.STARTTIME);
}

TEST_F(MasterWindowsTest, AResourceAdministratorPicksAUserGroupButCannotMakeOne) {
    addUser("MARY", GeneralUser);
    addUser("ANNE", GeneralUser);
    a.fm(Tbl::USERGRP).PRIMERECORD();
    db.USG.GROUP = "NURSES";
    db.USG.LASTCHANGEDBY = "TESTER";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERGRP).INSERT());
    for (const char* n : {"MARY", "ANNE"}) {
        a.fm(Tbl::USGRPUS).PRIMERECORD();
        db.UGU.GROUP = "NURSES";
        db.UGU.USERNAME = n;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USGRPUS).INSERT());
    }
    addResource("ROOM1");
    authorize("ROOM1", "MARY");
    session().accessLevel = ResourceAdministrator;
    fetchResource("ROOM1");
    whenModal([&](QWidget* form) {
        whenModal([&](QWidget* groups) {
            // Who changed the highlighted group last is shown under the list.
            EXPECT_EQ("TESTER", child<QLabel>(groups, "LastChanged")->text());
            EXPECT_FALSE(child<QPushButton>(groups, "Insert")->isEnabled());
            EXPECT_FALSE(child<QPushButton>(groups, "Delete")->isEnabled());
            click(groups, "Select");
        });
        click(form, "AddGroup");
        EXPECT_EQ(2, child<QListWidget>(form, "Users")->count());
        // Adding the same group again changes nothing.
        whenModal([&](QWidget* groups) { click(groups, "Select"); });
        click(form, "AddGroup");
        EXPECT_EQ(2, child<QListWidget>(form, "Users")->count());
        click(form, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATERESOURCE", db, nullptr, ChangeRecord));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/ANNE", "ROOM1/MARY"}), resusers());
}

TEST_F(MasterWindowsTest, UserBrowseOrdersByEachTabAndTheMenuWindowsAreDefined) {
    masterdata::ui::registerWindows(db);
    for (const char* w : {"BROWSEUSERS", "BROWSEUSERGROUPS", "UPDATERESOURCE", "BROWSERESOURCE",
                          "BROWSEGROUPS", "REBUILDALL"})
        EXPECT_TRUE(framework::hasWindow(w)) << w;
    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "ZED";
    db.USE.LASTNAME = "Adams";
    db.USE.PASSWORD = "secret";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    a.fm(Tbl::USERS).PRIMERECORD();
    db.USE.USERNAME = "AMY";
    db.USE.LASTNAME = "Zimmer";
    db.USE.PASSWORD = "secret";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    callWindow("BROWSEUSERS", db, nullptr, NoRequest);
    QWidget* w = topLevel("BROWSEUSERS");
    ASSERT_NE(nullptr, w);
    auto* list = child<QTableView>(w, "List");
    ASSERT_EQ(2, list->model()->rowCount());
    EXPECT_EQ("AMY", list->model()->index(0, 0).data().toString());
    w->findChild<QTabBar*>("Tabs")->setCurrentIndex(1);  // by last name
    EXPECT_EQ("ZED", list->model()->index(0, 0).data().toString());
    EXPECT_EQ("Suspended", list->model()->headerData(5, Qt::Horizontal).toString());
    // The locator searches the tab's own order: last names.
    type(child<QLineEdit>(w, "Locator"), "Zi");
    EXPECT_EQ("AMY", list->model()->index(list->currentIndex().row(), 0).data().toString());
    w->close();
}

TEST_F(MasterWindowsTest, DownInALocatorMovesTheHighlightIntoTheList) {
    for (const char* name : {"AMY", "BOB", "ZED"}) {
        a.fm(Tbl::USERS).PRIMERECORD();
        db.USE.USERNAME = name;
        db.USE.PASSWORD = "secret";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).INSERT());
    }
    callWindow("BROWSEUSERS", db, nullptr, NoRequest);
    QWidget* w = topLevel("BROWSEUSERS");
    ASSERT_NE(nullptr, w);
    auto* list = child<QTableView>(w, "List");
    auto* locator = child<QLineEdit>(w, "Locator");
    type(locator, "BO");
    ASSERT_EQ("BOB", list->currentIndex().data().toString());
    tembrix::test::press(locator, Qt::Key_Down);
    EXPECT_EQ(list, w->focusWidget());
    EXPECT_EQ("ZED", list->currentIndex().data().toString());
    w->close();

    // The resource browse hands Down to the list of the tab shown.
    addResource("ROOM1");
    addResource("ROOM2");
    callWindow("BROWSERESOURCE", db, nullptr, NoRequest);
    QWidget* r = topLevel("BROWSERESOURCE");
    ASSERT_NE(nullptr, r);
    auto* all = child<QTableView>(r, "AllList");
    all->setCurrentIndex({});
    tembrix::test::press(child<QLineEdit>(r, "Locator"), Qt::Key_Down);
    EXPECT_EQ(all, r->focusWidget());
    EXPECT_EQ("ROOM1", all->currentIndex().data().toString());
    r->close();
}

/// Every heading of a list fits its column.
void expectHeadingsFit(QTableView* list) {
    ASSERT_NE(nullptr, list);
    QHeaderView* header = list->horizontalHeader();
    for (int i = 0; i < list->model()->columnCount(); ++i)
        EXPECT_GE(list->columnWidth(i), framework::headingWidth(*header, i))
            << list->model()->headerData(i, Qt::Horizontal).toString().toStdString();
}

TEST_F(MasterWindowsTest, ListsOpenWithColumnsAndRowsTheirContentsNeed) {
    addResource("ROOM1");
    callWindow("BROWSERESOURCE", db, nullptr, NoRequest);
    QWidget* resources = topLevel("BROWSERESOURCE");
    ASSERT_NE(nullptr, resources);
    auto* all = child<QTableView>(resources, "AllList");
    expectHeadingsFit(all);
    // The long name has room for its thirty characters; the units keep to their number.
    EXPECT_GE(all->columnWidth(1), all->fontMetrics().horizontalAdvance(QString(30, 'n')));
    EXPECT_LT(all->columnWidth(2), all->columnWidth(1) / 2);
    expectHeadingsFit(child<QTableView>(resources, "GroupList"));
    resources->close();

    callWindow("BROWSEUSERS", db, nullptr, NoRequest);
    QWidget* users = topLevel("BROWSEUSERS");
    ASSERT_NE(nullptr, users);
    auto* list = child<QTableView>(users, "List");
    expectHeadingsFit(list);
    EXPECT_GE(list->columnWidth(0), list->fontMetrics().horizontalAdvance(QString(15, 'A')));
    users->close();

    // The standard eleven lengths all show, the last one whole.
    for (int minutes : {5, 10, 15, 20, 30, 45, 60, 90, 120, 180, 240}) {
        a.fm(Tbl::DURLIST).PRIMERECORD();
        db.DUR.DURATION = store::lengthFromMinutes(minutes);
        db.DUR.USERNAME = masterdata::kSysPref;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    callWindow("BROWSEDUR2", db, nullptr, NoRequest);
    QWidget* durations = topLevel("BROWSEDUR2");
    ASSERT_NE(nullptr, durations);
    auto* lengths = child<QTableView>(durations, "List");
    ASSERT_EQ(11, lengths->model()->rowCount());
    EXPECT_LE(lengths->visualRect(lengths->model()->index(10, 0)).bottom(),
              lengths->viewport()->height());
    durations->close();
}

TEST_F(MasterWindowsTest, NeitherTheAllResourcesGroupNorTheLoggedInUserCanBeDeleted) {
    addMembership("EAST", "ROOM1");
    callWindow("BROWSEGROUPS", db, nullptr, NoRequest);
    QWidget* groups = topLevel("BROWSEGROUPS");
    ASSERT_NE(nullptr, groups);
    EXPECT_EQ("Browse Resource Groups", groups->windowTitle());
    auto* print = child<QPushButton>(groups, "Print");
    ASSERT_NE(nullptr, print);
    EXPECT_TRUE(print->isVisible());
    EXPECT_FALSE(print->isEnabled());
    auto* list = child<QTableView>(groups, "List");
    ASSERT_EQ(2, list->model()->rowCount());
    list->selectRow(0);
    ASSERT_EQ("All resources", list->model()->index(0, 0).data().toString());
    click(groups, "Delete");
    EXPECT_EQ("The group of all resources cannot be deleted", user.lastText());
    EXPECT_EQ(2, count(a, Tbl::GROUP));
    // Another group goes, with its memberships, once the user confirms.
    list->selectRow(1);
    user.answer(BUTTON_YES);
    click(groups, "Delete");
    EXPECT_EQ(1, count(a, Tbl::GROUP));
    EXPECT_EQ(0, count(a, Tbl::GROUPRES));
    EXPECT_EQ(1, list->model()->rowCount());
    groups->close();

    addUser("ADMIN", SystemAdministrator);
    callWindow("BROWSEUSERS", db, nullptr, NoRequest);
    QWidget* users = topLevel("BROWSEUSERS");
    ASSERT_NE(nullptr, users);
    child<QTableView>(users, "List")->selectRow(0);
    click(users, "Delete");
    EXPECT_EQ("You cannot delete the user you are logged in as", user.lastText());
    EXPECT_EQ(1, count(a, Tbl::USERS));
    users->close();
}

TEST_F(MasterWindowsTest, PrintButtonsHandTheChosenGroupToThePrintout) {
    addResource("ROOM1");
    addMembership("EAST", "ROOM1");
    std::vector<std::string> printed;
    for (const char* name : {"PRINTALLRESOURCES", "PRINTGROUPRESOURCES"})
        framework::defineWindow(name, [&printed, name](Store& d, QWidget*, int) {
            printed.push_back(std::string(name) + " " + d.GRO.GROUP.str());
            return int(RequestCompleted);
        });
    callWindow("BROWSEGROUPS", db, nullptr, NoRequest);
    QWidget* groups = topLevel("BROWSEGROUPS");
    ASSERT_NE(nullptr, groups);
    auto* list = child<QTableView>(groups, "List");
    ASSERT_EQ(2, list->model()->rowCount());
    list->selectRow(1);
    ASSERT_EQ("EAST", list->model()->index(1, 0).data().toString());
    ASSERT_TRUE(child<QPushButton>(groups, "Print")->isEnabled());
    click(groups, "Print");
    groups->close();

    callWindow("BROWSERESOURCE", db, nullptr, NoRequest);
    QWidget* w = topLevel("BROWSERESOURCE");
    ASSERT_NE(nullptr, w);
    ASSERT_TRUE(child<QPushButton>(w, "PrintAll")->isEnabled());
    click(w, "PrintAll");
    child<QTabWidget>(w, "Tabs")->setCurrentIndex(1);
    child<QComboBox>(w, "Group")->setCurrentText("EAST");
    click(w, "PrintGroup");
    w->close();
    for (const char* name : {"PRINTALLRESOURCES", "PRINTGROUPRESOURCES"})
        framework::defineWindow(name, nullptr);
    ASSERT_EQ(3u, printed.size());
    EXPECT_EQ("PRINTGROUPRESOURCES EAST", printed[0]);
    EXPECT_EQ(0u, printed[1].find("PRINTALLRESOURCES"));
    EXPECT_EQ("PRINTGROUPRESOURCES EAST", printed[2]);
}

TEST_F(MasterWindowsTest, ClosingAFormWithAChangedListAsksBeforeLosingIt) {
    addUser("MARY", GeneralUser);
    addResource("ROOM1");
    fetchResource("ROOM1");
    whenModal([&](QWidget* form) {
        whenModal([&](QWidget* pick) {
            click(pick, "TagAll");
            click(pick, "OK");
        });
        click(form, "Insert");
        ASSERT_EQ(1, child<QListWidget>(form, "Users")->count());
        user.answer(BUTTON_CANCEL);  // stay
        click(form, "Cancel");
        EXPECT_EQ("Do you want to save the changes to this record?", user.lastText());
        EXPECT_TRUE(form->isVisible());
        user.answer(BUTTON_NO);  // and now leave without saving
        click(form, "Cancel");
    });
    EXPECT_EQ(RequestCancelled, callWindow("UPDATERESOURCE", db, nullptr, ChangeRecord));
    EXPECT_TRUE(resusers().empty());

    // Answering Yes saves the list.
    fetchResource("ROOM1");
    whenModal([&](QWidget* form) {
        whenModal([&](QWidget* pick) {
            click(pick, "TagAll");
            click(pick, "OK");
        });
        click(form, "Insert");
        user.answer(BUTTON_YES);
        key(form, Qt::Key_Escape);
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATERESOURCE", db, nullptr, ChangeRecord));
    EXPECT_EQ((std::vector<std::string>{"ROOM1/MARY"}), resusers());
}

TEST_F(MasterWindowsTest, UserFormChangesAUserAndFormsRefuseWhatTheLevelDoesNotAllow) {
    addUser("MARY", GeneralUser);
    addResource("ROOM1");
    authorize("ROOM1", "MARY");
    db.USE.USERNAME = "MARY";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    whenModal([&](QWidget* form) {
        EXPECT_EQ("Record Will Be Changed", child<QLabel>(form, "Status")->text());
        // The confirmation starts as the stored password, so other changes need no retyping.
        EXPECT_EQ("secret", child<QLineEdit>(form, "Password2")->text());
        EXPECT_TRUE(child<QRadioButton>(form, "Level1")->isChecked());
        type(child<QLineEdit>(form, "UserName"), "MARIA");
        type(child<QLineEdit>(form, "Department"), "Wards");
        child<QRadioButton>(form, "Level2")->click();
        click(form, "OK");
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATEUSER", db, nullptr, ChangeRecord));
    db.USE.USERNAME = "MARIA";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERS).FETCH(USE::USERNAME_KEY));
    EXPECT_EQ("Wards", db.USE.DEPARTMENT.str());
    EXPECT_EQ(ResourceAdministrator, db.USE.ACCESSLEVEL);
    EXPECT_EQ("ADMIN", db.USE.CHANGENAME.str());
    EXPECT_EQ((std::vector<std::string>{"ROOM1/MARIA"}), resusers());

    // A general user reaching the resource form to add one is refused before it opens.
    session().accessLevel = GeneralUser;
    EXPECT_EQ(RequestCancelled, callWindow("UPDATERESOURCE", db, nullptr, InsertRecord));
    EXPECT_EQ("This form cannot be used to insert a record", user.lastText());
    EXPECT_EQ(RequestCancelled, callWindow("UPDATEUSER", db, nullptr, ChangeRecord));
    EXPECT_EQ("This form cannot be used to update a record", user.lastText());
    EXPECT_EQ(1, count(a, Tbl::RESOURCE));
}

TEST_F(MasterWindowsTest, CaptionsAreTranslatedThenTakeTheOrganisationsWords) {
    addResource("ROOM1");
    db.SYP.LABELS2_1 = "Room";
    db.SYP.LABELS2_2 = "Rooms";
    auto& program = framework::program();
    const auto before = program.translate;
    program.translate = [](const std::string& s) {
        return s == "Browse %1" ? std::string("Look through %1") : s;
    };
    whenModal([&](QWidget* w) {
        EXPECT_EQ("Look through Rooms", w->windowTitle());
        auto* tabs = child<QTabWidget>(w, "Tabs");
        EXPECT_EQ("All rooms", tabs->tabText(0));
        EXPECT_EQ("Group rooms", tabs->tabText(1));
        EXPECT_EQ("Room", child<QTableView>(w, "AllList")->model()->headerData(0, Qt::Horizontal));
        EXPECT_EQ("Select highlighted room", child<QPushButton>(w, "Select")->toolTip());
        click(w, "Close");
    });
    EXPECT_EQ(RequestCancelled, callWindow("BROWSERESOURCE", db, nullptr, SelectRecord));
    program.translate = before;
    // A blank label falls back to the system's own word.
    db.SYP.LABELS2_2 = "";
    callWindow("BROWSERESOURCE", db, nullptr, NoRequest);
    QWidget* w = topLevel("BROWSERESOURCE");
    ASSERT_NE(nullptr, w);
    EXPECT_EQ("Browse Resources", w->windowTitle());
    w->close();
}

TEST_F(MasterWindowsTest, ASystemAdministratorMakesAUserGroupFromTheGroupList) {
    addUser("MARY", GeneralUser);
    addUser("ANNE", GeneralUser);
    callWindow("BROWSEUSERGROUPS", db, nullptr, NoRequest);
    QWidget* groups = topLevel("BROWSEUSERGROUPS");
    ASSERT_NE(nullptr, groups);
    whenModal([&](QWidget* form) {
        EXPECT_EQ("Add/Update User Group", form->windowTitle());
        type(child<QLineEdit>(form, "Group"), "NURSES");
        whenModal([&](QWidget* pick) { tagOneAndTake(pick, "List", 2, 0); });
        click(form, "Insert");
        ASSERT_EQ(1, child<QListWidget>(form, "Members")->count());
        EXPECT_EQ("ANNE", child<QListWidget>(form, "Members")->item(0)->text());
        click(form, "OK");
    });
    click(groups, "Insert");
    auto* list = child<QTableView>(groups, "List");
    ASSERT_EQ(1, list->model()->rowCount());
    EXPECT_EQ("NURSES", list->model()->index(0, 0).data().toString());
    EXPECT_EQ((std::vector<std::string>{"NURSES/ANNE"}), rows(Tbl::USGRPUS, UGU::GROUP_KEY, [&] {
                  return db.UGU.GROUP.str() + "/" + db.UGU.USERNAME.str();
              }));
    // Deleting the group takes its memberships with it.
    user.answer(BUTTON_YES);
    click(groups, "Delete");
    EXPECT_EQ(0, count(a, Tbl::USERGRP));
    EXPECT_EQ(0, count(a, Tbl::USGRPUS));
    groups->close();
}

}  // namespace
}  // namespace store::test

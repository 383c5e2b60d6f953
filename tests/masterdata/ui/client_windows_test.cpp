// The client list and form as users work them: rights by access level, a client added
// from the look-up, duplicates, and deleting a client with its bookings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <algorithm>

#include "../../store/store_fixture.h"
#include "../../test_app.h"
#include "framework/program.h"
#include "masterdata/ui/client_windows.h"
#include "masterdata/ui/windows.h"
#include "store/session.h"
#include "ui_keys.h"

namespace {

using namespace store;
using framework::callWindow;
using masterdata::test::onModal;
using masterdata::test::press;
using masterdata::test::type;

class ClientWindowTest : public store::test::StoreTest {
  protected:
    QApplication& app = tembrix::test::testApplication();
    QWidget owner;
    void SetUp() override {
        tembrix::test::testApplication();
        openAll(a);
        masterdata::ui::defineClientWindows(db);
        session() = Session{};
        session().GlobalUserName = "ANNA";
        addClient(a, "Acme");
        addClient(a, "Zeta Trust");
    }
    void systemPreferences(int clientGeneral) {
        a.fm(Tbl::SYSPREF).PRIMERECORD();
        db.SYP.HEIGHT = 10;
        db.SYP.CLIENTGENERAL = clientGeneral;
        db.SYP.LABELS3_1 = "Patron";
        db.SYP.LABELS3_2 = "Patrons";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT()) << user.lastText();
    }
    static QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(name);
    }
};

TEST_F(ClientWindowTest, AGeneralUserMayAddAndChangeButNotDeleteWhenAllowed) {
    systemPreferences(1);
    session().accessLevel = GeneralUser;
    onModal(&owner, [&](QWidget* w) {
        EXPECT_EQ("Browse Patrons", w->windowTitle().toStdString());
        EXPECT_TRUE(button(w, "Insert")->isEnabled());
        EXPECT_TRUE(button(w, "Change")->isEnabled());
        EXPECT_FALSE(button(w, "Delete")->isEnabled());
        EXPECT_EQ("Add new patron", button(w, "Insert")->toolTip().toStdString());
        // The list's Delete key and pop-up menu offer no more than the buttons do.
        auto* list = w->findChild<QTableView*>("List");
        press(list, Qt::Key_Delete);
        EXPECT_TRUE(user.asked.empty());
        QStringList offered;
        QTimer::singleShot(0, &owner, [&] {
            if (QWidget* menu = QApplication::activePopupWidget()) {
                for (QAction* action : menu->actions()) offered << action->objectName();
                menu->close();
            }
        });
        emit list->customContextMenuRequested(QPoint(5, 5));
        EXPECT_EQ((QStringList{"Select", "Insert", "Change"}), offered);
        // Edit/View opens the highlighted client for change.
        onModal(&owner, [&](QWidget* form) {
            auto* name = form->findChild<QLineEdit*>("Client");
            EXPECT_FALSE(name->isReadOnly());
            EXPECT_EQ("Acme", name->text().toStdString());
            type(name, "Acme Group");
            button(form, "OK")->click();
        });
        button(w, "Change")->click();
        button(w, "Close")->click();
    });
    callWindow("BROWSECLIENT", db, &owner, SelectRecord);
    db.CLI.CLIENT = "Acme Group";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CLIENT).FETCH(CLI::CLIENT_KEY));
    EXPECT_EQ("ANNA", db.CLI.USERNAME.str()) << "the change is stamped with its user";
    EXPECT_NE(0, db.CLI.DATECHANGED);
    // A delete request is refused outright (message 12).
    user.clearAsked();
    EXPECT_EQ(RequestCancelled, callWindow("UPDATECLIENT", db, &owner, DeleteRecord));
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_EQ("This form cannot be used to delete a record", user.asked[0].text);
}

TEST_F(ClientWindowTest, WithoutTheSettingAGeneralUserOnlyReads) {
    systemPreferences(0);
    session().accessLevel = GeneralUser;
    onModal(&owner, [&](QWidget* w) {
        EXPECT_FALSE(button(w, "Insert")->isEnabled());
        EXPECT_FALSE(button(w, "Delete")->isEnabled());
        onModal(&owner, [&](QWidget* form) {
            EXPECT_TRUE(form->findChild<QLineEdit*>("Client")->isReadOnly());
            EXPECT_FALSE(button(form, "OK")->isEnabled());
            button(form, "Cancel")->click();
        });
        button(w, "Change")->click();
        button(w, "Close")->click();
    });
    callWindow("BROWSECLIENT", db, &owner, SelectRecord);
    EXPECT_EQ(RequestCancelled, callWindow("UPDATECLIENT", db, &owner, InsertRecord));
    EXPECT_EQ("This form cannot be used to insert a record", user.lastText());
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
}

TEST_F(ClientWindowTest, AClientAddedFromTheLookUpIsReturnedAtOnce) {
    systemPreferences(1);
    session().accessLevel = GeneralUser;
    bool browseClosed = false;
    onModal(&owner, [&](QWidget* browse) {
        EXPECT_TRUE(button(browse, "Select")->isVisible());
        onModal(&owner, [&](QWidget* form) {
            EXPECT_EQ("Add/Update Patron", form->windowTitle().toStdString());
            type(form->findChild<QLineEdit*>("Client"), "Harbour Lights");
            type(form->findChild<QLineEdit*>("Phone"), "555-1234");
            button(form, "OK")->click();
        });
        button(browse, "Insert")->click();
        browseClosed = !browse->isVisible();
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSECLIENT", db, &owner, SelectRecord));
    EXPECT_TRUE(browseClosed) << "no Select needed after the insert";
    EXPECT_EQ("Harbour Lights", db.CLI.CLIENT.str());
    EXPECT_EQ("555-1234", db.CLI.PHONE.str());
    EXPECT_EQ(3, count(a, Tbl::CLIENT));
}

TEST_F(ClientWindowTest, ADuplicateNameIsRefusedWithMessage13) {
    session().accessLevel = ResourceAdministrator;
    int tries = 0;
    onModal(&owner, [&](QWidget* form) {
        type(form->findChild<QLineEdit*>("Client"), "ZETA TRUST");
        button(form, "OK")->click();
        ++tries;
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(1u, user.asked.size());
        EXPECT_EQ("Duplicate Key Error", user.asked[0].caption);
        // Notes longer than their field are refused rather than cut short.
        type(form->findChild<QLineEdit*>("Client"), "Nova Arts");
        form->findChild<QPlainTextEdit*>("Notes")->setPlainText(QString(1001, 'n'));
        user.clearAsked();
        button(form, "OK")->click();
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(1u, user.asked.size());
        EXPECT_EQ("The notes are too long: they may hold 1000 characters.", user.asked[0].text);
        form->findChild<QPlainTextEdit*>("Notes")->setPlainText(QString(1000, 'n'));
        user.clearAsked();
        // A name that is blank is refused before the store is asked.
        type(form->findChild<QLineEdit*>("Client"), "  ");
        button(form, "OK")->click();
        EXPECT_EQ(1u, user.asked.size());
        EXPECT_TRUE(form->isVisible());
        user.answer(BUTTON_NO);  // do not save the changes
        button(form, "Cancel")->click();
    });
    EXPECT_EQ(RequestCancelled, callWindow("UPDATECLIENT", db, &owner, InsertRecord));
    EXPECT_EQ(1, tries);
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
}

TEST_F(ClientWindowTest, DeletingFromTheListTakesTheBookingsAndTheirResourceRows) {
    session().accessLevel = ResourceAdministrator;
    addBooking(a, 7, "Launch", "Zeta Trust");
    addDate(a, 7, 80100, 2880001, 3240001);
    addResAct(a, 7, "HALL");
    addBooking(a, 8, "Review", "Acme");
    addResAct(a, 8, "ROOM1");
    auto* browse = new masterdata::ui::ClientBrowse(db, false);
    browse->START();
    EXPECT_TRUE(button(browse, "Delete")->isEnabled());
    EXPECT_FALSE(button(browse, "Select")->isVisible());
    browse->list()->selectRow(1);  // Zeta Trust
    user.answer(BUTTON_NO);
    press(browse->list(), Qt::Key_Delete);
    EXPECT_EQ("Are you sure you want to delete the highlighted record?", user.lastText());
    EXPECT_EQ(2, count(a, Tbl::CLIENT));
    user.answer(BUTTON_YES);
    user.answer(BUTTON_YES);  // its booking goes too
    button(browse, "Delete")->click();
    EXPECT_EQ(1, count(a, Tbl::CLIENT));
    EXPECT_EQ(1, count(a, Tbl::ACTIVITY));
    EXPECT_EQ(0, count(a, Tbl::DATES));
    EXPECT_EQ(1, count(a, Tbl::RESACT));
    EXPECT_EQ(1, browse->model().rowCount());
    browse->close();
}

}  // namespace

namespace {

// The registration defines the windows the frame's menu runs and those other windows call.
TEST(MasterWindowRegistration, TheFrameGetsTheClientEntriesAndTheListsAreDefined) {
    tembrix::test::testApplication();
    store::test::TempDir dir;
    store::test::Station a{dir.path};
    masterdata::ui::registerWindows(*a.db);
    for (const char* name : {"UPDATECLIENT", "BROWSECLIENT"})
        EXPECT_TRUE(framework::hasWindow(name)) << name;
    for (const char* name :
         {"BROWSEDUR2", "ADDDURA2", "BROWSEROUTINE2", "ADDROUTINEACT2", "BROWSEDURA", "ADDDURA",
          "BROWSEROUTINE", "ADDROUTINEACT", "UPDATESPECIAL", "FIVEYEAR"})
        EXPECT_TRUE(framework::hasWindow(name)) << name;
}

}  // namespace

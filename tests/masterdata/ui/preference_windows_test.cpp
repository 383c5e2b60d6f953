// The system and user preference windows driven as a user drives them: options that
// enable each other, refusals on OK, look-ups of the default client and resource, the
// maintenance buttons and the lists they open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "../../store/store_fixture.h"
#include "../../test_app.h"
#include "masterdata/preferences.h"
#include "masterdata/ui/preference_windows.h"
#include "masterdata/ui/windows.h"
#include "store/datetime.h"
#include "store/session.h"
#include "ui_keys.h"

namespace {

using namespace store;
using namespace store::test;
using masterdata::test::press;
using masterdata::test::type;
namespace ui = masterdata::ui;

template <class W>
W* child(QWidget* window, const char* name) {
    W* w = window->findChild<W*>(name);
    EXPECT_NE(nullptr, w) << name;
    return w;
}

/// Leaves an entry with Tab, as the user moves on to the next control.
void leave(QLineEdit* entry) {
    // The page holding the entry comes to the front first, as the user clicks its tab.
    if (auto* pages = entry->window()->findChild<QTabWidget*>("Pages"))
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(entry)) pages->setCurrentIndex(i);
    QApplication::setActiveWindow(entry->window());
    entry->setFocus();
    press(entry, Qt::Key_Tab);
    QApplication::processEvents();
}

void click(QWidget* window, const char* name) {
    if (auto* b = child<QPushButton>(window, name)) b->click();
}

class PreferenceWindowsTest : public StoreTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        openAll(a);
        for (int i = 0; i < kTableCount; ++i) ASSERT_EQ(Level_Benign, a.fm(Tbl(i)).USEFILE());
        session() = Session{};
        session().GlobalUserName = "ANN";
        session().accessLevel = SystemAdministrator;
        ui::preferenceHooks() = {};
        ui::definePreferenceWindows(db);

        a.fm(Tbl::SYSPREF).PRIMERECORD();
        masterdata::seedSystemDefaults(db.SYP);
        db.SYP.NAME = "Meeting";
        ASSERT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).INSERT());
        for (LONG d : {90001, 180001, 360001}) addDuration("SysPref", d);
    }
    void TearDown() override {
        // The program's own windows again in place of the stand-ins some tests define; none
        // of the stand-ins outlives its test.
        for (const char* w :
             {"BROWSECLIENT", "BROWSERESOURCE", "BROWSEDURA", "BROWSEDUR2", "UPDATESPECIAL"})
            ui::defineWindow(w, [](Store&, QWidget*, int) { return int(RequestCancelled); });
        ui::registerWindows(db);
        ui::preferenceHooks() = {};
    }

    /// Runs a preference window with a request; `step` acts in it once it is open.
    int run(const char* name, int request, std::function<void(QWidget*)> step) {
        QTimer::singleShot(0, [step] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            step(w);
            // A window that a failed step left open must not hold up the other tests.
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                d->done(QDialog::Rejected);
            }
        });
        return ui::callWindow(name, db, nullptr, request);
    }

    void addDuration(const char* user, LONG d) {
        a.fm(Tbl::DURLIST).PRIMERECORD();
        db.DUR.USERNAME = user;
        db.DUR.DURATION = d;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    void addResource(const char* code) {
        a.fm(Tbl::RESOURCE).PRIMERECORD();
        db.RES.RESOURCE = code;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::RESOURCE).INSERT());
    }
    SYSPREF stored() {
        a.fm(Tbl::SYSPREF).SET(-1);
        EXPECT_EQ(Level_Benign, a.fm(Tbl::SYSPREF).NEXT());
        return db.SYP;
    }
    LONG highestNumber() {
        a.fm(Tbl::CONTROL).SET(CON::NUMBER_KEY);
        return a.fm(Tbl::CONTROL).PREVIOUS() == Level_Benign ? db.CON.NUMBER : 0;
    }
};

TEST_F(PreferenceWindowsTest, TheAlertLeadTimeIsOnlyOpenWhileAlertsAreOn) {
    int searches = 0;
    ui::preferenceHooks().alertSearch = [&] { ++searches; };
    const int response = run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        // The window's timer runs the alert search, as the frame's does.
        auto* timer = w->findChild<QTimer*>();
        ASSERT_NE(nullptr, timer);
        EXPECT_EQ(30 * 1000, timer->interval());
        timer->start(0);
        for (int i = 0; i < 50 && searches == 0; ++i) QApplication::processEvents();
        EXPECT_GT(searches, 0);

        auto* lead = child<QSpinBox>(w, "AlertLead");
        EXPECT_FALSE(lead->isEnabled());  // stored "None"
        child<QRadioButton>(w, "AlertAll")->click();
        EXPECT_TRUE(lead->isEnabled());
        child<QRadioButton>(w, "AlertNone")->click();
        EXPECT_FALSE(lead->isEnabled());
        child<QRadioButton>(w, "AlertUserOnly")->click();
        EXPECT_TRUE(lead->isEnabled());
        type(lead->findChild<QLineEdit*>(), "15");
        click(w, "OK");
    });
    EXPECT_EQ(RequestCompleted, response);
    const SYSPREF s = stored();
    // Stored the way the alert search recognises it.
    EXPECT_EQ("User Only", s.ALERT.str());
    EXPECT_EQ(15, s.ALERTLEAD);

    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        EXPECT_TRUE(child<QRadioButton>(w, "AlertUserOnly")->isChecked());
        EXPECT_TRUE(child<QSpinBox>(w, "AlertLead")->isEnabled());
        click(w, "Cancel");
    });
}

TEST_F(PreferenceWindowsTest, OkRefusesAHeightOutOfRangeAndNegativeAdvanceDays) {
    const int response = run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "5");
        child<QLineEdit>(w, "BookingSingular")->setText("Event");
        click(w, "OK");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ("The value of Height of TimeSlots in Scan must be between 6 and 20.",
                  user.lastText());
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "8");
        type(child<QSpinBox>(w, "AdvanceDays")->findChild<QLineEdit*>(), "-1");
        click(w, "OK");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ("The value of Max Days Booking in Advance must be higher than 0.",
                  user.lastText());
        user.answer(BUTTON_NO);  // closing: do not save the changes
        click(w, "Cancel");
    });
    EXPECT_EQ(RequestCancelled, response);
    EXPECT_EQ(0u, user.pending());
    const SYSPREF s = stored();
    EXPECT_EQ(8, s.HEIGHT);
    EXPECT_EQ(0, s.ADVANCEDAYS);
    EXPECT_EQ("Booking", s.LABELS1_1.str());
}

TEST_F(PreferenceWindowsTest, TheSingleRecordCanBeNeitherAddedNorDeleted) {
    EXPECT_EQ(RequestCancelled, ui::callWindow("SYSPREF", db, nullptr, InsertRecord));
    EXPECT_EQ("This form cannot be used to insert a record", user.lastText());
    EXPECT_EQ(RequestCancelled, ui::callWindow("SYSPREF", db, nullptr, DeleteRecord));
    EXPECT_EQ("This form cannot be used to delete a record", user.lastText());
    EXPECT_EQ(1, count(a, Tbl::SYSPREF));
}

TEST_F(PreferenceWindowsTest, BelowSystemAdministratorTheRulesAreOnlyShown) {
    session().accessLevel = ResourceAdministrator;
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        EXPECT_FALSE(child<QPushButton>(w, "OK")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(w, "ResetControlFile")->isEnabled());
        EXPECT_FALSE(child<QCheckBox>(w, "ApplyToUsers")->isEnabled());
        EXPECT_TRUE(child<QLineEdit>(w, "BookingSingular")->isReadOnly());
        EXPECT_TRUE(child<QPushButton>(w, "Cancel")->isEnabled());
        click(w, "Cancel");
    });
    EXPECT_EQ(0, highestNumber());
}

TEST_F(PreferenceWindowsTest, SavedTermsReachTheProgramAndTheNextWindow) {
    int saved = 0;
    std::string termSeen;
    ui::preferenceHooks().sysPrefSaved = [&] {
        ++saved;
        termSeen = db.SYP.LABELS1_2.str();
    };
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        EXPECT_EQ("Lock bookings", child<QCheckBox>(w, "Lock")->text().toStdString());
        type(child<QLineEdit>(w, "BookingSingular"), "Event");
        type(child<QLineEdit>(w, "BookingPlural"), "Events");
        click(w, "OK");
    });
    EXPECT_EQ(1, saved);
    EXPECT_EQ("Events", termSeen);
    EXPECT_EQ("Event", stored().LABELS1_1.str());
    EXPECT_EQ("ANN", stored().USERNAME.str());  // stamped with who changed it

    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        EXPECT_EQ("Lock events", child<QCheckBox>(w, "Lock")->text().toStdString());
        EXPECT_EQ("Routine events", child<QPushButton>(w, "RoutineNames")->text().toStdString());
        click(w, "Cancel");
    });
    EXPECT_EQ(1, saved);  // a cancelled window saves nothing
}

TEST_F(PreferenceWindowsTest, AChangeByAnotherStationIsShownAndNotOverwritten) {
    const int response = run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        {
            Station b(dir.path);
            ASSERT_EQ(Level_Benign, b.rm(Tbl::SYSPREF).OPEN());
            b.fm(Tbl::SYSPREF).SET(-1);
            ASSERT_EQ(Level_Benign, b.fm(Tbl::SYSPREF).NEXT());
            b.db->SYP.NAME = "Theirs";
            b.db->SYP.ALERT = "All";
            ASSERT_EQ(Level_Benign, b.fm(Tbl::SYSPREF).UPDATE());
        }
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "10");
        click(w, "OK");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(0u, user.lastText().rfind("This record was changed by another station.", 0));
        // The other station's values are on show, with what depends on them.
        EXPECT_EQ("Theirs", child<QComboBox>(w, "Name")->currentText().toStdString());
        EXPECT_TRUE(child<QRadioButton>(w, "AlertAll")->isChecked());
        EXPECT_TRUE(child<QSpinBox>(w, "AlertLead")->isEnabled());
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "11");
        click(w, "OK");  // now over the record as it stands
    });
    EXPECT_EQ(RequestCompleted, response);
    const SYSPREF s = stored();
    EXPECT_EQ("Theirs", s.NAME.str());
    EXPECT_EQ("All", s.ALERT.str());
    EXPECT_EQ(11, s.HEIGHT);
}

TEST_F(PreferenceWindowsTest, MaintenanceRaisesBookingNumbersAndRebuildsKeys) {
    a.fm(Tbl::CONTROL).PRIMERECORD();
    db.CON.NUMBER = 120;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::CONTROL).INSERT());
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        click(w, "ResetControlFile");
        click(w, "Cancel");
    });
    EXPECT_EQ("The next new booking will be numbered 1121.", user.lastText());
    EXPECT_EQ(1120, highestNumber());

    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        click(w, "RebuildKeys");
        click(w, "Cancel");
    });
    EXPECT_EQ("The keys of every file have been rebuilt.", user.lastText());
    EXPECT_EQ(1120, highestNumber());
}

TEST_F(PreferenceWindowsTest, ApplyToExistingUsersFromTheWindow) {
    a.fm(Tbl::USERPREF).PRIMERECORD();
    db.USP.USERNAME = "BOB";
    db.USP.HEIGHT = 14;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).INSERT());
    addDuration("BOB", 30001);
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "10");
        auto* apply = child<QCheckBox>(w, "ApplyToUsers");
        EXPECT_FALSE(apply->isChecked());  // off whenever the window opens
        apply->click();
        // The user is asked first; No keeps everything as it was.
        user.answer(BUTTON_NO);
        click(w, "OK");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(unsigned(BUTTON_NO), unsigned(user.asked.back().defaultButton));
        user.answer(BUTTON_YES);
        click(w, "OK");
    });
    db.USP.USERNAME = "BOB";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ(10, db.USP.HEIGHT);
    EXPECT_EQ((std::vector<LONG>{90001, 180001, 360001}), masterdata::ownerDurations(db, "BOB"));
}

TEST_F(PreferenceWindowsTest, APickedResourceIsCutToTenCharactersAndKept) {
    addResource("PROJECTOR-12");
    int lookUps = 0;
    ui::defineWindow("BROWSERESOURCE", [&](Store& s, QWidget*, int request) {
        ++lookUps;
        EXPECT_EQ(SelectRecord, request);
        s.RES.RESOURCE = "PROJECTOR-12";
        return int(RequestCompleted);
    });
    const int response = run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        auto* entry = child<QLineEdit>(w, "Resource");
        type(entry, "PROJ");
        leave(entry);  // the entry is accepted: an unknown code opens the list
        EXPECT_EQ(1, lookUps);
        EXPECT_EQ("PROJECTOR-", entry->text().toStdString());
        click(w, "OK");
    });
    EXPECT_EQ(RequestCompleted, response);
    EXPECT_EQ(1, lookUps);  // the cut code still names the resource: no second look-up
    EXPECT_EQ("PROJECTOR-", stored().RESOURCE.str());
}

TEST_F(PreferenceWindowsTest, AnUnknownClientCannotBeKept) {
    addClient(a, "Acme Limited");
    int lookUps = 0;
    ui::defineWindow("BROWSECLIENT", [&](Store&, QWidget*, int) {
        ++lookUps;
        return int(RequestCancelled);
    });
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        auto* entry = child<QLineEdit>(w, "Client");
        type(entry, "acme limited");
        leave(entry);
        EXPECT_EQ(0, lookUps);  // known: taken as stored
        EXPECT_EQ("Acme Limited", entry->text().toStdString());
        type(entry, "Nobody");
        click(w, "OK");  // the look-up is cancelled: the window stays open
        EXPECT_EQ(1, lookUps);
        EXPECT_TRUE(w->isVisible());
        click(w, "LookUpClient");  // the button opens the list directly
        EXPECT_EQ(2, lookUps);
        user.answer(BUTTON_NO);
        click(w, "Cancel");
    });
    EXPECT_EQ("", stored().CLIENT.str());
}

TEST_F(PreferenceWindowsTest, EnterInALookUpEntryChecksItBeforeOk) {
    addClient(a, "Acme Limited");
    int lookUps = 0;
    ui::defineWindow("BROWSECLIENT", [&](Store&, QWidget*, int) {
        ++lookUps;
        return int(RequestCancelled);
    });
    const int response = run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        auto* entry = child<QLineEdit>(w, "Client");
        leave(entry);
        type(entry, "Nobody");
        press(entry, Qt::Key_Return);
        // One look-up, cancelled: Enter does not go on to OK.
        EXPECT_EQ(1, lookUps);
        EXPECT_TRUE(w->isVisible());
        type(entry, "Acme Limited");
        press(entry, Qt::Key_Return);  // a known client: Enter is OK
        EXPECT_FALSE(w->isVisible());
    });
    EXPECT_EQ(RequestCompleted, response);
    EXPECT_EQ(1, lookUps);
    EXPECT_EQ("Acme Limited", stored().CLIENT.str());
}

TEST_F(PreferenceWindowsTest, AListStartedAsAWindowOfItsOwnRefillsTheDropListWhenItCloses) {
    QPointer<QWidget> started;
    ui::defineWindow("BROWSEDUR2", [&](Store&, QWidget* parent, int) {
        // As a started browse: an independent window that goes when it is closed.
        auto* w = new QDialog(parent);
        w->setObjectName("BROWSEDUR2");
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowModality(Qt::NonModal);
        w->show();
        started = w;
        return int(RequestCompleted);
    });
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        auto* duration = child<QComboBox>(w, "Duration");
        EXPECT_EQ(3, duration->count());
        EXPECT_EQ("00:30", duration->currentText().toStdString());
        click(w, "RoutineDurations");
        ASSERT_TRUE(started);
        addDuration("SysPref", 30001);  // added in the list window
        EXPECT_EQ(3, duration->count());
        started->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(started);
        ASSERT_EQ(4, duration->count());
        EXPECT_EQ("00:05", duration->itemText(0).toStdString());
        EXPECT_EQ("00:30", duration->currentText().toStdString());  // the choice stays
        click(w, "Cancel");
    });
    // A list still open when the preferences close goes with them, and harmlessly so.
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        click(w, "RoutineDurations");
        EXPECT_TRUE(started);
        click(w, "Cancel");
    });
    EXPECT_FALSE(started);
}

TEST_F(PreferenceWindowsTest, SpecialDaysAreMaintainedFromTheirPage) {
    ui::defineWindow("UPDATESPECIAL", [&](Store& s, QWidget*, int request) {
        if (request == InsertRecord) {
            s.Access(Tbl::SPECIAL).PRIMERECORD();
            s.SPE.STARTDATE = 80000;
            s.SPE.ENDDATE = 80001;
            s.SPE.DESCRIPTION = "Founders Day";
            EXPECT_EQ(Level_Benign, s.Access(Tbl::SPECIAL).INSERT());
        } else if (request == ChangeRecord) {
            // The highlighted period is in the buffer.
            EXPECT_EQ("Founders Day", s.SPE.DESCRIPTION.str());
        }
        return int(RequestCompleted);
    });
    run("SYSPREF", ChangeRecord, [&](QWidget* w) {
        auto* list = child<QTableView>(w, "SpecialDays");
        EXPECT_EQ(0, list->model()->rowCount());
        click(w, "Insert");
        ASSERT_EQ(1, list->model()->rowCount());
        EXPECT_EQ("Founders Day", list->model()->index(0, 2).data().toString().toStdString());
        list->setCurrentIndex(list->model()->index(0, 0));
        db.SPE.DESCRIPTION = "";
        click(w, "Change");
        click(w, "Cancel");
    });
}

TEST_F(PreferenceWindowsTest, UserPreferencesChangeTheSessionsOwnRecord) {
    a.fm(Tbl::USERPREF).PRIMERECORD();
    db.USP.USERNAME = "ANN";
    db.USP.DURATION = 60001;
    db.USP.BEGINDAY = 2880001;
    db.USP.ENDDAY = 6480001;
    db.USP.INTERVAL = 90001;
    db.USP.HEIGHT = 8;
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).INSERT());
    addDuration("ANN", 60001);
    addDuration("ANN", 180001);
    // The user's own list, changed while the window is open, is offered again.
    ui::defineWindow("BROWSEDURA", [&](Store& s, QWidget*, int) {
        s.Access(Tbl::DURLIST).PRIMERECORD();
        s.DUR.USERNAME = "ANN";
        s.DUR.DURATION = 720001;
        EXPECT_EQ(Level_Benign, s.Access(Tbl::DURLIST).INSERT());
        return int(RequestCompleted);
    });
    const int response = run("USERPREF", ChangeRecord, [&](QWidget* w) {
        auto* duration = child<QComboBox>(w, "Duration");
        ASSERT_EQ(2, duration->count());
        EXPECT_EQ("00:10", duration->currentText().toStdString());
        click(w, "RoutineDurations");
        ASSERT_EQ(3, duration->count());
        duration->setCurrentIndex(duration->findText("02:00"));
        type(child<QSpinBox>(w, "Height")->findChild<QLineEdit*>(), "12");
        type(child<QLineEdit>(w, "StartTime"), "13:00");
        click(w, "OK");
    });
    EXPECT_EQ(RequestCompleted, response);
    // The session's buffer and the stored record agree.
    EXPECT_EQ(720001, db.USP.DURATION);
    EXPECT_EQ(12, db.USP.HEIGHT);
    db.USP.USERNAME = "ANN";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ(720001, db.USP.DURATION);
    EXPECT_EQ(Time::fromHMS(13, 0).value + 400, db.USP.STARTTIME);  // as booking starts are kept
    EXPECT_EQ(1, count(a, Tbl::USERPREF));
}

TEST_F(PreferenceWindowsTest, AUserWithoutPreferencesStartsFromTheSystemDefaults) {
    const int response = run("USERPREF", ChangeRecord, [&](QWidget* w) {
        EXPECT_EQ("Meeting", child<QComboBox>(w, "Name")->currentText().toStdString());
        // A day that ends before it begins is refused.
        type(child<QLineEdit>(w, "EndDay"), "07:00");
        click(w, "OK");
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ("The regular day must end after it begins.", user.lastText());
        type(child<QLineEdit>(w, "EndDay"), "17:00");
        click(w, "OK");
    });
    EXPECT_EQ(RequestCompleted, response);
    db.USP.USERNAME = "ANN";
    ASSERT_EQ(Level_Benign, a.fm(Tbl::USERPREF).FETCH(USP::USERNAME_KEY));
    EXPECT_EQ("Meeting", db.USP.NAME.str());
    EXPECT_EQ(Time::fromHMS(17, 0).value, db.USP.ENDDAY);
}

}  // namespace

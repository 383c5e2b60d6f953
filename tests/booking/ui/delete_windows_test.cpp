// The windows of deleting and alerting driven as a user drives them: the scope question
// of a repeated booking, the purge window's date, and the alert window's Edit/View.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "../../test_app.h"
#include "../booking_fixture.h"
#include "booking/alerts.h"
#include "booking/ui/alert_window.h"
#include "booking/ui/booking_window.h"
#include "booking/ui/delete_windows.h"
#include "dialog_keys.h"
#include "framework/booking_changes.h"
#include "framework/date_time_entry.h"

namespace booking::test {
namespace {

class DeleteWindowsTest : public BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
    }
    store::LONG weekly() {
        return book(db, "Course", {{"ROOM1", 1}},
                    {{monday + 7, at(9), at(10)}, {monday + 14, at(9), at(10)}}, FixedWeeks);
    }
    void select(store::LONG n, store::LONG date) {
        db.table(store::Tbl::DATES).clearBuffer();
        db.DAT.ACTNUMBER = n;
        db.DAT.DATE = date;
        db.DAT.TIME = at(9) + 400;
        db.DAT.ENDTIME = at(10);
    }
    QObject owner;
};

TEST_F(DeleteWindowsTest, EnterInTheScopeQuestionDeletesNothingAndYesDeletesTheChoice) {
    const store::LONG n = weekly();
    int changes = 0;
    QObject::connect(&framework::bookingChanges(), &framework::BookingChanges::changed, &owner,
                     [&] { ++changes; });
    select(n, monday + 7);
    std::string caption;
    onModal(&owner, [&](QWidget* w) {
        caption = w->windowTitle().toStdString();
        EXPECT_TRUE(w->findChild<QRadioButton*>("JustThisOne")->isChecked());
        pressIn(w, Qt::Key_Return);  // Enter answers "No"
    });
    EXPECT_EQ(store::RequestCancelled, ui::DELACT(db, nullptr));
    EXPECT_EQ("Delete Booking", caption);
    EXPECT_EQ(2u, datesOf(n).size());
    EXPECT_EQ(0, changes);

    select(n, monday + 7);
    onModal(&owner, [&](QWidget* w) {
        auto* all = w->findChild<QRadioButton*>("All");
        all->setFocus();
        press(all, Qt::Key_Space);
        EXPECT_TRUE(all->isChecked());
        pressIn(w, Qt::Key_Return);  // still "No": the choice alone deletes nothing
    });
    EXPECT_EQ(store::RequestCancelled, ui::DELACT(db, nullptr));
    EXPECT_EQ(2u, datesOf(n).size());

    select(n, monday + 7);
    onModal(&owner, [&](QWidget* w) {
        w->findChild<QRadioButton*>("All")->setChecked(true);
        QAbstractButton* yes = button(w, "Yes");
        yes->setFocus();
        press(yes, Qt::Key_Return);  // Enter on "Yes", moved to on purpose, deletes
    });
    EXPECT_EQ(store::RequestCompleted, ui::DELACT(db, nullptr));
    EXPECT_FALSE(fetchBooking(n));
    EXPECT_TRUE(resourcesOf(n).empty());
    EXPECT_EQ(1, changes);  // open scans and lists were told
}

TEST_F(DeleteWindowsTest, ThePurgeWindowTakesTodayBackForAFutureDate) {
    ui::BatchDeleteWindow w(db);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        EXPECT_EQ("Batch Delete Old Bookings", w.windowTitle().toStdString());
        EXPECT_EQ(monday, w.dateEntry()->value().value);
        type(w.dateEntry(), QString::fromStdString(store::shortDate(store::Date(monday + 3))));
        press(w.dateEntry(), Qt::Key_Tab);
        QApplication::processEvents();  // the entry is checked once the focus has moved
        EXPECT_EQ("Sorry, future dates are not allowed.", user.lastText());
        EXPECT_EQ(monday, w.dateEntry()->value().value);
        w.reject();
    });
    EXPECT_EQ(store::RequestCancelled, w.CALL());
}

TEST_F(DeleteWindowsTest, TheAlertWindowOpensTheBookingForChangeWithoutTakingTheKeyboard) {
    const store::LONG n =
        book(db, "Soon", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday, at(8, 10), at(9)}});
    db.SYP.ALERT = "All";
    db.SYP.ALERTLEAD = 30;
    const auto due = readDue(db, AlertTimes::at(monday, at(8), 30), AlertMode::All, "TESTER");
    ASSERT_EQ(1u, due.size());

    // Someone is typing in a form when the alert comes.
    QWidget form;
    auto* entry = new QLineEdit(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    entry->setFocus();
    ui::AlertWindow* w = ui::ALERTWINDOW(db, due);
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(&form, QApplication::activeWindow());
    EXPECT_EQ(entry, QApplication::focusWidget());
    EXPECT_EQ("Booking Alert", w->windowTitle().toStdString());
    ASSERT_EQ(1, w->dueList()->topLevelItemCount());
    EXPECT_EQ("Soon", w->dueList()->topLevelItem(0)->text(2).toStdString());
    EXPECT_EQ("Primary Resource", w->dueList()->headerItem()->text(4).toStdString());
    // The other resource of the booking, not its primary one.
    ASSERT_EQ(1, w->otherList()->topLevelItemCount());
    EXPECT_EQ("ROOM2", w->otherList()->topLevelItem(0)->text(0).toStdString());

    std::string status, name;
    onModal(w, [&](QWidget* opened) {
        auto* f = qobject_cast<ui::UpdateAct*>(opened);
        ASSERT_NE(nullptr, f);
        status = f->statusText()->text().toStdString();
        name = f->nameBox()->currentText().toStdString();
        f->reject();
    });
    w->editButton()->click();
    EXPECT_EQ("Record will be Changed", status);
    EXPECT_EQ("Soon", name);
    EXPECT_TRUE(fetchBooking(n));
    w->close();
}

}  // namespace
}  // namespace booking::test

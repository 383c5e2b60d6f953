// The booking form driven as a user drives it: typing into its entries, pressing its
// buttons, answering its questions.
#include "booking/ui/booking_window.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "../../preview_catcher.h"
#include "../../test_app.h"
#include "../booking_fixture.h"
#include "dialog_keys.h"
#include "framework/date_time_entry.h"
#include "masterdata/tag_lists.h"
#include "masterdata/ui/windows.h"

namespace booking::test {
namespace {

class BookingWindowTest : public BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        // The multiple selection stands for the user ticking resources in its list.
        framework::defineWindow("BROWSERESOURCEM", [this](store::Store&, QWidget*, int) {
            for (const std::string& r : picked) masterdata::resourceTags().push_back({r, 1});
            return int(store::RequestCompleted);
        });
    }
    void TearDown() override {
        framework::defineWindow("BROWSERESOURCEM", nullptr);
        BookingTest::TearDown();
    }
    static void type(QLineEdit* e, const QString& text) {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Tab);
        QApplication::processEvents();
    }
    /// Runs the form modally; `act` runs inside its event loop.
    int run(ui::UpdateAct& w, int request, std::function<void()> act) {
        store::session().GlobalRequest = request;
        QTimer::singleShot(0, &w, [&w, act = std::move(act)] {
            // Focus moves as a user's Tab and clicks move it only in the active window.
            QApplication::setActiveWindow(&w);
            act();
        });
        return w.CALL();
    }
    std::vector<std::string> picked{"ROOM1"};
};

TEST_F(BookingWindowTest, ANewSingleBookingTypedAndSaved) {
    ui::UpdateAct w(db);
    store::LONG number = 0;
    const int r = run(w, store::InsertRecord, [&] {
        number = db.ACT.ACTNUMBER;
        EXPECT_EQ("Record will be Added", w.statusText()->text().toStdString());
        type(w.nameBox()->lineEdit(), "Board meeting");
        type(w.dateEntry(), QString::fromStdString(store::shortDate(store::Date(monday + 1))));
        type(w.startEntry(), "14:00");
        EXPECT_EQ(QString::fromStdString(store::shortTime(store::Time(at(15)))),
                  w.endEntry()->text());
        w.notesEdit()->setPlainText("Projector");
        EXPECT_FALSE(w.okButton()->isEnabled());  // no resource yet
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(1, w.resourceList()->topLevelItemCount());
        EXPECT_TRUE(w.okButton()->isEnabled());
        // Print shows the booking as typed, before it is saved.
        ASSERT_TRUE(w.printButton()->isEnabled());
        std::string printed;
        tembrix::test::catchPreview(
            [&](const reports::Document& doc) { printed = tembrix::test::allText(doc); });
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        EXPECT_NE(std::string::npos, printed.find("Board meeting\n")) << printed;
        EXPECT_NE(std::string::npos, printed.find("Booking " + std::to_string(number) + "\n"));
        EXPECT_NE(std::string::npos, printed.find("No Repeats\n"));
        EXPECT_NE(std::string::npos, printed.find("Projector\n"));
        EXPECT_NE(std::string::npos, printed.find("14:00\n"));
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(store::RequestCompleted, r);
    ASSERT_TRUE(fetchBooking(number));
    EXPECT_EQ("Board meeting", db.ACT.NAME.str());
    EXPECT_EQ("ACME", db.ACT.CLIENT.str());
    EXPECT_EQ("ROOM1", db.ACT.PRIME.str());
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday + 1, at(14) + 400, at(15)}}),
              datesOf(number));
    EXPECT_EQ(1, count(store::Tbl::ACTNOTES));
}

TEST_F(BookingWindowTest, AnImpossibleTimeIsRefusedAndNothingSaved) {
    ui::UpdateAct w(db);
    const int r = run(w, store::InsertRecord, [&] {
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") QTest::mouseClick(b, Qt::LeftButton);
        w.endEntry()->setFocus();
        w.endEntry()->selectAll();
        QTest::keyClicks(w.endEntry(), "25:00");
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible());  // the refusal keeps the form open
        QTimer::singleShot(0, &w, [&w] { w.reject(); });
    });
    EXPECT_EQ(store::RequestCancelled, r);
    EXPECT_EQ(0, count(store::Tbl::DATES));
}

TEST_F(BookingWindowTest, AWeeklyBookingWithOneConflictSkipped) {
    book(db, "Busy", {{"ROOM1", 1}}, {{monday + 14, at(9), at(10)}});
    user.conflicts.clear();
    user.answerConflict(store::SkipThis);
    ui::UpdateAct w(db);
    store::LONG number = 0;
    std::string line;
    const int r = run(w, store::InsertRecord, [&] {
        number = db.ACT.ACTNUMBER;
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") QTest::mouseClick(b, Qt::LeftButton);
        // The repeat window, and in it the rule window: every week for three weeks.
        onModal(&w, [&](QWidget* repeat) {
            onModal(repeat, [&](QWidget* rule) {
                typeInto(rule->findChild<QSpinBox*>("Number"), "1");
                auto* until = rule->findChild<framework::DateEntry*>("Until");
                until->setFocus();
                until->selectAll();
                QTest::keyClicks(
                    until, QString::fromStdString(store::shortDate(store::Date(monday + 21))));
                button(rule, "OK")->click();
            });
            button(repeat, "FixedWeeks")->click();
            button(repeat, "OK")->click();
        });
        // The default times were never touched: the form asks whether to use them (Yes).
        QTest::mouseClick(w.repeatButton(), Qt::LeftButton);
        line = w.descriptionLabel()->text().toStdString();
        EXPECT_EQ(4u, w.form().occurrences().size());
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(store::RequestCompleted, r);
    EXPECT_EQ(0u, line.find("REPEATED - Every 1 weeks until")) << line;
    ASSERT_EQ(1u, user.conflicts.size());
    EXPECT_EQ("Busy", user.conflicts[0].text);
    EXPECT_TRUE(user.conflicts[0].loop);
    const auto saved = datesOf(number);
    ASSERT_EQ(3u, saved.size());
    EXPECT_EQ(monday + 7, saved[1][0]);
    EXPECT_EQ(monday + 21, saved[2][0]);
    EXPECT_EQ(1, count(store::Tbl::REPACT));
}

TEST_F(BookingWindowTest, TheFormKeepsItsShapeWhenARuleAndAPrimaryAppear) {
    addResource(a, "LECTURETHEATRE1", 1);
    picked = {"LECTURETHEATRE1"};
    ui::UpdateAct w(db);
    run(w, store::InsertRecord, [&] {
        QPushButton* insert = nullptr;
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") insert = b;
        ASSERT_NE(nullptr, insert);
        const int before = insert->width();
        QTest::mouseClick(insert, Qt::LeftButton);
        // A long rule in the repeat line.
        w.descriptionLabel()->setText(
            "REPEATED - Every 2 weeks on Monday, Wednesday and Friday until 31/12/2027, "
            "weekends skipped");
        QApplication::processEvents();
        // The buttons beside the resources keep their width when "Primary:" appears.
        EXPECT_EQ(before, insert->width());
        // The repeat line takes the form's width: two lines at most, never a strip.
        EXPECT_LE(w.descriptionLabel()->height(),
                  2 * w.descriptionLabel()->fontMetrics().lineSpacing() + 8);
        QTimer::singleShot(0, &w, [&w] { w.reject(); });
    });
}

TEST_F(BookingWindowTest, JustThisOneChangeFromTheForm) {
    const store::LONG weekly =
        book(db, "Weekly", {{"ROOM2", 1}}, {{monday, at(9), at(10)}, {monday + 7, at(9), at(10)}},
             FixedWeeks);
    ui::UpdateAct w(db);
    w.form().CHANGEREP = [] { return int(JustThisOne); };
    booking::clickOccurrence(db, weekly, monday + 7, at(9) + 400, at(10));
    const int r = run(w, store::ChangeRecord, [&] {
        EXPECT_EQ("Record will be Changed", w.statusText()->text().toStdString());
        EXPECT_EQ("Weekly", w.nameBox()->currentText().toStdString());
        type(w.startEntry(), "16:00");
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(store::RequestCompleted, r);
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(9) + 400, at(10)}}),
              datesOf(weekly));
    ASSERT_TRUE(fetchBooking(weekly + 1));
    EXPECT_EQ("*Weekly", db.ACT.NAME.str());
    EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday + 7, at(16) + 400, at(17)}}),
              datesOf(weekly + 1));
}

TEST_F(BookingWindowTest, CancelAsksBeforeThrowingWorkAway) {
    const std::string question = "Do you want to save the changes to this record?";
    auto insertResource = [](ui::UpdateAct& w) {
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") QTest::mouseClick(b, Qt::LeftButton);
    };
    {
        // Opened and closed untouched: there is nothing to ask about.
        ui::UpdateAct w(db);
        user.clearAsked();
        run(w, store::InsertRecord, [&] { QTest::keyClick(&w, Qt::Key_Escape); });
        EXPECT_TRUE(user.asked.empty());
    }
    {
        // A resource chosen, then Escape: asked, with No (nothing written) the default.
        ui::UpdateAct w(db);
        user.clearAsked();
        const int r = run(w, store::InsertRecord, [&] {
            insertResource(w);
            // Escape where the user types: in the name.
            w.nameBox()->lineEdit()->setFocus();
            QTest::keyClick(w.nameBox()->lineEdit(), Qt::Key_Escape);
        });
        EXPECT_EQ(store::RequestCancelled, r);
        ASSERT_EQ(1u, user.asked.size());
        EXPECT_EQ(question, user.asked[0].text);
        EXPECT_EQ(store::BUTTON_NO, user.asked[0].defaultButton);
        EXPECT_EQ(0, count(store::Tbl::ACTIVITY));
    }
    {
        // A name still being typed counts; Cancel keeps the form, Yes saves as OK does.
        ui::UpdateAct w(db);
        user.answer(store::BUTTON_CANCEL);
        user.answer(store::BUTTON_YES);
        const int r = run(w, store::InsertRecord, [&] {
            insertResource(w);
            w.nameBox()->lineEdit()->setFocus();
            QTest::keyClicks(w.nameBox()->lineEdit(), " and lunch");
            w.reject();
            EXPECT_TRUE(w.isVisible());
            w.reject();
        });
        EXPECT_EQ(store::RequestCompleted, r);
        EXPECT_EQ(0u, user.pending());
        EXPECT_EQ(1, count(store::Tbl::ACTIVITY));
    }
    // A change of the notes of a booking on file is asked about too; none is not.
    const store::LONG one = book(db, "One", {{"ROOM2", 1}}, {{monday, at(9), at(10)}});
    for (const bool touched : {false, true}) {
        ui::UpdateAct w(db);
        booking::clickOccurrence(db, one, monday, at(9) + 400, at(10));
        user.clearAsked();
        run(w, store::ChangeRecord, [&] {
            if (touched) w.notesEdit()->setPlainText("Projector");
            QTest::keyClick(&w, Qt::Key_Escape);
        });
        EXPECT_EQ(touched ? 1u : 0u, user.asked.size());
    }
}

TEST_F(BookingWindowTest, TextFileOfANewBookingSaysSoBeforeItSaves) {
    /// Notes how many bookings were on file when the user was told.
    struct Watching : store::ScriptedQuestions {
        std::function<void()> onMessage;
        store::Button message(const std::string& caption, const std::string& text, store::Icon icon,
                              unsigned buttons, store::Button defaultButton) override {
            if (onMessage) onMessage();
            return ScriptedQuestions::message(caption, text, icon, buttons, defaultButton);
        }
    } watching;
    long long onFileWhenTold = -1;
    watching.onMessage = [&] { onFileWhenTold = count(store::Tbl::ACTIVITY); };
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path.string()));
    const std::string target = dir.file("board.txt");
    watching.answerFile(target);
    ui::UpdateAct w(db);
    store::LONG number = 0;
    const int r = run(w, store::InsertRecord, [&] {
        number = db.ACT.ACTNUMBER;
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Insert") QTest::mouseClick(b, Qt::LeftButton);
        QTest::mouseClick(w.textFileButton(), Qt::LeftButton);
    });
    QDir::setCurrent(before);
    EXPECT_EQ(store::RequestCompleted, r);
    ASSERT_FALSE(watching.asked.empty());
    EXPECT_EQ("The booking is saved now, as OK saves it.", watching.lastText());
    EXPECT_EQ(0, onFileWhenTold);
    EXPECT_TRUE(fetchBooking(number));
    const std::string written = store::test::readFile(target);
    EXPECT_NE(std::string::npos, written.find("Booked by: TESTER\n"));
    EXPECT_NE(std::string::npos,
              written.find("Date booked: " + store::longDate(store::Date(monday)) + "\n"));
}

TEST_F(BookingWindowTest, AViewOnlyUserCannotChangeAnything) {
    const store::LONG one = book(db, "One", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    store::session().accessLevel = store::ViewOnly;
    ui::UpdateAct w(db);
    booking::clickOccurrence(db, one, monday, at(9) + 400, at(10));
    run(w, store::ChangeRecord, [&] {
        EXPECT_FALSE(w.okButton()->isEnabled());
        EXPECT_FALSE(w.nameBox()->isEnabled());
        EXPECT_TRUE(w.notesEdit()->isReadOnly());
        w.reject();
    });
}

}  // namespace
}  // namespace booking::test

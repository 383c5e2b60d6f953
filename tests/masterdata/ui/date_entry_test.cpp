// Date and time entries: what typed text they take, what they refuse, and how a form
// saves what they hold.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "../../store/store_fixture.h"
#include "../../test_app.h"
#include "framework/date_time_entry.h"
#include "framework/form.h"
#include "store/record_image.h"
#include "store/session.h"
#include "ui_keys.h"

namespace {

using framework::DateEntry;
using framework::TimeEntry;
using namespace store;
using masterdata::test::press;
using masterdata::test::type;

Date dmy(int d, int m, int y) {
    return Date::fromMDY(m, d, y);
}

class EntryFormats : public ::testing::Test {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        setDateFormats(DateFormats{});
    }
    void TearDown() override { setDateFormats(DateFormats{}); }
};

TEST_F(EntryFormats, DatesAreReadStrictly) {
    EXPECT_EQ(dmy(15, 3, 2027), DateEntry::parse("15/03/2027"));
    EXPECT_EQ(dmy(1, 2, 2027), DateEntry::parse("1/2/2027"));
    EXPECT_EQ(dmy(1, 2, 2027), DateEntry::parse(" 01/02/27 "));
    EXPECT_EQ(dmy(28, 2, 2027), DateEntry::parse("2027-02-28"));
    EXPECT_EQ(dmy(29, 2, 2028), DateEntry::parse("29/02/2028"));
    for (const char* bad : {"31/02/2027", "29/02/2027", "32/01/2027", "00/01/2027", "15/13/2027",
                            "15/03/2027x", "tomorrow", "15-03", "2027-02-30", "1/2/2027/4"})
        EXPECT_TRUE(DateEntry::parse(bad).isNull()) << bad;
    EXPECT_TRUE(DateEntry::parse("   ").isNull());
}

TEST_F(EntryFormats, TheWorkstationsOrderOfDayAndMonthIsKept) {
    DateFormats us;
    us.shortDate = "MM/dd/yyyy";
    setDateFormats(us);
    EXPECT_EQ(dmy(4, 3, 2027), DateEntry::parse("03/04/2027"));
    EXPECT_TRUE(DateEntry::parse("13/02/2027").isNull());
    DateFormats dotted;
    dotted.shortDate = "dd.MM.yyyy";
    setDateFormats(dotted);
    EXPECT_EQ(dmy(3, 4, 2027), DateEntry::parse("03.04.2027"));
    EXPECT_EQ(dmy(3, 4, 2027), DateEntry::parse("3/4/2027"));
    DateEntry e;
    e.setValue(dmy(3, 4, 2027));
    EXPECT_EQ("03.04.2027", e.text().toStdString());
}

TEST_F(EntryFormats, ALongDateEntryShowsTheLongFormatAndReadsBoth) {
    DateEntry e(nullptr, DateEntry::Format::Long);
    e.setValue(dmy(5, 3, 2027));
    EXPECT_EQ("Friday, 5 March 2027", e.text().toStdString());
    EXPECT_EQ(dmy(5, 3, 2027), e.value());
    EXPECT_EQ(dmy(6, 3, 2027), DateEntry::parse("saturday, 6 march 2027", DateEntry::Format::Long));
    EXPECT_EQ(dmy(6, 3, 2027), DateEntry::parse("6/3/2027", DateEntry::Format::Long));
    EXPECT_TRUE(DateEntry::parse("Friday, 30 February 2027", DateEntry::Format::Long).isNull());
    e.setValue(Date());
    EXPECT_EQ("", e.text().toStdString());
}

TEST_F(EntryFormats, TimesAreReadStrictly) {
    EXPECT_EQ(Time::fromHMS(9, 30), TimeEntry::parse("09:30"));
    EXPECT_EQ(Time::fromHMS(9, 30), TimeEntry::parse("9:30"));
    EXPECT_EQ(Time::fromHMS(9, 30), TimeEntry::parse("0930"));
    EXPECT_EQ(Time::fromHMS(9, 30), TimeEntry::parse("930"));
    EXPECT_EQ(Time::fromHMS(14, 0), TimeEntry::parse("14"));
    EXPECT_EQ(Time::midnight(), TimeEntry::parse("00:00"));
    EXPECT_EQ(Time::endOfDay(), TimeEntry::parse("24:00"));
    EXPECT_EQ(2880001, TimeEntry::parse("8:00").value);
    EXPECT_EQ(Time::fromHMS(21, 30), TimeEntry::parse("9:30 pm"));
    EXPECT_EQ(Time::fromHMS(9, 0), TimeEntry::parse("9AM"));
    EXPECT_EQ(Time::fromHMS(0, 15), TimeEntry::parse("12:15 am"));
    for (const char* bad : {"25:00", "10:61", "24:01", "2400x", "12345", "9:5x", "noon", "-1:00",
                            "99", "13:00 pm", "0 am"})
        EXPECT_TRUE(TimeEntry::parse(bad).isNull()) << bad;
    DateFormats twelve;
    twelve.shortTime = "h:mm AP";
    setDateFormats(twelve);
    EXPECT_EQ(Time::fromHMS(14, 15), TimeEntry::parse("2:15 pm"));
    EXPECT_EQ(Time::fromHMS(14, 15), TimeEntry::parse("14:15"));
    EXPECT_TRUE(TimeEntry::parse("13:15 PM").isNull());
}

TEST_F(EntryFormats, AnUntouchedTimeKeepsItsSeconds) {
    TimeEntry e;
    e.setStored(Time::fromHMS(10, 15, 42).value);
    EXPECT_EQ("10:15", e.text().toStdString());
    EXPECT_EQ(Time::fromHMS(10, 15, 42).value, e.stored());
    type(&e, "10:20");
    EXPECT_EQ(Time::fromHMS(10, 20), e.value());
}

/// A window with a date entry, a time entry and an OK button that is the default.
struct EntryWindow {
    QDialog dialog;
    DateEntry* date = new DateEntry(&dialog);
    TimeEntry* time = new TimeEntry(&dialog);
    QPushButton* ok = new QPushButton("OK", &dialog);
    std::vector<Date> dates;
    std::vector<Time> times;
    EntryWindow() {
        auto* l = new QVBoxLayout(&dialog);
        l->addWidget(date);
        l->addWidget(time);
        l->addWidget(ok);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QObject::connect(date, &DateEntry::valueAccepted, [this](Date d) { dates.push_back(d); });
        QObject::connect(time, &TimeEntry::valueAccepted, [this](Time t) { times.push_back(t); });
        dialog.show();
        dialog.activateWindow();
        QApplication::setActiveWindow(&dialog);
    }
};

TEST_F(EntryFormats, EnterAcceptsAGoodDateAndRefusesABadOne) {
    ScriptedQuestions user;
    EntryWindow w;
    w.date->setFocus();
    type(w.date, "1/2/27");
    press(w.date, Qt::Key_Return);
    EXPECT_EQ("01/02/2027", w.date->text().toStdString());
    EXPECT_EQ(std::vector<Date>{dmy(1, 2, 2027)}, w.dates);
    EXPECT_EQ(0u, user.asked.size());
    EXPECT_EQ(QDialog::Accepted, w.dialog.result()) << "Enter then presses the default button";

    w.dialog.setResult(QDialog::Rejected);
    type(w.date, "31/02/2027");
    press(w.date, Qt::Key_Return);
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_NE(std::string::npos, user.lastText().find("31/02/2027"));
    EXPECT_NE(std::string::npos, user.lastText().find("dd/mm/yyyy"));
    EXPECT_EQ("31/02/2027", w.date->text().toStdString()) << "the typed text stays to be corrected";
    EXPECT_FALSE(w.date->isValid());
    EXPECT_TRUE(w.date->value().isNull());
    EXPECT_EQ(1u, w.dates.size());
    EXPECT_EQ(QDialog::Rejected, w.dialog.result()) << "a refused date must not press OK";
    EXPECT_EQ(w.date->selectedText(), w.date->text());

    // Cleared, the entry holds no date, and that is accepted.
    type(w.date, "");
    press(w.date, Qt::Key_Enter);
    EXPECT_TRUE(w.date->isValid());
    EXPECT_EQ(Date(), w.dates.back());
}

TEST_F(EntryFormats, LeavingABadTimeBringsTheFocusBack) {
    ScriptedQuestions user;
    EntryWindow w;
    w.time->setFocus();
    type(w.time, "25:00");
    w.ok->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_EQ("Invalid Time", user.asked[0].caption);
    EXPECT_EQ(w.time, QApplication::focusWidget());
    EXPECT_TRUE(w.times.empty());
    // Leaving again with the same text does not ask again; the focus still comes back.
    w.ok->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(1u, user.asked.size());
    EXPECT_EQ(w.time, QApplication::focusWidget());

    type(w.time, "0745");
    w.ok->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ("07:45", w.time->text().toStdString());
    EXPECT_EQ(std::vector<Time>{Time::fromHMS(7, 45)}, w.times);
    EXPECT_EQ(1u, user.asked.size());
}

/// A special-days form with its two dates, as a maintenance window builds it.
class PeriodForm : public framework::FormProcedure {
  public:
    explicit PeriodForm(Store& db) : FormProcedure(db, Tbl::SPECIAL, "PERIODFORM") {}
    QLineEdit* description = nullptr;
    DateEntry* start = nullptr;
    DateEntry* end = nullptr;

  protected:
    void BUILD() override {
        description = new QLineEdit(this);
        start = new DateEntry(this);
        end = new DateEntry(this);
        bind(description, SPE::DESCRIPTION);
        bind(start, SPE::STARTDATE);
        bind(end, SPE::ENDDATE);
        auto* l = new QVBoxLayout(this);
        l->addWidget(description);
        l->addWidget(start);
        l->addWidget(end);
        l->addWidget(statusLabel());
        l->addWidget(okCancel());
    }
};

class EntryFormTest : public store::test::StoreTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        setDateFormats(DateFormats{});
        openAll(a);
        session() = Session{};
    }
    int call(int request, std::function<void(PeriodForm&)> step) {
        PeriodForm form(db);
        session().GlobalRequest = request;
        QTimer::singleShot(0, &form, [&] { step(form); });
        return form.CALL();
    }
};

TEST_F(EntryFormTest, DatesAreSavedAsDayNumbersAndABadOneSavesNothing) {
    int attempts = 0;
    const int response = call(InsertRecord, [&](PeriodForm& f) {
        f.description->setText("Harvest");
        type(f.start, "30/09/2027");
        type(f.end, "31/09/2027");
        f.findChild<QPushButton*>("OK")->click();
        ++attempts;
        EXPECT_TRUE(f.isVisible()) << "a day that does not exist keeps the form open";
        EXPECT_EQ(1u, user.asked.size());
        type(f.end, "1/10/2027");
        f.findChild<QPushButton*>("OK")->click();
    });
    EXPECT_EQ(1, attempts);
    EXPECT_EQ(RequestCompleted, response);
    ASSERT_EQ(1, count(a, Tbl::SPECIAL));
    a.fm(Tbl::SPECIAL).SET(SPE::DATE_KEY);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SPECIAL).NEXT());
    EXPECT_EQ(dmy(30, 9, 2027).value, db.SPE.STARTDATE);
    EXPECT_EQ(dmy(1, 10, 2027).value, db.SPE.ENDDATE);

    // Changing the record shows the stored days in the workstation's format.
    call(ChangeRecord, [&](PeriodForm& f) {
        EXPECT_EQ("30/09/2027", f.start->text().toStdString());
        EXPECT_EQ("01/10/2027", f.end->text().toStdString());
        f.findChild<QPushButton*>("Cancel")->click();
    });
}

}  // namespace

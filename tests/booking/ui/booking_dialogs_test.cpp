// The repeat window, its parameter windows and the booking form's small dialogs, driven
// offscreen as a user would: keys typed, buttons clicked.
#include "booking/ui/booking_dialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include "../../test_app.h"
#include "../booking_fixture.h"
#include "booking/repeat_session.h"
#include "booking/ui/dialog_parts.h"
#include "dialog_keys.h"
#include "framework/date_time_entry.h"
#include "masterdata/ui/lookup_cal.h"

namespace booking::test {
namespace {

using store::LONG;

QString shortDate(LONG d) {
    return QString::fromStdString(store::shortDate(store::Date(d)));
}
QString shortTime(LONG t) {
    return QString::fromStdString(store::shortTime(store::Time(t)));
}

class BookingDialogsTest : public BookingTest {
  protected:
    QApplication& app = tembrix::test::testApplication();  // before any widget
    QWidget owner;
    std::vector<LONG> startTimes;

    void SetUp() override {
        BookingTest::SetUp();
        db.table(store::Tbl::ACTIVITY).clearBuffer();
        db.table(store::Tbl::REPACT).clearBuffer();
        db.ACT.ACTNUMBER = 55;
        for (LONG t = at(8); t <= at(18); t += store::Length::fromMinutes(30).hundredths())
            startTimes.push_back(t);
    }
    DateEntry entry(LONG date) { return {date, at(9) + 400, at(10), 0, 0, 55}; }
};

// --- the repeat window --------------------------------------------------------------------

TEST_F(BookingDialogsTest, TheRepeatWindowMakesAWeeklyRule) {
    std::vector<DateEntry> list{entry(monday)};
    const LONG end = day(2026, 3, 23);
    bool ruleShown = false;
    onModal(&owner, [&](QWidget* w) {
        EXPECT_EQ("Booking Repeats", w->windowTitle());
        EXPECT_EQ("Multi-day Booking", button(w, "MultiDay")->text());
        EXPECT_EQ("Specific weekday of each month", button(w, "SpecificWeekday")->text());
        EXPECT_TRUE(static_cast<QRadioButton*>(button(w, "NoRepeats"))->isChecked());
        EXPECT_FALSE(w->findChild<QGroupBox*>("MultiDayFields")->isVisible());
        onModal(w, [&](QWidget* p) {
            EXPECT_EQ("Repeat (Fixed Periods)", p->windowTitle());
            // The booking's rule is no rule of weeks: the window opens empty.
            auto* number = p->findChild<QSpinBox*>("Number");
            EXPECT_EQ(0, number->value());
            auto* until = p->findChild<framework::DateEntry*>("Until");
            EXPECT_TRUE(until->text().isEmpty());
            EXPECT_TRUE(static_cast<QRadioButton*>(button(p, "Ask"))->isChecked());
            // Weeks keep their weekday: they cannot move to the next work day.
            EXPECT_FALSE(button(p, "Use next work day")->isEnabled());
            EXPECT_EQ("If the Booking falls on a special day?",
                      p->findChild<QGroupBox*>("Handling")->title());
            typeInto(number, "1");
            type(until, shortDate(end));
            button(p, "Skip it")->click();
            button(p, "OK")->click();
        });
        button(w, "FixedWeeks")->click();
        auto* line = w->findChild<QLabel*>("RuleLine");
        ruleShown = line->isVisible() && line->text().startsWith("Repeated every 1 weeks until");
        EXPECT_TRUE(button(w, "ChangeRule")->isVisible());
        // Enter presses OK.
        pressIn(w, Qt::Key_Return);
    });
    EXPECT_EQ(store::RequestCompleted, ui::REPEATACT(db, &owner, list, 0, startTimes));
    EXPECT_TRUE(ruleShown);
    ASSERT_EQ(4u, list.size());
    EXPECT_EQ(end, list.back().DATE);
    EXPECT_EQ(at(9) + 400, list.back().TIME);
    EXPECT_EQ(FixedWeeks, db.ACT.REPEATTYPE);
    EXPECT_EQ(1, db.REP.REPNUMBER);
    EXPECT_EQ(SkipIt, db.REP.WEEKENDREPEAT);
    EXPECT_EQ(store::RequestCompleted, store::session().GlobalResponse);
}

TEST_F(BookingDialogsTest, CancellingTheRuleWindowAndTheRepeatWindowChangesNothing) {
    std::vector<DateEntry> list{entry(monday), entry(day(2026, 3, 5))};
    db.ACT.REPEATTYPE = FixedDays;
    db.REP.REPNUMBER = 3;
    db.REP.REPEND = day(2026, 3, 5);
    db.REP.ACTNUMBER = 55;
    const auto original = list;
    onModal(&owner, [&](QWidget* w) {
        EXPECT_TRUE(static_cast<QRadioButton*>(button(w, "FixedDays"))->isChecked());
        onModal(w, [&](QWidget* p) {
            // Weeks on a rule of every 3 days: 0, no date, "Ask".
            EXPECT_EQ(0, p->findChild<QSpinBox*>("Number")->value());
            EXPECT_TRUE(p->findChild<framework::DateEntry*>("Until")->text().isEmpty());
            EXPECT_TRUE(static_cast<QRadioButton*>(button(p, "Ask"))->isChecked());
            pressIn(p, Qt::Key_Escape);
        });
        button(w, "FixedWeeks")->click();
        // The option before is the current one again.
        EXPECT_TRUE(static_cast<QRadioButton*>(button(w, "FixedDays"))->isChecked());
        // Escape cancels the repeat window too.
        pressIn(w, Qt::Key_Escape);
    });
    EXPECT_EQ(store::RequestCancelled, ui::REPEATACT(db, &owner, list, 0, startTimes));
    EXPECT_EQ(original, list);
    EXPECT_EQ(FixedDays, db.ACT.REPEATTYPE);
    EXPECT_EQ(3, db.REP.REPNUMBER);
}

TEST_F(BookingDialogsTest, IrregularDatesAreEnteredThroughTheDateWindow) {
    std::vector<DateEntry> list{entry(monday)};
    onModal(&owner, [&](QWidget* w) {
        button(w, "IrregularDates")->click();
        auto* table = w->findChild<QTableWidget*>("IrregularList");
        EXPECT_TRUE(table->isVisible());
        EXPECT_EQ(1, table->rowCount());
        EXPECT_EQ("Add new repeat", button(w, "Insert")->toolTip());
        EXPECT_EQ("Delete highlighted repeat", button(w, "Delete")->toolTip());
        onModal(w, [&](QWidget* p) {
            EXPECT_EQ("Irregular Date Entry", p->windowTitle());
            type(p->findChild<framework::DateEntry*>("Date"), shortDate(day(2026, 3, 4)));
            type(p->findChild<ui::TimeCombo*>("Start")->entry(), shortTime(at(13)));
            type(p->findChild<ui::TimeCombo*>("End")->entry(), shortTime(at(15)));
            button(p, "OK")->click();
        });
        button(w, "Insert")->click();
        EXPECT_EQ(2, table->rowCount());
        EXPECT_EQ(shortDate(day(2026, 3, 4)), table->item(1, 0)->text());
        // The Delete key removes the highlighted date; Insert adds one.
        table->selectRow(0);
        table->setFocus();
        pressIn(w, Qt::Key_Delete);
        EXPECT_EQ(1, table->rowCount());
        onModal(w, [&](QWidget* p) {
            type(p->findChild<framework::DateEntry*>("Date"), shortDate(day(2026, 3, 2)));
            button(p, "OK")->click();
        });
        pressIn(w, Qt::Key_Insert);
        EXPECT_EQ(2, table->rowCount());
        button(w, "OK")->click();
    });
    EXPECT_EQ(store::RequestCompleted, ui::REPEATACT(db, &owner, list, 0, startTimes));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(monday, list[0].DATE);
    EXPECT_EQ(day(2026, 3, 4), list[1].DATE);
    EXPECT_EQ(at(13), list[1].TIME);
    EXPECT_EQ(at(15), list[1].ENDTIME);
    EXPECT_EQ(IrregularDates, db.ACT.REPEATTYPE);
}

TEST_F(BookingDialogsTest, MultiDayFieldsAreCheckedBeforeTheDaysAreMade) {
    std::vector<DateEntry> list{entry(monday)};
    onModal(&owner, [&](QWidget* w) {
        button(w, "MultiDay")->click();
        EXPECT_TRUE(w->findChild<QGroupBox*>("MultiDayFields")->isVisible());
        auto* last = w->findChild<framework::DateEntry*>("LastDay");
        EXPECT_TRUE(hasFocus(last));
        // No last day yet: refused, the focus back on it.
        button(w, "OK")->click();
        EXPECT_EQ("End date must be after original date", user.lastText());
        EXPECT_TRUE(w->isVisible());
        type(last, shortDate(day(2026, 3, 4)));
        button(w, "OK")->click();
        EXPECT_EQ("End time must be entered", user.lastText());
        auto* end = w->findChild<ui::TimeCombo*>("LastEnd");
        EXPECT_TRUE(hasFocus(end));
        type(end->entry(), shortTime(at(12)));
        button(w, "OK")->click();
    });
    EXPECT_EQ(store::RequestCompleted, ui::REPEATACT(db, &owner, list, 0, startTimes));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ(at(12), list[2].ENDTIME);
    EXPECT_EQ(MultiDay, db.ACT.REPEATTYPE);
}

TEST_F(BookingDialogsTest, NoRepeatsAsksAndTheCalendarOfTheLastDayStartsAfterTheFirst) {
    std::vector<DateEntry> list{entry(monday), entry(day(2026, 3, 9)), entry(day(2026, 3, 16))};
    db.ACT.REPEATTYPE = FixedWeeks;
    db.REP.REPNUMBER = 1;
    db.REP.REPEND = day(2026, 3, 16);
    onModal(&owner, [&](QWidget* w) {
        EXPECT_TRUE(w->findChild<QLabel*>("RuleLine")->isVisible());
        user.answer(store::BUTTON_NO);
        button(w, "NoRepeats")->click();
        EXPECT_EQ(
            "Selecting No Repeats will erase all occurrences of this booking except the "
            "one you originally selected. Do you want to continue?",
            user.lastText());
        EXPECT_TRUE(static_cast<QRadioButton*>(button(w, "FixedWeeks"))->isChecked());
        // Multi-day, and its calendar opened on an empty last day: the day after.
        button(w, "MultiDay")->click();
        auto* last = w->findChild<framework::DateEntry*>("LastDay");
        last->setValue(store::Date());
        store::Date shown;
        onModal(w, [&](QWidget* picker) {
            shown = static_cast<masterdata::ui::CalendarPicker*>(picker)->selected();
            pressIn(picker, Qt::Key_Escape);
        });
        w->findChild<QGroupBox*>("MultiDayFields")->findChild<QPushButton*>("Cal")->click();
        EXPECT_EQ(monday + 1, shown.value);
        EXPECT_EQ(shortDate(monday + 1), last->text());
        user.answer(store::BUTTON_YES);
        button(w, "NoRepeats")->click();
        EXPECT_TRUE(static_cast<QRadioButton*>(button(w, "NoRepeats"))->isChecked());
        EXPECT_FALSE(w->findChild<QLabel*>("RuleLine")->isVisible());
        button(w, "OK")->click();
    });
    EXPECT_EQ(store::RequestCompleted, ui::REPEATACT(db, &owner, list, 0, startTimes));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(monday, list[0].DATE);
    EXPECT_EQ(NoRepeats, db.ACT.REPEATTYPE);
    EXPECT_EQ(0, db.REP.REPNUMBER);
}

// --- the parameter windows ----------------------------------------------------------------

TEST_F(BookingDialogsTest, TheDateWindowRefusesAnEndBeforeTheStart) {
    Occurrence o{0, at(9), at(10)};
    bool stayedOpen = false;
    onModal(&owner, [&](QWidget* p) {
        auto* date = p->findChild<framework::DateEntry*>("Date");
        // No date: refused with a beep and the focus on the date.
        button(p, "OK")->click();
        EXPECT_TRUE(hasFocus(date));
        type(date, shortDate(day(2026, 3, 6)));
        auto* start = p->findChild<ui::TimeCombo*>("Start");
        auto* end = p->findChild<ui::TimeCombo*>("End");
        // The start picked from the list, the end typed before it.
        start->setCurrentIndex(start->findText(shortTime(at(14))));
        emit start->activated(start->currentIndex());
        type(end->entry(), shortTime(at(13)));
        button(p, "OK")->click();
        EXPECT_EQ("End time must be later than Start time", user.lastText());
        EXPECT_TRUE(hasFocus(end));
        stayedOpen = p->isVisible();
        type(end->entry(), shortTime(at(16)));
        press(end->entry(), Qt::Key_Return);
        if (p->isVisible()) button(p, "OK")->click();
    });
    ASSERT_TRUE(ui::REPWINDOW4(&owner, o, startTimes, {monday, 0}));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(day(2026, 3, 6), o.date);
    EXPECT_EQ(at(14), o.start);
    EXPECT_EQ(at(16), o.end);
}

TEST_F(BookingDialogsTest, TheWeekdayOfTheMonthWindowStoresWhatIsChosen) {
    store::REPACT rule{};
    rule.WEEK = 1;
    rule.WEEKDAY = 1;
    const LONG seed = day(2026, 3, 10);
    onModal(&owner, [&](QWidget* p) {
        EXPECT_EQ("Specific Weekday", p->windowTitle());
        EXPECT_TRUE(static_cast<QRadioButton*>(button(p, "1st"))->isChecked());
        button(p, "4th")->click();
        button(p, "Friday")->click();
        // Leaving the until date on the seed itself is refused at once.
        auto* until = p->findChild<framework::DateEntry*>("Until");
        type(until, shortDate(seed));
        button(p, "Last")->setFocus();
        QApplication::processEvents();  // the entry checks once the focus has settled
        EXPECT_EQ("Must be later than original date", user.lastText());
        EXPECT_TRUE(hasFocus(until));
        // An until date before the seed is refused on OK.
        type(p->findChild<framework::DateEntry*>("Until"), shortDate(seed - 1));
        user.clearAsked();
        button(p, "OK")->click();
        EXPECT_EQ("The end date must come after the selected occurrence", user.lastText());
        type(p->findChild<framework::DateEntry*>("Until"), shortDate(day(2026, 9, 30)));
        button(p, "OK")->click();
    });
    ASSERT_TRUE(ui::REPWINDOW2(&owner, seed, rule, {monday, 0}, Words{}));
    EXPECT_EQ(4, rule.WEEK);
    EXPECT_EQ(5, rule.WEEKDAY);
    EXPECT_EQ(day(2026, 9, 30), rule.REPEND);

    onModal(&owner, [&](QWidget* p) {
        button(p, "Last")->click();
        button(p, "OK")->click();
    });
    ASSERT_TRUE(ui::REPWINDOW2(&owner, seed, rule, {monday, 0}, Words{}));
    EXPECT_EQ(5, rule.WEEK);
}

TEST_F(BookingDialogsTest, TheSetDaysWindowNeedsAWeekday) {
    store::REPACT rule{};
    const LONG seed = day(2026, 3, 10);
    rule.REPEND = seed;  // on the seed itself: the window passes it
    onModal(&owner, [&](QWidget* p) {
        EXPECT_EQ("Repeat Set Days Every Week", p->windowTitle());
        button(p, "OK")->click();
        EXPECT_EQ("At least one weekday must be selected", user.lastText());
        EXPECT_TRUE(hasFocus(button(p, "Monday")));
        button(p, "Tuesday")->click();
        button(p, "Sunday")->click();
        button(p, "OK")->click();
    });
    ASSERT_TRUE(ui::REPWINDOW3(&owner, seed, rule, {monday, 0}, Words{}));
    EXPECT_EQ(1, rule.TUESDAY);
    EXPECT_EQ(1, rule.SUNDAY);
    EXPECT_EQ(0, rule.MONDAY);
    // Cancel leaves the rule as it was.
    onModal(&owner, [&](QWidget* p) {
        button(p, "Tuesday")->click();
        button(p, "Cancel")->click();
    });
    EXPECT_FALSE(ui::REPWINDOW3(&owner, seed, rule, {monday, 0}, Words{}));
    EXPECT_EQ(1, rule.TUESDAY);
}

TEST_F(BookingDialogsTest, MonthsFromTheThirtiethWarnFirst) {
    store::REPACT rule{};
    rule.REPEND = day(2026, 12, 31);
    const LONG seed = day(2026, 3, 30);
    onModal(&owner, [&](QWidget* p) {
        typeInto(p->findChild<QSpinBox*>("Number"), "1");
        user.answer(store::BUTTON_NO);
        button(p, "OK")->click();
        EXPECT_EQ(
            "Warning: If a month does not have enough days, the booking will scheduled for "
            "the next month. Continue?",
            user.lastText());
        EXPECT_TRUE(p->isVisible());
        user.answer(store::BUTTON_YES);
        button(p, "OK")->click();
    });
    ASSERT_TRUE(ui::REPWINDOW(&owner, FixedMonths, seed, rule, {monday, 0}, false, Words{}));
    EXPECT_EQ(1, rule.REPNUMBER);
}

// --- the small dialogs --------------------------------------------------------------------

TEST_F(BookingDialogsTest, ChangeScopeIsAskedWithJustThisOneFirst) {
    Words w;
    w.booking = "Event";
    onModal(&owner, [&](QWidget* d) {
        EXPECT_EQ("Change Repeat Event", d->windowTitle());
        EXPECT_TRUE(static_cast<QRadioButton*>(button(d, "JustThisOne"))->isChecked());
        EXPECT_EQ("Only change this occurrence of the Event and those that come after it",
                  button(d, "ThisOneAndFuture")->toolTip());
        button(d, "All")->click();
        pressIn(d, Qt::Key_Return);
    });
    EXPECT_EQ(AllOccurrences, ui::CHANGEREP(&owner, w));
    onModal(&owner, [&](QWidget* d) { pressIn(d, Qt::Key_Escape); });
    EXPECT_EQ(NoScope, ui::CHANGEREP(&owner, w));
}

TEST_F(BookingDialogsTest, UnitsOfAPooledResourceStayBetweenOneAndTheTotal) {
    onModal(&owner, [&](QWidget* d) {
        EXPECT_EQ("Units of Pooled Resource", d->windowTitle());
        EXPECT_EQ("POOL", d->findChild<QLineEdit*>("Resource")->text());
        typeInto(d->findChild<QSpinBox*>("Units"), "3");
        pressIn(d, Qt::Key_Return);
    });
    EXPECT_EQ(3, ui::UPDATEUNITS(&owner, "POOL", 5, Words{}));
    // More than the resource has cannot be entered.
    onModal(&owner, [&](QWidget* d) {
        auto* units = d->findChild<QSpinBox*>("Units");
        EXPECT_EQ(5, units->maximum());
        typeInto(units, "9");
        button(d, "Close")->click();
    });
    const int units = ui::UPDATEUNITS(&owner, "POOL", 5, Words{});
    EXPECT_GE(units, 1);
    EXPECT_LE(units, 5);
    onModal(&owner, [&](QWidget* d) { d->close(); });
    EXPECT_EQ(1, ui::UPDATEUNITS(&owner, "POOL", 5, Words{}));
}

struct Offered {
    bool acceptThis, acceptAll, skip, stop, cancel;
    friend bool operator==(const Offered&, const Offered&) = default;
};
std::ostream& operator<<(std::ostream& os, const Offered& o) {
    return os << o.acceptThis << o.acceptAll << o.skip << o.stop << o.cancel;
}

/// Opens the conflict dialog on a question, notes which answers it offers and closes it
/// with the button named, or with the close box for "".
std::pair<Offered, int> conflictDialog(QWidget* owner, store::ConflictQuestion q,
                                       const char* pressed,
                                       std::function<void(QWidget*)> look = {}) {
    Offered offered{};
    onModal(owner, [&](QWidget* d) {
        offered = {button(d, "AcceptThis")->isEnabled(), button(d, "AcceptAll")->isEnabled(),
                   button(d, "SkipThis")->isEnabled(), button(d, "StopSaveAccepted")->isEnabled(),
                   button(d, "CancelEraseAccepted")->isEnabled()};
        if (look) look(d);
        if (*pressed)
            button(d, pressed)->click();
        else
            d->close();
    });
    const int answer = ui::CONFLDISP(owner, q, Words{});
    return {offered, answer};
}

TEST_F(BookingDialogsTest, TheConflictDialogOffersWhatTheSituationAllows) {
    store::ConflictQuestion q;
    q.text = "Board meeting";
    q.resource = "ROOM1";
    q.date = monday;
    q.start = at(10);
    q.end = at(11);
    q.kind = store::OtherBooking;
    q.loop = true;
    auto [all, skipped] = conflictDialog(&owner, q, "SkipThis", [&](QWidget* d) {
        EXPECT_EQ("Booking Conflict", d->windowTitle());
        EXPECT_EQ("Booking conflict", d->findChild<QGroupBox*>("ConflictGroup")->title());
        EXPECT_EQ("ROOM1", d->findChild<QLineEdit*>("Resource")->text());
        EXPECT_EQ(shortTime(at(10)), d->findChild<QLineEdit*>("Start")->text());
        EXPECT_FALSE(d->findChild<QLabel*>("ToTime")->isHidden());
        EXPECT_TRUE(d->findChild<QLabel*>("ToDate")->isHidden());
        EXPECT_EQ("Schedul this conflict, but keep checking for conflicts",
                  button(d, "AcceptThis")->toolTip());
        EXPECT_EQ("Stop scheduling, and erase occurrences already scheduled",
                  button(d, "CancelEraseAccepted")->toolTip());
    });
    EXPECT_EQ((Offered{true, true, true, true, true}), all);
    EXPECT_EQ(store::SkipThis, skipped);

    // One booking changed, no loop, conflicts not allowed: only cancel remains.
    q.loop = false;
    q.noConflict = true;
    EXPECT_EQ((Offered{false, false, false, false, true}),
              conflictDialog(&owner, q, "CancelEraseAccepted").first);
    // Pooled capacity is a collision too.
    q.kind = store::PoolExceeded;
    q.loop = true;
    EXPECT_EQ((Offered{false, false, true, true, true}),
              conflictDialog(&owner, q, "StopSaveAccepted").first);

    // A special day may still be accepted one at a time.
    store::ConflictQuestion special;
    special.text = "Easter";
    special.kind = store::SpecialDay;
    special.date = day(2026, 4, 3);
    special.periodEnd = day(2026, 4, 6);
    special.noConflict = true;
    auto [offered, answer] = conflictDialog(&owner, special, "AcceptThis", [&](QWidget* d) {
        EXPECT_TRUE(d->findChild<QLineEdit*>("Resource")->isHidden());
        EXPECT_EQ(shortDate(day(2026, 4, 6)), d->findChild<QLineEdit*>("EndDate")->text());
        EXPECT_FALSE(d->findChild<QLabel*>("ToDate")->isHidden());
    });
    EXPECT_EQ((Offered{true, false, false, false, true}), offered);
    EXPECT_EQ(store::AcceptThis, answer);

    // A weekend: the text alone.
    store::ConflictQuestion weekend;
    weekend.text = "weekend";
    weekend.kind = store::Weekend;
    weekend.date = day(2026, 3, 7);
    weekend.loop = true;
    auto [w, closed] = conflictDialog(&owner, weekend, "", [&](QWidget* d) {
        EXPECT_TRUE(d->findChild<QLineEdit*>("Resource")->isHidden());
        EXPECT_TRUE(d->findChild<QLabel*>("ToDate")->isHidden());
        EXPECT_TRUE(d->findChild<QLabel*>("ToTime")->isHidden());
        EXPECT_TRUE(d->findChild<QLineEdit*>("Date")->text().isEmpty());
    });
    EXPECT_EQ((Offered{true, true, true, true, true}), w);
    // Closed without a button: cancel, erase accepted.
    EXPECT_EQ(store::CancelEraseAccepted, closed);
    onModal(&owner, [](QWidget* d) { pressIn(d, Qt::Key_Escape); });
    EXPECT_EQ(store::CancelEraseAccepted, ui::CONFLDISP(&owner, weekend, Words{}));
}

TEST_F(BookingDialogsTest, TheConflictDialogSaysWhatItFound) {
    auto label = [](QWidget* d, const char* name) {
        auto* l = d->findChild<QLabel*>(name);
        EXPECT_NE(nullptr, l) << name;
        return l && !l->isHidden() ? l->text() : QString("(hidden)");
    };
    auto field = [](QWidget* d, const char* name) {
        auto* e = d->findChild<QLineEdit*>(name);
        EXPECT_NE(nullptr, e) << name;
        return e ? e->text() : QString();
    };
    auto everyFieldShownOnly = [](QWidget* d) {
        for (QLineEdit* e : d->findChildren<QLineEdit*>()) {
            EXPECT_TRUE(e->isReadOnly()) << e->objectName().toStdString();
            EXPECT_EQ(e->palette().color(QPalette::Window), e->palette().color(QPalette::Base))
                << e->objectName().toStdString();
        }
    };
    // Another booking: labelled fields, and the booking by name and number beside its client.
    store::ConflictQuestion other;
    other.text = "ACME";
    other.otherName = "Board meeting";
    other.otherClient = "ACME";
    other.otherNumber = 17;
    other.resource = "ROOM1";
    other.date = monday;
    other.start = at(10);
    other.end = at(11);
    other.kind = store::OtherBooking;
    conflictDialog(&owner, other, "CancelEraseAccepted", [&](QWidget* d) {
        EXPECT_EQ("Other booking:", label(d, "KindLabel"));
        EXPECT_EQ("ACME", label(d, "Text"));
        EXPECT_EQ("Resource:", label(d, "ResourceLabel"));
        EXPECT_EQ("Date:", label(d, "DateLabel"));
        EXPECT_EQ("Time:", label(d, "TimeLabel"));
        EXPECT_EQ("Board meeting", field(d, "OtherName"));
        EXPECT_EQ("17", field(d, "OtherNumber"));
        EXPECT_EQ("ACME", field(d, "OtherClient"));
        everyFieldShownOnly(d);
    });
    // A special day says that it is one.
    store::ConflictQuestion special;
    special.text = "Easter";
    special.kind = store::SpecialDay;
    special.date = day(2026, 4, 3);
    special.periodEnd = day(2026, 4, 6);
    conflictDialog(&owner, special, "CancelEraseAccepted", [&](QWidget* d) {
        EXPECT_EQ("Special day:", label(d, "KindLabel"));
        EXPECT_EQ("Dates:", label(d, "DateLabel"));
        EXPECT_EQ("(hidden)", label(d, "ResourceLabel"));
        EXPECT_EQ("(hidden)", label(d, "TimeLabel"));
    });
    // A full pool gives its numbers.
    store::ConflictQuestion pool = other;
    pool.text = "maximum units exceeded";
    pool.kind = store::PoolExceeded;
    pool.unitsWanted = 2;
    pool.unitsTaken = 4;
    pool.capacity = 5;
    conflictDialog(&owner, pool, "CancelEraseAccepted", [&](QWidget* d) {
        EXPECT_EQ("maximum units exceeded", label(d, "Text"));
        EXPECT_EQ("2", field(d, "UnitsWanted"));
        EXPECT_EQ("4", field(d, "UnitsTaken"));
        EXPECT_EQ("5", field(d, "Capacity"));
        EXPECT_EQ("Units of the resource:", label(d, "CapacityLabel"));
        everyFieldShownOnly(d);
    });
}

TEST_F(BookingDialogsTest, EnterNeverBooksAConflict) {
    store::ConflictQuestion q;
    q.text = "Board meeting";
    q.resource = "ROOM1";
    q.date = monday;
    q.start = at(10);
    q.end = at(11);
    for (store::ConflictKind kind :
         {store::OtherBooking, store::SpecialDay, store::Weekend, store::PoolExceeded}) {
        SCOPED_TRACE(kind);
        q.kind = kind;
        // In a run of occurrences Enter skips this one and the checks go on.
        q.loop = true;
        onModal(&owner, [](QWidget* d) {
            EXPECT_TRUE(static_cast<QPushButton*>(button(d, "SkipThis"))->isDefault());
            pressIn(d, Qt::Key_Return);
        });
        EXPECT_EQ(store::SkipThis, ui::CONFLDISP(&owner, q, Words{}));
        // For one occurrence Enter does nothing at all; Escape then cancels.
        q.loop = false;
        bool stillOpen = false;
        onModal(&owner, [&](QWidget* d) {
            for (auto* b : d->findChildren<QPushButton*>()) EXPECT_FALSE(b->isDefault());
            pressIn(d, Qt::Key_Return);
            pressIn(d, Qt::Key_Enter);
            stillOpen = d->isVisible();
            pressIn(d, Qt::Key_Escape);
        });
        EXPECT_EQ(store::CancelEraseAccepted, ui::CONFLDISP(&owner, q, Words{}));
        EXPECT_TRUE(stillOpen);
    }
}

/// Questions that leave the conflict dialog to the installed window.
class PlainQuestions : public store::UserQuestions {
  public:
    store::Button message(const std::string&, const std::string&, store::Icon, unsigned,
                          store::Button b) override {
        return b;
    }
    bool stop(const std::string&) override { return false; }
};

TEST_F(BookingDialogsTest, TheInstalledConflictWindowSpeaksTheOrganisationsWords) {
    PlainQuestions plain;
    store::UserQuestions* before = store::setQuestions(&plain);
    db.SYP.LABELS1_1 = "Event";
    ui::installConflictWindow(db);
    QString caption;
    onModal(&owner, [&](QWidget* d) {
        caption = d->windowTitle();
        button(d, "AcceptAll")->click();
    });
    store::ConflictQuestion q;
    q.text = "weekend";
    q.kind = store::Weekend;
    const int answer = store::questions().conflict(q);
    store::setConflictWindow({});
    store::setQuestions(before);
    EXPECT_EQ("Event Conflict", caption);
    EXPECT_EQ(store::AcceptAll, answer);
}

}  // namespace
}  // namespace booking::test

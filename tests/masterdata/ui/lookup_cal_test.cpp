// The pop-up month calendar and the "Cal" buttons beside date entries.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "../../test_app.h"
#include "framework/date_time_entry.h"
#include "masterdata/ui/lookup_cal.h"
#include "store/scripted_questions.h"
#include "ui_keys.h"

namespace {

using masterdata::test::press;
using masterdata::ui::CalendarPicker;
using masterdata::ui::LOOKUPCAL;
using store::Date;

Date dmy(int d, int m, int y) {
    return Date::fromMDY(m, d, y);
}

class PickerTest : public ::testing::Test {
  protected:
    QApplication& app = tembrix::test::testApplication();
    QWidget owner;  // the steps are tied to it, so none outlives its test
    void SetUp() override {
        tembrix::test::testApplication();
        store::setDateFormats(store::DateFormats{});
        store::setClock([] { return store::ClockReading{dmy(17, 6, 2026), store::Time(1)}; });
    }
    void TearDown() override { store::setClock({}); }

    /// Runs `step` on the picker once it is open.
    void onPicker(std::function<void(CalendarPicker&)> step) {
        QTimer::singleShot(0, &owner, [step] {
            auto* picker = qobject_cast<CalendarPicker*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, picker);
            // The offscreen window system does not activate windows by itself.
            QApplication::setActiveWindow(picker);
            ASSERT_NE(nullptr, QApplication::focusWidget());
            step(*picker);
        });
    }
    static QPushButton* button(CalendarPicker& p, const char* name) {
        return p.findChild<QPushButton*>(name);
    }
    static QPushButton* cellOfDay(CalendarPicker& p, int day) {
        for (int i = 0; i < 42; ++i)
            if (auto* c = p.findChild<QPushButton*>(QString("Cell%1").arg(i));
                c->text() == QString::number(day))
                return c;
        return nullptr;
    }
};

TEST_F(PickerTest, NextMonthFromTheLastOfJanuaryStopsAtTheEndOfFebruary) {
    for (int year : {2027, 2028}) {
        Date date = dmy(31, 1, year);
        onPicker([&](CalendarPicker& p) {
            EXPECT_EQ("Look Up Calendar", p.windowTitle().toStdString());
            EXPECT_EQ(button(p, "OK"), QApplication::focusWidget());
            button(p, "NextMonth")->click();
            EXPECT_EQ(2, p.shown().month);
            EXPECT_EQ("Feb", p.findChild<QComboBox*>("Month")->currentText().toStdString());
            EXPECT_EQ(year, p.findChild<QSpinBox*>("Year")->value());
            const int last = year == 2028 ? 29 : 28;
            EXPECT_TRUE(cellOfDay(p, last)->property("selectedDay").toBool());
            EXPECT_EQ(nullptr, cellOfDay(p, last + 1));
            button(p, "OK")->click();
        });
        LOOKUPCAL(date, &owner);
        EXPECT_EQ(dmy(year == 2028 ? 29 : 28, 2, year), date);
    }
}

TEST_F(PickerTest, NoDateOpensOnTodayAndCancelLeavesToday) {
    Date date;
    onPicker([&](CalendarPicker& p) {
        EXPECT_EQ(dmy(17, 6, 2026), p.selected());
        cellOfDay(p, 3)->click();
        EXPECT_EQ(dmy(3, 6, 2026), p.selected());
        button(p, "Cancel")->click();
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(17, 6, 2026), date);

    // Closing the window counts as Cancel too.
    date = dmy(5, 5, 2030);
    onPicker([&](CalendarPicker& p) {
        button(p, "NextYear")->click();
        p.close();
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(5, 5, 2030), date);
}

TEST_F(PickerTest, TheKeyboardWorksTheGrid) {
    Date date = dmy(30, 12, 2026);
    onPicker([&](CalendarPicker& p) {
        QWidget* f = QApplication::focusWidget();
        press(f, Qt::Key_Right);  // 31 December
        press(f, Qt::Key_Right);  // 1 January 2027
        EXPECT_EQ(dmy(1, 1, 2027), p.selected());
        press(f, Qt::Key_Up);
        EXPECT_EQ(dmy(25, 12, 2026), p.selected());
        press(f, Qt::Key_PageDown);
        EXPECT_EQ(dmy(25, 1, 2027), p.selected());
        press(f, Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(dmy(25, 1, 2026), p.selected());
        press(f, Qt::Key_End);
        EXPECT_EQ(dmy(31, 1, 2026), p.selected());
        press(f, Qt::Key_Down);
        press(f, Qt::Key_Return);
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(7, 2, 2026), date);

    date = dmy(30, 12, 2026);
    onPicker([&](CalendarPicker&) {
        press(QApplication::focusWidget(), Qt::Key_Left);
        press(QApplication::focusWidget(), Qt::Key_Escape);
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(30, 12, 2026), date);
}

TEST_F(PickerTest, TheMonthButtonsStopAtTheirLimitsAndTheYearCanBeTyped) {
    Date date = dmy(10, 1, 1802);
    onPicker([&](CalendarPicker& p) {
        button(p, "PreviousMonth")->click();
        EXPECT_EQ(dmy(10, 1, 1802), p.selected());
        press(QApplication::focusWidget(), Qt::Key_Home);
        press(QApplication::focusWidget(), Qt::Key_Left);
        EXPECT_EQ(dmy(1, 1, 1802), p.selected()) << "the keys stop where the buttons stop";
        auto* year = p.findChild<QSpinBox*>("Year");
        year->setValue(2098);
        EXPECT_EQ(dmy(1, 1, 2098), p.selected());
        p.findChild<QComboBox*>("Month")->setCurrentIndex(11);
        emit p.findChild<QComboBox*>("Month")->activated(11);
        button(p, "NextMonth")->click();
        EXPECT_EQ(dmy(1, 12, 2098), p.selected());
        // A double click on a day picks it and closes the picker.
        QWidget* cell = cellOfDay(p, 24);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(3, 3),
                        cell->mapToGlobal(QPointF(3, 3)), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(cell, &dbl);
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(24, 12, 2098), date);
}

TEST_F(PickerTest, AYearTypedWithEnterIsShownAndThePickerStaysOpen) {
    Date date = dmy(29, 2, 2028);
    onPicker([&](CalendarPicker& p) {
        auto* yearText = p.findChild<QSpinBox*>("Year")->findChild<QLineEdit*>();
        ASSERT_NE(nullptr, yearText);
        yearText->setFocus();
        masterdata::test::type(yearText, "2031");
        press(yearText, Qt::Key_Return);
        EXPECT_TRUE(p.isVisible());
        EXPECT_EQ(dmy(28, 2, 2031), p.selected()) << "29 February becomes the 28th";
        EXPECT_EQ(button(p, "OK"), QApplication::focusWidget());
        press(QApplication::focusWidget(), Qt::Key_Return);
    });
    LOOKUPCAL(date, &owner);
    EXPECT_EQ(dmy(28, 2, 2031), date);
}

TEST_F(PickerTest, FebruaryOfFourRowsAndMonthsOfSix) {
    Date date = dmy(10, 2, 2015);  // starts on a Sunday, 28 days
    onPicker([&](CalendarPicker& p) {
        EXPECT_EQ(4, p.shown().rows);
        EXPECT_FALSE(p.findChild<QPushButton*>("Cell28")->isVisible());
        EXPECT_EQ("1", p.findChild<QPushButton*>("Cell0")->text().toStdString());
        EXPECT_TRUE(p.select(dmy(15, 8, 2026)));  // starts on a Saturday, 31 days
        EXPECT_EQ(6, p.shown().rows);
        EXPECT_FALSE(p.findChild<QPushButton*>("Cell5")->isEnabled());
        EXPECT_EQ("31", p.findChild<QPushButton*>("Cell36")->text().toStdString());
        EXPECT_TRUE(p.findChild<QPushButton*>("Cell36")->isVisible());
        p.reject();
    });
    LOOKUPCAL(date, &owner);
}

TEST_F(PickerTest, TheCalButtonWritesThePickedDateIntoItsEntry) {
    store::ScriptedQuestions user;
    QDialog window;
    auto* entry = new framework::DateEntry(&window);
    QPushButton* cal = masterdata::ui::calButton(entry, &window);
    EXPECT_EQ("Pop up calendar", cal->toolTip().toStdString());
    std::vector<Date> accepted;
    QObject::connect(entry, &framework::DateEntry::valueAccepted,
                     [&](Date d) { accepted.push_back(d); });
    entry->setValue(dmy(9, 3, 2027));
    onPicker([&](CalendarPicker& p) {
        EXPECT_EQ(dmy(9, 3, 2027), p.selected());
        cellOfDay(p, 12)->click();
        button(p, "OK")->click();
    });
    cal->click();
    EXPECT_EQ("12/03/2027", entry->text().toStdString());
    EXPECT_EQ(std::vector<Date>{dmy(12, 3, 2027)}, accepted);

    // Cancel leaves the entry's date alone and announces nothing; F4 in the entry opens
    // the picker as the button does.
    bool opened = false;
    onPicker([&](CalendarPicker& p) {
        opened = true;
        button(p, "Cancel")->click();
    });
    press(entry, Qt::Key_F4);
    EXPECT_TRUE(opened);
    EXPECT_EQ(dmy(12, 3, 2027), entry->value());
    EXPECT_EQ(1u, accepted.size());

    // A read-only entry opens its calendar on its date but keeps it.
    entry->setReadOnly(true);
    onPicker([&](CalendarPicker& p) {
        EXPECT_EQ(dmy(12, 3, 2027), p.selected());
        cellOfDay(p, 20)->click();
        button(p, "OK")->click();
    });
    cal->click();
    EXPECT_EQ("12/03/2027", entry->text().toStdString());
    EXPECT_EQ(1u, accepted.size());
    EXPECT_TRUE(user.asked.empty());
}

}  // namespace

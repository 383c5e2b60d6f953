// Duration and routine-name lists per owner, the special-day form and the special-days
// file import, worked as a user works them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <fstream>

#include "../../store/store_fixture.h"
#include "../../test_app.h"
#include "framework/date_time_entry.h"
#include "masterdata/ui/list_windows.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/windows.h"
#include "store/session.h"
#include "ui_keys.h"

namespace {

using namespace store;
using framework::callWindow;
using masterdata::test::onModal;
using masterdata::test::press;
using masterdata::test::type;

Date dmy(int d, int m, int y) {
    return Date::fromMDY(m, d, y);
}

class ListWindowTest : public store::test::StoreTest {
  protected:
    QApplication& app = tembrix::test::testApplication();
    QWidget owner;
    void SetUp() override {
        openAll(a);
        setDateFormats(DateFormats{});
        masterdata::ui::defineListWindows(db);
        session() = Session{};
        session().GlobalUserName = "ANNA";
        session().accessLevel = GeneralUser;
        for (auto [who, minutes] : {std::pair{"SysPref", 30}, {"SysPref", 15}, {"ANNA", 60}})
            addDuration(who, minutes);
        for (auto [who, name] : {std::pair{"SysPref", "Staff meeting"},
                                 {"ANNA", "Yoga class"},
                                 {"ANNA", "Choir practice"},
                                 {"BEN", "Chess club"}})
            addRoutine(who, name);
    }
    void addDuration(const char* who, int minutes) {
        a.fm(Tbl::DURLIST).PRIMERECORD();
        db.DUR.USERNAME = who;
        db.DUR.DURATION = lengthFromMinutes(minutes);
        ASSERT_EQ(Level_Benign, a.fm(Tbl::DURLIST).INSERT());
    }
    void addRoutine(const char* who, const char* name) {
        a.fm(Tbl::ROUTINEA).PRIMERECORD();
        db.ROU.USERNAME = who;
        db.ROU.NAME = name;
        ASSERT_EQ(Level_Benign, a.fm(Tbl::ROUTINEA).INSERT());
    }
    /// The list window started under a name.
    framework::BrowseProcedure* started(const char* name) {
        EXPECT_EQ(RequestCompleted, callWindow(name, db, &owner, NoRequest));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                return qobject_cast<framework::BrowseProcedure*>(w);
        ADD_FAILURE() << name << " did not open";
        return nullptr;
    }
    static std::vector<std::string> rows(framework::BrowseProcedure* b) {
        std::vector<std::string> out;
        for (int r = 0; r < b->model().rowCount(); ++r)
            out.push_back(b->model().index(r, 0).data().toString().toStdString());
        return out;
    }
    static QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(name);
    }
    std::vector<std::string> durationsOf(const char* who) {
        std::vector<std::string> out;
        db.DUR.USERNAME = who;
        db.DUR.DURATION = 0;
        FileManager& fm = a.fm(Tbl::DURLIST);
        fm.SET(DUR::USERNAME_KEY, true);
        while (fm.NEXT() == Level_Benign && db.DUR.USERNAME.str() == who)
            out.push_back(std::to_string(minutesOfLength(db.DUR.DURATION)));
        return out;
    }
};

TEST_F(ListWindowTest, EachDurationListShowsAndAddsItsOwnLengths) {
    auto* mine = started("BROWSEDURA");
    ASSERT_NE(nullptr, mine);
    EXPECT_EQ(std::vector<std::string>{"01:00"}, rows(mine));
    EXPECT_FALSE(button(mine, "Change")->isVisible()) << "a length is never changed";
    onModal(&owner, [&](QWidget* form) {
        EXPECT_EQ("Adding a DURLIST Record",
                  form->findChild<QLabel*>("Status")->text().toStdString());
        auto* entry = form->findChild<framework::TimeEntry*>("Duration");
        type(entry, "0:00");
        button(form, "OK")->click();
        EXPECT_TRUE(form->isVisible()) << "a length of nothing is refused";
        type(entry, "45");  // no colon: read as 0:45
        button(form, "OK")->click();
        EXPECT_TRUE(form->isVisible());
        type(entry, "0:45");
        button(form, "OK")->click();
    });
    button(mine, "Insert")->click();
    EXPECT_EQ((std::vector<std::string>{"00:45", "01:00"}), rows(mine));
    EXPECT_EQ((std::vector<std::string>{"45", "60"}), durationsOf("ANNA"));

    auto* system = started("BROWSEDUR2");
    ASSERT_NE(nullptr, system);
    EXPECT_EQ((std::vector<std::string>{"00:15", "00:30"}), rows(system));
    // The same length twice in one list is refused by its key.
    onModal(&owner, [&](QWidget* form) {
        type(form->findChild<framework::TimeEntry*>("Duration"), "00:15");
        button(form, "OK")->click();
        EXPECT_EQ("Duplicate Key Error", user.asked.back().caption);
        user.answer(BUTTON_NO);
        button(form, "Cancel")->click();
    });
    button(system, "Insert")->click();
    // Deleting from the system list leaves the user's list alone.
    system->list()->selectRow(1);
    user.answer(BUTTON_YES);
    button(system, "Delete")->click();
    EXPECT_EQ(std::vector<std::string>{"00:15"}, rows(system));
    EXPECT_EQ((std::vector<std::string>{"45", "60"}), durationsOf("ANNA"));
    // The locator takes a length as typed.
    emit mine->locator()->textEdited("1:");
    EXPECT_EQ("01:00", rows(mine).front());
    mine->close();
    system->close();
}

TEST_F(ListWindowTest, TheRoutineListInSelectModeReturnsTheName) {
    onModal(&owner, [&](QWidget* w) {
        auto* b = qobject_cast<framework::BrowseProcedure*>(w);
        ASSERT_NE(nullptr, b);
        EXPECT_EQ("Browse Routine Bookings", w->windowTitle().toStdString());
        EXPECT_EQ((std::vector<std::string>{"Choir practice", "Yoga class"}), rows(b));
        // A name added here is filed under the user.
        onModal(&owner, [&](QWidget* form) {
            EXPECT_EQ("Record Will Be Added",
                      form->findChild<QLabel*>("Status")->text().toStdString());
            type(form->findChild<QLineEdit*>("Name"), "Band rehearsal");
            button(form, "OK")->click();
        });
        button(w, "Insert")->click();
        EXPECT_EQ(3u, rows(b).size());
        emit b->locator()->textEdited("yog");
        button(w, "Select")->click();
    });
    EXPECT_EQ(RequestCompleted, callWindow("BROWSEROUTINE", db, &owner, SelectRecord));
    EXPECT_EQ("Yoga class", db.ROU.NAME.str());
    db.ROU.USERNAME = "ANNA";
    db.ROU.NAME = "Band rehearsal";
    EXPECT_EQ(Level_Benign, a.fm(Tbl::ROUTINEA).FETCH(ROU::USERNAME_KEY));

    auto* system = started("BROWSEROUTINE2");
    ASSERT_NE(nullptr, system);
    EXPECT_EQ(std::vector<std::string>{"Staff meeting"}, rows(system));
    system->close();
}

TEST_F(ListWindowTest, ASpecialPeriodEndingBeforeItStartsIsRefused) {
    onModal(&owner, [&](QWidget* form) {
        EXPECT_EQ("Add/Update Special Day Period", form->windowTitle().toStdString());
        type(form->findChild<QLineEdit*>("Description"), "Harvest");
        auto* start = form->findChild<framework::DateEntry*>("StartDate");
        auto* end = form->findChild<framework::DateEntry*>("EndDate");
        start->setFocus();
        type(start, "10/10/2027");
        end->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(dmy(10, 10, 2027), end->value()) << "a start alone offers itself as the end";
        type(end, "09/10/2027");
        button(form, "OK")->click();
        EXPECT_TRUE(form->isVisible());
        ASSERT_FALSE(user.asked.empty());
        EXPECT_NE(std::string::npos, user.lastText().find("cannot end before it starts"));
        // The end picked on the calendar: two days after the 9th.
        onModal(&owner, [&](QWidget* picker) {
            auto* p = qobject_cast<masterdata::ui::CalendarPicker*>(picker);
            ASSERT_NE(nullptr, p);
            EXPECT_EQ(dmy(9, 10, 2027), p->selected());
            press(QApplication::focusWidget(), Qt::Key_Right);
            press(QApplication::focusWidget(), Qt::Key_Right);
            press(QApplication::focusWidget(), Qt::Key_Return);
        });
        button(form, "CalEnd")->click();
        EXPECT_EQ("11/10/2027", end->text().toStdString());
        button(form, "OK")->click();
    });
    EXPECT_EQ(RequestCompleted, callWindow("UPDATESPECIAL", db, &owner, InsertRecord));
    ASSERT_EQ(1, count(a, Tbl::SPECIAL));
    a.fm(Tbl::SPECIAL).SET(SPE::DATE_KEY);
    ASSERT_EQ(Level_Benign, a.fm(Tbl::SPECIAL).NEXT());
    EXPECT_EQ(dmy(10, 10, 2027).value, db.SPE.STARTDATE);
    EXPECT_EQ(dmy(11, 10, 2027).value, db.SPE.ENDDATE);
    EXPECT_EQ("Harvest", db.SPE.DESCRIPTION.str());
}

TEST_F(ListWindowTest, TheFileWindowImportsAGoodFileAndStaysOpenOnABadOne) {
    const std::string good = dir.file("Holidays.tps");
    std::vector<masterdata::SpecialPeriod> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({dmy(1 + i, 1, 2028), dmy(1 + i, 1, 2028), "Day"});
    ASSERT_EQ("", masterdata::writeSpecialDaysFile(good, ten));
    const std::string bad = dir.file("bad.tps");
    std::ofstream(bad) << "not a store file";

    onModal(&owner, [&](QWidget* w) {
        EXPECT_EQ("Five and one year files", w->windowTitle().toStdString());
        auto* path = w->findChild<QLineEdit*>("File");
        button(w, "OK")->click();
        EXPECT_TRUE(w->isVisible()) << "no file, nothing done";
        EXPECT_TRUE(user.asked.empty());
        type(path, QString::fromStdString(bad));
        button(w, "OK")->click();
        EXPECT_TRUE(w->isVisible());
        ASSERT_EQ(1u, user.asked.size());
        EXPECT_NE(std::string::npos, user.lastText().find("bad.tps"));
        // The look-up button fills the path from the file dialog.
        user.answerFile(good);
        button(w, "LookUp")->click();
        EXPECT_EQ(good, path->text().toStdString());
        EXPECT_EQ("Choose Special Day File", user.asked.back().caption);
        button(w, "OK")->click();
    });
    EXPECT_EQ(RequestCompleted, callWindow("FIVEYEAR", db, &owner, NoRequest));
    EXPECT_EQ(10, count(a, Tbl::SPECIAL));
    EXPECT_EQ("10 special day periods were added.", user.lastText());
    EXPECT_TRUE(a.exits.empty());
}

}  // namespace

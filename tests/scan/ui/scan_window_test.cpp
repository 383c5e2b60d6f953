// The scan windows driven as a user drives them: a resource or group typed, the period
// stepped, a booking box clicked to change the booking, and the scan showing the change.
#include "scan/ui/scan_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <sstream>

#include "../../booking/booking_fixture.h"
#include "../../test_app.h"
#include "../../widget_keys.h"
#include "booking/ui/booking_window.h"
#include "framework/booking_changes.h"
#include "framework/date_time_entry.h"
#include "framework/preview_window.h"
#include "masterdata/ui/windows.h"
#include "scan/ui/bookings_browse.h"
#include "scan/ui/free_time_window.h"
#include "scan/ui/scan_view.h"

namespace scan::test {
namespace {

using booking::test::at;
using tembrix::test::onModal;

class ScanWindowTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        db.USP.SCANTEXT = "Booking";
        db.USP.SCANSIZE = 40;
        db.USP.HEIGHT = 8;
        db.USP.INTERVAL = store::Length::fromMinutes(15).value;
        framework::defineWindow("BROWSERESOURCE", [this](store::Store& s, QWidget*, int) {
            ++lookups;
            if (pick.empty()) return int(store::RequestCancelled);
            s.RES.RESOURCE = pick;
            return int(store::RequestCompleted);
        });
    }
    void TearDown() override {
        framework::defineWindow("BROWSERESOURCE", nullptr);
        BookingTest::TearDown();
    }
    /// Runs the window modally; `act` runs inside its event loop and closes it.
    void run(ui::ScanWindow& w, std::function<void()> act) {
        QTimer::singleShot(0, &w, [&w, act = std::move(act)] {
            QApplication::setActiveWindow(&w);
            act();
            w.reject();
        });
        w.CALL();
    }
    std::vector<const Item*> boxes(ui::ScanWindow& w) {
        std::vector<const Item*> out;
        for (const Item& i : w.view()->scanLayout().items)
            if (i.kind == Item::Box) out.push_back(&i);
        return out;
    }
    /// Clicks the middle of a box as the mouse would.
    void click(ui::ScanWindow& w, const Item& box) {
        QTest::mouseClick(w.view(), Qt::LeftButton, Qt::NoModifier, w.view()->rectOf(box).center());
    }
    /// In the booking form that the click opens: a new start, OK, and the scope asked.
    void changeStartTo(const QString& start, booking::ChangeScope scope) {
        onModal(&*this->guard, [start, scope, this](QWidget* modal) {
            auto* form = qobject_cast<booking::ui::UpdateAct*>(modal);
            ASSERT_TRUE(form);
            opened = {db.DAT.ACTNUMBER, db.DAT.DATE};
            tembrix::test::typeKeys(form->startEntry(), start);
            tembrix::test::press(form->startEntry(), Qt::Key_Tab);
            onModal(&*this->guard, [scope](QWidget* dialog) {
                const char* names[] = {"", "JustThisOne", "All", "ThisOneAndFuture"};
                auto* radio = dialog->findChild<QRadioButton*>(names[scope]);
                ASSERT_TRUE(radio);
                radio->setChecked(true);
                auto* ok = dialog->findChild<QPushButton*>("OK");
                ASSERT_TRUE(ok);
                QTest::mouseClick(ok, Qt::LeftButton);
            });
            QTest::mouseClick(form->okButton(), Qt::LeftButton);
        });
    }

    std::unique_ptr<QObject> guard = std::make_unique<QObject>();
    std::string pick;
    int lookups = 0;
    std::array<store::LONG, 2> opened{};
};

TEST_F(ScanWindowTest, AResourceTypedIsShownAndOneNotOnFileOpensTheLookUp) {
    book(db, "Board", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    ui::ScanWindow w(db, ScanKind::ResourceWeek);
    run(w, [&] {
        EXPECT_EQ("Scan A Resource For A Week", w.windowTitle().toStdString());
        tembrix::test::typeKeys(w.nameEntry(), "ROOM1");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        EXPECT_EQ("ROOM1", w.shown());
        EXPECT_EQ(1u, boxes(w).size());
        EXPECT_EQ(0, lookups);
        // Not on file: the look-up opens; cancelled, the typed text stays and nothing new
        // is drawn.
        tembrix::test::typeKeys(w.nameEntry(), "NOSUCH");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        EXPECT_EQ(1, lookups);
        EXPECT_EQ("NOSUCH", w.nameEntry()->text().toStdString());
        EXPECT_EQ("ROOM1", w.shown());
        // Picked from the look-up, it is shown.
        pick = "ROOM2";
        QTest::mouseClick(w.lookupButton(), Qt::LeftButton);
        EXPECT_EQ("ROOM2", w.shown());
        EXPECT_TRUE(boxes(w).empty());
        // Forward and back a week.
        QTest::mouseClick(w.forwardButton(), Qt::LeftButton);
        EXPECT_EQ(monday + 7, w.reference().value);
        QTest::mouseClick(w.backButton(), Qt::LeftButton);
        EXPECT_EQ(monday, w.reference().value);
    });
}

TEST_F(ScanWindowTest, ABoxClickedOpensItsOccurrenceAndEveryScopeShowsOnTheScan) {
    const store::LONG weekly =
        book(db, "Weekly", {{"ROOM1", 1}},
             {{monday, at(9), at(10)}, {monday + 7, at(9), at(10)}, {monday + 14, at(9), at(10)}},
             booking::IrregularDates);
    ui::ScanWindow w(db, ScanKind::ResourceWeek);
    auto boxTop = [&](std::size_t i) { return boxes(w).at(i)->y; };
    run(w, [&] {
        w.show("ROOM1", store::Date(monday + 7));
        ASSERT_EQ(1u, boxes(w).size());
        const int nine = boxTop(0);
        EXPECT_TRUE(w.view()->cursor().shape() == Qt::ArrowCursor);

        // Just this one: the clicked occurrence becomes a booking of its own at 11:00.
        changeStartTo("11:00", booking::JustThisOne);
        click(w, *boxes(w)[0]);
        EXPECT_EQ(weekly, opened[0]);
        EXPECT_EQ(monday + 7, opened[1]);
        ASSERT_EQ(1u, boxes(w).size());
        EXPECT_GT(boxTop(0), nine);
        EXPECT_NE(weekly, w.view()->scanLayout().boxes[0].number);
        EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(9) + 400, at(10)},
                                                           {monday + 14, at(9) + 400, at(10)}}),
                  datesOf(weekly));

        // All: every occurrence of the weekly booking moves; the scan of its third week shows it.
        QTest::mouseClick(w.forwardButton(), Qt::LeftButton);
        ASSERT_EQ(1u, boxes(w).size());
        changeStartTo("14:00", booking::AllOccurrences);
        click(w, *boxes(w)[0]);
        EXPECT_EQ(monday + 14, opened[1]);
        ASSERT_EQ(1u, boxes(w).size());
        EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(14) + 400, at(15)},
                                                           {monday + 14, at(14) + 400, at(15)}}),
                  datesOf(weekly));
        const int two = boxTop(0);
        EXPECT_GT(two, nine);

        // This one and future: the third week's occurrence goes to a new booking at 16:00.
        changeStartTo("16:00", booking::ThisOneAndFuture);
        click(w, *boxes(w)[0]);
        ASSERT_EQ(1u, boxes(w).size());
        EXPECT_GT(boxTop(0), two);
        EXPECT_EQ((std::vector<std::array<store::LONG, 3>>{{monday, at(14) + 400, at(15)}}),
                  datesOf(weekly));
    });
}

TEST_F(ScanWindowTest, AScanRedrawsWhenThisStationSavesABookingElsewhere) {
    ui::ScanWindow w(db, ScanKind::GroupDay);
    run(w, [&] {
        EXPECT_EQ("Scan Group For A Day", w.windowTitle().toStdString());
        w.show("", store::Date(monday));
        EXPECT_TRUE(boxes(w).empty());
        // A group not on file opens the group look-up (none is defined here: cancelled).
        tembrix::test::typeKeys(w.nameEntry(), "NOGROUP");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        EXPECT_EQ("", w.shown());
    });
    ui::ScanWindow month(db, ScanKind::ResourceMonth);
    run(month, [&] {
        month.show("ROOM2", store::Date(monday));
        EXPECT_TRUE(boxes(month).empty());
        book(db, "Elsewhere", {{"ROOM2", 1}}, {{monday + 3, at(9), at(10)}});
        emit framework::bookingChanges().changed();
        QApplication::processEvents();
        EXPECT_EQ(1u, boxes(month).size());
    });
}

TEST_F(ScanWindowTest, AViewOnlyUserCannotInsertFromAScan) {
    store::session().accessLevel = store::ViewOnly;
    ui::ScanWindow w(db, ScanKind::GroupMonth);
    EXPECT_FALSE(w.insertButton()->isEnabled());
    store::session().accessLevel = store::GeneralUser;
    ui::ScanWindow w2(db, ScanKind::GroupMonth);
    EXPECT_TRUE(w2.insertButton()->isEnabled());
}

TEST_F(ScanWindowTest, AGreenCellOfTheFreeScanOpensItsBookingAndOthersDoNot) {
    const store::LONG one = book(db, "One", {{"ROOM1", 1}}, {{monday, at(9), at(9, 15)}});
    book(db, "Two", {{"ROOM1", 1}, {"ROOM2", 1}}, {{monday + 1, at(9), at(9, 15)}});
    addGroup(a, "ROOMS", {"ROOM1", "ROOM2"});
    int forms = 0;
    std::array<store::LONG, 3> seen{};
    const auto realForm = ui::ScanWindow::bookingForm();
    ui::ScanWindow::bookingForm() = [&](store::Store& s, QWidget*, int request) {
        ++forms;
        EXPECT_EQ(store::ChangeRecord, request);
        seen = {s.DAT.ACTNUMBER, s.DAT.DATE, s.DAT.TIME};
        return int(store::RequestCancelled);
    };
    ui::ScanWindow w(db, ScanKind::GroupFree);
    run(w, [&] {
        EXPECT_EQ("Scan Group For Available Time", w.windowTitle().toStdString());
        tembrix::test::typeKeys(w.nameEntry(), "ROOMS");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        ASSERT_EQ(2u, boxes(w).size())
            << w.shown() << "|" << w.view()->scanLayout().note << "|" << user.lastText();
        const Item* green = boxes(w)[0];
        const Item* yellow = boxes(w)[1];
        EXPECT_EQ(kGreen, green->colour);
        EXPECT_EQ(kYellow, yellow->colour);
        click(w, *yellow);
        EXPECT_EQ(0, forms);
        click(w, *green);
        EXPECT_EQ(1, forms);
        EXPECT_EQ(one, seen[0]);
        EXPECT_EQ(monday, seen[1]);
        EXPECT_EQ(at(9) + 400, seen[2]);
    });
    ui::ScanWindow::bookingForm() = realForm;
}

TEST_F(ScanWindowTest, ThePooledScanRefusesAResourceOfOneUnit) {
    ui::ScanWindow w(db, ScanKind::PooledResource);
    run(w, [&] {
        EXPECT_EQ("Scan Availability Of Pooled Resource", w.windowTitle().toStdString());
        tembrix::test::typeKeys(w.nameEntry(), "ROOM1");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        EXPECT_EQ("Invalid. This is not a pooled resource", user.lastText());
        EXPECT_TRUE(boxes(w).empty());
        EXPECT_EQ("", w.shown());
        tembrix::test::typeKeys(w.nameEntry(), "POOL");
        tembrix::test::press(w.nameEntry(), Qt::Key_Return);
        EXPECT_EQ("POOL", w.shown());
    });
}

TEST_F(ScanWindowTest, FindFreeTimeListsPeriodsAndBooksOneOfThem) {
    book(db, "Morning", {{"ROOM1", 1}}, {{monday, at(8), at(12)}});
    ui::FindFreeTime w(db);
    std::vector<WantedResource> booked;
    FreePeriod chosen{};
    const auto realForm = ui::FindFreeTime::bookingForm();
    ui::FindFreeTime::bookingForm() = [&](store::Store&, QWidget*,
                                          const std::vector<WantedResource>& r, const FreePeriod& p,
                                          store::Length) {
        booked = r;
        chosen = p;
        return int(store::RequestCancelled);
    };
    QTimer::singleShot(0, &w, [&] {
        // Nothing to look for yet: the user is told, nothing is listed.
        QTest::mouseClick(w.searchButton(), Qt::LeftButton);
        EXPECT_EQ("Choose at least one resource.", user.lastText());
        w.addResources({{"ROOM1", 1, 1}, {"POOL", 2, 5}});
        tembrix::test::typeKeys(w.lengthEntry(), "02:00");
        tembrix::test::typeKeys(w.toEntry(),
                                QString::fromStdString(store::shortDate(store::Date(monday + 1))));
        QTest::mouseClick(w.searchButton(), Qt::LeftButton);
        ASSERT_EQ(2, w.resultList()->topLevelItemCount());
        EXPECT_EQ("2 free periods, the earliest first.",
                  w.findChild<QLabel*>("summary")->text().toStdString());
        EXPECT_EQ(at(12), w.found()[0].typedStart.value);
        EXPECT_EQ(monday + 1, w.found()[1].date);
        QTest::mouseClick(w.bookButton(), Qt::LeftButton);
        EXPECT_EQ(monday, chosen.date);
        ASSERT_EQ(2u, booked.size());
        EXPECT_EQ(2, booked[1].units);
        // A period that ends before it starts is refused.
        tembrix::test::typeKeys(w.toEntry(),
                                QString::fromStdString(store::shortDate(store::Date(monday - 1))));
        QTest::mouseClick(w.searchButton(), Qt::LeftButton);
        EXPECT_EQ(0, w.resultList()->topLevelItemCount());
        EXPECT_EQ("The period must end on or after the day it starts.", user.lastText());
        w.reject();
    });
    w.CALL();
    ui::FindFreeTime::bookingForm() = realForm;
}

TEST_F(ScanWindowTest, TheBookingsBrowsePagesOpensAndDeletes) {
    for (int i = 0; i < 70; ++i)
        book(db, "B" + std::to_string(100 + i), {{i % 2 ? "ROOM1" : "ROOM2", 1}},
             {{monday + i / 4, at(8 + 2 * (i % 4)), at(9 + 2 * (i % 4))}});
    ui::BROWSEALL w(db);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        EXPECT_EQ("Browse Bookings", w.windowTitle().toStdString());
        QTableView* list = w.list(ui::BROWSEALL::ByDate);
        // The first page, and the rest as the list scrolls.
        EXPECT_EQ(60, w.model(ui::BROWSEALL::ByDate)->rowCount());
        list->scrollToBottom();
        QApplication::processEvents();
        EXPECT_EQ(70, w.model(ui::BROWSEALL::ByDate)->rowCount());
        EXPECT_TRUE(w.editButton()->isEnabled());
        // Edit/View opens the highlighted occurrence for change.
        list->selectRow(5);
        std::string status, name;
        onModal(&*guard, [&](QWidget* modal) {
            auto* form = qobject_cast<booking::ui::UpdateAct*>(modal);
            ASSERT_TRUE(form);
            status = form->statusText()->text().toStdString();
            name = form->nameBox()->currentText().toStdString();
            form->reject();
        });
        QTest::mouseClick(w.editButton(), Qt::LeftButton);
        EXPECT_EQ("Record will be Changed", status);
        EXPECT_EQ("B105", name);
        // Delete: a single booking goes at once, with its resources; the list follows.
        list->selectRow(0);
        const store::LONG first = w.model(ui::BROWSEALL::ByDate)->row(0)->number;
        QTest::mouseClick(w.deleteButton(), Qt::LeftButton);
        EXPECT_FALSE(fetchBooking(first));
        EXPECT_TRUE(datesOf(first).empty());
        EXPECT_TRUE(resourcesOf(first).empty());
        EXPECT_EQ(60, w.model(ui::BROWSEALL::ByDate)->rowCount());
        EXPECT_EQ("B101", w.model(ui::BROWSEALL::ByDate)->row(0)->name);
        // A booking another station renamed since it was listed is not deleted.
        const store::LONG second = w.model(ui::BROWSEALL::ByDate)->row(0)->number;
        ASSERT_TRUE(fetchBooking(second));
        db.ACT.NAME = "Renamed elsewhere";
        ASSERT_EQ(store::Level_Benign, a.fm(store::Tbl::ACTIVITY).UPDATE());
        user.clearAsked();
        QTest::mouseClick(w.deleteButton(), Qt::LeftButton);
        EXPECT_TRUE(fetchBooking(second));
        EXPECT_FALSE(datesOf(second).empty());
        EXPECT_NE(std::string::npos, user.lastText().find("changed")) << user.lastText();
        // By resource: nothing until a resource is chosen, then only its bookings.
        w.setTab(ui::BROWSEALL::ByResource);
        EXPECT_EQ(0, w.model(ui::BROWSEALL::ByResource)->rowCount());
        EXPECT_FALSE(w.editButton()->isEnabled());
        tembrix::test::typeKeys(w.entry(ui::BROWSEALL::ByResource), "ROOM1");
        tembrix::test::press(w.entry(ui::BROWSEALL::ByResource), Qt::Key_Return);
        ASSERT_EQ(35, w.model(ui::BROWSEALL::ByResource)->rowCount());
        EXPECT_EQ("Renamed elsewhere", w.model(ui::BROWSEALL::ByResource)->row(0)->name);
        // Print asks for the last day and previews the listing of the tab.
        std::string previewed;
        onModal(&*guard, [&](QWidget* ask) {
            EXPECT_EQ("HIGHDATESELECT", ask->objectName().toStdString());
            onModal(&*guard, [&](QWidget* preview) {
                previewed = preview->windowTitle().toStdString();
                preview->close();
            });
            for (QPushButton* b : ask->findChildren<QPushButton*>())
                if (b->text() == "OK") QTest::mouseClick(b, Qt::LeftButton);
        });
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        EXPECT_NE(std::string::npos, previewed.find("Bookings For ROOM1 From")) << previewed;
        // From a later date on.
        tembrix::test::typeKeys(w.fromEntry(),
                                QString::fromStdString(store::shortDate(store::Date(monday + 10))));
        tembrix::test::press(w.fromEntry(), Qt::Key_Return);
        EXPECT_EQ(monday + 10, w.model(ui::BROWSEALL::ByResource)->row(0)->date);
        w.reject();
    });
    w.CALL();
}

TEST_F(ScanWindowTest, PrintPreviewsTheSheetAndTheWeekSavesAsACalendarFile) {
    book(db, "Budget", {{"ROOM1", 1}}, {{monday + 1, at(9), at(10)}});
    book(db, "Next week", {{"ROOM1", 1}}, {{monday + 8, at(9), at(10)}});
    ui::ScanWindow w(db, ScanKind::ResourceWeek);
    db.USP.RESOURCE = "";
    run(w, [&] {
        // Nothing shown, nothing to print or save.
        w.show("", store::Date(monday));
        EXPECT_FALSE(w.printButton()->isEnabled());
        EXPECT_FALSE(w.exportButton()->isEnabled());
        w.show("ROOM1", store::Date(monday + 2));
        ASSERT_TRUE(w.printButton()->isEnabled());
        EXPECT_EQ(reports::ScanReport::SCANRESRPT, w.printedReport());
        // The progress window lets events through while the sheet is read: wait for the
        // preview itself.
        std::string previewed;
        std::function<void()> closePreview = [&] {
            auto* preview =
                qobject_cast<framework::PreviewWindow*>(QApplication::activeModalWidget());
            if (!preview) {
                QTimer::singleShot(10, &*guard, closePreview);
                return;
            }
            previewed = preview->windowTitle().toStdString();
            preview->close();
        };
        QTimer::singleShot(0, &*guard, closePreview);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        EXPECT_NE(std::string::npos, previewed.find("Bookings For ROOM1 From " +
                                                    store::shortDate(store::Date(monday))))
            << previewed;
        // A Monday-to-Friday user prints the five-day sheet.
        db.USP.WEEKEND = 1;
        EXPECT_EQ(reports::ScanReport::SCANRESRPT2, w.printedReport());
        // The week shown, and only it, goes to the calendar file.
        const std::string path = (dir.path / "week.ics").string();
        user.answerFile(path);
        QTest::mouseClick(w.exportButton(), Qt::LeftButton);
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_NE(std::string::npos, text.str().find("SUMMARY:Budget")) << text.str();
        EXPECT_EQ(std::string::npos, text.str().find("Next week")) << text.str();
        EXPECT_NE(std::string::npos, user.lastText().find("1 occurrences were saved"))
            << user.lastText();
    });
    // The free-time scan has no bookings of its own to print or save.
    ui::ScanWindow free(db, ScanKind::GroupFree);
    EXPECT_FALSE(free.printedReport());
    EXPECT_TRUE(free.exportButton()->isHidden());
}

}  // namespace
}  // namespace scan::test

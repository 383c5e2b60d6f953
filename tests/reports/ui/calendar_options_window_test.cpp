// The calendar options window driven as a user drives it: formats chosen, what they allow
// and force, when Print may be pressed, and which report Print starts how often.
#include "reports/ui/calendar_options_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "../../booking/booking_fixture.h"
#include "../../test_app.h"
#include "../../widget_keys.h"
#include "framework/date_time_entry.h"
#include "framework/report_renderer.h"

namespace reports::test {
namespace {

using C = CalendarChoice;

class CalendarOptionsWindowTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        addGroup(a, "G", {"ROOM1", "ROOM2"});
        ui::CalendarOptionsWindow::runReport() = [this](store::Store&, const CalendarReport& r,
                                                        QWidget*) {
            runs.push_back(procedureName(r) + " " + r.name + " " + r.first.iso());
            copyCount = framework::programPrinter().copyCount();
        };
    }
    void TearDown() override {
        ui::CalendarOptionsWindow::runReport() = ui::runCalendarReport;
        BookingTest::TearDown();
    }
    static void type(QLineEdit* e, const std::string& text) {
        e->setFocus();
        tembrix::test::typeKeys(e, QString::fromStdString(text));
        tembrix::test::press(e, Qt::Key_Return);
    }
    static void choose(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, 4)); }
    std::vector<std::string> runs;
    int copyCount = 0;
};

TEST_F(CalendarOptionsWindowTest, FormatsSetTheCoveringsTheDatesAndPrint) {
    ui::CalendarOptionsWindow w(db);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        EXPECT_EQ("Calendar Options", w.windowTitle().toStdString());
        // Day, all resources, today, notes, preview, one copy: ready to print.
        EXPECT_TRUE(w.formatButton(C::Day)->isChecked());
        EXPECT_TRUE(w.coveringButton(C::AllResources)->isChecked());
        EXPECT_EQ(store::today(), w.startEntry()->value());
        EXPECT_TRUE(w.notesBox()->isChecked());
        EXPECT_TRUE(w.previewBox()->isChecked());
        EXPECT_EQ(1, w.copiesBox()->value());
        EXPECT_TRUE(w.printButton()->isEnabled());
        EXPECT_FALSE(w.endEntry()->isVisible());
        EXPECT_FALSE(w.entry(C::OneResource)->isVisible());

        // One resource: its entry shows, and Print waits for it.
        choose(w.coveringButton(C::OneResource));
        EXPECT_TRUE(w.entry(C::OneResource)->isVisible());
        EXPECT_FALSE(w.entry(C::ResourceGroup)->isVisible());
        EXPECT_FALSE(w.printButton()->isEnabled());
        type(w.entry(C::OneResource), "ROOM1");
        EXPECT_TRUE(w.printButton()->isEnabled());

        // "Day by resources" takes all resources instead of one.
        choose(w.formatButton(C::DayByResources));
        EXPECT_TRUE(w.coveringButton(C::AllResources)->isChecked());
        EXPECT_TRUE(w.coveringButton(C::Client)->isEnabled());

        // A group scan forces the group and offers nothing else.
        choose(w.formatButton(C::ScanGroupDay));
        EXPECT_TRUE(w.coveringButton(C::ResourceGroup)->isChecked());
        for (int c : {C::AllResources, C::OneResource, C::Client})
            EXPECT_FALSE(w.coveringButton(c)->isEnabled()) << c;
        EXPECT_FALSE(w.printButton()->isEnabled());
        type(w.entry(C::ResourceGroup), "G");
        EXPECT_TRUE(w.printButton()->isEnabled());
        EXPECT_EQ("Start date:", w.startPrompt()->text().toStdString());

        // A single scan forces one resource; the caption says what the date picks.
        choose(w.formatButton(C::ScanSingleWeek));
        EXPECT_TRUE(w.coveringButton(C::OneResource)->isChecked());
        EXPECT_FALSE(w.coveringButton(C::ResourceGroup)->isEnabled());
        EXPECT_EQ("Week includes:", w.startPrompt()->text().toStdString());
        choose(w.formatButton(C::ScanSingleMonth));
        EXPECT_EQ("Month includes:", w.startPrompt()->text().toStdString());
        EXPECT_TRUE(w.printButton()->isEnabled());  // ROOM1 is still there

        // The flexible period: its end shows, and may not come before the start.
        choose(w.formatButton(C::FlexiblePeriod));
        EXPECT_TRUE(w.endEntry()->isVisible());
        EXPECT_TRUE(w.coveringButton(C::AllResources)->isEnabled());
        EXPECT_FALSE(w.printButton()->isEnabled());
        type(w.startEntry(), store::longDate(store::Date(monday)));
        type(w.endEntry(), store::longDate(store::Date(monday - 1)));
        EXPECT_FALSE(w.printButton()->isEnabled());
        type(w.endEntry(), store::longDate(store::Date(monday + 4)));
        EXPECT_TRUE(w.printButton()->isEnabled());
        // A blank start date keeps Print disabled.
        type(w.startEntry(), "");
        EXPECT_FALSE(w.printButton()->isEnabled());
        w.reject();
    });
    w.CALL();
}

TEST_F(CalendarOptionsWindowTest, PrintStartsTheReportOncePerCopyOrOnceInThePreview) {
    ui::CalendarOptionsWindow w(db);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        choose(w.formatButton(C::ScanSingleWeek));
        type(w.entry(C::OneResource), "ROOM1");
        type(w.startEntry(), store::longDate(store::Date(monday + 2)));
        w.copiesBox()->setValue(3);
        w.previewBox()->setChecked(false);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        const std::string week = "SCANRESRPT ROOM1 " + store::Date(monday + 2).iso();
        EXPECT_EQ((std::vector<std::string>{week, week, week}), runs);
        EXPECT_EQ(1, copyCount);
        // After printing the copies return to 1, and the window stays for the next one.
        EXPECT_EQ(1, w.copiesBox()->value());
        EXPECT_TRUE(w.isVisible());

        // With the preview: one run, whose printer makes the copies.
        runs.clear();
        w.copiesBox()->setValue(2);
        w.previewBox()->setChecked(true);
        db.USP.WEEKEND = 1;  // a Monday-to-Friday user
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        EXPECT_EQ((std::vector<std::string>{"SCANRESRPT2 ROOM1 " + store::Date(monday + 2).iso()}),
                  runs);
        EXPECT_EQ(2, copyCount);
        EXPECT_EQ(1, framework::programPrinter().copyCount());

        // A resource not on file opens the look-up; cancelled, nothing prints.
        runs.clear();
        w.entry(C::OneResource)->setText("NOPE");
        w.entry(C::OneResource)->setModified(true);
        QTest::mouseClick(w.printButton(), Qt::LeftButton);
        EXPECT_TRUE(runs.empty());
        w.reject();
    });
    w.CALL();
}

}  // namespace
}  // namespace reports::test

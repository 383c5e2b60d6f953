// The utilization windows driven as a user drives them: a resource or group and a period
// typed, Calculate pressed, the figures read off the summary and the detail.
#include "reports/ui/utilization_windows.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../../booking/booking_fixture.h"
#include "../../test_app.h"
#include "../../widget_keys.h"
#include "../report_texts.h"
#include "framework/date_time_entry.h"
#include "framework/report_renderer.h"

namespace reports::test {
namespace {

using booking::test::at;

class UtilizationWindowTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        db.USP.BEGINDAY = at(9);
        db.USP.ENDDAY = at(17);
        addGroup(a, "G", {"ROOM1", "ROOM2"});
    }
    static void type(QLineEdit* e, const std::string& text) {
        tembrix::test::typeKeys(e, QString::fromStdString(text));
        tembrix::test::press(e, Qt::Key_Tab);
    }
    std::string longDate(store::LONG d) { return store::longDate(store::Date(d)); }
};

TEST_F(UtilizationWindowTest, OneResourceOverAWeek) {
    book(db, "Long day", {{"ROOM1", 1}}, {{monday, at(8), at(18)}});
    book(db, "Saturday", {{"ROOM1", 1}}, {{monday + 5, at(10), at(12)}});
    ui::UtilizationWindow w(db, false);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        EXPECT_EQ("Resource Utilization", w.windowTitle().toStdString());
        EXPECT_FALSE(w.actualBox()->isVisible());  // actual times are not recorded here
        EXPECT_FALSE(w.calculateButton()->isEnabled());
        type(w.entry(), "ROOM1");
        type(w.startEntry(), longDate(monday));
        EXPECT_FALSE(w.calculateButton()->isEnabled());
        type(w.endEntry(), longDate(monday + 6));
        ASSERT_TRUE(w.calculateButton()->isEnabled());
        QTest::mouseClick(w.calculateButton(), Qt::LeftButton);
        EXPECT_EQ("5", w.summary("Work days available:").toStdString());
        EXPECT_EQ("40", w.summary("Work hours available:").toStdString());
        EXPECT_EQ("1", w.summary("Work days used:").toStdString());
        EXPECT_EQ("8", w.summary("Work hours used:").toStdString());
        EXPECT_EQ("20", w.summary("% hours used:").toStdString());
        EXPECT_EQ("10", w.summary("Total hours used:").toStdString());
        EXPECT_EQ("09:00", w.summary("Work day start:").toStdString());
        // With weekends, the Saturday counts too.
        w.weekendsBox()->setChecked(true);
        QTest::mouseClick(w.calculateButton(), Qt::LeftButton);
        EXPECT_EQ("7", w.summary("Work days available:").toStdString());
        EXPECT_EQ("12", w.summary("Total hours used:").toStdString());
        // A period that ends before it starts is refused.
        type(w.endEntry(), longDate(monday - 1));
        user.clearAsked();
        QTest::mouseClick(w.calculateButton(), Qt::LeftButton);
        EXPECT_EQ("The end date must not be before the start date.", user.lastText());
        w.reject();
    });
    w.CALL();
}

TEST_F(UtilizationWindowTest, AGroupShowsARowPerResource) {
    book(db, "Long", {{"ROOM1", 1}}, {{monday, at(9), at(11, 45)}});
    book(db, "Short", {{"ROOM2", 1}}, {{monday, at(13), at(14)}});
    ui::UtilizationWindow w(db, true);
    QTimer::singleShot(0, &w, [&] {
        QApplication::setActiveWindow(&w);
        EXPECT_EQ("Resource group utilization", w.windowTitle().toStdString());
        type(w.entry(), "G");
        type(w.startEntry(), longDate(monday));
        type(w.endEntry(), longDate(monday + 4));
        QTest::mouseClick(w.calculateButton(), Qt::LeftButton);
        ASSERT_EQ(2, w.detail()->topLevelItemCount());
        EXPECT_EQ("ROOM1", w.detail()->topLevelItem(0)->text(0).toStdString());
        EXPECT_EQ("3", w.detail()->topLevelItem(0)->text(2).toStdString());  // 2:45 rounded
        EXPECT_EQ("10", w.summary("Work days available:").toStdString());
        // The printed analysis, written as PDF and read back as text.
        EXPECT_TRUE(w.printButton()->isEnabled());
        const std::string pdf = (dir.path / "group.pdf").string();
        std::string error;
        ASSERT_TRUE(framework::writePdf(w.document(), pdf, &error)) << error;
        const std::string text = pdfText(pdf);
        EXPECT_NE(std::string::npos, text.find("Utilization for G")) << text;
        EXPECT_NE(std::string::npos, text.find("ROOM1")) << text;
        EXPECT_NE(std::string::npos, text.find("Work hours available")) << text;
        // The CSV holds the same rows.
        EXPECT_EQ(0u, w.csv().find("\"Resource\",\"Total hours used\""));
        EXPECT_NE(std::string::npos, w.csv().find("\"ROOM1\""));
        w.reject();
    });
    w.CALL();
}

}  // namespace
}  // namespace reports::test

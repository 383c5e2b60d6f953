// The listings and print-outs as the program runs them: read with a progress window,
// shown in the preview, refused for a period that ends before it starts.
#include "reports/ui/printout_windows.h"

#include <QProgressDialog>

#include "../../booking/booking_fixture.h"
#include "../../preview_catcher.h"
#include "../../test_app.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework/report_run.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/listing_windows.h"

namespace reports::test {
namespace {

using booking::test::at;
using tembrix::test::allText;
using tembrix::test::catchPreview;

class PrintoutWindowsTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        ini = std::make_unique<framework::IniFile>((dir.path / "tembrix.ini").string());
        framework::program().ini = ini.get();
    }
    void TearDown() override {
        framework::program().ini = nullptr;
        BookingTest::TearDown();
    }
    /// Runs a report and returns the text of the preview it opened ("" when none opened).
    std::string previewed(const std::function<void()>& run) {
        std::string text;
        bool opened = false;
        QTimer* watching = catchPreview([&](const Document& doc) {
            opened = true;
            text = allText(doc);
        });
        run();
        if (!opened) delete watching;
        return text;
    }
    std::unique_ptr<framework::IniFile> ini;
};

TEST_F(PrintoutWindowsTest, CalendarListingsPreviewWhatTheCoveringSelects) {
    addGroup(a, "UPSTAIRS", {"ROOM2"});
    book(db, "Board", {{"ROOM1", 1}}, {{monday, at(9), at(10)}});
    book(db, "Upstairs", {{"ROOM2", 1}}, {{monday + 2, at(9), at(10)}});
    const std::string day = previewed(
        [&] { ui::DAYPORT(db, true, true, 1, store::Date(monday), "All Resources", nullptr); });
    EXPECT_NE(std::string::npos, day.find("Bookings For All Resources\n")) << day;
    EXPECT_NE(std::string::npos, day.find("Board\n"));
    EXPECT_NE(std::string::npos, day.find("Notes:\n"));
    EXPECT_EQ(std::string::npos, day.find("Upstairs\n"));

    const std::string week = previewed(
        [&] { ui::WEEKPORT(db, false, true, 3, store::Date(monday), "UPSTAIRS", nullptr); });
    EXPECT_NE(std::string::npos, week.find("Bookings For UPSTAIRS\n")) << week;
    EXPECT_NE(std::string::npos, week.find("Upstairs\n"));
    EXPECT_EQ(std::string::npos, week.find("Board\n"));

    const std::string byResource = previewed(
        [&] { ui::DAYRESGRPRPT(db, false, true, "UPSTAIRS", store::Date(monday + 2), nullptr); });
    EXPECT_NE(std::string::npos, byResource.find("Bookings For UPSTAIRS Sorted By Resource\n"));
    EXPECT_NE(std::string::npos, byResource.find("ROOM2\n"));

    // A period that ends before it starts is refused and shows nothing.
    user.clearAsked();
    EXPECT_EQ("", previewed([&] {
                  ui::FLEXPER(db, false, true, 1, store::Date(monday), store::Date(monday - 1),
                              "All Resources", nullptr);
              }));
    EXPECT_EQ("The end date must not be before 02/03/2026.", user.lastText());
}

TEST_F(PrintoutWindowsTest, ResourceAndClientPrintoutsListTheirRecords) {
    addGroup(a, "UPSTAIRS", {"ROOM2"});
    ui::definePrintouts();
    std::string all = previewed(
        [&] { framework::callWindow("PRINTALLRESOURCES", db, nullptr, store::NoRequest); });
    EXPECT_NE(std::string::npos, all.find("All Resources\n")) << all;
    for (const char* r : {"POOL\n", "ROOM1\n", "ROOM2\n"})
        EXPECT_NE(std::string::npos, all.find(r));
    db.GRO.GROUP = "UPSTAIRS";
    std::string group = previewed(
        [&] { framework::callWindow("PRINTGROUPRESOURCES", db, nullptr, store::NoRequest); });
    EXPECT_NE(std::string::npos, group.find("Resources in UPSTAIRS\n")) << group;
    EXPECT_EQ(std::string::npos, group.find("ROOM1\n"));
    std::string clients =
        previewed([&] { framework::callWindow("PRINTCLIENT", db, nullptr, store::NoRequest); });
    EXPECT_NE(std::string::npos, clients.find("Clients\n")) << clients;
    EXPECT_NE(std::string::npos, clients.find("ACME\n"));
    for (const char* name : {"PRINTALLRESOURCES", "PRINTGROUPRESOURCES", "PRINTCLIENT"})
        framework::defineWindow(name, nullptr);
}

TEST_F(PrintoutWindowsTest, AProgressWindowKeepsItsPlacePerReport) {
    {
        framework::ReportProgress progress("DayPort", 10, nullptr);
        EXPECT_TRUE(progress.step(1));
        progress.dialog().show();
        progress.dialog().move(40, 50);
        QApplication::processEvents();
    }
    EXPECT_TRUE(ini->getInt("DayPort", "XPos").has_value());
    EXPECT_FALSE(ini->getInt("WeekPort", "XPos").has_value());
    // Cancel is heard by the next step.
    framework::ReportProgress progress("WeekPort", 10, nullptr);
    progress.dialog().cancel();
    EXPECT_FALSE(progress.step(2));
}

}  // namespace
}  // namespace reports::test

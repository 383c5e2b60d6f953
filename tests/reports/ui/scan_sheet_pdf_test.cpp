// A printed week from the store to a PDF file, read back as text the way a reader of the
// paper would: both pages, their rows and the bookings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../../booking/booking_fixture.h"
#include "../../test_app.h"
#include "../report_texts.h"
#include "framework/report_renderer.h"
#include "reports/scan_sheets.h"

namespace reports::test {
namespace {

using booking::test::at;

class ScanSheetPdfTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        tembrix::test::testApplication();
        BookingTest::SetUp();
        db.USP.INTERVAL = store::Length::fromMinutes(15).value;
        db.USP.SCANTEXT = "Booking";
    }
};

TEST_F(ScanSheetPdfTest, TheWeekPrintsOnTwoPagesThatReadBack) {
    book(db, "Budget", {{"ROOM1", 1}}, {{monday, at(9), at(11)}});
    book(db, "Evening", {{"ROOM1", 1}}, {{monday + 3, at(16), at(17)}});
    Document doc;
    std::string error;
    ASSERT_TRUE(
        readScanSheet(db, ScanReport::SCANRESRPT, "ROOM1", store::Date(monday + 1), doc, error))
        << error;
    const std::string pdf = (dir.path / "week.pdf").string();
    ASSERT_TRUE(framework::writePdf(doc, pdf, &error)) << error;
    const std::string text = pdfText(pdf);
    const auto pageBreak = text.find('\f');
    ASSERT_NE(std::string::npos, pageBreak) << text;
    const std::string one = text.substr(0, pageBreak), two = text.substr(pageBreak + 1);
    const std::string title = "Bookings For ROOM1 From " + store::shortDate(store::Date(monday)) +
                              " To " + store::shortDate(store::Date(monday + 6));
    EXPECT_NE(std::string::npos, one.find(title)) << one;
    EXPECT_NE(std::string::npos, one.find("Page 1/2")) << one;
    EXPECT_NE(std::string::npos, two.find("Page 2/2")) << two;
    EXPECT_NE(std::string::npos, one.find("Before 08:00")) << one;
    EXPECT_NE(std::string::npos, one.find("Budget")) << one;
    EXPECT_EQ(std::string::npos, two.find("Budget")) << two;
    EXPECT_NE(std::string::npos, two.find("15:45")) << two;
    EXPECT_NE(std::string::npos, two.find("After 18:00")) << two;
    EXPECT_NE(std::string::npos, two.find("Evening")) << two;
    EXPECT_NE(std::string::npos, one.find("Thursday")) << one;
}

}  // namespace
}  // namespace reports::test

// The printed utilization analyses and their CSV: what the pages say, and that the CSV
// holds the same rows and values.
#include "reports/utilization_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../booking/booking_fixture.h"
#include "report_texts.h"

namespace reports::test {
namespace {

using booking::test::at;

bool has(const std::vector<std::string>& all, const std::string& text) {
    return std::find(all.begin(), all.end(), text) != all.end();
}

class UtilizationReportTest : public booking::test::BookingTest {
  protected:
    void SetUp() override {
        BookingTest::SetUp();
        addGroup(a, "G", {"ROOM1", "ROOM2"});
        book(db, "Long", {{"ROOM1", 1}}, {{monday, at(9), at(11, 45)}});
        book(db, "Short", {{"ROOM2", 1}}, {{monday + 1, at(13), at(14)}});
        q.first = store::Date(monday);
        q.last = store::Date(monday + 4);
        q.dayStart = at(9);
        q.dayEnd = at(17);
    }
    UtilizationQuestion q;
    UtilizationHeading h{"G", "Resource", at(8), at(18)};
};

TEST_F(UtilizationReportTest, TheGroupReportCutsItsRowsAndCarriesTheChart) {
    GroupUtilization g;
    std::string error;
    ASSERT_TRUE(groupUtilization(db, q, "G", HourRounding::Truncated, g, error)) << error;
    const Document doc = GROUPUTILRPT(q, h, g);
    const std::vector<std::string> all = texts(doc);
    EXPECT_TRUE(has(all, "Utilization for G"));
    EXPECT_TRUE(has(all, "Scheduled times"));
    EXPECT_TRUE(has(all, "Work Day Starts 08:00"));  // the system's working day
    EXPECT_TRUE(has(all, "Resource hours avialable"));
    // ROOM1's 2:44:56 of work: 2 on paper (the window shows 3).
    const auto row = std::find(all.begin(), all.end(), "ROOM1");
    ASSERT_NE(all.end(), row);
    EXPECT_EQ("2", *(row + 1));  // total hours, the fraction dropped
    EXPECT_EQ("2", *(row + 2));
    // The chart names every resource with its hours used of those available.
    EXPECT_TRUE(has(all, "2/40"));
    EXPECT_TRUE(has(all, "0/40"));  // ROOM2's 59:56 of work, cut
    EXPECT_TRUE(has(all, "Work hours available"));
}

TEST_F(UtilizationReportTest, TheCsvHoldsTheReportsRowsQuoted) {
    GroupUtilization g;
    std::string error;
    ASSERT_TRUE(groupUtilization(db, q, "G", HourRounding::Truncated, g, error)) << error;
    const std::string csv = utilizationCsv(h, g);
    EXPECT_EQ(
        "\"Resource\",\"Total hours used\",\"Work hours used\",\"% Utilization\"\r\n"
        "\"ROOM1\",\"2\",\"2\",\"5\"\r\n"
        "\"ROOM2\",\"0\",\"0\",\"0\"\r\n",
        csv);
    EXPECT_EQ("\"say \"\"hi\"\", ok\"", csvField("say \"hi\", ok"));
    // Each CSV row's values stand on the printed detail line of the same resource.
    const std::vector<std::string> all = texts(GROUPUTILRPT(q, h, g));
    for (const GroupRow& r : g.rows) {
        const auto at = std::find(all.begin(), all.end(), r.resource);
        ASSERT_NE(all.end(), at);
        EXPECT_EQ(std::to_string(r.totalHours), *(at + 1));
        EXPECT_EQ(std::to_string(r.workHours), *(at + 2));
        EXPECT_EQ(std::to_string(r.percent), *(at + 3));
    }
}

TEST_F(UtilizationReportTest, TheResourceReportShowsItsFiguresAndFlags) {
    ResourceUtilization r;
    std::string error;
    q.weekends = true;
    ASSERT_TRUE(resourceUtilization(db, q, "ROOM1", r, error)) << error;
    const std::vector<std::string> all =
        texts(RESUTILRPT(q, {"ROOM1", "Resource", at(8), at(18)}, r));
    EXPECT_TRUE(has(all, "Utilization for ROOM1"));
    EXPECT_TRUE(has(all, "From " + store::shortDate(q.first) + " To " + store::shortDate(q.last)));
    const auto hours = std::find(all.begin(), all.end(), "Work hours used");
    ASSERT_NE(all.end(), hours);
    EXPECT_EQ("3", *(hours + 1));
    // The weekends box is ticked, the others are not: one "X" drawn.
    EXPECT_EQ(1, std::count(all.begin(), all.end(), "X"));
}

}  // namespace
}  // namespace reports::test

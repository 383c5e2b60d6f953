// The booking written as text for e-mail.
#include "booking/text_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "booking_fixture.h"

namespace booking::test {
namespace {

class TextExportTest : public AnyBookingTest {
  protected:
    std::vector<std::string> linesOf(BookingForm& form) { return form.textLines(); }
};

TEST_P(TextExportTest, LinesOfASingleBooking) {
    BookingForm form(db);
    ASSERT_TRUE(form.open(store::InsertRecord));
    db.ACT.NAME = "Board";
    db.ACN.NOTES = "  Coffee for six  ";
    form.insertResources({{"ROOM1", 1}});
    const auto l = linesOf(form);
    ASSERT_EQ(31u, l.size());
    EXPECT_EQ(std::string(20, ' ') + "Booking", l[2]);
    EXPECT_EQ("Booking: Board", l[5]);
    EXPECT_EQ("Client: ACME", l[7]);
    EXPECT_EQ("Primary Resource: ROOM1   1", l[9]);
    EXPECT_EQ("Other Resources:", l[11]);
    EXPECT_EQ("", l[12]);  // no other resources: an empty line
    EXPECT_EQ("Scheduled date: " + store::longDate(store::Date(monday)), l[14]);
    EXPECT_EQ("Scheduled start: " + store::shortTime(store::Time(at(9))), l[16]);
    EXPECT_EQ("Repeat: No repeats", l[20]);
    // A booking being added says who books it and when, as its save will.
    EXPECT_EQ("Booked by: TESTER", l[22]);
    EXPECT_EQ("Date booked: " + store::longDate(store::Date(monday)), l[24]);
    EXPECT_EQ("#: " + std::to_string(db.ACT.ACTNUMBER), l[26]);
    EXPECT_EQ("Notes:", l[28]);
    EXPECT_EQ("Coffee for six", l[30]);
}

TEST_P(TextExportTest, RepeatLines) {
    store::REPACT rule{};
    rule.MONDAY = 1;
    rule.THURSDAY = 1;
    rule.REPEND = monday + 30;
    const std::string until = store::longDate(store::Date(monday + 30));
    EXPECT_EQ(std::vector<std::string>{"Repeat: Monday, Thursday of each week until " + until},
              REPEATROUTINE(SetDaysEachWeek, rule, {}));
    rule.WEEK = 5;
    rule.WEEKDAY = 7;
    EXPECT_EQ(std::vector<std::string>{"Repeat: Last Sunday of month until " + until},
              REPEATROUTINE(SpecificWeekday, rule, {}));
    rule.REPNUMBER = 2;
    EXPECT_EQ(std::vector<std::string>{"Repeat: Every 2 week(s) until " + until},
              REPEATROUTINE(FixedWeeks, rule, {}));
    const auto irregular = REPEATROUTINE(IrregularDates, rule, {{monday, at(9), at(10), 0, 0, 1}});
    ASSERT_EQ(3u, irregular.size());
    EXPECT_EQ("Repeated irregularly", irregular[0]);
    EXPECT_EQ(store::longDate(store::Date(monday)) + "  " + store::shortTime(store::Time(at(9))) +
                  "  " + store::shortTime(store::Time(at(10))),
              irregular[2]);
    EXPECT_EQ("ROOM2 1, POOL 3", RESOURCETEXT("ROOM1", {{"ROOM1", 1}, {"ROOM2", 1}, {"POOL", 3}}));
}

TEST_P(TextExportTest, CancellingTheSaveDialogKeepsTheWorkingFile) {
    std::string error;
    EXPECT_EQ("", saveTextFile({"one", "two"}, dir.path.string(), error));
    EXPECT_TRUE(std::filesystem::exists(dir.path / "ASCIFILE"));
    const std::string target = (dir.path / "booking.txt").string();
    user.answerFile(target);
    EXPECT_EQ(target, saveTextFile({"one", "two"}, dir.path.string(), error));
    EXPECT_EQ("one\ntwo\n", store::test::readFile(target));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "ASCIFILE"));
}

TEMBRIX_ON_BOTH_STORES(TextExportTest);

}  // namespace
}  // namespace booking::test

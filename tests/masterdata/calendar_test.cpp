#include <gtest/gtest.h>

#include "masterdata/calendar_grid.h"

namespace {

using masterdata::calendarMonth;

TEST(CalendarGridTest, FebruaryAndSixRowMonths) {
    // February 2015 starts on a Sunday and fills exactly four rows.
    auto feb = calendarMonth(2015, 2, 31);
    EXPECT_EQ(feb.offset, 0);
    EXPECT_EQ(feb.days, 28);
    EXPECT_EQ(feb.rows, 4);
    EXPECT_EQ(feb.day, 28);
    EXPECT_EQ(feb.cell(27), 28);
    EXPECT_EQ(feb.cell(28), 0);
    // A leap February keeps the 29th.
    EXPECT_EQ(calendarMonth(2024, 2, 30).day, 29);
    // August 2026 starts on a Saturday: 6 + 31 cells need six rows.
    auto aug = calendarMonth(2026, 8, 15);
    EXPECT_EQ(aug.offset, 6);
    EXPECT_EQ(aug.rows, 6);
    EXPECT_EQ(aug.cell(5), 0);
    EXPECT_EQ(aug.cell(6), 1);
    EXPECT_EQ(aug.cell(36), 31);
    EXPECT_EQ(aug.cell(37), 0);
    EXPECT_EQ(calendarMonth(2026, 4, 31).day, 30);
}

TEST(CalendarGridTest, NavigationLimitsAndNoDate) {
    auto jan = calendarMonth(1802, 1, 10);
    EXPECT_FALSE(masterdata::previousMonth(jan));
    EXPECT_EQ(jan.month, 1);
    auto dec = calendarMonth(2098, 12, 10);
    EXPECT_FALSE(masterdata::nextMonth(dec));
    auto mar = calendarMonth(2023, 3, 31);
    EXPECT_TRUE(masterdata::previousMonth(mar));
    EXPECT_EQ(mar.month, 2);
    EXPECT_EQ(mar.day, 28);
    auto jan2 = calendarMonth(2023, 1, 5);
    EXPECT_TRUE(masterdata::previousMonth(jan2));
    EXPECT_EQ(jan2.year, 2022);
    EXPECT_EQ(jan2.month, 12);
    const auto today = store::Date::fromMDY(7, 4, 2026);
    const auto shown = masterdata::calendarFor(store::Date(), today);
    EXPECT_EQ(shown.date().value, today.value);
}

}  // namespace

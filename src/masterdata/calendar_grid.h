#pragma once

#include <array>

#include "store/datetime.h"

namespace masterdata {

/// The month shown by the date picker: the day under the cursor and the 6 x 7 grid of
/// day cells, Sunday first. Kept free of widgets so the rules can be checked alone.
struct CalendarMonth {
    int year = 0;
    int month = 0;   // 1..12
    int day = 0;     // the selected day, always inside the month
    int offset = 0;  // blank cells before the 1st
    int days = 0;    // days in the month
    int rows = 0;    // 4, 5 or 6 rows needed

    /// Day number shown in cell 0..41, or 0 for a blank, disabled cell.
    int cell(int index) const;
    store::Date date() const { return store::Date::fromMDY(month, day, year); }
};

/// The first and last year the month buttons may reach.
inline constexpr int kCalendarFirstYear = 1802;
inline constexpr int kCalendarLastYear = 2098;

/// Builds the month of the given year, month and day. Month 0 is December of the year
/// before and 13 January of the year after; a day past the end of the month becomes the
/// month's last day.
CalendarMonth calendarMonth(int year, int month, int day);
/// The picker's starting month: today when the caller's date is no date.
CalendarMonth calendarFor(store::Date date, store::Date today);

/// Month buttons: false (and no change) at January 1802 / December 2098, where the
/// picker beeps instead.
bool previousMonth(CalendarMonth& shown);
bool nextMonth(CalendarMonth& shown);
/// Year buttons; kept inside the years a date can hold.
bool addYears(CalendarMonth& shown, int years);

}  // namespace masterdata

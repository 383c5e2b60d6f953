#include "masterdata/calendar_grid.h"

#include <algorithm>

namespace masterdata {

int CalendarMonth::cell(int index) const {
    const int number = index - offset + 1;
    return number >= 1 && number <= days ? number : 0;
}

CalendarMonth calendarMonth(int year, int month, int day) {
    if (month < 1) {
        month = 12;
        --year;
    } else if (month > 12) {
        month = 1;
        ++year;
    }
    CalendarMonth shown;
    shown.year = year;
    shown.month = month;
    shown.days = store::daysInMonth(month, year);
    shown.day = std::clamp(day, 1, std::max(shown.days, 1));
    const store::Date first = store::Date::fromMDY(month, 1, year);
    // Columns run Sunday to Saturday, so the weekday of the 1st is the offset.
    shown.offset = first.isNull() ? 0 : first.weekday();
    const int used = shown.offset + shown.days;
    shown.rows = used <= 28 ? 4 : used <= 35 ? 5 : 6;
    return shown;
}

CalendarMonth calendarFor(store::Date date, store::Date today) {
    const store::Date d = date.isNull() ? today : date;
    return calendarMonth(d.year(), d.month(), d.day());
}

bool previousMonth(CalendarMonth& shown) {
    if (shown.month == 1 && shown.year <= kCalendarFirstYear) return false;
    shown = calendarMonth(shown.year, shown.month - 1, shown.day);
    return true;
}

bool nextMonth(CalendarMonth& shown) {
    if (shown.month == 12 && shown.year >= kCalendarLastYear) return false;
    shown = calendarMonth(shown.year, shown.month + 1, shown.day);
    return true;
}

bool addYears(CalendarMonth& shown, int years) {
    const int year = shown.year + years;
    if (year < store::Date::first().year() + 1 || year > store::Date::last().year()) return false;
    shown = calendarMonth(year, shown.month, shown.day);
    return true;
}

}  // namespace masterdata

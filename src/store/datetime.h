#pragma once

#include <array>
#include <compare>
#include <functional>
#include <string>
#include <string_view>

#include "fixed_string.h"

namespace store {

/// Gregorian leap year: every fourth year, except centuries not divisible by 400.
bool isLeapYear(int year);
/// Days of month 1..12 of the year; 0 for any other month.
int daysInMonth(int month, int year);

/// A calendar date as its stored day number: the count of days since 28 December 1800,
/// so 1 January 1801 is day 4 and the weekday is the day number modulo 7. Day 0 means
/// "no date"; every operation keeps a no-date as it is.
struct Date {
    LONG value = 0;

    constexpr Date() = default;
    constexpr explicit Date(LONG dayNumber) : value(dayNumber) {}

    /// The day of the given month, day and year, with overflow carried: a day past the
    /// end of its month runs on into the following months (31 February is 2 or 3 March),
    /// a month past 12 into the following years (month 13 is January of the next year).
    /// The same carry works downwards: day 0 is the last day of the month before and
    /// month 0 is December of the year before. A result outside 1 January 1801 ...
    /// 31 December 9999 gives no date.
    static Date fromMDY(int month, int day, int year);
    /// "YYYY-MM-DD" of an existing day in the supported years; no date for any other text.
    static Date fromIso(std::string_view text);
    /// The first and last supported day.
    static Date first();
    static Date last();

    bool isNull() const { return value == 0; }

    /// Parts of the date; 0 for no date.
    int year() const;
    int month() const;
    int day() const;

    /// 0 Sunday, 1 Monday ... 6 Saturday.
    int weekday() const { return ((value % 7) + 7) % 7; }
    bool isWeekend() const { return !isNull() && (weekday() == 0 || weekday() == 6); }
    bool isWorkingDay() const { return !isNull() && weekday() >= 1 && weekday() <= 5; }
    /// The Monday of the date's week; weeks run Monday to Sunday, so a Sunday belongs to
    /// the week of the Monday six days before it.
    Date mondayOfWeek() const;
    Date firstOfMonth() const;
    Date lastOfMonth() const;
    int daysInMonth() const;

    Date addDays(int days) const { return isNull() ? *this : Date(value + days); }
    /// The same day of month n months on, with the overflow of fromMDY: one month on from
    /// 31 January is 2 or 3 March, not the end of February.
    Date addMonths(int months) const;

    /// "YYYY-MM-DD"; empty for no date.
    std::string iso() const;

    friend auto operator<=>(Date, Date) = default;
    friend Date operator+(Date d, int days) { return d.addDays(days); }
    friend Date operator-(Date d, int days) { return d.addDays(-days); }
    /// Days from b to a.
    friend int operator-(Date a, Date b) { return a.value - b.value; }
};

/// A length of time in its stored form: hundredths of a second plus one, so that
/// 15 minutes is 90001 and 30 minutes is 180001. 0 means "no length".
struct Length {
    LONG value = 0;

    constexpr Length() = default;
    constexpr explicit Length(LONG stored) : value(stored) {}

    static constexpr Length fromHundredths(LONG h) { return Length(h + 1); }
    static constexpr Length fromMinutes(int minutes) { return fromHundredths(minutes * 6000); }
    static constexpr Length fromHours(int hours) { return fromHundredths(hours * 360000); }

    bool isNull() const { return value == 0; }
    /// The length in hundredths of a second, with the stored "+1" dropped.
    constexpr LONG hundredths() const { return value == 0 ? 0 : value - 1; }
    /// Whole minutes of the length.
    constexpr int minutes() const { return hundredths() / 6000; }

    friend auto operator<=>(Length, Length) = default;
};

/// The stored form of a length of so many minutes: lengthFromMinutes(30) is 180001.
constexpr LONG lengthFromMinutes(int minutes) {
    return Length::fromMinutes(minutes).value;
}
/// Whole minutes of a stored length: minutesOfLength(180001) is 30.
constexpr int minutesOfLength(LONG stored) {
    return Length(stored).minutes();
}

/// A time of day in its stored form: hundredths of a second since midnight plus one, so
/// 00:00 is 1, 08:00 is 2880001 and one hour is 360000. 0 means "no time". The end of the
/// day, 24:00, is 8640001; sums past it are kept, not wrapped to the next day.
struct Time {
    LONG value = 0;

    static constexpr LONG kHundredthsPerSecond = 100;
    static constexpr LONG kHundredthsPerMinute = 6000;
    static constexpr LONG kHundredthsPerHour = 360000;
    static constexpr LONG kHundredthsPerDay = 8640000;

    constexpr Time() = default;
    constexpr explicit Time(LONG stored) : value(stored) {}

    /// The time of the given parts. Parts are not range-checked here: 08:75 is 09:15.
    static constexpr Time fromHMS(int hours, int minutes, int seconds = 0, int hundredths = 0) {
        return Time(hours * kHundredthsPerHour + minutes * kHundredthsPerMinute +
                    seconds * kHundredthsPerSecond + hundredths + 1);
    }
    /// 00:00, the start of the day.
    static constexpr Time midnight() { return Time(1); }
    /// 24:00, the end of the day (8640001).
    static constexpr Time endOfDay() { return Time(kHundredthsPerDay + 1); }

    bool isNull() const { return value == 0; }
    /// Hundredths of a second since midnight, with the stored "+1" dropped.
    constexpr LONG sinceMidnight() const { return value == 0 ? 0 : value - 1; }
    /// Parts of the time; 0 for no time. A time past 24:00 has hours of 24 and above.
    int hours() const { return sinceMidnight() / kHundredthsPerHour; }
    int minutes() const { return sinceMidnight() / kHundredthsPerMinute % 60; }
    int seconds() const { return sinceMidnight() / kHundredthsPerSecond % 60; }
    int hundredths() const { return sinceMidnight() % kHundredthsPerSecond; }

    friend auto operator<=>(Time, Time) = default;
    /// The time a length after t: t + L - 1 on the stored values, so the "+1" counts once.
    /// No time stays no time.
    friend Time operator+(Time t, Length l) {
        return t.isNull() ? t : Time(t.value + l.hundredths());
    }
    friend Time operator-(Time t, Length l) {
        return t.isNull() ? t : Time(t.value - l.hundredths());
    }
    /// The length from b to a: a - b + 1 on the stored values; no length when either is
    /// no time.
    friend Length operator-(Time a, Time b) {
        return a.isNull() || b.isNull() ? Length() : Length(a.value - b.value + 1);
    }
};

/// The scan measure u(x): the integer part of a stored time or length divided by 1000,
/// that is tens of seconds with the stored "+1" dropped. Being taken on the stored value,
/// it counts a time that ends in 9.99 seconds into the next ten seconds.
constexpr LONG u(LONG stored) {
    return stored / 1000;
}
constexpr LONG u(Time t) {
    return u(t.value);
}
constexpr LONG u(Length l) {
    return u(l.value);
}

/// One reading of the local wall clock, date and time taken together so that they agree
/// across midnight.
struct ClockReading {
    Date date;
    Time time;
};

/// The clock the program reads. The system's local clock unless a test has set another;
/// an empty function restores the system clock. Set it before other threads read it.
void setClock(std::function<ClockReading()> clock);
ClockReading readClock();
Date today();
Time now();

/// The workstation's date and time formats and the names they use, handed over at
/// program start. Patterns use the letters of the window system's locale formats:
///   d dd ddd dddd   day 5, 05, short and full day name
///   M MM MMM MMMM   month 3, 03, short and full month name
///   yy yyyy         year 25, 2025
///   h hh            hour 9, 09 (1..12 when the pattern has an AM/PM marker, else 0..23)
///   H HH            hour 9, 09, always 0..23
///   m mm  s ss      minutes and seconds
///   AP A  ap a      AM/PM marker, upper or lower case
/// Text in single quotes is literal, '' is one quote; any other character is literal.
struct DateFormats {
    std::string shortDate = "dd/MM/yyyy";
    std::string longDate = "dddd, d MMMM yyyy";
    std::string shortTime = "HH:mm";
    /// Day names by weekday: 0 Sunday ... 6 Saturday.
    std::array<std::string, 7> dayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    /// Month names by month - 1.
    std::array<std::string, 12> monthNames{"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string amText = "AM";
    std::string pmText = "PM";
};

/// The formats in use; replace them at program start, before other threads run.
void setDateFormats(DateFormats formats);
const DateFormats& dateFormats();

/// Text of the date or time in the pattern; empty for no date or no time.
std::string formatDate(Date date, std::string_view pattern,
                       const DateFormats& names = dateFormats());
std::string formatTime(Time time, std::string_view pattern,
                       const DateFormats& names = dateFormats());

/// Reads text written in the pattern; no date or no time (0) when the text does not fit
/// the pattern or names no real day or time. Digits of one- and two-letter fields may be
/// typed with or without a leading zero; a blank in the pattern matches any run of blanks,
/// including none; names and AM/PM markers match without regard to case, in full or
/// short form; a day name is read but not checked against the date. A two-digit year is
/// the year of that ending within 50 years before or 49 after today's year. A date
/// pattern without a year takes today's year; without a month or day, 1. The time 24:00
/// is read as the end of the day.
Date parseDate(std::string_view text, std::string_view pattern,
               const DateFormats& names = dateFormats());
Time parseTime(std::string_view text, std::string_view pattern,
               const DateFormats& names = dateFormats());

/// The workstation's formats applied.
std::string shortDate(Date date);
std::string longDate(Date date);
std::string shortTime(Time time);
Date parseShortDate(std::string_view text);
Date parseLongDate(std::string_view text);
Time parseShortTime(std::string_view text);

}  // namespace store

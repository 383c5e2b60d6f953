#include "store/datetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace store {
namespace {

Date mdy(int m, int d, int y) {
    return Date::fromMDY(m, d, y);
}
std::string isoOf(int m, int d, int y) {
    return mdy(m, d, y).iso();
}

/// Sets the program's clock for the lifetime of the object.
class FixedClock {
  public:
    FixedClock(Date date, Time time) {
        setClock([=] { return ClockReading{date, time}; });
    }
    ~FixedClock() { setClock({}); }
};

TEST(DateTest, DayNumbersMatchAnIndependentCalendar) {
    const auto path = std::filesystem::path(__FILE__).parent_path() / "data" / "day_numbers.txt";
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string iso;
        int number = 0;
        int weekday = 0;
        ASSERT_TRUE(fields >> iso >> number >> weekday) << line;
        const Date d = Date::fromIso(iso);
        EXPECT_EQ(number, d.value) << iso;
        EXPECT_EQ(iso, Date(number).iso());
        EXPECT_EQ(number, mdy(d.month(), d.day(), d.year()).value) << iso;
        EXPECT_EQ(weekday, Date(number).weekday()) << iso;
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

TEST(DateTest, KnownDaysAndLimits) {
    EXPECT_EQ(4, mdy(1, 1, 1801).value);
    EXPECT_EQ(4, mdy(1, 1, 1801).weekday());  // 1 January 1801 was a Thursday
    EXPECT_EQ(Date::first(), mdy(1, 1, 1801));
    EXPECT_EQ("9999-12-31", Date::last().iso());
    // Before the first or after the last supported day there is no date.
    EXPECT_TRUE(mdy(12, 31, 1800).isNull());
    EXPECT_TRUE(mdy(1, 1, 10000).isNull());
    EXPECT_TRUE(mdy(13, 1, 9999).isNull());
    const Date none;
    EXPECT_EQ(0, none.year());
    EXPECT_EQ(0, none.month());
    EXPECT_EQ(0, none.day());
    EXPECT_EQ("", none.iso());
    EXPECT_TRUE((none + 5).isNull());
    EXPECT_TRUE(none.addMonths(1).isNull());
    EXPECT_TRUE(none.mondayOfWeek().isNull());
    EXPECT_FALSE(none.isWeekend());
    EXPECT_FALSE(none.isWorkingDay());
}

TEST(DateTest, OverflowCarriesIntoFollowingMonthsAndYears) {
    EXPECT_EQ("2025-02-01", isoOf(1, 32, 2025));
    EXPECT_EQ("2026-01-15", isoOf(13, 15, 2025));
    EXPECT_EQ("2026-02-15", isoOf(14, 15, 2025));
    EXPECT_EQ("1900-03-01", isoOf(2, 29, 1900));  // 1900 was not a leap year
    EXPECT_EQ("2000-02-29", isoOf(2, 29, 2000));  // 2000 was
    EXPECT_EQ("2025-03-03", isoOf(2, 31, 2025));
    EXPECT_EQ("2024-03-02", isoOf(2, 31, 2024));
    EXPECT_EQ("2026-02-04", isoOf(1, 400, 2025));
    EXPECT_EQ("2028-01-31", isoOf(37, 31, 2025));
    // Downwards: day 0 is the last day of the month before, month 0 December before.
    EXPECT_EQ("2024-02-29", isoOf(3, 0, 2024));
    EXPECT_EQ("2024-12-31", isoOf(1, 0, 2025));
    EXPECT_EQ("2024-12-10", isoOf(0, 10, 2025));
    EXPECT_EQ("2024-11-10", isoOf(-1, 10, 2025));
}

TEST(DateTest, MonthsAndLeapYears) {
    EXPECT_TRUE(isLeapYear(2024));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_FALSE(isLeapYear(2100));
    EXPECT_FALSE(isLeapYear(2025));
    EXPECT_EQ(29, daysInMonth(2, 2024));
    EXPECT_EQ(28, daysInMonth(2, 2100));
    EXPECT_EQ(30, daysInMonth(4, 2025));
    EXPECT_EQ(31, daysInMonth(12, 2025));
    EXPECT_EQ(0, daysInMonth(13, 2025));

    const Date d = mdy(2, 17, 2024);
    EXPECT_EQ("2024-02-01", d.firstOfMonth().iso());
    EXPECT_EQ("2024-02-29", d.lastOfMonth().iso());
    EXPECT_EQ(29, d.daysInMonth());
    EXPECT_EQ("2025-12-31", mdy(12, 5, 2025).lastOfMonth().iso());

    // A month on from 31 January is early March: the day overflows, it is not clamped.
    EXPECT_EQ("2025-03-03", mdy(1, 31, 2025).addMonths(1).iso());
    EXPECT_EQ("2024-03-02", mdy(1, 31, 2024).addMonths(1).iso());
    EXPECT_EQ("2025-03-31", mdy(1, 31, 2025).addMonths(2).iso());
    EXPECT_EQ("2024-12-15", mdy(1, 15, 2025).addMonths(-1).iso());
    EXPECT_EQ("2026-01-15", mdy(1, 15, 2025).addMonths(12).iso());
    EXPECT_EQ("2025-03-01", (mdy(2, 28, 2025) + 1).iso());
    EXPECT_EQ(366, mdy(1, 1, 2025) - mdy(1, 1, 2024));
}

TEST(DateTest, WeekdaysAndMondayStartWeeks) {
    // 2 to 8 June 2025 run Monday to Sunday.
    const Date monday = mdy(6, 2, 2025);
    EXPECT_EQ(1, monday.weekday());
    for (int k = 0; k < 7; ++k) {
        const Date d = monday + k;
        EXPECT_EQ((k + 1) % 7, d.weekday()) << d.iso();
        EXPECT_EQ(k >= 5, d.isWeekend()) << d.iso();
        EXPECT_EQ(k < 5, d.isWorkingDay()) << d.iso();
        EXPECT_EQ(monday, d.mondayOfWeek()) << d.iso();
    }
    EXPECT_EQ(monday + 7, (monday + 7).mondayOfWeek());
    // A week that spans the turn of the year belongs to its Monday.
    EXPECT_EQ("2024-12-30", mdy(1, 5, 2025).mondayOfWeek().iso());
}

TEST(DateTest, IsoTextAcceptsOnlyRealDays) {
    EXPECT_EQ(mdy(2, 29, 2024), Date::fromIso("2024-02-29"));
    for (const char* bad : {"2025-02-29", "2025-13-01", "2025-00-10", "2025-01-00", "1800-12-31",
                            "2025-1-01", "2025/01/01", "20250101", "", "2025-01-01x", "2o25-01-01"})
        EXPECT_TRUE(Date::fromIso(bad).isNull()) << bad;
}

TEST(TimeTest, StoredFormOfTimesAndLengths) {
    EXPECT_EQ(1, Time::fromHMS(0, 0).value);
    EXPECT_EQ(360001, Time::fromHMS(1, 0).value);
    EXPECT_EQ(2880001, Time::fromHMS(8, 0).value);
    EXPECT_EQ(6480001, Time::fromHMS(18, 0).value);
    EXPECT_EQ(8639901, Time::fromHMS(23, 59, 59).value);
    EXPECT_EQ(8640001, Time::endOfDay().value);
    EXPECT_EQ(180001, lengthFromMinutes(30));
    EXPECT_EQ(90001, lengthFromMinutes(15));
    EXPECT_EQ(1, lengthFromMinutes(0));
    EXPECT_EQ(30, minutesOfLength(180001));
    EXPECT_EQ(15, minutesOfLength(90001));
    EXPECT_EQ(Length(360001), Length::fromHours(1));

    const Time t = Time::fromHMS(13, 45, 30, 25);
    EXPECT_EQ(13, t.hours());
    EXPECT_EQ(45, t.minutes());
    EXPECT_EQ(30, t.seconds());
    EXPECT_EQ(25, t.hundredths());
    EXPECT_EQ(0, Time().hours());
}

TEST(TimeTest, AddingLengthsCountsTheStoredOneOnce) {
    const Time start = Time::fromHMS(8, 0);
    const Length half = Length::fromMinutes(30);
    EXPECT_EQ(3060001, (start + half).value);  // 08:30
    EXPECT_EQ(Time::fromHMS(9, 0), start + half + half);
    EXPECT_EQ(start, start + half - half);
    EXPECT_EQ(half, Time::fromHMS(8, 30) - start);
    EXPECT_EQ(Length::fromMinutes(0), start - start);
    // A booking running to midnight ends at the end of the day, not at 00:00.
    EXPECT_EQ(Time::endOfDay(), Time::fromHMS(23, 0) + Length::fromHours(1));
    EXPECT_TRUE((Time() + half).isNull());
    EXPECT_TRUE((Time() - start).isNull());
}

TEST(TimeTest, ScanMeasureIsTensOfSeconds) {
    EXPECT_EQ(2880, u(Time::fromHMS(8, 0)));
    EXPECT_EQ(6480, u(Time::fromHMS(18, 0)));
    EXPECT_EQ(90, u(Length::fromMinutes(15)));
    EXPECT_EQ(8640, u(Time::endOfDay()));
    EXPECT_EQ(8639, u(Time::fromHMS(23, 59, 59)));
    EXPECT_EQ(0, u(Time::midnight()));
    EXPECT_EQ(1, u(Time::fromHMS(0, 0, 10)));  // the stored "+1" is dropped
    EXPECT_EQ(0, u(Time::fromHMS(0, 0, 9, 98)));
}

TEST(ClockTest, TestsSetTheClockAndResettingReadsTheSystem) {
    {
        FixedClock clock(mdy(3, 5, 2025), Time::fromHMS(9, 30));
        EXPECT_EQ(mdy(3, 5, 2025), today());
        EXPECT_EQ(Time::fromHMS(9, 30), now());
    }
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    const ClockReading r = readClock();
    // The reading agrees with the C library's local time, give or take a midnight.
    EXPECT_LE(std::abs(r.date - mdy(tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900)), 1);
    EXPECT_GE(r.time.value, 1);
    EXPECT_LT(r.time.value, Time::endOfDay().value);
}

TEST(FormatTest, DatePatterns) {
    const Date d = mdy(3, 5, 2025);  // a Wednesday
    EXPECT_EQ("05/03/2025", formatDate(d, "dd/MM/yyyy"));
    EXPECT_EQ("3/5/25", formatDate(d, "M/d/yy"));
    EXPECT_EQ("Wednesday, 5 March 2025", formatDate(d, "dddd, d MMMM yyyy"));
    EXPECT_EQ("Wed 05 Mar", formatDate(d, "ddd dd MMM"));
    EXPECT_EQ("5 de March de 2025", formatDate(d, "d 'de' MMMM 'de' yyyy"));
    EXPECT_EQ("it's 5", formatDate(d, "'it''s' d"));
    EXPECT_EQ("2025y.5", formatDate(d, "yyyyy.d"));  // a fifth y stands alone, as text
    EXPECT_EQ("2025-03-05 hh:mm", formatDate(d, "yyyy-MM-dd hh:mm"));
    EXPECT_EQ("01/01/1801", formatDate(Date::first(), "dd/MM/yyyy"));
    EXPECT_EQ("", formatDate(Date(), "dd/MM/yyyy"));  // no date shows blank
}

TEST(FormatTest, TimePatterns) {
    EXPECT_EQ("08:05", formatTime(Time::fromHMS(8, 5), "HH:mm"));
    EXPECT_EQ("8:05:09", formatTime(Time::fromHMS(8, 5, 9), "H:mm:ss"));
    EXPECT_EQ("12:30 AM", formatTime(Time::fromHMS(0, 30), "h:mm AP"));
    EXPECT_EQ("12:00 pm", formatTime(Time::fromHMS(12, 0), "h:mm ap"));
    EXPECT_EQ("01:05 PM", formatTime(Time::fromHMS(13, 5), "hh:mm A"));
    EXPECT_EQ("13:05", formatTime(Time::fromHMS(13, 5), "hh:mm"));  // no marker: 24 hours
    EXPECT_EQ("13 pm", formatTime(Time::fromHMS(13, 5), "H ap"));
    EXPECT_EQ("24:00", formatTime(Time::endOfDay(), "HH:mm"));
    EXPECT_EQ("", formatTime(Time(), "HH:mm"));
}

TEST(ParseTest, FormattedTextReadsBackToTheSameValue) {
    FixedClock clock(mdy(6, 1, 2025), Time::fromHMS(12, 0));
    const char* datePatterns[] = {"dd/MM/yyyy",           "M/d/yy",   "dddd, d MMMM yyyy",
                                  "ddd d MMM yyyy",       "yyyyMMdd", "d. MMMM yyyy",
                                  "d 'de' MMMM 'de' yyyy"};
    for (const char* p : datePatterns) {
        for (Date d = mdy(1, 1, 2024); d <= mdy(1, 10, 2025); d = d + 1)
            ASSERT_EQ(d, parseDate(formatDate(d, p), p)) << p << " " << d.iso();
        for (Date d : {mdy(2, 28, 1801), mdy(2, 29, 2000), mdy(12, 31, 2199)})
            if (std::string(p).find("yyyy") != std::string::npos) {
                EXPECT_EQ(d, parseDate(formatDate(d, p), p)) << p << " " << d.iso();
            }
    }
    const char* timePatterns[] = {"HH:mm", "h:mm AP", "hh:mm:ss ap", "H.mm"};
    for (const char* p : timePatterns)
        for (Time t = Time::midnight(); t < Time::endOfDay(); t = t + Length::fromMinutes(7))
            ASSERT_EQ(t, parseTime(formatTime(t, p), p)) << p << " " << t.value;
    EXPECT_EQ(Time::endOfDay(), parseTime("24:00", "HH:mm"));
}

TEST(ParseTest, AcceptsWhatUsersType) {
    FixedClock clock(mdy(6, 1, 2025), Time::fromHMS(12, 0));
    const Date d = mdy(3, 5, 2025);
    EXPECT_EQ(d, parseDate("5/3/2025", "dd/MM/yyyy"));  // leading zeros optional
    EXPECT_EQ(d, parseDate("  05 / 03 / 2025 ", "dd / MM / yyyy"));
    EXPECT_EQ(d, parseDate("05/03/2025", "dd / MM / yyyy"));  // a blank may match none
    EXPECT_EQ(d, parseDate("5/3/25", "dd/MM/yyyy"));          // two digits in a long year
    EXPECT_EQ(d, parseDate("05/03/2025", "dd/MM/yy"));        // four digits in a short one
    EXPECT_EQ(d, parseDate("wed, 5 MAR 2025", "dddd, d MMMM yyyy"));
    EXPECT_EQ(d, parseDate("Friday, 5 March 2025", "dddd, d MMMM yyyy"));  // name not checked
    EXPECT_EQ(d, parseDate("5 March", "d MMMM"));  // no year in the pattern: this year
    // Two-digit years fall within 50 years before and 49 after 2025.
    EXPECT_EQ(1975, parseDate("1/1/75", "d/M/yy").year());
    EXPECT_EQ(2074, parseDate("1/1/74", "d/M/yy").year());
    EXPECT_EQ(Time::fromHMS(9, 30), parseTime("9:30", "HH:mm"));
    EXPECT_EQ(Time::fromHMS(21, 30), parseTime("9:30pm", "h:mm AP"));
    EXPECT_EQ(Time::fromHMS(0, 15), parseTime("12:15 am", "h:mm AP"));
    // Locale time formats may carry a narrow no-break space before the marker.
    EXPECT_EQ(Time::fromHMS(14, 0), parseTime("2:00 PM", "h:mm\u202fAP"));
    EXPECT_EQ(Time::fromHMS(14, 0), parseTime("2:00\u202fPM", "h:mm AP"));
}

TEST(ParseTest, RejectsWhatIsNoDayOrTime) {
    for (const char* bad : {"", "   ", "31/02/2025", "29/02/2025", "10/13/2025", "0/1/2025",
                            "1/1/1800", "05/03/2025x", "05-03-2025", "05/03/202", "abc"})
        EXPECT_TRUE(parseDate(bad, "dd/MM/yyyy").isNull()) << bad;
    EXPECT_TRUE(parseDate("5 Marc 2025", "d MMMM yyyy").isNull());
    for (const char* bad : {"", "25:00", "24:01", "12:60", "9", "9:", "x9:30", "9:30:00"})
        EXPECT_TRUE(parseTime(bad, "HH:mm").isNull()) << bad;
    for (const char* bad : {"13:00 PM", "0:30 AM", "9:30", "9:30 XM"})
        EXPECT_TRUE(parseTime(bad, "h:mm AP").isNull()) << bad;
}

TEST(FormatTest, WorkstationFormatsAreHandedOverAtStart) {
    DateFormats german;
    german.shortDate = "dd.MM.yy";
    german.longDate = "dddd, d. MMMM yyyy";
    german.shortTime = "HH:mm";
    german.dayNames = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                       "Donnerstag", "Freitag", "Samstag"};
    german.monthNames[2] = "März";
    setDateFormats(german);
    const Date d = mdy(3, 5, 2025);
    EXPECT_EQ("05.03.25", shortDate(d));
    EXPECT_EQ("Mittwoch, 5. März 2025", longDate(d));
    EXPECT_EQ("07:45", shortTime(Time::fromHMS(7, 45)));
    EXPECT_EQ(d, parseLongDate("Mittwoch, 5. März 2025"));
    EXPECT_EQ(d, parseShortDate("5.3.2025"));
    EXPECT_EQ(Time::fromHMS(7, 45), parseShortTime("7:45"));
    setDateFormats({});
    EXPECT_EQ("05/03/2025", shortDate(d));
}

}  // namespace
}  // namespace store

#include "datetime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <utility>
#include <vector>

namespace store {
namespace {

long long floorDiv(long long a, long long b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Days from 1 January 1970 to the given day of the proleptic Gregorian calendar, for any
// month 1..12 and day 1..31 (a day past the month's end simply runs on).
constexpr long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int year;
    int month;
    int day;
};

// The inverse of daysFromCivil.
constexpr Civil civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// Day 0 of the stored numbering, 28 December 1800, counted from 1 January 1970.
constexpr long long kDayZero = daysFromCivil(1800, 12, 28);
constexpr LONG kFirstDay = static_cast<LONG>(daysFromCivil(1801, 1, 1) - kDayZero);
constexpr LONG kLastDay = static_cast<LONG>(daysFromCivil(9999, 12, 31) - kDayZero);
static_assert(kFirstDay == 4);

Civil civilOf(Date d) {
    return civilFromDays(d.value + kDayZero);
}

// ---- clock ----

std::mutex clockMutex;
std::function<ClockReading()> clockOverride;

ClockReading systemClock() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    const int hundredths = static_cast<int>(((ms % 1000) + 1000) % 1000 / 10);
    // A leap second is shown as the last second of its minute.
    const int second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return {Date::fromMDY(tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900),
            Time::fromHMS(tm.tm_hour, tm.tm_min, second, hundredths)};
}

// ---- formats ----

DateFormats& formatsInUse() {
    static DateFormats formats;
    return formats;
}

// One piece of a pattern: a field (letter and its repeat count) or literal text. A field
// keeps the letters it was written with, so that a date pattern can show a time field's
// letters as they stand and the other way round.
struct Token {
    char letter = 0;  // 'd' 'M' 'y' 'h' 'H' 'm' 's' 'a' (AM/PM, lower) 'A' (upper); 0 literal
    int count = 0;
    std::string text;
};

bool isDateField(char c) {
    return c == 'd' || c == 'M' || c == 'y';
}
bool isTimeField(char c) {
    return c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 'a' || c == 'A';
}

bool isNumberField(const Token& t) {
    switch (t.letter) {
        case 'd':
        case 'M':
            return t.count <= 2;
        case 'y':
        case 'h':
        case 'H':
        case 'm':
        case 's':
            return true;
        default:
            return false;
    }
}

std::vector<Token> tokenize(std::string_view p) {
    std::vector<Token> tokens;
    auto literal = [&](std::string_view s) {
        if (tokens.empty() || tokens.back().letter != 0) tokens.push_back({});
        tokens.back().text += s;
    };
    std::size_t i = 0;
    while (i < p.size()) {
        const char c = p[i];
        if (c == '\'') {
            if (i + 1 < p.size() && p[i + 1] == '\'') {
                literal("'");
                i += 2;
                continue;
            }
            ++i;
            // Quoted text runs to the closing quote, or to the end when there is none.
            while (i < p.size()) {
                if (p[i] == '\'') {
                    if (i + 1 < p.size() && p[i + 1] == '\'') {
                        literal("'");
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(p.substr(i, 1));
                ++i;
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < p.size() && p[i + run] == c) ++run;
        int count = 0;
        char letter = c;
        switch (c) {
            case 'd':
            case 'M':
                count = static_cast<int>(std::min<std::size_t>(run, 4));
                break;
            case 'y':
                count = run >= 4 ? 4 : run >= 2 ? 2 : 0;  // a lone y is literal
                break;
            case 'h':
            case 'H':
            case 'm':
            case 's':
                count = static_cast<int>(std::min<std::size_t>(run, 2));
                break;
            case 'a':
            case 'A':
                // "AP", "A", "ap" and "a" are one marker; its first letter sets the case.
                count = (i + 1 < p.size() && (p[i + 1] == 'p' || p[i + 1] == 'P')) ? 2 : 1;
                letter = c;
                break;
            default:
                break;
        }
        if (count == 0) {
            literal(p.substr(i, 1));
            ++i;
            continue;
        }
        tokens.push_back({letter, count, std::string(p.substr(i, count))});
        i += count;
    }
    return tokens;
}

bool hasMarker(const std::vector<Token>& tokens) {
    for (const Token& t : tokens)
        if (t.letter == 'a' || t.letter == 'A') return true;
    return false;
}

void appendNumber(std::string& out, long long n, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*lld", width, n);
    out += buf;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string withCase(std::string s, bool upper) {
    for (char& c : s) c = upper ? upperAscii(c) : lowerAscii(c);
    return s;
}

// ---- reading text ----

// A blank of the input or pattern at i: its length in bytes, or 0. Locale formats use the
// no-break and narrow no-break spaces as well as the ordinary one.
std::size_t blankAt(std::string_view s, std::size_t i) {
    if (i >= s.size()) return 0;
    if (s[i] == ' ' || s[i] == '\t') return 1;
    if (s.substr(i, 2) == "\xC2\xA0") return 2;
    if (s.substr(i, 3) == "\xE2\x80\xAF") return 3;
    return 0;
}

/// Walks the input as the pattern's tokens are matched against it.
class Reader {
  public:
    explicit Reader(std::string_view text) : s_(text) { skipBlanks(); }

    void skipBlanks() {
        while (std::size_t n = blankAt(s_, pos_)) pos_ += n;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ == s_.size();
    }

    bool literal(std::string_view lit) {
        std::size_t i = 0;
        while (i < lit.size()) {
            if (std::size_t n = blankAt(lit, i)) {
                i += n;
                skipBlanks();
                continue;
            }
            if (pos_ >= s_.size() || lowerAscii(s_[pos_]) != lowerAscii(lit[i])) return false;
            ++pos_;
            ++i;
        }
        return true;
    }

    /// One to maxDigits digits; the count read goes to *digits.
    bool number(int maxDigits, int* value, int* digits = nullptr) {
        int n = 0;
        int v = 0;
        while (n < maxDigits && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
            v = v * 10 + (s_[pos_] - '0');
            ++pos_;
            ++n;
        }
        if (digits) *digits = n;
        *value = v;
        return n > 0;
    }

    /// The longest of the names that the text continues with, compared without case;
    /// its index modulo `modulo` goes to *index.
    bool name(const std::vector<const std::string*>& names, int modulo, int* index) {
        std::size_t best = 0;
        for (std::size_t k = 0; k < names.size(); ++k) {
            const std::string& nm = *names[k];
            if (nm.empty() || nm.size() <= best || pos_ + nm.size() > s_.size()) continue;
            bool same = true;
            for (std::size_t j = 0; j < nm.size() && same; ++j)
                same = lowerAscii(s_[pos_ + j]) == lowerAscii(nm[j]);
            if (same) {
                best = nm.size();
                *index = static_cast<int>(k) % modulo;
            }
        }
        pos_ += best;
        return best > 0;
    }

  private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

template <std::size_t N>
void addNames(std::vector<const std::string*>& out, const std::array<std::string, N>& names) {
    for (const std::string& n : names) out.push_back(&n);
}

// The year that a two-digit year stands for: within 50 years before or 49 after today's.
int windowYear(int yy) {
    const int base = today().year() - 50;
    return base + static_cast<int>(((yy - base) % 100 + 100) % 100);
}

}  // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// ---- Date ----

Date Date::fromMDY(int month, int day, int year) {
    const long long m0 = static_cast<long long>(month) - 1;
    const long long y = year + floorDiv(m0, 12);
    const int m = static_cast<int>(m0 - floorDiv(m0, 12) * 12) + 1;
    // Far outside the supported years no day carry can bring the date back.
    if (y < 1000 || y > 11000) return Date();
    const long long n = daysFromCivil(y, m, 1) + (static_cast<long long>(day) - 1) - kDayZero;
    if (n < kFirstDay || n > kLastDay) return Date();
    return Date(static_cast<LONG>(n));
}

Date Date::fromIso(std::string_view t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return Date();
    int parts[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k) {
        for (std::size_t i = starts[k]; i < starts[k] + lengths[k]; ++i) {
            if (t[i] < '0' || t[i] > '9') return Date();
            parts[k] = parts[k] * 10 + (t[i] - '0');
        }
    }
    const auto [y, m, d] = parts;
    if (m < 1 || m > 12 || d < 1 || d > store::daysInMonth(m, y)) return Date();
    return fromMDY(m, d, y);
}

Date Date::first() {
    return Date(kFirstDay);
}
Date Date::last() {
    return Date(kLastDay);
}

int Date::year() const {
    return isNull() ? 0 : civilOf(*this).year;
}
int Date::month() const {
    return isNull() ? 0 : civilOf(*this).month;
}
int Date::day() const {
    return isNull() ? 0 : civilOf(*this).day;
}

Date Date::mondayOfWeek() const {
    return isNull() ? *this : Date(value - (weekday() + 6) % 7);
}
Date Date::firstOfMonth() const {
    return isNull() ? *this : Date(value - day() + 1);
}
Date Date::lastOfMonth() const {
    return isNull() ? *this : Date(value - day() + daysInMonth());
}
int Date::daysInMonth() const {
    if (isNull()) return 0;
    const Civil c = civilOf(*this);
    return store::daysInMonth(c.month, c.year);
}

Date Date::addMonths(int months) const {
    if (isNull()) return *this;
    const Civil c = civilOf(*this);
    return fromMDY(c.month + months, c.day, c.year);
}

std::string Date::iso() const {
    if (isNull()) return {};
    const Civil c = civilOf(*this);
    std::string out;
    appendNumber(out, c.year, 4);
    out += '-';
    appendNumber(out, c.month, 2);
    out += '-';
    appendNumber(out, c.day, 2);
    return out;
}

// ---- clock ----

void setClock(std::function<ClockReading()> clock) {
    std::lock_guard<std::mutex> lock(clockMutex);
    clockOverride = std::move(clock);
}

ClockReading readClock() {
    std::function<ClockReading()> clock;
    {
        std::lock_guard<std::mutex> lock(clockMutex);
        clock = clockOverride;
    }
    return clock ? clock() : systemClock();
}

Date today() {
    return readClock().date;
}
Time now() {
    return readClock().time;
}

// ---- formats ----

void setDateFormats(DateFormats formats) {
    formatsInUse() = std::move(formats);
}
const DateFormats& dateFormats() {
    return formatsInUse();
}

std::string formatDate(Date date, std::string_view pattern, const DateFormats& names) {
    if (date.isNull()) return {};
    const Civil c = civilOf(date);
    std::string out;
    for (const Token& t : tokenize(pattern)) {
        if (!isDateField(t.letter)) {
            out += t.text;
            continue;
        }
        switch (t.letter) {
            case 'd':
                if (t.count <= 2)
                    appendNumber(out, c.day, t.count);
                else
                    out += (t.count == 3 ? names.shortDayNames : names.dayNames)[date.weekday()];
                break;
            case 'M':
                if (t.count <= 2)
                    appendNumber(out, c.month, t.count);
                else
                    out += (t.count == 3 ? names.shortMonthNames : names.monthNames)[c.month - 1];
                break;
            case 'y':
                appendNumber(out, t.count == 2 ? c.year % 100 : c.year, t.count);
                break;
        }
    }
    return out;
}

std::string formatTime(Time time, std::string_view pattern, const DateFormats& names) {
    if (time.isNull()) return {};
    const std::vector<Token> tokens = tokenize(pattern);
    const bool twelveHour = hasMarker(tokens);
    const int hours = time.hours();
    std::string out;
    for (const Token& t : tokens) {
        if (!isTimeField(t.letter)) {
            out += t.text;
            continue;
        }
        switch (t.letter) {
            case 'h':
                if (twelveHour)
                    appendNumber(out, hours % 12 == 0 ? 12 : hours % 12, t.count);
                else
                    appendNumber(out, hours, t.count);
                break;
            case 'H':
                appendNumber(out, hours, t.count);
                break;
            case 'm':
                appendNumber(out, time.minutes(), t.count);
                break;
            case 's':
                appendNumber(out, time.seconds(), t.count);
                break;
            case 'a':
            case 'A':
                out += withCase(hours % 24 < 12 ? names.amText : names.pmText, t.letter == 'A');
                break;
        }
    }
    return out;
}

Date parseDate(std::string_view text, std::string_view pattern, const DateFormats& names) {
    std::vector<const std::string*> months;
    addNames(months, names.monthNames);
    addNames(months, names.shortMonthNames);
    std::vector<const std::string*> days;
    addNames(days, names.dayNames);
    addNames(days, names.shortDayNames);

    Reader in(text);
    if (in.atEnd()) return Date();
    const std::vector<Token> tokens = tokenize(pattern);
    int day = 1;
    int month = 1;
    int year = 0;
    bool haveYear = false;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (!isDateField(t.letter)) {
            if (!in.literal(t.text)) return Date();
            continue;
        }
        int v = 0;
        switch (t.letter) {
            case 'd':
                if (t.count <= 2) {
                    if (!in.number(2, &day)) return Date();
                } else if (!in.name(days, 7, &v)) {
                    return Date();
                }
                break;
            case 'M':
                if (t.count <= 2) {
                    if (!in.number(2, &month)) return Date();
                } else if (in.name(months, 12, &v)) {
                    month = v + 1;
                } else {
                    return Date();
                }
                break;
            case 'y': {
                // A two-digit year field takes a full year too, unless digits of the next
                // field follow at once.
                const bool digitsFollow = k + 1 < tokens.size() && isNumberField(tokens[k + 1]);
                int digits = 0;
                if (!in.number(t.count == 2 && digitsFollow ? 2 : 4, &year, &digits)) return Date();
                if (digits == 2)
                    year = windowYear(year);
                else if (digits != 4)
                    return Date();
                haveYear = true;
                break;
            }
        }
    }
    if (!in.atEnd()) return Date();
    if (!haveYear) year = today().year();
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(month, year)) return Date();
    return Date::fromMDY(month, day, year);
}

Time parseTime(std::string_view text, std::string_view pattern, const DateFormats& names) {
    const std::vector<const std::string*> markers{&names.amText, &names.pmText};
    const std::vector<Token> tokens = tokenize(pattern);
    const bool twelveHour = hasMarker(tokens);

    Reader in(text);
    if (in.atEnd()) return Time();
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    bool twelveHourField = false;
    int marker = -1;  // 0 am, 1 pm
    for (const Token& t : tokens) {
        if (!isTimeField(t.letter)) {
            if (!in.literal(t.text)) return Time();
            continue;
        }
        bool ok = true;
        switch (t.letter) {
            case 'h':
            case 'H':
                ok = in.number(2, &hours);
                twelveHourField = t.letter == 'h' && twelveHour;
                break;
            case 'm':
                ok = in.number(2, &minutes);
                break;
            case 's':
                ok = in.number(2, &seconds);
                break;
            case 'a':
            case 'A':
                ok = in.name(markers, 2, &marker);
                break;
        }
        if (!ok) return Time();
    }
    if (!in.atEnd() || minutes > 59 || seconds > 59) return Time();
    if (twelveHourField) {
        if (hours < 1 || hours > 12) return Time();
        hours = hours % 12 + (marker == 1 ? 12 : 0);
    } else if (hours > 24 || (hours == 24 && (minutes != 0 || seconds != 0))) {
        return Time();
    }
    return Time::fromHMS(hours, minutes, seconds);
}

std::string shortDate(Date date) {
    return formatDate(date, dateFormats().shortDate);
}
std::string longDate(Date date) {
    return formatDate(date, dateFormats().longDate);
}
std::string shortTime(Time time) {
    return formatTime(time, dateFormats().shortTime);
}
Date parseShortDate(std::string_view text) {
    return parseDate(text, dateFormats().shortDate);
}
Date parseLongDate(std::string_view text) {
    return parseDate(text, dateFormats().longDate);
}
Time parseShortTime(std::string_view text) {
    return parseTime(text, dateFormats().shortTime);
}

}  // namespace store

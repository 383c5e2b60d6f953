#include "scan/scans.h"

#include <algorithm>

#include "booking/words.h"
#include "masterdata/group_save.h"
#include "scan/availability.h"
#include "store/file_manager.h"
#include "store/kept_buffer.h"

namespace scan {

using store::LONG;
using store::u;

namespace {

/// Opens for real a table its window opened lazily; false when it cannot be read.
bool ready(store::Store& db, store::Tbl t) {
    return db.Access(t).USEFILE() == store::Level_Benign;
}

/// The scans' fonts: "MS Sans Serif" 8 for labels, "Small Fonts" 6 or 7 for the
/// texts of boxes and names.
constexpr Font kLabelFont{Face::Label, 8};
constexpr Font kSmall6{Face::Small, 6};
constexpr Font kSmall7{Face::Small, 7};

std::string leftTrimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string firstChars(const std::string& s, int n) {
    return n <= 0 ? std::string() : s.substr(0, std::size_t(n));
}

/// A time in the short form cut to its first five characters, as the scans label rows.
std::string fiveChars(LONG stored) {
    return firstChars(store::shortTime(store::Time(stored)), 5);
}

std::string dayName(store::Date d) {
    static const char* const names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return booking::tr(names[d.weekday()]);
}

std::string longDayName(store::Date d) {
    static const char* const names[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    return booking::tr(names[d.weekday()]);
}

/// Day column of a date: Monday 1 ... Sunday 7.
int dayColumn(store::Date d) {
    return d.weekday() == 0 ? 7 : d.weekday();
}

std::string timeSpan(const Occurrence& o) {
    return store::shortTime(store::Time(o.start)) + " - " + store::shortTime(store::Time(o.end));
}

std::string tipOf(const Occurrence& o) {
    std::string tip = o.name;
    if (!o.client.empty()) tip += "\n" + o.client;
    tip += "\n" + store::shortDate(store::Date(o.date)) + "  " + timeSpan(o);
    return tip;
}

/// The vertical placement of the day grids: a "Before" row, one row per slot, an "After"
/// row, the grid's top at `top`.
struct DayRows {
    const ScanPrefs& p;
    int top;

    long long uB() const { return u(p.beginDay); }
    long long uE() const { return u(p.endDay); }
    long long uI() const { return std::max<long long>(u(p.interval), 1); }
    /// y(x) = top + H × (1 + (u(x) − u(B)) / u(I)), the fraction dropped.
    int y(LONG x) const { return top + int(p.height * (uI() + u(x) - uB()) / uI()); }
    int boxTop(LONG t) const {
        if (u(t) < uB()) return top;
        return u(t) < uE() ? y(t) : y(p.endDay);
    }
    int boxBottom(LONG e) const {
        if (u(e) <= uB()) return top + p.height;
        return u(e) > uE() ? y(p.endDay) + p.height : y(e);
    }
};

void add(ScanLayout& l, Item i) {
    l.cover(i);
    l.items.push_back(std::move(i));
}

Item label(int id, int x, int y, int w, int h, std::string text, Font font = kLabelFont) {
    Item i;
    i.kind = Item::Label;
    i.id = id;
    i.x = x, i.y = y, i.w = w, i.h = h;
    i.text = std::move(text);
    i.font = font;
    return i;
}

Item line(int id, int x, int y, int w, int h, Rgb colour) {
    Item i;
    i.kind = Item::Line;
    i.id = id;
    i.x = x, i.y = y, i.w = w, i.h = h;
    i.colour = colour;
    return i;
}

/// A clickable box for an occurrence, its box-list entry and its text item.
void bookingBox(ScanLayout& l, Numbering& n, const Occurrence& o, int x, int y, int w, int h,
                std::string text, Font font, Rgb colour = kBlue) {
    Item b;
    b.kind = Item::Box;
    b.id = n.next(0);
    b.x = x, b.y = y, b.w = w, b.h = h;
    b.colour = colour;
    b.box = int(l.boxes.size());
    b.tip = tipOf(o);
    l.boxes.push_back({b.id, o.number, o.date, o.start, o.end});
    add(l, b);
    Item t;
    t.kind = Item::Text;
    t.id = n.next(1);
    t.x = x, t.y = y, t.w = w, t.h = h;
    t.text = std::move(text);
    t.font = font;
    add(l, t);
}

std::string merged(const char* text, const std::string& value) {
    return booking::merge(booking::tr(text), value);
}

}  // namespace

ScanPrefs ScanPrefs::of(const store::USERPREF& usp) {
    ScanPrefs p;
    p.beginDay = usp.BEGINDAY;
    p.endDay = usp.ENDDAY;
    p.interval = usp.INTERVAL;
    p.scanSize = usp.SCANSIZE;
    p.height = usp.HEIGHT;
    p.scanText = usp.SCANTEXT.str();
    return p;
}

int singleColumnWidth(int scanSize) {
    return scanSize * kSingleColumnFactorTenths / 10;
}

int scanRows(const ScanPrefs& p) {
    if (p.interval <= 0 || p.endDay <= p.beginDay) return 3;
    return int((p.endDay - p.beginDay) / p.interval) + 3;
}

std::string rowLabel(const ScanPrefs& p, int r) {
    const int rows = scanRows(p);
    if (r <= 1) return merged("Before %1", fiveChars(p.beginDay));
    if (r >= rows) return merged("After %1", fiveChars(p.endDay));
    return fiveChars(p.beginDay + LONG(r - 2) * p.interval);
}

std::string boxText(const std::string& mode, const Occurrence& o, int mixedName) {
    const std::string name = leftTrimmed(o.name), client = leftTrimmed(o.client);
    if (mode == "No Text") return {};
    if (mode == "Booking") return name;
    if (mode == "Client") return client;
    if (mode == "Mixed") return firstChars(name, mixedName) + ":" + client;
    return {};
}

// ---------------------------------------------------------------------------------------
// The week of one resource.

ScanLayout layoutResourceWeek(const ScanPrefs& p, store::Date reference,
                              const std::vector<Occurrence>& occurrences, WeekOptions options) {
    ScanLayout l;
    Numbering n;
    n.series(0, 101, 1001);         // booking boxes
    n.series(1, 1001, 100'000);     // their texts
    n.series(2, 100'001, 200'000);  // the grid, headings and labels
    const int W = singleColumnWidth(p.scanSize), H = p.height;
    const int R = scanRows(p);
    const int days = std::clamp(options.days, 1, 7);
    const store::Date monday = reference.mondayOfWeek();
    for (int d = 1; d <= days; ++d) {
        const store::Date date = monday + (d - 1);
        const std::string heading =
            options.dated ? longDayName(date) + " " + store::shortDate(date) : dayName(date);
        add(l, label(n.next(2), 48 + (d - 1) * W, 29, W - 2, H, heading));
        add(l, label(n.next(2), 48 + (d - 1) * W, 64 + H * (R - 2), W - 2, H, heading));
    }
    const int length =
        p.interval > 0 ? int((p.endDay - p.beginDay + 2 * p.interval) * H / p.interval) : 2 * H;
    for (int i = 1; i <= days + 1; ++i)
        add(l, line(n.next(2), 47 + (i - 1) * W, 39, 0, length, kRed));
    for (int r = 1; r <= R; ++r) {
        const std::string text = rowLabel(p, r);
        add(l, label(n.next(2), 2, 39 + (r - 1) * H, 42, H, text));
        add(l, label(n.next(2), 48 + days * W, 39 + (r - 1) * H, 42, H, text));
    }
    l.rows = {39, H, R};
    const DayRows rows{p, 39};
    for (const Occurrence& o : occurrences) {
        const store::Date date(o.date);
        if (date < monday || date > monday + (days - 1)) continue;
        const int top = rows.boxTop(o.start), bottom = rows.boxBottom(o.end);
        bookingBox(l, n, o, 48 + (dayColumn(date) - 1) * W, top, W - 2, bottom - top,
                   boxText(p.scanText, o, options.mixedName), kSmall6);
    }
    return l;
}

// ---------------------------------------------------------------------------------------
// The month of one resource.

ScanLayout layoutResourceMonth(const ScanPrefs& p, store::Date reference,
                               const std::vector<Occurrence>& occurrences) {
    ScanLayout l;
    Numbering n;
    n.series(0, 101, 1001);
    n.series(1, 1001, 100'000);
    n.series(2, 100'001, 200'000);
    const int W = singleColumnWidth(p.scanSize), H = p.height;
    // LINELENGTHCALC: seven columns of W, six week rows of 7·H under a heading strip.
    const int lines = H * 7 / 6;  // L: text lines per day cell
    static const char* const days[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                       "Friday", "Saturday", "Sunday"};
    for (int c = 1; c <= 7; ++c)
        add(l, label(n.next(2), 10 + (c - 1) * W, 24, W, 10, booking::tr(days[c - 1])));
    for (int i = 0; i <= 7; ++i) add(l, line(n.next(2), 10 + i * W, 22, 0, 42 * H + 14, kBlack));
    add(l, line(n.next(2), 10, 22, 7 * W, 0, kBlack));
    for (int w = 0; w <= 6; ++w) add(l, line(n.next(2), 10, 36 + w * 7 * H, 7 * W, 0, kBlack));

    const store::Date first = reference.firstOfMonth(), last = reference.lastOfMonth();
    // Week row of a day of the month: 0 for the row of the first.
    auto weekRow = [](int m, int c) { return (m - c + 6) / 7; };
    LONG date = 0;
    int lineNo = 0;
    for (const Occurrence& o : occurrences) {
        const store::Date d(o.date);
        if (d < first || d > last) continue;
        if (o.date != date) date = o.date, lineNo = 0;
        lineNo = std::min(lineNo + 1, lines);
        const int c = dayColumn(d), m = d.day();
        const int y = weekRow(m, c) * 7 * H + 36 + 6 * lineNo;
        std::string text;
        Font font = kSmall6;
        if (lineNo < lines) {
            std::string t = store::shortTime(store::Time(o.start)).substr(0, 7);
            const int budget = W / 4 - int(t.size());
            const std::string name = leftTrimmed(o.name), client = leftTrimmed(o.client);
            if (p.scanText == "No Text")
                text = t;
            else if (p.scanText == "Booking")
                text = t + " " + firstChars(name, budget);
            else if (p.scanText == "Client")
                text = t + " " + firstChars(client, budget);
            else if (p.scanText == "Mixed")
                text = t + " " + firstChars(name, 6) + ":" + firstChars(client, budget - 6);
        } else {
            text = booking::tr("MORE");
            font.bold = true;
        }
        bookingBox(l, n, o, 10 + (c - 1) * W, y, W, 6, text, font);
    }
    for (store::Date d = first; d <= last; d = d + 1) {
        const int c = dayColumn(d);
        Item day = label(n.next(2), c * W, weekRow(d.day(), c) * 7 * H + 42, 10, 8,
                         std::to_string(d.day()), kSmall6);
        day.background = kYellow;
        add(l, day);
    }
    return l;
}

// ---------------------------------------------------------------------------------------
// The day of a group.

ScanLayout layoutGroupDay(const ScanPrefs& p, store::Date day,
                          const std::vector<std::string>& members, const Occupancy& occupancy) {
    ScanLayout l;
    Numbering n;
    n.series(0, 101, 3001);       // booking boxes
    n.series(1, 5001, 10'001);    // their texts
    n.series(3, 3001, 4001);      // right-hand time labels
    n.series(4, 4001, 5001);      // grid lines
    n.series(5, 10'001, 10'101);  // names above the grid (10001 + column)
    n.series(6, 10'101, 10'201);  // names below it (10101 + column)
    n.series(2, 20'001, 30'000);  // the left-hand time labels
    n.next(5), n.next(6);         // the names start at column 1
    const int S = p.scanSize, H = p.height, R = scanRows(p);
    const int columns = int(members.size());
    const DayRows rows{p, 46};
    for (int r = 1; r <= R; ++r)
        add(l, label(n.next(2), 2, 46 + (r - 1) * H, 42, H, rowLabel(p, r)));
    for (int k = 1; k <= columns; ++k) {
        const std::string& resource = members[k - 1];
        const int x = 47 + (k - 1) * S;
        add(l, label(n.next(5), x, 26 + 8 * (k % 2), S, 8, resource, kSmall7));
        add(l, label(n.next(6), x, 52 + H * (R + k % 2), S, 8, resource, kSmall7));
        for (const Occurrence* o : occupancy.on(resource, day.value)) {
            const int top = rows.boxTop(o->start), bottom = rows.boxBottom(o->end);
            bookingBox(l, n, *o, 48 + (k - 1) * S, top, S - 2, bottom - top,
                       boxText(p.scanText, *o), kSmall7);
        }
    }
    for (int r = 1; r <= R; ++r) {
        add(l, label(n.next(3), 49 + columns * S, 46 + (r - 1) * H, 42, H, rowLabel(p, r)));
        if (columns > 0) add(l, line(n.next(4), 49, 46 + (r - 1) * H, columns * S, 0, kCyan));
    }
    l.rows = {46, H, R};
    if (columns == 0) l.note = booking::tr("This group has no members: there is nothing to show.");
    return l;
}

// ---------------------------------------------------------------------------------------
// The week of a group: seven bands of six rows.

namespace {

/// The three linear pieces of a band's time axis: midnight to the day's start in the "<"
/// row, the working day in rows 2 to 5, the day's end to midnight in the ">" row.
struct Band {
    const ScanPrefs& p;
    int top;  // T

    int at(LONG x, bool isEnd) const {
        const long long b = u(p.beginDay), E = u(p.endDay), S = std::max<long long>(E - b, 1);
        const long long H = p.height, ux = u(x);
        if (ux < b) return top + int(ux * H / std::max<long long>(b, 1));
        if (ux < E) return top + int(H + (ux - b) * 4 * H / S);
        const long long midnight = (isEnd ? 8639 : 8640) - E;
        if (midnight <= 0) return top + int(5 * H);
        return top + int((5 * midnight + (ux - E)) * H / midnight);
    }
};

}  // namespace

ScanLayout layoutGroupWeek(const ScanPrefs& p, store::Date reference,
                           const std::vector<std::string>& members, const Occupancy& occupancy,
                           WeekOptions options) {
    ScanLayout l;
    Numbering n;
    n.series(0, 101, 3001);
    n.series(1, 5001, 10'001);
    n.series(3, 3001, 3101);  // right-hand row labels
    n.series(7, 3101, 3108);  // the bands' top lines
    n.series(4, 3301, 4001);  // the rows' cyan lines
    n.series(5, 10'001, 10'101);
    n.series(6, 10'101, 10'201);
    n.series(2, 20'001, 30'000);  // left-hand labels and day names
    n.next(5), n.next(6);
    const int days = std::clamp(options.days, 1, 7);
    const int S = p.scanSize, H = p.height, R = 6 * days;
    const int columns = int(members.size());
    const store::Date monday = reference.mondayOfWeek();
    const LONG q = std::max<LONG>((p.endDay - p.beginDay) / 4, 0);
    const std::string labels[6] = {"<" + fiveChars(p.beginDay),   fiveChars(p.beginDay),
                                   fiveChars(p.beginDay + q),     fiveChars(p.beginDay + 2 * q),
                                   fiveChars(p.beginDay + 3 * q), ">" + fiveChars(p.endDay)};
    for (int d = 1; d <= days; ++d) {
        const int T = 46 + (d - 1) * 6 * H;
        const std::string name = dayName(monday + (d - 1));
        add(l, label(n.next(2), 2, T, 16, H, name));
        add(l, label(n.next(2), 95 + columns * S, T, 16, H, name));
        for (int r = 0; r < 6; ++r) {
            add(l, label(n.next(2), 20, T + r * H, 25, H, labels[r]));
            add(l, label(n.next(3), 70 + columns * S, T + r * H, 25, H, labels[r]));
        }
        add(l, line(n.next(7), 64, T, columns * S, 0, kDarkRed));
        for (int r = 1; r < 6; ++r) add(l, line(n.next(4), 64, T + r * H, columns * S, 0, kCyan));
    }
    for (int k = 1; k <= columns; ++k) {
        const std::string& resource = members[k - 1];
        const int x = 63 + (k - 1) * S;
        add(l, label(n.next(5), x, 26 + 8 * (k % 2), S, 8, resource, kSmall7));
        add(l, label(n.next(6), x, 52 + H * (R + k % 2), S, 8, resource, kSmall7));
        for (const Occurrence& o : occupancy.of(resource)) {
            const store::Date date(o.date);
            if (date < monday || date > monday + (days - 1)) continue;
            const Band band{p, 46 + (dayColumn(date) - 1) * 6 * H};
            const int top = band.at(o.start, false);
            bookingBox(l, n, o, 66 + (k - 1) * S, top, S - 2, band.at(o.end, true) - top,
                       boxText(p.scanText, o, 3), kSmall6);
        }
    }
    if (columns == 0) l.note = booking::tr("This group has no members: there is nothing to show.");
    return l;
}

// ---------------------------------------------------------------------------------------
// The month of a group.

ScanLayout layoutGroupMonth(const ScanPrefs& p, store::Date reference,
                            const std::vector<std::string>& members, const Occupancy& occupancy) {
    ScanLayout l;
    Numbering n;
    n.series(8, 201, 350);     // resource names
    n.series(9, 4001, 4051);   // day numbers
    n.series(10, 4051, 4100);  // weekday letters
    n.series(11, 4100, 4200);  // vertical lines
    n.series(12, 4200, 4300);  // horizontal lines
    n.series(13, 0, 0);        // cells that 100·k + 350 + r cannot number
    const int H = p.height;
    const store::Date first = reference.firstOfMonth();
    const int days = reference.daysInMonth();
    const int rows = int(members.size());
    for (int r = 1; r <= rows; ++r) {
        const std::string& resource = members[r - 1];
        add(l, label(n.next(8), 10, 50 + r * H, 60, H, resource, kSmall7));
        // CREATEREGION: count the member's occurrences per day; one cell per counted day.
        std::vector<std::vector<const Occurrence*>> perDay(days + 1);
        for (const Occurrence& o : occupancy.of(resource)) {
            const int k = o.date - first.value + 1;
            if (k >= 1 && k <= days) perDay[k].push_back(&o);
        }
        for (int k = 1; k <= days; ++k) {
            const auto& on = perDay[k];
            if (on.empty()) continue;
            const int count = int(on.size());
            Item cell;
            cell.kind = Item::Box;
            // 100·k + 350 + r while that is unique; past 99 rows the cells of neighbouring
            // days would share it, so they are numbered above every series instead.
            cell.id = r <= 99 ? 100 * k + 350 + r : n.next(13);
            cell.x = 70 + 12 * (k - 1), cell.y = 50 + r * H, cell.w = 12, cell.h = H;
            cell.colour = count == 1 ? kGreen : count == 2 ? kYellow : kRed;
            std::string tip = resource + "  " + store::shortDate(store::Date(on[0]->date));
            for (const Occurrence* o : on) tip += "\n" + timeSpan(*o) + "  " + o->name;
            cell.tip = tip;
            if (count == 1) {
                cell.box = int(l.boxes.size());
                l.boxes.push_back({cell.id, on[0]->number, on[0]->date, on[0]->start, on[0]->end});
            }
            add(l, cell);
        }
    }
    // DRAWLINES
    for (int k = 1; k <= days; ++k) {
        const store::Date d = first + (k - 1);
        add(l, label(n.next(9), 58 + 12 * k, 50, 12, H, std::to_string(k)));
        add(l, label(n.next(10), 58 + 12 * k, 50 - H, 12, H, firstChars(dayName(d), 2)));
        add(l, line(n.next(11), 70 + 12 * k, 50 - H, 0, (rows + 2) * H, kLightOrange));
    }
    add(l, line(n.next(11), 70, 50 - H, 0, (rows + 2) * H, kLightOrange));
    for (int j = 1; j <= rows + 1; ++j)
        add(l, line(n.next(12), 10, 50 + j * H, 12 * days + 60, 0, kLightOrange));
    if (rows == 0) l.note = booking::tr("This group has no members: there is nothing to show.");
    return l;
}

// ---------------------------------------------------------------------------------------

bool showsGroup(ScanKind kind) {
    return kind == ScanKind::GroupDay || kind == ScanKind::GroupWeek ||
           kind == ScanKind::GroupMonth || kind == ScanKind::GroupFree;
}

Period periodOf(ScanKind kind, store::Date reference) {
    switch (kind) {
        case ScanKind::ResourceWeek:
        case ScanKind::GroupWeek:
        case ScanKind::GroupFree:
        case ScanKind::PooledResource:
            return {reference.mondayOfWeek(), reference.mondayOfWeek() + 6};
        case ScanKind::ResourceMonth:
        case ScanKind::GroupMonth:
            return {reference.firstOfMonth(), reference.lastOfMonth()};
        case ScanKind::GroupDay:
            break;
    }
    return {reference, reference};
}

store::Date step(ScanKind kind, store::Date reference, int direction) {
    switch (kind) {
        case ScanKind::ResourceWeek:
        case ScanKind::GroupWeek:
        case ScanKind::GroupFree:
        case ScanKind::PooledResource:
            return reference + 7 * direction;
        case ScanKind::ResourceMonth:
        case ScanKind::GroupMonth:
            return reference.addMonths(direction);
        case ScanKind::GroupDay:
            break;
    }
    return reference + direction;
}

ScanLayout layoutScan(ScanKind kind, const ScanPrefs& p, store::Date reference,
                      const std::string& name, const std::vector<std::string>& resources,
                      const Occupancy& occupancy, int capacity) {
    switch (kind) {
        case ScanKind::ResourceWeek:
            return layoutResourceWeek(p, reference, occupancy.of(name));
        case ScanKind::ResourceMonth:
            return layoutResourceMonth(p, reference, occupancy.of(name));
        case ScanKind::GroupDay:
            return layoutGroupDay(p, reference, resources, occupancy);
        case ScanKind::GroupWeek:
            return layoutGroupWeek(p, reference, resources, occupancy);
        case ScanKind::GroupMonth:
            return layoutGroupMonth(p, reference, resources, occupancy);
        case ScanKind::GroupFree:
            return layoutFree(p, reference, resources, occupancy);
        case ScanKind::PooledResource:
            break;
    }
    return layoutPooled(p, reference, name, capacity, occupancy);
}

bool drawScan(store::Store& db, ScanKind kind, const ScanPrefs& p, const std::string& name,
              store::Date reference, ScanLayout& layout, std::string& error) {
    const std::vector<std::string> resources =
        showsGroup(kind) ? masterdata::groupMembers(db, name) : std::vector<std::string>{name};
    const Period period = periodOf(kind, reference);
    Occupancy occupancy;
    if (!occupancy.load(db, resources, period.first, period.last)) {
        error = occupancy.error();
        return false;
    }
    layout = layoutScan(kind, p, reference, name, resources, occupancy,
                        kind == ScanKind::PooledResource ? resourceUnits(db, name) : 0);
    return true;
}

std::vector<std::string> bookingResources(store::Store& db, store::LONG number) {
    std::vector<std::string> out;
    if (!ready(db, store::Tbl::RESACT)) return out;
    store::KeptBuffer kept(db, store::Tbl::RESACT);
    store::Table& t = db.table(store::Tbl::RESACT);
    store::Engine& e = db.engine();
    t.clearBuffer();
    db.RAC.ACTNUMBER = number;
    if (e.setAtValue(t, store::RAC::ACTIVITY_KEY, 1) == 0)
        while (e.next(t) == 0 && db.RAC.ACTNUMBER == number) out.push_back(db.RAC.RESOURCE.str());
    return out;
}

}  // namespace scan

namespace scan {

std::string findResource(store::Store& db, const std::string& typed) {
    if (!ready(db, store::Tbl::RESOURCE)) return {};
    db.table(store::Tbl::RESOURCE).clearBuffer();
    db.RES.RESOURCE = typed;
    if (db.engine().get(db.table(store::Tbl::RESOURCE), store::RES::RESOURCE_KEY) != 0) return {};
    return db.RES.RESOURCE.str();
}

int resourceUnits(store::Store& db, const std::string& resource) {
    store::KeptBuffer kept(db, store::Tbl::RESOURCE);
    return findResource(db, resource).empty() ? -1 : db.RES.UNITS;
}

std::string findGroup(store::Store& db, const std::string& typed) {
    if (!ready(db, store::Tbl::GROUP)) return {};
    db.table(store::Tbl::GROUP).clearBuffer();
    db.GRO.GROUP = typed;
    if (db.engine().get(db.table(store::Tbl::GROUP), store::GRO::GROUP_KEY) != 0) return {};
    return db.GRO.GROUP.str();
}

}  // namespace scan

#include "scan/availability.h"

#include <algorithm>
#include <map>

#include "booking/words.h"

namespace scan {

using store::LONG;
using store::u;

namespace {

constexpr Font kLabelFont{Face::Label, 8};

/// u() of the start of slot s (s ≥ 2): the day's start plus s − 2 intervals.
long long slotStart(const ScanPrefs& p, int s) {
    return u(p.beginDay + LONG(s - 2) * p.interval);
}

void add(ScanLayout& l, Item i) {
    l.cover(i);
    l.items.push_back(std::move(i));
}

/// The fixed grid of both availability scans: headings, red day lines, cyan slot lines,
/// slot labels left and right, footings.
void grid(ScanLayout& l, Numbering& n, const ScanPrefs& p, store::Date monday) {
    static const char* const names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const int H = p.height, R = scanRows(p);
    for (int d = 1; d <= 7; ++d) {
        for (int y : {40, 52 + R * H}) {
            Item h;
            h.id = n.next(2);
            h.x = 50 * d - 2, h.y = y, h.w = 48, h.h = 10;
            h.font = kLabelFont;
            h.text = booking::tr(names[d - 1]);
            add(l, h);
        }
    }
    (void)monday;
    for (int d = 1; d <= 8; ++d) {
        Item v;
        v.kind = Item::Line;
        v.id = n.next(2);
        v.x = 50 * d - 3, v.y = 50, v.h = R * H;
        v.colour = kRed;
        add(l, v);
    }
    for (int r = 0; r <= R; ++r) {
        Item h;
        h.kind = Item::Line;
        h.id = n.next(2);
        h.x = 47, h.y = 50 + r * H, h.w = 350;
        h.colour = kCyan;
        add(l, h);
    }
    for (int r = 1; r <= R; ++r)
        for (int x : {2, 400}) {
            Item label;
            label.id = n.next(2);
            label.x = x, label.y = 50 + (r - 1) * H, label.w = 44, label.h = H;
            label.font = kLabelFont;
            label.text = rowLabel(p, r);
            add(l, label);
        }
}

/// Identifier of the cell of day column d and slot s: 100·d + s + 100 while slots stay
/// within the hundred a day that numbering allows, numbered past every series beyond.
int cellId(Numbering& n, std::map<std::pair<int, int>, int>& ids, int d, int s) {
    auto it = ids.find({d, s});
    if (it != ids.end()) return it->second;
    const int id = s <= 99 ? 100 * d + s + 100 : n.next(13);
    ids[{d, s}] = id;
    return id;
}

int dayColumn(LONG date) {
    const int w = store::Date(date).weekday();
    return w == 0 ? 7 : w;
}

std::string timeSpan(const Occurrence& o) {
    return store::shortTime(store::Time(o.start)) + " - " + store::shortTime(store::Time(o.end));
}

}  // namespace

SlotRange MARKDATE(const ScanPrefs& p, LONG start, LONG end) {
    const int rows = scanRows(p);
    const long long uB = u(p.beginDay), uE = u(p.endDay), t = u(start), e = u(end);
    SlotRange r;
    if (t < uB) {
        r.first = 1;
    } else if (t < uE) {
        // The slot whose range holds the start: from the estimate, stepped to the exact one.
        int s = 2 + int((start - p.beginDay) / std::max<LONG>(p.interval, 1));
        while (s > 2 && slotStart(p, s) > t) --s;
        while (s < rows - 1 && slotStart(p, s + 1) <= t) ++s;
        r.first = s;
    } else {
        r.first = rows;
    }
    int s = r.first;
    while (true) {
        if (e <= uB) break;                                // ends before the day starts
        if (s >= rows || slotStart(p, s + 1) > uE) break;  // the "After" row is the last
        if (e <= slotStart(p, s + 1)) break;               // ends within slot s
        ++s;
    }
    r.last = s;
    return r;
}

Rgb loadColour(int percent) {
    if (percent < 0 || percent >= 100) return kRed;
    return percent <= 50 ? kGreen : kYellow;
}

ScanLayout layoutFree(const ScanPrefs& p, store::Date reference,
                      const std::vector<std::string>& members, const Occupancy& occupancy) {
    ScanLayout l;
    Numbering n;
    n.series(2, 100'001, 200'000);
    n.series(13, 0, 0);
    const store::Date monday = reference.mondayOfWeek();
    grid(l, n, p, monday);
    struct Cell {
        int count = 0;
        std::vector<const Occurrence*> on;
    };
    std::map<std::pair<int, int>, Cell> cells;
    // FILLBOX counts occurrence-and-resource pairs: a booking of two members counts twice.
    for (const std::string& m : members)
        for (const Occurrence& o : occupancy.of(m)) {
            if (o.date < monday.value || o.date > monday.value + 6) continue;
            const SlotRange r = MARKDATE(p, o.start, o.end);
            for (int s = r.first; s <= r.last; ++s) {
                Cell& c = cells[{dayColumn(o.date), s}];
                ++c.count;
                c.on.push_back(&o);
            }
        }
    std::map<std::pair<int, int>, int> ids;
    for (const auto& [where, c] : cells) {
        const auto [d, s] = where;
        Item cell;
        cell.kind = Item::Box;
        cell.id = cellId(n, ids, d, s);
        cell.x = 50 * d - 2, cell.y = 50 + (s - 1) * p.height, cell.w = 49, cell.h = p.height;
        cell.colour = c.count == 1 ? kGreen : c.count == 2 ? kYellow : kRed;
        for (const Occurrence* o : c.on)
            cell.tip +=
                (cell.tip.empty() ? "" : "\n") + o->resource + "  " + timeSpan(*o) + "  " + o->name;
        if (c.count == 1) {
            const Occurrence& o = *c.on.front();
            cell.box = int(l.boxes.size());
            l.boxes.push_back({cell.id, o.number, o.date, o.start, o.end});
        }
        add(l, cell);
    }
    if (members.empty())
        l.note = booking::tr("This group has no members: there is nothing to show.");
    return l;
}

ScanLayout layoutPooled(const ScanPrefs& p, store::Date reference, const std::string& resource,
                        int capacity, const Occupancy& occupancy) {
    ScanLayout l;
    Numbering n;
    n.series(2, 100'001, 200'000);
    n.series(13, 0, 0);
    n.series(1, 200'001, 300'000);
    const store::Date monday = reference.mondayOfWeek();
    grid(l, n, p, monday);
    std::map<std::pair<int, int>, int> units;
    std::map<std::pair<int, int>, std::string> tips;
    for (const Occurrence& o : occupancy.of(resource)) {
        if (o.date < monday.value || o.date > monday.value + 6) continue;
        const SlotRange r = MARKDATE(p, o.start, o.end);
        for (int s = r.first; s <= r.last; ++s) {
            units[{dayColumn(o.date), s}] += o.units;
            std::string& tip = tips[{dayColumn(o.date), s}];
            tip += (tip.empty() ? "" : "\n") + std::to_string(o.units) + "  " + timeSpan(o) + "  " +
                   o.name;
        }
    }
    std::map<std::pair<int, int>, int> ids;
    for (const auto& [where, taken] : units) {
        const auto [d, s] = where;
        const int percent = capacity > 0 ? int(100LL * taken / capacity) : -1;
        Item cell;
        cell.kind = Item::Box;
        cell.id = cellId(n, ids, d, s);
        cell.x = 50 * d - 2, cell.y = 50 + (s - 1) * p.height, cell.w = 49, cell.h = p.height;
        cell.colour = loadColour(percent);
        cell.tip = tips[where];
        add(l, cell);
        Item text = cell;
        text.kind = Item::Text;
        text.id = n.next(1);
        text.tip.clear();
        text.font = Font{Face::Label, 8, true};
        text.colour = cell.colour == kYellow ? kBlack : Rgb{255, 255, 255};
        text.text = std::to_string(taken) + " " + std::to_string(percent) + "%";
        add(l, text);
    }
    return l;
}

}  // namespace scan

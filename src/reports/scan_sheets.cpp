#include "reports/scan_sheets.h"

#include <algorithm>
#include <cmath>

#include "masterdata/group_save.h"
#include "store/relation_manager.h"
#include "store/store.h"

namespace reports {

using booking::merge;
using booking::tr;

namespace {

// The sheets stand on landscape Letter inside a quarter-inch margin, which every printer
// reaches; the grid geometry below is measured from the margin's corner.
constexpr int kMargin = 250;
constexpr int kTitleHeight = 240;
constexpr int kFooterHeight = 220;
const Font kTitle{"Sans Serif", 11, true};
const Font kFooter{"Sans Serif", 8};

/// The faces a scan names: "MS Sans Serif" for labels, "Small Fonts" for box texts.
Font paperFont(const scan::Font& f, const Placement& at) {
    Font font;
    font.family = "Sans Serif";
    font.pointSize =
        std::max(4.0, f.points * (f.face == scan::Face::Label ? at.labelPoints : at.textPoints));
    font.bold = f.bold;
    return font;
}

Rgb paperColour(scan::Rgb c) {
    return {c.r, c.g, c.b};
}

/// Maps a vertical extent of the layout onto the rows a page shows; false when nothing
/// of it is on the page.
struct RowWindow {
    scan::ScanLayout::Rows rows;
    int first = 1, last = 0;

    bool whole() const { return rows.count == 0 || (first <= 1 && last >= rows.count); }

    bool place(int& y, int& h) const {
        if (whole()) return true;
        const int gridTop = rows.top, gridBottom = rows.top + rows.count * rows.height;
        const int cutTop = gridTop + (first - 1) * rows.height;
        const int cutBottom = gridTop + last * rows.height;
        const int removed = (rows.count - (last - first + 1)) * rows.height;
        if (h <= 0) {
            // A rule belongs to the row whose top it marks.
            if (y < gridTop) return true;
            if (y >= gridBottom) return y -= removed, true;
            if (y < cutTop || y >= cutBottom) return false;
            y -= cutTop - gridTop;
            return true;
        }
        if (y + h <= gridTop) return true;
        if (y >= gridBottom) return y -= removed, true;
        const int y0 = std::max(y, cutTop), y1 = std::min(y + h, cutBottom);
        if (y1 <= y0) return false;
        y = y0 - (cutTop - gridTop);
        h = y1 - y0;
        return true;
    }
};

struct Mapper {
    const Placement& at;
    int x(int u) const { return int(std::lround(at.left + u * at.unitX)); }
    int y(int u) const { return int(std::lround(at.top + u * at.unitY)); }
    Rect rect(int ux, int uy, int uw, int uh) const {
        const int px = x(ux), py = y(uy);
        return {px, py, x(ux + uw) - px, y(uy + uh) - py};
    }
};

/// "%4" of a title, which merge leaves for a fourth value.
std::string merge4(const std::string& text, const std::string& v1, const std::string& v2,
                   const std::string& v3, const std::string& v4) {
    std::string out = merge(text, v1, v2, v3);
    const auto at = out.find("%4");
    if (at != std::string::npos) out.replace(at, 2, v4);
    return out;
}

/// The paper settings of a scan: the user's day and scale and box text, with the column
/// width and row height the sheet is laid out at instead of the user's screen sizes.
scan::ScanPrefs paperPrefs(scan::ScanPrefs p, int scanSize, int height) {
    p.scanSize = scanSize;
    p.height = height;
    return p;
}

/// The scale that fits a layout of extent `units` into `room` thousandths, at most `most`.
double fit(int room, int units, double most) {
    return units > 0 ? std::min(most, double(room) / units) : most;
}

class SheetWriter {
  public:
    SheetWriter(Document& doc, std::string title) : doc_(doc), title_(std::move(title)) {
        doc_.title = title_;
        doc_.setup.orientation = Orientation::Landscape;
        doc_.setup.margins = {kMargin, kMargin, kMargin, kMargin};
    }

    /// A new page with the title and the report date at the top and "Page n/m" at the foot.
    Page& page() {
        Page& p = doc_.newPage();
        const Rect body = doc_.setup.body();
        p.addText({body.x, body.y, body.width * 2 / 3, kTitleHeight}, title_, kTitle);
        p.addText({body.x + body.width * 2 / 3, body.y, body.width / 3, kTitleHeight},
                  tr("Report date") + ": " + store::shortDate(store::today()), kFooter,
                  Align::Right);
        TextItem& f = p.addText({body.x, body.bottom() - kFooterHeight, body.width, kFooterHeight},
                                tr("Page %1/%2"), kFooter, Align::Right);
        f.pageNumbers = true;
        f.valign = VAlign::Bottom;
        return p;
    }

    /// The room for a scan under the title and above the footer.
    Rect room() const {
        const Rect body = doc_.setup.body();
        return {body.x, body.y + kTitleHeight + 60, body.width,
                body.height - kTitleHeight - 60 - kFooterHeight - 60};
    }

    /// A page of a scan with nothing to show, saying why.
    void note(const std::string& text) {
        Page& p = page();
        const Rect r = room();
        p.addText({r.x, r.y + 400, r.width, 400}, text, Font{"Sans Serif", 10}, Align::Center);
    }

  private:
    Document& doc_;
    std::string title_;
};

std::string periodTitle(const booking::Words& w, const std::string& name, scan::Period period) {
    return merge4(tr("%1 For %2 From %3 To %4"), w.bookings, name, store::shortDate(period.first),
                  store::shortDate(period.last));
}

/// The single-resource week: the geometry of the printed week, in thousandths of an inch
/// from the margin: the first day column at 1052, columns of 1200 (1680 for five days),
/// the first row at 660 (640 for five days), rows of 200, 32 rows a page.
void resourceWeek(Document& doc, bool fiveDays, const scan::ScanPrefs& user,
                  const booking::Words& w, const std::string& name, store::Date reference,
                  const scan::Occupancy& occupancy) {
    const int days = fiveDays ? 5 : 7;
    // Day columns of 60 units (84 for five days) and rows of 8, at 20 and 25 thousandths a
    // unit, give the printed columns and rows.
    const scan::ScanPrefs p = paperPrefs(user, fiveDays ? 56 : 40, 8);
    const scan::ScanLayout l =
        scan::layoutResourceWeek(p, reference, occupancy.of(name), {days, true, 3});
    const scan::Period period{reference.mondayOfWeek(), reference.mondayOfWeek() + (days - 1)};
    SheetWriter sheet(doc, periodTitle(w, name, period));
    Placement at;
    at.unitX = 20, at.unitY = 25;
    at.left = kMargin + 1052 - 48 * at.unitX;
    at.top = kMargin + (fiveDays ? 640 : 660) - 39 * at.unitY;
    at.textPoints = 8.0 / 6;  // the box texts print at 8 points
    at.labelPoints = 0.85;
    for (const auto& [first, last] : rowPages(l.rows.count)) {
        at.firstRow = first, at.lastRow = last;
        paintScan(sheet.page(), l, at);
    }
}

void resourceMonth(Document& doc, const scan::ScanPrefs& user, const booking::Words& w,
                   const std::string& name, store::Date reference,
                   const scan::Occupancy& occupancy) {
    const scan::ScanPrefs p = paperPrefs(user, 40, 8);
    const scan::ScanLayout l = scan::layoutResourceMonth(p, reference, occupancy.of(name));
    SheetWriter sheet(doc,
                      periodTitle(w, name, {reference.firstOfMonth(), reference.lastOfMonth()}));
    const Rect room = sheet.room();
    Placement at;
    at.unitX = fit(room.width, l.width + 4, 25);
    at.unitY = fit(room.height, l.height + 4, 25);
    at.left = room.x, at.top = room.y;
    at.labelPoints = 1.0, at.textPoints = 1.15;
    // The cells list their bookings as lines of text, as the window does.
    at.bookingFill = Rgb::white();
    at.boxPen = 0;
    at.textInset = 30;
    paintScan(sheet.page(), l, at);
}

std::vector<std::vector<std::string>> memberPages(const std::vector<std::string>& members) {
    std::vector<std::vector<std::string>> out;
    for (std::size_t i = 0; i < members.size(); i += kMembersPerPage)
        out.emplace_back(members.begin() + long(i),
                         members.begin() + long(std::min(members.size(), i + kMembersPerPage)));
    return out;
}

/// The group's day: eight member columns of 1050 a page from x = 1050, rows of 200 from
/// y = 750, 32 rows a page; each column page once, or once per run of rows when the day
/// is split at its time break.
void groupDay(Document& doc, const scan::ScanPrefs& user, const booking::Words& w,
              const std::string& name, store::Date day, const std::vector<std::string>& members,
              const scan::Occupancy& occupancy) {
    SheetWriter sheet(doc, merge(tr("%1 for %2 on %3"), w.bookings, name, store::shortDate(day)));
    const scan::ScanPrefs p = paperPrefs(user, 50, 8);
    if (members.empty()) {
        sheet.note(tr("This group has no members: there is nothing to show."));
        return;
    }
    Placement at;
    at.unitX = 21, at.unitY = 25;
    at.left = kMargin + 1050 - 48 * at.unitX;
    at.top = kMargin + 750 - 46 * at.unitY;
    at.labelPoints = 0.9, at.textPoints = 1.0;
    for (const auto& columns : memberPages(members)) {
        const scan::ScanLayout l = scan::layoutGroupDay(p, day, columns, occupancy);
        for (const auto& [first, last] : rowPages(l.rows.count)) {
            at.firstRow = first, at.lastRow = last;
            paintScan(sheet.page(), l, at);
        }
    }
}

/// The group's week: the window's day bands of six rows, eight members a page, scaled to
/// the page.
void groupWeek(Document& doc, bool fiveDays, const scan::ScanPrefs& user, const booking::Words& w,
               const std::string& name, store::Date reference,
               const std::vector<std::string>& members, const scan::Occupancy& occupancy) {
    const int days = fiveDays ? 5 : 7;
    const scan::Period period{reference.mondayOfWeek(), reference.mondayOfWeek() + (days - 1)};
    SheetWriter sheet(doc, periodTitle(w, name, period));
    if (members.empty()) {
        sheet.note(tr("This group has no members: there is nothing to show."));
        return;
    }
    const scan::ScanPrefs p = paperPrefs(user, 50, 8);
    // Every page is scaled as the one of a full eight members, so that pages match.
    const scan::ScanLayout full = scan::layoutGroupWeek(
        p, reference, std::vector<std::string>(kMembersPerPage), scan::Occupancy(), {days});
    const Rect room = sheet.room();
    Placement at;
    at.unitX = fit(room.width, full.width + 4, 25);
    at.unitY = fit(room.height, full.height + 4, 25);
    at.left = room.x, at.top = room.y;
    at.labelPoints = 0.9, at.textPoints = 1.2;
    at.textInset = 20;
    for (const auto& columns : memberPages(members))
        paintScan(sheet.page(), scan::layoutGroupWeek(p, reference, columns, occupancy, {days}),
                  at);
}

/// OPENFILES and CLOSEFILES: the tables a report reads, open while it reads them.
class OpenTables {
  public:
    OpenTables(store::Store& db, std::initializer_list<store::Tbl> tables) : db_(db) {
        for (store::Tbl t : tables) {
            if (db_.Relate(t).OPEN() != store::Level_Benign) {
                failed_ = true;
                return;
            }
            opened_.push_back(t);
        }
    }
    ~OpenTables() {
        for (store::Tbl t : opened_) db_.Relate(t).CLOSE();
    }
    bool failed() const { return failed_; }

  private:
    store::Store& db_;
    std::vector<store::Tbl> opened_;
    bool failed_ = false;
};

}  // namespace

const char* procedureName(ScanReport r) {
    switch (r) {
        case ScanReport::SCANRESRPT:
            return "SCANRESRPT";
        case ScanReport::SCANRESRPT2:
            return "SCANRESRPT2";
        case ScanReport::SCANMONTHRPT:
            return "SCANMONTHRPT";
        case ScanReport::SCANGROUPRPT:
            return "SCANGROUPRPT";
        case ScanReport::SCANGROUPWEEKRPT:
            return "SCANGROUPWEEKRPT";
        case ScanReport::SCANGRPWEEKRPT2:
            break;
    }
    return "SCANGRPWEEKRPT2";
}

bool printsGroup(ScanReport r) {
    return r == ScanReport::SCANGROUPRPT || r == ScanReport::SCANGROUPWEEKRPT ||
           r == ScanReport::SCANGRPWEEKRPT2;
}

scan::Period printedPeriod(ScanReport r, store::Date reference) {
    switch (r) {
        case ScanReport::SCANRESRPT:
        case ScanReport::SCANGROUPWEEKRPT:
            return {reference.mondayOfWeek(), reference.mondayOfWeek() + 6};
        case ScanReport::SCANRESRPT2:
        case ScanReport::SCANGRPWEEKRPT2:
            return {reference.mondayOfWeek(), reference.mondayOfWeek() + 4};
        case ScanReport::SCANMONTHRPT:
            return {reference.firstOfMonth(), reference.lastOfMonth()};
        case ScanReport::SCANGROUPRPT:
            break;
    }
    return {reference, reference};
}

ScanReport weekReport(bool group, bool weekdaysOnly) {
    if (group) return weekdaysOnly ? ScanReport::SCANGRPWEEKRPT2 : ScanReport::SCANGROUPWEEKRPT;
    return weekdaysOnly ? ScanReport::SCANRESRPT2 : ScanReport::SCANRESRPT;
}

void paintScan(Page& page, const scan::ScanLayout& layout, const Placement& at) {
    const RowWindow rows{layout.rows, at.firstRow,
                         at.lastRow > 0 ? at.lastRow : std::max(layout.rows.count, 1)};
    const Mapper m{at};
    // The grid first, so that boxes and their texts stand over its lines.
    for (const scan::Item& i : layout.items) {
        if (i.kind != scan::Item::Line) continue;
        int y = i.y, h = i.h;
        if (!rows.place(y, h)) continue;
        page.addLine(m.x(i.x), m.y(y), m.x(i.x + i.w), m.y(y + h), 0, paperColour(i.colour));
    }
    for (const scan::Item& i : layout.items) {
        if (i.kind == scan::Item::Line) continue;
        int y = i.y, h = i.h;
        if (!rows.place(y, h)) continue;
        const Rect r = m.rect(i.x, y, i.w, h);
        if (i.kind == scan::Item::Box) {
            BoxItem& b = page.addBox(
                r, at.boxPen, i.colour == scan::kBlue ? at.bookingFill : paperColour(i.colour));
            b.penColour = Rgb::black();
            continue;
        }
        if (i.background) page.addBox(r, 0, paperColour(*i.background));
        if (i.text.empty()) continue;
        if (i.kind == scan::Item::Text) {
            TextItem& t = page.addText({r.x + std::min(at.textInset, r.width / 4), r.y,
                                        r.width - std::min(at.textInset, r.width / 4), r.height},
                                       i.text, paperFont(i.font, at));
            t.wrap = true;
            continue;
        }
        TextItem& t = page.addText(r, i.text, paperFont(i.font, at));
        t.valign = VAlign::Middle;
        t.colour = paperColour(i.colour);
    }
}

std::vector<std::pair<int, int>> rowPages(int rows) {
    std::vector<std::pair<int, int>> out;
    for (int first = 1; first <= std::max(rows, 1); first += kRowsPerPage)
        out.emplace_back(first, std::min(std::max(rows, 1), first + kRowsPerPage - 1));
    return out;
}

store::LONG timeBreak(const scan::ScanPrefs& p) {
    return p.beginDay + 31 * (p.interval - 1);
}

Document scanSheet(ScanReport r, const scan::ScanPrefs& p, const booking::Words& w,
                   const std::string& name, store::Date reference,
                   const std::vector<std::string>& members, const scan::Occupancy& occupancy) {
    Document doc;
    switch (r) {
        case ScanReport::SCANRESRPT:
        case ScanReport::SCANRESRPT2:
            resourceWeek(doc, r == ScanReport::SCANRESRPT2, p, w, name, reference, occupancy);
            break;
        case ScanReport::SCANMONTHRPT:
            resourceMonth(doc, p, w, name, reference, occupancy);
            break;
        case ScanReport::SCANGROUPRPT:
            groupDay(doc, p, w, name, reference, members, occupancy);
            break;
        case ScanReport::SCANGROUPWEEKRPT:
        case ScanReport::SCANGRPWEEKRPT2:
            groupWeek(doc, r == ScanReport::SCANGRPWEEKRPT2, p, w, name, reference, members,
                      occupancy);
            break;
    }
    return doc;
}

bool readScanSheet(store::Store& db, ScanReport r, const std::string& name, store::Date reference,
                   Document& doc, std::string& error, const std::function<bool(int)>& step) {
    auto go = [&](int value) { return !step || step(value); };
    error.clear();
    const OpenTables open(db, {store::Tbl::ACTIVITY, store::Tbl::DATES, store::Tbl::RESACT,
                               store::Tbl::GROUP, store::Tbl::GROUPRES});
    if (open.failed()) {
        error = db.engine().status().message();
        return false;
    }
    if (!go(0)) return false;
    const std::vector<std::string> members =
        printsGroup(r) ? masterdata::groupMembers(db, name) : std::vector<std::string>{name};
    const scan::Period period = printedPeriod(r, reference);
    scan::Occupancy occupancy;
    if (!occupancy.load(db, members, period.first, period.last)) {
        error = occupancy.error();
        return false;
    }
    if (!go(1)) return false;
    doc = scanSheet(r, scan::ScanPrefs::of(db.USP), booking::Words::of(db.SYP), name, reference,
                    members, occupancy);
    return go(2);
}

}  // namespace reports

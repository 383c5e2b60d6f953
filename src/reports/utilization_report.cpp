#include "reports/utilization_report.h"

#include <algorithm>

#include "booking/words.h"

namespace reports {

using booking::merge;
using booking::tr;

namespace {

constexpr int kLine = 240;  // one line of 10-point text, in thousandths of an inch
const Font kTitle{"Sans Serif", 14, true};
const Font kBody{"Sans Serif", 10};
const Font kSmall{"Sans Serif", 8};
constexpr Rgb kUsed{0, 0, 255};
constexpr Rgb kAvailable{208, 220, 255};

std::string shortTime(store::LONG t) {
    return store::shortTime(store::Time(t));
}

/// A labelled check box showing a flag, at (x, y).
void checkBox(Page& page, int x, int y, const std::string& label, bool on) {
    page.addBox({x, y + 40, 160, 160}, 10);
    if (on) page.addText({x, y, 160, kLine}, "X", kBody, Align::Center);
    page.addText({x + 220, y, 3000, kLine}, label, kBody);
}

/// A label and its value on one line.
void figure(Page& page, const Rect& body, int y, const std::string& label,
            const std::string& value) {
    page.addText({body.x, y, 3500, kLine}, label, kBody);
    page.addText({body.x + 3600, y, 1200, kLine}, value, kBody, Align::Right);
}

Document start(const std::string& title, int& y) {
    Document doc;
    doc.title = title;
    Page& page = doc.newPage();
    const Rect body = doc.setup.body();
    page.addText({body.x, body.y, body.width, 360}, title, kTitle);
    y = body.y + 480;
    return doc;
}

}  // namespace

void utilizationChart(Page& page, Rect area, const GroupUtilization& g, store::LONG dayStart,
                      store::LONG dayEnd) {
    const long long perResource =
        std::max<long long>(dayEnd - dayStart, 0) * g.workdaysAvail / 360000;
    long long most = perResource;
    for (const GroupRow& r : g.rows) most = std::max(most, r.workHours);
    const int labels = std::min(area.width / 4, 1400);
    const int rows = std::max<int>(int(g.rows.size()), 1);
    const int legend = 260;
    const int pitch = std::max(60, (area.height - legend) / rows);
    const int bar = pitch * 2 / 3;
    const int width = area.width - labels - 600;
    int y = area.y;
    page.addBox({area.x + labels, y + 40, 160, 160}, 0, kUsed);
    page.addText({area.x + labels + 220, y, 2400, kLine}, tr("Work hours used"), kSmall);
    page.addBox({area.x + labels + 2700, y + 40, 160, 160}, 10, kAvailable);
    page.addText({area.x + labels + 2920, y, 2400, kLine}, tr("Work hours available"), kSmall);
    y += legend;
    for (const GroupRow& r : g.rows) {
        const int full = most > 0 ? int(width * perResource / most) : 0;
        const int used = most > 0 ? int(width * std::max<long long>(r.workHours, 0) / most) : 0;
        page.addText({area.x, y, labels - 60, bar}, r.resource, kSmall, Align::Right).valign =
            VAlign::Middle;
        page.addBox({area.x + labels, y, std::max(full, 1), bar}, 10, kAvailable);
        if (used > 0) page.addBox({area.x + labels, y + bar / 4, used, bar / 2}, 0, kUsed);
        page.addText({area.x + labels + std::max(full, used) + 60, y, 600, bar},
                     std::to_string(r.workHours) + "/" + std::to_string(perResource), kSmall)
            .valign = VAlign::Middle;
        y += pitch;
    }
}

Document RESUTILRPT(const UtilizationQuestion& q, const UtilizationHeading& h,
                    const ResourceUtilization& r) {
    int y = 0;
    Document doc = start(merge(tr("Utilization for %1"), h.name), y);
    doc.table = utilizationTable(h, r);
    Page& page = doc.pages.front();
    const Rect body = doc.setup.body();
    page.addText({body.x, y, body.width, kLine},
                 merge(tr("From %1 To %2"), store::shortDate(q.first), store::shortDate(q.last)),
                 kBody);
    y += kLine * 3 / 2;
    checkBox(page, body.x, y, tr("Actual used"), q.actual);
    checkBox(page, body.x + 2200, y, tr("Weekends included"), q.weekends);
    checkBox(page, body.x + 4600, y, tr("Special days included"), q.specialDays);
    y += kLine * 2;
    const std::pair<const char*, std::string> lines[] = {
        {"Work days available", std::to_string(r.workdaysAvail)},
        {"Work days used", std::to_string(r.workdaysBooked)},
        {"Percent of work days used", std::to_string(r.percentDays)},
        {"Work hours available", std::to_string(r.workdayHoursAvail)},
        {"Work hours used", std::to_string(r.workdayHoursBooked)},
        {"Percent of hours used", std::to_string(r.percentHours)},
        {"Total hours used", std::to_string(r.totalBookedHours)},
        {"Work day starts", shortTime(h.dayStart)},
        {"Work day ends", shortTime(h.dayEnd)},
    };
    for (const auto& [label, value] : lines) {
        figure(page, body, y, tr(label), value);
        y += kLine * 5 / 4;
    }
    y += kLine;
    page.addText({body.x, y, body.width, kLine},
                 tr("Report date") + ": " + store::shortDate(store::today()), kBody);
    return doc;
}

Document GROUPUTILRPT(const UtilizationQuestion& q, const UtilizationHeading& h,
                      const GroupUtilization& g) {
    Document doc;
    doc.title = merge(tr("Utilization for %1"), h.name);
    doc.table = utilizationTable(h, g);
    const Rect body = doc.setup.body();
    PageFlow flow(doc);
    flow.setFooter(kLine, [&](const BandArea& a, int) {
        TextItem& t = a.text({0, 0, a.width(), kLine}, tr("Page %1 of %2"), kSmall, Align::Right);
        t.pageNumbers = true;
    });
    {
        const BandArea a = flow.place(480 + kLine * 6);
        a.text({0, 0, a.width(), 360}, doc.title, kTitle);
        a.text({0, 480, a.width(), kLine},
               merge(tr("From %1 To %2"), store::shortDate(q.first), store::shortDate(q.last)),
               kBody);
        checkBox(a.page(), a.left(), a.top() + 480 + kLine * 3 / 2, tr("Weekends included"),
                 q.weekends);
        checkBox(a.page(), a.left() + 2400, a.top() + 480 + kLine * 3 / 2,
                 tr("Special days included"), q.specialDays);
        a.text({0, 480 + kLine * 3, 3000, kLine},
               tr("Work Day Starts") + " " + shortTime(h.dayStart), kBody);
        a.text({3000, 480 + kLine * 3, 3000, kLine},
               tr("Work Day Ends") + " " + shortTime(h.dayEnd), kBody);
        a.text({0, 480 + kLine * 4, a.width(), kLine},
               tr(q.actual ? "Actual times" : "Scheduled times"), kBody);
    }
    const int columns[] = {0, 2400, 4200, 6000};
    auto detailHeading = [&] {
        const BandArea a = flow.place(kLine * 2);
        a.text({0, 0, a.width(), kLine}, tr("Detail"), Font{"Sans Serif", 10, true});
        a.text({columns[0], kLine, 2300, kLine}, h.resourceWord, kBody);
        a.text({columns[1], kLine, 1700, kLine}, tr("Total hours used"), kBody, Align::Right);
        a.text({columns[2], kLine, 1700, kLine}, tr("Work hours used"), kBody, Align::Right);
        a.text({columns[3], kLine, 1500, kLine}, tr("% Utilization"), kBody, Align::Right);
    };
    detailHeading();
    for (const GroupRow& r : g.rows) {
        const BandArea a = flow.place(kLine);
        a.text({columns[0], 0, 2300, kLine}, r.resource, kBody);
        a.text({columns[1], 0, 1700, kLine}, std::to_string(r.totalHours), kBody, Align::Right);
        a.text({columns[2], 0, 1700, kLine}, std::to_string(r.workHours), kBody, Align::Right);
        a.text({columns[3], 0, 1500, kLine}, std::to_string(r.percent), kBody, Align::Right);
    }
    // The chart: a bar a resource, on a page of its own when it does not fit.
    const int chartHeight = std::min(260 + int(g.rows.size()) * 220 + 120, body.height - 2 * kLine);
    flow.keepRoom(chartHeight + kLine);
    {
        const BandArea a = flow.place(chartHeight + kLine);
        // The hours available are those of the working day the figures were computed with.
        utilizationChart(a.page(), {a.left(), a.top() + kLine / 2, a.width(), chartHeight}, g,
                         q.dayStart, q.dayEnd);
    }
    const std::pair<std::string, std::string> summary[] = {
        {h.resourceWord + " " + tr("days available"), std::to_string(g.workdaysGroupAvail)},
        {h.resourceWord + " " + tr("days used"), std::to_string(g.workdaysBooked)},
        {h.resourceWord + " " + tr("hours avialable"), std::to_string(g.workdayHoursAvail)},
        {h.resourceWord + " " + tr("Hours used"), std::to_string(g.workdayHoursBooked)},
        {tr("Percent of days used"), std::to_string(g.percentDays)},
        {tr("Percent of hours used"), std::to_string(g.percentHours)},
        {tr("Total hours used"), std::to_string(g.totalBookedHours)},
    };
    flow.keepRoom(kLine * 10);
    {
        const BandArea a = flow.place(kLine * 3 / 2);
        a.text({0, kLine / 2, a.width(), kLine}, tr("Summary"), Font{"Sans Serif", 10, true});
    }
    for (const auto& [label, value] : summary) {
        const BandArea a = flow.place(kLine * 5 / 4);
        a.text({0, 0, 3500, kLine}, label, kBody);
        a.text({3600, 0, 1200, kLine}, value, kBody, Align::Right);
    }
    {
        const BandArea a = flow.place(kLine * 2);
        a.text({0, kLine, a.width(), kLine},
               tr("Report Date:") + " " + store::shortDate(store::today()), kBody);
    }
    flow.finish();
    return doc;
}

std::string utilizationCsv(const UtilizationHeading& h, const ResourceUtilization& r) {
    return csvText(utilizationTable(h, r));
}

std::string utilizationCsv(const UtilizationHeading& h, const GroupUtilization& g) {
    return csvText(utilizationTable(h, g));
}

std::vector<std::vector<std::string>> utilizationTable(const UtilizationHeading& h,
                                                       const ResourceUtilization& r) {
    return {{h.resourceWord, tr("Work days available"), tr("Work days used"),
             tr("Percent of work days used"), tr("Work hours available"), tr("Work hours used"),
             tr("Percent of hours used"), tr("Total hours used")},
            {h.name, std::to_string(r.workdaysAvail), std::to_string(r.workdaysBooked),
             std::to_string(r.percentDays), std::to_string(r.workdayHoursAvail),
             std::to_string(r.workdayHoursBooked), std::to_string(r.percentHours),
             std::to_string(r.totalBookedHours)}};
}

std::vector<std::vector<std::string>> utilizationTable(const UtilizationHeading& h,
                                                       const GroupUtilization& g) {
    std::vector<std::vector<std::string>> table{
        {h.resourceWord, tr("Total hours used"), tr("Work hours used"), tr("% Utilization")}};
    for (const GroupRow& r : g.rows)
        table.push_back({r.resource, std::to_string(r.totalHours), std::to_string(r.workHours),
                         std::to_string(r.percent)});
    return table;
}

}  // namespace reports

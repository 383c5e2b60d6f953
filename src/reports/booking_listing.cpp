#include "reports/booking_listing.h"

#include "reports/bands.h"

namespace reports {

using namespace bands;
using booking::merge;
using booking::tr;

std::string listingTitle(scan::BookingList::Kind kind, const booking::Words& words,
                         const std::string& selection, store::Date first, store::Date last) {
    if (kind == scan::BookingList::ByDate)
        return merge(tr("%1 By Date From %2 To %3"), words.bookings, store::shortDate(first),
                     store::shortDate(last));
    // Four values: the day range is merged first, as %3 and %4 of the text.
    std::string text = tr("%1 For %2 From %3 To %4");
    for (const auto& [mark, value] :
         {std::pair<std::string, std::string>{"%3", store::shortDate(first)},
          {"%4", store::shortDate(last)}})
        if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, 2, value);
    return merge(text, words.bookings, selection);
}

bool readListing(store::Store& db, scan::BookingList::Kind kind, const std::string& selection,
                 store::Date first, store::Date last, std::vector<scan::Occurrence>& rows,
                 const std::function<bool(store::Date)>& progress, std::string& error) {
    rows.clear();
    scan::BookingList list(db, kind, selection, first);
    while (!list.atEnd()) {
        std::vector<scan::Occurrence> page;
        if (!list.more(200, page)) {
            error = list.error();
            return false;
        }
        for (scan::Occurrence& o : page) {
            if (o.date > last.value) return true;
            rows.push_back(std::move(o));
        }
        if (!page.empty() && progress && !progress(store::Date(page.back().date))) return false;
    }
    return true;
}

Document bookingListing(const std::string& title, const booking::Words& words,
                        const std::vector<scan::Occurrence>& rows) {
    Document doc;
    doc.title = title;
    doc.setup.orientation = Orientation::Landscape;
    doc.table.push_back({tr("Date"), tr("Day"), tr("Start"), tr("End"), words.booking, words.client,
                         merge(tr("Primary %1"), words.resource), tr("Units")});
    for (const scan::Occurrence& o : rows)
        doc.table.push_back({store::shortDate(store::Date(o.date)), weekdayOf(store::Date(o.date)),
                             store::shortTime(store::Time(o.start)),
                             store::shortTime(store::Time(o.end)), o.name, o.client, o.prime,
                             std::to_string(o.primeUnits)});
    PageFlow flow(doc);
    const int x[] = {0, 1500, 2400, 3100, 3800, 6600, 8800};
    decorate(flow, title, {}, kLine, [&](const BandArea& a, int top) {
        const std::string headings[] = {tr("Date"),   tr("Start"),
                                        tr("End"),    words.booking,
                                        words.client, merge(tr("Primary %1"), words.resource)};
        for (int c = 0; c < 6; ++c)
            a.text({x[c], top, x[c + 1] - x[c] - 60, kLine}, headings[c], kHead);
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const scan::Occurrence& o = rows[i];
        const BandArea a = flow.place(kLine);
        if (scan::showsDay(rows, i))
            a.text({x[0], 0, x[1] - 60, kLine},
                   weekdayOf(store::Date(o.date)) + " " + store::shortDate(store::Date(o.date)),
                   kBody);
        a.text({x[1], 0, x[2] - x[1] - 60, kLine}, store::shortTime(store::Time(o.start)), kBody);
        a.text({x[2], 0, x[3] - x[2] - 60, kLine}, store::shortTime(store::Time(o.end)), kBody);
        a.text({x[3], 0, x[4] - x[3] - 60, kLine}, o.name, kBody);
        a.text({x[4], 0, x[5] - x[4] - 60, kLine}, o.client, kBody);
        a.text({x[5], 0, x[6] - x[5] - 60, kLine},
               o.prime + " (" + std::to_string(o.primeUnits) + ")", kBody);
    }
    flow.finish();
    return doc;
}

}  // namespace reports

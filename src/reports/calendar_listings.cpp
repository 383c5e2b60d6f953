#include "reports/calendar_listings.h"

#include <map>

#include "masterdata/group_save.h"
#include "reports/bands.h"
#include "reports/booking_listing.h"
#include "scan/booking_lists.h"
#include "scan/scans.h"
#include "store/kept_buffer.h"
#include "store/store.h"

namespace reports {

using namespace bands;
using booking::merge;
using booking::tr;
using store::Date;
using store::Time;

namespace {

Document landscape(const std::string& title) {
    Document doc;
    doc.title = title;
    doc.setup.orientation = Orientation::Landscape;
    return doc;
}

/// The columns of a booking line of DAYPORT and WEEKPORT.
struct DetailColumns {
    static constexpr int number = 0, start = 800, end = 1450, name = 2100, client = 4500,
                         prime = 6600, actualStart = 8400, actualEnd = 9100;
};

void detailHeadings(const BandArea& a, int top, const booking::Words& w, bool actual) {
    using C = DetailColumns;
    const int y = top + (actual ? kLine : 0);
    if (actual) {
        a.text({C::start, top, 1300, kLine}, tr("Scheduled"), kHead);
        a.text({C::actualStart, top, 1300, kLine}, tr("Actual"), kHead);
        a.text({C::actualStart, y, 640, kLine}, tr("Start"), kHead);
        a.text({C::actualEnd, y, 640, kLine}, tr("End"), kHead);
    }
    a.text({C::number, y, 740, kLine}, tr("No."), kHead);
    a.text({C::start, y, 590, kLine}, tr("Start"), kHead);
    a.text({C::end, y, 590, kLine}, tr("End"), kHead);
    a.text({C::name, y, 2340, kLine}, w.booking, kHead);
    a.text({C::client, y, 2040, kLine}, w.client, kHead);
    a.text({C::prime, y, 1740, kLine}, merge(tr("Primary %1"), w.resource), kHead);
}

void detailBand(PageFlow& flow, const ListingLine& line, const booking::Words& w,
                const ListingOptions& options, const TextMeasurer* measure) {
    using C = DetailColumns;
    const scan::Occurrence& o = line.occurrence;
    const BandArea a = flow.place(kLine);
    a.text({C::number, 0, 740, kLine}, std::to_string(o.number), kBody);
    a.text({C::start, 0, 590, kLine}, timeText(o.start), kBody);
    a.text({C::end, 0, 590, kLine}, timeText(o.end), kBody);
    a.text({C::name, 0, 2340, kLine}, o.name, kBody);
    a.text({C::client, 0, 2040, kLine}, o.client, kBody);
    a.text({C::prime, 0, 1740, kLine}, o.prime + " (" + std::to_string(o.primeUnits) + ")", kBody);
    if (options.actual) {
        a.text({C::actualStart, 0, 640, kLine}, timeText(o.actualStart), kBody);
        a.text({C::actualEnd, 0, 640, kLine}, timeText(o.actualEnd), kBody);
    }
    if (!line.others.empty())
        labelledText(flow, C::name, 2000, a.width(), merge(tr("Other %1"), w.resources) + ":",
                     line.others, measure);
    if (options.notes)
        labelledText(flow, C::name, 2000, a.width(), tr("Notes:"), line.notes, measure);
}

/// The CSV rows of DAYPORT, WEEKPORT and FLEXPER: the values the bands print.
std::vector<std::vector<std::string>> detailTable(const std::vector<ListingLine>& lines,
                                                  const booking::Words& w,
                                                  const ListingOptions& options) {
    std::vector<std::string> head{
        tr("Date"), tr("Day"), tr("No."), tr("Start"),
        tr("End"),  w.booking, w.client,  merge(tr("Primary %1"), w.resource),
        tr("Units")};
    if (options.actual) {
        head.push_back(tr("Actual start"));
        head.push_back(tr("Actual end"));
    }
    head.push_back(merge(tr("Other %1"), w.resources));
    if (options.notes) head.push_back(tr("Notes"));
    std::vector<std::vector<std::string>> table{head};
    for (const ListingLine& line : lines) {
        const scan::Occurrence& o = line.occurrence;
        std::vector<std::string> row{store::shortDate(Date(o.date)),
                                     weekdayOf(Date(o.date)),
                                     std::to_string(o.number),
                                     timeText(o.start),
                                     timeText(o.end),
                                     o.name,
                                     o.client,
                                     o.prime,
                                     std::to_string(o.primeUnits)};
        if (options.actual) {
            row.push_back(timeText(o.actualStart));
            row.push_back(timeText(o.actualEnd));
        }
        row.push_back(line.others);
        if (options.notes) row.push_back(line.notes);
        table.push_back(std::move(row));
    }
    return table;
}

/// Reads the other resources and notes of the bookings listed, once per booking however
/// many of its occurrences are listed, and the units of each resource once.
class BookingDetails {
  public:
    explicit BookingDetails(store::Store& db) : db_(db) {}

    const std::string& others(store::LONG number, const std::string& prime) {
        auto [at, added] = others_.try_emplace(number);
        if (added)
            at->second =
                otherResourcesText(scan::otherResources(db_, number, prime),
                                   [this](const std::string& code) { return unitsOf(code); });
        return at->second;
    }

    const std::string& notes(store::LONG number) {
        auto [at, added] = notes_.try_emplace(number);
        if (added && db_.Access(store::Tbl::ACTNOTES).USEFILE() == store::Level_Benign) {
            store::KeptBuffer kept(db_, store::Tbl::ACTNOTES);
            store::Table& t = db_.table(store::Tbl::ACTNOTES);
            t.clearBuffer();
            db_.ACN.ACTNUMBER = number;
            if (db_.engine().get(t, store::ACN::ACTNUMBER_KEY) == 0)
                at->second = booking::trim(db_.ACN.NOTES.str());
        }
        return at->second;
    }

    ListingLine line(const scan::Occurrence& o, bool withNotes) {
        return {o, others(o.number, o.prime), withNotes ? notes(o.number) : std::string()};
    }

  private:
    int unitsOf(const std::string& code) {
        auto [at, added] = units_.try_emplace(code, 0);
        if (added) at->second = scan::resourceUnits(db_, code);
        return at->second;
    }

    store::Store& db_;
    std::map<store::LONG, std::string> others_, notes_;
    std::map<std::string, int> units_;
};

}  // namespace

std::string otherResourcesText(const std::vector<std::pair<std::string, int>>& others,
                               const std::function<int(const std::string&)>& unitsOf) {
    std::string text;
    for (const auto& [code, units] : others) {
        if (!text.empty()) text += ", ";
        text += booking::trim(code);
        if (unitsOf(code) >= 2) text += " - " + std::to_string(units);
    }
    return text;
}

bool readCalendarListing(store::Store& db, Covering covering, const std::string& text,
                         store::Date first, store::Date last, bool notes,
                         std::vector<ListingLine>& lines,
                         const std::function<bool(store::Date)>& progress, std::string& error) {
    lines.clear();
    const scan::BookingList::Kind kind =
        covering == Covering::OneResource ? scan::BookingList::ByResource
        : covering == Covering::Group     ? scan::BookingList::ByGroup
        : covering == Covering::Client    ? scan::BookingList::ByClient
                                          : scan::BookingList::ByDate;
    std::vector<scan::Occurrence> rows;
    if (!readListing(db, kind,
                     covering == Covering::AllResources ? std::string() : booking::trim(text),
                     first, last, rows, progress, error))
        return false;
    BookingDetails details(db);
    lines.reserve(rows.size());
    for (const scan::Occurrence& o : rows) lines.push_back(details.line(o, notes));
    return true;
}

bool readDayByResource(store::Store& db, const std::string& group, store::Date day, bool notes,
                       std::vector<ResourceLines>& resources,
                       const std::function<bool(int done, int of)>& progress, std::string& error) {
    resources.clear();
    std::vector<std::string> codes;
    if (!group.empty()) {
        codes = masterdata::groupMembers(db, booking::trim(group));
    } else if (db.Access(store::Tbl::RESOURCE).USEFILE() == store::Level_Benign) {
        store::KeptBuffer kept(db, store::Tbl::RESOURCE);
        store::Table& t = db.table(store::Tbl::RESOURCE);
        if (db.engine().set(t, store::RES::RESOURCE_KEY) == 0)
            while (db.engine().next(t) == 0) codes.push_back(db.RES.RESOURCE.str());
    }
    // A resource at a time, so that the progress window moves and Cancel is heard.
    BookingDetails details(db);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        scan::Occupancy occupancy;
        if (!occupancy.load(db, {codes[i]}, day, day)) {
            error = occupancy.error();
            return false;
        }
        ResourceLines r{codes[i], {}};
        for (const scan::Occurrence& o : occupancy.of(codes[i]))
            r.lines.push_back(details.line(o, notes));
        resources.push_back(std::move(r));
        if (progress && !progress(int(i + 1), int(codes.size()))) return false;
    }
    return true;
}

std::string calendarTitle(const booking::Words& words, const std::string& text) {
    return merge(tr("%1 For %2"), words.bookings, booking::trim(text));
}

std::string dayByResourceTitle(const booking::Words& words, const std::string& group) {
    if (group.empty()) return merge(tr("All %1 Sorted By %2"), words.bookings, words.resource);
    return merge(tr("%1 For %2 Sorted By %3"), words.bookings, booking::trim(group),
                 words.resource);
}

Document DAYPORT(const std::string& title, store::Date day, const std::vector<ListingLine>& lines,
                 const booking::Words& words, const ListingOptions& options,
                 const TextMeasurer* measure) {
    Document doc = landscape(title);
    doc.table = detailTable(lines, words, options);
    PageFlow flow(doc);
    decorate(flow, title, store::longDate(day), options.actual ? 2 * kLine : kLine,
             [&words, options](const BandArea& a, int top) {
                 detailHeadings(a, top, words, options.actual);
             });
    for (const ListingLine& line : lines) detailBand(flow, line, words, options, measure);
    flow.finish();
    return doc;
}

Document WEEKPORT(const std::string& title, store::Date first,
                  const std::vector<ListingLine>& lines, const booking::Words& words,
                  const ListingOptions& options, const TextMeasurer* measure) {
    const Date last = first + 6;
    Document doc = landscape(title);
    doc.table = detailTable(lines, words, options);
    PageFlow flow(doc);
    decorate(flow, title, merge(tr("%1 To %2"), store::longDate(first), store::longDate(last)),
             options.actual ? 2 * kLine : kLine, [&words, options](const BandArea& a, int top) {
                 detailHeadings(a, top, words, options.actual);
             });
    std::size_t next = 0;
    for (Date d = first; d <= last; d = d + 1) {
        // Every day of the week has its line, so an empty day shows as free.
        flow.keepRoom(2 * kLine + 60);
        const BandArea a = flow.place(kLine + 60);
        a.text({0, 60, a.width(), kLine}, weekdayOf(d) + " " + store::shortDate(d), kHead);
        while (next < lines.size() && lines[next].occurrence.date == d.value)
            detailBand(flow, lines[next++], words, options, measure);
    }
    flow.finish();
    return doc;
}

Document FLEXPER(const std::string& title, store::Date first, store::Date last,
                 const std::vector<ListingLine>& lines, const booking::Words& words,
                 const ListingOptions& options, const TextMeasurer* measure) {
    Document doc = landscape(title);
    doc.table = detailTable(lines, words, options);
    PageFlow flow(doc);
    constexpr int kDate = 0, kTimes = 2400, kName = 3800, kClient = 6600;
    decorate(flow, title,
             merge(tr("From %1 To %2"), store::shortDate(first), store::shortDate(last)), kLine,
             [&words](const BandArea& a, int top) {
                 a.text({kDate, top, 2340, kLine}, tr("Date"), kHead);
                 a.text({kTimes, top, 1340, kLine}, tr("Time"), kHead);
                 a.text({kName, top, 2740, kLine}, words.booking, kHead);
                 a.text({kClient, top, 3000, kLine}, words.client, kHead);
             });
    for (const ListingLine& line : lines) {
        const scan::Occurrence& o = line.occurrence;
        flow.keepRoom(2 * kLine + 60);
        const BandArea a = flow.place(kLine + 60);
        const Date d(o.date);
        a.text({kDate, 60, 2340, kLine}, weekdayOf(d) + " " + store::shortDate(d), kBody);
        std::string times = timeText(o.start) + " - " + timeText(o.end);
        if (options.actual && (o.actualStart || o.actualEnd))
            times += " (" + timeText(o.actualStart) + " - " + timeText(o.actualEnd) + ")";
        a.text({kTimes, 60, 1340, kLine}, times, kBody);
        a.text({kName, 60, 2740, kLine}, o.name, kBody);
        a.text({kClient, 60, a.width() - kClient, kLine}, o.client, kBody);
        const BandArea p = flow.place(kLine);
        p.text({kTimes, 0, kName - kTimes + 2700, kLine},
               merge(tr("Primary %1"), words.resource) + ": " + o.prime + "   " + tr("Units") +
                   ": " + std::to_string(o.primeUnits),
               kBody);
        if (!line.others.empty())
            labelledText(flow, kTimes, 2000, a.width(), merge(tr("Other %1:"), words.resources),
                         line.others, measure);
        if (options.notes)
            labelledText(flow, kTimes, 2000, a.width(), tr("Notes:"), line.notes, measure);
    }
    flow.finish();
    return doc;
}

Document DAYRESRPT(const std::string& title, store::Date day,
                   const std::vector<ResourceLines>& resources, const booking::Words& words,
                   const ListingOptions& options, const TextMeasurer* measure) {
    Document doc = landscape(title);
    constexpr int kStart = 300, kEnd = 1000, kName = 1700, kActualStart = 4300, kActualEnd = 5000,
                  kClient = 5700, kUnits = 8600;
    const int clientX = options.actual ? kClient : kActualStart;
    std::vector<std::string> head{words.resource, tr("Start"), tr("End"), words.booking};
    if (options.actual) {
        head.push_back(tr("Actual start"));
        head.push_back(tr("Actual end"));
    }
    head.push_back(words.client);
    head.push_back(tr("Units"));
    if (options.notes) head.push_back(tr("Notes"));
    doc.table.push_back(head);
    PageFlow flow(doc);
    decorate(flow, title, store::longDate(day), options.actual ? 2 * kLine : kLine,
             [&words, options, clientX](const BandArea& a, int top) {
                 const int y = top + (options.actual ? kLine : 0);
                 if (options.actual) {
                     a.text({kStart, top, 1300, kLine}, tr("Scheduled"), kHead);
                     a.text({kActualStart, top, 1300, kLine}, tr("Actual"), kHead);
                     a.text({kActualStart, y, 640, kLine}, tr("Start"), kHead);
                     a.text({kActualEnd, y, 640, kLine}, tr("End"), kHead);
                 }
                 a.text({kStart, y, 640, kLine}, tr("Start"), kHead);
                 a.text({kEnd, y, 640, kLine}, tr("End"), kHead);
                 a.text({kName, y, 2540, kLine}, words.booking, kHead);
                 a.text({clientX, y, kUnits - clientX - 60, kLine}, words.client, kHead);
                 a.text({kUnits, y, 1000, kLine}, tr("Units"), kHead);
             });
    for (const ResourceLines& r : resources) {
        // The report breaks on the resource: its heading stays with its first line.
        flow.keepRoom(2 * kLine + 80);
        const BandArea h = flow.place(kLine + 80);
        h.text({0, 80, h.width(), kLine}, r.resource, kHead);
        for (const ListingLine& line : r.lines) {
            const scan::Occurrence& o = line.occurrence;
            const BandArea a = flow.place(kLine);
            a.text({kStart, 0, 640, kLine}, timeText(o.start), kBody);
            a.text({kEnd, 0, 640, kLine}, timeText(o.end), kBody);
            a.text({kName, 0, 2540, kLine}, o.name, kBody);
            if (options.actual) {
                a.text({kActualStart, 0, 640, kLine}, timeText(o.actualStart), kBody);
                a.text({kActualEnd, 0, 640, kLine}, timeText(o.actualEnd), kBody);
            }
            a.text({clientX, 0, kUnits - clientX - 60, kLine}, o.client, kBody);
            a.text({kUnits, 0, 1000, kLine}, std::to_string(o.units), kBody);
            if (options.notes)
                labelledText(flow, kName, 2000, a.width(), tr("Notes:"), line.notes, measure);
            std::vector<std::string> row{r.resource, timeText(o.start), timeText(o.end), o.name};
            if (options.actual) {
                row.push_back(timeText(o.actualStart));
                row.push_back(timeText(o.actualEnd));
            }
            row.push_back(o.client);
            row.push_back(std::to_string(o.units));
            if (options.notes) row.push_back(line.notes);
            doc.table.push_back(std::move(row));
        }
    }
    flow.finish();
    return doc;
}

}  // namespace reports

#include "reports/record_printouts.h"

#include "booking/booking_form.h"
#include "booking/repeat.h"
#include "masterdata/group_save.h"
#include "masterdata/resource_save.h"
#include "reports/bands.h"
#include "reports/calendar_listings.h"
#include "scan/scans.h"
#include "store/kept_buffer.h"
#include "store/store.h"

namespace reports {

using namespace bands;
using booking::merge;
using booking::tr;
using booking::trim;

namespace {

/// A label and its value on one line of a record's block.
void field(PageFlow& flow, int x, int labelWidth, const std::string& label,
           const std::string& value) {
    const BandArea a = flow.place(kLine);
    a.text({x, 0, labelWidth - 60, kLine}, label, kHead);
    a.text({x + labelWidth, 0, a.width() - x - labelWidth, kLine}, value, kBody);
}

/// The gap and rule between two records' blocks.
void separator(PageFlow& flow) {
    const BandArea a = flow.place(140);
    a.line(0, 70, a.width(), 70);
}

Document portrait(const std::string& title) {
    Document doc;
    doc.title = title;
    return doc;
}

}  // namespace

std::string repeatedText(int type, const store::REPACT& rule, const booking::Words& words) {
    switch (type) {
        case booking::NoRepeats:
            return tr("No Repeats");
        case booking::MultiDay:
            return tr("Multi-day ") + words.booking;
        case booking::IrregularDates:
            return tr("Irregularly");
        default: {
            const std::string text = booking::windowDescription(type, rule);
            return text.empty() ? tr("No Repeats") : text;
        }
    }
}

BookingPrintout printoutOf(store::Store& db, const booking::BookingForm& form) {
    const store::ACTIVITY& act = db.ACT;
    BookingPrintout b;
    b.number = act.ACTNUMBER;
    b.name = trim(act.NAME.str());
    b.client = trim(act.CLIENT.str());
    b.prime = trim(act.PRIME.str());
    b.primeUnits = act.UNITS;
    if (form.occurrences().empty()) {
        if (form.date != 0) b.dates.push_back({form.date, form.start, form.end});
    } else {
        for (const booking::DateEntry& d : form.occurrences())
            b.dates.push_back({d.DATE, d.TIME, d.ENDTIME});
    }
    b.repeated = repeatedText(act.REPEATTYPE, db.REP, form.words());
    std::vector<std::pair<std::string, int>> others;
    for (const booking::ResourceEntry& r : form.resources())
        if (r.RESOURCE != act.PRIME.str()) others.push_back({r.RESOURCE, r.UNITS});
    b.others = otherResourcesText(
        others, [&db](const std::string& code) { return scan::resourceUnits(db, code); });
    b.notes = trim(db.ACN.NOTES.str());
    b.changedBy = trim(act.USERNAME.str());
    b.changeDate = act.CHANGEDATE;
    b.changeTime = act.CHANGETIME;
    return b;
}

Document PRINTBOOKING(const BookingPrintout& b, const booking::Words& words,
                      const TextMeasurer* measure) {
    Document doc = portrait(words.booking + " " + std::to_string(b.number));
    constexpr int kLabel = 2200;
    PageFlow flow(doc);
    decorate(flow, doc.title, {}, 0, {});
    field(flow, 0, kLabel, tr("Booking:"), b.name);
    field(flow, 0, kLabel, tr("Client:"), b.client);
    field(flow, 0, kLabel, tr("Primary Resource:"),
          b.prime + "   " + tr("Units") + ": " + std::to_string(b.primeUnits));
    flow.place(kLine / 2);
    doc.table.push_back({words.booking, tr("Booking:"), tr("Client:"), tr("Primary Resource:"),
                         tr("Units"), tr("Date:"), tr("Start Time:"), tr("End Time")});
    for (const BookingPrintout::Dates& d : b.dates) {
        const BandArea a = flow.place(kLine);
        const std::string date =
            weekdayOf(store::Date(d.date)) + " " + store::shortDate(store::Date(d.date));
        a.text({0, 0, 700, kLine}, tr("Date:"), kHead);
        a.text({700, 0, 2500, kLine}, date, kBody);
        a.text({3300, 0, 1100, kLine}, tr("Start Time:"), kHead);
        a.text({4400, 0, 800, kLine}, timeText(d.start), kBody);
        a.text({5300, 0, 1000, kLine}, tr("End Time"), kHead);
        a.text({6300, 0, 800, kLine}, timeText(d.end), kBody);
        doc.table.push_back({std::to_string(b.number), b.name, b.client, b.prime,
                             std::to_string(b.primeUnits), store::shortDate(store::Date(d.date)),
                             timeText(d.start), timeText(d.end)});
    }
    flow.place(kLine / 2);
    field(flow, 0, kLabel, tr("Repeated:"), b.repeated);
    labelledText(flow, 0, kLabel, doc.setup.body().width, tr("Other Resources:"), b.others,
                 measure);
    labelledText(flow, 0, kLabel, doc.setup.body().width, tr("Notes:"), b.notes, measure);
    field(flow, 0, kLabel, tr("Last changed by:"),
          b.changedBy.empty() ? std::string()
                              : b.changedBy + "   " + store::shortDate(store::Date(b.changeDate)) +
                                    " " + timeText(b.changeTime));
    flow.finish();
    return doc;
}

bool readResources(store::Store& db, const std::string& group,
                   std::vector<ResourcePrintout>& resources,
                   const std::function<bool(int done)>& progress, std::string& error) {
    resources.clear();
    if (db.Access(store::Tbl::RESOURCE).USEFILE() != store::Level_Benign) {
        error = db.engine().status().message();
        return false;
    }
    store::KeptBuffer kept(db, store::Tbl::RESOURCE);
    store::Table& t = db.table(store::Tbl::RESOURCE);
    // Takes the resource in the RESOURCE buffer; false once the user cancelled.
    auto take = [&] {
        const std::string code = db.RES.RESOURCE.str();
        resources.push_back({trim(code), trim(db.RES.NAME.str()), db.RES.UNITS,
                             masterdata::authorizedUsers(db, code), trim(db.RES.NOTES.str())});
        return !progress || progress(int(resources.size()));
    };
    if (group.empty()) {
        // Every resource, as the key walk reads it: one read each.
        if (db.engine().set(t, store::RES::RESOURCE_KEY) == 0)
            while (db.engine().next(t) == 0)
                if (!take()) return false;
        return true;
    }
    for (const std::string& code : masterdata::groupMembers(db, trim(group))) {
        t.clearBuffer();
        db.RES.RESOURCE = code;
        // A member whose resource is gone is left out, as the group's browse leaves it.
        if (db.engine().get(t, store::RES::RESOURCE_KEY) == 0 && !take()) return false;
    }
    return true;
}

std::string resourcesTitle(const booking::Words& words, const std::string& group) {
    return group.empty() ? merge(tr("All %1"), words.resources)
                         : merge(tr("%1 in %2"), words.resources, trim(group));
}

Document PRINTALLRESOURCES(const std::string& title, const std::vector<ResourcePrintout>& resources,
                           const TextMeasurer* measure) {
    Document doc = portrait(title);
    constexpr int kLabel = 2600;
    doc.table.push_back({tr("Short Name:"), tr("Long Name:"), tr("Units"),
                         tr("Authorized General Users:"), tr("Notes")});
    PageFlow flow(doc);
    decorate(flow, title, {}, 0, {});
    for (const ResourcePrintout& r : resources) {
        std::string users;
        for (const std::string& u : r.users) users += (users.empty() ? "" : ", ") + u;
        flow.keepRoom(5 * kLine);
        field(flow, 0, kLabel, tr("Short Name:"), r.code);
        field(flow, 0, kLabel, tr("Long Name:"), r.name);
        field(flow, 0, kLabel, tr("Units"), std::to_string(r.units));
        labelledText(flow, 0, kLabel, doc.setup.body().width, tr("Authorized General Users:"),
                     users, measure);
        labelledText(flow, 0, kLabel, doc.setup.body().width, tr("Notes"), r.notes, measure);
        separator(flow);
        doc.table.push_back({r.code, r.name, std::to_string(r.units), users, r.notes});
    }
    flow.finish();
    return doc;
}

bool readClients(store::Store& db, std::vector<ClientPrintout>& clients,
                 const std::function<bool(int done)>& progress, std::string& error) {
    clients.clear();
    if (db.Access(store::Tbl::CLIENT).USEFILE() != store::Level_Benign) {
        error = db.engine().status().message();
        return false;
    }
    store::KeptBuffer kept(db, store::Tbl::CLIENT);
    store::Table& t = db.table(store::Tbl::CLIENT);
    if (db.engine().set(t, store::CLI::CLIENT_KEY) != 0) return true;
    while (db.engine().next(t) == 0) {
        const store::CLIENT& c = db.CLI;
        clients.push_back({trim(c.CLIENT.str()), trim(c.CONTACT.str()), trim(c.ADDRESS.str()),
                           trim(c.PHONE.str()), trim(c.FAX.str()), trim(c.EMAIL.str()),
                           trim(c.NOTES.str())});
        if (progress && !progress(int(clients.size()))) return false;
    }
    return true;
}

Document PRINTCLIENT(const std::vector<ClientPrintout>& clients, const booking::Words& words,
                     const TextMeasurer* measure) {
    Document doc = portrait(words.clients);
    constexpr int kLabel = 2000;
    const int width = doc.setup.body().width;
    const std::string client = words.client + ":";
    doc.table.push_back({words.client, tr("Contact Person"), tr("Address"), tr("Telephone"),
                         tr("Fax"), tr("E-mail"), tr("Notes")});
    PageFlow flow(doc);
    decorate(flow, doc.title, {}, 0, {});
    for (const ClientPrintout& c : clients) {
        flow.keepRoom(6 * kLine);
        field(flow, 0, kLabel, client, c.name);
        field(flow, 0, kLabel, tr("Contact Person"), c.contact);
        labelledText(flow, 0, kLabel, width, tr("Address"), c.address, measure);
        field(flow, 0, kLabel, tr("Telephone"), c.phone);
        field(flow, 0, kLabel, tr("Fax"), c.fax);
        field(flow, 0, kLabel, tr("E-mail"), c.email);
        labelledText(flow, 0, kLabel, width, tr("Notes"), c.notes, measure);
        separator(flow);
        doc.table.push_back({c.name, c.contact, c.address, c.phone, c.fax, c.email, c.notes});
    }
    flow.finish();
    return doc;
}

}  // namespace reports

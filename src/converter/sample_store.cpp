#include "converter/sample_store.h"

#include <cstring>
#include <filesystem>
#include <memory>

#include "store/datetime.h"
#include "store/engine.h"
#include "store/record_image.h"

namespace converter {

using store::FieldDecl;
using store::TableDecl;

SampleStore::SampleStore(Release r) : release_(r) {
    for (const HeldTable& h : tablesOf(r)) tables_.push_back({&h, {}, 0});
}

int SampleStore::indexOf(const char* table) {
    for (std::size_t i = 0; i < tables_.size(); ++i)
        if (std::strcmp(tables_[i].held->name, table) == 0) return int(i);
    return -1;
}

void SampleStore::leaveOut(const char* table) {
    const int t = indexOf(table);
    if (t >= 0) tables_.erase(tables_.begin() + t);
}

const TableDecl* SampleStore::layout(const char* table) const {
    for (const Pending& p : tables_)
        if (std::strcmp(p.held->name, table) == 0) return p.held->layouts.front();
    return nullptr;
}

std::byte* SampleStore::image(int table, std::size_t index) {
    Pending& p = tables_[std::size_t(table)];
    return p.images.data() + index * std::size_t(p.held->layouts.front()->recordSize);
}

SampleStore::Record SampleStore::add(const char* table) {
    const int t = indexOf(table);
    if (t < 0) {
        if (problem_.empty())
            problem_ =
                std::string("release ") + releaseInfo(release_).name + " keeps no table " + table;
        return Record(*this, -1, 0);
    }
    Pending& p = tables_[std::size_t(t)];
    const TableDecl& d = *p.held->layouts.front();
    p.images.resize(p.images.size() + std::size_t(d.recordSize));
    store::clearRecord(d, image(t, p.count));
    return Record(*this, t, p.count++);
}

void SampleStore::addImage(const char* table, const std::byte* rec) {
    Record r = add(table);
    if (r.table_ < 0) return;
    const TableDecl& d = *tables_[std::size_t(r.table_)].held->layouts.front();
    std::memcpy(image(r.table_, r.index_), rec, std::size_t(d.recordSize));
}

bool SampleStore::Record::has(const char* name) const {
    return table_ >= 0 &&
           s_.tables_[std::size_t(table_)].held->layouts.front()->fieldIndex(name) >= 0;
}

const FieldDecl* SampleStore::Record::field(const char* name, bool text) {
    if (table_ < 0) return nullptr;
    const TableDecl& d = *s_.tables_[std::size_t(table_)].held->layouts.front();
    const int i = d.fieldIndex(name);
    if (i < 0 || store::isText(d.fields[i].type) != text) {
        if (s_.problem_.empty())
            s_.problem_ = std::string(d.name) + " of release " + releaseInfo(s_.release_).name +
                          " has no " + (text ? "text" : "number") + " field " + name;
        return nullptr;
    }
    return &d.fields[i];
}

SampleStore::Record& SampleStore::Record::set(const char* name, long long value, int element) {
    if (const FieldDecl* f = field(name, false); f && element < f->count)
        store::setNumber(*f, s_.image(table_, index_), value, element);
    return *this;
}

SampleStore::Record& SampleStore::Record::set(const char* name, std::string_view text,
                                              int element) {
    if (const FieldDecl* f = field(name, true); f && element < f->count)
        store::setText(*f, s_.image(table_, index_), text, element);
    return *this;
}

int SampleStore::write(const std::string& folder) {
    if (!problem_.empty()) return -1;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (fs::exists(fs::path(folder) / "RESDATA.TPS") ||
        fs::exists(fs::path(folder) / "USERS.TPS")) {
        problem_ = folder + " already holds a data folder";
        return -1;
    }
    // The tables must outlive the engine's references to them.
    std::vector<std::unique_ptr<store::Table>> tables;
    store::Engine engine(folder);
    auto failed = [&](int rc) {
        problem_ = engine.status().text;
        if (!engine.status().fileText.empty()) problem_ += " (" + engine.status().fileText + ")";
        if (engine.inTransaction()) engine.rollback();
        return rc;
    };
    if (int rc = engine.connectFile(store::StoreFile::RESDATA, true)) return failed(rc);
    for (const Pending& p : tables_)
        if (p.held->file == store::StoreFile::USERS)
            if (int rc = engine.connectFile(store::StoreFile::USERS, true)) return failed(rc);
    if (int rc = engine.begin(10)) return failed(rc);
    for (const Pending& p : tables_) {
        tables.push_back(std::make_unique<store::Table>(*p.held->layouts.front()));
        store::Table& t = *tables.back();
        int rc = engine.create(t);
        if (rc == 0) rc = engine.open(t);
        if (rc == 0 && p.count > 100) rc = engine.dropKeys(t);
        for (std::size_t i = 0; rc == 0 && i < p.count; ++i) {
            std::memcpy(t.buffer(), p.images.data() + i * std::size_t(t.recordSize()),
                        std::size_t(t.recordSize()));
            rc = engine.add(t);
        }
        if (rc == 0 && p.count > 100) rc = engine.buildKeys(t);
        if (rc != 0) return failed(rc);
    }
    if (int rc = engine.commit()) return failed(rc);
    return 0;
}

// ---------------------------------------------------------------------------------------

namespace {

using store::Date;
using store::LONG;
using store::Time;

/// Sets the field when the release's layout has it; the trial data is written for every
/// release from one description.
template <class V>
void put(SampleStore::Record& r, const char* field, V value, int element = 0) {
    if (r.has(field)) r.set(field, value, element);
}

}  // namespace

void addTrialRecords(SampleStore& s) {
    const Release r = s.release();
    const bool before320 = r == Release::R2X || r == Release::R30 || r == Release::R31;
    const LONG changed = Date::fromMDY(3, 2, 2009).value;
    const LONG at = Time::fromHMS(9, 30).value;

    struct User {
        const char *name, *last, *first, *dept, *password;
        int level;
        const char* notes;
    };
    const User users[] = {
        {"SUPERVISOR", "Admin", "System", "Office", "SUPER", 3, "Keeps the system running."},
        {"ANNA", "Berg", "Anna", "Reception", "anna1", 1, ""},
        {"BEN", "Okafor", "Ben", "Facilities", "ben22", 2,
         "Looks after the vans and the projectors."},
    };
    for (const User& u : users) {
        SampleStore::Record rec = s.add("USERS");
        rec.set("USERNAME", u.name).set("LASTNAME", u.last).set("FIRSTNAME", u.first);
        rec.set("DEPARTMENT", u.dept).set("PASSWORD", u.password).set("ACCESSLEVEL", u.level);
        put(rec, "NOTES", u.notes);
        put(rec, "CHANGENAME", "SUPERVISOR");
        put(rec, "DATECHANGED", changed);
        put(rec, "TIMECHANGED", at);
    }

    // Preferences: 2.x kept one record for everybody under the name USERPREF; later
    // releases keep the system's in SYSPREF and one USERPREF per user.
    auto preferences = [&](SampleStore::Record rec) {
        rec.set("NAME", "Meeting").set("STARTTIME", Time::fromHMS(9, 0).value);
        rec.set("DURATION", store::lengthFromMinutes(60));
        rec.set("BEGINDAY", Time::fromHMS(8, 0).value).set("ENDDAY", Time::fromHMS(18, 0).value);
        rec.set("INTERVAL", store::lengthFromMinutes(30)).set("SCANTEXT", "Name");
        rec.set("SCANSIZE", 12).set("HEIGHT", 10);
        return rec;
    };
    if (r == Release::R2X) {
        SampleStore::Record p = preferences(s.add("USERPREF"));
        p.set("ACCESSTRIES", 3).set("ADVANCEDAYS", 365).set("CLIENTGENERAL", 1);
        p.set("USERNAME", "SUPERVISOR").set("TCF", "tembrix.tcf");
        for (int minutes : {15, 30, 60, 90, 120, 240})
            s.add("DURLIST").set("DURATION", store::lengthFromMinutes(minutes));
        for (const char* name : {"Team meeting", "Delivery", "Cleaning"})
            s.add("ROUTINEA").set("NAME", name);
    } else {
        SampleStore::Record p = preferences(s.add("SYSPREF"));
        p.set("ACCESSTRIES", 3).set("ADVANCEDAYS", 365).set("USERNAME", "SUPERVISOR");
        put(p, "CLIENTGENERAL", 1);
        put(p, "ALERT", "None");
        const char* terms[6] = {"Booking", "Bookings", "Room", "Rooms", "Client", "Clients"};
        const char* names[6] = {"LABELS1_1", "LABELS1_2", "LABELS2_1",
                                "LABELS2_2", "LABELS3_1", "LABELS3_2"};
        for (int i = 0; i < 6; ++i) {
            put(p, "LABELS", terms[i], i);
            put(p, names[i], terms[i]);
        }
        put(p, "TCF", "tembrix.tcf");
        for (const User& u : users) {
            preferences(s.add("USERPREF")).set("USERNAME", u.name);
            for (int minutes : {30, 60})
                s.add("DURLIST")
                    .set("DURATION", store::lengthFromMinutes(minutes))
                    .set("USERNAME", u.name);
            s.add("ROUTINEA").set("NAME", "Team meeting").set("USERNAME", u.name);
        }
    }

    struct Resource {
        const char *code, *name;
        int units;
        const char* notes;
    };
    const Resource resources[] = {
        {"ROOM1", "Board room", 1, "Seats twelve. Projector on the ceiling."},
        {"ROOM2", "Training room", 1, ""},
        {"VAN", "Delivery vans", 3, "Keys at reception."},
    };
    s.add("GROUP").set("GROUP", "All resources").set("USERNAME", "SUPERVISOR");
    for (const Resource& res : resources) {
        SampleStore::Record rec = s.add("RESOURCE");
        rec.set("RESOURCE", res.code).set("NAME", res.name).set("USERNAME", "SUPERVISOR");
        put(rec, "UNITS", res.units);
        put(rec, "NOTES", res.notes);
        put(rec, "DATE", changed);
        s.add("GROUPRES").set("GROUP", "All resources").set("RESOURCES", res.code);
    }

    struct Client {
        const char *name, *contact, *address, *notes;
    };
    const Client clients[] = {
        {"Acme Trading Company Limited", "J. Smith", "1 High Street\r\nLeeds", "Pays late."},
        {"City Council", "R. Patel", "Town Hall", ""},
    };
    for (const Client& c : clients) {
        SampleStore::Record rec = s.add("CLIENT");
        rec.set("CLIENT", c.name).set("CONTACT", c.contact).set("PHONE", "0113 496 0000");
        rec.set("ADDRESS", c.address).set("NOTES", c.notes).set("USERNAME", "ANNA");
    }

    struct Booking {
        int number;
        const char *name, *client, *repeat, *week;
        int weekday, repeatType;
        const char *notes, *resource;
    };
    const Booking bookings[] = {
        {1, "Board meeting", "Acme Trading Company Limited", "Fixed Weeks", "", 0, 4,
         "Coffee for twelve.", "ROOM1"},
        {2, "Van to Leeds", "City Council", "No Repeats", "", 0, 0, "", "VAN"},
        {3, "First aid course", "", "Specific Weekday", "2nd", 2, 7, "", "ROOM2"},
    };
    const Date first = Date::fromMDY(3, 9, 2009);  // a Monday
    for (const Booking& b : bookings) {
        SampleStore::Record rec = s.add("ACTIVITY");
        rec.set("ACTNUMBER", b.number).set("NAME", b.name).set("CLIENT", b.client);
        rec.set("USERNAME", "ANNA").set("CHANGEDATE", changed).set("CHANGETIME", at);
        if (before320) {
            rec.set("REPEATTYPE", b.repeat).set("WEEK", b.week).set("WEEKDAY", b.weekday);
            rec.set("REPNUMBER", b.repeatType ? 1 : 0).set("NOTES", b.notes);
            if (b.repeatType) rec.set("REPEND", (first + 84).value);
        } else {
            rec.set("REPEATTYPE", b.repeatType).set("PRIME", b.resource).set("UNITS", 1);
            if (b.repeatType) {
                s.add("REPACT")
                    .set("ACTNUMBER", b.number)
                    .set("REPNUMBER", 1)
                    .set("WEEK", std::string_view(b.week) == "2nd" ? 2 : 0)
                    .set("WEEKDAY", b.weekday)
                    .set("REPEND", (first + 84).value);
            }
            if (*b.notes) s.add("ACTNOTES").set("ACTNUMBER", b.number).set("NOTES", b.notes);
        }
        s.add("CONTROL").set("NUMBER", b.number);
        SampleStore::Record link = s.add("RESACT");
        link.set("ACTNUMBER", b.number).set("RESOURCE", b.resource);
        put(link, "UNITS", 1);
        const int occurrences = b.repeatType ? 4 : 1;
        for (int i = 0; i < occurrences; ++i) {
            const Date day = first + b.number + 7 * i;
            SampleStore::Record d = s.add("DATES");
            d.set("ACTNUMBER", b.number).set("DATE", day.value);
            d.set("TIME", Time::fromHMS(10, 0).value).set("ENDTIME", Time::fromHMS(12, 0).value);
            put(d, "DATETEXT", day.iso());
            static const char* const dayNames[7] = {"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
            put(d, "DAYNAME", dayNames[day.weekday()]);
        }
    }
    s.add("SPECIAL")
        .set("STARTDATE", Date::fromMDY(12, 25, 2009).value)
        .set("ENDDATE", Date::fromMDY(12, 26, 2009).value)
        .set("DESCRIPTION", "Christmas");
}

}  // namespace converter

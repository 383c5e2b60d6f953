#include "converter/stages.h"

#include <set>
#include <string>

#include "converter/field_map.h"
#include "converter/old_layouts.h"
#include "store/record_image.h"
#include "store/tables.h"

namespace converter {

using store::StoreFile;
using store::Table;
using store::TableDecl;
using store::Tbl;

namespace {

template <class R>
R& rec(Table& t) {
    return *reinterpret_cast<R*>(t.buffer());
}

const TableDecl* old(Old o) {
    return &oldDecl(o);
}
const TableDecl& today(Tbl t) {
    return store::tableDecl(t);
}

/// The text of a named field of whichever layout a table was opened in.
std::string_view textOf(const Table& t, const char* field) {
    const TableDecl& d = t.decl();
    const int i = d.fieldIndex(field);
    return i < 0 ? std::string_view() : store::getText(d.fields[i], t.buffer());
}

std::string folded(std::string_view s) {
    std::string out(store::trimRight(s));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

/// Every record of `in` becomes one record of `out` by the mapping rule, then `adjust`
/// sets what the rule does not.
template <class Adjust>
void convertEach(TableJob& job, Table& in, Table& out, Adjust adjust) {
    const FieldMap map(in.decl(), out.decl());
    while (job.read(in)) {
        out.clearBuffer();
        map.apply(in.buffer(), out.buffer());
        adjust(in, out);
        job.append(out);
    }
}

void unchanged(Table&, Table&) {}

// --- stage A: 2.x to 3.0 ---------------------------------------------------------------

void datesTo30(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::IN2)});
    Table& out = job.target(oldDecl(Old::INF), "CONV0002");
    // ACTUALSTART and ACTUALEND have no old counterpart: 0.
    convertEach(job, in, out, unchanged);
}

void preferencesTo30(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::IN3)});
    Table& out = job.target(oldDecl(Old::INB), "CONV0001");
    convertEach(job, in, out, [](Table&, Table& o) {
        INB& s = rec<INB>(o);
        const char* terms[6] = {"Booking",   "Bookings", "Resource",
                                "Resources", "Client",   "Clients"};
        for (int i = 0; i < 6; ++i) s.LABELS[i] = terms[i];
    });
}

/// One USERPREF record per user, made from the one preferences record of 2.x.
void userPreferences(TableJob& job, Carried&) {
    Table& prefs = job.source({old(Old::IN3)});
    std::vector<std::byte> pref(prefs.recordSize());
    store::clearRecord(prefs.decl(), pref.data());
    if (job.read(prefs)) std::copy_n(prefs.buffer(), pref.size(), pref.data());
    Table& users = job.source({old(Old::IN1), old(Old::INE)});
    Table& out = job.target(today(Tbl::USERPREF), "CONV0001");
    // Fields 1 to 12; the old USERNAME is who last changed the preferences.
    const FieldMap map(prefs.decl(), out.decl(), {"USERNAME"});
    while (job.read(users)) {
        out.clearBuffer();
        map.apply(pref.data(), out.buffer());
        rec<store::USERPREF>(out).USERNAME = textOf(users, "USERNAME");
        job.append(out);
    }
}

/// Every user gets a copy of the one list of 2.x. An entry the old list holds twice is
/// written once: the new list is unique per user.
template <class Fill>
void listPerUser(TableJob& job, const TableDecl& oldList, const TableDecl& newList, Fill fill) {
    Table& users = job.source({old(Old::IN1), old(Old::INE)});
    Table& list = job.source({&oldList});
    Table& out = job.target(newList, "CONV0001");
    std::set<std::string> written;
    while (job.read(users)) {
        const std::string user(textOf(users, "USERNAME"));
        job.rewind(list);
        while (job.read(list)) {
            out.clearBuffer();
            const std::string entry = fill(list, out, user);
            if (!written.insert(folded(user) + '\n' + entry).second) continue;
            job.append(out);
        }
    }
}

void durations(TableJob& job, Carried&) {
    listPerUser(job, oldDecl(Old::IN4), today(Tbl::DURLIST),
                [](Table& in, Table& out, const std::string& user) {
                    store::DURLIST& d = rec<store::DURLIST>(out);
                    d.DURATION = rec<IN4>(in).DURATION;
                    d.USERNAME = user;
                    return std::to_string(d.DURATION);
                });
}

void routineNames(TableJob& job, Carried&) {
    listPerUser(job, oldDecl(Old::IN5), today(Tbl::ROUTINEA),
                [](Table& in, Table& out, const std::string& user) {
                    store::ROUTINEA& r = rec<store::ROUTINEA>(out);
                    r.NAME = rec<IN5>(in).NAME.view();
                    r.USERNAME = user;
                    return folded(r.NAME.view());
                });
}

// --- stage B: 3.0 to 3.1 ---------------------------------------------------------------

void resourceLinks(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::IN8)});
    Table& out = job.target(today(Tbl::RESACT), "CONV0001");
    convertEach(job, in, out, [](Table&, Table& o) { rec<store::RESACT>(o).UNITS = 1; });
}

void resourcesTo31(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::IN9)});
    Table& out = job.target(oldDecl(Old::IND), "CONV0001");
    convertEach(job, in, out, [](Table&, Table& o) { rec<IND>(o).UNITS = 1; });
}

// --- stage C: 3.1 to 3.20 --------------------------------------------------------------

void bookings(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::INA)});
    Table& act = job.target(today(Tbl::ACTIVITY), "CONV0001");
    Table& rep = job.target(today(Tbl::REPACT), "CONV0003");
    Table& notes = job.target(today(Tbl::ACTNOTES), "CONV0004");
    const FieldMap map(in.decl(), act.decl());
    while (job.read(in)) {
        const INA& a = rec<INA>(in);
        act.clearBuffer();
        map.apply(in.buffer(), act.buffer());
        const int kind = repeatTypeCode(a.REPEATTYPE.view());
        rec<store::ACTIVITY>(act).REPEATTYPE = store::BYTE(kind);
        job.append(act);
        if (kind != 0) {
            rep.clearBuffer();
            store::REPACT& r = rec<store::REPACT>(rep);
            r.ACTNUMBER = a.ACTNUMBER;
            r.REPNUMBER = a.REPNUMBER;
            r.WEEKENDREPEAT = 0;
            r.WEEK = store::BYTE(weekCode(a.WEEK.view()));
            r.WEEKDAY = a.WEEKDAY;
            store::BYTE* days[7] = {&r.MONDAY, &r.TUESDAY,  &r.WEDNESDAY, &r.THURSDAY,
                                    &r.FRIDAY, &r.SATURDAY, &r.SUNDAY};
            for (int d = 0; d < 7; ++d) *days[d] = a.SETDAY[d];
            r.REPEND = a.REPEND;
            job.append(rep);
        }
        if (!a.NOTES.blank()) {
            notes.clearBuffer();
            store::ACTNOTES& n = rec<store::ACTNOTES>(notes);
            n.ACTNUMBER = a.ACTNUMBER;
            n.NOTES = a.NOTES.view();
            job.append(notes);
        }
    }
}

void preferencesTo320(TableJob& job, Carried& carried) {
    Table& in = job.source({old(Old::INB)});
    Table& out = job.target(oldDecl(Old::INB320), "CONV0001");
    bool first = true;
    convertEach(job, in, out, [&](Table& i, Table& o) {
        const INB& s = rec<INB>(i);
        INB320& t = rec<INB320>(o);
        STRING<20>* labels[6] = {&t.LABELS1_1, &t.LABELS1_2, &t.LABELS2_1,
                                 &t.LABELS2_2, &t.LABELS3_1, &t.LABELS3_2};
        for (int l = 0; l < 6; ++l) *labels[l] = s.LABELS[l].view();
        if (first) carried.clientGeneral = s.CLIENTGENERAL;
        first = false;
    });
}

void clients(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::INC)});
    Table& out = job.target(today(Tbl::CLIENT), "CONV0001");
    convertEach(job, in, out, unchanged);  // address and notes from the memos, EMAIL blank
}

void resourcesTo320(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::IND)});
    Table& out = job.target(today(Tbl::RESOURCE), "CONV0001");
    convertEach(job, in, out, unchanged);
}

void users(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::INE), old(Old::IN1)});
    Table& out = job.target(today(Tbl::USERS), "CONV0001");
    convertEach(job, in, out, unchanged);  // the notes memo cut to 255
}

void datesTo320(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::INF)});
    Table& out = job.target(today(Tbl::DATES), "CONV0001");
    convertEach(job, in, out, unchanged);
}

void groupMembers(TableJob& job, Carried&) {
    Table& in = job.source({old(Old::ING)});
    Table& out = job.target(today(Tbl::GROUPRES), "CONV0001");
    convertEach(job, in, out, unchanged);
}

// --- stage D: 3.20 to today ------------------------------------------------------------

void preferencesToToday(TableJob& job, Carried& carried) {
    Table& in = job.source({old(Old::INB320)});
    Table& out = job.target(today(Tbl::SYSPREF), "CONV0001");
    convertEach(job, in, out, [&](Table&, Table& o) {
        rec<store::SYSPREF>(o).CLIENTGENERAL = store::BYTE(carried.clientGeneral);
    });
}

}  // namespace

const std::vector<Step>& allSteps() {
    constexpr StoreFile R = StoreFile::RESDATA;
    static const std::vector<Step> steps = {
        {'A', "RESDATA\\!DATES", {"DATES"}, {{R, "DATES"}}, false, " COPYING DATES", datesTo30},
        {'A',
         "RESDATA\\!USERPREF",
         {"USERPREF"},
         {{R, "SYSPREF"}},
         false,
         nullptr,
         preferencesTo30},
        {'A',
         "RESDATA\\!USERS",
         {"USERPREF", "USERS"},
         {{R, "USERPREF"}},
         false,
         nullptr,
         userPreferences},
        {'A',
         "RESDATA\\!DURLIST",
         {"USERS", "DURLIST"},
         {{R, "DURLIST"}},
         false,
         nullptr,
         durations},
        {'A',
         "RESDATA\\!ROUTINEA",
         {"USERS", "ROUTINEA"},
         {{R, "ROUTINEA"}},
         false,
         nullptr,
         routineNames},
        {'B', "RESDATA\\!RESACT", {"RESACT"}, {{R, "RESACT"}}, false, nullptr, resourceLinks},
        {'B', "RESDATA\\!RESOURCE", {"RESOURCE"}, {{R, "RESOURCE"}}, false, nullptr, resourcesTo31},
        {'C',
         "RESDATA\\!ACTIVITY",
         {"ACTIVITY"},
         {{R, "ACTIVITY"}, {R, "REPACT"}, {R, "ACTNOTES"}},
         false,
         nullptr,
         bookings},
        {'C', "RESDATA\\!SYSPREF", {"SYSPREF"}, {{R, "SYSPREF"}}, false, nullptr, preferencesTo320},
        {'C', "RESDATA\\!CLIENT", {"CLIENT"}, {{R, "CLIENT"}}, false, nullptr, clients},
        {'C',
         "RESDATA\\!RESOURCE",
         {"RESOURCE"},
         {{R, "RESOURCE"}},
         false,
         nullptr,
         resourcesTo320},
        {'C', "RESDATA\\!USERS", {"USERS"}, {{StoreFile::USERS, "USERS"}}, true, nullptr, users},
        {'C', "RESDATA\\!DATES", {"DATES"}, {{R, "DATES"}}, false, nullptr, datesTo320},
        {'C', "RESDATA\\!GROUPRES", {"GROUPRES"}, {{R, "GROUPRES"}}, false, nullptr, groupMembers},
        {'D',
         "RESDATA\\!SYSPREF",
         {"SYSPREF"},
         {{R, "SYSPREF"}},
         false,
         nullptr,
         preferencesToToday},
    };
    return steps;
}

int repeatTypeCode(std::string_view text) {
    static constexpr const char* kinds[] = {
        "No Repeats",  "Multi-day booking", "Irregular Dates", "Fixed Days",
        "Fixed Weeks", "Fixed Months",      "Set Days",        "Specific Weekday",
    };
    text = store::trimRight(text);
    for (int i = 0; i < 8; ++i)
        if (text == kinds[i]) return i;
    return 0;
}

int weekCode(std::string_view text) {
    static constexpr const char* weeks[] = {"1st", "2nd", "3rd", "4th", "Last"};
    text = store::trimRight(text);
    for (int i = 0; i < 5; ++i)
        if (text == weeks[i]) return i + 1;
    return 0;
}

}  // namespace converter

#include "store/tables.h"

#include <array>
#include <cstring>
#include <utility>

namespace store {

std::string TableDecl::fullName() const {
    return std::string(file == StoreFile::USERS ? "USERS" : "RESDATA") + "\\!" + name;
}

int TableDecl::fieldIndex(const char* fieldName) const {
    if (fieldName == nullptr) return -1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (std::strcmp(fields[i].name, fieldName) == 0) return int(i);
    }
    return -1;
}

int TableDecl::keyIndex(const char* keyName) const {
    if (keyName == nullptr) return -1;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (std::strcmp(keys[i].name, keyName) == 0) return int(i);
    }
    return -1;
}

namespace {

/// A field's declaration together with the number its table's Field enum gives it, so that
/// the enum, the record struct and the declared order are checked against each other when
/// this file compiles.
struct Numbered {
    int number;
    FieldDecl decl;
};

#define NUMBERED(NS, REC, F)       \
    Numbered {                     \
        NS::F, STORE_FIELD(REC, F) \
    }

/// True when the fields are numbered 1, 2, 3 ... in list order and lie end to end from
/// offset 0 to the end of the record.
template <std::size_t N>
constexpr bool inStoredOrder(const Numbered (&list)[N], std::size_t recordSize) {
    int end = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (list[i].number != int(i) + 1 || list[i].decl.offset != end) return false;
        end += list[i].decl.width * list[i].decl.count;
    }
    return end == int(recordSize);
}

template <std::size_t N>
std::vector<FieldDecl> fieldsOf(const Numbered (&list)[N]) {
    std::vector<FieldDecl> out;
    out.reserve(N);
    for (const Numbered& f : list) out.push_back(f.decl);
    return out;
}

/// Declarations refer to fields by their place in TableDecl::fields.
constexpr int at(Field f) {
    return f.index();
}
KeyComponent asc(Field f) {
    return {at(f)};
}
KeyComponent desc(Field f) {
    return {at(f), true};
}

TableDecl activity() {
    static constexpr Numbered fields[] = {
        NUMBERED(ACT, ACTIVITY, ACTNUMBER),  NUMBERED(ACT, ACTIVITY, NAME),
        NUMBERED(ACT, ACTIVITY, CLIENT),     NUMBERED(ACT, ACTIVITY, PRIME),
        NUMBERED(ACT, ACTIVITY, UNITS),      NUMBERED(ACT, ACTIVITY, USERNAME),
        NUMBERED(ACT, ACTIVITY, CHANGEDATE), NUMBERED(ACT, ACTIVITY, CHANGETIME),
        NUMBERED(ACT, ACTIVITY, LOCK),       NUMBERED(ACT, ACTIVITY, REPEATTYPE),
    };
    static_assert(inStoredOrder(fields, sizeof(ACTIVITY)));
    return {
        .id = Tbl::ACTIVITY,
        .name = "ACTIVITY",
        .label = "ACTIVITY",
        .prefix = "ACT",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(ACTIVITY)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "ACTNUMBER_KEY",
                 .description = "ACT:Actnumber_key",
                 .components = {asc(ACT::ACTNUMBER)},
                 .unique = true,
                 .primary = true},
                {.name = "NAME_KEY", .description = "ACT:Name_key", .components = {asc(ACT::NAME)}},
                // A booking without a client is left out of this key, so client renames and
                // deletes never reach it.
                {.name = "CLIENT_KEY",
                 .description = "Client key",
                 .components = {asc(ACT::CLIENT)}},
            },
        .initialValues = {{.field = at(ACT::LOCK), .number = 0}},
        .fieldChecks = {},
    };
}

TableDecl dates() {
    static constexpr Numbered fields[] = {
        NUMBERED(DAT, DATES, ACTNUMBER), NUMBERED(DAT, DATES, DATE),
        NUMBERED(DAT, DATES, TIME),      NUMBERED(DAT, DATES, ACTUALSTART),
        NUMBERED(DAT, DATES, ACTUALEND), NUMBERED(DAT, DATES, ENDTIME),
    };
    static_assert(inStoredOrder(fields, sizeof(DATES)));
    return {
        .id = Tbl::DATES,
        .name = "DATES",
        .label = "DATES",
        .prefix = "DAT",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(DATES)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "DATETIME_KEY",
                 .description = "Date/Time Order",
                 .components = {asc(DAT::DATE), asc(DAT::TIME), asc(DAT::ENDTIME)}},
                {.name = "ACTNUMBER_KEY",
                 .description = "Activity Number Order",
                 .components = {asc(DAT::ACTNUMBER)}},
                // One booking cannot hold the same occurrence twice.
                {.name = "ACTDATES_KEY",
                 .description = "Actnumber and Date/Time",
                 .components = {asc(DAT::ACTNUMBER), asc(DAT::DATE), asc(DAT::TIME),
                                asc(DAT::ENDTIME)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl resact() {
    static constexpr Numbered fields[] = {
        NUMBERED(RAC, RESACT, ACTNUMBER),
        NUMBERED(RAC, RESACT, RESOURCE),
        NUMBERED(RAC, RESACT, UNITS),
    };
    static_assert(inStoredOrder(fields, sizeof(RESACT)));
    return {
        .id = Tbl::RESACT,
        .name = "RESACT",
        .label = "RESACT",
        .prefix = "RAC",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(RESACT)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "RESOURCE_KEY",
                 .description = "Resource Order",
                 .components = {asc(RAC::RESOURCE)}},
                {.name = "ACTRESOURCE_KEY",
                 .description = "Activity Resource Key",
                 .components = {asc(RAC::ACTNUMBER), asc(RAC::RESOURCE)},
                 .unique = true},
                {.name = "ACTIVITY_KEY",
                 .description = "Activity Order",
                 .components = {asc(RAC::ACTNUMBER)}},
            },
        .initialValues = {{.field = at(RAC::UNITS), .number = 1}},
        .fieldChecks = {},
    };
}

TableDecl actnotes() {
    static constexpr Numbered fields[] = {
        NUMBERED(ACN, ACTNOTES, ACTNUMBER),
        NUMBERED(ACN, ACTNOTES, NOTES),
    };
    static_assert(inStoredOrder(fields, sizeof(ACTNOTES)));
    return {
        .id = Tbl::ACTNOTES,
        .name = "ACTNOTES",
        .label = "ACTNOTES",
        .prefix = "ACN",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(ACTNOTES)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "ACTNUMBER_KEY",
                 .description = "ACN:Actnumber_key",
                 .components = {asc(ACN::ACTNUMBER)},
                 .unique = true,
                 .primary = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl repact() {
    static constexpr Numbered fields[] = {
        NUMBERED(REP, REPACT, ACTNUMBER),     NUMBERED(REP, REPACT, REPNUMBER),
        NUMBERED(REP, REPACT, WEEKENDREPEAT), NUMBERED(REP, REPACT, WEEK),
        NUMBERED(REP, REPACT, WEEKDAY),       NUMBERED(REP, REPACT, MONDAY),
        NUMBERED(REP, REPACT, TUESDAY),       NUMBERED(REP, REPACT, WEDNESDAY),
        NUMBERED(REP, REPACT, THURSDAY),      NUMBERED(REP, REPACT, FRIDAY),
        NUMBERED(REP, REPACT, SATURDAY),      NUMBERED(REP, REPACT, SUNDAY),
        NUMBERED(REP, REPACT, REPEND),
    };
    static_assert(inStoredOrder(fields, sizeof(REPACT)));
    return {
        .id = Tbl::REPACT,
        .name = "REPACT",
        .label = "REPACT",
        .prefix = "REP",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(REPACT)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "ACTNUMBER_KEY",
                 .description = "REP:Actnumber_key",
                 .components = {asc(REP::ACTNUMBER)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl control() {
    static constexpr Numbered fields[] = {NUMBERED(CON, CONTROL, NUMBER)};
    static_assert(inStoredOrder(fields, sizeof(CONTROL)));
    return {
        .id = Tbl::CONTROL,
        .name = "CONTROL",
        .label = "CONTROL",
        .prefix = "CON",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(CONTROL)),
        .fields = fieldsOf(fields),
        .keys =
            {
                // Duplicates allowed: the last record of this key is the highest number issued.
                {.name = "NUMBER_KEY",
                 .description = "CON:Number_key",
                 .components = {asc(CON::NUMBER)}},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl resource() {
    static constexpr Numbered fields[] = {
        NUMBERED(RES, RESOURCE, NOTES),       NUMBERED(RES, RESOURCE, RESOURCE),
        NUMBERED(RES, RESOURCE, NAME),        NUMBERED(RES, RESOURCE, UNITS),
        NUMBERED(RES, RESOURCE, USERNAME),    NUMBERED(RES, RESOURCE, DATECHANGED),
        NUMBERED(RES, RESOURCE, TIMECHANGED), NUMBERED(RES, RESOURCE, DATE),
    };
    static_assert(inStoredOrder(fields, sizeof(RESOURCE)));
    return {
        .id = Tbl::RESOURCE,
        .name = "RESOURCE",
        .label = "RESOURCES",
        .prefix = "RES",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(RESOURCE)),
        .fields = fieldsOf(fields),
        .keys =
            {
                // Exact case: two codes that differ only in letter case are two resources.
                {.name = "RESOURCE_KEY",
                 .description = "Short Name Order",
                 .components = {asc(RES::RESOURCE)},
                 .unique = true,
                 .primary = true,
                 .caseInsensitive = false},
            },
        // The resource form sets DATE to today once the record is primed.
        .initialValues = {{.field = at(RES::UNITS), .number = 1},
                          {.field = at(RES::DATE), .number = 0}},
        .fieldChecks = {},
    };
}

TableDecl group() {
    static constexpr Numbered fields[] = {
        NUMBERED(GRO, GROUP, GROUP),
        NUMBERED(GRO, GROUP, USERNAME),
        NUMBERED(GRO, GROUP, DATECHANGED),
        NUMBERED(GRO, GROUP, TIMECHANGED),
    };
    static_assert(inStoredOrder(fields, sizeof(GROUP)));
    return {
        .id = Tbl::GROUP,
        .name = "GROUP",
        .label = "GROUP",
        .prefix = "GRO",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(GROUP)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "GROUP_KEY",
                 .description = "Name Order",
                 .components = {asc(GRO::GROUP)},
                 .unique = true,
                 .primary = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl groupres() {
    static constexpr Numbered fields[] = {
        NUMBERED(GRP, GROUPRES, GROUP),
        NUMBERED(GRP, GROUPRES, RESOURCES),
    };
    static_assert(inStoredOrder(fields, sizeof(GROUPRES)));
    return {
        .id = Tbl::GROUPRES,
        .name = "GROUPRES",
        .label = "GROUPRESOURCES",
        .prefix = "GRP",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(GROUPRES)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "GROUP_KEY",
                 .description = "GROUP NAMES KEY",
                 .components = {asc(GRP::GROUP), asc(GRP::RESOURCES)},
                 .unique = true,
                 .caseInsensitive = false},
                {.name = "RESOURCE_KEY",
                 .description = "GRP:Resource_key",
                 .components = {asc(GRP::RESOURCES)},
                 .caseInsensitive = false},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl resuser() {
    static constexpr Numbered fields[] = {
        NUMBERED(RUS, RESUSER, RESOURCE),
        NUMBERED(RUS, RESUSER, USERNAME),
    };
    static_assert(inStoredOrder(fields, sizeof(RESUSER)));
    return {
        .id = Tbl::RESUSER,
        .name = "RESUSER",
        .label = "RESUSER",
        .prefix = "RUS",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(RESUSER)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "RESOURCE_KEY",
                 .description = "RUS:Resource_key",
                 .components = {asc(RUS::RESOURCE), asc(RUS::USERNAME)},
                 .unique = true,
                 .primary = true},
                {.name = "USERNAME_KEY",
                 .description = "RUS:UserName_key",
                 .components = {asc(RUS::USERNAME), asc(RUS::RESOURCE)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl client() {
    static constexpr Numbered fields[] = {
        NUMBERED(CLI, CLIENT, ADDRESS),     NUMBERED(CLI, CLIENT, NOTES),
        NUMBERED(CLI, CLIENT, CLIENT),      NUMBERED(CLI, CLIENT, CONTACT),
        NUMBERED(CLI, CLIENT, PHONE),       NUMBERED(CLI, CLIENT, FAX),
        NUMBERED(CLI, CLIENT, EMAIL),       NUMBERED(CLI, CLIENT, USERNAME),
        NUMBERED(CLI, CLIENT, DATECHANGED), NUMBERED(CLI, CLIENT, TIMECHANGED),
    };
    static_assert(inStoredOrder(fields, sizeof(CLIENT)));
    return {
        .id = Tbl::CLIENT,
        .name = "CLIENT",
        .label = "CLIENT",
        .prefix = "CLI",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(CLIENT)),
        .fields = fieldsOf(fields),
        .keys =
            {
                // Case-insensitive: names that differ only in letter case are one client.
                {.name = "CLIENT_KEY",
                 .description = "Client Alpha",
                 .components = {asc(CLI::CLIENT)},
                 .unique = true,
                 .primary = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl special() {
    static constexpr Numbered fields[] = {
        NUMBERED(SPE, SPECIAL, STARTDATE),
        NUMBERED(SPE, SPECIAL, ENDDATE),
        NUMBERED(SPE, SPECIAL, DESCRIPTION),
    };
    static_assert(inStoredOrder(fields, sizeof(SPECIAL)));
    return {
        .id = Tbl::SPECIAL,
        .name = "SPECIAL",
        .label = "SPECIAL",
        .prefix = "SPE",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(SPECIAL)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "DATE_KEY",
                 .description = "Date Order",
                 .components = {asc(SPE::STARTDATE)}},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

/// The scan row height check shared by the system's and each user's preferences.
FieldCheck heightCheck(Field height) {
    return {.field = at(height),
            .hasLow = true,
            .low = 6,
            .hasHigh = true,
            .high = 20,
            .description = "Height of TimeSlots in Scan",
            .messageId = 16,
            .rangeText = "6 and 20"};
}

TableDecl syspref() {
    static constexpr Numbered fields[] = {
        NUMBERED(SYP, SYSPREF, NAME),        NUMBERED(SYP, SYSPREF, CLIENT),
        NUMBERED(SYP, SYSPREF, RESOURCE),    NUMBERED(SYP, SYSPREF, STARTTIME),
        NUMBERED(SYP, SYSPREF, DURATION),    NUMBERED(SYP, SYSPREF, BEGINDAY),
        NUMBERED(SYP, SYSPREF, ENDDAY),      NUMBERED(SYP, SYSPREF, WEEKEND),
        NUMBERED(SYP, SYSPREF, INTERVAL),    NUMBERED(SYP, SYSPREF, SCANTEXT),
        NUMBERED(SYP, SYSPREF, SCANSIZE),    NUMBERED(SYP, SYSPREF, HEIGHT),
        NUMBERED(SYP, SYSPREF, ACCESSTRIES), NUMBERED(SYP, SYSPREF, ADVANCEDAYS),
        NUMBERED(SYP, SYSPREF, NOCONFLICT),  NUMBERED(SYP, SYSPREF, CLIENTGENERAL),
        NUMBERED(SYP, SYSPREF, LOCK),        NUMBERED(SYP, SYSPREF, ALERT),
        NUMBERED(SYP, SYSPREF, ALERTLEAD),   NUMBERED(SYP, SYSPREF, ACTUAL),
        NUMBERED(SYP, SYSPREF, USERNAME),    NUMBERED(SYP, SYSPREF, DATECHANGED),
        NUMBERED(SYP, SYSPREF, TIMECHANGED), NUMBERED(SYP, SYSPREF, BACKUPDATE),
        NUMBERED(SYP, SYSPREF, BACKUPTIME),  NUMBERED(SYP, SYSPREF, BACKUPHOURS),
        NUMBERED(SYP, SYSPREF, LABELS1_1),   NUMBERED(SYP, SYSPREF, LABELS1_2),
        NUMBERED(SYP, SYSPREF, LABELS2_1),   NUMBERED(SYP, SYSPREF, LABELS2_2),
        NUMBERED(SYP, SYSPREF, LABELS3_1),   NUMBERED(SYP, SYSPREF, LABELS3_2),
        NUMBERED(SYP, SYSPREF, OPTIMMANY),
    };
    static_assert(inStoredOrder(fields, sizeof(SYSPREF)));
    return {
        .id = Tbl::SYSPREF,
        .name = "SYSPREF",
        .label = "SYSPREF",
        .prefix = "SYP",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(SYSPREF)),
        .fields = fieldsOf(fields),
        .keys = {},
        .initialValues = {{.field = at(SYP::NOCONFLICT), .number = 0},
                          {.field = at(SYP::CLIENTGENERAL), .number = 1},
                          {.field = at(SYP::ALERT), .text = "None"},
                          {.field = at(SYP::ACTUAL), .number = 0}},
        .fieldChecks = {heightCheck(SYP::HEIGHT),
                        {.field = at(SYP::ADVANCEDAYS),
                         .hasLow = true,
                         .low = 0,
                         .description = "Max Days Booking in Advance",
                         .messageId = 18,
                         .rangeText = "0"}},
    };
}

TableDecl userpref() {
    static constexpr Numbered fields[] = {
        NUMBERED(USP, USERPREF, NAME),        NUMBERED(USP, USERPREF, CLIENT),
        NUMBERED(USP, USERPREF, RESOURCE),    NUMBERED(USP, USERPREF, STARTTIME),
        NUMBERED(USP, USERPREF, DURATION),    NUMBERED(USP, USERPREF, BEGINDAY),
        NUMBERED(USP, USERPREF, ENDDAY),      NUMBERED(USP, USERPREF, WEEKEND),
        NUMBERED(USP, USERPREF, INTERVAL),    NUMBERED(USP, USERPREF, SCANTEXT),
        NUMBERED(USP, USERPREF, SCANSIZE),    NUMBERED(USP, USERPREF, HEIGHT),
        NUMBERED(USP, USERPREF, USERNAME),    NUMBERED(USP, USERPREF, PROGRAMNAME),
        NUMBERED(USP, USERPREF, PROGRAMPATH),
    };
    static_assert(inStoredOrder(fields, sizeof(USERPREF)));
    return {
        .id = Tbl::USERPREF,
        .name = "USERPREF",
        .label = "USERPREF",
        .prefix = "USP",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(USERPREF)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "USERNAME_KEY",
                 .description = "USP:UserName_key",
                 .components = {asc(USP::USERNAME)},
                 .unique = true,
                 .primary = true},
            },
        .initialValues = {},
        .fieldChecks = {heightCheck(USP::HEIGHT)},
    };
}

TableDecl durlist() {
    static constexpr Numbered fields[] = {
        NUMBERED(DUR, DURLIST, DURATION),
        NUMBERED(DUR, DURLIST, USERNAME),
    };
    static_assert(inStoredOrder(fields, sizeof(DURLIST)));
    return {
        .id = Tbl::DURLIST,
        .name = "DURLIST",
        .label = "DURLIST",
        .prefix = "DUR",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(DURLIST)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "DURATION_KEY",
                 .description = "DUR:Duration_key",
                 .components = {asc(DUR::DURATION)}},
                {.name = "USERNAME_KEY",
                 .description = "DUR:UserName_key",
                 .components = {asc(DUR::USERNAME), asc(DUR::DURATION)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl routinea() {
    static constexpr Numbered fields[] = {
        NUMBERED(ROU, ROUTINEA, NAME),
        NUMBERED(ROU, ROUTINEA, USERNAME),
    };
    static_assert(inStoredOrder(fields, sizeof(ROUTINEA)));
    return {
        .id = Tbl::ROUTINEA,
        .name = "ROUTINEA",
        .label = "ROUTINEACT",
        .prefix = "ROU",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(ROUTINEA)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "NAME_KEY", .description = "ROU:Name_key", .components = {asc(ROU::NAME)}},
                {.name = "USERNAME_KEY",
                 .description = "ROU:UserName_key",
                 .components = {asc(ROU::USERNAME), asc(ROU::NAME)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl users() {
    static constexpr Numbered fields[] = {
        NUMBERED(USE, USERS, USERNAME),    NUMBERED(USE, USERS, LASTNAME),
        NUMBERED(USE, USERS, FIRSTNAME),   NUMBERED(USE, USERS, DEPARTMENT),
        NUMBERED(USE, USERS, PASSWORD),    NUMBERED(USE, USERS, ACCESSLEVEL),
        NUMBERED(USE, USERS, FAILFLAG),    NUMBERED(USE, USERS, NOTES),
        NUMBERED(USE, USERS, CHANGENAME),  NUMBERED(USE, USERS, DATECHANGED),
        NUMBERED(USE, USERS, TIMECHANGED),
    };
    static_assert(inStoredOrder(fields, sizeof(USERS)));
    return {
        .id = Tbl::USERS,
        .name = "USERS",
        .label = "USERS",
        .prefix = "USE",
        .file = StoreFile::USERS,
        .recordSize = int(sizeof(USERS)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "USERNAME_KEY",
                 .description = "USE:UserName_key",
                 .components = {asc(USE::USERNAME)},
                 .unique = true,
                 .primary = true},
                {.name = "LASTNAME_KEY",
                 .description = "USE:LastName_key",
                 .components = {asc(USE::LASTNAME), asc(USE::FIRSTNAME)},
                 .unique = true},
                {.name = "DEPARTMENT_KEY",
                 .description = "USE:Department_key",
                 .components = {asc(USE::DEPARTMENT), asc(USE::LASTNAME), asc(USE::FIRSTNAME),
                                asc(USE::USERNAME)},
                 .unique = false},
                // Highest rights first; view-only users (level 0) must still appear.
                {.name = "ACCESSLEVEL_KEY",
                 .description = "For Sorting Users includes nulls",
                 .components = {desc(USE::ACCESSLEVEL)},
                 .unique = false,
                 .excludesEmpty = false},
            },
        .initialValues = {{.field = at(USE::FAILFLAG), .number = 0}},
        .fieldChecks = {{.field = at(USE::ACCESSLEVEL),
                         .hasLow = true,
                         .low = 0,
                         .hasHigh = true,
                         .high = 3,
                         .description = "Users access rights",
                         .messageId = 16,
                         .rangeText = "0 and 3"}},
        .sealedFields = {at(USE::PASSWORD)},
    };
}

TableDecl usergrp() {
    static constexpr Numbered fields[] = {
        NUMBERED(USG, USERGRP, GROUP),
        NUMBERED(USG, USERGRP, LASTCHANGEDBY),
        NUMBERED(USG, USERGRP, DATECHANGED),
        NUMBERED(USG, USERGRP, TIMECHANGED),
    };
    static_assert(inStoredOrder(fields, sizeof(USERGRP)));
    return {
        .id = Tbl::USERGRP,
        .name = "USERGRP",
        .label = "USERGROUPS",
        .prefix = "USG",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(USERGRP)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "GROUP_KEY",
                 .description = "Alpha Groups",
                 .components = {asc(USG::GROUP)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

TableDecl usgrpus() {
    static constexpr Numbered fields[] = {
        NUMBERED(UGU, USGRPUS, GROUP),
        NUMBERED(UGU, USGRPUS, USERNAME),
    };
    static_assert(inStoredOrder(fields, sizeof(USGRPUS)));
    return {
        .id = Tbl::USGRPUS,
        .name = "USGRPUS",
        .label = "USERGROUPUSERS",
        .prefix = "UGU",
        .file = StoreFile::RESDATA,
        .recordSize = int(sizeof(USGRPUS)),
        .fields = fieldsOf(fields),
        .keys =
            {
                {.name = "GROUP_KEY",
                 .description = "UGU:Group_key",
                 .components = {asc(UGU::GROUP), asc(UGU::USERNAME)},
                 .unique = true,
                 .primary = true},
                {.name = "USERNAME_KEY",
                 .description = "UGU:UserName_key",
                 .components = {asc(UGU::USERNAME), asc(UGU::GROUP)},
                 .unique = true},
            },
        .initialValues = {},
        .fieldChecks = {},
    };
}

#undef NUMBERED

std::array<TableDecl, kTableCount> buildTables() {
    TableDecl all[] = {
        activity(), dates(),    resact(),  actnotes(), repact(),  control(), resource(),
        group(),    groupres(), resuser(), client(),   special(), syspref(), userpref(),
        durlist(),  routinea(), users(),   usergrp(),  usgrpus(),
    };
    static_assert(std::size(all) == kTableCount);
    std::array<TableDecl, kTableCount> byId;
    for (TableDecl& d : all) byId[int(d.id)] = std::move(d);
    return byId;
}

/// A parent-child relation joined on one field, with its rules.
RelationDecl ruled(Tbl parent, Field parentField, Tbl child, int childKey, Field childField,
                   Rule update, Rule del) {
    return {.parent = parent,
            .child = child,
            .childKey = childKey,
            .links = {{at(parentField), at(childField)}},
            .update = update,
            .del = del};
}

RelationDecl lookup(Tbl parent, Tbl child) {
    return {.parent = parent, .child = child, .links = {}};
}

std::vector<RelationDecl> buildRelations() {
    constexpr Rule None = Rule::None, Cascade = Rule::Cascade;
    return {
        ruled(Tbl::ACTIVITY, ACT::ACTNUMBER, Tbl::REPACT, REP::ACTNUMBER_KEY, REP::ACTNUMBER,
              Cascade, Cascade),
        ruled(Tbl::ACTIVITY, ACT::ACTNUMBER, Tbl::ACTNOTES, ACN::ACTNUMBER_KEY, ACN::ACTNUMBER,
              Cascade, Cascade),
        ruled(Tbl::ACTIVITY, ACT::ACTNUMBER, Tbl::DATES, DAT::ACTNUMBER_KEY, DAT::ACTNUMBER,
              Cascade, Cascade),
        // A booking's resource rows are removed by the booking engine itself, not by rule.
        ruled(Tbl::ACTIVITY, ACT::ACTNUMBER, Tbl::RESACT, RAC::ACTIVITY_KEY, RAC::ACTNUMBER, None,
              None),
        ruled(Tbl::DATES, DAT::ACTNUMBER, Tbl::RESACT, RAC::ACTIVITY_KEY, RAC::ACTNUMBER, None,
              None),
        ruled(Tbl::CLIENT, CLI::CLIENT, Tbl::ACTIVITY, ACT::CLIENT_KEY, ACT::CLIENT, Cascade,
              Cascade),
        ruled(Tbl::RESOURCE, RES::RESOURCE, Tbl::RESUSER, RUS::RESOURCE_KEY, RUS::RESOURCE, Cascade,
              Cascade),
        ruled(Tbl::RESOURCE, RES::RESOURCE, Tbl::GROUPRES, GRP::RESOURCE_KEY, GRP::RESOURCES,
              Cascade, Cascade),
        // Deleting a resource leaves the bookings that used it as they were.
        ruled(Tbl::RESOURCE, RES::RESOURCE, Tbl::RESACT, RAC::RESOURCE_KEY, RAC::RESOURCE, Cascade,
              None),
        ruled(Tbl::GROUP, GRO::GROUP, Tbl::GROUPRES, GRP::GROUP_KEY, GRP::GROUP, Cascade, Cascade),
        ruled(Tbl::USERS, USE::USERNAME, Tbl::DURLIST, DUR::USERNAME_KEY, DUR::USERNAME, Cascade,
              Cascade),
        ruled(Tbl::USERS, USE::USERNAME, Tbl::ROUTINEA, ROU::USERNAME_KEY, ROU::USERNAME, Cascade,
              Cascade),
        ruled(Tbl::USERS, USE::USERNAME, Tbl::USERPREF, USP::USERNAME_KEY, USP::USERNAME, Cascade,
              Cascade),
        ruled(Tbl::USERS, USE::USERNAME, Tbl::USGRPUS, UGU::USERNAME_KEY, UGU::USERNAME, Cascade,
              Cascade),
        ruled(Tbl::USERS, USE::USERNAME, Tbl::RESUSER, RUS::USERNAME_KEY, RUS::USERNAME, Cascade,
              Cascade),
        ruled(Tbl::USERGRP, USG::GROUP, Tbl::USGRPUS, UGU::GROUP_KEY, UGU::GROUP, Cascade, Cascade),

        lookup(Tbl::ACTIVITY, Tbl::DATES),
        lookup(Tbl::ACTIVITY, Tbl::REPACT),
        lookup(Tbl::ACTIVITY, Tbl::ACTNOTES),
        lookup(Tbl::ACTIVITY, Tbl::RESACT),
        lookup(Tbl::DATES, Tbl::RESACT),
        lookup(Tbl::RESOURCE, Tbl::RESACT),
        lookup(Tbl::CLIENT, Tbl::ACTIVITY),
        lookup(Tbl::RESOURCE, Tbl::GROUPRES),
        lookup(Tbl::GROUP, Tbl::GROUPRES),
        lookup(Tbl::RESOURCE, Tbl::RESUSER),
        lookup(Tbl::USERS, Tbl::RESUSER),
        lookup(Tbl::USERGRP, Tbl::USGRPUS),
        lookup(Tbl::USERS, Tbl::USGRPUS),
        lookup(Tbl::USERS, Tbl::DURLIST),
        lookup(Tbl::USERS, Tbl::ROUTINEA),
        lookup(Tbl::USERS, Tbl::USERPREF),
    };
}

}  // namespace

const TableDecl& tableDecl(Tbl t) {
    static const std::array<TableDecl, kTableCount> tables = buildTables();
    return tables[int(t)];
}

const std::vector<RelationDecl>& relationDecls() {
    static const std::vector<RelationDecl> relations = buildRelations();
    return relations;
}

std::vector<const RelationDecl*> relationsOf(Tbl t) {
    std::vector<const RelationDecl*> out;
    for (const RelationDecl& r : relationDecls()) {
        if (r.parent == t || r.child == t) out.push_back(&r);
    }
    return out;
}

}  // namespace store

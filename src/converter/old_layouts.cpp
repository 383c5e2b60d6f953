#include "converter/old_layouts.h"

#include <array>
#include <cstring>
#include <vector>

#include "store/tables.h"

namespace converter {

using store::FieldDecl;
using store::KeyDecl;
using store::StoreFile;
using store::TableDecl;
using store::Tbl;

namespace {

/// The keys of today's table whose fields the old layout holds under the same names.
std::vector<KeyDecl> keysLike(const TableDecl& today, const std::vector<FieldDecl>& fields) {
    auto indexOf = [&](const char* name) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (std::strcmp(fields[i].name, name) == 0) return int(i);
        return -1;
    };
    std::vector<KeyDecl> keys;
    for (const KeyDecl& k : today.keys) {
        KeyDecl old = k;
        bool complete = true;
        for (store::KeyComponent& c : old.components) {
            c.field = indexOf(today.fields[c.field].name);
            complete = complete && c.field >= 0;
        }
        if (complete) keys.push_back(old);
    }
    return keys;
}

TableDecl declare(Tbl today, const char* name, const char* prefix, StoreFile file, int size,
                  std::vector<FieldDecl> fields) {
    TableDecl d{
        .id = today,
        .name = name,
        .label = name,
        .prefix = prefix,
        .file = file,
        .recordSize = size,
        .fields = std::move(fields),
        .keys = {},
        .initialValues = {},
        .fieldChecks = {},
    };
    d.keys = keysLike(store::tableDecl(today), d.fields);
    return d;
}

#define F(REC, M) STORE_FIELD(REC, M)

std::array<TableDecl, 15> makeAll() {
    constexpr StoreFile R = StoreFile::RESDATA;
    return {
        declare(Tbl::USERS, "USERS", "IN1", R, sizeof(IN1),
                {F(IN1, USERNAME), F(IN1, LASTNAME), F(IN1, FIRSTNAME), F(IN1, DEPARTMENT),
                 F(IN1, PASSWORD), F(IN1, ACCESSLEVEL), F(IN1, FAILFLAG), F(IN1, CHANGENAME),
                 F(IN1, DATECHANGED), F(IN1, TIMECHANGED)}),
        declare(Tbl::DATES, "DATES", "IN2", R, sizeof(IN2),
                {F(IN2, ACTNUMBER), F(IN2, DATE), F(IN2, TIME), F(IN2, ENDTIME), F(IN2, DATETEXT),
                 F(IN2, DAYNAME)}),
        declare(
            Tbl::USERPREF, "USERPREF", "IN3", R, sizeof(IN3),
            {F(IN3, NAME),        F(IN3, CLIENT),      F(IN3, RESOURCE),    F(IN3, STARTTIME),
             F(IN3, DURATION),    F(IN3, BEGINDAY),    F(IN3, ENDDAY),      F(IN3, WEEKEND),
             F(IN3, INTERVAL),    F(IN3, SCANTEXT),    F(IN3, SCANSIZE),    F(IN3, HEIGHT),
             F(IN3, ACCESSTRIES), F(IN3, ADVANCEDAYS), F(IN3, NOCONFLICT),  F(IN3, CLIENTGENERAL),
             F(IN3, USERNAME),    F(IN3, DATECHANGED), F(IN3, TIMECHANGED), F(IN3, TCF),
             F(IN3, BACKUPDATE),  F(IN3, BACKUPTIME),  F(IN3, BACKUPHOURS)}),
        declare(Tbl::DURLIST, "DURLIST", "IN4", R, sizeof(IN4), {F(IN4, DURATION)}),
        declare(Tbl::ROUTINEA, "ROUTINEA", "IN5", R, sizeof(IN5), {F(IN5, NAME)}),
        declare(Tbl::RESACT, "RESACT", "IN8", R, sizeof(IN8),
                {F(IN8, ACTNUMBER), F(IN8, RESOURCE)}),
        declare(Tbl::RESOURCE, "RESOURCE", "IN9", R, sizeof(IN9),
                {F(IN9, RESOURCE), F(IN9, NAME), F(IN9, USERNAME), F(IN9, DATECHANGED),
                 F(IN9, TIMECHANGED), F(IN9, DATE), F(IN9, NOTES)}),
        declare(
            Tbl::ACTIVITY, "ACTIVITY", "INA", R, sizeof(INA),
            {F(INA, ACTNUMBER), F(INA, NAME), F(INA, CLIENT), F(INA, USERNAME), F(INA, CHANGEDATE),
             F(INA, CHANGETIME), F(INA, LOCK), F(INA, REPEATTYPE), F(INA, REPNUMBER), F(INA, WEEK),
             F(INA, WEEKDAY), F(INA, SETDAY), F(INA, REPEND), F(INA, NOTES)}),
        declare(
            Tbl::SYSPREF, "SYSPREF", "INB", R, sizeof(INB),
            {F(INB, NAME),          F(INB, CLIENT),      F(INB, RESOURCE),    F(INB, STARTTIME),
             F(INB, DURATION),      F(INB, BEGINDAY),    F(INB, ENDDAY),      F(INB, WEEKEND),
             F(INB, INTERVAL),      F(INB, SCANTEXT),    F(INB, SCANSIZE),    F(INB, HEIGHT),
             F(INB, ACCESSTRIES),   F(INB, ADVANCEDAYS), F(INB, NOCONFLICT),  F(INB, LOCK),
             F(INB, CLIENTGENERAL), F(INB, ALERT),       F(INB, ALERTLEAD),   F(INB, ACTUAL),
             F(INB, USERNAME),      F(INB, DATECHANGED), F(INB, TIMECHANGED), F(INB, TCF),
             F(INB, BACKUPDATE),    F(INB, BACKUPTIME),  F(INB, BACKUPHOURS), F(INB, LABELS),
             F(INB, PROGRAMPREF),   F(INB, PROGRAMNAME), F(INB, PROGRAMPATH), F(INB, OPTIMMANY)}),
        declare(Tbl::CLIENT, "CLIENT", "INC", R, sizeof(INC),
                {F(INC, CLIENT), F(INC, CONTACT), F(INC, PHONE), F(INC, FAX), F(INC, USERNAME),
                 F(INC, DATECHANGED), F(INC, TIMECHANGED), F(INC, ADDRESS), F(INC, NOTES)}),
        declare(Tbl::RESOURCE, "RESOURCE", "IND", R, sizeof(IND),
                {F(IND, RESOURCE), F(IND, NAME), F(IND, UNITS), F(IND, USERNAME),
                 F(IND, DATECHANGED), F(IND, TIMECHANGED), F(IND, DATE), F(IND, NOTES)}),
        declare(Tbl::USERS, "USERS", "INE", R, sizeof(INE),
                {F(INE, USERNAME), F(INE, LASTNAME), F(INE, FIRSTNAME), F(INE, DEPARTMENT),
                 F(INE, PASSWORD), F(INE, ACCESSLEVEL), F(INE, FAILFLAG), F(INE, CHANGENAME),
                 F(INE, DATECHANGED), F(INE, TIMECHANGED), F(INE, NOTES)}),
        declare(Tbl::DATES, "DATES", "INF", R, sizeof(INF),
                {F(INF, ACTNUMBER), F(INF, DATE), F(INF, TIME), F(INF, ACTUALSTART),
                 F(INF, ACTUALEND), F(INF, ENDTIME), F(INF, DATETEXT), F(INF, DAYNAME)}),
        declare(Tbl::GROUPRES, "GROUPRES", "ING", R, sizeof(ING),
                {F(ING, GROUP), F(ING, RESOURCES)}),
        declare(Tbl::SYSPREF, "SYSPREF", "INB", R, sizeof(INB320),
                {F(INB320, NAME),        F(INB320, CLIENT),      F(INB320, RESOURCE),
                 F(INB320, STARTTIME),   F(INB320, DURATION),    F(INB320, BEGINDAY),
                 F(INB320, ENDDAY),      F(INB320, WEEKEND),     F(INB320, INTERVAL),
                 F(INB320, SCANTEXT),    F(INB320, SCANSIZE),    F(INB320, HEIGHT),
                 F(INB320, ACCESSTRIES), F(INB320, ADVANCEDAYS), F(INB320, NOCONFLICT),
                 F(INB320, LOCK),        F(INB320, ALERT),       F(INB320, ALERTLEAD),
                 F(INB320, ACTUAL),      F(INB320, USERNAME),    F(INB320, DATECHANGED),
                 F(INB320, TIMECHANGED), F(INB320, BACKUPDATE),  F(INB320, BACKUPTIME),
                 F(INB320, BACKUPHOURS), F(INB320, LABELS1_1),   F(INB320, LABELS1_2),
                 F(INB320, LABELS2_1),   F(INB320, LABELS2_2),   F(INB320, LABELS3_1),
                 F(INB320, LABELS3_2),   F(INB320, OPTIMMANY)}),
    };
}

#undef F

}  // namespace

const TableDecl& oldDecl(Old which) {
    static const std::array<TableDecl, 15> all = makeAll();
    return all[std::size_t(which)];
}

}  // namespace converter

#pragma once

// The table layouts of the earlier releases, as the converter reads them: one packed record
// struct per layout, named by the converter's input prefix, and its declaration. A memo is
// kept after the packed fields of the record image; the record size each release wrote
// (the packed part) is checked beside each struct.

#include <cstddef>

#include "store/fixed_string.h"
#include "store/record.h"
#include "store/table_decl.h"

namespace converter {

using store::BYTE;
using store::LONG;
using store::MEMO;
using store::SHORT;
using store::STRING;

#pragma pack(push, 1)

/// 2.x users, kept in the main store file.
struct IN1 {
    STRING<15> USERNAME;
    STRING<20> LASTNAME;
    STRING<20> FIRSTNAME;
    STRING<40> DEPARTMENT;
    STRING<10> PASSWORD;
    BYTE ACCESSLEVEL;
    BYTE FAILFLAG;
    STRING<15> CHANGENAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
};
static_assert(sizeof(IN1) == 130);

/// 2.x occurrences of a booking.
struct IN2 {
    LONG ACTNUMBER;
    LONG DATE;
    LONG TIME;
    LONG ENDTIME;
    STRING<11> DATETEXT;
    STRING<4> DAYNAME;
};
static_assert(sizeof(IN2) == 31);

/// 2.x preferences: one record, stored as "USERPREF", for the whole system.
struct IN3 {
    STRING<50> NAME;
    STRING<30> CLIENT;
    STRING<10> RESOURCE;
    LONG STARTTIME;
    LONG DURATION;
    LONG BEGINDAY;
    LONG ENDDAY;
    BYTE WEEKEND;
    LONG INTERVAL;
    STRING<8> SCANTEXT;
    SHORT SCANSIZE;
    BYTE HEIGHT;
    BYTE ACCESSTRIES;
    SHORT ADVANCEDAYS;
    BYTE NOCONFLICT;
    BYTE CLIENTGENERAL;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    STRING<48> TCF;
    LONG BACKUPDATE;
    LONG BACKUPTIME;
    SHORT BACKUPHOURS;
};
static_assert(sizeof(IN3) == 208);
static_assert(offsetof(IN3, HEIGHT) == 121);

/// 2.x list of durations, one list for everybody.
struct IN4 {
    LONG DURATION;
};
static_assert(sizeof(IN4) == 4);

/// 2.x list of routine booking names, one list for everybody.
struct IN5 {
    STRING<50> NAME;
};
static_assert(sizeof(IN5) == 50);

/// 2.x and 3.0 resource links of a booking, without units.
struct IN8 {
    LONG ACTNUMBER;
    STRING<15> RESOURCE;
};
static_assert(sizeof(IN8) == 19);

/// 2.x and 3.0 resources, without units.
struct IN9 {
    STRING<15> RESOURCE;
    STRING<30> NAME;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    LONG DATE;
    MEMO<1000> NOTES;
};
static_assert(offsetof(IN9, NOTES) == 72);

/// 2.x to 3.1 bookings, with the repeat rule held as texts and the notes as a memo.
struct INA {
    LONG ACTNUMBER;
    STRING<50> NAME;
    STRING<30> CLIENT;
    STRING<15> USERNAME;
    LONG CHANGEDATE;
    LONG CHANGETIME;
    BYTE LOCK;
    STRING<18> REPEATTYPE;
    SHORT REPNUMBER;
    STRING<4> WEEK;
    BYTE WEEKDAY;
    BYTE SETDAY[7];
    LONG REPEND;
    MEMO<1000> NOTES;
};
static_assert(offsetof(INA, NOTES) == 144);

/// 3.0 and 3.1 system preferences.
struct INB {
    STRING<50> NAME;
    STRING<30> CLIENT;
    STRING<10> RESOURCE;
    LONG STARTTIME;
    LONG DURATION;
    LONG BEGINDAY;
    LONG ENDDAY;
    BYTE WEEKEND;
    LONG INTERVAL;
    STRING<8> SCANTEXT;
    SHORT SCANSIZE;
    BYTE HEIGHT;
    BYTE ACCESSTRIES;
    SHORT ADVANCEDAYS;
    BYTE NOCONFLICT;
    BYTE LOCK;
    BYTE CLIENTGENERAL;
    STRING<9> ALERT;
    SHORT ALERTLEAD;
    BYTE ACTUAL;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    STRING<48> TCF;
    LONG BACKUPDATE;
    LONG BACKUPTIME;
    SHORT BACKUPHOURS;
    STRING<20> LABELS[6];
    BYTE PROGRAMPREF;
    STRING<20> PROGRAMNAME[5];
    STRING<80> PROGRAMPATH[5];
    BYTE OPTIMMANY;
};
static_assert(sizeof(INB) == 843);

/// 2.x to 3.1 clients, with address and notes as memos.
struct INC {
    STRING<30> CLIENT;
    STRING<30> CONTACT;
    STRING<20> PHONE;
    STRING<20> FAX;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    MEMO<120> ADDRESS;
    MEMO<1000> NOTES;
};
static_assert(offsetof(INC, ADDRESS) == 123);

/// 3.1 resources, with units.
struct IND {
    STRING<15> RESOURCE;
    STRING<30> NAME;
    SHORT UNITS;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    LONG DATE;
    MEMO<1000> NOTES;
};
static_assert(offsetof(IND, NOTES) == 74);

/// 3.1 users, still in the main store file, with notes as a memo.
struct INE {
    STRING<15> USERNAME;
    STRING<20> LASTNAME;
    STRING<20> FIRSTNAME;
    STRING<40> DEPARTMENT;
    STRING<10> PASSWORD;
    BYTE ACCESSLEVEL;
    BYTE FAILFLAG;
    STRING<15> CHANGENAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    MEMO<1000> NOTES;
};
static_assert(offsetof(INE, NOTES) == 130);

/// 3.0 and 3.1 occurrences of a booking, with actual times and the date as texts.
struct INF {
    LONG ACTNUMBER;
    LONG DATE;
    LONG TIME;
    LONG ACTUALSTART;
    LONG ACTUALEND;
    LONG ENDTIME;
    STRING<11> DATETEXT;
    STRING<4> DAYNAME;
};
static_assert(sizeof(INF) == 39);

/// 2.x to 3.1 group membership: the layout of today.
struct ING {
    STRING<15> GROUP;
    STRING<15> RESOURCES;
};
static_assert(sizeof(ING) == 30);

/// 3.20 system preferences: today's without CLIENTGENERAL.
struct INB320 {
    STRING<50> NAME;
    STRING<30> CLIENT;
    STRING<10> RESOURCE;
    LONG STARTTIME;
    LONG DURATION;
    LONG BEGINDAY;
    LONG ENDDAY;
    BYTE WEEKEND;
    LONG INTERVAL;
    STRING<8> SCANTEXT;
    SHORT SCANSIZE;
    BYTE HEIGHT;
    BYTE ACCESSTRIES;
    SHORT ADVANCEDAYS;
    BYTE NOCONFLICT;
    BYTE LOCK;
    STRING<9> ALERT;
    SHORT ALERTLEAD;
    BYTE ACTUAL;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    LONG BACKUPDATE;
    LONG BACKUPTIME;
    SHORT BACKUPHOURS;
    STRING<20> LABELS1_1;
    STRING<20> LABELS1_2;
    STRING<20> LABELS2_1;
    STRING<20> LABELS2_2;
    STRING<20> LABELS3_1;
    STRING<20> LABELS3_2;
    BYTE OPTIMMANY;
};
static_assert(sizeof(INB320) == 293);

#pragma pack(pop)

/// The earlier layouts, one per input prefix (3.20's preferences apart).
enum class Old { IN1, IN2, IN3, IN4, IN5, IN8, IN9, INA, INB, INC, IND, INE, INF, ING, INB320 };

/// The declaration of an earlier layout: its stored name, fields in stored order and keys.
/// Its keys are those of today's table that its fields can form, so that what an old
/// release enforced is what the converted table enforces.
const store::TableDecl& oldDecl(Old which);

}  // namespace converter

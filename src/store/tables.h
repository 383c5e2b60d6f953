#pragma once

// The data model: the record image of every table, its field numbers and key indexes, and
// the declarations (keys, initial values, field checks, relations) from which the engine,
// the managers and the converter derive everything else.
//
// Field numbers (the Field enums) are 1-based, as messages and field checks name fields;
// code names a field by its enum wherever a store::Field is taken (bindings, joins, views,
// TableDecl::field), and store::Field alone turns the number into the 0-based place in
// TableDecl::fields that the declarations' own lists hold. Key enums are 0-based indexes
// into TableDecl::keys.

#include <cstddef>
#include <vector>

#include "fixed_string.h"
#include "record.h"
#include "table_decl.h"

namespace store {

#pragma pack(push, 1)

/// One booking.
struct ACTIVITY {
    LONG ACTNUMBER;
    STRING<50> NAME;
    STRING<50> CLIENT;
    STRING<15> PRIME;
    SHORT UNITS;
    STRING<15> USERNAME;
    LONG CHANGEDATE;
    LONG CHANGETIME;
    BYTE LOCK;
    BYTE REPEATTYPE;
};
static_assert(sizeof(ACTIVITY) == 146);
static_assert(offsetof(ACTIVITY, ACTNUMBER) == 0);
static_assert(offsetof(ACTIVITY, NAME) == 4);
static_assert(offsetof(ACTIVITY, CLIENT) == 54);
static_assert(offsetof(ACTIVITY, PRIME) == 104);
static_assert(offsetof(ACTIVITY, UNITS) == 119);
static_assert(offsetof(ACTIVITY, USERNAME) == 121);
static_assert(offsetof(ACTIVITY, CHANGEDATE) == 136);
static_assert(offsetof(ACTIVITY, CHANGETIME) == 140);
static_assert(offsetof(ACTIVITY, LOCK) == 144);
static_assert(offsetof(ACTIVITY, REPEATTYPE) == 145);

namespace ACT {
enum Field : int {
    ACTNUMBER = 1,
    NAME,
    CLIENT,
    PRIME,
    UNITS,
    USERNAME,
    CHANGEDATE,
    CHANGETIME,
    LOCK,
    REPEATTYPE,
};
enum Key : int { ACTNUMBER_KEY = 0, NAME_KEY, CLIENT_KEY };
}  // namespace ACT

/// One occurrence of a booking: a date with start and end time.
struct DATES {
    LONG ACTNUMBER;
    LONG DATE;
    LONG TIME;
    LONG ACTUALSTART;
    LONG ACTUALEND;
    LONG ENDTIME;
};
static_assert(sizeof(DATES) == 24);
static_assert(offsetof(DATES, ACTNUMBER) == 0);
static_assert(offsetof(DATES, DATE) == 4);
static_assert(offsetof(DATES, TIME) == 8);
static_assert(offsetof(DATES, ACTUALSTART) == 12);
static_assert(offsetof(DATES, ACTUALEND) == 16);
static_assert(offsetof(DATES, ENDTIME) == 20);

namespace DAT {
enum Field : int { ACTNUMBER = 1, DATE, TIME, ACTUALSTART, ACTUALEND, ENDTIME };
enum Key : int { DATETIME_KEY = 0, ACTNUMBER_KEY, ACTDATES_KEY };
}  // namespace DAT

/// One resource used by a booking, with the units taken.
struct RESACT {
    LONG ACTNUMBER;
    STRING<15> RESOURCE;
    SHORT UNITS;
};
static_assert(sizeof(RESACT) == 21);
static_assert(offsetof(RESACT, ACTNUMBER) == 0);
static_assert(offsetof(RESACT, RESOURCE) == 4);
static_assert(offsetof(RESACT, UNITS) == 19);

namespace RAC {
enum Field : int { ACTNUMBER = 1, RESOURCE, UNITS };
enum Key : int { RESOURCE_KEY = 0, ACTRESOURCE_KEY, ACTIVITY_KEY };
}  // namespace RAC

/// The free-text notes of a booking.
struct ACTNOTES {
    LONG ACTNUMBER;
    STRING<1000> NOTES;
};
static_assert(sizeof(ACTNOTES) == 1004);
static_assert(offsetof(ACTNOTES, ACTNUMBER) == 0);
static_assert(offsetof(ACTNOTES, NOTES) == 4);

namespace ACN {
enum Field : int { ACTNUMBER = 1, NOTES };
enum Key : int { ACTNUMBER_KEY = 0 };
}  // namespace ACN

/// The repeat description of a repeating booking.
struct REPACT {
    LONG ACTNUMBER;
    SHORT REPNUMBER;
    BYTE WEEKENDREPEAT;
    BYTE WEEK;
    BYTE WEEKDAY;
    BYTE MONDAY;
    BYTE TUESDAY;
    BYTE WEDNESDAY;
    BYTE THURSDAY;
    BYTE FRIDAY;
    BYTE SATURDAY;
    BYTE SUNDAY;
    LONG REPEND;
};
static_assert(sizeof(REPACT) == 20);
static_assert(offsetof(REPACT, ACTNUMBER) == 0);
static_assert(offsetof(REPACT, REPNUMBER) == 4);
static_assert(offsetof(REPACT, WEEKENDREPEAT) == 6);
static_assert(offsetof(REPACT, WEEK) == 7);
static_assert(offsetof(REPACT, WEEKDAY) == 8);
static_assert(offsetof(REPACT, MONDAY) == 9);
static_assert(offsetof(REPACT, TUESDAY) == 10);
static_assert(offsetof(REPACT, WEDNESDAY) == 11);
static_assert(offsetof(REPACT, THURSDAY) == 12);
static_assert(offsetof(REPACT, FRIDAY) == 13);
static_assert(offsetof(REPACT, SATURDAY) == 14);
static_assert(offsetof(REPACT, SUNDAY) == 15);
static_assert(offsetof(REPACT, REPEND) == 16);

namespace REP {
enum Field : int {
    ACTNUMBER = 1,
    REPNUMBER,
    WEEKENDREPEAT,
    WEEK,
    WEEKDAY,
    MONDAY,
    TUESDAY,
    WEDNESDAY,
    THURSDAY,
    FRIDAY,
    SATURDAY,
    SUNDAY,
    REPEND,
};
enum Key : int { ACTNUMBER_KEY = 0 };
}  // namespace REP

/// One issued booking number; the highest is the last one issued.
struct CONTROL {
    LONG NUMBER;
};
static_assert(sizeof(CONTROL) == 4);
static_assert(offsetof(CONTROL, NUMBER) == 0);

namespace CON {
enum Field : int { NUMBER = 1 };
enum Key : int { NUMBER_KEY = 0 };
}  // namespace CON

/// A bookable resource; its short name is its code and identity.
struct RESOURCE {
    STRING<1000> NOTES;
    STRING<15> RESOURCE;
    STRING<30> NAME;
    SHORT UNITS;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
    LONG DATE;
};
static_assert(sizeof(RESOURCE) == 1074);
static_assert(offsetof(RESOURCE, NOTES) == 0);
static_assert(offsetof(RESOURCE, RESOURCE) == 1000);
static_assert(offsetof(RESOURCE, NAME) == 1015);
static_assert(offsetof(RESOURCE, UNITS) == 1045);
static_assert(offsetof(RESOURCE, USERNAME) == 1047);
static_assert(offsetof(RESOURCE, DATECHANGED) == 1062);
static_assert(offsetof(RESOURCE, TIMECHANGED) == 1066);
static_assert(offsetof(RESOURCE, DATE) == 1070);

namespace RES {
enum Field : int { NOTES = 1, RESOURCE, NAME, UNITS, USERNAME, DATECHANGED, TIMECHANGED, DATE };
enum Key : int { RESOURCE_KEY = 0 };
}  // namespace RES

/// A named group of resources.
struct GROUP {
    STRING<15> GROUP;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
};
static_assert(sizeof(GROUP) == 38);
static_assert(offsetof(GROUP, GROUP) == 0);
static_assert(offsetof(GROUP, USERNAME) == 15);
static_assert(offsetof(GROUP, DATECHANGED) == 30);
static_assert(offsetof(GROUP, TIMECHANGED) == 34);

namespace GRO {
enum Field : int { GROUP = 1, USERNAME, DATECHANGED, TIMECHANGED };
enum Key : int { GROUP_KEY = 0 };
}  // namespace GRO

/// Membership of a resource in a group.
struct GROUPRES {
    STRING<15> GROUP;
    STRING<15> RESOURCES;
};
static_assert(sizeof(GROUPRES) == 30);
static_assert(offsetof(GROUPRES, GROUP) == 0);
static_assert(offsetof(GROUPRES, RESOURCES) == 15);

namespace GRP {
enum Field : int { GROUP = 1, RESOURCES };
enum Key : int { GROUP_KEY = 0, RESOURCE_KEY };
}  // namespace GRP

/// A user authorised to book a resource.
struct RESUSER {
    STRING<15> RESOURCE;
    STRING<15> USERNAME;
};
static_assert(sizeof(RESUSER) == 30);
static_assert(offsetof(RESUSER, RESOURCE) == 0);
static_assert(offsetof(RESUSER, USERNAME) == 15);

namespace RUS {
enum Field : int { RESOURCE = 1, USERNAME };
enum Key : int { RESOURCE_KEY = 0, USERNAME_KEY };
}  // namespace RUS

/// A client for whom bookings are made; its name is its identity.
struct CLIENT {
    STRING<200> ADDRESS;
    STRING<1000> NOTES;
    STRING<50> CLIENT;
    STRING<30> CONTACT;
    STRING<20> PHONE;
    STRING<20> FAX;
    STRING<50> EMAIL;
    STRING<15> USERNAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
};
static_assert(sizeof(CLIENT) == 1393);
static_assert(offsetof(CLIENT, ADDRESS) == 0);
static_assert(offsetof(CLIENT, NOTES) == 200);
static_assert(offsetof(CLIENT, CLIENT) == 1200);
static_assert(offsetof(CLIENT, CONTACT) == 1250);
static_assert(offsetof(CLIENT, PHONE) == 1280);
static_assert(offsetof(CLIENT, FAX) == 1300);
static_assert(offsetof(CLIENT, EMAIL) == 1320);
static_assert(offsetof(CLIENT, USERNAME) == 1370);
static_assert(offsetof(CLIENT, DATECHANGED) == 1385);
static_assert(offsetof(CLIENT, TIMECHANGED) == 1389);

namespace CLI {
enum Field : int {
    ADDRESS = 1,
    NOTES,
    CLIENT,
    CONTACT,
    PHONE,
    FAX,
    EMAIL,
    USERNAME,
    DATECHANGED,
    TIMECHANGED,
};
enum Key : int { CLIENT_KEY = 0 };
}  // namespace CLI

/// A period of special days (holidays).
struct SPECIAL {
    LONG STARTDATE;
    LONG ENDDATE;
    STRING<20> DESCRIPTION;
};
static_assert(sizeof(SPECIAL) == 28);
static_assert(offsetof(SPECIAL, STARTDATE) == 0);
static_assert(offsetof(SPECIAL, ENDDATE) == 4);
static_assert(offsetof(SPECIAL, DESCRIPTION) == 8);

namespace SPE {
enum Field : int { STARTDATE = 1, ENDDATE, DESCRIPTION };
enum Key : int { DATE_KEY = 0 };
}  // namespace SPE

/// The single record of system preferences; fields 1 to 12 are the defaults of a new
/// user's USERPREF.
struct SYSPREF {
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
static_assert(sizeof(SYSPREF) == 294);
static_assert(offsetof(SYSPREF, NAME) == 0);
static_assert(offsetof(SYSPREF, CLIENT) == 50);
static_assert(offsetof(SYSPREF, RESOURCE) == 80);
static_assert(offsetof(SYSPREF, STARTTIME) == 90);
static_assert(offsetof(SYSPREF, DURATION) == 94);
static_assert(offsetof(SYSPREF, BEGINDAY) == 98);
static_assert(offsetof(SYSPREF, ENDDAY) == 102);
static_assert(offsetof(SYSPREF, WEEKEND) == 106);
static_assert(offsetof(SYSPREF, INTERVAL) == 107);
static_assert(offsetof(SYSPREF, SCANTEXT) == 111);
static_assert(offsetof(SYSPREF, SCANSIZE) == 119);
static_assert(offsetof(SYSPREF, HEIGHT) == 121);
static_assert(offsetof(SYSPREF, ACCESSTRIES) == 122);
static_assert(offsetof(SYSPREF, ADVANCEDAYS) == 123);
static_assert(offsetof(SYSPREF, NOCONFLICT) == 125);
static_assert(offsetof(SYSPREF, CLIENTGENERAL) == 126);
static_assert(offsetof(SYSPREF, LOCK) == 127);
static_assert(offsetof(SYSPREF, ALERT) == 128);
static_assert(offsetof(SYSPREF, ALERTLEAD) == 137);
static_assert(offsetof(SYSPREF, ACTUAL) == 139);
static_assert(offsetof(SYSPREF, USERNAME) == 140);
static_assert(offsetof(SYSPREF, DATECHANGED) == 155);
static_assert(offsetof(SYSPREF, TIMECHANGED) == 159);
static_assert(offsetof(SYSPREF, BACKUPDATE) == 163);
static_assert(offsetof(SYSPREF, BACKUPTIME) == 167);
static_assert(offsetof(SYSPREF, BACKUPHOURS) == 171);
static_assert(offsetof(SYSPREF, LABELS1_1) == 173);
static_assert(offsetof(SYSPREF, LABELS1_2) == 193);
static_assert(offsetof(SYSPREF, LABELS2_1) == 213);
static_assert(offsetof(SYSPREF, LABELS2_2) == 233);
static_assert(offsetof(SYSPREF, LABELS3_1) == 253);
static_assert(offsetof(SYSPREF, LABELS3_2) == 273);
static_assert(offsetof(SYSPREF, OPTIMMANY) == 293);

// SYSPREF has no key: its one record is read by positioning at the start of the table.
namespace SYP {
enum Field : int {
    NAME = 1,
    CLIENT,
    RESOURCE,
    STARTTIME,
    DURATION,
    BEGINDAY,
    ENDDAY,
    WEEKEND,
    INTERVAL,
    SCANTEXT,
    SCANSIZE,
    HEIGHT,
    ACCESSTRIES,
    ADVANCEDAYS,
    NOCONFLICT,
    CLIENTGENERAL,
    LOCK,
    ALERT,
    ALERTLEAD,
    ACTUAL,
    USERNAME,
    DATECHANGED,
    TIMECHANGED,
    BACKUPDATE,
    BACKUPTIME,
    BACKUPHOURS,
    LABELS1_1,
    LABELS1_2,
    LABELS2_1,
    LABELS2_2,
    LABELS3_1,
    LABELS3_2,
    OPTIMMANY,
};
}  // namespace SYP

/// One user's preferences: fields 1 to 12 mirror SYSPREF's, which they are made from.
struct USERPREF {
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
    STRING<15> USERNAME;
    STRING<20> PROGRAMNAME[5];  // kept blank: no window uses these
    STRING<80> PROGRAMPATH[5];  // likewise
};
static_assert(sizeof(USERPREF) == 637);
static_assert(offsetof(USERPREF, NAME) == 0);
static_assert(offsetof(USERPREF, CLIENT) == 50);
static_assert(offsetof(USERPREF, RESOURCE) == 80);
static_assert(offsetof(USERPREF, STARTTIME) == 90);
static_assert(offsetof(USERPREF, DURATION) == 94);
static_assert(offsetof(USERPREF, BEGINDAY) == 98);
static_assert(offsetof(USERPREF, ENDDAY) == 102);
static_assert(offsetof(USERPREF, WEEKEND) == 106);
static_assert(offsetof(USERPREF, INTERVAL) == 107);
static_assert(offsetof(USERPREF, SCANTEXT) == 111);
static_assert(offsetof(USERPREF, SCANSIZE) == 119);
static_assert(offsetof(USERPREF, HEIGHT) == 121);
static_assert(offsetof(USERPREF, USERNAME) == 122);
static_assert(offsetof(USERPREF, PROGRAMNAME) == 137);
static_assert(offsetof(USERPREF, PROGRAMPATH) == 237);

namespace USP {
enum Field : int {
    NAME = 1,
    CLIENT,
    RESOURCE,
    STARTTIME,
    DURATION,
    BEGINDAY,
    ENDDAY,
    WEEKEND,
    INTERVAL,
    SCANTEXT,
    SCANSIZE,
    HEIGHT,
    USERNAME,
    PROGRAMNAME,
    PROGRAMPATH,
};
enum Key : int { USERNAME_KEY = 0 };
}  // namespace USP

/// One commonly used booking length in a user's list ("SysPref" for the system's list).
struct DURLIST {
    LONG DURATION;
    STRING<15> USERNAME;
};
static_assert(sizeof(DURLIST) == 19);
static_assert(offsetof(DURLIST, DURATION) == 0);
static_assert(offsetof(DURLIST, USERNAME) == 4);

namespace DUR {
enum Field : int { DURATION = 1, USERNAME };
enum Key : int { DURATION_KEY = 0, USERNAME_KEY };
}  // namespace DUR

/// One routine booking name in a user's list ("SysPref" for the system's list).
struct ROUTINEA {
    STRING<50> NAME;
    STRING<15> USERNAME;
};
static_assert(sizeof(ROUTINEA) == 65);
static_assert(offsetof(ROUTINEA, NAME) == 0);
static_assert(offsetof(ROUTINEA, USERNAME) == 50);

namespace ROU {
enum Field : int { NAME = 1, USERNAME };
enum Key : int { NAME_KEY = 0, USERNAME_KEY };
}  // namespace ROU

/// A user who may log in; the only table of the encrypted USERS file.
struct USERS {
    STRING<15> USERNAME;
    STRING<20> LASTNAME;
    STRING<20> FIRSTNAME;
    STRING<40> DEPARTMENT;
    STRING<10> PASSWORD;
    BYTE ACCESSLEVEL;
    BYTE FAILFLAG;
    STRING<255> NOTES;
    STRING<15> CHANGENAME;
    LONG DATECHANGED;
    LONG TIMECHANGED;
};
static_assert(sizeof(USERS) == 385);
static_assert(offsetof(USERS, USERNAME) == 0);
static_assert(offsetof(USERS, LASTNAME) == 15);
static_assert(offsetof(USERS, FIRSTNAME) == 35);
static_assert(offsetof(USERS, DEPARTMENT) == 55);
static_assert(offsetof(USERS, PASSWORD) == 95);
static_assert(offsetof(USERS, ACCESSLEVEL) == 105);
static_assert(offsetof(USERS, FAILFLAG) == 106);
static_assert(offsetof(USERS, NOTES) == 107);
static_assert(offsetof(USERS, CHANGENAME) == 362);
static_assert(offsetof(USERS, DATECHANGED) == 377);
static_assert(offsetof(USERS, TIMECHANGED) == 381);

namespace USE {
enum Field : int {
    USERNAME = 1,
    LASTNAME,
    FIRSTNAME,
    DEPARTMENT,
    PASSWORD,
    ACCESSLEVEL,
    FAILFLAG,
    NOTES,
    CHANGENAME,
    DATECHANGED,
    TIMECHANGED,
};
enum Key : int { USERNAME_KEY = 0, LASTNAME_KEY, DEPARTMENT_KEY, ACCESSLEVEL_KEY };
}  // namespace USE

/// A named group of users.
struct USERGRP {
    STRING<15> GROUP;
    STRING<15> LASTCHANGEDBY;
    LONG DATECHANGED;
    LONG TIMECHANGED;
};
static_assert(sizeof(USERGRP) == 38);
static_assert(offsetof(USERGRP, GROUP) == 0);
static_assert(offsetof(USERGRP, LASTCHANGEDBY) == 15);
static_assert(offsetof(USERGRP, DATECHANGED) == 30);
static_assert(offsetof(USERGRP, TIMECHANGED) == 34);

namespace USG {
enum Field : int { GROUP = 1, LASTCHANGEDBY, DATECHANGED, TIMECHANGED };
enum Key : int { GROUP_KEY = 0 };
}  // namespace USG

/// Membership of a user in a user group. USERNAME is 20 wide here, 15 in USERS.
struct USGRPUS {
    STRING<15> GROUP;
    STRING<20> USERNAME;
};
static_assert(sizeof(USGRPUS) == 35);
static_assert(offsetof(USGRPUS, GROUP) == 0);
static_assert(offsetof(USGRPUS, USERNAME) == 15);

namespace UGU {
enum Field : int { GROUP = 1, USERNAME };
enum Key : int { GROUP_KEY = 0, USERNAME_KEY };
}  // namespace UGU

#pragma pack(pop)

/// The Field enums, which store::Field accepts.
template <>
inline constexpr bool kIsFieldEnum<ACT::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<DAT::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<RAC::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<ACN::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<REP::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<CON::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<RES::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<GRO::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<GRP::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<RUS::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<CLI::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<SPE::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<SYP::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<USP::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<DUR::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<ROU::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<USE::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<USG::Field> = true;
template <>
inline constexpr bool kIsFieldEnum<UGU::Field> = true;

/// The declaration of table t. Built once, on first use; never changes afterwards.
const TableDecl& tableDecl(Tbl t);

/// Every relation between tables: first the parent-child relations with their update and
/// delete rules, in the order in which relation managers apply them, then the look-up
/// relations (no key, no links, no rules) by which a child reads its parents in views.
const std::vector<RelationDecl>& relationDecls();

/// The relations in which t is parent or child, in relationDecls() order: what the
/// relation manager of t is given.
std::vector<const RelationDecl*> relationsOf(Tbl t);

}  // namespace store

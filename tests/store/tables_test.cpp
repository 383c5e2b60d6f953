#include "store/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace store {
namespace {

std::vector<Tbl> allTables() {
    std::vector<Tbl> out;
    for (int i = 0; i < kTableCount; ++i) out.push_back(Tbl(i));
    return out;
}

const TableDecl& decl(Tbl t) {
    return tableDecl(t);
}

const KeyDecl& key(Tbl t, int k) {
    return decl(t).keys.at(k);
}

/// "PREFIX:NAME" of a field, as messages and the data model name it.
std::string fieldName(Tbl t, int index) {
    return std::string(decl(t).prefix) + ":" + decl(t).fields.at(index).name;
}

std::string keyName(Tbl t, const KeyDecl& k) {
    return std::string(decl(t).prefix) + ":" + k.name;
}

/// A key as "COMPONENT -DESCENDING | attributes".
std::string describe(Tbl t, const KeyDecl& k) {
    std::string s;
    for (const KeyComponent& c : k.components) {
        if (!s.empty()) s += ' ';
        if (c.descending) s += '-';
        s += decl(t).fields.at(c.field).name;
    }
    s += k.unique ? " | unique" : " | duplicates";
    if (k.primary) s += " primary";
    s += k.excludesEmpty ? " excludes-empty" : " includes-empty";
    s += k.caseInsensitive ? " nocase" : " exact";
    return s;
}

const char* ruleName(Rule r) {
    switch (r) {
        case Rule::None:
            return "none";
        case Rule::Clear:
            return "clear";
        case Rule::Restrict:
            return "restrict";
        case Rule::Cascade:
            return "cascade";
    }
    return "?";
}

/// A relation as "PARENT>CHILD by KEY PARENTFIELD=CHILDFIELD update/delete".
std::string describe(const RelationDecl& r) {
    std::string s = std::string(decl(r.parent).name) + ">" + decl(r.child).name;
    if (r.isLookup()) return s + " lookup";
    s += " by " + keyName(r.child, key(r.child, r.childKey));
    for (const auto& [p, c] : r.links) {
        s += std::string(" ") + decl(r.parent).fields.at(p).name + "=" +
             decl(r.child).fields.at(c).name;
    }
    return s + " " + ruleName(r.update) + "/" + ruleName(r.del);
}

/// A record image cleared (texts blank, numbers 0) and then primed with the table's initial
/// values, the way a new record is prepared.
std::vector<char> primedImage(Tbl t) {
    const TableDecl& d = decl(t);
    std::vector<char> image(d.recordSize, 0);
    for (const FieldDecl& f : d.fields) {
        if (f.type == FieldType::STRING) std::memset(image.data() + f.offset, ' ', f.size());
    }
    for (const InitialValue& v : d.initialValues) {
        const FieldDecl& f = d.fields.at(v.field);
        char* at = image.data() + f.offset;
        switch (f.type) {
            case FieldType::LONG: {
                const LONG n = LONG(v.number);
                std::memcpy(at, &n, sizeof n);
                break;
            }
            case FieldType::SHORT: {
                const SHORT n = SHORT(v.number);
                std::memcpy(at, &n, sizeof n);
                break;
            }
            case FieldType::BYTE:
                *reinterpret_cast<BYTE*>(at) = BYTE(v.number);
                break;
            case FieldType::STRING:
            case FieldType::MEMO:
                std::memcpy(at, v.text, std::min<std::size_t>(std::strlen(v.text), f.width));
                break;
        }
    }
    return image;
}

template <class REC>
REC primed(Tbl t) {
    const std::vector<char> image = primedImage(t);
    REC rec;
    EXPECT_EQ(sizeof rec, image.size());
    std::memcpy(&rec, image.data(), sizeof rec);
    return rec;
}

TEST(TablesTest, EveryTableIsFoundUnderItsOwnId) {
    std::set<std::string> names, prefixes;
    for (Tbl t : allTables()) {
        EXPECT_EQ(t, decl(t).id);
        EXPECT_TRUE(names.insert(decl(t).name).second) << decl(t).name;
        EXPECT_TRUE(prefixes.insert(decl(t).prefix).second) << decl(t).prefix;
        // Only the users table lives in the separate, encrypted file.
        EXPECT_EQ(t == Tbl::USERS, decl(t).file == StoreFile::USERS) << decl(t).name;
    }
}

TEST(TablesTest, UserPreferencesStartWithTheSystemDefaults) {
    // A new user's preferences are made by copying the first twelve system fields.
    const TableDecl& sys = decl(Tbl::SYSPREF);
    const TableDecl& usr = decl(Tbl::USERPREF);
    for (int i = 0; i < USP::HEIGHT; ++i) {
        EXPECT_STREQ(sys.fields[i].name, usr.fields[i].name);
        EXPECT_EQ(sys.fields[i].type, usr.fields[i].type) << usr.fields[i].name;
        EXPECT_EQ(sys.fields[i].size(), usr.fields[i].size()) << usr.fields[i].name;
        EXPECT_EQ(sys.fields[i].offset, usr.fields[i].offset) << usr.fields[i].name;
    }
    const FieldDecl& names = usr.fields[usr.fieldIndex("PROGRAMNAME")];
    const FieldDecl& paths = usr.fields[usr.fieldIndex("PROGRAMPATH")];
    EXPECT_EQ(std::make_pair(20, 5), std::make_pair(names.width, names.count));
    EXPECT_EQ(std::make_pair(80, 5), std::make_pair(paths.width, paths.count));
}

TEST(TablesTest, FullNameJoinsFileAndStoredName) {
    EXPECT_EQ("RESDATA\\!ACTIVITY", decl(Tbl::ACTIVITY).fullName());
    EXPECT_EQ("RESDATA\\!DATES", decl(Tbl::DATES).fullName());
    // The stored name, not the program's label.
    EXPECT_EQ("RESDATA\\!RESOURCE", decl(Tbl::RESOURCE).fullName());
    EXPECT_EQ("USERS\\!USERS", decl(Tbl::USERS).fullName());
}

TEST(TablesTest, LabelsDifferOnlyWhereTheProgramRenamesATable) {
    std::map<std::string, std::string> renamed;
    for (Tbl t : allTables()) {
        if (std::string(decl(t).label) != decl(t).name) renamed[decl(t).name] = decl(t).label;
    }
    const std::map<std::string, std::string> expected = {
        {"RESOURCE", "RESOURCES"}, {"GROUPRES", "GROUPRESOURCES"}, {"ROUTINEA", "ROUTINEACT"},
        {"USERGRP", "USERGROUPS"}, {"USGRPUS", "USERGROUPUSERS"},
    };
    EXPECT_EQ(expected, renamed);
}

TEST(TablesTest, FieldAndKeyLookUpByName) {
    const TableDecl& act = decl(Tbl::ACTIVITY);
    EXPECT_EQ(Field(ACT::NAME).index(), act.fieldIndex("NAME"));
    EXPECT_EQ(Field(ACT::REPEATTYPE).index(), act.fieldIndex("REPEATTYPE"));
    EXPECT_EQ(-1, act.fieldIndex("ACT:NAME"));  // names are given without prefix
    EXPECT_EQ(-1, act.fieldIndex("NOSUCHFIELD"));
    EXPECT_EQ(-1, act.fieldIndex(nullptr));
    EXPECT_EQ(-1, act.keyIndex("NAME"));
    EXPECT_EQ(-1, act.keyIndex(nullptr));
    EXPECT_EQ(-1, decl(Tbl::SYSPREF).keyIndex("USERNAME_KEY"));
}

TEST(TablesTest, AFieldNamesTheDeclaredFieldOfItsNumber) {
    // Bindings, joins and views name fields by the data model's numbers; the first, a middle
    // and the last field of a table must land on the declaration of that name.
    EXPECT_STREQ("ACTNUMBER", decl(Tbl::DATES).field(DAT::ACTNUMBER).name);
    EXPECT_STREQ("DATE", decl(Tbl::DATES).field(DAT::DATE).name);
    EXPECT_STREQ("ENDTIME", decl(Tbl::DATES).field(DAT::ENDTIME).name);
    EXPECT_STREQ("USERNAME", decl(Tbl::USGRPUS).field(UGU::USERNAME).name);
    EXPECT_EQ(Field(SYP::HEIGHT), Field::at(decl(Tbl::SYSPREF).fieldIndex("HEIGHT")));
    // A join or view without a range field leaves it unnamed.
    EXPECT_FALSE(Field().valid());
}

TEST(TablesTest, KeyEnumsNameTheDeclaredKeys) {
    // The Key enums are written apart from the key lists; a swap would make every caller
    // read in the wrong order.
    const std::vector<std::tuple<Tbl, int, const char*>> keys = {
        {Tbl::ACTIVITY, ACT::ACTNUMBER_KEY, "ACTNUMBER_KEY"},
        {Tbl::ACTIVITY, ACT::NAME_KEY, "NAME_KEY"},
        {Tbl::ACTIVITY, ACT::CLIENT_KEY, "CLIENT_KEY"},
        {Tbl::DATES, DAT::DATETIME_KEY, "DATETIME_KEY"},
        {Tbl::DATES, DAT::ACTNUMBER_KEY, "ACTNUMBER_KEY"},
        {Tbl::DATES, DAT::ACTDATES_KEY, "ACTDATES_KEY"},
        {Tbl::RESACT, RAC::RESOURCE_KEY, "RESOURCE_KEY"},
        {Tbl::RESACT, RAC::ACTRESOURCE_KEY, "ACTRESOURCE_KEY"},
        {Tbl::RESACT, RAC::ACTIVITY_KEY, "ACTIVITY_KEY"},
        {Tbl::ACTNOTES, ACN::ACTNUMBER_KEY, "ACTNUMBER_KEY"},
        {Tbl::REPACT, REP::ACTNUMBER_KEY, "ACTNUMBER_KEY"},
        {Tbl::CONTROL, CON::NUMBER_KEY, "NUMBER_KEY"},
        {Tbl::RESOURCE, RES::RESOURCE_KEY, "RESOURCE_KEY"},
        {Tbl::GROUP, GRO::GROUP_KEY, "GROUP_KEY"},
        {Tbl::GROUPRES, GRP::GROUP_KEY, "GROUP_KEY"},
        {Tbl::GROUPRES, GRP::RESOURCE_KEY, "RESOURCE_KEY"},
        {Tbl::RESUSER, RUS::RESOURCE_KEY, "RESOURCE_KEY"},
        {Tbl::RESUSER, RUS::USERNAME_KEY, "USERNAME_KEY"},
        {Tbl::CLIENT, CLI::CLIENT_KEY, "CLIENT_KEY"},
        {Tbl::SPECIAL, SPE::DATE_KEY, "DATE_KEY"},
        {Tbl::USERPREF, USP::USERNAME_KEY, "USERNAME_KEY"},
        {Tbl::DURLIST, DUR::DURATION_KEY, "DURATION_KEY"},
        {Tbl::DURLIST, DUR::USERNAME_KEY, "USERNAME_KEY"},
        {Tbl::ROUTINEA, ROU::NAME_KEY, "NAME_KEY"},
        {Tbl::ROUTINEA, ROU::USERNAME_KEY, "USERNAME_KEY"},
        {Tbl::USERS, USE::USERNAME_KEY, "USERNAME_KEY"},
        {Tbl::USERS, USE::LASTNAME_KEY, "LASTNAME_KEY"},
        {Tbl::USERS, USE::DEPARTMENT_KEY, "DEPARTMENT_KEY"},
        {Tbl::USERS, USE::ACCESSLEVEL_KEY, "ACCESSLEVEL_KEY"},
        {Tbl::USERGRP, USG::GROUP_KEY, "GROUP_KEY"},
        {Tbl::USGRPUS, UGU::GROUP_KEY, "GROUP_KEY"},
        {Tbl::USGRPUS, UGU::USERNAME_KEY, "USERNAME_KEY"},
    };
    std::size_t declared = 0;
    for (Tbl t : allTables()) declared += decl(t).keys.size();
    EXPECT_EQ(declared, keys.size());
    for (const auto& [t, k, name] : keys) {
        EXPECT_EQ(k, decl(t).keyIndex(name)) << decl(t).prefix << ":" << name;
    }
}

TEST(TablesTest, DeclarationsReferToFieldsOfTheRightKind) {
    for (Tbl t : allTables()) {
        const TableDecl& d = decl(t);
        const int n = int(d.fields.size());
        for (const KeyDecl& k : d.keys) {
            EXPECT_FALSE(k.components.empty()) << keyName(t, k);
            for (const KeyComponent& c : k.components) {
                EXPECT_TRUE(c.field >= 0 && c.field < n) << keyName(t, k);
            }
        }
        for (const InitialValue& v : d.initialValues) {
            ASSERT_TRUE(v.field >= 0 && v.field < n) << d.name;
            const FieldDecl& f = d.fields[v.field];
            // A text value for a text field, one that fits; a number otherwise.
            if (f.type == FieldType::STRING) {
                ASSERT_NE(nullptr, v.text) << fieldName(t, v.field);
                EXPECT_LE(std::strlen(v.text), std::size_t(f.width)) << fieldName(t, v.field);
            } else {
                EXPECT_EQ(nullptr, v.text) << fieldName(t, v.field);
            }
        }
        for (const FieldCheck& c : d.fieldChecks) {
            ASSERT_TRUE(c.field >= 0 && c.field < n) << d.name;
            EXPECT_NE(FieldType::STRING, d.fields[c.field].type) << fieldName(t, c.field);
        }
    }
}

TEST(TablesTest, PrimedRecordsTakeTheirInitialValues) {
    // Priming goes through the declared field indexes; an index off by one would set the
    // neighbouring field instead.
    const RESACT rac = primed<RESACT>(Tbl::RESACT);
    EXPECT_EQ(1, rac.UNITS);
    EXPECT_EQ(0, rac.ACTNUMBER);
    const RESOURCE res = primed<RESOURCE>(Tbl::RESOURCE);
    EXPECT_EQ(1, res.UNITS);
    EXPECT_EQ(0, res.DATE);
    EXPECT_TRUE(res.RESOURCE.blank());
    const SYSPREF sys = primed<SYSPREF>(Tbl::SYSPREF);
    EXPECT_EQ("None", sys.ALERT);
    EXPECT_EQ(1, sys.CLIENTGENERAL);
    EXPECT_EQ(0, sys.NOCONFLICT);
    EXPECT_EQ(0, sys.LOCK);
    EXPECT_EQ(0, sys.ACTUAL);
    EXPECT_EQ(0, sys.ALERTLEAD);
    const USERS use = primed<USERS>(Tbl::USERS);
    EXPECT_EQ(0, use.FAILFLAG);
    EXPECT_TRUE(use.USERNAME.blank());
    const ACTIVITY act = primed<ACTIVITY>(Tbl::ACTIVITY);
    EXPECT_EQ(0, act.LOCK);
    EXPECT_TRUE(act.NAME.blank());
}

TEST(TablesTest, FieldChecksAgreeWithTheirMessages) {
    std::vector<std::string> checks;
    for (Tbl t : allTables()) {
        const TableDecl& d = decl(t);
        for (const FieldCheck& c : d.fieldChecks) {
            checks.push_back(fieldName(t, c.field) + " " + std::to_string(c.messageId) + " " +
                             c.rangeText + " " + c.description);
            // 16 names a range, 17 an upper and 18 a lower limit; the text shows the bounds.
            switch (c.messageId) {
                case 16:
                    EXPECT_TRUE(c.hasLow && c.hasHigh && c.low <= c.high) << checks.back();
                    EXPECT_EQ(std::to_string(c.low) + " and " + std::to_string(c.high),
                              c.rangeText);
                    break;
                case 17:
                    EXPECT_TRUE(!c.hasLow && c.hasHigh) << checks.back();
                    EXPECT_EQ(std::to_string(c.high), c.rangeText);
                    break;
                case 18:
                    EXPECT_TRUE(c.hasLow && !c.hasHigh) << checks.back();
                    EXPECT_EQ(std::to_string(c.low), c.rangeText);
                    break;
                default:
                    ADD_FAILURE() << "unexpected message " << checks.back();
            }
        }
    }
    std::sort(checks.begin(), checks.end());
    const std::vector<std::string> expected = {
        "SYP:ADVANCEDAYS 18 0 Max Days Booking in Advance",
        "SYP:HEIGHT 16 6 and 20 Height of TimeSlots in Scan",
        "USE:ACCESSLEVEL 16 0 and 3 Users access rights",
        "USP:HEIGHT 16 6 and 20 Height of TimeSlots in Scan",
    };
    EXPECT_EQ(expected, checks);
}

TEST(KeysTest, KeysWhoseSemanticsOtherCodeRelyOn) {
    // Bookings without a client are not in the client key.
    EXPECT_EQ("CLIENT | duplicates excludes-empty nocase",
              describe(Tbl::ACTIVITY, key(Tbl::ACTIVITY, ACT::CLIENT_KEY)));
    // The same occurrence cannot be stored twice for one booking.
    EXPECT_EQ("ACTNUMBER DATE TIME ENDTIME | unique excludes-empty nocase",
              describe(Tbl::DATES, key(Tbl::DATES, DAT::ACTDATES_KEY)));
    EXPECT_EQ("DATE TIME ENDTIME | duplicates excludes-empty nocase",
              describe(Tbl::DATES, key(Tbl::DATES, DAT::DATETIME_KEY)));
    EXPECT_EQ("ACTNUMBER RESOURCE | unique excludes-empty nocase",
              describe(Tbl::RESACT, key(Tbl::RESACT, RAC::ACTRESOURCE_KEY)));
    // Resource codes differing only in case are distinct; client names are not.
    EXPECT_EQ("RESOURCE | unique primary excludes-empty exact",
              describe(Tbl::RESOURCE, key(Tbl::RESOURCE, RES::RESOURCE_KEY)));
    EXPECT_EQ("CLIENT | unique primary excludes-empty nocase",
              describe(Tbl::CLIENT, key(Tbl::CLIENT, CLI::CLIENT_KEY)));
    // Highest access level first, and level 0 users are still listed.
    EXPECT_EQ("-ACCESSLEVEL | duplicates includes-empty nocase",
              describe(Tbl::USERS, key(Tbl::USERS, USE::ACCESSLEVEL_KEY)));
    EXPECT_EQ("LASTNAME FIRSTNAME | unique excludes-empty nocase",
              describe(Tbl::USERS, key(Tbl::USERS, USE::LASTNAME_KEY)));
    // Issuing a booking number reads the highest record of this key.
    EXPECT_EQ("NUMBER | duplicates excludes-empty nocase",
              describe(Tbl::CONTROL, key(Tbl::CONTROL, CON::NUMBER_KEY)));
}

TEST(KeysTest, AttributesAcrossAllTables) {
    std::vector<std::string> exact, includesEmpty, descending;
    for (Tbl t : allTables()) {
        const TableDecl& d = decl(t);
        int primaries = 0;
        for (const KeyDecl& k : d.keys) {
            if (k.primary) {
                ++primaries;
                EXPECT_TRUE(k.unique) << keyName(t, k);
            }
            if (!k.caseInsensitive) exact.push_back(keyName(t, k));
            if (!k.excludesEmpty) includesEmpty.push_back(keyName(t, k));
            for (const KeyComponent& c : k.components) {
                if (c.descending) descending.push_back(fieldName(t, c.field));
            }
        }
        EXPECT_LE(primaries, 1) << d.name;
    }
    std::sort(exact.begin(), exact.end());
    EXPECT_EQ((std::vector<std::string>{"GRP:GROUP_KEY", "GRP:RESOURCE_KEY", "RES:RESOURCE_KEY"}),
              exact);
    EXPECT_EQ(std::vector<std::string>{"USE:ACCESSLEVEL_KEY"}, includesEmpty);
    EXPECT_EQ(std::vector<std::string>{"USE:ACCESSLEVEL"}, descending);
    // The single preferences record is read by position, not by key.
    EXPECT_TRUE(decl(Tbl::SYSPREF).keys.empty());
}

TEST(KeysTest, NamesAndDescriptionsAreDistinctWithinATable) {
    // Messages name a key by its description, so two keys of one table must not share one.
    for (Tbl t : allTables()) {
        std::set<std::string> names, descriptions;
        for (const KeyDecl& k : decl(t).keys) {
            EXPECT_TRUE(names.insert(k.name).second) << keyName(t, k);
            ASSERT_NE(nullptr, k.description);
            EXPECT_NE(std::string(), k.description) << keyName(t, k);
            EXPECT_TRUE(descriptions.insert(k.description).second) << k.description;
        }
        std::set<std::string> fields;
        for (const FieldDecl& f : decl(t).fields) {
            EXPECT_TRUE(fields.insert(f.name).second) << decl(t).prefix << ":" << f.name;
        }
    }
}

TEST(KeysTest, NoTextFieldIsInBothAnExactAndACaseInsensitiveKey) {
    // The engine gives each text column one collation, derived from the keys it is in.
    for (Tbl t : allTables()) {
        const TableDecl& d = decl(t);
        std::map<int, bool> collation;  // field -> case-insensitive
        for (const KeyDecl& k : d.keys) {
            for (const KeyComponent& c : k.components) {
                if (d.fields.at(c.field).type != FieldType::STRING) continue;
                const auto [it, fresh] = collation.emplace(c.field, k.caseInsensitive);
                EXPECT_TRUE(fresh || it->second == k.caseInsensitive)
                    << fieldName(t, c.field) << " in " << keyName(t, k);
            }
        }
    }
}

std::vector<const RelationDecl*> ruleRelations() {
    std::vector<const RelationDecl*> out;
    for (const RelationDecl& r : relationDecls()) {
        if (!r.isLookup()) out.push_back(&r);
    }
    return out;
}

TEST(RelationsTest, RuleRelationsInOrder) {
    std::vector<std::string> got;
    for (const RelationDecl* r : ruleRelations()) got.push_back(describe(*r));
    const std::vector<std::string> expected = {
        "ACTIVITY>REPACT by REP:ACTNUMBER_KEY ACTNUMBER=ACTNUMBER cascade/cascade",
        "ACTIVITY>ACTNOTES by ACN:ACTNUMBER_KEY ACTNUMBER=ACTNUMBER cascade/cascade",
        "ACTIVITY>DATES by DAT:ACTNUMBER_KEY ACTNUMBER=ACTNUMBER cascade/cascade",
        // The booking engine removes a booking's resource rows itself.
        "ACTIVITY>RESACT by RAC:ACTIVITY_KEY ACTNUMBER=ACTNUMBER none/none",
        "DATES>RESACT by RAC:ACTIVITY_KEY ACTNUMBER=ACTNUMBER none/none",
        "CLIENT>ACTIVITY by ACT:CLIENT_KEY CLIENT=CLIENT cascade/cascade",
        "RESOURCE>RESUSER by RUS:RESOURCE_KEY RESOURCE=RESOURCE cascade/cascade",
        "RESOURCE>GROUPRES by GRP:RESOURCE_KEY RESOURCE=RESOURCES cascade/cascade",
        // A deleted resource's booking rows stay.
        "RESOURCE>RESACT by RAC:RESOURCE_KEY RESOURCE=RESOURCE cascade/none",
        "GROUP>GROUPRES by GRP:GROUP_KEY GROUP=GROUP cascade/cascade",
        "USERS>DURLIST by DUR:USERNAME_KEY USERNAME=USERNAME cascade/cascade",
        "USERS>ROUTINEA by ROU:USERNAME_KEY USERNAME=USERNAME cascade/cascade",
        "USERS>USERPREF by USP:USERNAME_KEY USERNAME=USERNAME cascade/cascade",
        "USERS>USGRPUS by UGU:USERNAME_KEY USERNAME=USERNAME cascade/cascade",
        "USERS>RESUSER by RUS:USERNAME_KEY USERNAME=USERNAME cascade/cascade",
        "USERGRP>USGRPUS by UGU:GROUP_KEY GROUP=GROUP cascade/cascade",
    };
    EXPECT_EQ(expected, got);
}

TEST(RelationsTest, ChildKeysFindTheChildrenOfAParent) {
    for (const RelationDecl* r : ruleRelations()) {
        const TableDecl& parent = decl(r->parent);
        const TableDecl& child = decl(r->child);
        ASSERT_TRUE(r->childKey >= 0 && r->childKey < int(child.keys.size())) << describe(*r);
        const KeyDecl& k = child.keys[r->childKey];
        ASSERT_FALSE(r->links.empty()) << describe(*r);
        ASSERT_LE(r->links.size(), k.components.size()) << describe(*r);
        for (std::size_t i = 0; i < r->links.size(); ++i) {
            const auto [p, c] = r->links[i];
            // The linked child fields lead the child key, so a seek finds all children.
            EXPECT_EQ(c, k.components[i].field) << describe(*r);
            const FieldDecl& pf = parent.fields.at(p);
            const FieldDecl& cf = child.fields.at(c);
            EXPECT_EQ(pf.type, cf.type) << describe(*r);
            // A narrower child field would cut a cascaded value.
            EXPECT_GE(cf.size(), pf.size()) << describe(*r);
        }
        // The link runs from the parent's identity (the lead of one of its unique keys), not
        // from a descriptive field that several parents may share.
        const bool identified =
            std::any_of(parent.keys.begin(), parent.keys.end(), [&](const KeyDecl& pk) {
                return pk.unique && pk.components.front().field == r->links.front().first;
            });
        EXPECT_TRUE(identified) << describe(*r);
    }
}

TEST(RelationsTest, LookupsFollowTheRuleRelationsOnePerParentAndChild) {
    const std::vector<RelationDecl>& all = relationDecls();
    std::set<std::pair<Tbl, Tbl>> ruled, looked;
    bool seenLookup = false;
    for (const RelationDecl& r : all) {
        if (r.isLookup()) {
            seenLookup = true;
            EXPECT_TRUE(r.links.empty()) << describe(r);
            EXPECT_EQ(Rule::None, r.update) << describe(r);
            EXPECT_EQ(Rule::None, r.del) << describe(r);
            EXPECT_TRUE(looked.insert({r.parent, r.child}).second) << describe(r);
        } else {
            EXPECT_FALSE(seenLookup) << "rule relation after the look-ups: " << describe(r);
            ruled.insert({r.parent, r.child});
        }
    }
    EXPECT_EQ(16u, ruleRelations().size());
    // Every child reads exactly the parents whose rules reach it.
    EXPECT_EQ(ruled, looked);
}

TEST(RelationsTest, RelationsOfATable) {
    std::vector<std::string> got;
    for (const RelationDecl* r : relationsOf(Tbl::RESACT)) got.push_back(describe(*r));
    const std::vector<std::string> expected = {
        "ACTIVITY>RESACT by RAC:ACTIVITY_KEY ACTNUMBER=ACTNUMBER none/none",
        "DATES>RESACT by RAC:ACTIVITY_KEY ACTNUMBER=ACTNUMBER none/none",
        "RESOURCE>RESACT by RAC:RESOURCE_KEY RESOURCE=RESOURCE cascade/none",
        "ACTIVITY>RESACT lookup",
        "DATES>RESACT lookup",
        "RESOURCE>RESACT lookup",
    };
    EXPECT_EQ(expected, got);

    // A table's relations include those where it is parent as well as child.
    std::vector<std::string> dates;
    for (const RelationDecl* r : relationsOf(Tbl::DATES)) dates.push_back(describe(*r));
    EXPECT_EQ((std::vector<std::string>{
                  "ACTIVITY>DATES by DAT:ACTNUMBER_KEY ACTNUMBER=ACTNUMBER cascade/cascade",
                  "DATES>RESACT by RAC:ACTIVITY_KEY ACTNUMBER=ACTNUMBER none/none",
                  "ACTIVITY>DATES lookup",
                  "DATES>RESACT lookup",
              }),
              dates);

    EXPECT_TRUE(relationsOf(Tbl::CONTROL).empty());
    EXPECT_TRUE(relationsOf(Tbl::SPECIAL).empty());
    EXPECT_TRUE(relationsOf(Tbl::SYSPREF).empty());

    // Every relation is handed to the managers of both its tables, pointing into the one list.
    std::map<const RelationDecl*, int> seen;
    for (Tbl t : allTables()) {
        for (const RelationDecl* r : relationsOf(t)) ++seen[r];
    }
    EXPECT_EQ(relationDecls().size(), seen.size());
    for (const auto& [r, n] : seen) EXPECT_EQ(r->parent == r->child ? 1 : 2, n) << describe(*r);
}

}  // namespace
}  // namespace store

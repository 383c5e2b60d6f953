#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace store {

/// The nineteen tables, in the order in which the store creates their managers.
enum class Tbl {
    RESACT,
    ACTNOTES,
    REPACT,
    USERS,
    RESUSER,
    CONTROL,
    CLIENT,
    ACTIVITY,
    USERPREF,
    SYSPREF,
    DURLIST,
    ROUTINEA,
    DATES,
    GROUP,
    GROUPRES,
    RESOURCE,
    USGRPUS,
    SPECIAL,
    USERGRP,
};
inline constexpr int kTableCount = 19;

/// MEMO is the variable-length note of the earlier releases' layouts: text up to `width`
/// characters, held in the record image like a STRING but never part of a key. The
/// current layouts have none; the data converter reads them.
enum class FieldType { LONG, SHORT, BYTE, STRING, MEMO };

/// True for the field kinds that hold text (blank-padded in a record image).
inline bool isText(FieldType t) {
    return t == FieldType::STRING || t == FieldType::MEMO;
}

/// The two store files of a data folder.
enum class StoreFile { RESDATA, USERS };

/// One field of a record image. Array fields (count > 1) repeat `width` bytes `count` times.
struct FieldDecl {
    const char* name;  // without prefix: "ACTNUMBER"
    FieldType type;
    int width;   // bytes of one element
    int offset;  // byte offset in the record
    int count = 1;

    int size() const { return width * count; }
};

struct KeyComponent {
    int field;  // 0-based index into TableDecl::fields
    bool descending = false;
};

struct KeyDecl {
    const char* name;         // without prefix: "ACTNUMBER_KEY"
    const char* description;  // how messages name the key: "ACT:Actnumber_key"
    std::vector<KeyComponent> components;
    bool unique = false;
    bool primary = false;
    bool excludesEmpty = true;
    bool caseInsensitive = true;
};

/// A value a freshly primed record takes after the buffer has been cleared.
struct InitialValue {
    int field;
    long long number = 0;
    const char* text = nullptr;  // set for STRING fields
};

/// A range check the table's access object applies when a record is validated.
struct FieldCheck {
    int field;
    bool hasLow = false;
    long long low = 0;
    bool hasHigh = false;
    long long high = 0;
    const char* description;  // fills "%Field"
    int messageId;            // 16 between, 17 lower than, 18 higher than
    const char* rangeText;    // fills "%Message": "6 and 20"
};

/// The declared layout of one table: everything the engine, the managers and
/// the converter derive from.
struct TableDecl {
    Tbl id;
    const char* name;   // stored name inside its file: "ACTIVITY"
    const char* label;  // the program's own label where it differs: "RESOURCES"
    const char* prefix;
    StoreFile file;
    int recordSize;
    std::vector<FieldDecl> fields;
    std::vector<KeyDecl> keys;
    std::vector<InitialValue> initialValues;
    std::vector<FieldCheck> fieldChecks;

    /// "RESDATA\!ACTIVITY": the name that fills "%File".
    std::string fullName() const;
    int fieldIndex(const char* fieldName) const;  // -1 when absent
    int keyIndex(const char* keyName) const;      // -1 when absent
};

enum class Rule { None = 0, Clear = 1, Restrict = 2, Cascade = 3 };

/// A parent-child relation with its rules, or a look-up relation (no key, no rules).
struct RelationDecl {
    Tbl parent;
    Tbl child;
    int childKey = -1;                       // -1 for a look-up relation
    std::vector<std::pair<int, int>> links;  // (parent field, child field)
    Rule update = Rule::None;
    Rule del = Rule::None;

    bool isLookup() const { return childKey < 0; }
};

}  // namespace store

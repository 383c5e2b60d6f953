#pragma once

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace store {

/// True for the Field enums of the data model (ACT::Field, DAT::Field, ...); tables.h sets it.
template <class E>
inline constexpr bool kIsFieldEnum = false;

template <class E>
concept FieldNumber = std::is_enum_v<E> && kIsFieldEnum<E>;

/// A field of a table, named as the data model numbers it (`DAT::DATE`, counted from 1) and
/// held as its place in TableDecl::fields (counted from 0). Bindings, joins, views and
/// declarations take a Field so that no caller converts between the two countings itself.
/// A default Field names no field (valid() is false).
class Field {
  public:
    constexpr Field() = default;
    template <FieldNumber E>
    constexpr Field(E number) : index_(int(number) - 1) {}
    /// The field at a 0-based place in TableDecl::fields, for code that walks the fields.
    static constexpr Field at(int index) {
        Field f;
        f.index_ = index;
        return f;
    }

    constexpr int index() const { return index_; }
    constexpr bool valid() const { return index_ >= 0; }
    friend constexpr bool operator==(Field, Field) = default;

  private:
    int index_ = -1;
};

/// Two fields linked by equal values: (parent or outer field, child or inner field).
using FieldLink = std::pair<Field, Field>;

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
    /// Fields a store on a server keeps sealed on the station (sealed_text.h): a user's
    /// password. Their values are never sent to the server or kept there in plain text.
    std::vector<int> sealedFields = {};

    bool sealed(int field) const {
        for (int f : sealedFields)
            if (f == field) return true;
        return false;
    }

    /// "RESDATA\!ACTIVITY": the name that fills "%File".
    std::string fullName() const;
    int fieldIndex(const char* fieldName) const;  // -1 when absent
    const FieldDecl& field(Field f) const { return fields[std::size_t(f.index())]; }
    int keyIndex(const char* keyName) const;  // -1 when absent
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

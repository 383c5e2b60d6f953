#pragma once

#include <cstddef>
#include <string_view>

#include "table_decl.h"

namespace store {

/// Reading and writing single fields of a packed record image, as the declaration
/// describes them. `element` picks one entry of an array field.
long long getNumber(const FieldDecl& f, const std::byte* rec, int element = 0);
void setNumber(const FieldDecl& f, std::byte* rec, long long value, int element = 0);
std::string_view getText(const FieldDecl& f, const std::byte* rec, int element = 0);
void setText(const FieldDecl& f, std::byte* rec, std::string_view value, int element = 0);

/// Clears a record image: every text blank, every number 0.
void clearRecord(const TableDecl& t, std::byte* rec);

/// Blanks a text field or zeroes a number field (every element of an array).
void clearField(const FieldDecl& f, std::byte* rec);

/// True when the field holds blank text or zero.
bool fieldEmpty(const FieldDecl& f, const std::byte* rec);

/// True when every component of the key is blank or zero: such a record is absent
/// from a key that excludes empty values.
bool keyEmpty(const TableDecl& t, const KeyDecl& k, const std::byte* rec);

/// Compares two texts as a key compares them: without trailing blanks, and without
/// regard to (ASCII) letter case when caseInsensitive.
int compareText(std::string_view a, std::string_view b, bool caseInsensitive);

/// Compares the first `components` components of key k (all when -1) in two record
/// images, honouring case and descending components. <0, 0, >0 like memcmp.
int compareKey(const TableDecl& t, const KeyDecl& k, const std::byte* a, const std::byte* b,
               int components = -1);

/// True when field f of a equals field f of b, compared as the table's keys compare it.
bool fieldEquals(const TableDecl& t, int field, const std::byte* a, const std::byte* b);

/// Copies field `from` of record image src into field `to` of dst (numbers as numbers,
/// texts cut or padded to the target width).
void copyField(const FieldDecl& from, const std::byte* src, const FieldDecl& to, std::byte* dst);

/// True when any case-insensitive key of t has field as a text component.
bool fieldCaseInsensitive(const TableDecl& t, int field);

}  // namespace store

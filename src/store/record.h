#pragma once

#include <cstddef>

#include "fixed_string.h"
#include "table_decl.h"

namespace store {

/// What a record member's C++ type says about the stored field.
template <class T>
struct FieldTraits;
template <>
struct FieldTraits<LONG> {
    static constexpr FieldType type = FieldType::LONG;
    static constexpr int width = 4, count = 1;
};
template <>
struct FieldTraits<SHORT> {
    static constexpr FieldType type = FieldType::SHORT;
    static constexpr int width = 2, count = 1;
};
template <>
struct FieldTraits<BYTE> {
    static constexpr FieldType type = FieldType::BYTE;
    static constexpr int width = 1, count = 1;
};
template <int N>
struct FieldTraits<STRING<N>> {
    static constexpr FieldType type = FieldType::STRING;
    static constexpr int width = N, count = 1;
};
template <int N>
struct FieldTraits<MEMO<N>> {
    static constexpr FieldType type = FieldType::MEMO;
    static constexpr int width = N, count = 1;
};
template <class T, std::size_t K>
struct FieldTraits<T[K]> {
    static constexpr FieldType type = FieldTraits<T>::type;
    static constexpr int width = FieldTraits<T>::width, count = int(K);
};

}  // namespace store

/// The declaration of member F of record struct REC, derived from the struct itself.
#define STORE_FIELD(REC, F)                                                          \
    ::store::FieldDecl {                                                             \
#F, ::store::FieldTraits < decltype(REC::F)> ::type,                         \
            ::store::FieldTraits < decltype(REC::F)> ::width, int(offsetof(REC, F)), \
            ::store::FieldTraits < decltype(REC::F)> ::count                         \
    }

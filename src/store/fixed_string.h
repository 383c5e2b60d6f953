#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace store {

using LONG = std::int32_t;
using SHORT = std::int16_t;
using BYTE = std::uint8_t;

/// Text without its trailing blanks: the form in which stored texts compare.
inline std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

/// A fixed-width, blank-padded text field of a record image.
template <int N>
struct STRING {
    char c[N];

    STRING() { clear(); }
    STRING(std::string_view s) { assign(s); }
    STRING& operator=(std::string_view s) {
        assign(s);
        return *this;
    }

    /// Copies s, cut to the field's width, and pads the rest with blanks.
    void assign(std::string_view s) {
        const std::size_t n = std::min<std::size_t>(s.size(), N);
        std::memcpy(c, s.data(), n);
        std::memset(c + n, ' ', N - n);
    }
    void clear() { std::memset(c, ' ', N); }

    /// The text without trailing blanks.
    std::string_view view() const { return trimRight(std::string_view(c, N)); }
    std::string str() const { return std::string(view()); }
    bool blank() const { return view().empty(); }
    static constexpr int width() { return N; }

    bool operator==(std::string_view s) const { return view() == trimRight(s); }
    template <int M>
    bool operator==(const STRING<M>& o) const {
        return view() == o.view();
    }
};

/// A memo of the earlier releases' layouts: a note of up to N characters kept with the
/// record. In a record image it is held like a STRING of that width.
template <int N>
struct MEMO : STRING<N> {
    using STRING<N>::STRING;
    using STRING<N>::operator=;
};

}  // namespace store

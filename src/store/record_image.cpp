#include "record_image.h"

#include <cstring>

#include "fixed_string.h"

namespace store {

long long getNumber(const FieldDecl& f, const std::byte* rec, int element) {
    const std::byte* p = rec + f.offset + element * f.width;
    switch (f.type) {
        case FieldType::LONG: {
            std::int32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case FieldType::SHORT: {
            std::int16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case FieldType::BYTE:
            return std::to_integer<std::uint8_t>(*p);
        case FieldType::STRING:
        case FieldType::MEMO:
            break;
    }
    return 0;
}

void setNumber(const FieldDecl& f, std::byte* rec, long long value, int element) {
    std::byte* p = rec + f.offset + element * f.width;
    switch (f.type) {
        case FieldType::LONG: {
            auto v = static_cast<std::int32_t>(value);
            std::memcpy(p, &v, 4);
            break;
        }
        case FieldType::SHORT: {
            auto v = static_cast<std::int16_t>(value);
            std::memcpy(p, &v, 2);
            break;
        }
        case FieldType::BYTE:
            *p = static_cast<std::byte>(static_cast<std::uint8_t>(value));
            break;
        case FieldType::STRING:
        case FieldType::MEMO:
            break;
    }
}

std::string_view getText(const FieldDecl& f, const std::byte* rec, int element) {
    const char* p = reinterpret_cast<const char*>(rec + f.offset + element * f.width);
    return trimRight(std::string_view(p, f.width));
}

void setText(const FieldDecl& f, std::byte* rec, std::string_view value, int element) {
    char* p = reinterpret_cast<char*>(rec + f.offset + element * f.width);
    const std::size_t n = std::min<std::size_t>(value.size(), f.width);
    std::memcpy(p, value.data(), n);
    std::memset(p + n, ' ', f.width - n);
}

void clearRecord(const TableDecl& t, std::byte* rec) {
    for (const FieldDecl& f : t.fields) clearField(f, rec);
}

void clearField(const FieldDecl& f, std::byte* rec) {
    std::memset(rec + f.offset, isText(f.type) ? ' ' : 0, f.size());
}

bool fieldEmpty(const FieldDecl& f, const std::byte* rec) {
    for (int e = 0; e < f.count; ++e) {
        if (isText(f.type) ? !getText(f, rec, e).empty() : getNumber(f, rec, e) != 0) return false;
    }
    return true;
}

bool keyEmpty(const TableDecl& t, const KeyDecl& k, const std::byte* rec) {
    for (const KeyComponent& c : k.components) {
        if (!fieldEmpty(t.fields[c.field], rec)) return false;
    }
    return true;
}

static unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

int compareText(std::string_view a, std::string_view b, bool caseInsensitive) {
    a = trimRight(a);
    b = trimRight(b);
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = a[i], y = b[i];
        if (caseInsensitive) x = fold(x), y = fold(y);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

static int compareField(const FieldDecl& f, bool ci, const std::byte* a, const std::byte* b) {
    if (isText(f.type)) return compareText(getText(f, a), getText(f, b), ci);
    const long long x = getNumber(f, a), y = getNumber(f, b);
    return x == y ? 0 : (x < y ? -1 : 1);
}

int compareKey(const TableDecl& t, const KeyDecl& k, const std::byte* a, const std::byte* b,
               int components) {
    const int n = components < 0 ? int(k.components.size()) : components;
    for (int i = 0; i < n; ++i) {
        const KeyComponent& c = k.components[i];
        int r = compareField(t.fields[c.field], k.caseInsensitive, a, b);
        if (r != 0) return c.descending ? -r : r;
    }
    return 0;
}

bool fieldEquals(const TableDecl& t, int field, const std::byte* a, const std::byte* b) {
    return compareField(t.fields[field], fieldCaseInsensitive(t, field), a, b) == 0;
}

void copyField(const FieldDecl& from, const std::byte* src, const FieldDecl& to, std::byte* dst) {
    if (isText(to.type)) {
        if (isText(from.type))
            setText(to, dst, getText(from, src));
        else
            setText(to, dst, std::to_string(getNumber(from, src)));
    } else {
        setNumber(to, dst, isText(from.type) ? 0 : getNumber(from, src));
    }
}

bool fieldCaseInsensitive(const TableDecl& t, int field) {
    if (t.fields[field].type != FieldType::STRING) return false;
    for (const KeyDecl& k : t.keys) {
        if (!k.caseInsensitive) continue;
        for (const KeyComponent& c : k.components)
            if (c.field == field) return true;
    }
    return false;
}

}  // namespace store

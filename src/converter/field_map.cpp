#include "converter/field_map.h"

#include <algorithm>
#include <cstring>

#include "store/record_image.h"

namespace converter {

using store::FieldDecl;
using store::isText;

FieldMap::FieldMap(const store::TableDecl& from, const store::TableDecl& to,
                   std::initializer_list<const char*> except) {
    for (const FieldDecl& t : to.fields) {
        if (std::any_of(except.begin(), except.end(),
                        [&](const char* name) { return std::strcmp(name, t.name) == 0; }))
            continue;
        const int f = from.fieldIndex(t.name);
        if (f < 0) continue;
        const FieldDecl& s = from.fields[f];
        if (isText(s.type) != isText(t.type)) continue;
        pairs_.push_back({&s, &t, std::min(s.count, t.count)});
    }
}

void FieldMap::apply(const std::byte* from, std::byte* to) const {
    for (const Pair& p : pairs_) {
        for (int e = 0; e < p.elements; ++e) {
            if (isText(p.to->type))
                store::setText(*p.to, to, store::getText(*p.from, from, e), e);
            else
                store::setNumber(*p.to, to, store::getNumber(*p.from, from, e), e);
        }
    }
}

}  // namespace converter

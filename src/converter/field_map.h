#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "store/table_decl.h"

namespace converter {

/// The mapping rule between an old layout and a new one: each field of the new record
/// takes the old field of the same name. A text is padded or cut to its new width, a memo
/// loses its trailing blanks and is cut likewise, numbers keep their value, and an array
/// copies as many elements as both have. Fields of different kinds (a text that became a
/// code), fields without a counterpart and those named in `except` are left as the new
/// record had them: blank or 0 after a clear.
class FieldMap {
  public:
    FieldMap(const store::TableDecl& from, const store::TableDecl& to,
             std::initializer_list<const char*> except = {});

    void apply(const std::byte* from, std::byte* to) const;

  private:
    struct Pair {
        const store::FieldDecl* from;
        const store::FieldDecl* to;
        int elements;
    };
    std::vector<Pair> pairs_;
};

}  // namespace converter

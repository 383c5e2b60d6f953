#pragma once

#include <string>
#include <variant>
#include <vector>

#include "reports/document.h"

namespace reports::test {

/// Every text of a document, one an entry, in the order drawn.
inline std::vector<std::string> texts(const Document& doc) {
    std::vector<std::string> out;
    for (int p = 0; p < doc.pageCount(); ++p)
        for (const Item& i : doc.pages[p].items)
            if (const auto* t = std::get_if<TextItem>(&i)) out.push_back(t->text);
    return out;
}

}  // namespace reports::test

#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
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

/// The text of a PDF file as pdftotext reads it, page by page (form feeds between).
inline std::string pdfText(const std::string& path) {
    const std::string out = path + ".txt";
    EXPECT_EQ(0, std::system(("pdftotext -layout '" + path + "' '" + out + "'").c_str()))
        << "pdftotext (poppler-utils) is needed";
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace reports::test

#include "booking/words.h"

#include <cctype>

#include "store/tables.h"

namespace booking {

namespace {

std::function<std::string(const std::string&)>& translator() {
    static std::function<std::string(const std::string&)> t;
    return t;
}

}  // namespace

std::string tr(const std::string& text) {
    const auto& t = translator();
    return t ? t(text) : text;
}

void setTranslator(std::function<std::string(const std::string&)> translate) {
    translator() = std::move(translate);
}

std::string merge(std::string_view text, const std::string& v1, const std::string& v2,
                  const std::string& v3) {
    std::string out;
    out.reserve(text.size() + v1.size() + v2.size() + v3.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            const char n = text[++i];
            out += n == '1' ? v1 : n == '2' ? v2 : v3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

}  // namespace booking

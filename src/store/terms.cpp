#include "store/terms.h"

#include <cctype>

#include "store/tables.h"

namespace store {

namespace {

bool blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string storedOr(std::string_view stored, const std::string& fallback) {
    std::string word = trimmed(stored);
    return word.empty() ? fallback : word;
}

}  // namespace

Terms Terms::of(const SYSPREF& syp) {
    Terms t;
    t.booking = storedOr(syp.LABELS1_1.view(), t.booking);
    t.bookings = storedOr(syp.LABELS1_2.view(), t.bookings);
    t.resource = storedOr(syp.LABELS2_1.view(), t.resource);
    t.resources = storedOr(syp.LABELS2_2.view(), t.resources);
    t.client = storedOr(syp.LABELS3_1.view(), t.client);
    t.clients = storedOr(syp.LABELS3_2.view(), t.clients);
    return t;
}

const std::string& Terms::word(Term t) const {
    static const std::string none;
    const std::string* words[] = {&booking, &bookings, &resource, &resources, &client, &clients};
    const int i = termIndex(t);
    return i < 0 ? none : *words[i];
}

bool opensSentence(std::string_view text, std::size_t at) {
    std::size_t i = at;
    while (i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t' || text[i - 1] == '&')) --i;
    if (i == 0) return true;
    const char c = text[i - 1];
    if (c == '\n' || c == '\r') return true;
    // A full stop directly before the term ("No.%1") is not the end of a sentence.
    return (c == '.' || c == '!' || c == '?') && i < at;
}

std::string asciiLower(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string mergeTerms(std::string_view text, const std::string& v1, const std::string& v2,
                       const std::string& v3, TermCase how, const Lowering& lower) {
    auto rightTrimmed = [](std::string s) {
        while (!s.empty() && blank(s.back())) s.pop_back();
        return s;
    };
    const std::string values[3] = {rightTrimmed(v1), rightTrimmed(v2), rightTrimmed(v3)};
    std::string out;
    out.reserve(text.size() + 16);
    // One pass, so that a value that itself holds "%2" is never merged again.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            const std::string& v = values[text[i + 1] - '1'];
            if (!v.empty()) {
                const bool lowered = how == TermCase::Lower ||
                                     (how == TermCase::ByPosition && !opensSentence(text, i));
                out += lowered ? lower(v) : v;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string mergeTerms(std::string_view text, const Terms& terms, Term t1, Term t2, Term t3,
                       TermCase how, const Lowering& lower) {
    return mergeTerms(text, terms.word(t1), terms.word(t2), terms.word(t3), how, lower);
}

}  // namespace store

#include "framework/help_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace framework {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// True when text is well-formed UTF-8 without NUL bytes: anything else is not a help
// file, whatever it may hold.
bool isUtf8Text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        int more = c < 0x80           ? 0
                   : (c >> 5) == 0x6  ? 1
                   : (c >> 4) == 0xE  ? 2
                   : (c >> 3) == 0x1E ? 3
                                      : -1;
        if (more < 0 || (more == 1 && c < 0xC2) || (more > 0 && i + more >= text.size()))
            return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += more + 1;
    }
    return true;
}

bool fail(std::string* error, int line, const std::string& what) {
    if (error) *error = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + what;
    return false;
}

// Checks the links of one line: each "[[" closed on the same line and naming a topic.
bool checkLinks(std::string_view line, int lineNo, std::string* error) {
    std::size_t at = 0;
    while ((at = line.find("[[", at)) != std::string_view::npos) {
        const std::size_t end = line.find("]]", at + 2);
        if (end == std::string_view::npos)
            return fail(error, lineNo, "a link is not closed with \"]]\"");
        const std::string_view inner = line.substr(at + 2, end - at - 2);
        if (inner.empty() || inner.front() != '~' ||
            helpKey(inner.substr(0, inner.find('|'))).empty())
            return fail(error, lineNo, "a link must name a topic, as in [[~Topic_Name]]");
        at = end + 2;
    }
    return true;
}

std::size_t countOf(const std::string& haystack, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = haystack.find(word); at != std::string::npos;
         at = haystack.find(word, at + word.size()))
        ++n;
    return n;
}

}  // namespace

std::string helpKey(std::string_view name) {
    name = trim(name);
    if (!name.empty() && name.front() == '~') name.remove_prefix(1);
    std::string key;
    for (char c : name)
        if (c != ' ' && c != '\t') key += char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::vector<HelpRun> splitLinks(std::string_view text) {
    std::vector<HelpRun> runs;
    const auto plain = [&](std::string_view s) {
        if (s.empty()) return;
        if (!runs.empty() && runs.back().target.empty())
            runs.back().text += s;
        else
            runs.push_back({std::string(s), {}});
    };
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find("[[", at);
        const std::size_t close = open == std::string_view::npos ? open : text.find("]]", open + 2);
        if (close == std::string_view::npos) {
            plain(text.substr(at));
            break;
        }
        plain(text.substr(at, open - at));
        std::string_view inner = text.substr(open + 2, close - open - 2);
        if (inner.empty() || inner.front() != '~') {
            plain(text.substr(open, close + 2 - open));  // not a link: keep as written
        } else {
            inner.remove_prefix(1);
            const std::size_t bar = inner.find('|');
            HelpRun link;
            link.target = std::string(trim(inner.substr(0, bar)));
            if (bar != std::string_view::npos) link.text = std::string(trim(inner.substr(bar + 1)));
            runs.push_back(std::move(link));
        }
        at = close + 2;
    }
    return runs;
}

std::optional<HelpFile> HelpFile::parse(std::string_view text, std::string* error) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (!isUtf8Text(text)) {
        fail(error, 0, "the file is not a text file");
        return std::nullopt;
    }
    HelpFile file;
    std::set<std::string> keys;
    bool haveTopic = false, wantTitle = false, skipping = false;
    HelpTopic current;
    HelpBlock* block = nullptr;  // the block that a next line continues
    const auto closeTopic = [&] {
        if (haveTopic && !skipping) file.topics_.push_back(std::move(current));
        current = HelpTopic();
        block = nullptr;
    };

    int lineNo = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (!line.empty() && line.front() == '#') continue;
        if (!line.empty() && line.front() == '~') {
            if (wantTitle) {
                fail(error, current.line, "the topic ~" + current.name + " has no title");
                return std::nullopt;
            }
            const std::string name(trim(line.substr(1)));
            const std::string key = helpKey(name);
            if (key.empty()) {
                fail(error, lineNo, "a topic line without a topic name");
                return std::nullopt;
            }
            if (!std::all_of(key.begin(), key.end(), [](char c) {
                    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
                })) {
                fail(error, lineNo,
                     "the topic name \"" + name + "\" may hold only letters, digits and '_'");
                return std::nullopt;
            }
            closeTopic();
            haveTopic = true;
            wantTitle = true;
            skipping = !keys.insert(key).second;
            if (skipping)
                file.warnings_.push_back("line " + std::to_string(lineNo) + ": a second topic ~" +
                                         name + " is ignored");
            current.name = name;
            current.line = lineNo;
            continue;
        }
        const std::string_view words = trim(line);
        if (!haveTopic) {
            if (words.empty()) continue;
            fail(error, lineNo, "text before the first topic");
            return std::nullopt;
        }
        if (words.empty()) {
            block = nullptr;
            continue;
        }
        if (!checkLinks(words, lineNo, error)) return std::nullopt;
        if (wantTitle) {
            current.title = std::string(words);
            wantTitle = false;
            continue;
        }
        const bool indented = line.front() == ' ' || line.front() == '\t';
        if (words.substr(0, 2) == "- " || words == "-") {
            current.blocks.push_back({HelpBlock::Kind::Item, std::string(trim(words.substr(1)))});
            block = &current.blocks.back();
        } else if (block && (block->kind == HelpBlock::Kind::Paragraph || indented)) {
            block->text += ' ';
            block->text += words;
        } else {
            current.blocks.push_back({HelpBlock::Kind::Paragraph, std::string(words)});
            block = &current.blocks.back();
        }
    }
    if (wantTitle) {
        fail(error, current.line, "the topic ~" + current.name + " has no title");
        return std::nullopt;
    }
    closeTopic();
    if (file.topics_.empty()) {
        fail(error, 0, "the file holds no help topic");
        return std::nullopt;
    }
    for (const HelpTopic& t : file.topics_)
        for (const HelpBlock& b : t.blocks)
            for (const HelpRun& run : splitLinks(b.text))
                if (!run.target.empty() && !file.find(run.target))
                    file.warnings_.push_back("the topic ~" + t.name + " (line " +
                                             std::to_string(t.line) + ") links to ~" + run.target +
                                             ", which is not in the file");
    return file;
}

std::optional<HelpFile> HelpFile::load(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "the file cannot be opened";
        return std::nullopt;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        if (error) *error = "the file cannot be read";
        return std::nullopt;
    }
    return parse(text, error);
}

const HelpTopic* HelpFile::find(std::string_view name) const {
    const std::string key = helpKey(name);
    for (const HelpTopic& t : topics_)
        if (helpKey(t.name) == key) return &t;
    return nullptr;
}

std::string HelpFile::linkText(const HelpRun& link) const {
    if (!link.text.empty()) return link.text;
    if (const HelpTopic* t = find(link.target)) return t->title;
    return link.target;
}

std::string HelpFile::plainText(const HelpTopic& topic) const {
    std::string out = topic.title;
    for (const HelpBlock& b : topic.blocks) {
        out += '\n';
        for (const HelpRun& run : splitLinks(b.text))
            out += run.target.empty() ? run.text : linkText(run);
    }
    return out;
}

std::vector<const HelpTopic*> HelpFile::search(std::string_view query) const {
    std::vector<std::string> words;
    std::istringstream in{lower(query)};
    for (std::string w; in >> w;) words.push_back(w);

    struct Hit {
        const HelpTopic* topic;
        bool inTitle;
        std::size_t count;
    };
    std::vector<Hit> hits;
    for (const HelpTopic& t : topics_) {
        const std::string title = lower(t.title), all = lower(plainText(t));
        bool every = true, inTitle = true;
        std::size_t count = 0;
        for (const std::string& w : words) {
            const std::size_t n = countOf(all, w);
            every = every && n > 0;
            inTitle = inTitle && title.find(w) != std::string::npos;
            count += n;
        }
        if (every) hits.push_back({&t, inTitle && !words.empty(), count});
    }
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.inTitle != b.inTitle) return a.inTitle;
        return a.count > b.count;
    });
    std::vector<const HelpTopic*> out;
    for (const Hit& h : hits) out.push_back(h.topic);
    return out;
}

}  // namespace framework

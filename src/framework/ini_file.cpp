#include "framework/ini_file.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace framework {

namespace {

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

/// The section a line opens ("[Main]" -> "Main"), or nothing.
std::optional<std::string> sectionOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']')
        return trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

/// The key of a "key=value" line, with its value.
bool keyOf(const std::string& line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return !key.empty();
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::vector<std::string> IniFile::readLines() const {
    std::vector<std::string> lines;
    // Only a plain file is read: a folder or a pipe under the name would fail or wait for
    // ever, and neither holds placements.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path_, ec)) return lines;
    const auto size = std::filesystem::file_size(path_, ec);
    if (ec || size > kMaxSize) return lines;
    std::ifstream in(path_, std::ios::binary);
    std::string text(size, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    return lines;
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
    bool inSection = false;
    for (const std::string& line : readLines()) {
        if (auto s = sectionOf(line)) {
            inSection = sameName(*s, section);
            continue;
        }
        std::string k, v;
        if (inSection && keyOf(line, k, v) && sameName(k, key)) return v;
    }
    return std::nullopt;
}

std::string IniFile::get(const std::string& section, const std::string& key,
                         const std::string& fallback) const {
    return get(section, key).value_or(fallback);
}

std::optional<int> IniFile::getInt(const std::string& section, const std::string& key) const {
    const auto v = get(section, key);
    if (!v || v->empty()) return std::nullopt;
    try {
        std::size_t used = 0;
        const long long n = std::stoll(*v, &used);
        if (used != v->size() || n < INT32_MIN || n > INT32_MAX) return std::nullopt;
        return int(n);
    } catch (...) {
        return std::nullopt;
    }
}

bool IniFile::put(const std::string& section, const std::string& key, const std::string& value) {
    std::vector<std::string> lines = readLines();
    const std::string entry = key + "=" + value;
    bool inSection = false, done = false;
    std::size_t sectionEnd = std::string::npos;  // where a key of the section would go
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto s = sectionOf(lines[i])) {
            if (inSection) break;
            inSection = sameName(*s, section);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        std::string k, v;
        if (keyOf(lines[i], k, v) && sameName(k, key)) {
            lines[i] = entry;
            done = true;
        } else if (!trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("");
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + long(sectionEnd), entry);
        }
    }
    const std::string temp = path_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc | std::ios::binary);
        for (const std::string& l : lines) out << l << '\n';
        if (!out.flush()) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    // A file that cannot be replaced keeps its old content, and no copy is left beside it.
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool IniFile::put(const std::string& section, const std::string& key, int value) {
    return put(section, key, std::to_string(value));
}

}  // namespace framework

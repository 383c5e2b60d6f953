#include "store/error_class.h"

#include <cstdlib>
#include <utility>

#include "store/builtin_messages.inc"
#include "store/fixed_string.h"

namespace store {

namespace {

/// Cuts s to at most max bytes without splitting a UTF-8 character.
void cutTo(std::string& s, std::size_t max) {
    if (s.size() <= max) return;
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
}

std::string limited(std::string_view s, std::size_t max) {
    std::string out(s);
    cutTo(out, max);
    return out;
}

/// Reads a message block whole; false when it does not hold exactly its entries.
bool parseBlock(const unsigned char* p, std::size_t size, std::vector<ErrorClass::Entry>& out) {
    if (p == nullptr || size < 2) return false;
    const unsigned char* const end = p + size;
    auto u16 = [&p]() {
        const unsigned v = p[0] | (p[1] << 8);
        p += 2;
        return static_cast<std::uint16_t>(v);
    };
    auto text = [&p, end](std::string& s) {
        if (end - p < 1) return false;
        const std::size_t n = *p++;
        if (static_cast<std::size_t>(end - p) < n) return false;
        s.assign(reinterpret_cast<const char*>(p), n);
        p += n;
        return true;
    };

    const unsigned count = u16();
    out.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        ErrorClass::Entry e;
        if (end - p < 3) return false;
        e.id = u16();
        e.severity = *p++;
        if (!text(e.title) || !text(e.text)) return false;
        out.push_back(std::move(e));
    }
    // Bytes past the counted entries mean the count or a length is wrong.
    return p == end;
}

/// The entry's text, split into what came from the entry (still searched for
/// placeholders) and what was inserted (never searched again).
class WorkArea {
  public:
    explicit WorkArea(std::string text) { pieces_.push_back({std::move(text), true}); }

    /// Replaces every occurrence of placeholder in the entry's own text by value(); value is
    /// asked for only when the placeholder occurs.
    template <class Value>
    void replace(std::string_view placeholder, Value&& value) {
        std::vector<Piece> out;
        std::string inserted;
        bool have = false;
        for (Piece& piece : pieces_) {
            if (!piece.fromEntry) {
                out.push_back(std::move(piece));
                continue;
            }
            std::size_t from = 0;
            for (std::size_t at; (at = piece.text.find(placeholder, from)) != std::string::npos;
                 from = at + placeholder.size()) {
                if (!have) {
                    inserted = value();
                    have = true;
                }
                out.push_back({piece.text.substr(from, at - from), true});
                out.push_back({inserted, false});
            }
            out.push_back({piece.text.substr(from), true});
        }
        pieces_ = std::move(out);
    }

    std::string text(std::size_t max) const {
        std::string s;
        for (const Piece& piece : pieces_) {
            s += piece.text;
            if (s.size() > max) break;
        }
        cutTo(s, max);
        return s;
    }

  private:
    struct Piece {
        std::string text;
        bool fromEntry;
    };
    std::vector<Piece> pieces_;
};

}  // namespace

ErrorClass::ErrorClass() : endProgram([](int code) { std::exit(code); }) {}

ErrorClass::~ErrorClass() = default;

void ErrorClass::INIT() {
    KILL();
    ADDERRORS(kBuiltInMessages, sizeof kBuiltInMessages);
}

bool ErrorClass::ADDERRORS(const unsigned char* block, std::size_t size) {
    std::vector<Entry> added;
    if (!parseBlock(block, size, added)) return false;
    entries_.insert(entries_.end(), std::make_move_iterator(added.begin()),
                    std::make_move_iterator(added.end()));
    return true;
}

void ErrorClass::SETFILE(std::string_view name) {
    fileName = limited(trimRight(name), kMaxField);
    fileName = std::string(trimRight(fileName));
}

void ErrorClass::SETFIELD(std::string_view text) {
    fieldText = limited(text, kMaxField);
}

void ErrorClass::SETERRORS() {
    if (engine_ == nullptr) return;
    errorCode = engine_->code;
    errorText = engine_->text;
    fileErrorCode = engine_->fileCode;
    fileErrorText = engine_->fileText;
}

bool ErrorClass::SETID(int id) {
    current_ = kNone;
    for (std::size_t i = entries_.size(); i-- > 0;) {
        if (entries_[i].id == id) {
            current_ = i;
            return true;
        }
    }
    return false;
}

Level ErrorClass::THROW(int id) {
    SETERRORS();
    return TAKEERROR(id);
}

Level ErrorClass::THROWMESSAGE(int id, std::string_view text) {
    messageText = limited(text, kMaxField);
    return THROW(id);
}

Level ErrorClass::TAKEERROR(int id) {
    if (!SETID(id)) {
        std::string text = "Message " + std::to_string(id) + " is not defined.";
        if (errorCode != 0) text += "  Error: " + errorTextValue() + ".";
        questions().message("Program Error", text, Icon::Exclamation, BUTTON_OK, BUTTON_OK);
        return Level_Program;
    }
    switch (entries_[current_].severity) {
        case Level_Benign:
            return TAKEBENIGN();
        case Level_User:
        case Level_Cancel:
            return TAKEUSER();
        case Level_Program:
            return TAKEPROGRAM();
        case Level_Fatal:
            return TAKEFATAL();
        case Level_Notify:
            return TAKENOTIFY();
        default:
            return TAKEOTHER();
    }
}

Button ErrorClass::MESSAGE(int id, unsigned buttons, Button defaultButton) {
    if (!SETID(id)) {
        questions().message("Program Error", "Message " + std::to_string(id) + " is not defined.",
                            Icon::Exclamation, BUTTON_OK, BUTTON_OK);
        if (buttons & BUTTON_CANCEL) return BUTTON_CANCEL;
        if (buttons & BUTTON_NO) return BUTTON_NO;
        return defaultButton;
    }
    return questions().message(currentTitle(), SUBSSTRING(), Icon::Question, buttons,
                               defaultButton);
}

std::string ErrorClass::SUBSSTRING() const {
    return current_ == kNone ? std::string() : substitute(current_);
}

void ErrorClass::KILL() {
    entries_.clear();
    entries_.shrink_to_fit();
    current_ = kNone;
}

Level ErrorClass::TAKEBENIGN() {
    return Level_Benign;
}

Level ErrorClass::TAKEFATAL() {
    return endAfterTelling(Level_Fatal);
}

Level ErrorClass::TAKENOTIFY() {
    questions().message(currentTitle(), SUBSSTRING(), Icon::Exclamation, BUTTON_OK, BUTTON_OK);
    return Level_Notify;
}

Level ErrorClass::TAKEOTHER() {
    return TAKEPROGRAM();
}

Level ErrorClass::TAKEPROGRAM() {
    return endAfterTelling(Level_Program);
}

Level ErrorClass::TAKEUSER() {
    const Button pressed = questions().message(currentTitle(), SUBSSTRING(), Icon::Question,
                                               BUTTON_YES | BUTTON_NO, BUTTON_YES);
    return pressed == BUTTON_YES ? Level_Benign : Level_Cancel;
}

const ErrorClass::Entry* ErrorClass::currentEntry() const {
    return current_ == kNone ? nullptr : &entries_[current_];
}

std::string ErrorClass::currentTitle() const {
    return current_ == kNone ? std::string() : entries_[current_].title;
}

Level ErrorClass::endAfterTelling(Level level) {
    questions().message(currentTitle(), SUBSSTRING() + "  Press OK to end this application",
                        Icon::Exclamation, BUTTON_OK, BUTTON_OK);
    // The exit code tells whoever started the program that it did not end normally.
    const int exitCode = level;
    if (endProgram)
        endProgram(exitCode);
    else
        std::exit(exitCode);
    return level;
}

std::string ErrorClass::errorTextValue() const {
    // Error 90 is the file system's: its own text and code say more than the engine's.
    if (errorCode == FileSystemErr)
        return fileErrorText + " (" + std::to_string(fileErrorCode) + ")";
    return errorText + " (" + std::to_string(errorCode) + ")";
}

std::string ErrorClass::substitute(std::size_t index) const {
    // "%Previous" shows the entry this one overrides as that entry would show itself, which
    // may in turn show the one it overrides. An added block can stack thousands of entries
    // of one id, so the chain is walked in a loop, oldest first, never by recursion.
    const std::uint16_t id = entries_[index].id;
    std::vector<std::size_t> earlier;  // the entries of this id before this one, oldest first
    for (std::size_t i = 0; i < index; ++i)
        if (entries_[i].id == id) earlier.push_back(i);
    std::vector<std::size_t> chain{index};
    while (!earlier.empty() && entries_[chain.back()].text.find("%Previous") != std::string::npos) {
        chain.push_back(earlier.back());
        earlier.pop_back();
    }
    std::string previous;  // nothing for the oldest entry of the chain
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) previous = fill(*it, previous);
    return previous;
}

std::string ErrorClass::fill(std::size_t index, const std::string& previous) const {
    WorkArea work(entries_[index].text);
    // The order matters: "%ErrorCode" and "%ErrorText" go before "%Error" would eat them.
    work.replace("%File", [&] { return fileName; });
    work.replace("%ErrorCode", [&] { return std::to_string(errorCode); });
    work.replace("%ErrorText", [&] { return errorTextValue(); });
    work.replace("%Error", [&] { return errorText; });
    work.replace("%Message", [&] { return messageText; });
    work.replace("%Field", [&] { return fieldText; });
    work.replace("%Previous", [&] { return previous; });
    return work.text(kWorkArea);
}

}  // namespace store

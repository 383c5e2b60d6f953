#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace store {

struct SYSPREF;

/// The organisation's words for the three things Tembrix is about, singular and plural.
enum class Term {
    None,
    BookingSingular,
    BookingPlural,
    ResourceSingular,
    ResourcePlural,
    ClientSingular,
    ClientPlural,
};

/// Where a term stands among the six words in the order Terms lists them (booking,
/// bookings, resource, resources, client, clients): 0 to 5; -1 for Term::None.
constexpr int termIndex(Term t) {
    return int(t) - 1;
}

/// How a term enters a text. ByPosition decides per placeholder: a term that opens the
/// text (or a sentence or line in it) or stands alone is used as stored, a term inside a
/// sentence is lower-cased ("Add %1" -> "Add booking", "%1 groups" -> "Resource groups").
/// Callers that know better ask for AsStored or Lower.
enum class TermCase { ByPosition, AsStored, Lower };

/// The organisation's terms as a SYSPREF record holds them (SYP:LABELS1_1 … LABELS3_2),
/// without surrounding blanks. A term left blank falls back to the system's own word, so
/// that no caption ever loses its noun.
struct Terms {
    std::string booking = "Booking", bookings = "Bookings";
    std::string resource = "Resource", resources = "Resources";
    std::string client = "Client", clients = "Clients";

    /// The terms of `syp`. Which record that is, is the caller's choice and differs on
    /// purpose: the windows of the program take the stored SYSPREF record; the system
    /// preference window takes its own unsaved buffer, so that its captions follow the
    /// words being typed.
    static Terms of(const SYSPREF& syp);
    /// The word of a term; empty for Term::None.
    const std::string& word(Term t) const;
};

/// Whether the placeholder at byte `at` opens the text, a sentence or a line of it: only
/// blanks, tabs and '&' mnemonics stand between it and the start of the text, a new
/// line, or a '.', '!' or '?' that does not touch it ("No.%1" continues a sentence).
bool opensSentence(std::string_view text, std::size_t at);

/// Lower-cases a term for use inside a sentence. The default handles ASCII; windows pass
/// one that knows every script.
using Lowering = std::function<std::string(const std::string&)>;
std::string asciiLower(const std::string& s);

/// Replaces every "%1", "%2" and "%3" of text by v1, v2 and v3 (trailing blanks removed),
/// each in the case `how` asks. A placeholder whose value is empty is left as it is, so a
/// text can be merged in two steps; a value holding "%2" is never merged again.
std::string mergeTerms(std::string_view text, const std::string& v1, const std::string& v2 = {},
                       const std::string& v3 = {}, TermCase how = TermCase::ByPosition,
                       const Lowering& lower = asciiLower);
/// The same with the words of `terms`.
std::string mergeTerms(std::string_view text, const Terms& terms, Term t1, Term t2 = Term::None,
                       Term t3 = Term::None, TermCase how = TermCase::ByPosition,
                       const Lowering& lower = asciiLower);

}  // namespace store

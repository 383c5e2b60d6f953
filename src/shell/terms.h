#pragma once

#include <QString>
#include <string>

namespace store {
struct SYSPREF;
}

namespace shell {

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

/// How a term enters a text. ByPosition decides per placeholder: a term that opens the
/// text (or a sentence or line in it) or stands alone is used as stored, a term inside a
/// sentence is lower-cased ("Add %1" -> "Add booking", "%1 groups" -> "Resource groups").
/// Callers that know better ask for AsStored or Lower.
enum class TermCase { ByPosition, AsStored, Lower };

/// The organisation's terms as the single SYSPREF record holds them, without their
/// trailing blanks. A term left blank falls back to the system's own word, so that no
/// caption ever loses its noun.
struct Terms {
    QString booking = QStringLiteral("Booking");
    QString bookings = QStringLiteral("Bookings");
    QString resource = QStringLiteral("Resource");
    QString resources = QStringLiteral("Resources");
    QString client = QStringLiteral("Client");
    QString clients = QStringLiteral("Clients");

    /// SYP:LABELS1_1 ... SYP:LABELS3_2 of the buffer.
    static Terms fromSysPref(const store::SYSPREF& syp);
    /// The word of a term as stored; empty for Term::None.
    QString word(Term t) const;
};

/// The terms the program's windows merge: set by start-up after SYSPREF is read and
/// again when the system preferences are saved. The system's own words until then.
Terms currentTerms();
void setCurrentTerms(const Terms& terms);

/// Whether the placeholder at `at` opens the text, a sentence or a line of it: only
/// blanks and '&' mnemonics stand between it and the start of the text, a new line, or
/// a '.', '!' or '?' followed by a blank.
bool opensSentence(const QString& text, int at);

/// Replaces every "%1", "%2" and "%3" of text by v1, v2 and v3 (trailing blanks removed),
/// each occurrence in the case `how` asks. Placeholders whose value is empty are left
/// as they are, so a text can be merged in two steps.
QString mergeTerms(const QString& text, const QString& v1, const QString& v2 = {},
                   const QString& v3 = {}, TermCase how = TermCase::ByPosition);
/// The same with the words of `terms`.
QString mergeTerms(const QString& text, const Terms& terms, Term t1, Term t2 = Term::None,
                   Term t3 = Term::None, TermCase how = TermCase::ByPosition);
inline QString mergeTerms(const char* text, const Terms& terms, Term t1, Term t2 = Term::None,
                          Term t3 = Term::None, TermCase how = TermCase::ByPosition) {
    return mergeTerms(QString::fromUtf8(text), terms, t1, t2, t3, how);
}
std::string mergeTerms(const std::string& text, const Terms& terms, Term t1, Term t2 = Term::None,
                       Term t3 = Term::None, TermCase how = TermCase::ByPosition);

/// What a window shows for one of its own texts: the text translated, then the current
/// terms merged in. termsFor("Add %1", Term::BookingSingular) -> "Add booking".
QString termsFor(const QString& text, Term t1, Term t2 = Term::None,
                 TermCase how = TermCase::ByPosition);

}  // namespace shell

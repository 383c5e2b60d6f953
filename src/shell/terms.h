#pragma once

#include <QString>
#include <string>

#include "store/terms.h"

namespace store {
struct SYSPREF;
}

namespace shell {

using store::Term;
using store::TermCase;

/// The organisation's terms (store::Terms) as the frame's Qt texts take them.
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

/// store::opensSentence for the character at `at` of a Qt text.
bool opensSentence(const QString& text, int at);

/// store::mergeTerms for Qt texts, lower-casing through Qt.
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

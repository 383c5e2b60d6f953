#include "shell/terms.h"

#include <QMutex>
#include <QMutexLocker>

#include "shell/translator.h"
#include "store/tables.h"

namespace shell {

namespace {

QString trimmedRight(QString s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    s.truncate(n);
    return s;
}

QString storedOr(const QString& stored, const QString& fallback) {
    const QString t = trimmedRight(stored);
    return t.isEmpty() ? fallback : t;
}

QMutex termsLock;
Terms& programTerms() {
    static Terms terms;
    return terms;
}

}  // namespace

Terms Terms::fromSysPref(const store::SYSPREF& syp) {
    const Terms builtIn;
    auto text = [](const auto& field) { return QString::fromStdString(field.str()); };
    Terms t;
    t.booking = storedOr(text(syp.LABELS1_1), builtIn.booking);
    t.bookings = storedOr(text(syp.LABELS1_2), builtIn.bookings);
    t.resource = storedOr(text(syp.LABELS2_1), builtIn.resource);
    t.resources = storedOr(text(syp.LABELS2_2), builtIn.resources);
    t.client = storedOr(text(syp.LABELS3_1), builtIn.client);
    t.clients = storedOr(text(syp.LABELS3_2), builtIn.clients);
    return t;
}

QString Terms::word(Term t) const {
    switch (t) {
        case Term::None:
            return {};
        case Term::BookingSingular:
            return booking;
        case Term::BookingPlural:
            return bookings;
        case Term::ResourceSingular:
            return resource;
        case Term::ResourcePlural:
            return resources;
        case Term::ClientSingular:
            return client;
        case Term::ClientPlural:
            return clients;
    }
    return {};
}

Terms currentTerms() {
    QMutexLocker lock(&termsLock);
    return programTerms();
}

void setCurrentTerms(const Terms& terms) {
    QMutexLocker lock(&termsLock);
    programTerms() = terms;
}

bool opensSentence(const QString& text, int at) {
    int i = at - 1;
    while (i >= 0 && (text.at(i) == u' ' || text.at(i) == u'\t' || text.at(i) == u'&')) --i;
    if (i < 0) return true;
    const QChar c = text.at(i);
    if (c == u'\n' || c == u'\r') return true;
    // A full stop directly before the term ("No.%1") is not the end of a sentence.
    return (c == u'.' || c == u'!' || c == u'?') && i < at - 1;
}

QString mergeTerms(const QString& text, const QString& v1, const QString& v2, const QString& v3,
                   TermCase how) {
    const QString values[3] = {trimmedRight(v1), trimmedRight(v2), trimmedRight(v3)};
    QString out;
    out.reserve(text.size() + 16);
    // One pass, so that a value that itself holds "%2" is never merged again.
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'3') {
            const QString& v = values[text.at(i + 1).unicode() - u'1'];
            if (!v.isEmpty()) {
                const bool lower = how == TermCase::Lower ||
                                   (how == TermCase::ByPosition && !opensSentence(text, i));
                out += lower ? v.toLower() : v;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString mergeTerms(const QString& text, const Terms& terms, Term t1, Term t2, Term t3,
                   TermCase how) {
    return mergeTerms(text, terms.word(t1), terms.word(t2), terms.word(t3), how);
}

std::string mergeTerms(const std::string& text, const Terms& terms, Term t1, Term t2, Term t3,
                       TermCase how) {
    return mergeTerms(QString::fromStdString(text), terms, t1, t2, t3, how).toStdString();
}

QString termsFor(const QString& text, Term t1, Term t2, TermCase how) {
    return mergeTerms(TranslateString(text, 1), currentTerms(), t1, t2, Term::None, how);
}

}  // namespace shell

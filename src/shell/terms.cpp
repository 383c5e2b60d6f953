#include "shell/terms.h"

#include <QMutex>
#include <QMutexLocker>

#include "framework/program.h"
#include "shell/translator.h"
#include "store/tables.h"
#include "store/terms.h"

namespace shell {

namespace {

QMutex termsLock;
Terms& programTerms() {
    static Terms terms;
    return terms;
}

}  // namespace

Terms Terms::fromSysPref(const store::SYSPREF& syp) {
    const store::Terms stored = store::Terms::of(syp);
    auto q = [](const std::string& w) { return QString::fromStdString(w); };
    Terms t;
    t.booking = q(stored.booking);
    t.bookings = q(stored.bookings);
    t.resource = q(stored.resource);
    t.resources = q(stored.resources);
    t.client = q(stored.client);
    t.clients = q(stored.clients);
    return t;
}

QString Terms::word(Term t) const {
    const QString* words[] = {&booking, &bookings, &resource, &resources, &client, &clients};
    const int i = store::termIndex(t);
    return i < 0 ? QString() : *words[i];
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
    return store::opensSentence(text.toStdString(), std::size_t(text.left(at).toUtf8().size()));
}

QString mergeTerms(const QString& text, const QString& v1, const QString& v2, const QString& v3,
                   TermCase how) {
    return QString::fromStdString(store::mergeTerms(text.toStdString(), v1.toStdString(),
                                                    v2.toStdString(), v3.toStdString(), how,
                                                    framework::lowerAnyScript));
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

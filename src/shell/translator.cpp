#include "shell/translator.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMutexLocker>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <atomic>

namespace shell {

namespace {

std::atomic<Translator*> programTranslator{nullptr};

bool hasLetter(const QString& s) {
    for (QChar c : s)
        if (c.isLetter()) return true;
    return false;
}

/// The tool tip an action shows when none was set: its text without mnemonics and "...".
QString automaticTip(QString s) {
    s.remove(QStringLiteral("..."));
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s.at(i) == u'&') s.remove(i, 1);
    return s.trimmed();
}

bool skipped(const QObject* o) {
    const QVariant v = o->property("translate");
    return v.isValid() && !v.toBool();
}

}  // namespace

// --- the file formats --------------------------------------------------------------------

QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        const QChar e = text.at(i);
        if (e == u'\\')
            out += u'\\';
        else if (e == u't')
            out += u'\t';
        else if (e == u'n')
            out += u'\n';
        else
            return std::nullopt;
    }
    return out;
}

LanguageFile parseLanguageFile(const QByteArray& content) {
    LanguageFile file;
    QByteArray data = content;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    const QList<QByteArray> lines = data.split('\n');
    int number = 0;
    for (QByteArray raw : lines) {
        ++number;
        if (raw.endsWith('\r')) raw.chop(1);
        if (raw.trimmed().isEmpty() || raw.startsWith('#')) continue;
        auto bad = [&] {
            ++file.skippedLines;
            file.skipped.push_back(number);
        };
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(raw);
        if (utf8.hasError()) {
            bad();
            continue;
        }
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0 || line.indexOf(u'\t', tab + 1) >= 0) {
            bad();
            continue;
        }
        const std::optional<QString> source = unescapeText(line.left(tab));
        const std::optional<QString> target = unescapeText(line.mid(tab + 1));
        if (!source || !target || source->isEmpty() || target->isEmpty()) {
            bad();
            continue;
        }
        file.translations.insert(*source, *target);
    }
    return file;
}

// --- the translator ----------------------------------------------------------------------

Translator::Translator(QString extractionFile) : extractionFile_(std::move(extractionFile)) {
    Translator* none = nullptr;
    programTranslator.compare_exchange_strong(none, this);
}

Translator::~Translator() {
    Translator* me = this;
    programTranslator.compare_exchange_strong(me, nullptr);
}

Translator* Translator::instance() {
    return programTranslator.load();
}

bool Translator::load(const QString& languageFile, bool keep) {
    QFile f(languageFile);
    const bool found = f.open(QIODevice::ReadOnly);
    LanguageFile parsed;
    if (found) parsed = parseLanguageFile(f.readAll());
    QMutexLocker guard(&lock_);
    if (!keep) {
        translations_.clear();
        skippedLines_ = 0;
    }
    if (!found) return false;
    translations_.insert(parsed.translations);
    skippedLines_ += parsed.skippedLines;
    loaded_ = true;
    return true;
}

void Translator::close() {
    QMutexLocker guard(&lock_);
    translations_.clear();
    loaded_ = false;
    extracting_ = false;
}

bool Translator::loaded() const {
    QMutexLocker guard(&lock_);
    return loaded_;
}

int Translator::translationCount() const {
    QMutexLocker guard(&lock_);
    return int(translations_.size());
}

int Translator::skippedLines() const {
    QMutexLocker guard(&lock_);
    return skippedLines_;
}

void Translator::setExtracting(bool on) {
    QMutexLocker guard(&lock_);
    extracting_ = on;
}

QString Translator::translateString(const QString& text, bool withRecord) {
    if (text.isEmpty()) return text;
    QMutexLocker guard(&lock_);
    const auto it = translations_.constFind(text);
    if (it != translations_.constEnd()) return *it;
    if (withRecord) record(text);
    return text;
}

void Translator::readExtraction() {
    extractionRead_ = true;
    QFile f(extractionFile_);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QString content = QString::fromUtf8(f.readAll());
    for (QString line : content.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty()) continue;
        // A line someone edited into a bad escape still stands for its own text.
        extracted_.insert(unescapeText(line).value_or(line));
    }
}

void Translator::record(const QString& text) {
    if (!extracting_ || extractionBroken_ || extractionFile_.isEmpty() || !hasLetter(text)) return;
    if (!extractionRead_) readExtraction();
    if (extracted_.contains(text)) return;
    QFile f(extractionFile_);
    if (!f.open(QIODevice::ReadWrite)) {
        // A folder the program may not write to: translation goes on without the list.
        extractionBroken_ = true;
        return;
    }
    // Continue on a line of its own when someone left the last line open.
    QByteArray line;
    if (f.size() > 0 && f.seek(f.size() - 1) && f.peek(1) != "\n") line += '\n';
    line += escapeText(text).toUtf8() + '\n';
    f.seek(f.size());
    if (f.write(line) != line.size()) {
        extractionBroken_ = true;
        return;
    }
    extracted_.insert(text);
}

void Translator::translateText(QObject* o, const char* key, const std::function<QString()>& get,
                               const std::function<void(const QString&)>& set) {
    const QString current = get();
    if (current.isEmpty()) return;
    const QByteArray sourceKey = QByteArray("tembrix.source.") + key;
    const QByteArray shownKey = QByteArray("tembrix.shown.") + key;
    const QVariant source = o->property(sourceKey.constData());
    const QVariant shown = o->property(shownKey.constData());
    // The text shown is still the one this translator put there: translate its source
    // again rather than the translation.
    const QString from =
        source.isValid() && shown.toString() == current ? source.toString() : current;
    const QString to = translateString(from);
    o->setProperty(sourceKey.constData(), from);
    o->setProperty(shownKey.constData(), to);
    if (to != current) set(to);
}

void Translator::translateAction(QAction* a) {
    if (!a || a->isSeparator() || skipped(a)) return;
    const bool tipFollowsText = a->toolTip() == automaticTip(a->text());
    translateText(
        a, "text", [a] { return a->text(); }, [a](const QString& s) { a->setText(s); });
    // A tip that was never set follows the text by itself.
    if (!tipFollowsText || a->toolTip() != automaticTip(a->text()))
        translateText(
            a, "toolTip", [a] { return a->toolTip(); },
            [a](const QString& s) { a->setToolTip(s); });
    translateText(
        a, "statusTip", [a] { return a->statusTip(); },
        [a](const QString& s) { a->setStatusTip(s); });
}

void Translator::translateMenuActions(QWidget* holder, QSet<QAction*>& seen) {
    for (QAction* a : holder->actions()) {
        if (seen.contains(a)) continue;
        seen.insert(a);
        translateAction(a);
        if (QMenu* sub = a->menu<QMenu*>()) translateMenuActions(sub, seen);
    }
}

void Translator::translateOwn(QWidget* w, bool withTitle) {
    if (skipped(w)) return;
    if (withTitle || qobject_cast<QDockWidget*>(w))
        translateText(
            w, "windowTitle", [w] { return w->windowTitle(); },
            [w](const QString& s) { w->setWindowTitle(s); });

    auto* tool = qobject_cast<QToolButton*>(w);
    if (tool && tool->defaultAction()) {
        // The button shows its action's texts.
        translateAction(tool->defaultAction());
        return;
    }
    translateText(
        w, "toolTip", [w] { return w->toolTip(); }, [w](const QString& s) { w->setToolTip(s); });

    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        translateText(
            b, "text", [b] { return b->text(); }, [b](const QString& s) { b->setText(s); });
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        translateText(
            l, "text", [l] { return l->text(); }, [l](const QString& s) { l->setText(s); });
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        translateText(
            g, "title", [g] { return g->title(); }, [g](const QString& s) { g->setTitle(s); });
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        translateText(
            e, "placeholder", [e] { return e->placeholderText(); },
            [e](const QString& s) { e->setPlaceholderText(s); });
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        translateText(
            t, "placeholder", [t] { return t->placeholderText(); },
            [t](const QString& s) { t->setPlaceholderText(s); });
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        translateText(
            p, "placeholder", [p] { return p->placeholderText(); },
            [p](const QString& s) { p->setPlaceholderText(s); });
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        // The entries of drop lists are data; only the hint of an empty one is a text.
        translateText(
            c, "placeholder", [c] { return c->placeholderText(); },
            [c](const QString& s) { c->setPlaceholderText(s); });
    } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i) {
            const QByteArray n = QByteArray::number(i);
            translateText(
                bar, QByteArray("tab" + n).constData(), [bar, i] { return bar->tabText(i); },
                [bar, i](const QString& s) { bar->setTabText(i, s); });
            translateText(
                bar, QByteArray("tabTip" + n).constData(), [bar, i] { return bar->tabToolTip(i); },
                [bar, i](const QString& s) { bar->setTabToolTip(i, s); });
        }
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        translateOwn(tabs->tabBar(), false);
    } else if (auto* h = qobject_cast<QHeaderView*>(w)) {
        // The headings of a list are its columns'. Rows are numbered or show data, and a
        // browse over a large table has too many of them to visit.
        QAbstractItemModel* m = h->model();
        if (!m || h->orientation() != Qt::Horizontal) return;
        for (int i = 0; i < m->columnCount(); ++i) {
            translateText(
                h, QByteArray("section" + QByteArray::number(i)).constData(),
                [m, i] { return m->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(); },
                [m, i](const QString& s) {
                    m->setHeaderData(i, Qt::Horizontal, s, Qt::DisplayRole);
                });
        }
    } else if (auto* table = qobject_cast<QTableView*>(w)) {
        translateOwn(table->horizontalHeader(), false);
    } else if (auto* tree = qobject_cast<QTreeView*>(w)) {
        translateOwn(tree->header(), false);
    }
}

void Translator::translateWindow(QWidget* window) {
    if (!window) return;
    translateOwn(window, true);
    QSet<QAction*> seen;
    translateMenuActions(window, seen);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        // Another window that merely belongs to this one is translated when it opens;
        // pop-up menus are part of this one.
        if (child->isWindow() && !qobject_cast<QMenu*>(child)) continue;
        translateOwn(child, false);
        translateMenuActions(child, seen);
    }
    // Actions kept by the window without being shown in any of its menus or bars yet.
    for (QAction* a : window->findChildren<QAction*>()) {
        if (seen.contains(a)) continue;
        seen.insert(a);
        translateAction(a);
    }
}

void Translator::translateControl(QWidget* control) {
    if (!control) return;
    translateOwn(control, false);
    if (qobject_cast<QMenu*>(control) || qobject_cast<QMenuBar*>(control) ||
        qobject_cast<QToolBar*>(control)) {
        QSet<QAction*> seen;
        translateMenuActions(control, seen);
    }
}

int Translator::translateControls(QWidget* window, QWidget* first, QWidget* last) {
    if (!window || !first || !last) return 0;
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    const qsizetype from = controls.indexOf(first), to = controls.indexOf(last);
    if (from < 0 || to < 0 || to < from) return 0;
    for (qsizetype i = from; i <= to; ++i) translateControl(controls.at(i));
    return int(to - from + 1);
}

// --- the program's calls -------------------------------------------------------------------

bool INITTRANSLATOR(const QString& languageFile, int flag1, int flag2) {
    Translator* t = Translator::instance();
    if (!t) return false;
    t->setExtracting(flag1 == 0);
    return t->load(languageFile, flag2 != 0);
}

QString TranslateString(const QString& text, int flag) {
    Translator* t = Translator::instance();
    return t ? t->translateString(text, flag != 0) : text;
}

std::string TranslateString(const std::string& text, int flag) {
    return TranslateString(QString::fromStdString(text), flag).toStdString();
}

void Translate(QWidget* window) {
    if (Translator* t = Translator::instance()) t->translateWindow(window);
}

void TRANSLATECONTROL(QWidget* window, QWidget* control) {
    (void)window;
    if (Translator* t = Translator::instance()) t->translateControl(control);
}

void TRANSLATECONTROL(QWidget* window, QAction* control) {
    (void)window;
    if (Translator* t = Translator::instance()) t->translateAction(control);
}

void TRANSLATECONTROLS(QWidget* window, QWidget* first, QWidget* last) {
    if (Translator* t = Translator::instance()) t->translateControls(window, first, last);
}

QString MergeString(const QString& text, const QString& v1, const QString& v2, const QString& v3,
                    int f1, int f2, int f3) {
    const QString* values[3] = {&v1, &v2, &v3};
    const bool merge[3] = {f1 != 0, f2 != 0, f3 != 0};
    QString out;
    out.reserve(text.size() + v1.size() + v2.size() + v3.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'3') {
            const int n = text.at(i + 1).unicode() - u'1';
            if (merge[n]) {
                out += *values[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

void CloseTranslator() {
    if (Translator* t = Translator::instance()) t->close();
}

void PDTRANSLATORCLASS::TRANSLATECONTROL(QWidget* window, QWidget* control) {
    shell::TRANSLATECONTROL(window, control);
}

void PDTRANSLATORCLASS::TRANSLATECONTROLS(QWidget* window, QWidget* first, QWidget* last) {
    shell::TRANSLATECONTROLS(window, first, last);
}

// --- record-navigation buttons -------------------------------------------------------------

namespace {

const char kInsertTips[] =
    "\x02"
    "\xD0\x07\x1B"
    "Save record and add another"
    "\xD8\x07\x1B"
    "Save record and add another";

const char kChangeTips[] =
    "\x07"
    "\xD4\x07\x22"
    "Save changes and go to last record"
    "\xD5\x07\x23"
    "Save changes and go to first record"
    "\xD6\x07\x24"
    "Save changes and page down to record"
    "\xD7\x07\x22"
    "Save changes and page up to record"
    "\xD8\x07\x22"
    "Save changes and go to next record"
    "\xD9\x07\x26"
    "Save changes and go to previous record"
    "\xD0\x07\x22"
    "Save this record and add a new one";

int controlNumberOf(const QObject* o) {
    bool ok = false;
    const int n = o->property(kControlNumberProperty).toInt(&ok);
    if (ok) return n;
    for (const NavigationButton& b : kNavigationButtons)
        if (o->objectName() == QLatin1String(b.objectName)) return b.control;
    return 0;
}

}  // namespace

QObject* findNavigationControl(QWidget* form, int control) {
    if (!form) return nullptr;
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
        if (controlNumberOf(b) == control) return b;
    for (QAction* a : form->findChildren<QAction*>())
        if (controlNumberOf(a) == control) return a;
    for (QAction* a : form->actions())
        if (controlNumberOf(a) == control) return a;
    return nullptr;
}

std::optional<std::vector<TipEntry>> parseTipTable(const QByteArray& block) {
    if (block.isEmpty()) return std::nullopt;
    const auto byte = [&](qsizetype i) { return int(static_cast<unsigned char>(block.at(i))); };
    const int count = byte(0);
    std::vector<TipEntry> entries;
    qsizetype at = 1;
    for (int e = 0; e < count; ++e) {
        if (at + 3 > block.size()) return std::nullopt;
        const int control = byte(at) | (byte(at + 1) << 8);
        const int length = byte(at + 2);
        at += 3;
        if (at + length > block.size()) return std::nullopt;
        entries.push_back({control, QString::fromLatin1(block.constData() + at, length)});
        at += length;
    }
    if (at != block.size()) return std::nullopt;
    return entries;
}

QByteArray PDTOOLBARUPDATECLASS::insertTips() {
    return QByteArray(kInsertTips, sizeof kInsertTips - 1);
}

QByteArray PDTOOLBARUPDATECLASS::changeTips() {
    return QByteArray(kChangeTips, sizeof kChangeTips - 1);
}

void PDTOOLBARUPDATECLASS::UPDATETOOLBAR(QWidget* form, int request) {
    std::optional<std::vector<TipEntry>> table;
    if (request == 1) table = parseTipTable(insertTips());
    if (request == 2) table = parseTipTable(changeTips());
    if (form && table) {
        for (const TipEntry& e : *table) {
            QObject* o = findNavigationControl(form, e.control);
            // The tip is set in the program's own words; translating the button then
            // translates it, once.
            if (auto* w = qobject_cast<QWidget*>(o)) {
                w->setToolTip(e.tip);
                TRANSLATECONTROL(form, w);
            } else if (auto* a = qobject_cast<QAction*>(o)) {
                a->setToolTip(e.tip);
                TRANSLATECONTROL(form, a);
            }
        }
    }
    if (frameworkUpdate) frameworkUpdate(form, request);
}

}  // namespace shell

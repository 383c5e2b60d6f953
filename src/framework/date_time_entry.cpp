#include "framework/date_time_entry.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "framework/program.h"
#include "store/questions.h"

namespace framework {

namespace {

std::string translated(const std::string& text) {
    return program().translate ? program().translate(text) : text;
}

/// "dd/MM/yyyy" as users read it: "dd/mm/yyyy".
QString patternForUsers(const std::string& pattern) {
    return QString::fromStdString(pattern).toLower();
}

bool dayComesFirst(const std::string& pattern) {
    const auto d = pattern.find('d');
    const auto m = pattern.find('M');
    return d != std::string::npos && m != std::string::npos && d < m;
}

void tellRefused(const char* caption, const char* text, const QString& typed,
                 const QString& pattern) {
    const QString message =
        QString::fromStdString(translated(text)).replace("%1", typed).replace("%2", pattern);
    store::questions().message(translated(caption), message.toStdString(), store::Icon::Exclamation,
                               store::BUTTON_OK, store::BUTTON_OK);
}

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

/// Focus that leaves for another window (a message box, another program) or a pop-up
/// comes back to the entry; only a move inside the window ends the editing.
bool leavesTheEntry(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

/// Whether a deferred check may still speak: the entry is on show and no other modal
/// window (a date picker opened from beside it) is in front of its window.
bool stillEditable(QWidget* entry) {
    if (!entry->isVisible() || !entry->window()->isVisible()) return false;
    QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal == entry->window();
}

}  // namespace

// --- DateEntry ----------------------------------------------------------------------

DateEntry::DateEntry(QWidget* parent, Format format) : QLineEdit(parent), format_(format) {
    if (format_ == Format::Short)
        setPlaceholderText(patternForUsers(store::dateFormats().shortDate));
}

store::Date DateEntry::parse(const QString& text, Format format) {
    const std::string t = text.trimmed().toStdString();
    if (t.empty()) return store::Date();
    const std::string& shortPattern = store::dateFormats().shortDate;
    if (format == Format::Long) {
        if (store::Date d = store::parseDate(t, store::dateFormats().longDate); !d.isNull())
            return d;
    }
    if (store::Date d = store::parseDate(t, shortPattern); !d.isNull()) return d;
    // Slashes are understood whatever separator the workstation uses, but only in the
    // workstation's order of day and month, so that 03/04 never changes its meaning.
    const char* slashed = dayComesFirst(shortPattern) ? "d/M/yyyy" : "M/d/yyyy";
    if (store::Date d = store::parseDate(t, slashed); !d.isNull()) return d;
    if (store::Date d = store::parseDate(t, "yyyy-M-d"); !d.isNull()) return d;
    return store::Date();
}

store::Date DateEntry::value() const {
    return text() == shown_ ? value_ : parse(text(), format_);
}

void DateEntry::setValue(store::Date date) {
    value_ = date;
    const std::string shown =
        format_ == Format::Long ? store::longDate(date) : store::shortDate(date);
    shown_ = QString::fromStdString(shown);
    refused_.clear();
    setText(shown_);
}

bool DateEntry::isValid() const {
    return text() == shown_ || text().trimmed().isEmpty() || !parse(text(), format_).isNull();
}

bool DateEntry::checkInput(bool always) {
    return finish(always);
}

bool DateEntry::finish(bool always) {
    if (refusing_) return false;
    if (text() == shown_) return true;
    if (isValid()) {
        setValue(parse(text(), format_));
        emit valueAccepted(value_);
        return true;
    }
    if (always || text() != refused_) {
        refused_ = text();
        refusing_ = true;
        tellRefused("Invalid Date", "\"%1\" is not a date. Type the date as %2.", text(),
                    patternForUsers(store::dateFormats().shortDate));
        refusing_ = false;
    }
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

void DateEntry::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        const bool same = text() == shown_;
        if (!finish(true)) {
            event->accept();  // a refused date must not press the window's default button
            return;
        }
        if (same) emit valueAccepted(value_);
    }
    QLineEdit::keyPressEvent(event);
}

void DateEntry::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!leavesTheEntry(event)) return;
    // Checked once the focus has settled: a message box shown from inside the move of
    // the focus would leave the focus split between two controls.
    QTimer::singleShot(0, this, [this] {
        if (stillEditable(this)) finish(false);
    });
}

// --- TimeEntry ----------------------------------------------------------------------

TimeEntry::TimeEntry(QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText("hh:mm");
}

store::Time TimeEntry::parse(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return store::Time();
    const std::string s = t.toStdString();
    if (store::Time v = store::parseShortTime(s); !v.isNull()) return v;
    // Also understood whatever the workstation's format: 24-hour times, and 12-hour times
    // with their AM/PM marker ("9:30 pm", "9pm").
    for (const char* pattern : {"H:mm", "H:mm:ss", "H.mm", "h:mm AP", "h AP"})
        if (store::Time v = store::parseTime(s, pattern); !v.isNull()) return v;
    // Digits alone: a bare hour ("9"), or hours and minutes without the colon ("930").
    bool digits = !t.isEmpty() && t.size() <= 4;
    for (QChar c : t) digits = digits && c.isDigit();
    if (!digits) return store::Time();
    if (t.size() <= 2) return store::parseTime(s, "H");
    t.insert(t.size() - 2, ':');
    return store::parseTime(t.toStdString(), "H:mm");
}

store::Time TimeEntry::value() const {
    return text() == shown_ ? value_ : parse(text());
}

void TimeEntry::setValue(store::Time time) {
    value_ = time;
    shown_ = QString::fromStdString(store::shortTime(time));
    refused_.clear();
    setText(shown_);
}

bool TimeEntry::isValid() const {
    return text() == shown_ || text().trimmed().isEmpty() || !parse(text()).isNull();
}

bool TimeEntry::checkInput(bool always) {
    return finish(always);
}

bool TimeEntry::finish(bool always) {
    if (refusing_) return false;
    if (text() == shown_) return true;
    if (isValid()) {
        setValue(parse(text()));
        emit valueAccepted(value_);
        return true;
    }
    if (always || text() != refused_) {
        refused_ = text();
        refusing_ = true;
        tellRefused("Invalid Time", "\"%1\" is not a time of day. Type the time as %2.", text(),
                    "hh:mm (00:00 to 24:00)");
        refusing_ = false;
    }
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

void TimeEntry::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        const bool same = text() == shown_;
        if (!finish(true)) {
            event->accept();
            return;
        }
        if (same) emit valueAccepted(value_);
    }
    QLineEdit::keyPressEvent(event);
}

void TimeEntry::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!leavesTheEntry(event)) return;
    QTimer::singleShot(0, this, [this] {
        if (stillEditable(this)) finish(false);
    });
}

}  // namespace framework

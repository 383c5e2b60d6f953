#include "masterdata/ui/lookup_cal.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "framework/date_time_entry.h"
#include "framework/program.h"

namespace masterdata::ui {

namespace {

QString translated(const char* text) {
    const std::string t = text;
    return QString::fromStdString(framework::program().translate ? framework::program().translate(t)
                                                                 : t);
}

/// Three characters per month, one letter per weekday, as the translation gives them;
/// a translation of the wrong length falls back to the untranslated text.
QString namesText(const char* text, int length) {
    const QString t = translated(text);
    return t.size() == length ? t : QString::fromLatin1(text);
}

constexpr int kFirstWeekday = 0;  // the grid's columns start on Sunday

QPushButton* smallButton(const QString& text, const char* name, const QString& tip,
                         QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedWidth(32);
    return b;
}

}  // namespace

CalendarPicker::CalendarPicker(store::Date date, QWidget* parent) : QDialog(parent) {
    setWindowTitle(translated("Look Up Calendar"));
    setObjectName("LOOKUPCAL");

    auto* prevYear = smallButton("<<", "PreviousYear", translated("Previous year"), this);
    auto* prevMonth = smallButton("<", "PreviousMonth", translated("Previous month"), this);
    auto* nextMonthButton = smallButton(">", "NextMonth", translated("Next month"), this);
    auto* nextYear = smallButton(">>", "NextYear", translated("Next year"), this);
    month_ = new QComboBox(this);
    month_->setObjectName("Month");
    const QString months = namesText("JanFebMarAprMayJunJulAugSepOctNovDec", 36);
    for (int m = 0; m < 12; ++m) month_->addItem(months.mid(m * 3, 3));
    year_ = new QSpinBox(this);
    year_->setObjectName("Year");
    year_->setRange(kCalendarFirstYear, store::Date::last().year());
    year_->setKeyboardTracking(false);

    auto* top = new QHBoxLayout;
    top->addWidget(prevYear);
    top->addWidget(prevMonth);
    top->addWidget(month_, 1);
    top->addWidget(year_, 1);
    top->addWidget(nextMonthButton);
    top->addWidget(nextYear);

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    const QString letters = namesText("SMTWTFS", 7);
    for (int k = 0; k < 7; ++k) {
        auto* heading = new QLabel(letters.mid((k + kFirstWeekday) % 7, 1), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, k);
    }
    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < 42; ++i) {
        auto* cell = new QPushButton(this);
        cell->setObjectName(QString("Cell%1").arg(i));
        cell->setFlat(true);
        cell->setFont(bold);
        cell->setAutoDefault(false);
        cell->setFocusPolicy(Qt::NoFocus);
        cell->setFixedSize(30, 24);
        cell->installEventFilter(this);
        connect(cell, &QPushButton::clicked, this, [this, i] {
            if (const int day = shown_.cell(i))
                showMonth(calendarMonth(shown_.year, shown_.month, day));
        });
        cells_[i] = cell;
        grid->addWidget(cell, 1 + i / 7, i % 7);
    }

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(translated("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName("OK");
    ok_->setDefault(true);
    cancel_ = buttons->addButton(translated("Cancel"), QDialogButtonBox::RejectRole);
    cancel_->setObjectName("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(prevMonth, &QPushButton::clicked, this, [this] {
        CalendarMonth m = shown_;
        if (previousMonth(m))
            showMonth(m);
        else
            QApplication::beep();
    });
    connect(nextMonthButton, &QPushButton::clicked, this, [this] {
        CalendarMonth m = shown_;
        if (nextMonth(m))
            showMonth(m);
        else
            QApplication::beep();
    });
    connect(prevYear, &QPushButton::clicked, this, [this] {
        CalendarMonth m = shown_;
        if (addYears(m, -1))
            showMonth(m);
        else
            QApplication::beep();
    });
    connect(nextYear, &QPushButton::clicked, this, [this] {
        CalendarMonth m = shown_;
        if (addYears(m, 1))
            showMonth(m);
        else
            QApplication::beep();
    });
    connect(month_, &QComboBox::activated, this, [this](int index) {
        if (!updating_) showMonth(calendarMonth(shown_.year, index + 1, shown_.day));
    });
    connect(year_, &QSpinBox::valueChanged, this, [this](int year) {
        if (!updating_) showMonth(calendarMonth(year, shown_.month, shown_.day));
    });

    // Keys of the grid work wherever the focus is, except where the month list or the
    // year entry need them for themselves.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    if (framework::program().translateWindow) framework::program().translateWindow(*this);
    showMonth(calendarFor(date, store::today()));
    ok_->setFocus();
}

bool CalendarPicker::select(store::Date date) {
    if (date.isNull() || date.year() < kCalendarFirstYear || date.year() > kCalendarLastYear) {
        QApplication::beep();
        return false;
    }
    showMonth(calendarMonth(date.year(), date.month(), date.day()));
    return true;
}

void CalendarPicker::showMonth(const CalendarMonth& month) {
    shown_ = month;
    DISPLAY_DATE();
}

void CalendarPicker::DISPLAY_DATE() {
    updating_ = true;
    for (int i = 0; i < 42; ++i) {
        QPushButton* cell = cells_[i];
        const int day = shown_.cell(i);
        cell->setText(day ? QString::number(day) : QString());
        cell->setEnabled(day != 0);
        const bool selected = day != 0 && day == shown_.day;
        cell->setStyleSheet(selected ? "color: rgb(0, 0, 255);" : "color: black;");
        cell->setProperty("selectedDay", selected);
        // Rows past those the month needs are not shown, so the grid fits the month.
        cell->setVisible(i / 7 < shown_.rows);
    }
    month_->setCurrentIndex(shown_.month - 1);
    year_->setValue(shown_.year);
    updating_ = false;
}

bool CalendarPicker::moveDays(int days) {
    return select(shown_.date().addDays(days));
}

bool CalendarPicker::handleKey(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Left:
            moveDays(-1);
            return true;
        case Qt::Key_Right:
            moveDays(1);
            return true;
        case Qt::Key_Up:
            moveDays(-7);
            return true;
        case Qt::Key_Down:
            moveDays(7);
            return true;
        case Qt::Key_Home:
            showMonth(calendarMonth(shown_.year, shown_.month, 1));
            return true;
        case Qt::Key_End:
            showMonth(calendarMonth(shown_.year, shown_.month, shown_.days));
            return true;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            CalendarMonth m = shown_;
            const bool back = event->key() == Qt::Key_PageUp;
            const bool moved =
                ctrl ? addYears(m, back ? -1 : 1) : (back ? previousMonth(m) : nextMonth(m));
            if (moved)
                showMonth(m);
            else
                QApplication::beep();
            return true;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (QApplication::focusWidget() == cancel_)
                reject();
            else
                accept();
            return true;
        default:
            return false;
    }
}

bool CalendarPicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        // A double click on a day picks it and closes the picker as "OK" does.
        for (int i = 0; i < 42; ++i) {
            if (watched == cells_[i] && shown_.cell(i)) {
                showMonth(calendarMonth(shown_.year, shown_.month, shown_.cell(i)));
                accept();
                return true;
            }
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool inOwnControl =
            watched == month_ || watched == year_ || (year_ && watched->parent() == year_);
        if (inOwnControl && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return QDialog::eventFilter(watched, event);
        if (inOwnControl && watched != month_) {
            // Enter in the year entry shows the typed year; the picker stays open on it.
            year_->interpretText();
            ok_->setFocus();
            return true;
        }
        if (handleKey(key)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool lookupCalendar(store::Date& date, QWidget* parent) {
    if (date.isNull()) date = store::today();
    CalendarPicker picker(date, parent);
    if (picker.exec() != QDialog::Accepted) return false;
    date = picker.selected();
    return true;
}

void LOOKUPCAL(store::Date& date, QWidget* parent) {
    lookupCalendar(date, parent);
}

namespace {

/// F4 or Alt+Down in a date entry opens its calendar, as in the system's drop lists.
class CalendarKey : public QObject {
  public:
    CalendarKey(QPushButton* button, QObject* parent) : QObject(parent), button_(button) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool altDown = key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier);
            if ((key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier) || altDown) {
                if (button_->isEnabled()) button_->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QPushButton* button_;
};

}  // namespace

QPushButton* calButton(framework::DateEntry* entry, QWidget* parent) {
    auto* button = new QPushButton(QObject::tr("Cal"), parent);
    button->setObjectName("Cal");
    button->setToolTip(QObject::tr("Pop up calendar"));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, entry, [entry, button] {
        const store::Date before = entry->value();
        store::Date date = before;
        const bool picked = lookupCalendar(date, button->window());
        // A read-only entry (a record shown to a view-only user) shows its calendar but
        // keeps its date.
        if (entry->isReadOnly() || !entry->isEnabled()) return;
        if (picked || date != before) {
            entry->setValue(date);
            emit entry->valueAccepted(date);
        }
        entry->setFocus();
    });
    entry->installEventFilter(new CalendarKey(button, button));
    return button;
}

}  // namespace masterdata::ui

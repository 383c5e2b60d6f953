// The repeat window of the booking form and the parameter windows of its rules.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <optional>

#include "booking/repeat_session.h"
#include "booking/ui/booking_dialogs.h"
#include "booking/ui/dialog_parts.h"
#include "booking/ui/ui_text.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "framework/window_placement.h"
#include "masterdata/ui/lookup_cal.h"
#include "store/datetime.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking::ui {

using store::LONG;
using store::REPACT;

namespace {

/// A date entry with its "Cal" button, in one row.
QHBoxLayout* withCal(framework::DateEntry* entry, QWidget* parent, QPushButton* cal = nullptr) {
    auto* row = new QHBoxLayout;
    row->addWidget(entry, 1);
    row->addWidget(cal ? cal : masterdata::ui::calButton(entry, parent));
    return row;
}

framework::DateEntry* dateEntry(QWidget* parent, const char* name, LONG value) {
    auto* e = new framework::DateEntry(parent);
    e->setObjectName(name);
    e->setValue(store::Date(value));
    return e;
}

/// A group of radio buttons, one per (caption, stored value), in a row or a column.
QButtonGroup* radios(QGroupBox* box, const std::vector<std::pair<const char*, int>>& choices,
                     bool inRow) {
    auto* group = new QButtonGroup(box);
    QBoxLayout* layout = inRow ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                               : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    for (const auto& [caption, value] : choices) {
        auto* r = new QRadioButton(text(caption), box);
        r->setObjectName(caption);
        group->addButton(r, value);
        layout->addWidget(r);
    }
    return group;
}

void check(QButtonGroup* group, int id) {
    if (QAbstractButton* b = group->button(id)) b->setChecked(true);
}

/// Whether the focus is on its way to one of the window's buttons: OK checks the date
/// itself, and Cancel and Help do not take it, so leaving for them refuses nothing.
bool leavingForButtons(QDialogButtonBox* buttons) {
    QWidget* to = QApplication::focusWidget();
    return to && to->parentWidget() == buttons;
}

/// Reads a date entry, refusing text that is no date. False when refused.
bool readDate(framework::DateEntry* entry, LONG& out) {
    if (!entry->isValid()) {
        entry->checkInput(true);
        return false;
    }
    out = entry->value().value;
    return true;
}

bool readTime(TimeCombo* combo, LONG& out) {
    if (!combo->entry()->isValid()) {
        combo->entry()->checkInput(true);
        return false;
    }
    out = combo->stored();
    return true;
}

// ---------------------------------------------------------------------------------------
// REPWINDOW

/// The repeat every so many of one period (the repeat type's unit), until a date.
class FixedPeriodWindow : public QDialog {
  public:
    FixedPeriodWindow(QWidget* parent, int type, LONG seed, const REPACT& rule,
                      const DateLimits& limits, bool weekendsOff, const Words& words);
    REPACT rule;

  private:
    bool monthsConfirmed();
    void ok();

    int type_;
    LONG seed_;
    DateLimits limits_;
    Words words_;
    int confirmedMonths_ = -1;
    QSpinBox* number_ = nullptr;
    framework::DateEntry* until_ = nullptr;
    QButtonGroup* handling_ = nullptr;
};

FixedPeriodWindow::FixedPeriodWindow(QWidget* parent, int type, LONG seed, const REPACT& r,
                                     const DateLimits& limits, bool weekendsOff, const Words& words)
    : QDialog(parent), rule(r), type_(type), seed_(seed), limits_(limits), words_(words) {
    setObjectName("REPWINDOW");
    setWindowTitle(text("Repeat (Fixed Periods)"));
    const char* unit = type == FixedDays ? "Days" : type == FixedWeeks ? "Weeks" : "Months";

    auto* form = new QFormLayout;
    auto* numberRow = new QHBoxLayout;
    number_ = new QSpinBox(this);
    number_->setObjectName("Number");
    number_->setRange(0, 9999);
    number_->setValue(rule.REPNUMBER);
    numberRow->addWidget(number_);
    numberRow->addWidget(new QLabel(text(unit), this), 1);
    form->addRow(text("Repeat every:"), numberRow);
    until_ = dateEntry(this, "Until", rule.REPEND);
    form->addRow(text("Until:"), withCal(until_, this));

    auto* box = new QGroupBox(text(weekendsOff ? "If the %1 falls on a weekend or special day?"
                                               : "If the %1 falls on a special day?",
                                   words.booking),
                              this);
    box->setObjectName("Handling");
    handling_ = radios(box,
                       {{"Book it anyway", BookAnyway},
                        {"Skip it", SkipIt},
                        {"Use next work day", UseNextWorkDay},
                        {"Ask", Ask}},
                       false);
    // Whole weeks and months keep their weekday or day of the month: they cannot move on.
    handling_->button(UseNextWorkDay)->setEnabled(type == FixedDays);
    check(handling_, rule.WEEKENDREPEAT);

    QDialogButtonBox* buttons = okCancelHelp(this, "~Repeat_Fixed_Periods");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { ok(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(box);
    layout->addWidget(buttons);

    // An existing rule of months was warned about when it was made.
    if (type == FixedMonths && rule.REPNUMBER > 0) confirmedMonths_ = rule.REPNUMBER;
    connect(number_, &QSpinBox::editingFinished, this, [this, buttons] {
        if (!leavingForButtons(buttons)) monthsConfirmed();
    });
    number_->setFocus();
    number_->selectAll();
}

bool FixedPeriodWindow::monthsConfirmed() {
    const int n = number_->value();
    if (type_ != FixedMonths || n <= 0 || n == confirmedMonths_ || !monthsWarningNeeded(seed_))
        return true;
    if (store::questions().message(s(windowTitle()), monthsWarning(words_), store::Icon::Question,
                                   store::BUTTON_YES | store::BUTTON_NO,
                                   store::BUTTON_YES) == store::BUTTON_YES) {
        confirmedMonths_ = n;
        return true;
    }
    number_->setFocus();
    number_->selectAll();
    return false;
}

void FixedPeriodWindow::ok() {
    number_->interpretText();
    REPACT r = rule;
    if (!readDate(until_, r.REPEND)) return;
    r.REPNUMBER = store::SHORT(number_->value());
    r.WEEKENDREPEAT = store::BYTE(std::max(0, handling_->checkedId()));
    const Refusal refusal = checkFixedPeriod(r, type_, limits_, words_);
    if (refusal.refused()) {
        refuse(this, refusal,
               refusal.field == RepeatField::Number ? static_cast<QWidget*>(number_) : until_);
        return;
    }
    if (!monthsConfirmed()) return;
    rule = r;
    accept();
}

// ---------------------------------------------------------------------------------------
// The rules that repeat on chosen weekdays

/// What the windows of the weekday rules share: the date the repeating stops after,
/// checked as it is left, what happens on a special day, and the OK, Cancel and Help buttons.
class WeekdayRuleWindow : public QDialog {
  public:
    REPACT rule;

  protected:
    WeekdayRuleWindow(QWidget* parent, LONG seed, const REPACT& r, const DateLimits& limits)
        : QDialog(parent), rule(r), seed_(seed), limits_(limits) {}

    /// Adds the date row, the special-day choice and the buttons below the window's own
    /// controls in `layout`.
    void addCommon(QVBoxLayout* layout, const char* untilCaption, const char* bookIt,
                   const Words& words, const char* helpTopic);
    /// Reads the date and the special-day choice into `r`; false when the date is refused.
    bool readCommon(REPACT& r);
    /// Takes `r` as the rule and closes, unless `refusal` refuses it: then the user is told
    /// and the focus goes to `field`.
    void take(const REPACT& r, const Refusal& refusal, QWidget* field);
    virtual void ok() = 0;

    LONG seed_;
    DateLimits limits_;
    QButtonGroup* handling_ = nullptr;
    framework::DateEntry* until_ = nullptr;
};

void WeekdayRuleWindow::addCommon(QVBoxLayout* layout, const char* untilCaption, const char* bookIt,
                                  const Words& words, const char* helpTopic) {
    auto* form = new QFormLayout;
    until_ = dateEntry(this, "Until", rule.REPEND);
    form->addRow(text(untilCaption), withCal(until_, this));
    layout->addLayout(form);

    auto* box = new QGroupBox(text("If the %1 falls on a special day?", words.booking), this);
    box->setObjectName("Handling");
    handling_ = radios(box, {{bookIt, BookAnyway}, {"Skip it", SkipIt}, {"Ask", Ask}}, true);
    check(handling_, rule.WEEKENDREPEAT);
    layout->addWidget(box);

    QDialogButtonBox* buttons = okCancelHelp(this, helpTopic);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { ok(); });
    layout->addWidget(buttons);
    connect(until_, &framework::DateEntry::valueAccepted, this, [this, buttons](store::Date d) {
        if (leavingForButtons(buttons)) return;
        const Refusal refusal = checkUntilLeft(d.value, seed_);
        if (refusal.refused()) refuse(this, refusal, until_);
    });
}

bool WeekdayRuleWindow::readCommon(REPACT& r) {
    if (!readDate(until_, r.REPEND)) return false;
    r.WEEKENDREPEAT = store::BYTE(std::max(0, handling_->checkedId()));
    return true;
}

void WeekdayRuleWindow::take(const REPACT& r, const Refusal& refusal, QWidget* field) {
    if (refusal.refused()) {
        refuse(this, refusal, field);
        return;
    }
    rule = r;
    accept();
}

// ---------------------------------------------------------------------------------------
// REPWINDOW2

/// The repeat on one weekday of the month (the second Tuesday, the last Friday).
class SpecificWeekdayWindow : public WeekdayRuleWindow {
  public:
    SpecificWeekdayWindow(QWidget* parent, LONG seed, const REPACT& rule, const DateLimits& limits,
                          const Words& words);

  private:
    void ok() override;

    QButtonGroup* week_ = nullptr;
    QButtonGroup* weekday_ = nullptr;
};

SpecificWeekdayWindow::SpecificWeekdayWindow(QWidget* parent, LONG seed, const REPACT& r,
                                             const DateLimits& limits, const Words& words)
    : WeekdayRuleWindow(parent, seed, r, limits) {
    setObjectName("REPWINDOW2");
    setWindowTitle(text("Specific Weekday"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text("Repeat on Specific Weekday of Month"), this));

    auto* weeks = new QGroupBox(text("Occurrence"), this);
    weeks->setObjectName("Week");
    week_ = radios(weeks, {{"1st", 1}, {"2nd", 2}, {"3rd", 3}, {"4th", 4}, {"Last", 5}}, true);
    check(week_, rule.WEEK);
    layout->addWidget(weeks);

    auto* days = new QGroupBox(text("Weekday"), this);
    days->setObjectName("Weekday");
    weekday_ = radios(days,
                      {{"Monday", 1},
                       {"Tuesday", 2},
                       {"Wednesday", 3},
                       {"Thursday", 4},
                       {"Friday", 5},
                       {"Saturday", 6},
                       {"Sunday", 7}},
                      true);
    check(weekday_, rule.WEEKDAY);
    layout->addWidget(days);
    addCommon(layout, "Until:", "Book it", words, "~Repeat_Specific_Weekday");
    if (QAbstractButton* b = week_->checkedButton()) b->setFocus();
}

void SpecificWeekdayWindow::ok() {
    REPACT r = rule;
    if (!readCommon(r)) return;
    r.WEEK = store::BYTE(std::max(1, week_->checkedId()));
    r.WEEKDAY = store::BYTE(std::max(1, weekday_->checkedId()));
    take(r, checkSpecificWeekday(r, seed_, limits_), until_);
}

// ---------------------------------------------------------------------------------------
// REPWINDOW3

/// The repeat on chosen days of every week.
class SetDaysWindow : public WeekdayRuleWindow {
  public:
    SetDaysWindow(QWidget* parent, LONG seed, const REPACT& rule, const DateLimits& limits,
                  const Words& words);

  private:
    void ok() override;

    std::array<QCheckBox*, 7> days_{};  // Monday first
};

SetDaysWindow::SetDaysWindow(QWidget* parent, LONG seed, const REPACT& r, const DateLimits& limits,
                             const Words& words)
    : WeekdayRuleWindow(parent, seed, r, limits) {
    setObjectName("REPWINDOW3");
    setWindowTitle(text("Repeat Set Days Every Week"));
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox(text("Days"), this);
    box->setObjectName("Days");
    auto* row = new QHBoxLayout(box);
    const char* names[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                           "Friday", "Saturday", "Sunday"};
    const store::BYTE ticked[] = {rule.MONDAY, rule.TUESDAY,  rule.WEDNESDAY, rule.THURSDAY,
                                  rule.FRIDAY, rule.SATURDAY, rule.SUNDAY};
    for (int i = 0; i < 7; ++i) {
        days_[i] = new QCheckBox(text(names[i]), box);
        days_[i]->setObjectName(names[i]);
        days_[i]->setChecked(ticked[i] != 0);
        row->addWidget(days_[i]);
    }
    layout->addWidget(box);
    addCommon(layout, "Stop repeating after this date", "Book it anyway", words,
              "~Repeat_Set_Days");
    days_[0]->setFocus();
}

void SetDaysWindow::ok() {
    REPACT r = rule;
    if (!readCommon(r)) return;
    store::BYTE* fields[] = {&r.MONDAY, &r.TUESDAY,  &r.WEDNESDAY, &r.THURSDAY,
                             &r.FRIDAY, &r.SATURDAY, &r.SUNDAY};
    for (int i = 0; i < 7; ++i) *fields[i] = days_[i]->isChecked() ? 1 : 0;
    const Refusal refusal = checkSetDays(r, seed_, limits_);
    take(r, refusal,
         refusal.field == RepeatField::Weekdays ? static_cast<QWidget*>(days_[0]) : until_);
}

// ---------------------------------------------------------------------------------------
// REPWINDOW4

/// One date with its start and end in the list of an irregular repeat.
class IrregularDateWindow : public QDialog {
  public:
    IrregularDateWindow(QWidget* parent, const Occurrence& entry,
                        const std::vector<LONG>& startTimes, const DateLimits& limits);
    Occurrence entry;

  private:
    void ok();

    DateLimits limits_;
    framework::DateEntry* date_ = nullptr;
    TimeCombo* start_ = nullptr;
    TimeCombo* end_ = nullptr;
};

IrregularDateWindow::IrregularDateWindow(QWidget* parent, const Occurrence& e,
                                         const std::vector<LONG>& startTimes,
                                         const DateLimits& limits)
    : QDialog(parent), entry(e), limits_(limits) {
    setObjectName("REPWINDOW4");
    setWindowTitle(text("Irregular Date Entry"));
    auto* form = new QFormLayout;
    date_ = dateEntry(this, "Date", entry.date);
    form->addRow(text("Date:"), withCal(date_, this));
    start_ = new TimeCombo(startTimes, this);
    start_->setObjectName("Start");
    start_->setStored(entry.start);
    form->addRow(text("Start time:"), start_);
    end_ = new TimeCombo(startTimes, this);
    end_->setObjectName("End");
    end_->setStored(entry.end);
    form->addRow(text("End time:"), end_);
    QDialogButtonBox* buttons = okCancelHelp(this, "~Irregular_Date_Entry");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { ok(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    date_->setFocus();
}

void IrregularDateWindow::ok() {
    Occurrence o;
    if (!readDate(date_, o.date) || !readTime(start_, o.start) || !readTime(end_, o.end)) return;
    const Refusal refusal = checkIrregularDate(o, limits_);
    if (refusal.refused()) {
        QWidget* field = refusal.field == RepeatField::Date    ? static_cast<QWidget*>(date_)
                         : refusal.field == RepeatField::Start ? start_
                                                               : end_;
        refuse(this, refusal, field);
        return;
    }
    entry = o;
    accept();
}

/// Leaves the global response of a dialog that ended with `result`; true when completed.
bool finished(int result) {
    const bool completed = result == QDialog::Accepted;
    store::session().GlobalResponse = completed ? store::RequestCompleted : store::RequestCancelled;
    return completed;
}

/// Shows a rule's window: true, with the rule as the user left it, when completed.
template <class W>
bool askRule(W& w, REPACT& rule) {
    if (!finished(w.exec())) return false;
    rule = w.rule;
    return true;
}

}  // namespace

bool REPWINDOW(QWidget* parent, int type, LONG seed, REPACT& rule, const DateLimits& limits,
               bool weekendsOff, const Words& words) {
    FixedPeriodWindow w(parent, type, seed, rule, limits, weekendsOff, words);
    return askRule(w, rule);
}

bool REPWINDOW2(QWidget* parent, LONG seed, REPACT& rule, const DateLimits& limits,
                const Words& words) {
    SpecificWeekdayWindow w(parent, seed, rule, limits, words);
    return askRule(w, rule);
}

bool REPWINDOW3(QWidget* parent, LONG seed, REPACT& rule, const DateLimits& limits,
                const Words& words) {
    SetDaysWindow w(parent, seed, rule, limits, words);
    return askRule(w, rule);
}

bool REPWINDOW4(QWidget* parent, Occurrence& entry, const std::vector<LONG>& startTimes,
                const DateLimits& limits) {
    IrregularDateWindow w(parent, entry, startTimes, limits);
    if (!finished(w.exec())) return false;
    entry = w.entry;
    return true;
}

// ---------------------------------------------------------------------------------------
// REPEATACT

namespace {

/// The configuration-file section of the repeat window's placement.
constexpr const char* kPlace = "REPEATACT";

/// The repeat window: the options, the rule line and its "Change" button, the multi-day
/// fields and the irregular dates list, over a RepeatSession.
class RepeatWindow : public QDialog {
  public:
    RepeatWindow(store::Store& db, QWidget* parent, std::vector<DateEntry>& occurrences,
                 int current, const std::vector<LONG>& startTimes);

    /// Cancel, Escape and the close box: everything as it was.
    void reject() override;
    /// Keeps the window's placement for the next time it opens.
    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void chosen(int type);
    void refresh();
    void focusOn(RepeatField field);
    void fillIrregular(int select);
    int selectedIrregular() const;
    void ok();

    RepeatSession session_;
    QButtonGroup* options_ = nullptr;
    QPushButton* change_ = nullptr;
    QLabel* ruleLine_ = nullptr;
    QGroupBox* multiDay_ = nullptr;
    framework::DateEntry* lastDay_ = nullptr;
    TimeCombo* lastEnd_ = nullptr;
    QGroupBox* irregularBox_ = nullptr;
    QTableWidget* irregular_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* changeDate_ = nullptr;
    QPushButton* delete_ = nullptr;
};

RepeatWindow::RepeatWindow(store::Store& db, QWidget* parent, std::vector<DateEntry>& occurrences,
                           int current, const std::vector<LONG>& startTimes)
    : QDialog(parent), session_(db, occurrences, current) {
    setObjectName("REPEATACT");
    const Words& words = session_.words();
    setWindowTitle(text("%1 Repeats", words.booking));

    session_.parameterWindow = [this](int type, REPACT& rule) {
        const LONG seed = session_.seed().DATE;
        switch (type) {
            case SetDaysEachWeek:
                return REPWINDOW3(this, seed, rule, session_.limits(), session_.words());
            case SpecificWeekday:
                return REPWINDOW2(this, seed, rule, session_.limits(), session_.words());
            default:
                return REPWINDOW(this, type, seed, rule, session_.limits(), session_.weekendsOff(),
                                 session_.words());
        }
    };
    session_.irregularWindow = [this, startTimes](Occurrence& entry) {
        return REPWINDOW4(this, entry, startTimes, session_.limits());
    };
    session_.refusing = [] { QApplication::beep(); };
    session_.busy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };

    auto* optionsBox = new QGroupBox(text("Repeat"), this);
    optionsBox->setObjectName("Options");
    options_ = new QButtonGroup(this);
    auto* optionsLayout = new QVBoxLayout(optionsBox);
    const struct {
        int type;
        const char* caption;
        const char* name;
    } choices[] = {
        {NoRepeats, "No repeats", "NoRepeats"},
        {MultiDay, "Multi-day %1", "MultiDay"},
        {IrregularDates, "Irregular dates", "IrregularDates"},
        {FixedDays, "Fixed days", "FixedDays"},
        {FixedWeeks, "Fixed weeks", "FixedWeeks"},
        {FixedMonths, "Fixed months", "FixedMonths"},
        {SetDaysEachWeek, "Set days each week", "SetDaysEachWeek"},
        {SpecificWeekday, "Specific weekday of each month", "SpecificWeekday"},
    };
    for (const auto& c : choices) {
        auto* r = new QRadioButton(text(c.caption, words.booking), optionsBox);
        r->setObjectName(c.name);
        options_->addButton(r, c.type);
        optionsLayout->addWidget(r);
    }
    connect(options_, &QButtonGroup::idClicked, this, [this](int id) { chosen(id); });

    change_ = new QPushButton(text("Change"), this);
    change_->setObjectName("ChangeRule");
    change_->setToolTip(text("Change the settings of this repeat rule"));
    change_->setAutoDefault(false);
    connect(change_, &QPushButton::clicked, this, [this] {
        session_.changeRule();
        refresh();
    });
    ruleLine_ = new QLabel(this);
    ruleLine_->setObjectName("RuleLine");
    ruleLine_->setWordWrap(true);

    // Multi-day: the last day and the end time on it.
    multiDay_ = new QGroupBox(text("Multi-day %1", words.booking), this);
    multiDay_->setObjectName("MultiDayFields");
    auto* multiForm = new QFormLayout(multiDay_);
    lastDay_ = dateEntry(multiDay_, "LastDay", session_.lastDay);
    auto* cal = new QPushButton(text("Cal"), multiDay_);
    cal->setObjectName("Cal");
    cal->setToolTip(text("Pop up calendar"));
    cal->setAutoDefault(false);
    connect(cal, &QPushButton::clicked, this, [this] {
        // An empty last day opens the calendar on the day after the first.
        if (lastDay_->value().isNull()) lastDay_->setValue(store::Date(session_.lastDayProposal()));
        store::Date d = lastDay_->value();
        if (masterdata::ui::lookupCalendar(d, this)) lastDay_->setValue(d);
        lastDay_->setFocus();
    });
    multiForm->addRow(text("Last day:"), withCal(lastDay_, multiDay_, cal));
    lastEnd_ = new TimeCombo(session_.endTimes(), multiDay_);
    lastEnd_->setObjectName("LastEnd");
    lastEnd_->setStored(session_.lastEnd);
    multiForm->addRow(text("End time:"), lastEnd_);

    // Irregular dates.
    irregularBox_ = new QGroupBox(text("Irregular dates"), this);
    irregularBox_->setObjectName("IrregularFields");
    auto* irregularLayout = new QVBoxLayout(irregularBox_);
    irregular_ = new QTableWidget(0, 3, irregularBox_);
    irregular_->setObjectName("IrregularList");
    irregular_->setHorizontalHeaderLabels({text("Date"), text("Start"), text("End")});
    irregular_->setSelectionBehavior(QAbstractItemView::SelectRows);
    irregular_->setSelectionMode(QAbstractItemView::SingleSelection);
    irregular_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    irregular_->verticalHeader()->hide();
    irregular_->horizontalHeader()->setStretchLastSection(true);
    irregularLayout->addWidget(irregular_);
    auto* listButtons = new QHBoxLayout;
    insert_ = new QPushButton(text("Insert"), irregularBox_);
    insert_->setObjectName("Insert");
    insert_->setToolTip(text("Add new repeat"));
    changeDate_ = new QPushButton(text("Change"), irregularBox_);
    changeDate_->setObjectName("ChangeDate");
    changeDate_->setToolTip(text("Change highlighted repeat"));
    delete_ = new QPushButton(text("Delete"), irregularBox_);
    delete_->setObjectName("Delete");
    delete_->setToolTip(text("Delete highlighted repeat"));
    for (QPushButton* b : {insert_, changeDate_, delete_}) {
        b->setAutoDefault(false);
        listButtons->addWidget(b);
    }
    listButtons->addStretch();
    irregularLayout->addLayout(listButtons);
    connect(insert_, &QPushButton::clicked, this, [this] {
        const int at = session_.insertIrregular();
        fillIrregular(at);
    });
    auto changeHighlighted = [this] {
        const int row = selectedIrregular();
        if (row < 0) return;
        const int at = session_.changeIrregular(row);
        fillIrregular(at >= 0 ? at : row);
    };
    connect(changeDate_, &QPushButton::clicked, this, changeHighlighted);
    connect(irregular_, &QTableWidget::cellDoubleClicked, this, changeHighlighted);
    connect(delete_, &QPushButton::clicked, this, [this] {
        const int row = selectedIrregular();
        if (row < 0) return;
        session_.deleteIrregular(row);
        fillIrregular(std::min(row, int(session_.irregular().size()) - 1));
    });
    // The keys of every list: Insert adds, Delete removes the highlighted entry.
    irregular_->installEventFilter(this);
    connect(irregular_, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool any = selectedIrregular() >= 0;
        changeDate_->setEnabled(any);
        delete_->setEnabled(any);
    });

    QDialogButtonBox* buttons = okCancelHelp(this, "~Repeat_Window");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { ok(); });

    auto* right = new QVBoxLayout;
    auto* ruleRow = new QHBoxLayout;
    ruleRow->addWidget(ruleLine_, 1);
    ruleRow->addWidget(change_);
    right->addLayout(ruleRow);
    right->addWidget(multiDay_);
    right->addWidget(irregularBox_);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(optionsBox);
    top->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);

    if (framework::program().ini)
        framework::restoreWindow(*this, *framework::program().ini, kPlace);
    fillIrregular(0);
    refresh();
    if (QAbstractButton* b = options_->checkedButton()) b->setFocus();
}

bool RepeatWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == irregular_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        QPushButton* b = key == Qt::Key_Insert   ? insert_
                         : key == Qt::Key_Delete ? delete_
                                                 : nullptr;
        if (b) {
            if (b->isEnabled()) b->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RepeatWindow::done(int result) {
    if (framework::program().ini) framework::saveWindow(*this, *framework::program().ini, kPlace);
    QDialog::done(result);
}

void RepeatWindow::refresh() {
    const int type = session_.type();
    if (QAbstractButton* b = options_->button(type)) {
        const QSignalBlocker block(options_);
        b->setChecked(true);
    }
    ruleLine_->setText(q(session_.ruleLine()));
    const bool rule = type >= FixedDays && type <= SpecificWeekday;
    change_->setVisible(rule);
    ruleLine_->setVisible(rule);
    multiDay_->setVisible(type == MultiDay);
    irregularBox_->setVisible(type == IrregularDates);
}

void RepeatWindow::chosen(int type) {
    session_.choose(type);
    refresh();
    if (session_.type() == MultiDay && type == MultiDay)
        lastDay_->setFocus();
    else if (session_.type() == IrregularDates && type == IrregularDates)
        irregular_->setFocus();
    else if (QAbstractButton* b = options_->checkedButton())
        b->setFocus();
}

void RepeatWindow::fillIrregular(int select) {
    const auto& list = session_.irregular();
    irregular_->setRowCount(int(list.size()));
    for (int i = 0; i < int(list.size()); ++i) {
        const DateEntry& e = list[i];
        irregular_->setItem(i, 0, new QTableWidgetItem(q(store::shortDate(store::Date(e.DATE)))));
        irregular_->setItem(i, 1, new QTableWidgetItem(q(store::shortTime(store::Time(e.TIME)))));
        irregular_->setItem(i, 2,
                            new QTableWidgetItem(q(store::shortTime(store::Time(e.ENDTIME)))));
    }
    if (select >= 0 && select < int(list.size()))
        irregular_->selectRow(select);
    else
        irregular_->clearSelection();
    const bool any = selectedIrregular() >= 0;
    changeDate_->setEnabled(any);
    delete_->setEnabled(any);
}

int RepeatWindow::selectedIrregular() const {
    const QModelIndexList rows = irregular_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void RepeatWindow::focusOn(RepeatField field) {
    switch (field) {
        case RepeatField::LastDay:
            lastDay_->setFocus();
            break;
        case RepeatField::EndTime:
            lastEnd_->setFocus();
            break;
        case RepeatField::Irregular:
            irregular_->setFocus();
            break;
        case RepeatField::Change:
            if (change_->isVisible()) {
                change_->setFocus();
                break;
            }
            [[fallthrough]];
        default:
            if (QAbstractButton* b = options_->checkedButton()) b->setFocus();
            break;
    }
}

void RepeatWindow::ok() {
    if (session_.type() == MultiDay) {
        if (!readDate(lastDay_, session_.lastDay) || !readTime(lastEnd_, session_.lastEnd)) return;
    }
    if (session_.OK()) {
        store::session().GlobalResponse = store::RequestCompleted;
        accept();
        return;
    }
    refresh();
    focusOn(session_.focus());
}

void RepeatWindow::reject() {
    session_.cancel();
    store::session().GlobalResponse = store::RequestCancelled;
    QDialog::reject();
}

}  // namespace

int REPEATACT(store::Store& db, QWidget* parent, std::vector<DateEntry>& occurrences, int current,
              const std::vector<LONG>& startTimes) {
    store::session().GlobalResponse = store::RequestCancelled;
    if (occurrences.empty()) return store::RequestCancelled;
    RepeatWindow window(db, parent, occurrences, current, startTimes);
    // The window's close box cancels, as the Cancel button does.
    window.exec();
    return store::session().GlobalResponse;
}

}  // namespace booking::ui

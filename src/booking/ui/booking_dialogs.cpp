// The booking form's small dialogs: the change scope of a repeated booking, the units of a
// pooled resource, and the conflict dialog of the booking checks.
#include "booking/ui/booking_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "booking/ui/dialog_parts.h"
#include "booking/ui/ui_text.h"
#include "store/datetime.h"
#include "store/session.h"
#include "store/store.h"

namespace booking::ui {

// ---------------------------------------------------------------------------------------
// CHANGEREP

int CHANGEREP(QWidget* parent, const Words& words) {
    QDialog dialog(parent);
    dialog.setObjectName("CHANGEREP");
    dialog.setWindowTitle(text("Change Repeat %1", words.booking));
    auto* layout = new QVBoxLayout(&dialog);
    auto* prompt = new QLabel(text("%1 is repeated", words.booking), &dialog);
    layout->addWidget(prompt);
    auto* question = new QLabel(text("Which occurrences do the changes apply to?"), &dialog);
    layout->addWidget(question);

    QButtonGroup* group = scopeButtons(
        &dialog, layout,
        {{JustThisOne, "Just this one", "Only change this occurrence of the %1", "JustThisOne"},
         {AllOccurrences, "All", "Change all occurrences of the %1", "All"},
         {ThisOneAndFuture, "This one and future",
          "Only change this occurrence of the %1 and those that come after it",
          "ThisOneAndFuture"}},
        words.booking);

    QDialogButtonBox* buttons = okCancelHelp(&dialog, "~Change_Repeat_Window");
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    group->button(JustThisOne)->setFocus();

    const bool completed = dialog.exec() == QDialog::Accepted;
    store::session().GlobalResponse = completed ? store::RequestCompleted : store::RequestCancelled;
    if (!completed) return NoScope;
    return group->checkedId() > 0 ? group->checkedId() : JustThisOne;
}

// ---------------------------------------------------------------------------------------
// UPDATEUNITS

int UPDATEUNITS(QWidget* parent, const std::string& resource, int total, const Words& words) {
    QDialog dialog(parent);
    dialog.setObjectName("UPDATEUNITS");
    dialog.setWindowTitle(text("Units of Pooled %1", words.resource));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(text("%1:", words.resource), &dialog), 0, 0);
    auto* code = new QLineEdit(q(resource), &dialog);
    code->setObjectName("Resource");
    code->setReadOnly(true);
    code->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(code, 0, 1);
    grid->addWidget(new QLabel(text("Total units:"), &dialog), 1, 0);
    auto* totalShown = new QLineEdit(QString::number(total), &dialog);
    totalShown->setObjectName("Total");
    totalShown->setReadOnly(true);
    totalShown->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(totalShown, 1, 1);
    auto* prompt = new QLabel(text("Units used for this %1", lower(words.booking)), &dialog);
    grid->addWidget(prompt, 2, 0);
    auto* units = new QSpinBox(&dialog);
    units->setObjectName("Units");
    // No booking can take more units than the resource has: the pool check would then
    // report it against every other booking of the resource, or, alone, not at all.
    units->setRange(1, std::max(1, total));
    units->setValue(1);
    prompt->setBuddy(units);
    grid->addWidget(units, 2, 1);

    auto* close = new QPushButton(text("Close"), &dialog);
    close->setObjectName("Close");
    close->setDefault(true);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    units->setFocus();
    units->selectAll();

    dialog.exec();
    // Escape and the window's close box take the units shown, as "Close" does: a pooled
    // resource is always booked with at least one unit.
    units->interpretText();
    store::session().GlobalResponse = store::RequestCompleted;
    return std::max(1, units->value());
}

// ---------------------------------------------------------------------------------------
// CONFLDISP

namespace {

/// The conflict dialog's window: the finding and the five answers.
class ConflictDialog : public QDialog {
  public:
    ConflictDialog(QWidget* parent, const store::ConflictQuestion& q, const Words& words);
    int answer() const { return answer_; }

  private:
    QPushButton* addAnswer(QVBoxLayout* column, int answer, const char* caption, const char* tip,
                           const char* name);
    int answer_ = store::CancelEraseAccepted;
};

/// A field the dialog only shows: read-only, out of the tab order, and drawn on the
/// window's own background so that it does not look like an entry to type into.
QLineEdit* shownField(QWidget* parent, const char* name, const std::string& value) {
    auto* e = new QLineEdit(q(value), parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    QPalette look = e->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    e->setPalette(look);
    return e;
}

QLabel* rowLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

/// Completes a row of the conflict's grid after where the conflict begins: "to" in column 2
/// and the field where it ends in column 3, each shown or hidden.
void addSpanEnd(QGridLayout* grid, QWidget* group, int row, const char* toName, bool toShown,
                const char* endName, const std::string& end, bool endShown) {
    auto* to = new QLabel(text("to"), group);
    to->setObjectName(toName);
    to->setVisible(toShown);
    grid->addWidget(to, row, 2);
    auto* field = shownField(group, endName, end);
    field->setVisible(endShown);
    grid->addWidget(field, row, 3);
}

ConflictDialog::ConflictDialog(QWidget* parent, const store::ConflictQuestion& question,
                               const Words& words)
    : QDialog(parent) {
    setObjectName("CONFLDISP");
    setWindowTitle(text("%1 Conflict", words.booking));
    auto* group = new QGroupBox(text("%1 conflict", words.booking), this);
    group->setObjectName("ConflictGroup");
    auto* grid = new QGridLayout(group);
    const store::ConflictKind kind = question.kind;
    const bool withTimes = kind == store::OtherBooking || kind == store::PoolExceeded;
    const bool period = kind == store::SpecialDay;

    // What was found, with what kind of finding it is where the text alone does not say.
    const QString kindCaption = kind == store::OtherBooking
                                    ? text("Other %1:", booking::lower(words.booking))
                                : kind == store::SpecialDay ? text("Special day:")
                                                            : QString();
    auto* kindLabel = rowLabel(group, "KindLabel", kindCaption);
    kindLabel->setVisible(!kindCaption.isEmpty());
    grid->addWidget(kindLabel, 0, 0);
    auto* finding = new QLabel(q(question.text), group);
    finding->setObjectName("Text");
    finding->setWordWrap(true);
    grid->addWidget(finding, 0, 1, 1, 3);

    auto dateText = [](store::LONG d) { return d ? store::shortDate(store::Date(d)) : ""; };
    auto timeText = [](store::LONG t) { return t ? store::shortTime(store::Time(t)) : ""; };

    auto* resourceLabel = rowLabel(group, "ResourceLabel", text("%1:", words.resource));
    resourceLabel->setVisible(withTimes);
    grid->addWidget(resourceLabel, 1, 0);
    auto* resource = shownField(group, "Resource", question.resource);
    resource->setVisible(withTimes);
    grid->addWidget(resource, 1, 1, 1, 3);

    auto* dateLabel = rowLabel(group, "DateLabel", period ? text("Dates:") : text("Date:"));
    grid->addWidget(dateLabel, 2, 0);
    auto* date = shownField(group, "Date", kind == store::Weekend ? "" : dateText(question.date));
    grid->addWidget(date, 2, 1);
    addSpanEnd(grid, group, 2, "ToDate", period, "EndDate",
               period ? dateText(question.periodEnd) : "", period);
    auto* timeLabel = rowLabel(group, "TimeLabel", text("Time:"));
    timeLabel->setVisible(kind != 1);
    grid->addWidget(timeLabel, 3, 0);
    auto* start = shownField(group, "Start", withTimes ? timeText(question.start) : "");
    start->setVisible(kind != 1);
    grid->addWidget(start, 3, 1);
    addSpanEnd(grid, group, 3, "ToTime", withTimes, "End", withTimes ? timeText(question.end) : "",
               kind != 1);

    int row = 4;
    auto addRow = [&](const char* labelName, const QString& caption, const char* fieldName,
                      const std::string& value) {
        grid->addWidget(rowLabel(group, labelName, caption), row, 0);
        grid->addWidget(shownField(group, fieldName, value), row, 1, 1, 3);
        ++row;
    };
    if (kind == store::OtherBooking) {
        // Two bookings of one client look alike: the other one by name and number too.
        addRow("OtherNameLabel", text("%1:", words.booking), "OtherName", question.otherName);
        addRow("OtherNumberLabel", text("Number:"), "OtherNumber",
               question.otherNumber ? std::to_string(question.otherNumber) : "");
        addRow("OtherClientLabel", text("%1:", words.client), "OtherClient", question.otherClient);
    } else if (kind == store::PoolExceeded) {
        addRow("UnitsWantedLabel", text("Units wanted:"), "UnitsWanted",
               std::to_string(question.unitsWanted));
        addRow("UnitsTakenLabel", text("Units already booked:"), "UnitsTaken",
               std::to_string(question.unitsTaken));
        addRow("CapacityLabel", text("Units of the %1:", booking::lower(words.resource)),
               "Capacity", std::to_string(question.capacity));
    }

    auto* column = new QVBoxLayout;
    QPushButton* acceptThis =
        addAnswer(column, store::AcceptThis, "Accept this conflict",
                  "Schedul this conflict, but keep checking for conflicts", "AcceptThis");
    QPushButton* acceptAll = addAnswer(column, store::AcceptAll, "Accept all conflicts",
                                       "Schedule all conflicts", "AcceptAll");
    QPushButton* skip =
        addAnswer(column, store::SkipThis, "Skip this conflict",
                  "Don't schedule this conflict, but continue scheduling", "SkipThis");
    QPushButton* stop =
        addAnswer(column, store::StopSaveAccepted, "Stop, save accepted",
                  "Stop scheduling, but save occurrences already scheduled", "StopSaveAccepted");
    QPushButton* cancel = addAnswer(column, store::CancelEraseAccepted, "Cancel, erase accepted",
                                    "Stop scheduling, and erase occurrences already scheduled",
                                    "CancelEraseAccepted");

    // Skipping and stopping need a run of occurrences to go on with.
    skip->setEnabled(question.loop);
    stop->setEnabled(question.loop);
    if (question.noConflict) {
        // A collision may never be booked; a weekend or special day may be, one at a time.
        acceptAll->setEnabled(false);
        if (withTimes) acceptThis->setEnabled(false);
    }
    // Enter must never book a finding. In a run of occurrences it skips this one and goes
    // on; for a single occurrence nothing is the default, so Enter does nothing and the
    // focus rests on the answer that books nothing.
    if (question.loop) {
        skip->setDefault(true);
        skip->setFocus();
    } else {
        cancel->setFocus();
    }

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(column);
}

QPushButton* ConflictDialog::addAnswer(QVBoxLayout* column, int answer, const char* caption,
                                       const char* tip, const char* name) {
    auto* b = new QPushButton(text(caption), this);
    b->setObjectName(name);
    b->setToolTip(text(tip));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        accept();
    });
    column->addWidget(b);
    return b;
}

}  // namespace

int CONFLDISP(QWidget* parent, const store::ConflictQuestion& question, const Words& words) {
    ConflictDialog dialog(parent, question, words);
    // The checks may run under the busy cursor; the question needs the ordinary one.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    dialog.exec();
    if (busy) QApplication::restoreOverrideCursor();
    return dialog.result() == QDialog::Accepted ? dialog.answer() : store::CancelEraseAccepted;
}

void installConflictWindow(store::Store& db) {
    store::setConflictWindow([&db](const store::ConflictQuestion& question) {
        QWidget* over = QApplication::activeModalWidget();
        if (!over) over = QApplication::activeWindow();
        return CONFLDISP(over, question, Words::of(db.SYP));
    });
}

}  // namespace booking::ui

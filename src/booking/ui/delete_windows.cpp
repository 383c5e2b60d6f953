// The windows of deleting bookings: DELACT's question and the batch purge.
#include "booking/ui/delete_windows.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "booking/ui/dialog_parts.h"
#include "booking/ui/ui_text.h"
#include "framework/booking_changes.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "masterdata/ui/lookup_cal.h"
#include "store/questions.h"
#include "store/session.h"
#include "store/store.h"

namespace booking::ui {

namespace {

void tell(const std::string& message, const char* caption = "Tembrix") {
    if (message.empty()) return;
    store::questions().message(caption, message, store::Icon::Exclamation, store::BUTTON_OK,
                               store::BUTTON_OK);
}

int respond(int response) {
    store::session().GlobalResponse = response;
    return response;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// DELACT

int DELETESCOPE(QWidget* parent, const Words& words) {
    QDialog dialog(parent);
    dialog.setObjectName("DELACT");
    dialog.setWindowTitle(text("Delete %1", words.booking));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(text("This is a repeated %1", lower(words.booking)), &dialog));
    layout->addWidget(new QLabel(text("Which occurrences do you want to delete?"), &dialog));

    QButtonGroup* group = scopeButtons(
        &dialog, layout,
        {{DeleteJustThisOne, "Just this one", "Only delete this occurrence", "JustThisOne"},
         {DeleteAll, "All", "Delete all occurrences", "All"},
         {DeleteThisOneAndFuture, "This one and future",
          "Delete this occurrence and any that come after it", "ThisOneAndFuture"}},
        words.booking);

    // Deleting is not undone: Enter answers "No" unless the user has moved to "Yes".
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* yes = buttons->addButton(text("Yes"), QDialogButtonBox::YesRole);
    QPushButton* no = buttons->addButton(text("No"), QDialogButtonBox::NoRole);
    yes->setObjectName("Yes");
    no->setObjectName("No");
    no->setDefault(true);
    QObject::connect(yes, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(no, &QPushButton::clicked, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    group->button(DeleteJustThisOne)->setFocus();

    if (dialog.exec() != QDialog::Accepted) return 0;
    return group->checkedId() > 0 ? group->checkedId() : DeleteJustThisOne;
}

int DELACT(store::Store& db, QWidget* parent, const ListedBooking* listed) {
    respond(store::RequestCancelled);
    DeleteBooking core(db);
    const store::DATES occurrence = db.DAT;
    std::optional<ListedBooking> asListed;
    if (listed) asListed = *listed;
    const DeleteResult opened = core.open(occurrence, asListed);
    int scope = DeleteAll;
    if (opened.outcome == DeleteOutcome::AskScope) {
        scope = DELETESCOPE(parent, core.words());
        if (scope == 0) return respond(store::RequestCancelled);
    } else if (opened.outcome != DeleteOutcome::DeleteAtOnce) {
        tell(opened.message);
        return respond(store::RequestCancelled);
    }
    DeleteResult r;
    {
        framework::BusyCursor busy;
        r = core.DELETEPROCESS(scope);
    }
    if (r.outcome != DeleteOutcome::Deleted) {
        tell(r.message, r.outcome == DeleteOutcome::Failed ? "Information Safeguard" : "Tembrix");
        return respond(store::RequestCancelled);
    }
    emit framework::bookingChanges().changed();
    return respond(store::RequestCompleted);
}

// ---------------------------------------------------------------------------------------
// BATCHDELETE

BatchDeleteWindow::BatchDeleteWindow(store::Store& db, QWidget* parent)
    : WindowProcedure(db, "BATCHDELETE", parent), words_(Words::of(db.SYP)) {
    helpTopic = "~Batch_Delete_Window";
    placementSection = "BATCHDELETE";
    setWindowTitle(text("Batch Delete Old %1", words_.bookings));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* prompt =
        new QLabel(text("Delete %1 before this date:", booking::lower(words_.bookings)), this);
    date_ = new framework::DateEntry(this);
    date_->setObjectName("DeleteDate");
    prompt->setBuddy(date_);
    row->addWidget(prompt);
    row->addWidget(date_);
    QPushButton* cal = masterdata::ui::calButton(date_, this);
    row->addWidget(cal);
    layout->addLayout(row);
    status_ = new QLabel(text("Use ONLY if no other users are logged on"), this);
    status_->setObjectName("Status");
    layout->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("Progress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setVisible(false);
    layout->addWidget(progress_);
    QDialogButtonBox* buttons = okCancelHelp(this, helpTopic);
    ok_ = buttons->findChild<QPushButton*>("OK");
    cancel_ = buttons->findChild<QPushButton*>("Cancel");
    connect(ok_, &QPushButton::clicked, this, &BatchDeleteWindow::accept);
    layout->addWidget(buttons);
    setTabOrder(date_, cal);
    setTabOrder(cal, ok_);
    setTabOrder(ok_, cancel_);
    connect(date_, &framework::DateEntry::valueAccepted, this, [this] { TAKEACCEPTED(date_); });
}

bool BatchDeleteWindow::INIT() {
    useTables({store::Tbl::DATES, store::Tbl::ACTIVITY, store::Tbl::RESACT, store::Tbl::ACTNOTES,
               store::Tbl::REPACT});
    if (!WindowProcedure::INIT()) return false;
    date_->setValue(store::today());
    date_->setFocus();
    return true;
}

bool BatchDeleteWindow::checkDate() {
    const PurgeDateCheck check = checkPurgeDate(date_->value().value, store::today().value);
    if (check.ok && date_->value().value != 0) return true;
    date_->setValue(store::Date(check.date ? check.date : store::today().value));
    date_->setFocus();
    date_->selectAll();
    if (!check.ok) tell(check.message);
    return false;
}

void BatchDeleteWindow::TAKEACCEPTED(QObject* control) {
    if (control == date_ && !running_) checkDate();
}

bool BatchDeleteWindow::TAKECOMPLETED() {
    if (running_ || !date_->checkInput() || !checkDate()) return false;
    const store::LONG cutoff = date_->value().value;
    BatchDelete purge(db());
    PurgeEstimate going;
    {
        framework::BusyCursor busy;
        going = purge.estimate(cutoff);
    }
    const std::string question =
        merge(booking::tr("%1 occurrences dated before %2 will be deleted,"),
              std::to_string(going.occurrences), store::shortDate(store::Date(cutoff))) +
        " " +
        merge(booking::tr("and %1 %2 left without occurrences with their %3."),
              std::to_string(going.bookings), booking::lower(words_.bookings),
              booking::lower(words_.resources)) +
        " " + booking::tr("This may take several minutes. Delete them?");
    if (store::questions().message(s(windowTitle()), question, store::Icon::Question,
                                   store::BUTTON_YES | store::BUTTON_NO,
                                   store::BUTTON_NO) != store::BUTTON_YES)
        return false;

    running_ = true;
    ok_->setEnabled(false);
    cancel_->setEnabled(false);
    date_->setEnabled(false);
    status_->setText(text("This may take several minutes"));
    progress_->setVisible(true);
    purge.progress = [this](double done) {
        progress_->setValue(int(done * 100));
        // Only painting: the purge is one transaction and cannot be stopped halfway.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    PurgeResult r;
    {
        framework::BusyCursor busy;
        r = purge.run(cutoff, store::today().value);
    }
    running_ = false;
    ok_->setEnabled(true);
    cancel_->setEnabled(true);
    date_->setEnabled(true);
    status_->setText(text("Use ONLY if no other users are logged on"));
    progress_->setVisible(false);
    switch (r.outcome) {
        case PurgeResult::Outcome::Completed:
            tell(r.message, "Tembrix");
            emit framework::bookingChanges().changed();
            return true;
        case PurgeResult::Outcome::Held:
        case PurgeResult::Outcome::Refused:
            // Nothing changed: the user may try again, or another date.
            tell(r.message);
            date_->setFocus();
            return false;
        case PurgeResult::Outcome::Failed:
            break;
    }
    tell(r.message, "Information Safeguard");
    reject();
    return false;
}

int BATCHDELETE(store::Store& db, QWidget* parent) {
    BatchDeleteWindow w(db, parent);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    return w.CALL();
}

}  // namespace booking::ui

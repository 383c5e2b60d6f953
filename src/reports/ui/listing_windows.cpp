#include "reports/ui/listing_windows.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/date_time_entry.h"
#include "framework/preview_window.h"
#include "framework/program.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "reports/booking_listing.h"
#include "store/store.h"

namespace reports::ui {

using masterdata::ui::words;

bool HIGHDATESELECT(store::Date& date, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("HIGHDATESELECT");
    dialog.setWindowTitle(words("Select End Date For Report"));
    auto* entry = new framework::DateEntry(&dialog, framework::DateEntry::Format::Long);
    entry->setValue(date.isNull() ? store::today() : date);
    entry->setMinimumWidth(entry->fontMetrics().horizontalAdvance("Wednesday, 30 September 2026") +
                           16);
    auto* label = new QLabel(words("End date for report"), &dialog);
    label->setBuddy(entry);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(entry);
    row->addWidget(masterdata::ui::calButton(entry, &dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(words("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(words("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (entry->checkInput(true) && !entry->value().isNull()) dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* main = new QVBoxLayout(&dialog);
    main->addLayout(row);
    main->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    date = entry->value();
    return true;
}

void printBookingList(store::Store& db, scan::BookingList::Kind kind, const std::string& selection,
                      store::Date first, QWidget* parent) {
    store::Date last = store::today();
    if (!HIGHDATESELECT(last, parent)) return;
    const booking::Words w = booking::Words::of(db.SYP);
    if (last < first) {
        masterdata::ui::refusal(
            words("Select End Date For Report"),
            words("The end date must not be before %1.", store::shortDate(first)));
        return;
    }
    QProgressDialog progress(words("Progress..."), words("Cancel"), 0, last - first + 1, parent);
    progress.setWindowTitle(words("Progress..."));
    progress.setMinimumDuration(300);
    std::vector<scan::Occurrence> rows;
    std::string error;
    const bool read = readListing(
        db, kind, selection, first, last, rows,
        [&](store::Date reached) {
            progress.setValue(std::min(reached - first, last - first));
            return !progress.wasCanceled();
        },
        error);
    progress.close();
    if (!read) {
        // A cancelled report stops at once and shows nothing.
        if (!error.empty())
            masterdata::ui::refusal(words("Progress..."), QString::fromStdString(error));
        return;
    }
    framework::PreviewWindow::run(
        bookingListing(listingTitle(kind, w, selection, first, last), w, rows),
        framework::program().ini, parent);
}

}  // namespace reports::ui

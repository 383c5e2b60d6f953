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
#include "framework/report_renderer.h"
#include "framework/report_run.h"
#include "masterdata/ui/lookup_cal.h"
#include "masterdata/ui/window_words.h"
#include "reports/booking_listing.h"
#include "reports/calendar_listings.h"
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
    static const char* const kSections[] = {"ByDateRpt", "ByResourceRpt", "ByClientRpt",
                                            "ByGroupRpt"};
    std::vector<scan::Occurrence> rows;
    std::string error;
    bool read;
    {
        framework::ReportProgress progress(kSections[kind], last - first + 1, parent);
        read = readListing(
            db, kind, selection, first, last, rows,
            [&](store::Date reached) { return progress.step(reached - first); }, error);
    }
    if (!read) {
        // A cancelled report stops at once and shows nothing.
        if (!error.empty())
            masterdata::ui::refusal(words("Progress..."), QString::fromStdString(error));
        return;
    }
    framework::finishReport(bookingListing(listingTitle(kind, w, selection, first, last), w, rows),
                            true, parent);
}

namespace {

/// Runs a calendar listing of the days from first to last: reads with the progress window
/// kept under `section`, then previews or prints the document `make` lays out.
void runCalendarListing(
    store::Store& db, const char* section, bool notes, bool preview, int covering,
    store::Date first, store::Date last, const std::string& text, QWidget* parent,
    const std::function<Document(const std::vector<ListingLine>&, const booking::Words&,
                                 const ListingOptions&)>& make) {
    if (first.isNull() || last < first) {
        masterdata::ui::refusal(words("Progress..."),
                                words("The end date must not be before %1.",
                                      first.isNull() ? std::string() : store::shortDate(first)));
        return;
    }
    std::vector<ListingLine> lines;
    std::string error;
    bool read;
    {
        framework::ReportProgress progress(section, last - first + 1, parent);
        read = readCalendarListing(
            db, Covering(std::clamp(covering, 1, 4)), text, first, last, notes, lines,
            [&](store::Date reached) { return progress.step(reached - first); }, error);
    }
    if (!read) {
        if (!error.empty())
            masterdata::ui::refusal(words("Progress..."), QString::fromStdString(error));
        return;
    }
    const ListingOptions options{notes, db.SYP.ACTUAL == 1};
    framework::finishReport(make(lines, booking::Words::of(db.SYP), options), preview, parent);
}

void runDayByResource(store::Store& db, const char* section, bool notes, bool preview,
                      const std::string& group, store::Date day, QWidget* parent) {
    if (day.isNull()) return;
    std::vector<ResourceLines> resources;
    std::string error;
    bool read;
    {
        framework::ReportProgress progress(section, 1, parent);
        read = readDayByResource(
            db, group, day, notes, resources,
            [&](int done, int of) {
                progress.dialog().setMaximum(std::max(of, 1));
                return progress.step(done);
            },
            error);
    }
    if (!read) {
        if (!error.empty())
            masterdata::ui::refusal(words("Progress..."), QString::fromStdString(error));
        return;
    }
    const booking::Words w = booking::Words::of(db.SYP);
    const framework::QtTextMeasurer measure;
    framework::finishReport(DAYRESRPT(dayByResourceTitle(w, group), day, resources, w,
                                      {notes, db.SYP.ACTUAL == 1}, &measure),
                            preview, parent);
}

}  // namespace

void DAYPORT(store::Store& db, bool notes, bool preview, int covering, store::Date day,
             const std::string& text, QWidget* parent) {
    runCalendarListing(db, "DayPort", notes, preview, covering, day, day, text, parent,
                       [&](const auto& lines, const auto& w, const auto& options) {
                           const framework::QtTextMeasurer measure;
                           return reports::DAYPORT(calendarTitle(w, text), day, lines, w, options,
                                                   &measure);
                       });
}

void WEEKPORT(store::Store& db, bool notes, bool preview, int covering, store::Date first,
              const std::string& text, QWidget* parent) {
    runCalendarListing(db, "WeekPort", notes, preview, covering, first, first + 6, text, parent,
                       [&](const auto& lines, const auto& w, const auto& options) {
                           const framework::QtTextMeasurer measure;
                           return reports::WEEKPORT(calendarTitle(w, text), first, lines, w,
                                                    options, &measure);
                       });
}

void FLEXPER(store::Store& db, bool notes, bool preview, int covering, store::Date first,
             store::Date last, const std::string& text, QWidget* parent) {
    runCalendarListing(db, "FlexPer", notes, preview, covering, first, last, text, parent,
                       [&](const auto& lines, const auto& w, const auto& options) {
                           const framework::QtTextMeasurer measure;
                           return reports::FLEXPER(calendarTitle(w, text), first, last, lines, w,
                                                   options, &measure);
                       });
}

void DAYRESRPT(store::Store& db, bool notes, bool preview, store::Date day, QWidget* parent) {
    runDayByResource(db, "DayResRpt", notes, preview, {}, day, parent);
}

void DAYRESGRPRPT(store::Store& db, bool notes, bool preview, const std::string& group,
                  store::Date day, QWidget* parent) {
    runDayByResource(db, "DayResGrpRpt", notes, preview, group, day, parent);
}

}  // namespace reports::ui

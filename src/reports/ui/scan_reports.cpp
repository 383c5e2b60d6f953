#include "reports/ui/scan_reports.h"

#include <QTimeZone>

#include "booking/words.h"
#include "framework/program.h"
#include "framework/report_run.h"
#include "masterdata/ui/window_words.h"
#include "reports/icalendar.h"
#include "store/questions.h"
#include "store/store.h"

namespace reports::ui {

using masterdata::ui::words;

void printScanSheet(store::Store& db, ScanReport report, bool preview, const std::string& name,
                    store::Date date, QWidget* parent) {
    if (name.empty() || date.isNull()) return;
    Document doc;
    std::string error;
    bool read = false;
    {
        framework::ReportProgress progress(procedureName(report), 2, parent);
        framework::BusyCursor busy;
        read = readScanSheet(db, report, name, date, doc, error,
                             [&](int value) { return progress.step(value); });
    }
    if (!read) {
        // A cancelled report stops at once and shows nothing.
        if (!error.empty()) masterdata::ui::refusal(words("Print"), QString::fromStdString(error));
        return;
    }
    framework::finishReport(std::move(doc), preview, parent);
}

void SCANRESRPT(store::Store& db, bool preview, const std::string& resource, store::Date date,
                QWidget* parent) {
    printScanSheet(db, ScanReport::SCANRESRPT, preview, resource, date, parent);
}

void SCANRESRPT2(store::Store& db, bool preview, const std::string& resource, store::Date date,
                 QWidget* parent) {
    printScanSheet(db, ScanReport::SCANRESRPT2, preview, resource, date, parent);
}

void SCANMONTHRPT(store::Store& db, bool preview, const std::string& resource, store::Date date,
                  QWidget* parent) {
    printScanSheet(db, ScanReport::SCANMONTHRPT, preview, resource, date, parent);
}

void SCANGROUPRPT(store::Store& db, bool preview, const std::string& group, store::Date date,
                  QWidget* parent) {
    printScanSheet(db, ScanReport::SCANGROUPRPT, preview, group, date, parent);
}

void SCANGROUPWEEKRPT(store::Store& db, bool preview, const std::string& group, store::Date date,
                      QWidget* parent) {
    printScanSheet(db, ScanReport::SCANGROUPWEEKRPT, preview, group, date, parent);
}

void SCANGRPWEEKRPT2(store::Store& db, bool preview, const std::string& group, store::Date date,
                     QWidget* parent) {
    printScanSheet(db, ScanReport::SCANGRPWEEKRPT2, preview, group, date, parent);
}

void exportCalendar(store::Store& db, bool group, const std::string& name, store::Date first,
                    store::Date last, QWidget* parent) {
    const QString caption = words("Save as calendar file");
    if (name.empty()) return;
    std::vector<CalendarEvent> events;
    std::string error;
    {
        framework::BusyCursor busy;
        if (!readCalendarEvents(db, group, name, first, last, events, error)) {
            masterdata::ui::refusal(caption, QString::fromStdString(error));
            return;
        }
    }
    if (events.empty()) {
        masterdata::ui::refusal(caption, words("There are no %1 to save in this period.",
                                               booking::Words::of(db.SYP).bookings, true));
        return;
    }
    (void)parent;  // the file dialog stands over the active window
    const std::string path = store::questions().chooseFile(
        store::UserQuestions::FileKind::Save, caption.toStdString(),
        name + "-" + first.iso() + ".ics", words("Calendar files (*.ics)").toStdString());
    if (path.empty()) return;
    if (!writeICalendar(path, events, QTimeZone::systemTimeZoneId().toStdString(), error)) {
        masterdata::ui::refusal(caption, QString::fromStdString(error));
        return;
    }
    store::questions().message(
        caption.toStdString(),
        words("%1 occurrences were saved as a calendar file:", std::to_string(events.size()))
                .toStdString() +
            "\n" + path,
        store::Icon::Information, store::BUTTON_OK, store::BUTTON_OK);
}

}  // namespace reports::ui

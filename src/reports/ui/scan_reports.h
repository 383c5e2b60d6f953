#pragma once

#include <QWidget>
#include <string>

#include "reports/scan_sheets.h"
#include "store/datetime.h"

namespace store {
class Store;
}

namespace reports::ui {

/// Prints a scan sheet of a resource or group for the week, month or day holding `date`:
/// reads with a progress window that can cancel (its place kept under the procedure's
/// name), then shows the preview, from which it prints or saves as PDF, or, without
/// preview, prints on the program's printer. A cancelled report shows nothing; a store
/// that cannot be read is told.
void printScanSheet(store::Store& db, ScanReport report, bool preview, const std::string& name,
                    store::Date date, QWidget* parent);

/// The scan reports by their names, as the calendar options and the scan windows start them.
void SCANRESRPT(store::Store& db, bool preview, const std::string& resource, store::Date date,
                QWidget* parent);
void SCANRESRPT2(store::Store& db, bool preview, const std::string& resource, store::Date date,
                 QWidget* parent);
void SCANMONTHRPT(store::Store& db, bool preview, const std::string& resource, store::Date date,
                  QWidget* parent);
void SCANGROUPRPT(store::Store& db, bool preview, const std::string& group, store::Date date,
                  QWidget* parent);
void SCANGROUPWEEKRPT(store::Store& db, bool preview, const std::string& group, store::Date date,
                      QWidget* parent);
void SCANGRPWEEKRPT2(store::Store& db, bool preview, const std::string& group, store::Date date,
                     QWidget* parent);

/// Saves the bookings of a resource, or of a group's members, from `first` to `last` as an
/// iCalendar file for a calendar program: asks for the file name, then writes one event
/// per occurrence in the workstation's time zone. Tells the user how many were written, or
/// why nothing was.
void exportCalendar(store::Store& db, bool group, const std::string& name, store::Date first,
                    store::Date last, QWidget* parent);

}  // namespace reports::ui

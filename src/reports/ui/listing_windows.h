#pragma once

#include <QWidget>
#include <string>

#include "scan/booking_lists.h"
#include "store/datetime.h"

namespace store {
class Store;
}

namespace reports::ui {

/// HIGHDATESELECT: "Select End Date For Report", primed with `date`. True with the day
/// chosen in `date` on OK; false on Cancel.
bool HIGHDATESELECT(store::Date& date, QWidget* parent);

/// Prints a list of the bookings browse from `first`: asks for the last day, reads the
/// occurrences with a progress window that can cancel, and previews the listing, from
/// which it prints or saves as PDF. Nothing is shown after a cancel.
void printBookingList(store::Store& db, scan::BookingList::Kind kind, const std::string& selection,
                      store::Date first, QWidget* parent);

}  // namespace reports::ui

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

/// The calendar listings, run from "Calendar Options" once per copy. covering: 1 all
/// resources, 2 one resource, 3 a group, 4 a client; text names it ("All Rooms" for all).
/// Each reads with its progress window ("DayPort", "WeekPort", "FlexPer", "DayResRpt",
/// "DayResGrpRpt" in the configuration file) and then previews or, without preview,
/// prints. A cancelled report shows and prints nothing; a period that ends before it
/// starts is refused with a message.
void DAYPORT(store::Store& db, bool notes, bool preview, int covering, store::Date day,
             const std::string& text, QWidget* parent);
void WEEKPORT(store::Store& db, bool notes, bool preview, int covering, store::Date first,
              const std::string& text, QWidget* parent);
void FLEXPER(store::Store& db, bool notes, bool preview, int covering, store::Date first,
             store::Date last, const std::string& text, QWidget* parent);
void DAYRESRPT(store::Store& db, bool notes, bool preview, store::Date day, QWidget* parent);
void DAYRESGRPRPT(store::Store& db, bool notes, bool preview, const std::string& group,
                  store::Date day, QWidget* parent);

}  // namespace reports::ui

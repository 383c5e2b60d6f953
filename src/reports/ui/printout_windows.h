#pragma once

#include <string>

class QWidget;

namespace booking {
class BookingForm;
}
namespace store {
class Store;
}

namespace reports::ui {

/// PRINTBOOKING: previews the booking the form holds, as it stands on the screen.
void PRINTBOOKING(store::Store& db, const booking::BookingForm& form, QWidget* parent);

/// PRINTALLRESOURCES, PRINTGROUPRESOURCES and PRINTCLIENT: read with their progress window
/// ("PrintAllResources", "PrintGroupResources", "PrintClient" in the configuration file),
/// then previewed. A cancel shows nothing.
void PRINTALLRESOURCES(store::Store& db, QWidget* parent);
void PRINTGROUPRESOURCES(store::Store& db, const std::string& group, QWidget* parent);
void PRINTCLIENT(store::Store& db, QWidget* parent);

/// Makes the three master-data printouts known to the browses that print them; the
/// group of PRINTGROUPRESOURCES is the one in the GROUP buffer.
void definePrintouts();

}  // namespace reports::ui

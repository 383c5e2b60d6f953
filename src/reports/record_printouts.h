#pragma once

#include <functional>
#include <string>
#include <vector>

#include "booking/words.h"
#include "reports/document.h"
#include "store/datetime.h"
#include "store/tables.h"

namespace store {
class Store;
}
namespace booking {
class BookingForm;
}

namespace reports {

/// One booking as PRINTBOOKING prints it: as the booking form holds it, so that a
/// booking is printed as it stands on the screen.
struct BookingPrintout {
    store::LONG number = 0;
    std::string name, client, prime;
    int primeUnits = 0;
    struct Dates {
        store::LONG date = 0, start = 0, end = 0;
    };
    std::vector<Dates> dates;
    /// "No Repeats", "Multi-day Booking", "Irregularly" or the rule of a repeating one.
    std::string repeated;
    /// The other-resources text ("VAN, HALL - 2").
    std::string others;
    std::string notes;
    std::string changedBy;
    store::LONG changeDate = 0, changeTime = 0;
};

/// The repeat line of PRINTBOOKING for a booking of repeat type `type` (ACT:REPEATTYPE)
/// with rule `rule`.
std::string repeatedText(int type, const store::REPACT& rule, const booking::Words& words);

/// The booking a form holds (its record buffers ACT, ACN and REP and its working lists),
/// as PRINTBOOKING prints it.
BookingPrintout printoutOf(store::Store& db, const booking::BookingForm& form);

/// PRINTBOOKING: the booking on one page (more when it has many dates), a line per date.
Document PRINTBOOKING(const BookingPrintout& b, const booking::Words& words,
                      const TextMeasurer* measure = nullptr);

/// A resource as PRINTALLRESOURCES and PRINTGROUPRESOURCES print it.
struct ResourcePrintout {
    std::string code, name;
    int units = 0;
    std::vector<std::string> users;  // the general users authorized to book it
    std::string notes;
};

/// Reads every resource (group empty) or those of a group, in resource order. `progress`
/// is told how many are read and returns false to cancel; false then, or with the
/// engine's text in `error`.
bool readResources(store::Store& db, const std::string& group,
                   std::vector<ResourcePrintout>& resources,
                   const std::function<bool(int done)>& progress, std::string& error);

/// PRINTALLRESOURCES ("All Resources") and PRINTGROUPRESOURCES ("Resources in <group>").
std::string resourcesTitle(const booking::Words& words, const std::string& group);
Document PRINTALLRESOURCES(const std::string& title, const std::vector<ResourcePrintout>& resources,
                           const TextMeasurer* measure = nullptr);

/// A client as PRINTCLIENT prints it.
struct ClientPrintout {
    std::string name, contact, address, phone, fax, email, notes;
};

/// Reads every client in name order; as readResources.
bool readClients(store::Store& db, std::vector<ClientPrintout>& clients,
                 const std::function<bool(int done)>& progress, std::string& error);

/// PRINTCLIENT: every client with its contact details and notes, under "Clients".
Document PRINTCLIENT(const std::vector<ClientPrintout>& clients, const booking::Words& words,
                     const TextMeasurer* measure = nullptr);

}  // namespace reports

#pragma once

#include <string>

#include "store/level.h"

namespace store {
class Store;
}

namespace masterdata {

/// What the master-data windows need of the system preferences: whether general users
/// may add and change clients, and the organisation's words for a booking and a client.
struct SystemWords {
    bool clientGeneral = false;
    std::string booking = "Booking";    // SYP:LABELS1_1, trailing blanks removed
    std::string bookings = "Bookings";  // SYP:LABELS1_2
    std::string client = "Client";      // SYP:LABELS3_1
    std::string clients = "Clients";    // SYP:LABELS3_2
};

/// Reads the single SYSPREF record; the SYSPREF buffer is left as it was, so that an
/// open preferences form keeps what its user typed. The defaults when there is none.
SystemWords readSystemWords(store::Store& db);

/// Whether a client of that name is on file: the name is put in the CLIENT buffer and the
/// record read over it when there is one (the stored name then stands in the buffer, in
/// its own letter case); otherwise the buffer holds the name alone. A blank name is
/// never on file.
bool readClient(store::Store& db, const std::string& name);

/// Deletes the client now in the CLIENT buffer (read at its position) with all its
/// bookings in one transaction: each booking's occurrences, notes and repeat rule go by
/// the relation rules, and its resource rows, which no rule removes, are deleted here, so
/// that no resource keeps rows of a booking that is gone. When ask is set, asks message 9
/// first and then, for a client with bookings, whether they may all go (saying how many).
/// Level_Cancel when the user declined; on a failure nothing is deleted, the
/// failure has been reported and the user may try again (message 33).
store::Level deleteClient(store::Store& db, bool ask = true);

}  // namespace masterdata

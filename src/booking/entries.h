#pragma once

#include <string>

#include "store/fixed_string.h"

namespace booking {

/// TMDTYPE: one occurrence of the booking as the form holds it until it saves.
struct DateEntry {
    store::LONG DATE = 0, TIME = 0, ENDTIME = 0, ACTUALSTART = 0, ACTUALEND = 0, ACTNUMBER = 0;
    friend bool operator==(const DateEntry&, const DateEntry&) = default;
};
/// The order of the occurrence list: by date, start and end.
bool occursBefore(const DateEntry& a, const DateEntry& b);

/// One resource of the booking with the units it takes (TMP:RESOURCE, TMP:UNITS).
struct ResourceEntry {
    std::string RESOURCE;
    int UNITS = 0;
    friend bool operator==(const ResourceEntry&, const ResourceEntry&) = default;
};

}  // namespace booking

#pragma once

#include "store/fixed_string.h"

namespace store {
class Store;
}

namespace booking {

/// NEWCONTROLNUMBER: hands out the next booking number, one above the highest ever
/// handed out, and files it in CONTROL so that it is never handed out again. Reading the
/// highest number and filing the next happen under the store's write lock, so two
/// stations asking at the same moment never receive the same number. Inside a caller's
/// transaction it joins that transaction. 0 when no number could be had (the store stayed
/// locked by other stations, or cannot be written).
store::LONG NEWCONTROLNUMBER(store::Store& db);

/// The highest booking number handed out so far; 0 when none was.
store::LONG lastControlNumber(store::Store& db);

}  // namespace booking

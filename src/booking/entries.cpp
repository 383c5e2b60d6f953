#include "booking/entries.h"

#include <tuple>

namespace booking {

bool occursBefore(const DateEntry& a, const DateEntry& b) {
    return std::tie(a.DATE, a.TIME, a.ENDTIME) < std::tie(b.DATE, b.TIME, b.ENDTIME);
}

}  // namespace booking

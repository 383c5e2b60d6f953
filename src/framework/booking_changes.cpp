#include "framework/booking_changes.h"

namespace framework {

BookingChanges& bookingChanges() {
    static BookingChanges changes;
    return changes;
}

}  // namespace framework

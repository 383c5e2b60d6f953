#pragma once

namespace store {

/// Access levels of users, as USE:ACCESSLEVEL stores them.
enum AccessLevel : int {
    ViewOnly = 0,
    GeneralUser = 1,
    ResourceAdministrator = 2,
    SystemAdministrator = 3
};

/// What the access levels allow. Each right belongs to one level and to every level above
/// it; windows, the frame's menu and the core checks ask here instead of comparing levels.
enum class Right {
    /// Open the lists, scans and forms and read them: every level.
    View,
    /// Add bookings and change or delete one's own and unlocked ones, find free time, and
    /// add or change clients where the system preferences allow it: general users up.
    Book,
    /// Change or delete a locked booking of another user, book every resource without
    /// being authorised for it, maintain resources, their groups and clients, and see
    /// utilization: resource administrators up.
    AdministerResources,
    /// Maintain users, user groups and the system preferences, and purge old bookings:
    /// system administrators.
    AdministerSystem,
};

/// The lowest level that has the right.
constexpr AccessLevel lowestLevel(Right r) {
    switch (r) {
        case Right::View:
            return ViewOnly;
        case Right::Book:
            return GeneralUser;
        case Right::AdministerResources:
            return ResourceAdministrator;
        case Right::AdministerSystem:
            return SystemAdministrator;
    }
    return SystemAdministrator;
}

/// Whether a user of `level` has the right. A level above the highest has every right, one
/// below view only has none.
constexpr bool may(int level, Right r) {
    return level >= int(lowestLevel(r));
}

/// Whether a user of `level` may change or delete a booking: locked bookings of other users
/// only from resource administrators up.
constexpr bool mayAlterBooking(int level, bool ownBooking, bool locked) {
    return may(level, Right::Book) &&
           (ownBooking || !locked || may(level, Right::AdministerResources));
}

}  // namespace store

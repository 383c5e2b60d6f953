#pragma once

#include <functional>

namespace store {
class Store;
}

namespace masterdata::ui {

/// What the program lends the preference windows, set once at start (tests may leave
/// them out).
struct PreferenceHooks {
    /// Runs after the system preferences were saved, with the new values in the SYSPREF
    /// buffer: the program takes up the organisation's new terms.
    std::function<void()> sysPrefSaved;
    /// The alert search, run at every timer event of the system preferences window as at
    /// the frame's.
    std::function<void()> alertSearch;
};
PreferenceHooks& preferenceHooks();

/// Defines `SYSPREF` (the system preferences, changed by a system administrator) and
/// `USERPREF` (the logged-in user's own preferences). Both are called with request 2;
/// neither adds nor deletes a record.
void definePreferenceWindows(store::Store& db);

}  // namespace masterdata::ui

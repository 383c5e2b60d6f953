#pragma once

namespace store {
class Store;
}

namespace masterdata::ui {

/// Defines the user and user-group windows: BROWSEUSERS, UPDATEUSER, BROWSEUSERGROUPS,
/// UPDATEUSERGROUP and BROWSEUSERSM.
void defineUserWindows(store::Store& db);

}  // namespace masterdata::ui

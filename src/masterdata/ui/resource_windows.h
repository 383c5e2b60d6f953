#pragma once

namespace store {
class Store;
}

namespace masterdata::ui {

/// Defines the resource and resource-group windows: BROWSERESOURCE, UPDATERESOURCE,
/// BROWSEGROUPS, UPDATERESOURCEGROUP, BROWSERESOURCEM and REBUILDALL.
void defineResourceWindows(store::Store& db);

}  // namespace masterdata::ui

#pragma once

namespace framework {
class BrowseProcedure;
}

namespace masterdata::ui {

/// Gives a browse's list the keys and the pop-up menu of its buttons: Insert adds,
/// Delete deletes, Enter changes (or selects, in select mode), and a right click offers
/// the same. Each works only while its button is shown and enabled, so the list never
/// offers more than the user's rights allow.
void addListActions(framework::BrowseProcedure& browse);

}  // namespace masterdata::ui

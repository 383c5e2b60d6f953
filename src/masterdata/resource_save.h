#pragma once

#include <optional>
#include <string>
#include <vector>

#include "masterdata/resources.h"
#include "masterdata/save_result.h"
#include "store/engine.h"

namespace store {
class Store;
}

namespace masterdata {

/// What a list of resources shows of one beside its code: its long name and units.
struct ResourceSummary {
    std::string name;
    int units = 0;
};
/// The summary of the resource with this code; nothing when it is not on file. The
/// RESOURCE buffer and position are kept, so a browse may ask while a form works on it.
std::optional<ResourceSummary> describeResource(store::Store& db, const std::string& code);

/// The users authorized to book a resource (its RESUSER rows), in key order.
std::vector<std::string> authorizedUsers(store::Store& db, const std::string& resource);

/// What the resource form hands over to be saved: the RESOURCE record is in db.RES.
struct ResourceEdit {
    int request = 0;                 // store::InsertRecord or store::ChangeRecord
    std::string original;            // the code as loaded (change)
    store::RecordPosition position;  // where the record was read (change)
    NameList users;                  // the authorized-user list as edited
    NameList loaded;                 // the list as loaded (change)
};

/// Saves a resource, its authorized users and, for a new one, its membership of the
/// all-resources group, in one transaction. Stamps who changed it and when. In change
/// mode rows another station added or removed since the form loaded its list give 7 or
/// 8, a record changed meanwhile 9; nothing is written then. A new code carries the
/// resource's authorizations, group memberships and booking links with it. A code that
/// another resource has is reported with message 13 and nothing is written; a blank code
/// or fewer than one unit is refused.
SaveResult saveResource(store::Store& db, const ResourceEdit& edit);

/// A resource is known by its short name and offers at least one unit; the form refuses
/// a record without them.
inline constexpr const char* kResourceNeedsCode = "A short name is required";
inline constexpr const char* kResourceNeedsUnits = "Units must be at least 1";

/// Rebuilds the membership of the all-resources group: every present membership is
/// deleted through the relation manager, each after the user confirmed it (message 9),
/// then one membership per resource is added. Returns the number of memberships added;
/// -1 when a deletion was refused or failed (nothing more is done then).
int rebuildAllResources(store::Store& db);

}  // namespace masterdata

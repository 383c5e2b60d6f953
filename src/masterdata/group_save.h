#pragma once

#include <string>
#include <vector>

#include "masterdata/resources.h"
#include "masterdata/save_result.h"
#include "store/engine.h"

namespace store {
class Store;
}

namespace masterdata {

/// The resources of a group (its GROUPRES rows), in key order.
std::vector<std::string> groupMembers(store::Store& db, const std::string& group);
/// The users of a user group (its USGRPUS rows), each cut to a user name's 15 characters.
std::vector<std::string> userGroupMembers(store::Store& db, const std::string& group);

/// What a group form hands over to be saved; the group record is in its table's buffer
/// (db.GRO for a resource group, db.USG for a user group).
struct GroupEdit {
    int request = 0;                 // store::InsertRecord or store::ChangeRecord
    std::string original;            // the name as loaded (change)
    store::RecordPosition position;  // where the record was read (change)
    NameList members;                // the member list as edited
    NameList loaded;                 // the list as loaded (change)
};

/// Saves a resource group and its members in one transaction, stamped with who changed it
/// and when. A blank name is refused ("Group must have a name"); members another station
/// changed meanwhile give 7 or 8, a changed group record 9; a renamed group keeps its
/// members under the new name.
SaveResult saveResourceGroup(store::Store& db, const GroupEdit& edit);
/// The same for a user group and its members.
SaveResult saveUserGroup(store::Store& db, const GroupEdit& edit);

inline constexpr const char* kGroupNeedsName = "Group must have a name";

/// The all-resources group is the one every resource belongs to: it keeps its name and
/// stays, whatever else is done to groups.
inline constexpr const char* kAllResourcesKeepsName = "The group of all resources keeps its name";
inline constexpr const char* kAllResourcesStays = "The group of all resources cannot be deleted";
/// Whether a group may be deleted.
bool mayDeleteGroup(const std::string& group);

}  // namespace masterdata

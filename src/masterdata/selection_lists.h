#pragma once

#include <string>
#include <vector>

namespace store {
class Store;
}

namespace masterdata {

/// One resource as the multiple-selection list shows it.
struct ResourceRow {
    std::string resource;
    std::string name;
    int units = 1;
};

/// Whether a user of that level may book every resource; below it, only the resources a
/// RESUSER row authorizes the user for.
bool booksEveryResource(int accessLevel);

/// The resources the multiple-selection list offers, in code order: every resource, or
/// the members of `group` when one is given; for a user below resource administrator
/// only those the user is authorized to book.
std::vector<ResourceRow> selectableResources(store::Store& db, const std::string& group,
                                             const std::string& user, int accessLevel);

/// One user as the multiple-selection list shows it.
struct UserRow {
    std::string username, lastname, firstname, department;
    int accessLevel = 0;
};

/// The general users (access level 1), in user-name order: the only users that can be
/// authorized for resources or picked into user groups.
std::vector<UserRow> generalUsers(store::Store& db);

}  // namespace masterdata

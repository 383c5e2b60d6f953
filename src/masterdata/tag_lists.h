#pragma once

#include <string>
#include <vector>

namespace masterdata {

/// A resource picked in the resources multiple-selection window, with its units.
struct TaggedResource {
    std::string resource;
    int units = 1;
};

/// The two program-wide tag lists: the multiple-selection windows fill them on OK, and
/// the caller reads and empties them at once.
std::vector<TaggedResource>& resourceTags();
std::vector<std::string>& userTags();

}  // namespace masterdata

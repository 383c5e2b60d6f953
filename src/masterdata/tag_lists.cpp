#include "masterdata/tag_lists.h"

namespace masterdata {

std::vector<TaggedResource>& resourceTags() {
    static std::vector<TaggedResource> tags;
    return tags;
}

std::vector<std::string>& userTags() {
    static std::vector<std::string> tags;
    return tags;
}

}  // namespace masterdata

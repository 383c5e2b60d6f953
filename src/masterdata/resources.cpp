#include "resources.h"

#include <algorithm>

namespace masterdata {

bool NameList::contains(const std::string& name) const {
    return std::binary_search(names_.begin(), names_.end(), name);
}

bool NameList::add(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return false;
    auto at = std::lower_bound(names_.begin(), names_.end(), name);
    if (at != names_.end() && *at == name) return false;
    names_.insert(at, name);
    return true;
}

bool NameList::remove(const std::string& name) {
    auto at = std::lower_bound(names_.begin(), names_.end(), name);
    if (at == names_.end() || *at != name) return false;
    names_.erase(at);
    return true;
}

int listChangedSince(const NameList& loaded, const std::vector<std::string>& current) {
    if (static_cast<int>(current.size()) != loaded.size()) return 7;
    for (const std::string& name : current)
        if (!loaded.contains(name)) return 8;
    return 0;
}

}  // namespace masterdata

#pragma once

#include <string>
#include <vector>

namespace masterdata {

/// A form's working list of names (authorized users of a resource, members of a
/// group): sorted, each name once.
class NameList {
  public:
    const std::vector<std::string>& names() const { return names_; }
    bool contains(const std::string& name) const;
    /// Adds the name unless it is blank or already listed; true when it was added.
    bool add(const std::string& name);
    /// Removes the name when listed; true when it was removed.
    bool remove(const std::string& name);
    int size() const { return static_cast<int>(names_.size()); }

  private:
    std::vector<std::string> names_;
};

/// Whether the rows another station may have written since the form loaded its list
/// still match it: 0 when they do, 7 when their number differs, 8 when one of them is
/// not in the loaded list. The numbers are the ones the user is shown.
int listChangedSince(const NameList& loaded, const std::vector<std::string>& current);

}  // namespace masterdata

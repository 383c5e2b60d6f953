#pragma once

#include <functional>
#include <string>

class QComboBox;

namespace store {
class FileManager;
}

namespace framework {

/// Fills a drop list with the records of a key's order whose first `equalComponents` key
/// components equal those now in the table's buffer (all records with 0), one entry per
/// record, as `text` shows it. The table's buffer is left as it was. Returns the number of
/// entries.
int fillDropList(QComboBox& list, store::FileManager& fm, int key, int equalComponents,
                 const std::function<std::string(const std::byte* record)>& text);

}  // namespace framework

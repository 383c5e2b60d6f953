#pragma once

#include <string>
#include <vector>

#include "store/engine.h"
#include "store/table_decl.h"

namespace store {
class Store;
}

namespace masterdata {

/// The records of table t whose leading component of `key` (the text field `field`)
/// equals value, found along the key. The table's buffer is left as it was.
std::vector<store::RecordPosition> rowsWith(store::Store& db, store::Tbl t, int key,
                                            store::Field field, const std::string& value);

/// The values of the text field `nameField` of those records, in key order, each cut to
/// `width` characters when width > 0.
std::vector<std::string> namesWith(store::Store& db, store::Tbl t, int key, store::Field field,
                                   const std::string& value, store::Field nameField, int width = 0);

/// Opens tables through their relation managers for as long as it lives, and makes each
/// really open (a transaction can only take in tables opened before it began).
class OpenTables {
  public:
    OpenTables(store::Store& db, std::vector<store::Tbl> tables);
    ~OpenTables();
    OpenTables(const OpenTables&) = delete;
    OpenTables& operator=(const OpenTables&) = delete;
    /// False when one of them could not be opened (the user has been told).
    bool ok() const { return ok_; }

  private:
    store::Store& db_;
    std::vector<store::Tbl> opened_;
    bool ok_ = true;
};

}  // namespace masterdata

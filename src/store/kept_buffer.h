#pragma once

#include <cstring>
#include <vector>

#include "store/engine.h"
#include "store/store.h"

namespace store {

/// Keeps a table's shared record buffer and position as they were, for as long as it
/// lives: a read that borrows the buffer of a table another window still works on gives it
/// back untouched.
class KeptBuffer {
  public:
    KeptBuffer(Store& db, Tbl t)
        : db_(db),
          table_(db.table(t)),
          copy_(table_.buffer(), table_.buffer() + table_.recordSize()),
          position_(table_.position()) {}
    ~KeptBuffer() {
        std::memcpy(table_.buffer(), copy_.data(), copy_.size());
        db_.engine().setPosition(table_, position_);
    }
    KeptBuffer(const KeptBuffer&) = delete;
    KeptBuffer& operator=(const KeptBuffer&) = delete;

  private:
    Store& db_;
    Table& table_;
    std::vector<std::byte> copy_;
    RecordPosition position_;
};

}  // namespace store

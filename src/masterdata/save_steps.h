#pragma once

#include <functional>
#include <string>

#include "masterdata/save_result.h"
#include "store/engine.h"
#include "store/table_decl.h"

namespace store {
class Store;
}

namespace masterdata {

/// The transaction of a maintenance form's save: each write is a numbered step, and the
/// first that fails rolls everything back and leaves its number and the store's text.
class SaveSteps {
  public:
    explicit SaveSteps(store::Store& db) : db_(db) {}
    ~SaveSteps();

    /// Begins the transaction (step 1 when it cannot), waiting 3 seconds for locks: those
    /// of RESDATA.TPS and, with `usersToo`, those of USERS.TPS.
    bool begin(bool usersToo = false);
    /// Rolls back without a failure of its own (a check found a reason to stop).
    void abandon();
    /// Commits; a commit that fails counts as step 1.
    bool commit();
    /// Adds the buffer of t; a duplicate key is reported with message 13 (outcome
    /// Duplicate), any other failure as `step`.
    bool add(store::Tbl t, int step);
    /// Writes the buffer of t over the record at p: 9 when another station changed it.
    bool put(store::Tbl t, store::RecordPosition p, int step);
    /// Deletes every record of t at the positions.
    bool erase(store::Tbl t, const std::vector<store::RecordPosition>& rows, int step);
    /// Reads each record at the positions, lets `change` alter the buffer, writes it back.
    bool rewrite(store::Tbl t, const std::vector<store::RecordPosition>& rows, int step,
                 const std::function<void()>& change);

    const SaveResult& result() const { return result_; }

  private:
    bool fail(int step);
    bool duplicate(store::Tbl t);

    store::Store& db_;
    bool open_ = false;
    SaveResult result_;
};

}  // namespace masterdata

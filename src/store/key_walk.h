#pragma once

#include <functional>

#include "engine.h"

namespace store {

/// Reads, in the order of `key`, every record of `t` whose first `components` key values
/// equal those the buffer holds when called, compared as the key compares them (trailing
/// blanks aside, without letter case where the key ignores it), and calls `each` with the
/// record in the buffer; `each` returns false to stop. One seek, then one step a record.
/// Afterwards the buffer holds the last record read. Returns the engine code of a seek
/// that failed, 0 otherwise.
int walkEqual(Engine& e, Table& t, int key, int components, const std::function<bool()>& each);

}  // namespace store

#pragma once

namespace store {

/// Result level of a store operation and of the error reporter.
enum Level : int {
    Level_Benign = 0,   // success, or nothing to report
    Level_User = 1,     // the user decided against going on
    Level_Program = 2,  // a fault of the program itself
    Level_Fatal = 3,    // the program cannot go on
    Level_Cancel = 4,   // the user answered No or cancelled
    Level_Notify = 5,   // the user has been told; the operation did not happen
};

}  // namespace store

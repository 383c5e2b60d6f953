#pragma once

#include <string>

#include "converter/releases.h"
#include "converter/table_job.h"

namespace converter {

/// The caption of the converter's window and of its messages.
inline constexpr const char* kCaption = "Convert Previous Versions to 3.21";
/// The copy of the main store file taken before the first change.
inline constexpr const char* kBackupName = "Resdata.old";

enum class Outcome {
    NothingDone,  // the folder or the release chosen was not right: nothing was changed
    Completed,    // every stage ran and the folder opens as the main program opens it;
                  // "Conversion Completed" was shown
    Failed,       // a stage failed and said why; what it had not reached is unchanged
};

/// Brings the data folder from the release chosen to today's layout: checks that the
/// folder holds a store of that release, copies RESDATA.TPS to Resdata.old, then runs the
/// release's stages in order. Every table is replaced in one transaction, so a failure
/// leaves the table it met exactly as it was. The keys of the tables no stage writes are
/// built anew at the end. Every message goes through
/// store::questions(); the observer sees the stages and the records read.
Outcome convertFolder(const std::string& folder, Release chosen,
                      ConvertObserver* observer = nullptr);

}  // namespace converter

#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "converter/table_job.h"
#include "store/table_decl.h"

namespace converter {

/// What one stage leaves for a later one in the same conversion.
struct Carried {
    /// SYSPREF's CLIENTGENERAL of the 3.1 preferences, kept aside by stage C for stage D;
    /// 0 when stage C did not run.
    int clientGeneral = 0;
};

/// One table conversion of a stage: what it reads and writes, and how it fills its new
/// records. The runner makes the job (one transaction) and finishes it.
struct Step {
    char stage;                      // 'A' to 'D'
    const char* sourceName;          // how failures name it: "RESDATA\!ACTIVITY"
    std::vector<const char*> reads;  // stored names of the main file it reads
    std::vector<std::pair<store::StoreFile, const char*>> writes;  // the tables it replaces
    bool usesUsersFile;
    /// Set for the step whose failing copy is reported by the stop box with this tag.
    const char* copyFailureTag;
    void (*fill)(TableJob& job, Carried& carried);
};

/// Every step of stages A to D, in the order they run.
const std::vector<Step>& allSteps();

/// The repeat kind of a booking from the text 3.1 kept: "Fixed Weeks" is 4; any text
/// not known is 0 (no repeats).
int repeatTypeCode(std::string_view text);
/// The week of the month from the text 3.1 kept: "2nd" is 2, "Last" 5, anything else 0.
int weekCode(std::string_view text);

}  // namespace converter

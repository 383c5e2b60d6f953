#pragma once

#include <string>
#include <vector>

#include "store/datetime.h"

namespace store {
class Store;
}

namespace masterdata {

/// One period of special days: every day from start to end, both included.
struct SpecialPeriod {
    store::Date start;
    store::Date end;
    std::string description;  // up to 20 characters
};

/// What is wrong with a period as the special-days form would save it, as the user is
/// told; "" when nothing is. Both dates are needed and the end may not come before the
/// start (a one-day period has equal dates).
std::string specialPeriodProblem(store::Date start, store::Date end);

/// Writes a special-days file: a store file of its own whose one table holds the periods
/// in the layout of the special days. An existing file at path is replaced. "" on
/// success, else what went wrong.
std::string writeSpecialDaysFile(const std::string& path,
                                 const std::vector<SpecialPeriod>& periods);

/// The outcome of an import.
struct SpecialImport {
    int added = 0;        // periods added to the special days
    std::string problem;  // "" on success, else what the user is told
};

/// Adds every period of a special-days file to the special days, in one transaction and
/// in the file's date order: exactly the records the file holds, each as stored. The file
/// itself is only read. Periods already on file stay, so importing a file twice gives each
/// period twice. A file that cannot be opened or read, that is damaged, that holds records
/// of another layout, or that holds any value its field cannot hold (a text or a number
/// beyond a day of the calendar as a date, a period that ends before it starts, a
/// description longer than 20 characters) adds nothing and says so, naming the file and
/// the record.
SpecialImport importSpecialDays(store::Store& db, const std::string& path);

}  // namespace masterdata

#pragma once

#include <set>
#include <string>
#include <utility>

#include "converter/table_job.h"
#include "store/table_decl.h"

namespace converter {

/// A table by its file and stored name.
using TableName = std::pair<store::StoreFile, std::string>;

/// Builds anew the keys of every table of today's layout that the folder holds but that
/// the conversion did not write: an earlier release may have left one of their keys
/// damaged or missing, and the main program would stop at it. The tables in `written`
/// got their keys when they were put in place. "" on success; otherwise what is wrong,
/// naming the table (a unique key that the records duplicate, a table not laid out as
/// its catalog says). Keys already built stay built: the records never change.
std::string rebuildKeptKeys(Workspace& w, const std::set<TableName>& written);

/// Opens every table of today's layout as the main program does when it starts (for
/// writing, through a connection of its own, as another workstation would) and reads the
/// files through. A table the folder lacks is fine: the main program makes it. "" when
/// the folder opens; otherwise what stops it, naming the table or the file.
std::string openAsMainProgram(const std::string& folder);

}  // namespace converter

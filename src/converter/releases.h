#pragma once

#include <vector>

#include "store/table_decl.h"

namespace converter {

/// The releases whose data folders the converter knows, oldest first.
enum class Release { R2X, R30, R31, R320, Current };

/// What the converter knows of one release: its option, its name and its stages.
struct ReleaseInfo {
    Release release;
    const char* option;  // the text of its option in "Version to Convert"
    const char* value;   // the option's value
    const char* name;    // how messages name the release
    const char* stages;  // the stages that bring its data to today's layout, in order
};

/// The four releases that can be converted, in the order of the option group.
const std::vector<ReleaseInfo>& convertibleReleases();
const ReleaseInfo& releaseInfo(Release r);

/// A table of a release's data folder: the file and stored name it has there and the
/// layouts it may be in; the first is the one the release itself writes.
struct HeldTable {
    store::StoreFile file;
    const char* name;
    std::vector<const store::TableDecl*> layouts;
};

/// Every table a data folder of release r holds.
const std::vector<HeldTable>& tablesOf(Release r);

/// The layouts a release may keep table `name` of `file` in; empty when the release does
/// not hold that table (or holds it without caring in which layout).
const std::vector<const store::TableDecl*>& layoutsIn(Release r, store::StoreFile file,
                                                      const char* name);

}  // namespace converter

#pragma once

#include <vector>

#include "converter/releases.h"
#include "converter/table_job.h"

namespace converter {

/// The layout each table of a data folder is in, among the layouts of the known releases.
struct FolderLayouts {
    struct Entry {
        store::StoreFile file;
        const char* name;
        bool present = false;
        const store::TableDecl* layout = nullptr;  // nullptr: a layout no release wrote
        bool unreadable = false;                   // USERS.TPS is there but cannot be read
    };
    std::vector<Entry> entries;
    store::EngineStatus usersStatus;  // why USERS.TPS could not be read

    const Entry* find(store::StoreFile file, const char* name) const;
    bool usersUnreadable() const;
};

/// Finds the layout of every table the known releases keep. Returns the engine's error
/// when the main file cannot be read at all; a USERS.TPS that cannot be read is noted in
/// its entry instead.
int readLayouts(Workspace& w, FolderLayouts& out);

/// True when every table that release r keeps, and the folder holds, is in one of r's
/// layouts for it. Tables the folder lacks do not count against a release.
bool fits(const FolderLayouts& f, Release r);

/// The releases (today's included) that the folder fits, oldest first.
std::vector<Release> fittingReleases(const FolderLayouts& f);

}  // namespace converter

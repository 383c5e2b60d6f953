#pragma once

// Copying a whole store from where it lives to another place: a data folder's files onto a
// server database and back, and a server's store file into a file of the folder format (the
// backup of a server store).

#include <functional>
#include <string>
#include <vector>

#include "table_decl.h"

namespace store {

class Engine;

/// Where a store copy stands, for a command or a window that shows it.
struct StoreCopyProgress {
    enum class Phase { Copying, Checking };
    Phase phase = Phase::Copying;
    std::string table;    // "RESDATA\!DATES"
    std::string key;      // while checking: the key being walked ("DAT:Date_key"), or empty
                          // for the walk in the order records were added
    long long done = 0;   // records of the table copied or checked so far
    long long total = 0;  // records the table holds
};

struct StoreCopyOptions {
    /// The store files to copy; both by default.
    std::vector<StoreFile> files = {StoreFile::RESDATA, StoreFile::USERS};
    /// Hears each step; called often enough to show progress on large tables.
    std::function<void(const StoreCopyProgress&)> progress;
    /// Called inside the target's transaction once every record is written and before the
    /// check; tests tamper with the target here to prove that the check sees it.
    std::function<void(Engine& target)> beforeCheck;
    /// The wait for the source's and the target's write locks, in seconds.
    int lockWait = 10;
    /// Read the source as it stood at the start while other stations go on writing (a
    /// backup), instead of holding its write lock to the end (a move, after which nothing
    /// may change the source). Only a server keeps such snapshots; a folder's files are
    /// held either way.
    bool snapshot = false;
};

/// What a copy did, or why it did nothing.
struct StoreCopyResult {
    /// 0 on success, else the engine error code of the failure (FileSystemErr for a
    /// target that is not empty, a source that is damaged or a check that failed).
    int code = 0;
    /// A sentence for the user: what was refused or what went wrong, naming the table, the
    /// key and the record where a check failed.
    std::string message;
    long long records = 0;  // records copied, every table together
    int tables = 0;         // tables copied (every table the source holds)

    bool ok() const { return code == 0; }
};

/// Copies every table of `from`'s store files into `to`, which must hold no table of them
/// yet (a folder without RESDATA.TPS and USERS.TPS, a server database without the store's
/// schemas or with empty ones). Every table the source holds is made in the target as the
/// program makes it (columns, keys, layout catalogue) from its declaration, and its records
/// are written in the order they were added, keeping each record's identity and version so
/// that change detection and remembered positions go on as before; the identity a table
/// hands out next is kept too.
///
/// The source is read in one state: its write lock (every file copied) is held throughout,
/// so no station writes meanwhile, and nothing is written there. The target is written in
/// one transaction. Before it commits, the copy is checked: every table's count, then a
/// walk of every table in the order its records were added and along each of its keys, in
/// both stores side by side, comparing record, identity and version at every step. On any
/// failure the transaction is rolled back and what the copy made is removed again (the
/// target folder's new files, the schemas it made on the server), so the target is left as
/// it was.
///
/// REQUIRES: neither engine is in a transaction; both are otherwise unused while it runs.
StoreCopyResult copyStore(Engine& from, Engine& to, const StoreCopyOptions& options = {});

/// Writes one store file of `from` as a file of the folder format at `toPath` (the users
/// file encrypted as a folder's USERS.TPS is), through a store of its own in a folder made
/// beside toPath and removed afterwards. toPath holds either its old content or the whole
/// checked copy. An engine error code, with the failure in from.status().
int copyStoreFile(Engine& from, StoreFile f, const std::string& toPath);

}  // namespace store

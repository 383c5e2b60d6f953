#pragma once

// Moving a data folder's store onto a server and a server's store into a folder: the work
// behind the converter program's --to-server and --to-folder commands, which run without a
// window and print what they do.

#include <ostream>
#include <string>

namespace store {

/// Copies the store of `folder` (RESDATA.TPS, USERS.TPS) into the empty server database
/// `conninfo` names, checks it, and then writes the folder's server file (kServerFileName)
/// naming that server, so that every station started afterwards uses it. The folder's
/// store files are left as they were at the move. Refused, changing nothing, when the
/// folder has a server file already, has no RESDATA.TPS, or the database holds store
/// tables. Progress goes to `out`, the reason of a failure to `err`. 0 on success, 1 when
/// the store was not moved.
int moveStoreToServer(const std::string& folder, const std::string& conninfo, std::ostream& out,
                      std::ostream& err);

/// Copies the store of the server database `conninfo` names into `folder`, made when
/// missing, as the folder's own RESDATA.TPS and USERS.TPS (the users file encrypted as the
/// program makes it), and checks it. Refused when the folder holds RESDATA.TPS, USERS.TPS
/// or a server file; on failure the folder is left as it was (one the command made goes
/// again). The server's store is not changed. 0 on success, 1 when nothing was copied.
int moveStoreToFolder(const std::string& conninfo, const std::string& folder, std::ostream& out,
                      std::ostream& err);

}  // namespace store

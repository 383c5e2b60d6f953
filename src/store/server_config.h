#pragma once

#include <string>

namespace store {

/// The file in a data folder that names a server holding the folder's store instead of
/// RESDATA.TPS and USERS.TPS. Every station that opens the folder reads it; the ini file,
/// the language file and the extraction file stay in the folder as before.
inline constexpr const char* kServerFileName = "tembrixm.SRV";

/// What a folder's server file says.
struct ServerFile {
    /// Whether the folder has one. A folder without it keeps its store in its own files.
    bool present = false;
    /// The first line that is neither empty nor a comment (#), as libpq connection
    /// parameters ("host=/run/postgresql dbname=tembrix" or a postgresql:// address).
    std::string conninfo;
    /// Why a file that is there names no server (it cannot be read, or holds no such line):
    /// such a folder is refused, never taken for one without a server, so that no station
    /// starts a second store in the folder beside the server's.
    std::string problem;
};

ServerFile readServerFile(const std::string& folder);

/// The connection parameters of a folder's server file; empty when it names none.
std::string serverOf(const std::string& folder);

}  // namespace store

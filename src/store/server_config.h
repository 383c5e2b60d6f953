#pragma once

#include <string>

namespace store {

/// The file in a data folder that names a server holding the folder's store instead of
/// RESDATA.TPS and USERS.TPS. Every station that opens the folder reads it; the ini file,
/// the language file and the extraction file stay in the folder as before.
inline constexpr const char* kServerFileName = "tembrixm.SRV";

/// The server connection a data folder names: the first line of its server file that is
/// neither empty nor a comment (#), as libpq connection parameters ("host=/run/postgresql
/// dbname=tembrix" or a postgresql:// address). Empty when the folder has no server file:
/// the store is then the folder's own files.
std::string serverOf(const std::string& folder);

}  // namespace store

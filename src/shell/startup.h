#pragma once

#include <string>

#include "masterdata/master_names.h"

namespace store {
class Engine;
class Store;
}  // namespace store

namespace shell {

inline constexpr const char* kProductName = "Tembrix";
inline constexpr const char* kVersion = "3.21d";
inline constexpr const char* kAdministrator = "AAAAAAAAAAAAAAA";
inline constexpr const char* kAdministratorPassword = "8260947315";
inline constexpr const char* kAllResources = masterdata::kAllResources;
inline constexpr const char* kNoClient = "No Client";
inline constexpr const char* kSysPref = masterdata::kSysPref;
inline constexpr const char* kOldFormatMessage =
    "Old data format detected. You must run QUARNEL.EXE to convert your data before running "
    "this version of Tembrix.";

/// How opening the store for the frame ended.
enum class StoreStart {
    Ready,      // tables open, empty store seeded, SYSPREF read into its buffer
    OldFormat,  // data of an earlier release: the user was told to run the converter
    Stopped,    // a failure the program cannot go on from (the user was told)
};

/// The first steps of the frame: refuse data in an old layout and files that are damaged
/// (naming the file and its backup, writing nothing), open the tables, seed an empty store
/// with the records every store needs, and read the system preferences.
/// Every message goes through the program's user questions.
StoreStart OPENSTORE(store::Store& db);

/// The message that refuses a store file which cannot be used as it is: the file's path,
/// what is wrong with it ("is damaged: ...") and the backup to restore it from.
std::string damagedFileMessage(const std::string& path, const std::string& problem,
                               const std::string& backup);

/// The same for a store kept on a server: `place` names the schema and the database.
std::string damagedServerMessage(const std::string& place, const std::string& problem);

/// The message that refuses a start when the folder's server does not answer.
std::string unreachableServerMessage(const store::Engine& e);

/// The question OPENSTORE asks, once, about a data folder that cannot be written.
std::string readOnlyFolderQuestion(const std::string& folder);

/// Closes what OPENSTORE opened.
void CLOSESTORE(store::Store& db);

/// Copies the system defaults (SYSPREF fields 1 to 12) into the USERPREF buffer.
void copyDefaultsToUserPref(store::Store& db);

/// Reads the single SYSPREF record into its buffer. False when there is none.
bool readSysPref(store::Store& db);

}  // namespace shell

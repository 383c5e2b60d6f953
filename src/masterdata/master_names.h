#pragma once

namespace masterdata {

/// The group that every resource joins: start-up creates it, a new resource becomes its
/// member and "Rebuild group ALL list" rebuilds its membership, all under this one name.
inline constexpr const char* kAllResources = "All resources";

/// The user name under which the system's default durations and routine names are filed.
inline constexpr const char* kSysPref = "SysPref";

}  // namespace masterdata

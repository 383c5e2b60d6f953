#pragma once

namespace masterdata {

/// What the logged-in user may do with clients.
struct ClientRights {
    bool insert = false;
    bool change = false;
    bool remove = false;
};

/// Resource and system administrators maintain clients; a general user adds and changes
/// them only when the system preferences allow it, and never deletes; a view-only user
/// reads.
ClientRights clientRights(int accessLevel, bool clientGeneral);

}  // namespace masterdata

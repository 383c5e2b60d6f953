#pragma once

#include <string>

#include "access.h"

namespace store {

/// What a procedure that maintains a record is asked to do.
enum Request : int {
    NoRequest = 0,
    InsertRecord = 1,
    ChangeRecord = 2,
    DeleteRecord = 3,
    SelectRecord = 4
};
/// How it ended.
enum Response : int { NoResponse = 0, RequestCompleted = 1, RequestCancelled = 2 };

/// The program-wide values of one run: who is logged in, and the request and response
/// by which windows hand work to the forms they call.
struct Session {
    std::string GlobalUserName;  // the logged-in user's USE:USERNAME
    int accessLevel = ViewOnly;  // a copy of the user's USE:ACCESSLEVEL
    int GlobalRequest = NoRequest;
    int GlobalResponse = NoResponse;
};

/// The one session of the process.
Session& session();

}  // namespace store

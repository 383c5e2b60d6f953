#include "masterdata/clients.h"

namespace masterdata {

ClientRights clientRights(int accessLevel, bool clientGeneral) {
    ClientRights rights;
    if (accessLevel >= 2) {
        rights.insert = rights.change = rights.remove = true;
    } else if (accessLevel == 1 && clientGeneral) {
        rights.insert = rights.change = true;
    }
    return rights;
}

}  // namespace masterdata

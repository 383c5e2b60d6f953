#include "masterdata/clients.h"

#include "store/access.h"

namespace masterdata {

ClientRights clientRights(int accessLevel, bool clientGeneral) {
    ClientRights rights;
    if (store::may(accessLevel, store::Right::AdministerResources)) {
        rights.insert = rights.change = rights.remove = true;
    } else if (store::may(accessLevel, store::Right::Book) && clientGeneral) {
        rights.insert = rights.change = true;
    }
    return rights;
}

}  // namespace masterdata

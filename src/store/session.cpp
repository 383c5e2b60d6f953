#include "store/session.h"

namespace store {

Session& session() {
    static Session s;
    return s;
}

}  // namespace store

#include "store/key_walk.h"

#include <vector>

#include "store/record_image.h"

namespace store {

int walkEqual(Engine& e, Table& t, int key, int components, const std::function<bool()>& each) {
    const TableDecl& d = t.decl();
    const std::vector<std::byte> probe(t.buffer(), t.buffer() + d.recordSize);
    if (const int rc = e.setAtValue(t, key, components); rc != NoError) return rc;
    while (e.next(t) == NoError &&
           compareKey(d, d.keys[key], t.buffer(), probe.data(), components) == 0)
        if (!each()) break;
    return NoError;
}

}  // namespace store

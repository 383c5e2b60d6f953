#include "scan/scan_items.h"

#include <algorithm>

namespace scan {

const BoxEntry* ScanLayout::boxOf(int id) const {
    const Item* i = item(id);
    if (!i || i->kind != Item::Box || i->box < 0 || i->box >= int(boxes.size())) return nullptr;
    return &boxes[i->box];
}

const Item* ScanLayout::item(int id) const {
    auto it = std::find_if(items.begin(), items.end(), [id](const Item& i) { return i.id == id; });
    return it == items.end() ? nullptr : &*it;
}

void ScanLayout::cover(const Item& i) {
    width = std::max(width, i.x + std::max(i.w, 1));
    height = std::max(height, i.y + std::max(i.h, 1));
}

void Numbering::series(int name, int first, int limit) {
    series_[name] = {first, limit};
}

int Numbering::next(int name) {
    Series& s = series_[name];
    if (s.next < s.limit) return s.next++;
    return overflow_++;
}

}  // namespace scan

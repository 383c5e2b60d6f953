#include "view_manager.h"

#include <cstring>

#include "record_image.h"

namespace store {

ViewManager::ViewManager(RelationManager& primary) : primary_(primary) {}
ViewManager::~ViewManager() = default;

int ViewManager::ADDSORTORDER(int key) {
    orders_.push_back({key, {}, {}});
    return int(orders_.size());
}

void ViewManager::ADDRANGE(Field field) {
    if (!orders_.empty()) orders_.back().ranges.push_back({field, Range::Current, {}, {}});
}

void ViewManager::ADDRANGE(Field field, Value low, Value high) {
    if (!orders_.empty())
        orders_.back().ranges.push_back({field, Range::Between, std::move(low), std::move(high)});
}

void ViewManager::ADDRANGE(Field field, FileManager& related, Field relatedField) {
    if (!orders_.empty())
        orders_.back().ranges.push_back({field, Range::Related, {}, {}, &related, relatedField});
}

void ViewManager::SETFILTER(std::function<bool()> filter) {
    if (!orders_.empty()) orders_.back().filter = std::move(filter);
}

void ViewManager::ADDLOOKUP(FileManager& parent, int parentKey, std::vector<Field> childFields) {
    lookups_.push_back({&parent, parentKey, std::move(childFields)});
}

void ViewManager::SETSORT(int order) {
    if (order >= 1 && order <= int(orders_.size())) active_ = order - 1;
}

Level ViewManager::OPEN() {
    return primary_.OPEN();
}
Level ViewManager::CLOSE() {
    return primary_.CLOSE();
}

void ViewManager::setValue(const FieldDecl& f, std::byte* rec, const Value& v) {
    if (f.type == FieldType::STRING)
        setText(f, rec,
                std::holds_alternative<std::string>(v) ? std::get<std::string>(v)
                                                       : std::to_string(std::get<long long>(v)));
    else
        setNumber(f, rec, std::holds_alternative<long long>(v) ? std::get<long long>(v) : 0);
}

Level ViewManager::RESET() {
    FileManager& fm = primary_.ME;
    const TableDecl& d = fm.decl();
    started_ = 0;
    limited_ = true;
    equalComponents_ = 0;
    between_ = false;
    low_.assign(fm.buffer(), fm.buffer() + d.recordSize);
    high_ = low_;
    if (orders_.empty()) return fm.SET(-1);
    const SortOrder& o = orders_[active_];
    for (const Range& r : o.ranges) {
        const FieldDecl& f = d.field(r.field);
        switch (r.kind) {
            case Range::Current:
                ++equalComponents_;
                break;
            case Range::Related: {
                const FieldDecl& rf = r.related->decl().field(r.relatedField);
                copyField(rf, r.related->buffer(), f, low_.data());
                copyField(rf, r.related->buffer(), f, high_.data());
                ++equalComponents_;
                break;
            }
            case Range::Between:
                setValue(f, low_.data(), r.low);
                setValue(f, high_.data(), r.high);
                between_ = true;
                break;
        }
        if (r.kind != Range::Between) copyField(f, low_.data(), f, high_.data());
    }
    if (Level l = fm.USEFILE()) return l;
    if (fm.engine().set(fm.table(), o.key) != NoError) {
        limited_ = false;
        return fm.THROW(40);
    }
    return Level_Benign;
}

ViewManager::RecordVerdict ViewManager::verdict() {
    FileManager& fm = primary_.ME;
    const TableDecl& d = fm.decl();
    if (limited_ && !orders_.empty()) {
        const SortOrder& o = orders_[active_];
        const KeyDecl& k = d.keys[o.key];
        const int n = equalComponents_ + (between_ ? 1 : 0);
        if (n > 0 && (compareKey(d, k, fm.buffer(), low_.data(), n) < 0 ||
                      compareKey(d, k, fm.buffer(), high_.data(), n) > 0))
            return Record_OutOfRange;
        if (o.filter && !o.filter()) return Record_Filtered;
    }
    return VALIDATERECORD();
}

Level ViewManager::step(int direction) {
    FileManager& fm = primary_.ME;
    if (Level l = fm.USEFILE()) return l;
    Engine& engine = fm.engine();
    if (started_ == 0 && limited_ && !orders_.empty()) {
        const SortOrder& o = orders_[active_];
        const int n = equalComponents_ + (between_ ? 1 : 0);
        if (n > 0) {
            // Seek straight to the edge of the range in the direction of reading.
            const std::uint16_t t = fm.SAVEBUFFER();
            std::memcpy(fm.buffer(), direction > 0 ? low_.data() : high_.data(), low_.size());
            const int rc = engine.setAtValue(fm.table(), o.key, n);
            fm.RESTOREBUFFER(t);
            if (rc != NoError) {
                limited_ = false;
                fm.THROW(40);
            }
        }
    }
    started_ = 1;
    for (;;) {
        Level l = direction > 0 ? fm.NEXT() : fm.PREVIOUS();
        if (l != Level_Benign) return l;
        switch (verdict()) {
            case Record_OK:
                for (const Lookup& lk : lookups_) {
                    FileManager& p = *lk.parent;
                    const KeyDecl& pk = p.decl().keys[lk.parentKey];
                    p.table().clearBuffer();
                    for (std::size_t i = 0; i < lk.childFields.size() && i < pk.components.size();
                         ++i)
                        copyField(fm.decl().field(lk.childFields[i]), fm.buffer(),
                                  p.decl().fields[pk.components[i].field], p.buffer());
                    p.FETCH(lk.parentKey);
                }
                return Level_Benign;
            case Record_Filtered:
                continue;
            case Record_OutOfRange:
                return Level_Notify;
        }
    }
}

Level ViewManager::NEXT() {
    return step(+1);
}
Level ViewManager::PREVIOUS() {
    return step(-1);
}

}  // namespace store

#include "relation_manager.h"

#include <algorithm>
#include <cstring>

#include "error_class.h"
#include "record_image.h"

namespace store {

int RelationManager::pass_ = 0;

RelationManager::RelationManager(FileManager& me, bool useLogout) : ME(me), USELOGOUT(useLogout) {}

void RelationManager::ADDRELATION(RelationManager& related) {
    Relation r;
    r.related = &related;
    RELATIONS.push_back(std::move(r));
}

void RelationManager::ADDRELATION(RelationManager& related, Rule update, Rule del, int childKey) {
    Relation r;
    r.related = &related;
    r.update = update;
    r.del = del;
    r.childKey = childKey;
    RELATIONS.push_back(std::move(r));
}

void RelationManager::ADDRELATIONLINK(int parentField, int childField) {
    if (!RELATIONS.empty()) RELATIONS.back().links.emplace_back(parentField, childField);
}

// --- opening ---------------------------------------------------------------------------

Level RelationManager::OPEN() {
    return open(++pass_);
}

Level RelationManager::open(int pass) {
    if (LASTTOUCHED == pass) return Level_Benign;
    LASTTOUCHED = pass;
    if (Level l = ME.OPEN()) return l;
    for (Relation& r : RELATIONS)
        if (Level l = r.related->open(pass)) return l;
    return Level_Benign;
}

Level RelationManager::CLOSE() {
    close(++pass_);
    return Level_Benign;
}

void RelationManager::close(int pass) {
    if (LASTTOUCHED == pass) return;
    LASTTOUCHED = pass;
    ME.CLOSE();
    for (Relation& r : RELATIONS) r.related->close(pass);
}

void RelationManager::SAVE() {
    saved_ = true;
    savedAt_ = ME.POSITION();
    savedRecord_.assign(ME.buffer(), ME.buffer() + ME.table().recordSize());
}

// --- children --------------------------------------------------------------------------

/// Finds the children that carry the parent's linking values, walking the child key.
/// The child's buffer is kept as it was.
bool RelationManager::collectChildren(const Relation& r, const std::byte* parent,
                                      std::vector<RecordPosition>& out) {
    FileManager& child = r.related->ME;
    if (child.USEFILE() != Level_Benign) return false;
    const TableDecl& pd = ME.decl();
    const TableDecl& cd = child.decl();
    std::vector<std::byte> probe(cd.recordSize);
    clearRecord(cd, probe.data());
    for (auto [pf, cf] : r.links) copyField(pd.fields[pf], parent, cd.fields[cf], probe.data());
    const KeyDecl& key = cd.keys[r.childKey];
    // A parent whose linking values are all empty has no children in a key that leaves
    // empty values out.
    bool empty = true;
    for (auto [pf, cf] : r.links) empty = empty && fieldEmpty(cd.fields[cf], probe.data());
    if (empty && key.excludesEmpty) return true;

    const std::uint16_t ticket = child.SAVEBUFFER();
    std::memcpy(child.buffer(), probe.data(), cd.recordSize);
    Engine& engine = child.engine();
    int rc = engine.setAtValue(child.table(), r.childKey, int(r.links.size()));
    while (rc == NoError && (rc = engine.next(child.table())) == NoError) {
        bool inKey = true, match = true;
        for (auto [pf, cf] : r.links) {
            inKey = inKey && fieldEquals(cd, cf, child.buffer(), probe.data());
            // A child key may ignore case where the parent's identity does not (resource
            // codes): only children that carry the parent's value as the parent compares
            // it belong to this parent.
            const FieldDecl& f = cd.fields[cf];
            if (f.type == FieldType::STRING)
                match = match && compareText(getText(f, child.buffer()), getText(f, probe.data()),
                                             fieldCaseInsensitive(pd, pf)) == 0;
        }
        if (!inKey) break;
        if (match) out.push_back(child.POSITION());
    }
    child.RESTOREBUFFER(ticket);
    return rc == NoError || rc == RecordNotAvailableErr;
}

bool RelationManager::eachChild(const Relation& r, const std::byte* parent, Rule rule, int failure,
                                int restricted,
                                const std::function<bool(const std::byte* stored)>& act) {
    FileManager& child = r.related->ME;
    std::vector<RecordPosition> children;
    if (!collectChildren(r, parent, children)) {
        child.THROW(failure);
        return false;
    }
    if (children.empty()) return true;
    if (rule == Rule::Restrict) {
        child.THROW(restricted);
        return false;
    }
    // The children are found first and changed afterwards: changing a linking value moves
    // a child in the very key that finds them.
    const TableDecl& cd = child.decl();
    const std::uint16_t ticket = child.SAVEBUFFER();
    bool ok = true;
    for (const RecordPosition& at : children) {
        if (child.engine().reget(child.table(), at) != NoError) {
            child.THROW(failure);
            ok = false;
            break;
        }
        const std::vector<std::byte> stored(child.buffer(), child.buffer() + cd.recordSize);
        if (!(ok = act(stored.data()))) break;
    }
    child.RESTOREBUFFER(ticket);
    return ok;
}

bool RelationManager::updateChildren(const std::byte* oldRecord, const std::byte* newRecord) {
    const TableDecl& pd = ME.decl();
    for (const Relation& r : RELATIONS) {
        if (r.childKey < 0 || r.update == Rule::None) continue;
        bool changed = false;
        for (auto [pf, cf] : r.links)
            changed = changed || !fieldEquals(pd, pf, oldRecord, newRecord);
        if (!changed) continue;
        RelationManager& childRel = *r.related;
        FileManager& child = childRel.ME;
        const TableDecl& cd = child.decl();
        const bool ok = eachChild(r, oldRecord, r.update, 25, 31, [&](const std::byte* stored) {
            for (auto [pf, cf] : r.links) {
                if (r.update == Rule::Clear)
                    clearField(cd.fields[cf], child.buffer());
                else
                    copyField(pd.fields[pf], newRecord, cd.fields[cf], child.buffer());
            }
            // The child's own children follow first, from its stored values to its new ones.
            if (r.update == Rule::Cascade && !childRel.updateChildren(stored, child.buffer()))
                return false;
            if (child.engine().put(child.table()) == NoError) return true;
            child.THROW(25);
            return false;
        });
        if (!ok) return false;
    }
    return true;
}

bool RelationManager::deleteChildren(const std::byte* record) {
    for (const Relation& r : RELATIONS) {
        if (r.childKey < 0 || r.del == Rule::None) continue;
        RelationManager& childRel = *r.related;
        FileManager& child = childRel.ME;
        const TableDecl& cd = child.decl();
        const bool ok = eachChild(r, record, r.del, 11, 30, [&](const std::byte* stored) {
            int rc;
            if (r.del == Rule::Clear) {
                for (auto [pf, cf] : r.links) clearField(cd.fields[cf], child.buffer());
                rc = child.engine().put(child.table());
            } else {
                if (!childRel.deleteChildren(stored)) return false;
                rc = child.engine().erase(child.table());
            }
            if (rc == NoError) return true;
            child.THROW(r.del == Rule::Clear ? 25 : 11);
            return false;
        });
        if (!ok) return false;
    }
    return true;
}

// --- update and delete -----------------------------------------------------------------

bool RelationManager::touchesUsersFile() const {
    if (ME.decl().file == StoreFile::USERS) return true;
    return std::any_of(RELATIONS.begin(), RELATIONS.end(), [](const Relation& r) {
        return r.related->ME.decl().file == StoreFile::USERS;
    });
}

Level RelationManager::UPDATE(bool fullHandling) {
    if (Level l = OPEN()) return l;
    struct Closer {
        RelationManager* rm;
        ~Closer() { rm->CLOSE(); }
    } closer{this};
    if (Level l = ME.USEFILE()) return l;
    Engine& engine = ME.engine();
    const int recordSize = ME.table().recordSize();
    const RecordPosition at = ME.POSITION();

    // Running inside a transaction that the caller framed, this change becomes part of it.
    const bool own = USELOGOUT && !engine.inTransaction();
    const bool writesUsers = touchesUsersFile();
    if (own && engine.begin(kTransactionWait, writesUsers) != NoError) {
        ME.THROW(21);
        return Level_Notify;
    }
    auto fail = [&](Level level) {
        if (own) engine.rollback();
        return level;
    };

    // The linking values as the record was read: those SAVE recorded, or the stored ones.
    std::vector<std::byte> oldRecord(recordSize);
    if (saved_ && savedAt_.rowid == at.rowid) {
        oldRecord = savedRecord_;
    } else {
        const std::uint16_t t = ME.SAVEBUFFER();
        if (engine.reget(ME.table(), at) == NoError)
            oldRecord.assign(ME.buffer(), ME.buffer() + recordSize);
        else
            std::memcpy(oldRecord.data(), ME.buffer(), recordSize);
        ME.RESTOREBUFFER(t);
        engine.setPosition(ME.table(), at);
    }
    std::vector<std::byte> newRecord(ME.buffer(), ME.buffer() + recordSize);

    if (ME.UPDATE(fullHandling) != Level_Benign) {
        const bool changedElsewhere = ME.lastError() == 6 || ME.lastError() == 7;
        return fail(changedElsewhere ? Level_Notify : Level_User);
    }
    if (!updateChildren(oldRecord.data(), newRecord.data())) {
        // A restricted change puts the old linking values back into the buffer.
        for (const Relation& r : RELATIONS)
            if (r.update == Rule::Restrict)
                for (auto [pf, cf] : r.links)
                    copyField(ME.decl().fields[pf], oldRecord.data(), ME.decl().fields[pf],
                              ME.buffer());
        return fail(Level_User);
    }
    if (own && engine.commit() != NoError) {
        ME.THROW(25);
        return Level_User;
    }
    SAVE();
    return Level_Benign;
}

Level RelationManager::DELETE(bool ask) {
    if (ask && ME.errors().TAKEERROR(9) != Level_Benign) return Level_Cancel;
    if (Level l = OPEN()) return l;
    struct Closer {
        RelationManager* rm;
        ~Closer() { rm->CLOSE(); }
    } closer{this};
    if (Level l = ME.USEFILE()) return l;
    Engine& engine = ME.engine();
    const RecordPosition at = ME.POSITION();
    std::vector<std::byte> record(ME.buffer(), ME.buffer() + ME.table().recordSize());

    const bool own = USELOGOUT && !engine.inTransaction();
    const bool writesUsers = touchesUsersFile();
    for (;;) {
        if (own && engine.begin(kTransactionWait, writesUsers) != NoError) {
            ME.THROW(21);
            return Level_Notify;
        }
        engine.setPosition(ME.table(), at);
        bool ok = deleteChildren(record.data());
        if (ok && engine.erase(ME.table()) != NoError) {
            ME.THROW(11);
            ok = false;
        }
        if (!own) return ok ? Level_Benign : Level_Notify;  // the caller's transaction decides
        if (ok && engine.commit() != NoError) {
            ME.THROW(11);
            ok = false;
        } else if (!ok) {
            engine.rollback();
        }
        if (ok) return Level_Benign;
        std::memcpy(ME.buffer(), record.data(), record.size());
        engine.setPosition(ME.table(), at);
        if (ME.errors().TAKEERROR(33) != Level_Benign) return Level_Notify;
    }
}

}  // namespace store

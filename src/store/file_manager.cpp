#include "file_manager.h"

#include <algorithm>
#include <cstring>

#include "error_class.h"
#include "record_image.h"

namespace store {

FileManager::FileManager(Engine& engine, Table& table, ErrorClass& errors)
    : name(table.decl().fullName()), engine_(engine), table_(table), errors_(errors) {}

FileManager::~FileManager() = default;

void FileManager::ADDKEY(int key, std::string description, bool autoNumber) {
    keys_.push_back({key, std::move(description), autoNumber});
}

Level FileManager::THROW() {
    return THROW(lastError_);
}

Level FileManager::THROW(int id) {
    lastError_ = id;
    errors_.SETFILE(name);
    return errors_.THROW(id);
}

Level FileManager::THROWMESSAGE(int id, const std::string& text) {
    lastError_ = id;
    errors_.SETFILE(name);
    return errors_.THROWMESSAGE(id, text);
}

// --- opening ---------------------------------------------------------------------------

Level FileManager::OPEN(bool force) {
    if (openCount_ > 0 && (reallyOpened_ || !force)) {
        ++openCount_;
        return Level_Benign;
    }
    if (LAZYOPEN && !force) {
        openCount_ = 1;
        return Level_Benign;
    }
    Level level = openForReal();
    if (level == Level_Benign && openCount_ == 0) openCount_ = 1;
    return level;
}

Level FileManager::USEFILE() {
    if (reallyOpened_) return Level_Benign;
    if (openCount_ == 0) return THROW(39);
    return openForReal();
}

Level FileManager::openForReal() {
    engine_.setLockWait(LOCKRECOVER);
    int attempts = 0;
    for (;;) {
        int rc = engine_.open(table_, writeAccess_);
        if (rc == AccessDeniedErr) rc = engine_.open(table_, writeAccess_);  // after recovery wait
        if (rc == NoError) {
            reallyOpened_ = true;
            atEnd_ = false;
            return Level_Benign;
        }
        if (rc == FileNotFoundErr) {
            if (!CREATE || ++attempts > 2) return THROW(10);
            if (engine_.create(table_) != NoError) return THROW(10);
            continue;
        }
        if (rc == KeysMustBeRebuiltErr) {
            THROW(27);
            if (++attempts > 2 || engine_.buildKeys(table_) != NoError) return THROW(26);
            continue;
        }
        if (rc == AccessDeniedErr && writeAccess_) {
            writeAccess_ = false;
            // Once per file: the other tables of a file that cannot be written open for
            // reading without a message each.
            const StoreFile file = table_.decl().file;
            if (!engine_.writeRefusalTold(file)) {
                engine_.setWriteRefusalTold(file);
                THROW(2);
            }
            continue;
        }
        return THROW(23);
    }
}

void FileManager::CLOSE() {
    if (openCount_ == 0) return;
    if (--openCount_ > 0) return;
    if (reallyOpened_) engine_.close(table_);
    reallyOpened_ = false;
}

// --- reading ---------------------------------------------------------------------------

Level FileManager::TRYFETCH(int key) {
    if (Level l = USEFILE()) return l;
    return engine_.get(table_, key) == NoError ? Level_Benign : Level_Notify;
}

Level FileManager::FETCH(int key) {
    Level l = TRYFETCH(key);
    if (l != Level_Benign) table_.clearBuffer();
    return l;
}

Level FileManager::SET(int key, bool atBufferValue) {
    if (Level l = USEFILE()) return l;
    atEnd_ = false;
    const int rc = atBufferValue ? engine_.setAtValue(table_, key) : engine_.set(table_, key);
    return rc == NoError ? Level_Benign : THROW(1);
}

Level FileManager::step(int direction) {
    if (Level l = USEFILE()) return l;
    for (;;) {
        const int rc = direction > 0 ? engine_.next(table_) : engine_.previous(table_);
        if (rc == NoError) return Level_Benign;
        if (rc == RecordNotAvailableErr) {
            atEnd_ = true;
            return Level_Notify;
        }
        if (rc == RecordHeldErr) {
            if (SKIPHELDRECORDS) continue;
            return THROW(28);
        }
        return THROW(1);
    }
}

Level FileManager::NEXT() {
    return step(+1);
}
Level FileManager::PREVIOUS() {
    return step(-1);
}

Level FileManager::TRYREGET(RecordPosition p) {
    if (Level l = USEFILE()) return l;
    return engine_.reget(table_, p) == NoError ? Level_Benign : Level_Notify;
}

// --- writing ---------------------------------------------------------------------------

Level FileManager::INSERT() {
    if (Level l = USEFILE()) return l;
    if (Level l = VALIDATERECORD()) return l;
    const int rc = engine_.add(table_);
    if (rc == NoError) return Level_Benign;
    if (rc == DupKeyErr) {
        const int k = table_.duplicateKey();
        std::string description;
        for (const KeyEntry& e : keys_)
            if (e.key == k) description = e.description;
        if (description.empty() && k >= 0) description = decl().keys[k].description;
        return THROWMESSAGE(13, description);
    }
    return THROW(4);
}

static Level updateRecord(FileManager& fm, bool fullHandling, bool show) {
    if (Level l = fm.USEFILE()) return l;
    if (Level l = fm.VALIDATERECORD()) return l;
    const RecordPosition at = fm.POSITION();
    const int rc = fm.engine().put(fm.table());
    if (rc == NoError) return Level_Benign;
    if (rc == RecordChangedErr) {
        const int id = fullHandling ? 7 : 6;
        if (show)
            fm.THROW(id);
        else
            fm.SETERROR(id);
        // The other station's values go into the buffer, so that the user sees them.
        fm.engine().reget(fm.table(), at);
        return Level_Notify;
    }
    if (!show) {
        fm.SETERROR(25);
        return Level_Notify;
    }
    return fm.THROW(25);
}

Level FileManager::UPDATE(bool fullHandling) {
    return updateRecord(*this, fullHandling, true);
}
Level FileManager::TRYUPDATE() {
    return updateRecord(*this, false, false);
}

Level FileManager::DELETERECORD() {
    if (Level l = USEFILE()) return l;
    return engine_.erase(table_) == NoError ? Level_Benign : THROW(11);
}

// --- priming and validation ------------------------------------------------------------

Level FileManager::PRIMERECORD(bool keepBuffer) {
    if (!keepBuffer) table_.clearBuffer();
    PRIMEFIELDS();
    return Level_Benign;
}

void FileManager::PRIMEFIELDS() {
    for (const InitialValue& v : decl().initialValues) {
        const FieldDecl& f = decl().fields[v.field];
        if (f.type == FieldType::STRING)
            setText(f, buffer(), v.text ? v.text : "");
        else
            setNumber(f, buffer(), v.number);
    }
}

Level FileManager::VALIDATERECORD() {
    return VALIDATEFIELDS(1, int(decl().fields.size()));
}

Level FileManager::VALIDATEFIELDS(int low, int high) {
    for (int f = low; f <= high; ++f)
        if (Level l = VALIDATEFIELD(f)) return l;
    return Level_Benign;
}

Level FileManager::VALIDATEFIELD(int field) {
    for (const FieldCheck& c : decl().fieldChecks) {
        if (c.field != field - 1) continue;
        const long long v = getNumber(decl().fields[c.field], buffer());
        if ((c.hasLow && v < c.low) || (c.hasHigh && v > c.high)) {
            errors_.SETFIELD(c.description);
            THROWMESSAGE(c.messageId, c.rangeText);
            return Level_Notify;
        }
    }
    return Level_Benign;
}

// --- saved buffers ---------------------------------------------------------------------

std::uint16_t FileManager::SAVEBUFFER() {
    const std::uint16_t ticket = nextTicket_++;
    if (nextTicket_ == 0) nextTicket_ = 1;
    saved_.push_back({ticket, std::vector<std::byte>(buffer(), buffer() + table_.recordSize())});
    return ticket;
}

void FileManager::RESTOREBUFFER(std::uint16_t ticket, bool restore) {
    auto it = std::find_if(saved_.begin(), saved_.end(),
                           [ticket](const Saved& s) { return s.ticket == ticket; });
    if (it == saved_.end()) return;
    if (restore) std::memcpy(buffer(), it->copy.data(), it->copy.size());
    saved_.erase(it);
}

bool FileManager::EQUALBUFFER(std::uint16_t ticket) const {
    auto it = std::find_if(saved_.begin(), saved_.end(),
                           [ticket](const Saved& s) { return s.ticket == ticket; });
    return it != saved_.end() &&
           std::memcmp(table_.buffer(), it->copy.data(), it->copy.size()) == 0;
}

}  // namespace store

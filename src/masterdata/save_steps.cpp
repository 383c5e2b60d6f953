#include "masterdata/save_steps.h"

#include "store/store.h"

namespace masterdata {

using namespace store;

SaveSteps::~SaveSteps() {
    if (open_) db_.engine().rollback();
}

bool SaveSteps::fail(int step) {
    result_ = SaveResult::cancelled(step, db_.engine().status().message());
    if (open_) db_.engine().rollback();
    open_ = false;
    return false;
}

bool SaveSteps::duplicate(Tbl t) {
    if (open_) db_.engine().rollback();
    open_ = false;
    FileManager& fm = db_.Access(t);
    const int k = db_.table(t).duplicateKey();
    std::string description;
    for (const FileManager::KeyEntry& e : fm.keys())
        if (e.key == k) description = e.description;
    if (description.empty() && k >= 0) description = fm.decl().keys[k].description;
    fm.THROWMESSAGE(13, description);
    result_ = {SaveResult::Duplicate, 13, {}, {}, {}};
    return false;
}

bool SaveSteps::begin(bool usersToo) {
    constexpr int kWait = 3;  // seconds, as every maintenance form's save waits for its locks
    if (db_.engine().begin(kWait, usersToo) != NoError) return fail(1);
    open_ = true;
    return true;
}

void SaveSteps::abandon() {
    if (open_) db_.engine().rollback();
    open_ = false;
}

bool SaveSteps::commit() {
    if (db_.engine().commit() != NoError) {
        open_ = false;  // a failed commit has undone the transaction
        result_ = SaveResult::cancelled(1, db_.engine().status().message());
        return false;
    }
    open_ = false;
    result_ = {};
    return true;
}

bool SaveSteps::add(Tbl t, int step) {
    const int rc = db_.engine().add(db_.table(t));
    if (rc == NoError) return true;
    if (rc == DupKeyErr) return duplicate(t);
    return fail(step);
}

bool SaveSteps::put(Tbl t, RecordPosition p, int step) {
    db_.engine().setPosition(db_.table(t), p);
    const int rc = db_.engine().put(db_.table(t));
    if (rc == NoError) return true;
    if (rc == DupKeyErr) return duplicate(t);
    if (rc == RecordChangedErr || rc == RecordNotAvailableErr) {
        db_.engine().rollback();
        open_ = false;
        result_ = SaveResult::changed(9);
        return false;
    }
    return fail(step);
}

bool SaveSteps::erase(Tbl t, const std::vector<RecordPosition>& rows, int step) {
    Table& table = db_.table(t);
    const auto ticket = db_.Access(t).SAVEBUFFER();
    for (RecordPosition p : rows) {
        db_.engine().setPosition(table, p);
        if (db_.engine().erase(table) != NoError) {
            db_.Access(t).RESTOREBUFFER(ticket);
            return fail(step);
        }
    }
    db_.Access(t).RESTOREBUFFER(ticket);
    return true;
}

bool SaveSteps::rewrite(Tbl t, const std::vector<RecordPosition>& rows, int step,
                        const std::function<void()>& change) {
    Table& table = db_.table(t);
    const auto ticket = db_.Access(t).SAVEBUFFER();
    for (RecordPosition p : rows) {
        if (db_.engine().reget(table, p) != NoError) {
            db_.Access(t).RESTOREBUFFER(ticket);
            return fail(step);
        }
        change();
        if (const int rc = db_.engine().put(table); rc != NoError) {
            db_.Access(t).RESTOREBUFFER(ticket);
            return rc == DupKeyErr ? duplicate(t) : fail(step);
        }
    }
    db_.Access(t).RESTOREBUFFER(ticket);
    return true;
}

}  // namespace masterdata

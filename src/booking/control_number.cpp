#include "booking/control_number.h"

#include "store/file_manager.h"
#include "store/store.h"

namespace booking {

namespace {

using store::Tbl;

/// Keeps CONTROL open for as long as a number is being handed out.
struct ControlOpen {
    store::FileManager& fm;
    bool ok;
    explicit ControlOpen(store::Store& db)
        : fm(db.Access(Tbl::CONTROL)),
          ok(fm.OPEN() == store::Level_Benign && fm.USEFILE() == store::Level_Benign) {}
    ~ControlOpen() { fm.CLOSE(); }
};

store::LONG highest(store::Store& db) {
    store::Engine& e = db.engine();
    store::Table& t = db.table(Tbl::CONTROL);
    if (e.set(t, store::CON::NUMBER_KEY) != 0 || e.previous(t) != 0) return 0;
    return db.CON.NUMBER;
}

}  // namespace

store::LONG lastControlNumber(store::Store& db) {
    ControlOpen control(db);
    return control.ok ? highest(db) : 0;
}

store::LONG NEWCONTROLNUMBER(store::Store& db) {
    ControlOpen control(db);
    if (!control.ok) return 0;
    store::Engine& e = db.engine();
    store::Table& t = db.table(Tbl::CONTROL);
    const bool own = !e.inTransaction();
    // A station that finds the lock taken waits for it; a duplicate can only come from a
    // store written without the lock, and the next try then reads past it.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (own && e.begin(3) != 0) continue;
        const store::LONG next = highest(db) + 1;
        db.CON.NUMBER = next;
        if (e.add(t) == 0 && (!own || e.commit() == 0)) return next;
        if (own && e.inTransaction()) e.rollback();
    }
    return 0;
}

}  // namespace booking

#include "masterdata/child_rows.h"

#include <cstring>

#include "store/key_walk.h"
#include "store/record_image.h"
#include "store/store.h"

namespace masterdata {

using namespace store;

namespace {

template <class Act>
void walk(Store& db, Tbl t, int key, Field field, const std::string& value, Act act) {
    FileManager& fm = db.Access(t);
    if (fm.USEFILE() != Level_Benign) return;
    Table& table = db.table(t);
    const TableDecl& d = table.decl();
    const FieldDecl& f = d.field(field);
    const auto ticket = fm.SAVEBUFFER();
    const RecordPosition was = fm.POSITION();
    std::vector<std::byte> probe(d.recordSize);
    clearRecord(d, probe.data());
    setText(f, probe.data(), value);
    std::memcpy(fm.buffer(), probe.data(), probe.size());
    walkEqual(db.engine(), table, key, 1, [&] {
        act(fm.buffer(), fm.POSITION());
        return true;
    });
    fm.RESTOREBUFFER(ticket);
    db.engine().setPosition(table, was);
}

}  // namespace

std::vector<RecordPosition> rowsWith(Store& db, Tbl t, int key, Field field,
                                     const std::string& value) {
    std::vector<RecordPosition> out;
    walk(db, t, key, field, value, [&](const std::byte*, RecordPosition p) { out.push_back(p); });
    return out;
}

std::vector<std::string> namesWith(Store& db, Tbl t, int key, Field field, const std::string& value,
                                   Field nameField, int width) {
    std::vector<std::string> out;
    const FieldDecl& name = db.table(t).decl().field(nameField);
    walk(db, t, key, field, value, [&](const std::byte* rec, RecordPosition) {
        std::string s(trimRight(getText(name, rec)));
        if (width > 0 && int(s.size()) > width) s = std::string(trimRight(s.substr(0, width)));
        out.push_back(s);
    });
    return out;
}

OpenTables::OpenTables(Store& db, std::vector<Tbl> tables) : db_(db) {
    for (Tbl t : tables) {
        if (db.Relate(t).OPEN() != Level_Benign) {
            ok_ = false;
            return;
        }
        opened_.push_back(t);
        if (db.Access(t).USEFILE() != Level_Benign) {
            ok_ = false;
            return;
        }
    }
}

OpenTables::~OpenTables() {
    for (Tbl t : opened_) db_.Relate(t).CLOSE();
}

}  // namespace masterdata

#include "converter/converted_folder.h"

#include "store/engine.h"
#include "store/tables.h"

namespace converter {

using store::Table;
using store::Tbl;

namespace {

std::string engineText(const store::EngineStatus& s) {
    std::string text = s.text;
    if (!s.fileText.empty()) text += " (" + s.fileText + ")";
    return text;
}

const char* fileName(store::StoreFile f) {
    return f == store::StoreFile::USERS ? "USERS.TPS" : "RESDATA.TPS";
}

}  // namespace

std::string rebuildKeptKeys(Workspace& w, const std::set<TableName>& written) {
    store::Engine& e = w.engine();
    for (int i = 0; i < store::kTableCount; ++i) {
        const store::TableDecl& d = store::tableDecl(Tbl(i));
        if (written.count({d.file, d.name})) continue;
        Table t(d);
        const int rc = e.buildKeys(t);
        if (rc == 0 || rc == store::FileNotFoundErr) continue;
        if (rc == store::InvalidRecordDeclarationErr)
            return std::string("the table ") + d.name + " in " + fileName(d.file) +
                   " is damaged: its columns are not the ones its layout names.";
        return std::string("the keys of the table ") + d.name + " in " + fileName(d.file) +
               " could not be built: " + engineText(e.status()) + ".";
    }
    return {};
}

std::string openAsMainProgram(const std::string& folder) {
    store::Engine e(folder);
    for (int i = 0; i < store::kTableCount; ++i) {
        const store::TableDecl& d = store::tableDecl(Tbl(i));
        Table t(d);
        const int rc = e.open(t, true);
        if (rc == store::FileNotFoundErr) continue;
        e.close(t);
        if (rc != 0)
            return std::string("the table ") + d.name + " in " + fileName(d.file) +
                   " does not open: " + engineText(e.status()) + ".";
    }
    if (e.connectFile(store::StoreFile::RESDATA, false) == 0 && e.checkFiles() != 0)
        return "the converted data is damaged: " + engineText(e.status()) + ".";
    return {};
}

}  // namespace converter

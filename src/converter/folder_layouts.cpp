#include "converter/folder_layouts.h"

#include <algorithm>
#include <cstring>

namespace converter {

using store::StoreFile;
using store::TableDecl;

namespace {

constexpr Release kAll[] = {Release::R2X, Release::R30, Release::R31, Release::R320,
                            Release::Current};

/// Every (file, stored name) a known release keeps, with all the layouts it had anywhere.
struct Candidate {
    StoreFile file;
    const char* name;
    std::vector<const TableDecl*> layouts;
};

std::vector<Candidate> candidates() {
    std::vector<Candidate> out;
    for (Release r : kAll) {
        for (const HeldTable& h : tablesOf(r)) {
            auto it = std::find_if(out.begin(), out.end(), [&](const Candidate& c) {
                return c.file == h.file && std::strcmp(c.name, h.name) == 0;
            });
            if (it == out.end()) it = out.insert(out.end(), {h.file, h.name, {}});
            for (const TableDecl* d : h.layouts)
                if (std::find(it->layouts.begin(), it->layouts.end(), d) == it->layouts.end())
                    it->layouts.push_back(d);
        }
    }
    return out;
}

}  // namespace

const FolderLayouts::Entry* FolderLayouts::find(StoreFile file, const char* name) const {
    for (const Entry& e : entries)
        if (e.file == file && std::strcmp(e.name, name) == 0) return &e;
    return nullptr;
}

bool FolderLayouts::usersUnreadable() const {
    return std::any_of(entries.begin(), entries.end(), [](const Entry& e) { return e.unreadable; });
}

int readLayouts(Workspace& w, FolderLayouts& out) {
    store::Engine& engine = w.engine();
    out.entries.clear();
    for (const Candidate& c : candidates()) {
        FolderLayouts::Entry entry{c.file, c.name};
        for (const TableDecl* layout : c.layouts) {
            store::Table& t = w.table(*layout);
            const int rc = engine.open(t, false);
            engine.close(t);
            if (rc == store::InvalidRecordDeclarationErr) {
                entry.present = true;
                continue;
            }
            if (rc == store::FileNotFoundErr) break;
            if (rc == 0 || rc == store::KeysMustBeRebuiltErr) {
                entry.present = true;
                entry.layout = layout;
                break;
            }
            if (c.file == StoreFile::USERS) {
                entry.present = entry.unreadable = true;
                out.usersStatus = engine.status();
                break;
            }
            return rc;
        }
        out.entries.push_back(entry);
    }
    return 0;
}

bool fits(const FolderLayouts& f, Release r) {
    for (const FolderLayouts::Entry& e : f.entries) {
        if (!e.present || e.unreadable) continue;
        const std::vector<const TableDecl*>& accepted = layoutsIn(r, e.file, e.name);
        if (accepted.empty()) continue;
        // Layouts compare as stored: two declarations of one layout are the same.
        if (!e.layout || std::none_of(accepted.begin(), accepted.end(), [&](const TableDecl* d) {
                return store::Engine::layoutSignature(*d) ==
                       store::Engine::layoutSignature(*e.layout);
            }))
            return false;
    }
    return true;
}

std::vector<Release> fittingReleases(const FolderLayouts& f) {
    std::vector<Release> out;
    for (Release r : kAll)
        if (fits(f, r)) out.push_back(r);
    return out;
}

}  // namespace converter

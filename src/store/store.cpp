#include "store.h"

#include <new>

#include "error_class.h"

namespace store {

template <class R>
R& Store::buffer(Tbl t) {
    static_assert(alignof(R) == 1, "record images are packed");
    // The record object lives in the table's buffer, so that the managers' byte-wise
    // reads and writes and the program's field access see the same record.
    return *new (table(t).buffer()) R;
}

Store::Store(std::string folder, ErrorClass& errors, EngineOptions options)
    : errors_(errors),
      engine_(std::move(folder), options),
      tables_([] {
          std::array<std::unique_ptr<Table>, kTableCount> a;
          for (int i = 0; i < kTableCount; ++i) a[i] = std::make_unique<Table>(tableDecl(Tbl(i)));
          return a;
      }()),
      RAC(buffer<RESACT>(Tbl::RESACT)),
      ACN(buffer<ACTNOTES>(Tbl::ACTNOTES)),
      REP(buffer<REPACT>(Tbl::REPACT)),
      USE(buffer<USERS>(Tbl::USERS)),
      RUS(buffer<RESUSER>(Tbl::RESUSER)),
      CON(buffer<CONTROL>(Tbl::CONTROL)),
      CLI(buffer<CLIENT>(Tbl::CLIENT)),
      ACT(buffer<ACTIVITY>(Tbl::ACTIVITY)),
      USP(buffer<USERPREF>(Tbl::USERPREF)),
      SYP(buffer<SYSPREF>(Tbl::SYSPREF)),
      DUR(buffer<DURLIST>(Tbl::DURLIST)),
      ROU(buffer<ROUTINEA>(Tbl::ROUTINEA)),
      DAT(buffer<DATES>(Tbl::DATES)),
      GRO(buffer<GROUP>(Tbl::GROUP)),
      GRP(buffer<GROUPRES>(Tbl::GROUPRES)),
      RES(buffer<RESOURCE>(Tbl::RESOURCE)),
      UGU(buffer<USGRPUS>(Tbl::USGRPUS)),
      SPE(buffer<SPECIAL>(Tbl::SPECIAL)),
      USG(buffer<USERGRP>(Tbl::USERGRP)) {
    for (auto& t : tables_) t->clearBuffer();
    errors_.setEngineStatus(&engine_.status());
}

Store::~Store() {
    DCTKILL();
    errors_.setEngineStatus(nullptr);
}

void Store::DCTINIT() {
    if (initialised()) return;
    for (int i = 0; i < kTableCount; ++i) {
        auto fm = std::make_unique<FileManager>(engine_, *tables_[i], errors_);
        const TableDecl& d = tables_[i]->decl();
        for (int k = 0; k < int(d.keys.size()); ++k) fm->ADDKEY(k, d.keys[k].description, false);
        access_[i] = std::move(fm);
        relate_[i] = std::make_unique<RelationManager>(*access_[i], true);
    }
    // Each relation object is given its relations in table order: the children with
    // their rules, and the parents it looks up.
    for (int i = 0; i < kTableCount; ++i) {
        for (const RelationDecl* r : relationsOf(Tbl(i))) {
            if (!r->isLookup() && r->parent == Tbl(i)) {
                relate_[i]->ADDRELATION(*relate_[int(r->child)], r->update, r->del, r->childKey);
                for (auto [pf, cf] : r->links) relate_[i]->ADDRELATIONLINK(pf, cf);
            } else if (r->isLookup() && r->child == Tbl(i)) {
                relate_[i]->ADDRELATION(*relate_[int(r->parent)]);
            }
        }
    }
}

void Store::DCTKILL() {
    if (!initialised()) return;
    for (int i = 0; i < kTableCount; ++i) {
        if (access_[i]->reallyOpen()) engine_.close(*tables_[i]);
        relate_[i].reset();
        access_[i].reset();
    }
}

}  // namespace store

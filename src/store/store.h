#pragma once

#include <array>
#include <memory>
#include <string>

#include "engine.h"
#include "file_manager.h"
#include "relation_manager.h"
#include "tables.h"

namespace store {

class ErrorClass;

/// The store of one data folder: the engine, one table (with its record buffer) per
/// declared table, and, between DCTINIT and DCTKILL, one access object and one relation
/// object per table with their keys and relations wired.
///
/// The record buffers are reachable by prefix, as the data model names them:
/// `db.ACT.NAME` is the field ACT:NAME of the ACTIVITY buffer.
class Store {
  public:
    Store(std::string folder, ErrorClass& errors, EngineOptions options = {});
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    /// Creates the access and relation objects in table order; nothing is opened yet.
    void DCTINIT();
    /// Closes whatever is still open and destroys the objects in the same order.
    void DCTKILL();
    bool initialised() const { return access_[0] != nullptr; }

    Engine& engine() { return engine_; }
    ErrorClass& errors() { return errors_; }
    Table& table(Tbl t) { return *tables_[int(t)]; }
    /// REQUIRES: DCTINIT has run.
    FileManager& Access(Tbl t) { return *access_[int(t)]; }
    RelationManager& Relate(Tbl t) { return *relate_[int(t)]; }

  private:
    ErrorClass& errors_;
    Engine engine_;
    std::array<std::unique_ptr<Table>, kTableCount> tables_;
    std::array<std::unique_ptr<FileManager>, kTableCount> access_;
    std::array<std::unique_ptr<RelationManager>, kTableCount> relate_;

    template <class R>
    R& buffer(Tbl t);

  public:
    RESACT& RAC;
    ACTNOTES& ACN;
    REPACT& REP;
    USERS& USE;
    RESUSER& RUS;
    CONTROL& CON;
    CLIENT& CLI;
    ACTIVITY& ACT;
    USERPREF& USP;
    SYSPREF& SYP;
    DURLIST& DUR;
    ROUTINEA& ROU;
    DATES& DAT;
    GROUP& GRO;
    GROUPRES& GRP;
    RESOURCE& RES;
    USGRPUS& UGU;
    SPECIAL& SPE;
    USERGRP& USG;
};

}  // namespace store

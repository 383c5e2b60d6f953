#pragma once

#include <functional>
#include <vector>

#include "file_manager.h"

namespace store {

/// The relation object of one table: opens the table together with its related tables
/// and applies the update and delete rules of its relations inside one transaction.
class RelationManager {
  public:
    /// INIT: binds the table's access object. useLogout frames updates and deletes as
    /// transactions.
    explicit RelationManager(FileManager& me, bool useLogout = true);
    RelationManager(const RelationManager&) = delete;
    RelationManager& operator=(const RelationManager&) = delete;

    /// Adds a look-up relation: it only opens the related table along with this one.
    void ADDRELATION(RelationManager& related);
    /// Adds a relation to a child table with its rules and the child key that finds the
    /// children.
    void ADDRELATION(RelationManager& related, Rule update, Rule del, int childKey);
    /// Adds a linking pair (0-based field indexes) to the relation added last.
    void ADDRELATIONLINK(int parentField, int childField);

    /// Opens this table, then every table reachable through its relations, each once.
    Level OPEN();
    Level CLOSE();
    /// Records the linking values of the current record, so that UPDATE can see which
    /// of them the caller changed.
    void SAVE();
    /// Writes the changed record and applies the update rules to the children whose
    /// linking values changed, all in one transaction. Level_Notify when another station
    /// changed the record meanwhile (its values are then in the buffer), Level_User when
    /// anything else failed; nothing is written then.
    Level UPDATE(bool fullHandling = false);
    /// Deletes the current record with the delete rules applied, in one transaction; asks
    /// message 9 first when ask is set, and message 33 after a failure. Level_Cancel when
    /// the user declined.
    Level DELETE(bool ask = true);

    FileManager& ME;
    bool USELOGOUT;
    static constexpr int kTransactionWait = 2;  // seconds

  private:
    struct Relation {
        RelationManager* related;
        Rule update = Rule::None;
        Rule del = Rule::None;
        int childKey = -1;
        std::vector<std::pair<int, int>> links;  // (parent field, child field)
    };

    Level open(int pass);
    void close(int pass);
    bool collectChildren(const Relation& r, const std::byte* parent,
                         std::vector<RecordPosition>& out);
    /// Applies act to every child of r that carries the parent's linking values, with the
    /// child read into its buffer (and its stored image passed); the child's buffer is
    /// kept. Restrict raises `restricted`; a child that cannot be found or read, `failure`.
    bool eachChild(const Relation& r, const std::byte* parent, Rule rule, int failure,
                   int restricted, const std::function<bool(const std::byte* stored)>& act);
    bool updateChildren(const std::byte* oldRecord, const std::byte* newRecord);
    bool deleteChildren(const std::byte* record);
    Level frame(int& level);
    /// Whether a change of this table writes USERS.TPS: the table or a related one lives
    /// there, so its transaction locks that file from the start.
    bool touchesUsersFile() const;

    std::vector<Relation> RELATIONS;
    int LASTTOUCHED = 0;
    bool saved_ = false;
    RecordPosition savedAt_;
    std::vector<std::byte> savedRecord_;
    static int pass_;
};

}  // namespace store

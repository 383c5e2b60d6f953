#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "store/engine.h"

namespace converter {

/// What the converter tells its window while it works.
class ConvertObserver {
  public:
    virtual ~ConvertObserver() = default;
    /// A stage ('A' to 'D') begins.
    virtual void stageStarted(char stage) { (void)stage; }
    /// One more record of `source` was read; `count` runs from 1 for each table converted.
    virtual void recordRead(const std::string& source, long long count) {
        (void)source, (void)count;
    }
    /// The stage has ended, with or without success.
    virtual void stageFinished(char stage) { (void)stage; }
};

/// A data folder as the converter holds it while it works: one engine over its files and
/// every table and declaration used on it, which live as long as the engine refers to them.
class Workspace {
  public:
    explicit Workspace(const std::string& folder, ConvertObserver* observer = nullptr);
    ~Workspace();

    store::Engine& engine() { return *engine_; }
    ConvertObserver* observer() const { return observer_; }
    /// The one table object of a declaration.
    store::Table& table(const store::TableDecl& d);
    /// A table object for target's layout under another stored name (a temporary table).
    store::Table& renamed(const store::TableDecl& target, const char* name);

  private:
    std::deque<store::TableDecl> decls_;
    std::vector<std::unique_ptr<store::Table>> tables_;
    std::unique_ptr<store::Engine> engine_;  // destroyed before the tables it points at
    ConvertObserver* observer_;
};

/// Converting one table, as one transaction. Sources are read in stored order; each new
/// record goes to a temporary table in its target's layout, written without keys; finish()
/// puts every temporary table in its target's place, builds its keys and commits. A failure
/// at any step (or a job left unfinished) rolls everything back: the tables stay exactly
/// as they were and no temporary table is left.
///
/// After the first failure every further step does nothing, so a conversion reads as a
/// straight sequence of steps with one check at its end.
class TableJob {
  public:
    /// `sourceName` is the name by which failures name the table ("RESDATA\!ACTIVITY").
    TableJob(Workspace& w, std::string sourceName, bool usesUsersFile = false);
    ~TableJob();
    TableJob(const TableJob&) = delete;
    TableJob& operator=(const TableJob&) = delete;

    /// Opens a source table in the first of `layouts` (one stored name, several layouts)
    /// that the file holds it in, positioned at its start.
    store::Table& source(const std::vector<const store::TableDecl*>& layouts);
    /// Creates the temporary table `temp` in target's layout, to be put in target's place.
    store::Table& target(const store::TableDecl& target, const char* temp);
    /// Positions a source at its first record again.
    void rewind(store::Table& source);
    /// Reads the next record of a source into its buffer; false at the end or on failure.
    bool read(store::Table& source);
    /// Appends a temporary table's buffer as a new record.
    void append(store::Table& temp);
    /// Puts each temporary table in its target's place and commits.
    int finish();

    int error() const { return error_; }
    /// True when reading and writing went through but putting the new table in place (or
    /// committing that) failed.
    bool failedInReplacement() const { return failedInReplacement_; }
    /// "Error: " followed by the source's name and the engine's text.
    std::string message() const;
    /// The engine's text of the failure, with the system's own text where there is one.
    std::string errorText() const;

  private:
    void fail(int code);

    Workspace& w_;
    std::string sourceName_;
    const store::Table* readingTable_ = nullptr;
    std::string reading_;  // the source last read, as the progress window names it
    long long count_ = 0;
    int error_ = 0;
    store::EngineStatus status_;
    bool began_ = false;
    bool finished_ = false;
    bool failedInReplacement_ = false;
    struct Target {
        store::Table* temp;
        const store::TableDecl* target;
    };
    std::vector<Target> targets_;
};

}  // namespace converter

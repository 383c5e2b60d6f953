#include "converter/table_job.h"

namespace converter {

using store::Table;
using store::TableDecl;

namespace {
/// How long a conversion waits for other stations to let go of the files.
constexpr int kLockWaitSeconds = 10;
}  // namespace

Workspace::Workspace(const std::string& folder, ConvertObserver* observer)
    : engine_(std::make_unique<store::Engine>(folder)), observer_(observer) {}

Workspace::~Workspace() {
    engine_.reset();
}

Table& Workspace::table(const TableDecl& d) {
    for (auto& t : tables_)
        if (&t->decl() == &d) return *t;
    tables_.push_back(std::make_unique<Table>(d));
    return *tables_.back();
}

Table& Workspace::renamed(const TableDecl& target, const char* name) {
    decls_.push_back(target);
    decls_.back().name = name;
    tables_.push_back(std::make_unique<Table>(decls_.back()));
    return *tables_.back();
}

// ---------------------------------------------------------------------------------------

TableJob::TableJob(Workspace& w, std::string sourceName, bool usesUsersFile)
    : w_(w), sourceName_(std::move(sourceName)) {
    store::Engine& e = w_.engine();
    // USERS.TPS can join the transaction only when it is attached before it begins.
    if (usesUsersFile) {
        if (int rc = e.connectFile(store::StoreFile::USERS, true)) {
            fail(rc);
            return;
        }
    }
    if (int rc = e.begin(kLockWaitSeconds, usesUsersFile)) {
        fail(rc);
        return;
    }
    began_ = true;
}

TableJob::~TableJob() {
    if (began_ && !finished_ && w_.engine().inTransaction()) w_.engine().rollback();
}

void TableJob::fail(int code) {
    if (error_) return;
    error_ = code;
    status_ = w_.engine().status();
    if (status_.code == 0) status_.set(code);
    if (began_ && w_.engine().inTransaction()) w_.engine().rollback();
}

Table& TableJob::source(const std::vector<const TableDecl*>& layouts) {
    store::Engine& e = w_.engine();
    Table& first = w_.table(*layouts.front());
    if (error_) return first;
    for (const TableDecl* layout : layouts) {
        Table& t = w_.table(*layout);
        int rc = e.open(t, false);
        if (rc == store::KeysMustBeRebuiltErr) {
            // Its keys are not needed for reading in stored order, but the table must open.
            rc = e.buildKeys(t);
            if (rc == 0) rc = e.open(t, false);
        }
        if (rc == store::InvalidRecordDeclarationErr) continue;
        if (rc != 0) {
            fail(rc);
            return t;
        }
        e.set(t, -1);
        return t;
    }
    fail(store::InvalidRecordDeclarationErr);
    return first;
}

Table& TableJob::target(const TableDecl& target, const char* temp) {
    store::Engine& e = w_.engine();
    Table& t = w_.renamed(target, temp);
    if (error_) return t;
    int rc = e.create(t);
    if (rc == 0) rc = e.open(t, true);
    // Batch mode: no key is kept up to date while the records go in.
    if (rc == 0) rc = e.dropKeys(t);
    if (rc != 0) {
        fail(rc);
        return t;
    }
    targets_.push_back({&t, &target});
    return t;
}

void TableJob::rewind(Table& source) {
    if (!error_) w_.engine().set(source, -1);
}

bool TableJob::read(Table& source) {
    if (error_) return false;
    const int rc = w_.engine().next(source);
    if (rc == store::RecordNotAvailableErr) return false;
    if (rc != 0) {
        fail(rc);
        return false;
    }
    ++count_;
    if (ConvertObserver* o = w_.observer()) {
        if (&source != readingTable_) {
            readingTable_ = &source;
            reading_ = source.decl().fullName();
        }
        o->recordRead(reading_, count_);
    }
    return true;
}

void TableJob::append(Table& temp) {
    if (error_) return;
    if (int rc = w_.engine().add(temp)) fail(rc);
}

int TableJob::finish() {
    store::Engine& e = w_.engine();
    for (const Target& t : targets_) {
        if (error_) break;
        if (int rc = e.replaceTable(*t.temp, *t.target)) {
            failedInReplacement_ = true;
            fail(rc);
        }
    }
    if (!error_) {
        // The replacement takes effect only here: a commit that fails is a failed copy.
        if (int rc = e.commit()) {
            failedInReplacement_ = true;
            fail(rc);
        }
    }
    finished_ = true;
    return error_;
}

std::string TableJob::errorText() const {
    std::string text = status_.text;
    if (!status_.fileText.empty()) text += " (" + status_.fileText + ")";
    return text;
}

std::string TableJob::message() const {
    return "Error: " + sourceName_ + " " + errorText();
}

}  // namespace converter

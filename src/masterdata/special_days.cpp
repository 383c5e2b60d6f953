#include "masterdata/special_days.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "store/engine.h"
#include "store/store.h"
#include "store/tables.h"

namespace masterdata {

using namespace store;
namespace fs = std::filesystem;

namespace {

/// The stored name of the one table of a special-days file, and the name an older file
/// may use for it instead.
constexpr const char* kFileTable = "SPECDAYS";
constexpr const char* kOtherFileTable = "SPECIAL";

/// The declaration of a special-days file's table: the special days' own layout under
/// the file's table name.
TableDecl fileDecl(const char* name) {
    TableDecl d = tableDecl(Tbl::SPECIAL);
    d.name = name;
    d.label = name;
    d.prefix = "SPD";
    return d;
}

/// A folder of its own for the engine that reads or writes a special-days file (the
/// engine works on a folder's RESDATA.TPS), removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        std::string tmpl = (fs::temp_directory_path(ec) / "tembrix-special-XXXXXX").string();
        if (!ec && ::mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const fs::path& path() const { return path_; }
    fs::path dataFile() const { return path_ / "RESDATA.TPS"; }

  private:
    fs::path path_;
};

std::string engineProblem(const char* what, const std::string& path, const Engine& e) {
    return std::string(what) + " " + path + ": " + e.status().message();
}

/// How the import's messages name a field of the file.
std::string fieldWords(const std::string& field) {
    if (field == "STARTDATE") return "the start date";
    if (field == "ENDDATE") return "the end date";
    if (field == "DESCRIPTION") return "the description (up to 20 characters)";
    return field;
}

/// What is wrong with one date of a file's period; "" when it is a day of the calendar.
std::string dateProblem(LONG value, const char* which) {
    if (value == 0) return std::string("has no ") + which;
    if (value < Date::first().value || value > Date::last().value)
        return "holds " + std::to_string(value) + " as its " + which + ", which is no day from " +
               shortDate(Date::first()) + " to " + shortDate(Date::last());
    return {};
}

/// What is wrong with one period of a file; "" when nothing is.
std::string periodProblem(const SPECIAL& r) {
    if (std::string p = dateProblem(r.STARTDATE, "start date"); !p.empty()) return p;
    if (std::string p = dateProblem(r.ENDDATE, "end date"); !p.empty()) return p;
    if (r.ENDDATE < r.STARTDATE)
        return "ends on " + shortDate(Date(r.ENDDATE)) + ", before it starts on " +
               shortDate(Date(r.STARTDATE));
    return {};
}

/// Reads the periods of a special-days file (copied into `folder`) in date order: exactly
/// the records the file holds, each value as stored, or none at all and what is wrong.
/// The records are read in the order they were added and then sorted, so that a damaged
/// key of the file can neither lose, repeat nor reorder one.
std::string readPeriods(const ScratchFolder& folder, const std::string& path,
                        std::vector<std::vector<std::byte>>& records) {
    Engine engine(folder.path().string());
    if (engine.connectFile(StoreFile::RESDATA, false) != NoError || engine.checkFiles() != NoError)
        return engineProblem("The special days could not be read from", path, engine);
    const std::string refused = "The file " + path + " cannot be imported: ";
    const std::string nothingAdded = ". No special days were added.";
    for (const char* name : {kFileTable, kOtherFileTable}) {
        const TableDecl decl = fileDecl(name);
        Table table(decl);
        int rc = engine.open(table, false);
        if (rc == FileNotFoundErr) continue;
        if (rc == KeysMustBeRebuiltErr) {
            // The date order is missing from the file: it is built in the copy, never in
            // the user's own file.
            rc = engine.open(table, true);
            if (rc == KeysMustBeRebuiltErr || rc == NoError) rc = engine.buildKeys(table);
            if (rc == NoError) rc = engine.open(table, false);
        }
        UnfitValue unfit;
        if (rc == NoError) rc = engine.findUnfitValue(table, unfit);
        if (rc == InvalidRecordDeclarationErr)
            return "The file " + path +
                   " does not hold special days: its records are of another layout than a "
                   "start date, an end date and a description.";
        if (rc != NoError)
            return engineProblem("The special days could not be read from", path, engine);
        if (unfit.record != 0)
            return refused + "its record " + std::to_string(unfit.record) + " holds " +
                   unfit.found + " where " + fieldWords(unfit.field) + " belongs" + nothingAdded;

        rc = engine.set(table, -1);
        while (rc == NoError && (rc = engine.next(table)) == NoError) {
            const auto& r = *reinterpret_cast<const SPECIAL*>(table.buffer());
            if (std::string p = periodProblem(r); !p.empty())
                return refused + "its record " + std::to_string(records.size() + 1) + " " + p +
                       nothingAdded;
            records.emplace_back(table.buffer(), table.buffer() + decl.recordSize);
        }
        const bool read = rc == RecordNotAvailableErr;
        engine.close(table);
        if (!read) {
            records.clear();
            return engineProblem("The special days could not be read from", path, engine);
        }
        // The file's date order: by start date, records of one start in the order added.
        std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
            return reinterpret_cast<const SPECIAL*>(a.data())->STARTDATE <
                   reinterpret_cast<const SPECIAL*>(b.data())->STARTDATE;
        });
        return {};
    }
    return "The file " + path + " does not hold special days.";
}

}  // namespace

std::string specialPeriodProblem(Date start, Date end) {
    if (start.isNull()) return "Enter the first day of the period.";
    if (end.isNull()) return "Enter the last day of the period.";
    if (end < start)
        return "The period cannot end before it starts: the end date " + shortDate(end) +
               " comes before the start date " + shortDate(start) + ".";
    return {};
}

std::string writeSpecialDaysFile(const std::string& path,
                                 const std::vector<SpecialPeriod>& periods) {
    ScratchFolder folder;
    if (!folder.ok()) return "No temporary folder could be made for " + path + ".";
    {
        Engine engine(folder.path().string());
        const TableDecl decl = fileDecl(kFileTable);
        Table table(decl);
        if (engine.create(table) != NoError || engine.open(table, true) != NoError)
            return engineProblem("The special days file could not be made at", path, engine);
        if (engine.begin(2) != NoError)
            return engineProblem("The special days file could not be written at", path, engine);
        for (const SpecialPeriod& p : periods) {
            table.clearBuffer();
            auto* r = reinterpret_cast<SPECIAL*>(table.buffer());
            r->STARTDATE = p.start.value;
            r->ENDDATE = p.end.value;
            r->DESCRIPTION = p.description;
            if (engine.add(table) != NoError) {
                const std::string problem =
                    engineProblem("The special days file could not be written at", path, engine);
                engine.rollback();
                return problem;
            }
        }
        if (engine.commit() != NoError)
            return engineProblem("The special days file could not be written at", path, engine);
        engine.close(table);
    }
    std::error_code ec;
    fs::copy_file(folder.dataFile(), path, fs::copy_options::overwrite_existing, ec);
    if (ec) return "The special days file could not be written at " + path + ": " + ec.message();
    return {};
}

SpecialImport importSpecialDays(Store& db, const std::string& path) {
    SpecialImport result;
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec)) {
        result.problem = "The file " + path + " cannot be opened: there is no such file.";
        return result;
    }
    std::vector<std::vector<std::byte>> records;
    {
        ScratchFolder folder;
        fs::copy_file(path, folder.ok() ? folder.dataFile() : fs::path(), ec);
        if (!folder.ok() || ec) {
            result.problem = "The file " + path + " cannot be opened" +
                             (ec ? ": " + ec.message() : std::string()) + ".";
            return result;
        }
        // A file marked read-only stays readable in the copy, whose keys may need building.
        fs::permissions(folder.dataFile(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ec);
        result.problem = readPeriods(folder, path, records);
        if (!result.problem.empty()) return result;
    }

    FileManager& fm = db.Access(Tbl::SPECIAL);
    if (fm.OPEN() != Level_Benign || fm.USEFILE() != Level_Benign) {
        result.problem = "The special days cannot be opened: " + db.engine().status().message();
        fm.CLOSE();
        return result;
    }
    Engine& e = db.engine();
    Table& special = fm.table();
    const std::uint16_t ticket = fm.SAVEBUFFER();
    int rc = e.begin(RelationManager::kTransactionWait);
    for (std::size_t i = 0; rc == NoError && i < records.size(); ++i) {
        std::memcpy(special.buffer(), records[i].data(), records[i].size());
        rc = e.add(special);
    }
    if (rc == NoError) rc = e.commit();
    if (rc != NoError) {
        result.problem =
            "No special days were added from " + path + ": " + e.status().message() + ".";
        if (e.inTransaction()) e.rollback();
    } else {
        result.added = int(records.size());
    }
    fm.RESTOREBUFFER(ticket);
    fm.CLOSE();
    return result;
}

}  // namespace masterdata

#include "converter/converter.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "converter/converted_folder.h"
#include "converter/folder_layouts.h"
#include "converter/stages.h"
#include "store/questions.h"

namespace converter {

namespace fs = std::filesystem;
using store::StoreFile;

namespace {

void tell(const std::string& text, store::Icon icon = store::Icon::Exclamation) {
    store::questions().message(kCaption, text, icon, store::BUTTON_OK, store::BUTTON_OK);
}

std::string engineText(const store::EngineStatus& s) {
    std::string text = s.text;
    if (!s.fileText.empty()) text += " (" + s.fileText + ")";
    return text;
}

bool contains(const std::vector<Release>& list, Release r) {
    return std::find(list.begin(), list.end(), r) != list.end();
}

/// One run of the converter over one data folder.
class Conversion {
  public:
    Conversion(const std::string& folder, Release chosen, ConvertObserver* observer)
        : folder_(folder), dir_(folder), info_(releaseInfo(chosen)), observer_(observer) {}

    Outcome run();

  private:
    Outcome checkAndConvert(Workspace& w);
    std::string missingTable(const FolderLayouts& layouts) const;
    bool backup(std::string& why) const;
    Outcome runStages(Workspace& w);
    void notReadable(const store::EngineStatus& s) const;

    std::string folder_;
    fs::path dir_;
    const ReleaseInfo& info_;
    ConvertObserver* observer_;
    std::string closingMessage_;
};

Outcome Conversion::run() {
    std::error_code ec;
    if (!fs::is_directory(dir_, ec)) {
        tell("The folder " + folder_ + " does not exist. Enter the folder that holds RESDATA.TPS.");
        return Outcome::NothingDone;
    }
    const fs::path main = dir_ / "RESDATA.TPS";
    if (!fs::is_regular_file(main, ec)) {
        tell("There is no RESDATA.TPS in " + folder_ + ". Enter the folder that holds your data.");
        return Outcome::NothingDone;
    }
    // The engine writes its journal beside the file, and Resdata.old goes there too. A
    // file marked read-only for everybody is left alone even where the system would let
    // this user write it.
    const auto perms = fs::status(main, ec).permissions();
    const bool marked =
        (perms & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)) ==
        fs::perms::none;
    if (marked || ::access(main.c_str(), W_OK) != 0 || ::access(dir_.c_str(), W_OK) != 0) {
        tell("RESDATA.TPS in " + folder_ +
             " cannot be changed: the file or its folder is read-only. Nothing was converted.");
        return Outcome::NothingDone;
    }
    const fs::path usersFile = dir_ / "USERS.TPS";
    const bool usersFileExisted = fs::exists(usersFile, ec);

    Outcome outcome;
    {
        Workspace w(dir_.string(), observer_);
        outcome = checkAndConvert(w);
    }
    // A users file made for a stage that then failed holds nothing: leave none behind.
    if (!usersFileExisted && fs::exists(usersFile, ec) && fs::file_size(usersFile, ec) == 0)
        fs::remove(usersFile, ec);
    if (!closingMessage_.empty())
        tell(closingMessage_,
             outcome == Outcome::Completed ? store::Icon::Information : store::Icon::Exclamation);
    return outcome;
}

void Conversion::notReadable(const store::EngineStatus& s) const {
    if (s.code == store::RecordHeldErr)
        tell("RESDATA.TPS in " + folder_ +
             " is in use on another workstation. Close the program everywhere and convert "
             "again. Nothing was converted.");
    else
        tell("RESDATA.TPS in " + folder_ +
             " is not a data file of this program, or it is damaged: " + engineText(s) +
             ". Nothing was converted.");
}

Outcome Conversion::checkAndConvert(Workspace& w) {
    store::Engine& engine = w.engine();
    int rc = engine.connectFile(StoreFile::RESDATA, false);
    if (rc == 0) rc = engine.checkFiles();
    FolderLayouts layouts;
    if (rc == 0) rc = readLayouts(w, layouts);
    if (rc != 0) {
        notReadable(engine.status());
        return Outcome::NothingDone;
    }
    if (std::none_of(layouts.entries.begin(), layouts.entries.end(),
                     [](const FolderLayouts::Entry& e) { return e.present; })) {
        tell("RESDATA.TPS in " + folder_ +
             " holds none of the tables of a data folder. Nothing was converted.");
        return Outcome::NothingDone;
    }

    const std::vector<Release> fitting = fittingReleases(layouts);
    if (contains(fitting, Release::Current)) {
        tell(std::string("The data in ") + folder_ + " is already in the layout of release " +
                 releaseInfo(Release::Current).name + ". Nothing was converted.",
             store::Icon::Information);
        return Outcome::NothingDone;
    }
    if (!contains(fitting, info_.release)) {
        if (fitting.empty()) {
            for (const FolderLayouts::Entry& e : layouts.entries) {
                if (e.present && !e.unreadable && e.layout == nullptr &&
                    !layoutsIn(info_.release, e.file, e.name).empty()) {
                    tell(std::string("The table ") + e.name + " in " + folder_ +
                         " is in a layout that no release from 2.x to 3.21 wrote. Nothing was "
                         "converted.");
                    return Outcome::NothingDone;
                }
            }
            tell("The tables in " + folder_ +
                 " are not all in the layout of one release, as after a conversion that did "
                 "not finish. Nothing was converted. To convert again, copy " +
                 kBackupName + " over RESDATA.TPS first.");
            return Outcome::NothingDone;
        }
        std::string looks;
        for (Release r : fitting)
            looks += std::string(looks.empty() ? "" : " or ") + releaseInfo(r).name;
        tell(std::string("The data in ") + folder_ + " is not in the layout of release " +
             info_.name + ": it looks like release " + looks +
             ". Choose that release and convert again. Nothing was converted.");
        return Outcome::NothingDone;
    }
    const std::string missing = missingTable(layouts);
    if (!missing.empty()) {
        tell("The table " + missing + " is missing from RESDATA.TPS in " + folder_ +
             ". Nothing was converted.");
        return Outcome::NothingDone;
    }
    // Stage C writes the users file and the main program reads it after any stage: one
    // that cannot be read stops either, so it is named before anything changes.
    if (layouts.usersUnreadable()) {
        tell("USERS.TPS in " + folder_ + " cannot be read: " + engineText(layouts.usersStatus) +
             ". Nothing was converted.");
        return Outcome::NothingDone;
    }
    std::string why;
    if (!backup(why)) {
        tell(std::string(kBackupName) + " could not be written in " + folder_ + ": " + why +
             ". Nothing was converted.");
        return Outcome::NothingDone;
    }
    return runStages(w);
}

/// The first table that a stage of this run reads but that neither the folder holds nor
/// an earlier step of the run writes.
std::string Conversion::missingTable(const FolderLayouts& layouts) const {
    std::set<std::pair<StoreFile, std::string>> written;
    for (const Step& s : allSteps()) {
        if (!std::strchr(info_.stages, s.stage)) continue;
        for (const char* name : s.reads) {
            const FolderLayouts::Entry* e = layouts.find(StoreFile::RESDATA, name);
            if ((!e || !e->present) && !written.count({StoreFile::RESDATA, name})) return name;
        }
        for (const auto& [file, name] : s.writes) written.insert({file, name});
    }
    return {};
}

bool Conversion::backup(std::string& why) const {
    // Written under another name first, so that an old copy is replaced only by a whole one.
    const fs::path to = dir_ / kBackupName;
    const fs::path partial = dir_ / (std::string(kBackupName) + ".new");
    std::error_code ec;
    fs::copy_file(dir_ / "RESDATA.TPS", partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, to, ec);
    if (ec) {
        why = ec.message();
        std::error_code ignored;
        fs::remove(partial, ignored);
        return false;
    }
    return true;
}

Outcome Conversion::runStages(Workspace& w) {
    Carried carried;
    bool stageCFailed = false;
    for (const char* stage = info_.stages; *stage; ++stage) {
        if (observer_) observer_->stageStarted(*stage);
        bool failed = false;
        for (const Step& s : allSteps()) {
            if (s.stage != *stage) continue;
            TableJob job(w, s.sourceName, s.usesUsersFile);
            s.fill(job, carried);
            if (job.finish() == 0) continue;
            failed = true;
            if (observer_) observer_->stageFinished(*stage);
            if (s.copyFailureTag && job.failedInReplacement())
                store::questions().stop(job.errorText() + s.copyFailureTag);
            else
                tell(job.message());
            break;
        }
        if (!failed) {
            if (observer_) observer_->stageFinished(*stage);
            continue;
        }
        // After stage C the last stage still runs; any other failure ends the run.
        if (*stage != 'C') return Outcome::Failed;
        stageCFailed = true;
    }
    if (stageCFailed) {
        closingMessage_ = std::string(
                              "Conversion not completed: some tables could not be "
                              "converted. The data as it was before is kept in ") +
                          kBackupName + ".";
        return Outcome::Failed;
    }
    // Completed only for a folder the main program then opens without a word: keys that
    // an earlier release left damaged or missing in a table no stage wrote are built now,
    // and the result is opened as the main program opens it.
    std::set<TableName> written;
    for (const Step& s : allSteps())
        if (std::strchr(info_.stages, s.stage))
            for (const auto& [file, name] : s.writes) written.insert({file, name});
    std::string problem = rebuildKeptKeys(w, written);
    if (problem.empty()) problem = openAsMainProgram(dir_.string());
    if (!problem.empty()) {
        closingMessage_ = "Conversion not completed: " + problem +
                          " The data as it was before is kept in " + kBackupName +
                          ": copy it over RESDATA.TPS to go back to it.";
        return Outcome::Failed;
    }
    closingMessage_ = "Conversion Completed";
    return Outcome::Completed;
}

}  // namespace

Outcome convertFolder(const std::string& folder, Release chosen, ConvertObserver* observer) {
    return Conversion(folder, chosen, observer).run();
}

}  // namespace converter

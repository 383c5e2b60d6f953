#include "reports/ui/printout_windows.h"

#include "framework/report_renderer.h"
#include "framework/report_run.h"
#include "masterdata/ui/window_words.h"
#include "masterdata/ui/windows.h"
#include "reports/record_printouts.h"
#include "store/session.h"
#include "store/store.h"

namespace reports::ui {

namespace {

/// Reads with the report's progress window; false after a cancel or a failure (told).
bool readWithProgress(
    const char* section, int expected, QWidget* parent,
    const std::function<bool(const std::function<bool(int)>&, std::string&)>& read) {
    std::string error;
    bool ok;
    {
        framework::ReportProgress progress(section, expected, parent);
        ok = read([&progress](int done) { return progress.step(done); }, error);
    }
    if (!ok && !error.empty())
        masterdata::ui::refusal(masterdata::ui::words("Progress..."),
                                QString::fromStdString(error));
    return ok;
}

int recordsOf(store::Store& db, store::Tbl t) {
    return int(std::max<long long>(db.engine().records(db.table(t)), 1));
}

void printResources(store::Store& db, const std::string& group, const char* section,
                    QWidget* parent) {
    std::vector<ResourcePrintout> resources;
    if (!readWithProgress(section, recordsOf(db, store::Tbl::RESOURCE), parent,
                          [&](const auto& progress, std::string& error) {
                              return readResources(db, group, resources, progress, error);
                          }))
        return;
    const framework::QtTextMeasurer measure;
    framework::finishReport(
        reports::PRINTALLRESOURCES(resourcesTitle(booking::Words::of(db.SYP), group), resources,
                                   &measure),
        true, parent);
}

}  // namespace

void PRINTBOOKING(store::Store& db, const booking::BookingForm& form, QWidget* parent) {
    const framework::QtTextMeasurer measure;
    framework::finishReport(
        reports::PRINTBOOKING(printoutOf(db, form), booking::Words::of(db.SYP), &measure), true,
        parent);
}

void PRINTALLRESOURCES(store::Store& db, QWidget* parent) {
    printResources(db, {}, "PrintAllResources", parent);
}

void PRINTGROUPRESOURCES(store::Store& db, const std::string& group, QWidget* parent) {
    if (booking::trim(group).empty()) return;
    printResources(db, group, "PrintGroupResources", parent);
}

void PRINTCLIENT(store::Store& db, QWidget* parent) {
    std::vector<ClientPrintout> clients;
    if (!readWithProgress("PrintClient", recordsOf(db, store::Tbl::CLIENT), parent,
                          [&](const auto& progress, std::string& error) {
                              return readClients(db, clients, progress, error);
                          }))
        return;
    const framework::QtTextMeasurer measure;
    framework::finishReport(reports::PRINTCLIENT(clients, booking::Words::of(db.SYP), &measure),
                            true, parent);
}

void definePrintouts() {
    framework::defineWindow("PRINTALLRESOURCES", [](store::Store& db, QWidget* parent, int) {
        PRINTALLRESOURCES(db, parent);
        return int(store::RequestCompleted);
    });
    framework::defineWindow("PRINTGROUPRESOURCES", [](store::Store& db, QWidget* parent, int) {
        PRINTGROUPRESOURCES(db, db.GRO.GROUP.str(), parent);
        return int(store::RequestCompleted);
    });
    framework::defineWindow("PRINTCLIENT", [](store::Store& db, QWidget* parent, int) {
        PRINTCLIENT(db, parent);
        return int(store::RequestCompleted);
    });
}

}  // namespace reports::ui

#include "shell/app.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <filesystem>
#include <memory>

#include "booking/ui/alert_window.h"
#include "booking/ui/booking_window.h"
#include "framework/help.h"
#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework/qt_questions.h"
#include "framework/report_renderer.h"
#include "masterdata/ui/preference_windows.h"
#include "masterdata/ui/windows.h"
#include "reports/ui/utilization_windows.h"
#include "scan/ui/scan_window.h"
#include "shell/backup.h"
#include "shell/change_password.h"
#include "shell/frame.h"
#include "shell/startup.h"
#include "shell/terms.h"
#include "shell/translator.h"
#include "store/error_class.h"
#include "store/store.h"

namespace shell {

namespace {

void printSetup(MAIN& frame) {
    // The one printer every report prints on.
    QPrintDialog dialog(&framework::programPrinter(), &frame);
    dialog.setWindowTitle(TranslateString(QStringLiteral("Print setup")));
    dialog.exec();
}

void changePassword(MAIN& frame) {
    // Started, not called: the frame stays usable while the window is open.
    auto* w = new CHANGEPASSWORD(frame.db(), &frame);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowModality(Qt::NonModal);
    w->show();
}

}  // namespace

void registerShellProcedures() {
    MAIN::registerProcedure("PRINTSETUP", [](MAIN& f, int) { printSetup(f); });
    MAIN::registerProcedure("CHANGEPASSWORD", [](MAIN& f, int) { changePassword(f); });
    MAIN::registerProcedure("TERMS", [](MAIN& f, int) { TERMS(f); });
    MAIN::registerProcedure("ABOUTTEMBRIX", [](MAIN& f, int) { ABOUTTEMBRIX(f); });
    MAIN::registerProcedure("HELPCONTENTS", [](MAIN&, int) { framework::showHelpContents(); });
    MAIN::registerProcedure("HELPSEARCH", [](MAIN&, int) { framework::showHelpSearch(); });
    MAIN::registerProcedure("HELPHOWTO", [](MAIN&, int) { framework::showHowToUseHelp(); });
}

void registerWindows(store::Store& db) {
    registerShellProcedures();
    masterdata::ui::registerWindows(db, [](const std::string& name, auto run) {
        MAIN::registerProcedure(name, [run](MAIN& f, int request) { run(&f, request); });
    });
    booking::ui::registerWindows(db, [](const std::string& name, auto run) {
        MAIN::registerProcedure(name, [run](MAIN& f, int request) { run(&f, request); });
    });
    scan::ui::registerWindows(db, [](const std::string& name, auto run) {
        MAIN::registerProcedure(name, [run](MAIN& f, int request) { run(&f, request); });
    });
    reports::ui::registerWindows(db, [](const std::string& name, auto run) {
        MAIN::registerProcedure(name, [run](MAIN& f, int request) { run(&f, request); });
    });
    // Saved system preferences bring their terms to every window opened afterwards; the
    // preference window searches for alerts as the frame does.
    masterdata::ui::preferenceHooks().sysPrefSaved = [&db] {
        setCurrentTerms(Terms::fromSysPref(db.SYP));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* frame = qobject_cast<MAIN*>(w)) frame->refreshTerms();
    };
    // Every timer of the frame, the scans and the lists runs the booking alerts' search.
    MAIN::ALERTSEARCH() = [&db] { booking::ui::ALERTSEARCH(db); };
    masterdata::ui::preferenceHooks().alertSearch = [] {
        if (MAIN::ALERTSEARCH()) MAIN::ALERTSEARCH()();
    };
}

int RUNTEMBRIX(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(kProductName);
    app.setApplicationVersion(kVersion);
    app.setQuitOnLastWindowClosed(false);
    const std::string folder = std::filesystem::current_path().string();

    framework::QtQuestions qtQuestions;
    store::setQuestions(&qtQuestions);

    // The documented order: help file, error reporter, translator, configuration file,
    // store; the frame; then store, translator and reporter torn down.
    framework::registerHelpFile();
    store::ErrorClass errors;
    errors.INIT();
    auto translator =
        std::make_unique<Translator>(QString::fromStdString(folder + "/" + kExtractionFile));
    framework::IniFile ini(folder + "/tembrixm.INI");
    framework::Program& program = framework::program();
    program.ini = &ini;
    program.translateWindow = [](QWidget& w) { Translate(&w); };
    program.translate = [](const std::string& s) { return TranslateString(s, 1); };
    program.showHelp = [](const std::string& topic) { framework::showHelp(topic); };
    program.alertSearch = [] {
        if (MAIN::ALERTSEARCH()) MAIN::ALERTSEARCH()();
    };
    auto db = std::make_unique<store::Store>(folder, errors);
    db->DCTINIT();

    registerWindows(*db);
    int code = 0;
    {
        MAIN frame(*db, ini);
        frame.onClosed = [&db] {
            BACKUPFILES(*db, [](bool busy) {
                if (busy)
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                else
                    QApplication::restoreOverrideCursor();
            });
        };
        if (frame.INIT()) {
            app.setQuitOnLastWindowClosed(true);
            code = app.exec();
        } else if (frame.refused()) {
            code = 1;  // the data could not be used: whoever started us must not see success
        }
    }
    db->DCTKILL();
    db.reset();
    program = framework::Program{};
    CloseTranslator();
    translator.reset();
    errors.KILL();
    store::setQuestions(nullptr);
    return code;
}

}  // namespace shell

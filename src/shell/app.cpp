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
#include "store/session.h"
#include "store/store.h"

namespace shell {

namespace {

void printSetup(MAIN& frame) {
    // The one printer every report prints on.
    QPrintDialog dialog(&framework::programPrinter(), &frame);
    dialog.setWindowTitle(TranslateString(QStringLiteral("Print setup")));
    dialog.exec();
}

/// Defines a window of the frame's own, run with the frame as its parent.
void defineFrameWindow(const std::string& name, void (*run)(MAIN& frame)) {
    framework::defineWindow(name, [run](store::Store&, QWidget* parent, int) {
        if (auto* frame = qobject_cast<MAIN*>(parent)) run(*frame);
        return int(store::RequestCompleted);
    });
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
    defineFrameWindow("PRINTSETUP", printSetup);
    defineFrameWindow("CHANGEPASSWORD", changePassword);
    defineFrameWindow("TERMS", TERMS);
    defineFrameWindow("ABOUTTEMBRIX", ABOUTTEMBRIX);
    defineFrameWindow("HELPCONTENTS", [](MAIN&) { framework::showHelpContents(); });
    defineFrameWindow("HELPSEARCH", [](MAIN&) { framework::showHelpSearch(); });
    defineFrameWindow("HELPHOWTO", [](MAIN&) { framework::showHowToUseHelp(); });
}

void registerWindows(store::Store& db) {
    registerShellProcedures();
    masterdata::ui::registerWindows(db);
    booking::ui::registerWindows(db);
    scan::ui::registerWindows();
    reports::ui::registerWindows();
    // Saved system preferences bring their terms to every window opened afterwards; the
    // preference window searches for alerts as the frame does.
    masterdata::ui::preferenceHooks().sysPrefSaved = [&db] {
        setCurrentTerms(Terms::fromSysPref(db.SYP));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* frame = qobject_cast<MAIN*>(w)) frame->refreshTerms();
    };
    // Every timer of the frame, the scans and the lists runs the booking alerts' search.
    framework::program().alertSearch = [&db] { booking::ui::ALERTSEARCH(db); };
    masterdata::ui::preferenceHooks().alertSearch = [] {
        if (framework::program().alertSearch) framework::program().alertSearch();
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

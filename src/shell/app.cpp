#include "shell/app.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <filesystem>
#include <memory>

#include "framework/ini_file.h"
#include "framework/qt_questions.h"
#include "shell/change_password.h"
#include "shell/frame.h"
#include "shell/startup.h"
#include "store/error_class.h"
#include "store/store.h"

namespace shell {

namespace {

void printSetup(MAIN& frame) {
    static QPrinter printer;
    QPrintDialog dialog(&printer, &frame);
    dialog.setWindowTitle(QObject::tr("Print setup"));
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
}

int RUNTEMBRIX(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(kProductName);
    app.setApplicationVersion(kVersion);
    app.setQuitOnLastWindowClosed(false);

    framework::QtQuestions qtQuestions;
    store::setQuestions(&qtQuestions);

    store::ErrorClass errors;
    errors.INIT();
    framework::IniFile ini((std::filesystem::current_path() / "tembrixm.INI").string());
    auto db = std::make_unique<store::Store>(std::filesystem::current_path().string(), errors);
    db->DCTINIT();

    registerShellProcedures();
    int code = 0;
    {
        MAIN frame(*db, ini);
        if (frame.INIT()) {
            QObject::connect(&frame, &QObject::destroyed, &app, &QApplication::quit);
            frame.setAttribute(Qt::WA_DeleteOnClose, false);
            QObject::connect(qApp, &QApplication::lastWindowClosed, &app, &QApplication::quit);
            app.setQuitOnLastWindowClosed(true);
            code = app.exec();
        }
    }
    db->DCTKILL();
    db.reset();
    errors.KILL();
    store::setQuestions(nullptr);
    return code;
}

}  // namespace shell

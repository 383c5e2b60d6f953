#include "framework/report_run.h"

#include <QApplication>
#include <QPrinter>

#include "framework/preview_window.h"
#include "framework/program.h"
#include "framework/report_renderer.h"
#include "framework/window_placement.h"
#include "store/questions.h"

namespace framework {

namespace {

QString translated(const char* text) {
    return QString::fromStdString(program().translate ? program().translate(text)
                                                      : std::string(text));
}

}  // namespace

ReportProgress::ReportProgress(std::string section, int maximum, QWidget* parent)
    : section_(std::move(section)),
      dialog_(translated("Progress..."), translated("Cancel"), 0, std::max(maximum, 1), parent) {
    dialog_.setWindowTitle(translated("Progress..."));
    dialog_.setObjectName(QString::fromStdString(section_));
    dialog_.setMinimumDuration(300);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setValue(0);
}

ReportProgress::~ReportProgress() {
    // Only a window the user saw has a placement worth keeping.
    if (placed_ && dialog_.isVisible() && program().ini)
        saveWindow(dialog_, *program().ini, section_);
    dialog_.close();
}

bool ReportProgress::step(int value) {
    if (!placed_ && program().ini) {
        restoreWindow(dialog_, *program().ini, section_);
        placed_ = true;
    }
    dialog_.setValue(std::min(value, dialog_.maximum()));
    QApplication::processEvents();
    return !dialog_.wasCanceled();
}

void finishReport(reports::Document doc, bool preview, QWidget* parent) {
    if (preview) {
        PreviewWindow::run(std::move(doc), program().ini, parent);
        return;
    }
    QPrinter& printer = programPrinter();
    printer.setDocName(QString::fromStdString(doc.title));
    printer.setPrintRange(QPrinter::AllPages);
    std::string error;
    if (!printDocument(printer, doc, 1, &error))
        store::questions().message(translated("Print").toStdString(), error,
                                   store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
}

}  // namespace framework

#include "framework/window_procedure.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

#include "framework/ini_file.h"
#include "framework/program.h"
#include "framework/window_placement.h"
#include "store/session.h"
#include "store/store.h"

namespace framework {

WindowProcedure::WindowProcedure(store::Store& db, const std::string& name, QWidget* parent)
    : QDialog(parent), db_(db), name_(name) {
    setObjectName(QString::fromStdString(name));
}

WindowProcedure::~WindowProcedure() {
    KILL();
}

bool WindowProcedure::openWindow() {
    if (initialised_) return true;
    initialised_ = true;
    if (!INIT()) {
        KILL();
        return false;
    }
    return true;
}

bool WindowProcedure::INIT() {
    for (store::Tbl t : tables_) {
        if (db_.Relate(t).OPEN() != store::Level_Benign) return false;
        opened_.push_back(t);
    }
    if (program().translateWindow) program().translateWindow(*this);
    if (program().ini && !placementSection.empty())
        restoreWindow(*this, *program().ini, placementSection);
    keepOnScreen(*this);
    return true;
}

void WindowProcedure::KILL() {
    if (killed_ || !initialised_) return;
    killed_ = true;
    if (timer_) timer_->stop();
    for (store::Tbl t : opened_) db_.Relate(t).CLOSE();
    opened_.clear();
    if (program().ini && !placementSection.empty())
        saveWindow(*this, *program().ini, placementSection);
}

int WindowProcedure::CALL() {
    store::session().GlobalResponse = store::RequestCancelled;
    if (!openWindow()) return store::session().GlobalResponse;
    return ASK();
}

int WindowProcedure::ASK() {
    exec();
    KILL();
    return store::session().GlobalResponse;
}

void WindowProcedure::watch(QWidget* control) {
    control->installEventFilter(this);
}

bool WindowProcedure::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && watched->isWidgetType()) {
        if (event->type() == QEvent::FocusIn)
            TAKESELECTED(watched);
        else if (TAKEFIELDEVENT(watched, event))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool WindowProcedure::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Show:
            if (TAKEWINDOWEVENT(event)) return true;
            break;
        default:
            break;
    }
    return QDialog::event(event);
}

void WindowProcedure::START() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    setWindowFlag(Qt::Window);
    if (!openWindow()) {
        deleteLater();
        return;
    }
    show();
}

void WindowProcedure::accept() {
    if (!TAKECOMPLETED()) return;
    store::session().GlobalResponse = store::RequestCompleted;
    closingByOk_ = true;
    KILL();
    QDialog::accept();
}

void WindowProcedure::reject() {
    if (!TAKECLOSEEVENT()) return;
    store::session().GlobalResponse = store::RequestCancelled;
    KILL();
    QDialog::reject();
}

void WindowProcedure::closeEvent(QCloseEvent* event) {
    if (!closingByOk_ && !killed_ && !TAKECLOSEEVENT()) {
        event->ignore();
        return;
    }
    KILL();
    QDialog::closeEvent(event);
}

void WindowProcedure::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void WindowProcedure::showHelp() {
    if (program().showHelp && !helpTopic.empty()) program().showHelp(helpTopic);
}

void WindowProcedure::setTimer(int milliseconds) {
    if (!timer_) {
        timer_ = new QTimer(this);
        connect(timer_, &QTimer::timeout, this, [this] { TAKEEVENT(); });
    }
    timer_->start(milliseconds);
}

void WindowProcedure::accepted(QObject* control) {
    if (auto* b = qobject_cast<QAbstractButton*>(control))
        connect(b, &QAbstractButton::clicked, this, [this, b] { TAKEACCEPTED(b); });
}

}  // namespace framework

// The alert window and the search that starts it.
#include "booking/ui/alert_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "booking/ui/booking_window.h"
#include "booking/ui/ui_text.h"
#include "store/session.h"
#include "store/store.h"

namespace booking::ui {

namespace {

QString timeText(store::LONG t) {
    return q(store::shortTime(store::Time(t)));
}

/// The frame, which alert windows belong to so that they close with it.
QWidget* frameWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w)) return w;
    return nullptr;
}

/// The notification-area icon the alerts show in, made once when the desktop has one.
QSystemTrayIcon* trayIcon() {
    static QPointer<QSystemTrayIcon> icon;
    if (!icon && QSystemTrayIcon::isSystemTrayAvailable()) {
        icon = new QSystemTrayIcon(qApp);
        QIcon picture = QApplication::windowIcon();
        if (picture.isNull())
            picture = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
        icon->setIcon(picture);
        icon->show();
    }
    return icon;
}

}  // namespace

AlertWindow::AlertWindow(store::Store& db, std::vector<DueOccurrence> due, QWidget* parent)
    : WindowProcedure(db, "ALERTWINDOW", parent), words_(Words::of(db.SYP)), list_(std::move(due)) {
    helpTopic = "~Alert_Window";
    placementSection = "ALERTWINDOW";
    setWindowTitle(text("%1 Alert", words_.booking));
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    due_ = new QTreeWidget(this);
    due_->setObjectName("DueList");
    due_->setRootIsDecorated(false);
    due_->setHeaderLabels({text("Start"), text("End"), q(words_.booking), q(words_.client),
                           text("Primary ") + q(words_.resource)});
    for (const DueOccurrence& o : list_) {
        auto* item = new QTreeWidgetItem(
            due_, {timeText(o.TIME), timeText(o.ENDTIME), q(o.name), q(o.client), q(o.prime)});
        item->setData(0, Qt::UserRole, int(o.ACTNUMBER));
    }
    due_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lists->addWidget(due_, 3);
    others_ = new QTreeWidget(this);
    others_->setObjectName("OtherList");
    others_->setRootIsDecorated(false);
    others_->setHeaderLabels({text("Other %1", words_.resource)});
    lists->addWidget(others_, 1);
    layout->addLayout(lists);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    edit_ = new QPushButton(text("Edit/View"), this);
    edit_->setObjectName("EditView");
    close_ = new QPushButton(text("Close"), this);
    close_->setObjectName("Close");
    buttons->addWidget(edit_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    accepted(edit_);
    accepted(close_);
    connect(due_, &QTreeWidget::currentItemChanged, this, [this] { showOthers(); });
    connect(due_, &QTreeWidget::itemDoubleClicked, this, [this] { editHighlighted(); });
    setTabOrder(due_, others_);
    setTabOrder(others_, edit_);
    setTabOrder(edit_, close_);
    resize(640, 240);
}

bool AlertWindow::INIT() {
    if (!WindowProcedure::INIT()) return false;
    if (due_->topLevelItemCount() > 0) due_->setCurrentItem(due_->topLevelItem(0));
    edit_->setEnabled(due_->topLevelItemCount() > 0);
    return true;
}

void AlertWindow::showOthers() {
    others_->clear();
    const int row = due_->currentItem() ? due_->indexOfTopLevelItem(due_->currentItem()) : -1;
    if (row < 0 || row >= int(list_.size())) return;
    const DueOccurrence& o = list_[row];
    for (const std::string& r : bookingResources(db(), o.ACTNUMBER))
        if (trim(r) != trim(o.prime)) new QTreeWidgetItem(others_, {q(r)});
}

void AlertWindow::editHighlighted() {
    const int row = due_->currentItem() ? due_->indexOfTopLevelItem(due_->currentItem()) : -1;
    if (row < 0 || row >= int(list_.size())) return;
    const DueOccurrence& o = list_[row];
    store::Store& d = db();
    d.table(store::Tbl::DATES).clearBuffer();
    d.DAT.ACTNUMBER = o.ACTNUMBER;
    d.DAT.DATE = o.DATE;
    d.DAT.TIME = o.TIME;
    d.DAT.ENDTIME = o.ENDTIME;
    d.ACT.ACTNUMBER = o.ACTNUMBER;
    store::session().GlobalRequest = store::ChangeRecord;
    UPDATEACT(d, this);
}

void AlertWindow::TAKEACCEPTED(QObject* control) {
    if (control == edit_)
        editHighlighted();
    else if (control == close_)
        reject();
}

AlertWindow* ALERTWINDOW(store::Store& db, std::vector<DueOccurrence> due) {
    QString summary;
    for (const DueOccurrence& o : due)
        summary += timeText(o.TIME) + "  " + q(o.name) + (o.client.empty() ? "" : " - ") +
                   q(o.client) + "\n";
    auto* w = new AlertWindow(db, std::move(due), frameWindow());
    // The alert must not take the keyboard from a form the user is typing in.
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->START();
    if (QSystemTrayIcon* icon = trayIcon())
        icon->showMessage(w->windowTitle(), summary.trimmed(), QSystemTrayIcon::Information);
    return w;
}

void ALERTSEARCH(store::Store& db) {
    std::vector<DueOccurrence> due = programAlerts().search(db, store::readClock());
    if (!due.empty()) ALERTWINDOW(db, std::move(due));
}

}  // namespace booking::ui

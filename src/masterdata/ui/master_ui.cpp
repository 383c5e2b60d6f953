#include "masterdata/ui/master_ui.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <cstdlib>

#include "framework/program.h"
#include "store/error_class.h"
#include "store/questions.h"
#include "store/store.h"
#include "store/terms.h"

namespace masterdata::ui {

using namespace store;

QString resourceWord(Store& db, bool plural) {
    const Terms terms = Terms::of(db.SYP);
    return QString::fromStdString(plural ? terms.resources : terms.resource);
}

QString text(const char* source, const QString& word, bool lower) {
    const auto& translate = framework::program().translate;
    QString s = QString::fromStdString(translate ? translate(source) : std::string(source));
    if (!word.isEmpty()) s.replace(QStringLiteral("%1"), lower ? word.toLower() : word);
    return s;
}

void translatedAlready(QWidget& w, bool children) {
    w.setProperty("translate", false);
    if (children)
        for (QWidget* c : w.findChildren<QWidget*>()) c->setProperty("translate", false);
}

AfterSave reportSave(Store& db, const SaveResult& r, const QString& caption) {
    switch (r.outcome) {
        case SaveResult::Saved:
            return AfterSave::Completed;
        case SaveResult::ChangedElsewhere:
            questions().message(kSafeguardTitle, changedMessage(r.number), Icon::Exclamation,
                                BUTTON_OK, BUTTON_OK);
            return AfterSave::Cancelled;
        case SaveResult::Cancelled:
            if (!r.tag.empty()) {
                // An unexpected failure: the user may end the program here or go on.
                if (framework::STOP(r.errorText + r.tag)) {
                    if (db.errors().endProgram)
                        db.errors().endProgram(3);
                    else
                        std::exit(3);
                }
                return AfterSave::Cancelled;
            }
            questions().message(kSafeguardTitle, cancelledMessage(r), Icon::Exclamation, BUTTON_OK,
                                BUTTON_OK);
            return AfterSave::Cancelled;
        case SaveResult::Duplicate:
            return AfterSave::Stay;  // message 13 has told the user already
        case SaveResult::Refused:
            questions().message(caption.toStdString(), text(r.message.c_str()).toStdString(),
                                Icon::Exclamation, BUTTON_OK, BUTTON_OK);
            return AfterSave::Stay;
    }
    return AfterSave::Stay;
}

int askToSaveList(Store& db) {
    switch (db.errors().MESSAGE(35, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_YES)) {
        case BUTTON_YES:
            return 1;
        case BUTTON_NO:
            return 0;
        default:
            return -1;
    }
}

// --- the tag list ------------------------------------------------------------------------

TagTable::TagTable(const QStringList& headings, QWidget* parent) : QTableWidget(parent) {
    setColumnCount(int(headings.size()));
    setHorizontalHeaderLabels(headings);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    // A click anywhere on a row, or the space bar, tags or untags it.
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column != 0) setTagged(row, !tagged(row));
    });
}

void TagTable::addRow(const QStringList& cells, const QString& key) {
    const int row = rowCount();
    insertRow(row);
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                       (c == 0 ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
        if (c == 0) {
            item->setCheckState(Qt::Unchecked);
            item->setData(Qt::UserRole, key);
        }
        setItem(row, c, item);
    }
}

void TagTable::clearRows() {
    setRowCount(0);
}

void TagTable::tagAll(bool tagged) {
    for (int r = 0; r < rowCount(); ++r) setTagged(r, tagged);
}

void TagTable::setTagged(int row, bool tagged) {
    if (QTableWidgetItem* i = item(row, 0)) i->setCheckState(tagged ? Qt::Checked : Qt::Unchecked);
}

bool TagTable::tagged(int row) const {
    const QTableWidgetItem* i = item(row, 0);
    return i && i->checkState() == Qt::Checked;
}

QString TagTable::key(int row) const {
    const QTableWidgetItem* i = item(row, 0);
    return i ? i->data(Qt::UserRole).toString() : QString();
}

std::vector<int> TagTable::chosenRows() const {
    std::vector<int> out;
    for (int r = 0; r < rowCount(); ++r)
        if (tagged(r)) out.push_back(r);
    if (out.empty() && currentRow() >= 0 && currentRow() < rowCount() &&
        selectionModel()->isRowSelected(currentRow(), QModelIndex()))
        out.push_back(currentRow());
    return out;
}

void TagTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        setTagged(currentRow(), !tagged(currentRow()));
        return;
    }
    QTableWidget::keyPressEvent(event);
}

}  // namespace masterdata::ui

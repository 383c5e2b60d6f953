#include "masterdata/ui/list_forms.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>

#include "framework/program.h"
#include "masterdata/ui/master_ui.h"
#include "store/file_manager.h"
#include "store/questions.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace masterdata::ui {

using namespace store;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

void retitle(QWidget& w, const char* name, const char* caption, const char* tip) {
    if (auto* b = w.findChild<QPushButton*>(name)) {
        if (caption) b->setText(text(caption));
        if (tip) b->setToolTip(text(tip));
        translatedAlready(*b);
    }
}

QHBoxLayout* listWithButtons(QWidget* list, std::initializer_list<QPushButton*> buttons) {
    auto* side = new QVBoxLayout;
    for (QPushButton* b : buttons) side->addWidget(b);
    side->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addLayout(side);
    return row;
}

void showNames(QListWidget& list, const NameList& names) {
    const QString current = list.currentItem() ? list.currentItem()->text() : QString();
    list.clear();
    for (const std::string& n : names.names()) list.addItem(QString::fromStdString(n));
    const auto found = list.findItems(current, Qt::MatchExactly);
    if (!found.isEmpty()) list.setCurrentItem(found.first());
}

// --- the multiple-selection window ---------------------------------------------------------

SelectionWindow::SelectionWindow(Store& db, const char* name, QWidget* parent)
    : WindowProcedure(db, name, parent) {}

void SelectionWindow::lay(QWidget* content, int width, int height) {
    auto* tagAll = button(this, "TagAll", text("&Tag all"));
    auto* clearAll = button(this, "ClearAll", text("C&lear all"));
    auto* ok = button(this, "OK", text("OK"));
    auto* cancel = button(this, "Cancel", text("Cancel"));
    auto* help = button(this, "Help", text("Help"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tagAll);
    buttons->addWidget(clearAll);
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, help}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(content);
    layout->addLayout(buttons);
    resize(width, height);
    translatedAlready(*this, true);
    connect(tagAll, &QPushButton::clicked, this, [this] { current()->tagAll(true); });
    connect(clearAll, &QPushButton::clicked, this, [this] { current()->tagAll(false); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &WindowProcedure::showHelp);
}

std::vector<int> SelectionWindow::chosenOrSay() {
    std::vector<int> rows = current()->chosenRows();
    if (rows.empty()) {
        store::questions().message(
            "Tembrix",
            text("Nothing was chosen. Tick one or more lines of the list, or press Cancel.")
                .toStdString(),
            store::Icon::Exclamation, store::BUTTON_OK, store::BUTTON_OK);
        current()->setFocus();
    }
    return rows;
}

// --- the kept record ----------------------------------------------------------------------

void KeptRecordForm::keepRecord(std::string original) {
    record_.assign(fm().buffer(), fm().buffer() + fm().decl().recordSize);
    position_ = fm().POSITION();
    original_ = std::move(original);
}

void KeptRecordForm::restoreRecord() {
    std::memcpy(fm().buffer(), record_.data(), record_.size());
    UPDATEBUFFER();
}

bool KeptRecordForm::recordChanged() {
    return std::memcmp(fm().buffer(), record_.data(), record_.size()) != 0;
}

bool KeptRecordForm::saveEnded(const SaveResult& r, const std::function<void()>& stay) {
    std::memcpy(record_.data(), fm().buffer(), record_.size());
    switch (reportSave(db(), r, windowTitle())) {
        case AfterSave::Completed:
            return true;
        case AfterSave::Cancelled:
            closing_ = true;
            reject();
            return false;
        case AfterSave::Stay:
            stay();
            return false;
    }
    return false;
}

bool KeptRecordForm::TAKECLOSEEVENT() {
    return closing_ || FormProcedure::TAKECLOSEEVENT();
}

void KeptRecordForm::layGeneralAndNotes(QWidget* general, QWidget* notes,
                                        const QString& notesLabel) {
    auto* notesPage = new QWidget(this);
    auto* n = new QVBoxLayout(notesPage);
    if (!notesLabel.isEmpty()) n->addWidget(new QLabel(notesLabel, notesPage));
    n->addWidget(notes);
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("Tabs");
    tabs->addTab(general, text("General"));
    tabs->addTab(notesPage, text("Notes"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
}

void KeptRecordForm::tabChain(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* c : controls) {
        if (previous) setTabOrder(previous, c);
        previous = c;
    }
}

// --- the working list of names -------------------------------------------------------------

void NameListForm::loadNames(const std::vector<std::string>& names) {
    for (const std::string& n : names) {
        list_.add(n);
        loaded_.add(n);
    }
}

void NameListForm::showList() {
    showNames(*names_, list_);
}

void NameListForm::removeHighlighted() {
    if (!names_->currentItem()) return;  // nothing highlighted, nothing to remove
    list_.remove(names_->currentItem()->text().toStdString());
    showList();
}

bool NameListForm::TAKECLOSEEVENT() {
    if (closing_ || readOnly()) return true;
    if (list_.names() != loaded_.names()) {
        const int answer = askToSaveList(db());
        if (answer > 0) accept();  // saves and closes, or stays open when saving failed
        return answer == 0;
    }
    return FormProcedure::TAKECLOSEEVENT();
}

// --- the group form ------------------------------------------------------------------------

GroupForm::GroupForm(Store& db, Tbl table, const char* name, Field nameField, Right admin,
                     QWidget* parent)
    : NameListForm(db, table, name, parent), nameField_(nameField), admin_(admin) {
    translatedAlready(*this);
    allowInsert = allowDelete = may(session().accessLevel, admin);
}

void GroupForm::BUILD() {
    const Captions c = captions();
    name_ = new QLineEdit(this);
    name_->setObjectName("Group");
    if (!c.nameTip.isEmpty()) name_->setToolTip(c.nameTip);
    bind(name_, nameField_);
    names_ = new QListWidget(this);
    names_->setObjectName("Members");
    insert_ = button(this, "Insert", text("&Insert"), c.insertTip);
    delete_ = button(this, "Delete", text("&Delete"), c.deleteTip);
    auto* form = new QFormLayout;
    form->addRow(c.nameLabel, name_);
    auto* row = listWithButtons(names_, {insert_, delete_});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(c.membersLabel, this));
    layout->addLayout(row);
    layout->addWidget(statusLabel());
    layout->addWidget(okCancel());
    tabChain({name_, names_, insert_, delete_});
    connect(insert_, &QPushButton::clicked, this, [this] {
        for (const std::string& m : chooseMembers()) list_.add(m);
        showList();
    });
    connect(delete_, &QPushButton::clicked, this, [this] { removeHighlighted(); });
}

bool GroupForm::INIT() {
    if (!FormProcedure::INIT()) return false;
    keepRecord(std::string(getText(fm().decl().field(nameField_), fm().buffer())));
    if (request() == ChangeRecord) {
        framework::BusyCursor busy;
        loadNames(storedMembers(original_));
    }
    showList();
    const bool readOnly = !may(session().accessLevel, admin_);
    setReadOnly(readOnly);
    insert_->setEnabled(!readOnly);
    delete_->setEnabled(!readOnly);
    return true;
}

bool GroupForm::TAKECOMPLETED() {
    if (readOnly()) return true;
    restoreRecord();
    GroupEdit edit{request(), original_, position_, list_, loaded_};
    return saveEnded(save(edit), [this] { name_->setFocus(); });
}

}  // namespace masterdata::ui

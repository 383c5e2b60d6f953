#include "framework/form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <cstring>

#include "framework/date_time_entry.h"
#include "store/error_class.h"
#include "store/record_image.h"
#include "store/session.h"
#include "store/store.h"

namespace framework {

using namespace store;

FormProcedure::FormProcedure(Store& db, Tbl table, const std::string& name, QWidget* parent)
    : WindowProcedure(db, name, parent), table_(table), status_(new QLabel(this)) {
    status_->setObjectName("Status");
    useTables({table});
}

FileManager& FormProcedure::fm() {
    return db().Access(table_);
}
RelationManager& FormProcedure::rm() {
    return db().Relate(table_);
}

void FormProcedure::bind(QWidget* control, store::Field field) {
    bindings_.push_back({control, field});
    const FieldDecl& f = db().table(table_).decl().field(field);
    if (auto* e = qobject_cast<QLineEdit*>(control); e && f.type == FieldType::STRING)
        e->setMaxLength(f.width);
    if (auto* s = qobject_cast<QSpinBox*>(control)) {
        if (f.type == FieldType::BYTE) s->setRange(0, 255);
        if (f.type == FieldType::SHORT) s->setRange(-32768, 32767);
        if (f.type == FieldType::LONG) s->setRange(INT32_MIN, INT32_MAX);
    }
}

void FormProcedure::DISPLAY() {
    const TableDecl& d = db().table(table_).decl();
    const std::byte* rec = fm().buffer();
    for (const Binding& b : bindings_) {
        const FieldDecl& f = d.field(b.field);
        const QString text = f.type == FieldType::STRING
                                 ? QString::fromStdString(std::string(getText(f, rec)))
                                 : QString::number(getNumber(f, rec));
        if (auto* e = qobject_cast<DateEntry*>(b.control))
            e->setValue(Date(LONG(getNumber(f, rec))));
        else if (auto* e = qobject_cast<TimeEntry*>(b.control))
            e->setValue(Time(LONG(getNumber(f, rec))));
        else if (auto* e = qobject_cast<QLineEdit*>(b.control))
            e->setText(text);
        if (auto* e = qobject_cast<QPlainTextEdit*>(b.control)) e->setPlainText(text);
        if (auto* c = qobject_cast<QCheckBox*>(b.control)) c->setChecked(getNumber(f, rec) != 0);
        if (auto* s = qobject_cast<QSpinBox*>(b.control)) s->setValue(int(getNumber(f, rec)));
        if (auto* c = qobject_cast<QComboBox*>(b.control)) c->setCurrentText(text);
    }
}

void FormProcedure::UPDATEBUFFER() {
    const TableDecl& d = db().table(table_).decl();
    std::byte* rec = fm().buffer();
    for (const Binding& b : bindings_) {
        const FieldDecl& f = d.field(b.field);
        QString text;
        if (auto* e = qobject_cast<DateEntry*>(b.control))
            text = QString::number(e->value().value);
        else if (auto* e = qobject_cast<TimeEntry*>(b.control))
            text = QString::number(e->value().value);
        else if (auto* e = qobject_cast<QLineEdit*>(b.control))
            text = e->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(b.control)) text = e->toPlainText();
        if (auto* c = qobject_cast<QComboBox*>(b.control)) text = c->currentText();
        if (auto* c = qobject_cast<QCheckBox*>(b.control)) text = c->isChecked() ? "1" : "0";
        if (auto* s = qobject_cast<QSpinBox*>(b.control)) text = QString::number(s->value());
        if (f.type == FieldType::STRING)
            setText(f, rec, text.toStdString());
        else
            setNumber(f, rec, text.toLongLong());
    }
}

void FormProcedure::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    for (const Binding& b : bindings_) {
        if (auto* e = qobject_cast<QLineEdit*>(b.control))
            e->setReadOnly(readOnly);
        else if (auto* e = qobject_cast<QPlainTextEdit*>(b.control))
            e->setReadOnly(readOnly);
        else
            b.control->setEnabled(!readOnly);
    }
    if (auto* ok = findChild<QPushButton*>("OK")) ok->setEnabled(!readOnly);
}

QWidget* FormProcedure::okCancel() {
    auto* box = new QDialogButtonBox(this);
    QPushButton* ok = box->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    ok->setDefault(true);
    box->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("Cancel");
    QPushButton* help = box->addButton(tr("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName("Help");
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(box, &QDialogButtonBox::helpRequested, this, &WindowProcedure::showHelp);
    return box;
}

bool FormProcedure::entriesValid() {
    // A date or time that is no date or time would be saved as none: it is refused, and
    // the user corrects it before anything is written.
    for (const Binding& b : bindings_) {
        if (auto* e = qobject_cast<DateEntry*>(b.control); e && !e->checkInput(true)) return false;
        if (auto* e = qobject_cast<TimeEntry*>(b.control); e && !e->checkInput(true)) return false;
    }
    return true;
}

void FormProcedure::focusFirst() {
    if (!bindings_.empty()) bindings_.front().control->setFocus();
}

void FormProcedure::prime() {
    fm().PRIMERECORD();
    PRIMEFIELDS();
    status_->setText(tr("Record will be Added"));
}

bool FormProcedure::INIT() {
    request_ = session().GlobalRequest;
    session().GlobalRequest = NoRequest;
    const int refused = request_ == InsertRecord && !allowInsert   ? 20
                        : request_ == ChangeRecord && !allowChange ? 38
                        : request_ == DeleteRecord && !allowDelete ? 12
                                                                   : 0;
    if (refused) {
        fm().THROW(refused);
        return false;
    }
    if (!WindowProcedure::INIT()) return false;
    BUILD();
    if (request_ == DeleteRecord) {
        // A delete is carried out as the form opens, after the user confirms it.
        const Level l = rm().DELETE(true);
        session().GlobalResponse = l == Level_Benign ? RequestCompleted : RequestCancelled;
        return false;
    }
    if (request_ == InsertRecord) {
        prime();
    } else {
        rm().SAVE();
        status_->setText(tr("Record will be Changed"));
    }
    original_.assign(fm().buffer(), fm().buffer() + db().table(table_).recordSize());
    DISPLAY();
    focusFirst();
    return true;
}

bool FormProcedure::changed() const {
    return std::memcmp(original_.data(), const_cast<FormProcedure*>(this)->fm().buffer(),
                       original_.size()) != 0;
}

bool FormProcedure::TAKECOMPLETED() {
    if (readOnly_) return true;
    if (!entriesValid()) return false;
    UPDATEBUFFER();
    if (!VALIDATE()) return false;
    if (request_ == InsertRecord) {
        if (fm().INSERT() != Level_Benign) return false;
        if (askAddAnother && db().errors().TAKEERROR(3) == Level_Benign) {
            prime();
            original_.assign(fm().buffer(), fm().buffer() + original_.size());
            DISPLAY();
            focusFirst();
            return false;
        }
        return true;
    }
    for (;;) {
        const Level l = rm().UPDATE(true);
        if (l == Level_Benign) return true;
        if (l == Level_Notify) {
            // Changed by another station: its values are on show now.
            DISPLAY();
            original_.assign(fm().buffer(), fm().buffer() + original_.size());
            return false;
        }
        if (db().errors().TAKEERROR(34) != Level_Benign) return false;
    }
}

bool FormProcedure::TAKECLOSEEVENT() {
    if (readOnly_) return true;
    UPDATEBUFFER();
    if (!changed()) return true;
    switch (db().errors().MESSAGE(35, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_YES)) {
        case BUTTON_YES:
            accept();  // saves and closes as OK would, or stays open when saving failed
            return false;
        case BUTTON_NO:
            std::memcpy(fm().buffer(), original_.data(), original_.size());
            return true;
        default:
            focusFirst();
            return false;
    }
}

}  // namespace framework

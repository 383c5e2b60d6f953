#include "booking/ui/dialog_parts.h"

#include <QRadioButton>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>

#include "booking/repeat_session.h"
#include "booking/ui/ui_text.h"
#include "framework/date_time_entry.h"
#include "framework/program.h"
#include "store/datetime.h"
#include "store/questions.h"

namespace booking::ui {

TimeCombo::TimeCombo(const std::vector<store::LONG>& times, QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    entry_ = new framework::TimeEntry(this);
    setLineEdit(entry_);
    setCompleter(nullptr);
    for (store::LONG t : times)
        addItem(QString::fromStdString(store::shortTime(store::Time(t))), QVariant(int(t)));
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) entry_->setStored(itemData(index).toInt());
    });
}

store::LONG TimeCombo::stored() const {
    return entry_->stored();
}

void TimeCombo::setStored(store::LONG value) {
    const int index = findData(QVariant(int(value)));
    const QSignalBlocker block(this);
    setCurrentIndex(index);
    entry_->setStored(value);
}

void refuse(QWidget* window, const QString& message, QWidget* field) {
    QApplication::beep();
    if (!message.isEmpty())
        store::questions().message(s(window->windowTitle()), s(message), store::Icon::Exclamation,
                                   store::BUTTON_OK, store::BUTTON_OK);
    if (field) field->setFocus();
}

void refuse(QWidget* window, const Refusal& refusal, QWidget* field) {
    refuse(window, q(refusal.message), field);
}

QDialogButtonBox* okCancelHelp(QDialog* dialog, const std::string& topic) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(text("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    ok->setDefault(true);
    QPushButton* cancel = box->addButton(text("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("Cancel");
    QPushButton* help = box->addButton(text("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName("Help");
    help->setAutoDefault(false);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto showHelp = [topic] {
        if (framework::program().showHelp) framework::program().showHelp(topic);
    };
    QObject::connect(box, &QDialogButtonBox::helpRequested, dialog, showHelp);
    // F1 opens the same topic from anywhere in the dialog.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
    QObject::connect(f1, &QShortcut::activated, dialog, showHelp);
    return box;
}

QButtonGroup* scopeButtons(QDialog* dialog, QBoxLayout* layout,
                           const std::vector<ScopeChoice>& choices,
                           const std::string& bookingWord) {
    auto* group = new QButtonGroup(dialog);
    for (const ScopeChoice& c : choices) {
        auto* radio = new QRadioButton(text(c.caption), dialog);
        radio->setObjectName(c.name);
        radio->setToolTip(text(c.tip, bookingWord));
        group->addButton(radio, c.scope);
        layout->addWidget(radio);
    }
    if (!choices.empty()) group->button(choices.front().scope)->setChecked(true);
    return group;
}

}  // namespace booking::ui
